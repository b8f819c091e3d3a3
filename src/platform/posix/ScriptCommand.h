#pragma once

#include <optional>
#include <string>
#include <vector>

namespace psion::posix {

// The descriptor on which the shell inside the terminal says it is ready and
// waits for the word to run the script.
inline constexpr int kHandshakeDescriptor = 3;

// The terminal that shows a script started with a normal window: xterm found
// in an absolute folder of PATH while DISPLAY is set. xterm runs the script
// as its own child and ends when it ends, so waiting for xterm waits for the
// script. Terminals that pass the work to a server and exit at once would end
// the wait too early.
std::optional<std::string> FindTerminal();

// The program and arguments that run the script at that native path in the
// terminal, titled with the script's file name. The terminal's shell writes
// "r" to kHandshakeDescriptor, runs the script only once it has read the line
// "go" there, and closes that descriptor as it does. nullopt when no terminal
// is available. The path stays one argument, never part of a command string.
std::optional<std::vector<std::string>> TerminalScriptCommand(const std::string& nativePath);

// The program and arguments that run the script without any window: /bin/sh
// with the path as one argument after "--", so it is never read as an option.
std::vector<std::string> HiddenScriptCommand(const std::string& nativePath);

}  // namespace psion::posix
