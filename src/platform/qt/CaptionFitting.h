#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

class QPushButton;
class QWidget;

namespace psion::qt {

// Breaks a caption into lines at blanks so that each line fits the width, as
// the forms' buttons show long captions; a single word wider than the width
// keeps a line of its own.
QStringList WrapCaption(const QString& caption, const QFont& font, int width);

// The room a push button's style leaves for its caption.
QSize ButtonCaptionRoom(const QPushButton& button);

// The caption lines as the button shows them, joined by line feeds.
QString WrapButtonCaption(const QPushButton& button, const QString& caption);

// The smallest size at least as large as the widget's own that shows its whole
// content; the top-left corner stays where it is.
QSize GrownToFit(const QWidget& widget);

}  // namespace psion::qt
