#include "platform/posix/TerminalHandshake.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace psion::posix {

namespace {

static_assert(kHandshakeDescriptor == 3, "kHandshakeShell names descriptor 3");

// "r", a process id and a line feed fit in this many bytes.
constexpr int kLongestReadyLine = 16;

int MillisecondsUntil(const timespec& deadline) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long left = (deadline.tv_sec - now.tv_sec) * 1000LL +
                           (deadline.tv_nsec - now.tv_nsec + 999999LL) / 1000000LL;
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

ReadyLine::State ReadyLine::Take(char byte) {
    if (state_ != State::Reading) return state_;
    const bool first = taken_++ == 0;
    if (first) {
        state_ = byte == 'r' ? State::Reading : State::Refused;
    } else if (byte == '\n') {
        state_ = shell_ > 0 ? State::Ready : State::Refused;
    } else if (byte >= '0' && byte <= '9' &&
               shell_ <= (std::numeric_limits<pid_t>::max() - (byte - '0')) / 10) {
        shell_ = shell_ * 10 + (byte - '0');
    } else {
        state_ = State::Refused;
    }
    if (state_ == State::Reading && taken_ == kLongestReadyLine) state_ = State::Refused;
    return state_;
}

bool PlaceHandshake(int handshake) {
    if (handshake == kHandshakeDescriptor) return ::fcntl(handshake, F_SETFD, 0) == 0;
    return ::dup2(handshake, kHandshakeDescriptor) == kHandshakeDescriptor;
}

pid_t TerminalShellWhenReady(int handshake, int limitMs) {
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += limitMs / 1000;
    deadline.tv_nsec += (limitMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }

    ReadyLine line;
    while (line.Current() == ReadyLine::State::Reading) {
        pollfd ready{handshake, POLLIN, 0};
        const int polled = ::poll(&ready, 1, MillisecondsUntil(deadline));
        if (polled == 0) return 0;
        if (polled < 0) {
            if (errno == EINTR) continue;
            return 0;
        }
        char said = 0;
        const ssize_t count = ::read(handshake, &said, 1);
        if (count < 0 && errno == EINTR) continue;
        if (count != 1) return 0;
        line.Take(said);
    }
    return line.Current() == ReadyLine::State::Ready ? line.Shell() : 0;
}

bool SayGo(int handshake) {
    constexpr char kGo[] = "go\n";
    ssize_t sent;
    do {
        sent = ::send(handshake, kGo, sizeof kGo - 1, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(sizeof kGo - 1);
}

}  // namespace psion::posix
