#pragma once

#ifndef _WIN32

#include <chrono>
#include <functional>
#include <string>

namespace psion::testing {

struct ChildOutcome {
    bool finished = false;  // false when it was still running at the time limit and was killed
    int exitCode = -1;      // its exit code when it exited
    int signal = 0;         // the signal that ended it, if one did

    std::string Describe() const;
};

// Runs the body in a forked child process, which exits with the body's result
// (99 for an exception), and waits for it up to the time limit. Limits, user
// ids and crashes of the child do not reach the test program.
ChildOutcome RunInChild(const std::function<int()>& body,
                        std::chrono::milliseconds limit = std::chrono::seconds(60));

}  // namespace psion::testing

#endif
