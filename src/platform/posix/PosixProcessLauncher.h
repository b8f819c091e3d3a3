#pragma once

#include "platform/ProcessLauncher.h"

namespace psion::posix {

// Starts a script through /bin/sh with its native path as one argument.
class PosixProcessLauncher : public platform::ProcessLauncher {
  public:
    platform::ProcessId Start(const std::string& scriptPath, std::int16_t windowStyle) override;
    void WaitForExit(platform::ProcessId id) override;
};

}  // namespace psion::posix
