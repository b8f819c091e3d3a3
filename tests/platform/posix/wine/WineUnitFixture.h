#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "app/MainForm.h"
#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/headless/FixedClock.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/MapEnvironment.h"
#include "platform/headless/ScriptedPrompt.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/posix/ScopedEnv.h"
#include "platform/posix/wine/TestWinePrefix.h"
#include "support/NativePlatform.h"
#include "support/ScopedWorkingFolder.h"
#include "support/TempDir.h"

namespace psion::testing {

// A unit installed into a Wine prefix of its own and shown by the main
// window as from the desktop menu: no home drive, so the data folder is
// C:\program files (x86)\kelvo\psion of that prefix. The prefix's
// Program Files (x86) and windows\syswow64 are its own, empty at first; the
// rest of drive C: is the shared test prefix's.
class WineUnitTest : public ::testing::Test {
  protected:
    // Short, so a test of a hung interpreter does not take long.
    static constexpr std::chrono::seconds kSendOpenLimit{3};

    WineUnitTest() {
        environment_.Set("homedrive", "");
        std::filesystem::create_directories(DataFolder());
        std::ofstream(DataFolder() / "autoexec.btf", std::ios::binary)
            << "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n";
    }

    std::filesystem::path DataFolder() const {
        return prefix_.DriveC() / "Program Files (x86)" / "kelvo" / "psion";
    }
    std::filesystem::path Wow64Folder() const { return prefix_.DriveC() / "windows" / "syswow64"; }

    // A batch file of the data folder; lines end in CR LF.
    void WriteBatch(const std::string& name, std::initializer_list<std::string> lines) const {
        std::string text = "@echo off\r\n";
        for (const auto& line : lines) text += line + "\r\n";
        std::ofstream(DataFolder() / name, std::ios::binary) << text;
    }

    // A stand-in Windows program, copied to that path; false when it was not built.
    static bool PlaceProgram(const char* built, const std::filesystem::path& at) {
        if (!std::filesystem::exists(built)) return false;
        std::filesystem::copy_file(built, at, std::filesystem::copy_options::overwrite_existing);
        return true;
    }

    // Answers Yes to the question and clicks the transfer button.
    void ClickAndConfirm(const platform::ControlRef& button) {
        headless::HeadlessWindow& window = windows_.Open(mainWindow_);
        prompt_.QueueAnswer(platform::PromptAnswer::Yes);
        ASSERT_TRUE(window.Click(button));
    }
    std::string ResultText() const {
        return prompt_.Shown().empty() ? std::string("(no box)") : prompt_.Shown().back().text;
    }

    TwinWinePrefix prefix_{{"Program Files (x86)", "windows/syswow64"}};
    ScopedEnv winePrefix_{"WINEPREFIX", prefix_.Path().string()};
    ScopedEnv wineArch_{"WINEARCH", std::nullopt};
    ScopedEnv display_{"DISPLAY", std::nullopt};
    TempDir working_;
    ScopedWorkingFolder inWorking_{working_.Path()};

    std::unique_ptr<platform::FileSystem> files_ = MakeNativeFileSystem();
    posix::PosixProcessLauncher launcher_{posix::PosixProcessLauncher::kTerminalStartLimit,
                                          kSendOpenLimit};
    headless::MapEnvironment environment_;
    headless::FixedClock clock_{{2026, 12, 7}};
    headless::ScriptedPrompt prompt_;
    headless::HeadlessWindowSystem windows_;
    platform::Platform platform_{*files_, environment_, clock_, launcher_, prompt_, windows_};
    app::SharedValues shared_;
    app::MainWindow mainWindow_{shared_, platform_};
};

}  // namespace psion::testing
