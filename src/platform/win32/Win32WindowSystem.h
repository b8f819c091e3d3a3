#pragma once

#include <windows.h>

#include "platform/WindowSystem.h"

namespace psion::win32 {

// Modal dialogs disable their opener and run a message loop of their own.
class Win32WindowSystem : public platform::WindowSystem {
  public:
    void ShowModal(platform::FormLogic& dialog) override;
    void SetBusyPointer(bool busy) override;
};

// Builds the main window, runs its loading, shows it and runs the program's
// message loop until the main window has been closed. Returns the exit code.
int RunMainWindow(platform::FormLogic& mainWindow);

// Hands one message to the window it is for, with Tab and Shift+Tab moving the focus.
void DispatchWindowMessage(MSG& message);

}  // namespace psion::win32
