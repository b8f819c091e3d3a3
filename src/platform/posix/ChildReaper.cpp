#include "platform/posix/ChildReaper.h"

#include <signal.h>
#include <sys/wait.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>

namespace psion::posix::child_reaper {

namespace {

// 0 marks a free slot, -1 a slot reserved for a child being started.
constexpr pid_t kFree = 0;
constexpr pid_t kReserved = -1;

// Far more scripts than anyone starts by hand in one session.
constexpr std::size_t kCapacity = 256;

static_assert(std::atomic<pid_t>::is_always_lock_free, "the table is read inside a signal handler");

std::array<std::atomic<pid_t>, kCapacity> table{};

struct sigaction previousAction {};
std::once_flag installed;

void OnChildSignal(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    ReapEnded();
    errno = savedErrno;
    if ((previousAction.sa_flags & SA_SIGINFO) != 0) {
        if (previousAction.sa_sigaction != nullptr) {
            previousAction.sa_sigaction(signal, info, context);
        }
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
    }
}

}  // namespace

void Install() {
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = OnChildSignal;
        action.sa_flags = SA_SIGINFO | SA_RESTART | SA_NOCLDSTOP;
        sigemptyset(&action.sa_mask);
        sigaction(SIGCHLD, &action, &previousAction);
    });
}

Slot Reserve() {
    for (std::size_t i = 0; i < kCapacity; ++i) {
        pid_t expected = kFree;
        if (table[i].compare_exchange_strong(expected, kReserved)) return static_cast<Slot>(i);
    }
    return -1;
}

void Track(Slot slot, pid_t pid) {
    table[static_cast<std::size_t>(slot)].store(pid);
    ReapEnded();
}

void Release(Slot slot) { table[static_cast<std::size_t>(slot)].store(kFree); }

bool Claim(pid_t pid) {
    if (pid <= 0) return false;
    for (auto& entry : table) {
        pid_t expected = pid;
        if (entry.compare_exchange_strong(expected, kFree)) return true;
    }
    return false;
}

void ReapEnded() {
    for (auto& entry : table) {
        const pid_t pid = entry.load();
        if (pid <= 0) continue;
        const pid_t result = waitpid(pid, nullptr, WNOHANG);
        // ECHILD: someone else reaped it between the load and the wait.
        if (result == pid || (result < 0 && errno == ECHILD)) {
            pid_t expected = pid;
            entry.compare_exchange_strong(expected, kFree);
        }
    }
}

}  // namespace psion::posix::child_reaper
