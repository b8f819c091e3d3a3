#include "platform/posix/ResolvedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/posix/DescriptorFiles.h"

namespace psion::posix {

namespace {

using platform::FileError;

constexpr const char* kForeignLink =
    "A link whose owner does not own its target is not written through";
constexpr const char* kTargetMoved = "The link's target was moved while it was being saved";

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The path the kernel has for an open file, empty when it cannot tell.
std::string RealPathOf(int fd) {
    char path[PATH_MAX + 1];
    const ssize_t length = ::readlink(DescriptorPath(fd).c_str(), path, sizeof path - 1);
    if (length <= 0 || path[0] != '/') return {};
    return std::string(path, static_cast<std::size_t>(length));
}

std::optional<FileError> ResolveLink(int folder, const std::string& name, const std::string& shown,
                                     const struct stat& link, ResolvedFile& file) {
    Descriptor target(::openat(folder, name.c_str(), O_PATH | O_CLOEXEC));
    if (!target.Valid()) return ErrorFor(shown, errno);
    struct stat info {};
    if (::fstat(target.Get(), &info) != 0) return ErrorFor(shown, errno);
    if (link.st_uid != 0 && link.st_uid != info.st_uid) return FileError{shown, kForeignLink};

    const std::string real = RealPathOf(target.Get());
    const auto slash = real.rfind('/');
    if (real.empty() || slash == std::string::npos || slash + 1 == real.size()) {
        return ErrorFor(shown, ENOENT);
    }
    const std::string targetFolder = slash == 0 ? "/" : real.substr(0, slash);
    file.ownFolder =
        Descriptor(::open(targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!file.ownFolder.Valid()) return ErrorFor(real, errno);
    file.name = real.substr(slash + 1);
    struct stat there {};
    if (::fstatat(file.ownFolder.Get(), file.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(there, info)) {
        return FileError{shown, kTargetMoved};
    }
    file.folder = file.ownFolder.Get();
    file.shownPath = real;
    file.exists = true;
    file.info = info;
    file.file = std::move(target);
    return std::nullopt;
}

}  // namespace

std::optional<FileError> ResolveForWriting(int folder, const std::string& folderPath,
                                           const std::string& name, ResolvedFile& file) {
    const std::string shown = folderPath + "/" + name;
    struct stat entry {};
    if (::fstatat(folder, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) return ErrorFor(shown, errno);
        file.folder = folder;
        file.name = name;
        file.shownPath = shown;
        return std::nullopt;
    }
    if (S_ISLNK(entry.st_mode)) return ResolveLink(folder, name, shown, entry, file);

    file.file = Descriptor(::openat(folder, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!file.file.Valid() || ::fstat(file.file.Get(), &file.info) != 0) {
        return ErrorFor(shown, errno);
    }
    file.folder = folder;
    file.name = name;
    file.shownPath = shown;
    file.exists = true;
    return std::nullopt;
}

}  // namespace psion::posix
