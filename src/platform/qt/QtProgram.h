#pragma once

#include "platform/FormLogic.h"

namespace psion::qt {

// Builds and shows the main window from its logic, then handles events until
// it has been closed. Needs a QApplication. Returns the event loop's result.
int RunMainWindow(platform::FormLogic& mainWindow);

}  // namespace psion::qt
