#include "platform/posix/ProcessStartup.h"

#include <signal.h>

namespace psion::posix {

void PrepareProcess() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace psion::posix
