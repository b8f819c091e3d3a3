#include "transfer/ScriptLauncher.h"

namespace psion::transfer {

ScriptLauncher::ScriptLauncher(platform::ProcessLauncher& processes, platform::UserPrompt& prompt,
                               const std::int16_t& showCommandWindow)
    : processes_(processes), prompt_(prompt), showCommandWindow_(showCommandWindow) {}

platform::ProcessId ScriptLauncher::StartScript(const std::string& path) {
    // The check box may have changed since the last start, so read it now.
    return processes_.StartDetached(path, showCommandWindow_);
}

void ScriptLauncher::RunAndWait(const std::string& path, platform::ProcessId& processId) {
    processId = processes_.Start(path, showCommandWindow_);
    if (processId != 0) {
        processes_.WaitForExit(processId);
        return;
    }
    prompt_.Show({.text = "Error shelling " + path,
                  .title = "",
                  .buttons = platform::PromptButtons::Ok,
                  .icon = platform::PromptIcon::None});
}

}  // namespace psion::transfer
