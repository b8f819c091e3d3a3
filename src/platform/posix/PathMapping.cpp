#include "platform/posix/PathMapping.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/AsciiCase.h"
#include "platform/posix/Descriptor.h"
#include "platform/posix/FolderEntries.h"

namespace psion::posix {

namespace {

// A folder below which nothing can exist or be created: every path under it
// fails with "Not a directory".
constexpr char kNowhere[] = "/dev/null";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') return false;
    const char letter = common::ToLowerAscii(path[0]);
    return letter >= 'a' && letter <= 'z';
}

// The working folder the program started in; empty when it could not be read
// (for instance because it had been removed).
const std::string& StartFolder() {
    static const std::string folder = [] {
        std::error_code error;
        const std::filesystem::path current = std::filesystem::current_path(error);
        return error ? std::string() : current.string();
    }();
    return folder;
}

// Read while the program loads, before anything can change the working folder.
[[maybe_unused]] const std::string& startFolderAtLoad = StartFolder();

// A relative folder counts from the start folder, so it names the same folder
// all through the run, and a name such as "-x" never reaches a program as an option.
std::string Absolute(const std::string& folder) {
    if (!folder.empty() && folder.front() == '/') return folder;
    if (StartFolder().empty()) return kNowhere;
    return StartFolder() + "/" + folder;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

// The Wine prefix, absolute, without trailing slashes.
std::string WinePrefix() {
    std::string prefix;
    if (const char* wine = std::getenv("WINEPREFIX"); wine != nullptr && *wine != '\0') {
        prefix = wine;
    } else {
        prefix = HomeFolder() + "/.wine";
    }
    prefix = Absolute(prefix);
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    return prefix;
}

// Where Windows programs run under Wine find that drive.
std::string DriveFolder(const std::string& prefix, char driveLetter) {
    return prefix + "/dosdevices/" + common::ToLowerAscii(driveLetter) + ":";
}

std::vector<std::string> Components(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos < path.size()) {
        while (pos < path.size() && IsSeparator(path[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < path.size() && !IsSeparator(path[pos])) ++pos;
        if (pos > start) parts.emplace_back(path.substr(start, pos - start));
    }
    return parts;
}

// As Windows reads a path below a drive: "." is the folder itself, and ".."
// at the drive's root stays at that root.
std::vector<std::string> WithoutDotComponents(const std::vector<std::string>& components) {
    std::vector<std::string> kept;
    for (const auto& component : components) {
        if (component == ".") continue;
        if (component == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(component);
    }
    return kept;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// Walks down from a folder, matching each name as the file system holds it.
class NativeWalk {
  public:
    explicit NativeWalk(std::string root) : native_(std::move(root)) {}

    void Enter(const std::string& component) {
        std::string next = Join(native_, component);
        if (matching_ && component != "." && component != ".." && !Exists(next)) {
            const Descriptor folder(::open(native_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (auto found = EntryIgnoringCase(folder.Get(), component)) {
                next = Join(native_, *found);
            } else {
                // Nothing below a missing name can exist; keep the rest as written.
                matching_ = false;
            }
        }
        native_ = std::move(next);
    }

    const std::string& Path() const { return native_; }

  private:
    std::string native_;
    bool matching_ = true;
};

}  // namespace

std::string MapToNativePath(const std::string& windowsPath) {
    return MapToNative(windowsPath).path;
}

NativeLocation MapToNative(const std::string& windowsPath) {
    std::string_view rest = windowsPath;
    std::optional<NativeWalk> walk;
    std::string prefix;
    if (HasDrive(rest)) {
        prefix = WinePrefix();
        walk.emplace(DriveFolder(prefix, rest[0]));
        rest.remove_prefix(2);
    } else if (!rest.empty() && rest.front() == '/') {
        // A POSIX folder as home drive, before the first backslash the logic
        // appended; it is the user's own folder, taken as the system takes it.
        const std::size_t homeDriveEnd = std::min(rest.find('\\'), rest.size());
        walk.emplace("/");
        for (const auto& component : Components(rest.substr(0, homeDriveEnd))) {
            walk->Enter(component);
        }
        rest.remove_prefix(homeDriveEnd);
    } else {
        prefix = WinePrefix();
        walk.emplace(DriveFolder(prefix, 'C'));
    }
    for (const auto& component : WithoutDotComponents(Components(rest))) walk->Enter(component);
    return {walk->Path(), std::move(prefix)};
}

}  // namespace psion::posix
