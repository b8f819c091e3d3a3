#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace psion::posix {

// The terminal that shows a script started with a normal window: xterm found
// on PATH while DISPLAY is set. xterm runs the script as its own child and
// ends when it ends, so waiting for xterm waits for the script. Terminals that
// pass the work to a server and exit at once would end the wait too early.
std::optional<std::string> FindTerminal();

// The program and arguments that run the script at that native path: /bin/sh
// with the path as one argument, inside the terminal for window style 1 when
// one is available. The path is never part of a command string.
std::vector<std::string> ScriptCommand(const std::string& nativePath, std::int16_t windowStyle);

// The same without any terminal, for when the terminal cannot be started.
std::vector<std::string> HiddenScriptCommand(const std::string& nativePath);

}  // namespace psion::posix
