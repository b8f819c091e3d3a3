#include "platform/posix/ScriptOpenWatch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace psion::posix {

int WatchForOpen(const char* path) {
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0) return -1;
    if (::inotify_add_watch(watch, path, IN_OPEN) < 0) {
        ::close(watch);
        return -1;
    }
    return watch;
}

int ProcessHandle(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

void SignalProcess(int processHandle, int signal) {
#ifdef SYS_pidfd_send_signal
    ::syscall(SYS_pidfd_send_signal, processHandle, signal, nullptr, 0);
#else
    (void)processHandle;
    (void)signal;
#endif
}

bool HasBeenOpened(int watch) {
    bool opened = false;
    alignas(inotify_event) char events[4096];
    while (true) {
        const ssize_t count = ::read(watch, events, sizeof events);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return opened;
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            // An overflowed queue held more opens than it could keep.
            if ((event->mask & (IN_OPEN | IN_Q_OVERFLOW)) != 0) opened = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

namespace {

long long NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000LL;
}

}  // namespace

OpenOutcome WaitForOpen(int watch, int firstProcess, int secondProcess, int limitMs) {
    const long long deadline = limitMs >= 0 ? NowMs() + limitMs : 0;
    while (true) {
        pollfd ready[3] = {
            {watch, POLLIN, 0}, {firstProcess, POLLIN, 0}, {secondProcess, POLLIN, 0}};
        const nfds_t count = secondProcess >= 0 ? 3 : 2;
        int timeout = -1;
        if (limitMs >= 0) {
            const long long left = deadline - NowMs();
            if (left <= 0)
                return HasBeenOpened(watch) ? OpenOutcome::Opened : OpenOutcome::LimitPassed;
            timeout = static_cast<int>(left);
        }
        if (::poll(ready, count, timeout) < 0) {
            if (errno == EINTR) continue;
            // Nothing left to wait with: take the start as made, as without a watch.
            return OpenOutcome::Opened;
        }
        // The open is queued before the opener can end, so it is looked at first.
        if (HasBeenOpened(watch)) return OpenOutcome::Opened;
        if (ready[1].revents != 0) return OpenOutcome::FirstEnded;
        if (count == 3 && ready[2].revents != 0) return OpenOutcome::SecondEnded;
    }
}

}  // namespace psion::posix
