#pragma once

#include "platform/FormLogic.h"

namespace psion::qt {

// Names the program to the desktop by its application id, so that the desktop
// entry and its icon belong to its windows, and gives every window the program's icon.
void SetApplicationIdentity();

// Sets the application identity, builds and shows the main window from its logic, then handles
// events until it has been closed. Needs a QApplication. Returns the event loop's result.
//
// When terminationRequests is a descriptor that becomes readable on a request to end the
// program, such a request ends it as Exit does: every event loop, the modal ones included,
// returns, and a question open at that moment counts as answered No.
int RunMainWindow(platform::FormLogic& mainWindow, int terminationRequests = -1);

}  // namespace psion::qt
