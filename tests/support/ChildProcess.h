#pragma once

#ifndef _WIN32

#include <sys/types.h>

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

// True when this process may act as another user (it runs as root).
bool CanSwitchUser();

// Makes the calling process the user "nobody" with the group "nogroup" and no
// others; false when that is not possible.
bool BecomeNobody();

// The ids of "nobody" and "nogroup".
uid_t NobodyUser();
gid_t NobodyGroup();

}  // namespace psion::testing

#endif
