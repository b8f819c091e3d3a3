#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/PathMapping.h"

namespace psion::posix {

// The variable through which Wine's cmd.exe gets the command that names the
// batch file: Wine rebuilds a Windows command line from its arguments with
// quoting of its own, which would change the inner quotes. cmd.exe expands
// the variable once, so the command it runs is the one the Windows build
// gives it.
inline constexpr std::string_view kBatchCommandVariable = "PSION_BATCH_FILE";

// One program to start for a script.
struct ScriptCommand {
    std::vector<std::string> arguments;    // the program's path first
    std::vector<std::string> environment;  // empty: the program's own
    std::string folder;                    // the folder to start in; empty: the program's own
    bool detachedInput = false;            // standard input, output and error on /dev/null
};

// A program of that name in an absolute folder of PATH. Empty or relative
// entries, which would mean the working folder, are skipped.
std::optional<std::string> FindProgram(std::string_view name);

// The terminal that shows a script started with a normal window: xterm found
// in an absolute folder of PATH while DISPLAY is set. xterm runs the script
// as its own child and ends when it ends, so waiting for xterm waits for the
// script. Terminals that pass the work to a server and exit at once would end
// the wait too early.
std::optional<std::string> FindTerminal();

// The commands that run the script without any window, in the order to try
// them. A script in a POSIX folder runs with /bin/sh, its path one argument
// after "--". A script on a Wine drive runs with a cmd.exe of that prefix
// through wine, started in the script's folder with standard input, output
// and error on /dev/null: first the 32-bit one (C:\windows\syswow64\cmd.exe)
// where the prefix holds one, then the 64-bit one. Empty when wine is not
// found or the path cannot be passed to cmd.exe whole (it never falls back to
// /bin/sh).
std::vector<ScriptCommand> HiddenScriptCommands(const NativeLocation& script,
                                                const std::string& logicPath);

// The command that runs the hidden command in the terminal instead, titled
// with the script's file name and with the terminal's hold resource off, so
// the terminal ends with the script, whose shell runs the handshake of
// TerminalHandshake.h before the script. nullopt when no terminal is
// available. Paths stay single arguments, never part of a command string.
std::optional<ScriptCommand> TerminalScriptCommand(const ScriptCommand& hidden,
                                                   const std::string& nativePath);

}  // namespace psion::posix
