#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "app/MainForm.h"
#include "support/HeadlessProgram.h"
#include "support/TestScripts.h"

namespace psion::testing {

// The main window on a home drive that is a temporary folder, with real files
// and real script processes, driven through the headless binding.
class TransferTest : public ::testing::Test, protected HeadlessProgram<ChangeAfterExistenceCheck> {
  protected:
    void SetUp() override { environment.Set("homedrive", home); }

    std::filesystem::path DataFolder() const {
        return temp.Path() / "program files (x86)" / "kelvo" / "psion";
    }
    // A data-folder path as the logic spells it.
    std::string LogicDataPath(std::string_view name) const {
        return home + "\\program files (x86)\\kelvo\\psion\\" + std::string(name);
    }
    void WriteUnitBatchFile() const {
        temp.Write("program files (x86)/kelvo/psion/autoexec.btf",
                   "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n");
    }
    std::filesystem::path Marker(std::string_view name) const { return temp.Path() / name; }

    // The idle state that every transfer that got past the guards ends in.
    void ExpectRestored(const headless::HeadlessWindow& window) const {
        EXPECT_TRUE(window.IsEnabled(app::main_form::kSendButton));
        EXPECT_TRUE(window.IsEnabled(app::main_form::kReceiveButton));
        EXPECT_TRUE(window.IsEnabled(app::main_form::kExitbtn));
        EXPECT_FALSE(windows.IsBusy());
        EXPECT_EQ(window.Focus(), app::main_form::kExitbtn);
    }
    // The script turns into a folder right after its existence has been
    // confirmed: the start then meets a file that cannot be run, as when the
    // script is replaced between the test and the start.
    void TurnIntoFolderAfterCheck(std::string nameTested, std::filesystem::path script) {
        files.AfterCheck(std::move(nameTested), [script] {
            std::filesystem::remove(script);
            std::filesystem::create_directory(script);
        });
    }
    // The busy state in which the window waits while a box is shown or a script runs.
    void ExpectBusy(const headless::HeadlessWindow& window) const {
        EXPECT_FALSE(window.IsEnabled(app::main_form::kSendButton));
        EXPECT_FALSE(window.IsEnabled(app::main_form::kReceiveButton));
        EXPECT_FALSE(window.IsEnabled(app::main_form::kExitbtn));
        EXPECT_TRUE(windows.IsBusy());
    }
};

}  // namespace psion::testing
