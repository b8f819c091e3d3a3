#include "support/FileSizeLimit.h"

#include <signal.h>

#include <stdexcept>

namespace psion::testing {

FileSizeLimit::FileSizeLimit(std::size_t maxBytes) {
    // The program's start-up routine ignores SIGXFSZ; run in this test program
    // by ProgramStartup.cpp. Without it the write would end the test program.
    struct sigaction current {};
    if (sigaction(SIGXFSZ, nullptr, &current) != 0 || current.sa_handler != SIG_IGN) {
        throw std::logic_error(
            "SIGXFSZ is not ignored: the program's start-up routine has not run");
    }
    if (getrlimit(RLIMIT_FSIZE, &previous_) != 0) throw std::runtime_error("getrlimit failed");
    rlimit limited = previous_;
    limited.rlim_cur = static_cast<rlim_t>(maxBytes);
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0) throw std::runtime_error("setrlimit failed");
}

FileSizeLimit::~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &previous_); }

}  // namespace psion::testing
