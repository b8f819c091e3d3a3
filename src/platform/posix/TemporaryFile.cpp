#include "platform/posix/TemporaryFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

namespace psion::posix {

namespace {

constexpr std::string_view kSuffix = ".tmp";

// Another process that removes leftovers sees from the lock that this file is
// still being written, even where it cannot see the writer's process.
void HoldWriteLock(int fd) { ::flock(fd, LOCK_EX | LOCK_NB); }

// An unnamed file can only be given a name through /proc.
bool CanNameUnnamedFiles() { return ::access("/proc/self/fd", X_OK) == 0; }

// The writer's process id when the name has the temporary pattern of that file.
std::optional<pid_t> WriterOf(std::string_view name, std::string_view fileName) {
    if (name.size() < 2 + fileName.size() + kSuffix.size() || name[0] != '.' ||
        name.substr(1, fileName.size()) != fileName || name[1 + fileName.size()] != '.' ||
        !name.ends_with(kSuffix)) {
        return std::nullopt;
    }
    const std::string_view middle =
        name.substr(2 + fileName.size(), name.size() - 2 - fileName.size() - kSuffix.size());
    const auto dash = middle.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::string_view pidText = middle.substr(0, dash);
    const std::string_view counter = middle.substr(dash + 1);
    auto allDigits = [](std::string_view text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!allDigits(pidText) || !allDigits(counter)) return std::nullopt;
    pid_t pid = 0;
    const auto parsed = std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid);
    if (parsed.ec != std::errc() || pid <= 0) return std::nullopt;
    return pid;
}

bool ProcessRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

Descriptor ScratchFileIn(const std::string& folder) {
    Descriptor fd(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd.Valid()) return fd;
    std::string pattern = folder + "/.scratch-XXXXXX";
    fd = Descriptor(::mkostemp(pattern.data(), O_CLOEXEC));
    if (fd.Valid()) ::unlink(pattern.c_str());
    return fd;
}

}  // namespace

TemporaryFile::TemporaryFile(int folder, std::string fileName, TemporaryFiles kind, mode_t mode)
    : folder_(folder), fileName_(std::move(fileName)) {
    // An unnamed file, too, is named before it is moved over the file.
    const long longest = ::fpathconf(folder_, _PC_NAME_MAX);
    if (NextName().size() + 2 > static_cast<std::size_t>(longest > 0 ? longest : NAME_MAX)) {
        creationError_ = ENAMETOOLONG;
        return;
    }
    if (kind == TemporaryFiles::UnnamedWhereSupported && CanNameUnnamedFiles()) {
        fd_ = Descriptor(::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
        if (fd_.Valid()) {
            HoldWriteLock(fd_.Get());
            return;
        }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = NextName();
        fd_ = Descriptor(::openat(folder_, name.c_str(),
                                  O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                                  mode));
        if (fd_.Valid()) {
            name_ = name;
            HoldWriteLock(fd_.Get());
            return;
        }
        if (errno != EEXIST) break;
    }
    creationError_ = errno;
}

TemporaryFile::~TemporaryFile() {
    if (!name_.empty()) ::unlinkat(folder_, name_.c_str(), 0);
}

std::string TemporaryFile::NextName() const {
    static std::atomic<unsigned> counter{0};
    return "." + fileName_ + "." + std::to_string(::getpid()) + "-" + std::to_string(++counter) +
           std::string(kSuffix);
}

int TemporaryFile::MoveOver(const std::string& targetName) {
    if (name_.empty()) {
        // The unnamed file gets its name only now, right before the rename.
        const std::string self = DescriptorPath(fd_.Get());
        for (int attempt = 0; name_.empty(); ++attempt) {
            const std::string name = NextName();
            if (::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                name_ = name;
            } else if (errno != EEXIST || attempt >= 100) {
                return errno;
            }
        }
    }
    if (!fd_.Close()) return errno;
    if (::renameat(folder_, name_.c_str(), folder_, targetName.c_str()) != 0) return errno;
    name_.clear();
    return 0;
}

int OpenScratchFile(Descriptor& file) {
    if (const char* folder = std::getenv("TMPDIR"); folder != nullptr && *folder == '/') {
        if ((file = ScratchFileIn(folder)).Valid()) return 0;
    }
    file = ScratchFileIn("/tmp");
    return file.Valid() ? 0 : errno;
}

void RemoveLeftoverTemporaryFiles(int folder, const std::string& fileName) {
    // A descriptor of its own, so that reading the folder moves no shared offset.
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0) return;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listed), &::closedir);
    if (!dir) {
        ::close(listed);
        return;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const auto writer = WriterOf(entry->d_name, fileName);
        if (!writer || ProcessRuns(*writer)) continue;
        const Descriptor file(::openat(folder, entry->d_name,
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat info {};
        if (!file.Valid() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) continue;
        ::unlinkat(folder, entry->d_name, 0);
    }
}

}  // namespace psion::posix
