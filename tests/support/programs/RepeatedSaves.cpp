// A second program for the tests: saves one set of choices through the setup
// dialog again and again, with the native file layer and folder locks behind
// it, so that a test can run two of them against one data folder at once.
//
// psion-repeated-saves <system path> <unit type> <destination> <port> <count> <start file>
// Waits until the start file exists, then saves <count> times. Exits 0 when
// every Save ended in "File changes have been saved".
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/Platform.h"
#include "platform/headless/FixedClock.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/MapEnvironment.h"
#include "platform/headless/ScriptedPrompt.h"
#include "setup/SetupCode.h"
#include "setup/SetupDialog.h"
#include "unitfiles/DataFolder.h"

#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProcessLauncher.h"
using NativeFiles = psion::win32::Win32FileSystem;
using NativeProcesses = psion::win32::Win32ProcessLauncher;
#else
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/posix/ProcessStartup.h"
using NativeFiles = psion::posix::PosixFileSystem;
using NativeProcesses = psion::posix::PosixProcessLauncher;
#endif

namespace {

using namespace psion;

constexpr platform::CalendarDate kToday{2026, 3, 7};

// One Save as a user makes it; the message it ended with.
std::string SaveOnce(setup::SetupDialog& dialog, headless::ScriptedPrompt& prompt, int type,
                     int destination, int port) {
    headless::HeadlessWindow window(dialog.Description(), dialog.Routes());
    dialog.Load(window);
    window.FocusFirstControl();
    window.Choose(platform::ControlRef{"cboType"}, type);
    window.Choose(platform::ControlRef{"cboDest"}, destination);
    window.Choose(platform::ControlRef{"cboPort"}, port);
    window.Type(platform::ControlRef{"Text1"}, setup::SetupCodeFor(kToday));
    prompt.QueueAnswer(platform::PromptAnswer::Yes);
    window.Click(platform::ControlRef{"Command1"});
    return prompt.Shown().empty() ? std::string() : prompt.Shown().back().text;
}

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    posix::PrepareProcess();
#endif
    if (argc != 7) {
        std::fputs(
            "usage: psion-repeated-saves <system path> <unit type> <destination> <port> "
            "<count> <start file>\n",
            stderr);
        return 2;
    }
    const std::string systemPath = argv[1];
    const int type = std::stoi(argv[2]);
    const int destination = std::stoi(argv[3]);
    const int port = std::stoi(argv[4]);
    const int count = std::stoi(argv[5]);
    const std::filesystem::path startFile = argv[6];

    NativeFiles files;
    headless::MapEnvironment environment;
    headless::FixedClock clock(kToday);
    NativeProcesses processes;
    headless::ScriptedPrompt prompt;
    headless::HeadlessWindowSystem windows;
    platform::Platform platform{files, environment, clock, processes, prompt, windows};
    unitfiles::DataFolder dataFolder(files, systemPath);
    setup::SetupDialog dialog(platform, dataFolder, {});

    // Both programs start saving together, once both have been started.
    while (!std::filesystem::exists(startFile)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (int i = 0; i < count; ++i) {
        const std::string shown = SaveOnce(dialog, prompt, type, destination, port);
        if (shown != "File changes have been saved") {
            std::fprintf(stderr, "Save %d of %d ended with: %s\n", i + 1, count, shown.c_str());
            return 1;
        }
    }
    return 0;
}
