#pragma once

#include <chrono>

#include "platform/ProcessLauncher.h"

namespace psion::posix {

// Starts a script by its native path: with /bin/sh in a POSIX home drive,
// with the prefix's cmd.exe under Wine on a Wine drive (never with /bin/sh),
// and in xterm for a normal window when a display and xterm are there.
//
// A start counts only once the script itself is being executed, which is
// when its interpreter opens it. A terminal start also needs the shell inside
// the terminal to have said it is ready and been told to run the script; a
// terminal that ends first, or has not said so within the start limit, is
// ended, and the script runs hidden instead, so it runs once at most and
// never merely "seems" started. A batch file's 32-bit cmd.exe that ends
// before it opens the script is followed by the 64-bit one, once.
class PosixProcessLauncher : public platform::ProcessLauncher {
  public:
    // Long enough for a slow display, short enough that a hung one does not
    // hold the program for good.
    static constexpr std::chrono::milliseconds kTerminalStartLimit{10000};

    // How long a Send waits for its script to be opened: a Wine that hangs
    // on its way to cmd.exe must not hold the window. Past it the start counts
    // as made, since the process exists. Cold Wine starts take a few seconds.
    static constexpr std::chrono::milliseconds kSendOpenLimit{20000};

    explicit PosixProcessLauncher(
        std::chrono::milliseconds terminalStartLimit = kTerminalStartLimit,
        std::chrono::milliseconds sendOpenLimit = kSendOpenLimit);

    // The started process is a child of the program, for WaitForExit to reap.
    platform::ProcessId Start(const std::string& scriptPath, std::int16_t windowStyle) override;

    // Started through an intermediate child that ends at once, so the script
    // is never the program's child and leaves no zombie, however many run.
    platform::ProcessId StartDetached(const std::string& scriptPath,
                                      std::int16_t windowStyle) override;

    void WaitForExit(platform::ProcessId id) override;

  private:
    std::chrono::milliseconds terminalStartLimit_;
    std::chrono::milliseconds sendOpenLimit_;
};

}  // namespace psion::posix
