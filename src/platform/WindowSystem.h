#pragma once

#include "platform/FormLogic.h"

namespace psion::platform {

// Operations that concern the application as a whole rather than one window.
class WindowSystem {
  public:
    virtual ~WindowSystem() = default;

    // Builds the dialog from its description, loads it and runs it modally:
    // returns once it has been closed. Its opener takes no input meanwhile.
    virtual void ShowModal(FormLogic& dialog) = 0;

    // The busy (hourglass) pointer over the whole application, or the default one.
    virtual void SetBusyPointer(bool busy) = 0;
};

}  // namespace psion::platform
