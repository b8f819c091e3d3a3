#pragma once

#include <cstdint>
#include <string>

namespace psion::platform {

using ProcessId = std::int32_t;

// Window style of a started script.
inline constexpr std::int16_t kWindowHidden = 0;
inline constexpr std::int16_t kWindowNormalFocused = 1;

class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;

    // Starts the script at that full path, with no arguments, in the given
    // window style, for a caller that then waits for it with WaitForExit.
    // Returns the new process's id, or 0 when nothing was started; a failure
    // never throws.
    virtual ProcessId Start(const std::string& scriptPath, std::int16_t windowStyle) = 0;

    // Starts the script as Start does, for a process that nobody waits for:
    // it runs on by itself and leaves nothing behind in this program once it
    // has ended. Where an unwaited process leaves nothing behind anyway, this
    // is Start.
    virtual ProcessId StartDetached(const std::string& scriptPath, std::int16_t windowStyle) {
        return Start(scriptPath, windowStyle);
    }

    // Blocks, without a time limit and without handling events, until the
    // process has ended. Returns at once when it cannot be waited for (for
    // instance because it has already ended).
    virtual void WaitForExit(ProcessId id) = 0;
};

}  // namespace psion::platform
