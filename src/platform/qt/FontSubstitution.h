#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include "platform/FormDescription.h"

namespace psion::qt {

// The faces that stand in for a font the forms name, best first. A face the
// forms name that has no substitute here is asked for as it is.
QStringList SubstituteFamilies(const QString& face);

// The face itself when it is installed, else the first substitute installed
// here, else the face. The installed faces are listed once per run.
QString ResolveFamily(const QString& face);

// The font for a control: the substitute face at the same size, weight and slant.
QFont FontFor(const platform::FontSpec& wanted);

}  // namespace psion::qt
