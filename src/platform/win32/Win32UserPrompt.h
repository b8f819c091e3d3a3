#pragma once

#include "platform/UserPrompt.h"

namespace psion::win32 {

// A MessageBoxW owned by the window in front, so that it is modal to it.
class Win32UserPrompt : public platform::UserPrompt {
  public:
    platform::PromptAnswer Show(const platform::PromptMessage& message) override;
};

}  // namespace psion::win32
