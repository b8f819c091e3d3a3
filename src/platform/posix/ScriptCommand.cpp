#include "platform/posix/ScriptCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace psion::posix {

namespace {

constexpr std::string_view kTerminalName = "xterm";
constexpr std::string_view kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

// Run by /bin/sh inside the terminal with the script's path as $1. Constant
// text: the path only ever arrives as that argument.
constexpr char kHandshake[] =
    "printf r >&3 && read -r answer <&3 && [ \"$answer\" = go ] && exec /bin/sh -- \"$1\" 3>&-";
static_assert(kHandshakeDescriptor == 3, "the handshake text names descriptor 3");

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string FileName(const std::string& nativePath) {
    const std::size_t slash = nativePath.rfind('/');
    return slash == std::string::npos ? nativePath : nativePath.substr(slash + 1);
}

}  // namespace

std::optional<std::string> FindTerminal() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return std::nullopt;

    const char* path = std::getenv("PATH");
    std::string_view searchPath = path != nullptr ? path : kDefaultSearchPath;
    while (true) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        // An empty or relative entry would mean the working folder, which may
        // hold anything.
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = std::string(folder) + "/" + std::string(kTerminalName);
            if (IsExecutableFile(candidate)) return candidate;
        }
        if (colon == std::string_view::npos) return std::nullopt;
        searchPath.remove_prefix(colon + 1);
    }
}

std::optional<std::vector<std::string>> TerminalScriptCommand(const std::string& nativePath) {
    auto terminal = FindTerminal();
    if (!terminal) return std::nullopt;
    return std::vector<std::string>{*terminal,  "-T",      FileName(nativePath),
                                    "-e",       "/bin/sh", "-c",
                                    kHandshake, "/bin/sh", nativePath};
}

std::vector<std::string> HiddenScriptCommand(const std::string& nativePath) {
    return {"/bin/sh", "--", nativePath};
}

}  // namespace psion::posix
