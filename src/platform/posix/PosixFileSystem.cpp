#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/posix/Descriptor.h"
#include "platform/posix/PathMapping.h"
#include "platform/posix/TemporaryFile.h"

namespace psion::posix {

namespace {

using platform::FileError;

constexpr const char* kNotARegularFile = "Not a regular file";

FileError ErrorFor(const std::string& path, int errorNumber) {
    return FileError{path, std::strerror(errorNumber)};
}

// Only a regular file is a unit file; a folder keeps the system's own wording.
std::optional<FileError> RegularFileCheck(const std::string& path, const struct stat& info) {
    if (S_ISREG(info.st_mode)) return std::nullopt;
    if (S_ISDIR(info.st_mode)) return ErrorFor(path, EISDIR);
    return FileError{path, kNotARegularFile};
}

class PosixFileReader : public platform::FileReader {
  public:
    PosixFileReader(Descriptor fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

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

class PosixFileWriter : public platform::FileWriter {
  public:
    PosixFileWriter(int fd, const std::string& target) : fd_(fd), target_(target) {}

    std::optional<FileError> Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0) {
                if (errno == EINTR) continue;
                return ErrorFor(target_, errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return std::nullopt;
    }

    std::optional<FileError> WriteAt(std::uint64_t offset, std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written =
                ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
            if (written < 0) {
                if (errno == EINTR) continue;
                return ErrorFor(target_, errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
            offset += static_cast<std::uint64_t>(written);
        }
        return std::nullopt;
    }

  private:
    int fd_;
    const std::string& target_;
};

// The file a write should replace: the target of a symbolic link, so the link
// itself stays in place.
std::string ReplaceTarget(const std::string& native) {
    struct stat info {};
    if (lstat(native.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return native;
    char resolved[PATH_MAX];
    if (realpath(native.c_str(), resolved) == nullptr) return native;
    return resolved;
}

std::string FolderOf(const std::string& file) {
    const auto slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return file.substr(0, slash);
}

std::string NameOf(const std::string& file) {
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

// Makes the rename itself durable; a folder that cannot be synced is no error.
void SyncFolder(const std::string& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
}

// The replacement may only do what an in-place write could: the user must be
// allowed to write the file itself, not merely its folder.
std::optional<FileError> InPlaceWriteCheck(const std::string& target, const struct stat& original) {
    if (auto error = RegularFileCheck(target, original)) return error;
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return ErrorFor(target, errno);
    }
    return std::nullopt;
}

// Gives the new file the original's owner, group and permission bits. The
// owner comes first, since changing it clears the set-user-ID and set-group-ID
// bits. A file whose owner or group cannot be kept is not replaced.
std::optional<FileError> KeepOwnerAndMode(int fd, const std::string& target,
                                          const struct stat& original) {
    struct stat created {};
    if (::fstat(fd, &created) != 0) return ErrorFor(target, errno);
    if (created.st_uid != original.st_uid || created.st_gid != original.st_gid) {
        const uid_t owner = created.st_uid != original.st_uid ? original.st_uid : uid_t(-1);
        const gid_t group = created.st_gid != original.st_gid ? original.st_gid : gid_t(-1);
        if (::fchown(fd, owner, group) != 0) {
            return FileError{target, std::string(std::strerror(errno)) +
                                         " (its owner or group could not be kept)"};
        }
    }
    if (::fchmod(fd, original.st_mode & 07777) != 0) return ErrorFor(target, errno);
    return std::nullopt;
}

}  // namespace

bool PosixFileSystem::IsFile(const std::string& path) const {
    struct stat info {};
    return ::stat(MapToNativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

platform::OpenedFile PosixFileSystem::OpenForReading(const std::string& path) const {
    const std::string native = MapToNativePath(path);
    // Not blocking, so that a pipe or device put in the file's place cannot hold
    // the open; what was opened is checked on the descriptor itself.
    Descriptor fd(::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) return {nullptr, ErrorFor(native, errno)};
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return {nullptr, ErrorFor(native, errno)};
    if (auto error = RegularFileCheck(native, info)) return {nullptr, error};
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    ::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return {std::make_unique<PosixFileReader>(std::move(fd), native), std::nullopt};
}

std::optional<FileError> PosixFileSystem::Replace(const std::string& path,
                                                  const platform::ContentWriter& writeContent) {
    const std::string target = ReplaceTarget(MapToNativePath(path));
    const std::string folder = FolderOf(target);
    const std::string name = NameOf(target);

    struct stat original {};
    const bool replacing = ::stat(target.c_str(), &original) == 0;
    if (replacing) {
        if (auto error = InPlaceWriteCheck(target, original)) return error;
    }
    RemoveLeftoverTemporaryFiles(folder, name);

    TemporaryFile temporary(folder, name, temporaryFiles_);
    if (temporary.CreationError() != 0) return ErrorFor(target, temporary.CreationError());
    if (replacing) {
        if (auto error = KeepOwnerAndMode(temporary.Get(), target, original)) return error;
    }
    PosixFileWriter writer(temporary.Get(), target);
    if (auto error = writeContent(writer)) return error;
    if (::fsync(temporary.Get()) != 0) return ErrorFor(target, errno);
    if (const int error = temporary.MoveOver(target)) return ErrorFor(target, error);
    SyncFolder(folder);
    return std::nullopt;
}

}  // namespace psion::posix
