#pragma once

#include <functional>
#include <string>
#include <vector>

namespace psion::testing {

// A program's path, then its arguments, each passed as one argument.
using Command = std::vector<std::string>;

// Starts every command at once, then calls whileRunning again and again until
// every one of them has ended (at least once). Returns each one's exit code, in
// order: -1 for one that could not be started or (on POSIX) was ended by a signal.
// When whileRunning throws, the exception goes on once every program has ended.
std::vector<int> RunTogether(const std::vector<Command>& commands,
                             const std::function<void()>& whileRunning);

}  // namespace psion::testing
