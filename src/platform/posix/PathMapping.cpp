#include "platform/posix/PathMapping.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace psion::posix {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

bool HasDrive(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') return false;
    const char letter = LowerAscii(path[0]);
    return letter >= 'a' && letter <= 'z';
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

// Where Windows programs run under Wine find that drive.
std::string DriveFolder(char driveLetter) {
    std::string prefix;
    if (const char* wine = std::getenv("WINEPREFIX"); wine != nullptr && *wine != '\0') {
        prefix = wine;
    } else {
        prefix = HomeFolder() + "/.wine";
    }
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    return prefix + "/dosdevices/" + LowerAscii(driveLetter) + ":";
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

std::string Join(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// The entry of that folder whose name equals the component without regard to
// letter case; the smallest such name when there are several, so the choice
// does not depend on the order the folder lists them in.
std::optional<std::string> FindIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view candidate = entry->d_name;
        if (EqualIgnoringCase(candidate, name) && (!best || candidate < *best)) {
            best = std::string(candidate);
        }
    }
    closedir(dir);
    return best;
}

}  // namespace

std::string MapToNativePath(const std::string& windowsPath) {
    std::string_view rest = windowsPath;
    std::string native = "/";
    if (HasDrive(rest)) {
        native = DriveFolder(rest[0]);
        rest.remove_prefix(2);
    }

    bool matching = true;
    for (const auto& component : Components(rest)) {
        std::string next = Join(native, component);
        if (matching && component != "." && component != ".." && !Exists(next)) {
            if (auto found = FindIgnoringCase(native, component)) {
                next = Join(native, *found);
            } else {
                // Nothing below a missing name can exist; keep the rest as written.
                matching = false;
            }
        }
        native = std::move(next);
    }
    return native;
}

}  // namespace psion::posix
