#include "platform/posix/DescriptorFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace psion::posix {

namespace {

using platform::FileError;

class DescriptorReader : public platform::FileReader {
  public:
    DescriptorReader(Descriptor fd, std::string path)
        : fd_(std::move(fd)), path_(std::move(path)) {}

    platform::ReadResult Read(std::span<char> buffer) override {
        for (;;) {
            const ssize_t count = ::read(fd_.Get(), buffer.data(), buffer.size());
            if (count >= 0) return {static_cast<std::size_t>(count), std::nullopt};
            if (errno != EINTR) return {0, ErrorFor(path_, errno)};
        }
    }

  private:
    Descriptor fd_;
    std::string path_;
};

}  // namespace

FileError ErrorFor(const std::string& path, int errorNumber) {
    const bool denied = errorNumber == EACCES || errorNumber == EPERM;
    return FileError{path, std::strerror(errorNumber),
                     denied ? platform::FileFault::AccessDenied : platform::FileFault::Other};
}

platform::OpenedFile OpenRegularFile(int folder, const std::string& name,
                                     const std::string& shownPath) {
    // Not blocking, so that a pipe or device put in the file's place cannot hold
    // the open; what was opened is checked on the descriptor itself.
    Descriptor fd(::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) return {nullptr, ErrorFor(shownPath, errno)};
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return {nullptr, ErrorFor(shownPath, errno)};
    if (S_ISDIR(info.st_mode)) return {nullptr, ErrorFor(shownPath, EISDIR)};
    if (!S_ISREG(info.st_mode)) return {nullptr, FileError{shownPath, "Not a regular file"}};
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    ::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return {std::make_unique<DescriptorReader>(std::move(fd), shownPath), std::nullopt};
}

std::optional<FileError> DescriptorWriter::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return ErrorFor(shownPath_, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

std::optional<FileError> DescriptorWriter::WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written =
            ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            return ErrorFor(shownPath_, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return std::nullopt;
}

}  // namespace psion::posix
