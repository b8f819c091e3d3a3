#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/MainWindowFixture.h"

namespace psion::testing {
namespace {

using namespace app::main_form;
// The strings expected, in order.
using Lines = std::vector<std::string>;

TEST_F(MainWindowTest, HomeDriveCOffersBothPathsAndSelectsTheSecond) {
    environment.Set("HOMEDRIVE", "C:");
    WriteUnitFile(kProgramFilesX86, "autoexec.btf",
                  UnitBatchFile("rem 256k Version", "link -sTTY:C -b19200"));
    WriteUnitFile(kProgramFilesX86, "s_psion.conf", SendConfigFile("COM5"));

    auto& window = Start();

    EXPECT_EQ(window.Entries(kCombo1), (Lines{"C:\\program files", "C:\\program files (x86)"}));
    EXPECT_EQ(window.SelectedIndex(kCombo1), 1);
    EXPECT_EQ(window.Text(kCombo1), "C:\\program files (x86)");
    EXPECT_EQ(shared.SystemPath, "C:\\program files (x86)");
    // Read during loading, before the window is first shown.
    EXPECT_EQ(window.Text(kLbltype), "256k Version");
    EXPECT_EQ(window.Text(kLbldest), "link -sTTY:C -b19200");
    EXPECT_EQ(window.Text(kLblComm), "COM5");
    EXPECT_EQ(window.Focus(), kSendButton);
    EXPECT_TRUE(window.WasBroughtToFront());
    EXPECT_TRUE(prompt.Shown().empty());
}

TEST_F(MainWindowTest, WithoutHomeDriveThePathsStartAtTheRoot) {
    auto& window = Start();

    EXPECT_EQ(window.Entries(kCombo1), (Lines{"\\program files", "\\program files (x86)"}));
    EXPECT_EQ(window.SelectedIndex(kCombo1), 1);
    EXPECT_EQ(shared.SystemPath, "\\program files (x86)");
    EXPECT_EQ(window.Text(kLbltype), "No files");
    EXPECT_EQ(window.Focus(), kSendButton);
}

TEST_F(MainWindowTest, PosixFolderAsHomeDriveShowsTheDemoUnit) {
    std::filesystem::copy(PSION_EXAMPLES_DIR "/demo-drive", temp.Path(),
                          std::filesystem::copy_options::recursive);
    environment.Set("HomeDrive", home);

    auto& window = Start();

    EXPECT_EQ(window.Entries(kCombo1),
              (Lines{home + "\\program files", home + "\\program files (x86)"}));
    EXPECT_EQ(shared.SystemPath, home + "\\program files (x86)");
    EXPECT_EQ(window.Text(kLbltype), "MX Version");
    EXPECT_EQ(window.Text(kLbldest), "link -sTTY:A");
    EXPECT_EQ(window.Text(kLblComm), "COM1");
    EXPECT_EQ(window.Focus(), kSendButton);
}

TEST_F(MainWindowTest, StartsWithTheOptionOffEveryControlEnabledAndTheVersionShown) {
    auto& window = Start();

    EXPECT_FALSE(window.IsChecked(kCheck1));
    EXPECT_EQ(shared.ShowCommandWindow, 0);
    for (const auto& control : {kSendButton, kReceiveButton, kExitbtn, kCheck1, kCombo1}) {
        EXPECT_TRUE(window.IsEnabled(control)) << control.name << control.index;
    }
    EXPECT_FALSE(window.IsClosed());
    EXPECT_FALSE(window.Text(kVendorNotice).empty());
    // Major and minor of the version that the build gives the project, such as "1.16" of 1.16.0.
    const std::string projectVersion = PSION_PROJECT_VERSION;
    EXPECT_EQ(window.Text(kVersionLabel), projectVersion.substr(0, projectVersion.rfind('.')));
}

}  // namespace
}  // namespace psion::testing
