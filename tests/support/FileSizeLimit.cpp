#include "support/FileSizeLimit.h"

#include <csignal>
#include <stdexcept>

namespace psion::testing {

FileSizeLimit::FileSizeLimit(std::size_t maxBytes) {
    if (getrlimit(RLIMIT_FSIZE, &previous_) != 0) throw std::runtime_error("getrlimit failed");
    // Without this the write would end the test program instead of failing.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous_;
    limited.rlim_cur = static_cast<rlim_t>(maxBytes);
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0) throw std::runtime_error("setrlimit failed");
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
}

}  // namespace psion::testing
