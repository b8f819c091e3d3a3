#include "support/VirtualDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace psion::testing {

VirtualDisplay::VirtualDisplay() {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return;
    server_ = ::fork();
    if (server_ == 0) {
        // Xvfb picks a free display and writes its number to this descriptor once it is ready.
        ::dup2(ready[1], 3);
        const int nothing = ::open("/dev/null", O_RDWR);
        ::dup2(nothing, 0);
        ::dup2(nothing, 1);
        ::dup2(nothing, 2);
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0",
                 "1024x768x24", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    std::string number;
    char c = 0;
    pollfd wait{ready[0], POLLIN, 0};
    while (server_ > 0 && ::poll(&wait, 1, 30000) == 1 && ::read(ready[0], &c, 1) == 1 &&
           c != '\n') {
        number += c;
    }
    ::close(ready[0]);
    if (!number.empty()) name_ = ":" + number;
}

VirtualDisplay::~VirtualDisplay() {
    if (server_ <= 0) return;
    ::kill(server_, SIGTERM);
    ::waitpid(server_, nullptr, 0);
}

}  // namespace psion::testing
