#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/posix/PathMapping.h"

namespace psion::posix {

namespace {

using platform::FileError;

FileError ErrorFor(const std::string& path, int errorNumber) {
    return FileError{path, std::strerror(errorNumber)};
}

// Closes the descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now, so a failing close can be reported; false on failure.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
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

std::string TempNameFor(const std::string& file) {
    static std::mt19937_64 random{std::random_device{}()};
    const auto slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : file.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    return folder + "." + name + ".tmp-" + std::to_string(random() % 1000000000);
}

bool WriteFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes the rename itself durable; a folder that cannot be synced is no error.
void SyncFolder(const std::string& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
}

}  // namespace

bool PosixFileSystem::IsFile(const std::string& path) const {
    struct stat info {};
    return ::stat(MapToNativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

platform::FileReadResult PosixFileSystem::ReadAll(const std::string& path) const {
    const std::string native = MapToNativePath(path);
    platform::FileReadResult result;
    Descriptor fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        result.error = ErrorFor(native, errno);
        return result;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd.Get(), buffer, sizeof buffer);
        if (count == 0) break;
        if (count < 0) {
            if (errno == EINTR) continue;
            result.error = ErrorFor(native, errno);
            result.bytes.clear();
            return result;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return result;
}

std::optional<platform::FileError> PosixFileSystem::ReplaceAll(const std::string& path,
                                                               std::string_view bytes) {
    const std::string target = ReplaceTarget(MapToNativePath(path));

    struct stat original {};
    const bool replacing = ::stat(target.c_str(), &original) == 0;
    if (replacing && !S_ISREG(original.st_mode)) {
        return ErrorFor(target, S_ISDIR(original.st_mode) ? EISDIR : EINVAL);
    }

    std::string temp;
    int fdNumber = -1;
    for (int attempt = 0; attempt < 100 && fdNumber < 0; ++attempt) {
        temp = TempNameFor(target);
        // A new file gets the usual permissions less the umask, like any created file.
        fdNumber = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdNumber < 0 && errno != EEXIST) break;
    }
    if (fdNumber < 0) return ErrorFor(target, errno);
    Descriptor fd(fdNumber);

    auto fail = [&](int errorNumber) {
        if (fd.Valid()) fd.Close();
        ::unlink(temp.c_str());
        return ErrorFor(target, errorNumber);
    };

    if (replacing) {
        if (::fchmod(fd.Get(), original.st_mode & 07777) != 0) return fail(errno);
        // Only a privileged process can hand the file back to its owner; the
        // permission bits above are what matters.
        if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored =
                ::fchown(fd.Get(), original.st_uid, original.st_gid);
        }
    }
    if (!WriteFully(fd.Get(), bytes)) return fail(errno);
    if (::fsync(fd.Get()) != 0) return fail(errno);
    if (!fd.Close()) return fail(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
    SyncFolder(FolderOf(target));
    return std::nullopt;
}

}  // namespace psion::posix
