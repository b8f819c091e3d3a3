#include "platform/posix/TerminationRequests.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace psion::posix {

namespace {

int requestsWriteEnd = -1;

void RequestTermination(int signalNumber) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    // A full pipe already holds a request; one is enough.
    [[maybe_unused]] const ssize_t written = ::write(requestsWriteEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

int RouteTerminationRequests() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    requestsWriteEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = RequestTermination;
    // Interrupted calls go on, so a wait for a script is not cut short.
    action.sa_flags = SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    for (const int signalNumber : kEndRequestSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    return ends[0];
}

}  // namespace psion::posix
