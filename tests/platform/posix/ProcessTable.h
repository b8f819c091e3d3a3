#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace psion::testing {

// What /proc tells about one process.
struct ProcessEntry {
    char state = '?';  // 'Z' for a zombie
    pid_t parent = 0;
    pid_t session = 0;
    unsigned long long startTime = 0;  // tells a reused pid apart
};

std::optional<ProcessEntry> ReadProcessEntry(pid_t pid);

// The children of that process that have ended but not been reaped.
std::vector<pid_t> ZombieChildrenOf(pid_t parent);

// How many descriptors this process has open.
std::size_t OpenDescriptorCount();

// Waits until the process with that pid and start time is gone from the
// process table (reaped), false when it is still there after the limit.
bool WaitUntilGone(pid_t pid, unsigned long long startTime,
                   std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace psion::testing
