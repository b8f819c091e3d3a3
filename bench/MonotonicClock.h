#pragma once

#include <time.h>

#include <cstdint>

namespace psion::bench {

// Nanoseconds on the monotonic clock, comparable across processes of one machine.
inline std::int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace psion::bench
