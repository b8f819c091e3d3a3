#include "platform/posix/FolderEntries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "common/AsciiCase.h"

namespace psion::posix {

std::optional<std::string> EntryIgnoringCase(int folder, std::string_view name) {
    // A descriptor of its own, as the listing closes it and moves its offset.
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0) return std::nullopt;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listed), &::closedir);
    if (!dir) {
        ::close(listed);
        return std::nullopt;
    }
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view candidate = entry->d_name;
        if (common::EqualIgnoringAsciiCase(candidate, name) && (!best || candidate < *best)) {
            best = std::string(candidate);
        }
    }
    return best;
}

std::string FindName(int folder, std::string_view name) {
    std::string exact(name);
    struct stat info {};
    if (::fstatat(folder, exact.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) {
        return exact;
    }
    return EntryIgnoringCase(folder, name).value_or(std::move(exact));
}

}  // namespace psion::posix
