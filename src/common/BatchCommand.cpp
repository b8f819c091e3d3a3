#include "common/BatchCommand.h"

namespace psion::common {

std::optional<BatchStart> PlanBatchStart(std::string_view scriptPath, FolderUse use) {
    if (scriptPath.find_first_of("\"\r\n") != std::string_view::npos) return std::nullopt;
    const std::size_t separator = scriptPath.find_last_of("\\/");
    const std::string_view name =
        separator == std::string_view::npos ? scriptPath : scriptPath.substr(separator + 1);
    if (name.empty() || name.find('%') != std::string_view::npos) return std::nullopt;
    if (use == FolderUse::OnCommandLineWherePossible &&
        scriptPath.find('%') == std::string_view::npos) {
        return BatchStart{{}, std::string(scriptPath)};
    }
    // ".\" keeps cmd.exe from looking for the name along PATH.
    const std::string folder = separator == std::string_view::npos
                                   ? std::string()
                                   : std::string(scriptPath.substr(0, separator + 1));
    return BatchStart{folder, ".\\" + std::string(name)};
}

std::string QuotedCommand(const BatchStart& start) { return "\"" + start.target + "\""; }

std::string CmdCommandLine(const BatchStart& start) {
    return "cmd.exe " + std::string(kCmdSwitches) + " \"" + QuotedCommand(start) + "\"";
}

std::vector<CmdInterpreter> CmdInterpretersToTry(bool wow64Present) {
    if (!wow64Present) return {CmdInterpreter::System};
    return {CmdInterpreter::Wow64, CmdInterpreter::System};
}

}  // namespace psion::common
