#include "platform/posix/wine/VirtualSerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace psion::testing {

namespace {

void MakeRaw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) throw std::runtime_error("tcgetattr failed");
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B9600);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) throw std::runtime_error("tcsetattr failed");
}

}  // namespace

VirtualSerialLine::VirtualSerialLine() {
    unit_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (unit_ < 0 || ::grantpt(unit_) != 0 || ::unlockpt(unit_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    const char* name = ::ptsname(unit_);
    if (name == nullptr) throw std::runtime_error("no pseudo-terminal name");
    device_ = name;
    computer_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (computer_ < 0) throw std::runtime_error("cannot open " + device_);
    // No echo, no line editing and no translation of line ends, either way.
    MakeRaw(computer_);
}

VirtualSerialLine::~VirtualSerialLine() {
    if (computer_ >= 0) ::close(computer_);
    if (unit_ >= 0) ::close(unit_);
}

std::string VirtualSerialLine::HearUntilEnd(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::string heard;
    while (heard.find("END\r\n") == std::string::npos && heard.find("END\n") == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd ready{unit_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) break;
        char buffer[4096];
        const ssize_t count = ::read(unit_, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        heard.append(buffer, static_cast<std::size_t>(count));
    }
    return heard;
}

void VirtualSerialLine::Say(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(unit_, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) throw std::runtime_error("the line broke");
        done += static_cast<std::size_t>(count);
    }
}

}  // namespace psion::testing
