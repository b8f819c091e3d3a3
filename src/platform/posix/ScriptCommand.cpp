#include "platform/posix/ScriptCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "common/BatchCommand.h"
#include "platform/posix/TerminalHandshake.h"

extern char** environ;

namespace psion::posix {

namespace {

constexpr std::string_view kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string FileName(const std::string& nativePath) {
    const std::size_t slash = nativePath.rfind('/');
    return slash == std::string::npos ? nativePath : nativePath.substr(slash + 1);
}

std::string ParentFolder(const std::string& nativePath) {
    const std::size_t slash = nativePath.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : nativePath.substr(0, slash);
}

bool NameIs(const char* assignment, std::string_view name) {
    return std::strncmp(assignment, name.data(), name.size()) == 0 &&
           assignment[name.size()] == '=';
}

// The program's environment with those variables set, replacing earlier values.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& assignments) {
    std::vector<std::string> result;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        bool replaced = false;
        for (const auto& assignment : assignments) {
            const std::string_view name(assignment.data(), assignment.find('='));
            if (NameIs(*entry, name)) replaced = true;
        }
        if (!replaced) result.emplace_back(*entry);
    }
    result.insert(result.end(), assignments.begin(), assignments.end());
    return result;
}

// Wine puts a cmd.exe into the prefix's syswow64 only when its 32-bit part is installed.
bool HoldsWow64Interpreter() {
    struct stat info {};
    const std::string path = MapToNativePath(std::string(common::kWineWow64Cmd));
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<ScriptCommand> WineCommands(const NativeLocation& script,
                                        const std::string& logicPath) {
    // cmd.exe is always started in the script's folder, as the file system
    // knows it, so the folder's name never reaches cmd.exe at all.
    const auto start = common::PlanBatchStart(logicPath, common::FolderUse::StartInFolder);
    if (!start) return {};
    auto wine = FindProgram("wine");
    if (!wine) return {};

    std::vector<std::string> settings{
        "WINEPREFIX=" + script.winePrefix,
        std::string(kBatchCommandVariable) + "=" + common::QuotedCommand(*start)};
    // Wine's own diagnostics stay quiet unless the user asked for them.
    if (std::getenv("WINEDEBUG") == nullptr) settings.emplace_back("WINEDEBUG=-all");

    std::vector<ScriptCommand> commands;
    for (const auto interpreter : common::CmdInterpretersToTry(HoldsWow64Interpreter())) {
        ScriptCommand command;
        command.arguments = {*wine, interpreter == common::CmdInterpreter::Wow64
                                        ? std::string(common::kWineWow64Cmd)
                                        : std::string("cmd.exe")};
        std::string_view switches = common::kCmdSwitches;
        while (!switches.empty()) {
            const std::size_t blank = switches.find(' ');
            command.arguments.emplace_back(switches.substr(0, blank));
            switches.remove_prefix(blank == std::string_view::npos ? switches.size() : blank + 1);
        }
        command.arguments.push_back("%" + std::string(kBatchCommandVariable) + "%");
        command.environment = EnvironmentWith(settings);
        command.folder = ParentFolder(script.path);
        command.detachedInput = true;
        commands.push_back(std::move(command));
    }
    return commands;
}

}  // namespace

std::optional<std::string> FindProgram(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string_view searchPath = path != nullptr ? path : kDefaultSearchPath;
    while (true) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        // An empty or relative entry would mean the working folder, which may
        // hold anything.
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = std::string(folder) + "/" + std::string(name);
            if (IsExecutableFile(candidate)) return candidate;
        }
        if (colon == std::string_view::npos) return std::nullopt;
        searchPath.remove_prefix(colon + 1);
    }
}

std::optional<std::string> FindTerminal() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return std::nullopt;
    return FindProgram("xterm");
}

std::vector<ScriptCommand> HiddenScriptCommands(const NativeLocation& script,
                                                const std::string& logicPath) {
    if (script.OnWineDrive()) return WineCommands(script, logicPath);
    return {ScriptCommand{{"/bin/sh", "--", script.path}, {}, {}, false}};
}

std::optional<ScriptCommand> TerminalScriptCommand(const ScriptCommand& hidden,
                                                   const std::string& nativePath) {
    auto terminal = FindTerminal();
    if (!terminal) return std::nullopt;
    // The user's resources may tell the terminal to stay open once its
    // command has ended; a setting for the terminal's own instance name, given
    // on the command line, outranks any of them.
    const char* instance = std::getenv("RESOURCE_NAME");
    const std::string name = instance != nullptr && *instance != '\0' ? instance : "xterm";

    ScriptCommand command;
    command.arguments = {
        *terminal, "-xrm", name + ".hold: false", "-T",     FileName(nativePath), "-e",
        "/bin/sh", "-c",   kHandshakeShell,       "/bin/sh"};
    command.arguments.insert(command.arguments.end(), hidden.arguments.begin(),
                             hidden.arguments.end());
    // The terminal is the script's window: what the script writes shows there.
    command.environment = hidden.environment;
    command.folder = hidden.folder;
    return command;
}

}  // namespace psion::posix
