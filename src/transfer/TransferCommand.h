#pragma once

#include <cstdint>

#include "platform/UserPrompt.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"
#include "transfer/ScriptLauncher.h"
#include "unitfiles/DataFolder.h"

namespace psion::transfer {

// What the Send and Receive buttons of the main window work with.
struct TransferContext {
    platform::Window& mainWindow;
    platform::WindowSystem& windows;
    platform::UserPrompt& prompt;
    const unitfiles::DataFolder& dataFolder;
    ScriptLauncher& launcher;
};

inline constexpr std::int16_t kSendIndex = 0;
inline constexpr std::int16_t kReceiveIndex = 1;

// The click handler of the main window's button array Command1.
void RunTransferCommand(std::int16_t index, const TransferContext& context);

}  // namespace psion::transfer
