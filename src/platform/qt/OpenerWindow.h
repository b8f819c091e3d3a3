#pragma once

class QWidget;

namespace psion::qt {

// The window a new message box or dialog belongs to: the modal window on top,
// else the active window, else the program's visible form window - the last
// case when another program's window (a script's terminal) took the focus.
QWidget* OpenerWindow();

}  // namespace psion::qt
