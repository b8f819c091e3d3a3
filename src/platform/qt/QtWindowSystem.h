#pragma once

#include "platform/WindowSystem.h"

namespace psion::qt {

class QtWindowSystem : public platform::WindowSystem {
  public:
    // Builds the dialog over the active window, runs its loading and its own
    // event loop until it is closed.
    void ShowModal(platform::FormLogic& dialog) override;

    // Idempotent: the busy pointer never stacks up.
    void SetBusyPointer(bool busy) override;

  private:
    bool busy_ = false;
};

}  // namespace psion::qt
