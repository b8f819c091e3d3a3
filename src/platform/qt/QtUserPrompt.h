#pragma once

#include "platform/UserPrompt.h"

namespace psion::qt {

// Message boxes over the active window.
class QtUserPrompt : public platform::UserPrompt {
  public:
    platform::PromptAnswer Show(const platform::PromptMessage& message) override;
};

}  // namespace psion::qt
