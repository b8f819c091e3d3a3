#include "platform/posix/ScriptCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "platform/ProcessLauncher.h"

namespace psion::posix {

namespace {

constexpr std::string_view kTerminalName = "xterm";
constexpr std::string_view kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> FindTerminal() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return std::nullopt;

    const char* path = std::getenv("PATH");
    std::string_view searchPath = path != nullptr ? path : kDefaultSearchPath;
    while (true) {
        const std::size_t colon = searchPath.find(':');
        std::string folder(searchPath.substr(0, colon));
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + std::string(kTerminalName);
        if (IsExecutableFile(candidate)) return candidate;
        if (colon == std::string_view::npos) return std::nullopt;
        searchPath.remove_prefix(colon + 1);
    }
}

std::vector<std::string> HiddenScriptCommand(const std::string& nativePath) {
    return {"/bin/sh", nativePath};
}

std::vector<std::string> ScriptCommand(const std::string& nativePath, std::int16_t windowStyle) {
    if (windowStyle == platform::kWindowNormalFocused) {
        if (auto terminal = FindTerminal()) return {*terminal, "-e", "/bin/sh", nativePath};
    }
    return HiddenScriptCommand(nativePath);
}

}  // namespace psion::posix
