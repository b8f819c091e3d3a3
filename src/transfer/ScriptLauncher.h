#pragma once

#include <cstdint>
#include <string>

#include "platform/ProcessLauncher.h"
#include "platform/UserPrompt.h"

namespace psion::transfer {

// Starts the transfer scripts in the window style chosen at the moment of each start.
class ScriptLauncher {
  public:
    ScriptLauncher(platform::ProcessLauncher& processes, platform::UserPrompt& prompt,
                   const std::int16_t& showCommandWindow);

    // The started process's id, or 0 when nothing was started. Never waits, shows nothing.
    platform::ProcessId StartScript(const std::string& path);

    // Starts the script and stores its id in processId before anything else.
    // Nonzero: returns once that process has ended. Zero: has shown
    // "Error shelling " + path and returns without waiting.
    void RunAndWait(const std::string& path, platform::ProcessId& processId);

  private:
    platform::ProcessLauncher& processes_;
    platform::UserPrompt& prompt_;
    const std::int16_t& showCommandWindow_;
};

}  // namespace psion::transfer
