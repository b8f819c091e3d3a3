#pragma once

#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/ProcessLauncher.h"
#include "platform/UserPrompt.h"
#include "platform/WindowSystem.h"

namespace psion::platform {

// Everything the logic needs from outside, handed to it in one piece.
struct Platform {
    FileSystem& files;
    Environment& environment;
    Clock& clock;
    ProcessLauncher& processes;
    UserPrompt& prompt;
    WindowSystem& windows;
};

}  // namespace psion::platform
