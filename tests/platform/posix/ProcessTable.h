#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

namespace psion::testing {

// What /proc tells about one process.
struct ProcessEntry {
    char state = '?';  // 'Z' for a zombie
    pid_t session = 0;
    unsigned long long startTime = 0;  // tells a reused pid apart
};

std::optional<ProcessEntry> ReadProcessEntry(pid_t pid);

// Waits until the process with that pid and start time is gone from the
// process table (reaped), false when it is still there after the limit.
bool WaitUntilGone(pid_t pid, unsigned long long startTime,
                   std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace psion::testing
