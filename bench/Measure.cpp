// psion-bench-measure: runs a command and prints, after the command's own
// output, key=value lines of what it cost:
//   spawn_ns      the monotonic clock just before the command was started
//   wall_ns       from then until it had ended
//   cpu_ns        its user and system time, children included
//   peak_rss_kib  the peak resident memory of it or of its largest child
//   exit          its exit status, or 128 + the signal that ended it
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "MonotonicClock.h"

extern char** environ;

namespace {

using psion::bench::MonotonicNs;

std::int64_t Ns(const timeval& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_usec * 1000;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: psion-bench-measure COMMAND [ARGUMENT ...]\n", stderr);
        return 2;
    }
    std::fflush(stdout);
    const std::int64_t spawned = MonotonicNs();
    pid_t child = 0;
    if (const int error = posix_spawnp(&child, argv[1], nullptr, nullptr, argv + 1, environ)) {
        std::fprintf(stderr, "psion-bench-measure: cannot start %s: %s\n", argv[1],
                     std::strerror(error));
        return 127;
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::perror("psion-bench-measure: wait4");
            return 127;
        }
    }
    const std::int64_t ended = MonotonicNs();
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("spawn_ns=%lld\nwall_ns=%lld\ncpu_ns=%lld\npeak_rss_kib=%ld\nexit=%d\n",
                static_cast<long long>(spawned), static_cast<long long>(ended - spawned),
                static_cast<long long>(Ns(usage.ru_utime) + Ns(usage.ru_stime)), usage.ru_maxrss,
                exitCode);
    return 0;
}
