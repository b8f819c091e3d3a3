#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/MainForm.h"
#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/headless/FixedClock.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/MapEnvironment.h"
#include "platform/headless/ScriptedPrompt.h"
#include "support/ForwardingFileSystem.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"
#include "support/TestScripts.h"

namespace psion::testing {

// The main window on a home drive that is a temporary folder, with real files
// and real script processes, driven through the headless binding.
class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override { environment_.Set("homedrive", home_); }

    std::filesystem::path DataFolder() const {
        return temp_.Path() / "program files (x86)" / "kelvo" / "psion";
    }
    // A data-folder path as the logic spells it.
    std::string LogicDataPath(std::string_view name) const {
        return home_ + "\\program files (x86)\\kelvo\\psion\\" + std::string(name);
    }
    void WriteUnitBatchFile() const {
        temp_.Write("program files (x86)/kelvo/psion/autoexec.btf",
                    "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n");
    }
    std::filesystem::path Marker(std::string_view name) const { return temp_.Path() / name; }

    headless::HeadlessWindow& Open() { return windows_.Open(mainWindow_); }

    // The idle state that every transfer that got past the guards ends in.
    void ExpectRestored(const headless::HeadlessWindow& window) const {
        EXPECT_TRUE(window.IsEnabled(app::main_form::kSendButton));
        EXPECT_TRUE(window.IsEnabled(app::main_form::kReceiveButton));
        EXPECT_TRUE(window.IsEnabled(app::main_form::kExitbtn));
        EXPECT_FALSE(windows_.IsBusy());
        EXPECT_EQ(window.Focus(), app::main_form::kExitbtn);
    }
    // The script turns into a folder right after its existence has been
    // confirmed: the start then meets a file that cannot be run, as when the
    // script is replaced between the test and the start.
    void TurnIntoFolderAfterCheck(std::string nameTested, std::filesystem::path script) {
        files_.AfterCheck(std::move(nameTested), [script] {
            std::filesystem::remove(script);
            std::filesystem::create_directory(script);
        });
    }
    // The busy state in which the window waits while a box is shown or a script runs.
    void ExpectBusy(const headless::HeadlessWindow& window) const {
        EXPECT_FALSE(window.IsEnabled(app::main_form::kSendButton));
        EXPECT_FALSE(window.IsEnabled(app::main_form::kReceiveButton));
        EXPECT_FALSE(window.IsEnabled(app::main_form::kExitbtn));
        EXPECT_TRUE(windows_.IsBusy());
    }

    TempDir temp_;
    std::string home_ = AsSystemPath(temp_.Path());
    std::unique_ptr<platform::FileSystem> nativeFiles_ = MakeNativeFileSystem();
    ChangeAfterExistenceCheck files_{*nativeFiles_};
    std::unique_ptr<platform::ProcessLauncher> processes_ = MakeNativeProcessLauncher();
    headless::MapEnvironment environment_;
    headless::FixedClock clock_{{2026, 12, 7}};
    headless::ScriptedPrompt prompt_;
    headless::HeadlessWindowSystem windows_;
    platform::Platform platform_{files_, environment_, clock_, *processes_, prompt_, windows_};
    app::SharedValues shared_;
    app::MainWindow mainWindow_{shared_, platform_};
};

}  // namespace psion::testing
