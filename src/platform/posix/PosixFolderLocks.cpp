#include "platform/posix/PosixFolderLocks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/FolderLock.h"
#include "platform/posix/PathMapping.h"

namespace psion::posix {

namespace {

class HeldFlock : public platform::HeldFolderLock {
  public:
    explicit HeldFlock(int fd) : fd_(fd) {}
    // Closing the only descriptor of the open folder releases its lock.
    ~HeldFlock() override { ::close(fd_); }
    HeldFlock(const HeldFlock&) = delete;
    HeldFlock& operator=(const HeldFlock&) = delete;

  private:
    int fd_;
};

// Named by its native path, as the file layer names files.
platform::FolderLockResult Failure(const std::string& nativePath, int errorNumber) {
    return {nullptr, platform::FileError{nativePath, std::strerror(errorNumber)}};
}

}  // namespace

platform::FolderLockResult PosixFolderLocks::LockExclusive(const std::string& folderPath) {
    const std::string native = MapToNativePath(folderPath);
    // Close-on-exec, so a script started later never inherits the lock.
    const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Failure(native, errno);
    if (const int error = LockFolderExclusive(fd)) {
        ::close(fd);
        return Failure(native, error);
    }
    return {std::make_unique<HeldFlock>(fd), std::nullopt};
}

}  // namespace psion::posix
