#pragma once

#include <QFont>
#include <QRect>
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

// The table's rectangle grown to at least the needed size around the point its
// content is anchored to: a left-aligned caption keeps its left edge, a
// right-aligned one its right edge, a centred one its centre; top-aligned
// content keeps its top, vertically centred content its middle. So captions
// that the tables line up stay lined up when the substitute face needs more room.
QRect GrowAround(const QRect& table, const QSize& needed, Qt::Alignment anchor);

}  // namespace psion::qt
