#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
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

// A home drive and the system drive as the environment gives them (nullopt:
// not set), and the path list the start-up fills from them.
struct PathListCase {
    const char* name;
    std::optional<std::string> homeDrive;
    std::optional<std::string> systemDrive;
    Lines entries;
};

class MainWindowPathListTest : public MainWindowTest,
                               public ::testing::WithParamInterface<PathListCase> {};

TEST_P(MainWindowPathListTest, OffersTheSystemDriveOnlyBesideAnotherDriveLetter) {
    if (GetParam().homeDrive) environment.Set("HOMEDRIVE", *GetParam().homeDrive);
    if (GetParam().systemDrive) environment.Set("SystemDrive", *GetParam().systemDrive);

    auto& window = Start();

    EXPECT_EQ(window.Entries(kCombo1), GetParam().entries);
    EXPECT_EQ(window.SelectedIndex(kCombo1), 1);
    EXPECT_EQ(shared.SystemPath, GetParam().entries[1]);
}

INSTANTIATE_TEST_SUITE_P(
    HomeAndSystemDrives, MainWindowPathListTest,
    ::testing::Values(
        PathListCase{"NetworkHomeDriveWithoutSystemDrive",
                     "H:",
                     std::nullopt,
                     {"H:\\program files", "H:\\program files (x86)", "C:\\program files",
                      "C:\\program files (x86)"}},
        PathListCase{"NetworkHomeDriveAndSystemDriveC",
                     "H:",
                     "C:",
                     {"H:\\program files", "H:\\program files (x86)", "C:\\program files",
                      "C:\\program files (x86)"}},
        PathListCase{"SystemDriveKeepsItsOwnSpelling",
                     "h:",
                     "d:",
                     {"h:\\program files", "h:\\program files (x86)", "d:\\program files",
                      "d:\\program files (x86)"}},
        PathListCase{"HomeOnCWithWindowsOnD",
                     "C:",
                     "D:",
                     {"C:\\program files", "C:\\program files (x86)", "D:\\program files",
                      "D:\\program files (x86)"}},
        PathListCase{
            "SameDriveInAnotherCase", "c:", "C:", {"c:\\program files", "c:\\program files (x86)"}},
        PathListCase{"HomeDriveCWithoutSystemDrive",
                     "C:",
                     std::nullopt,
                     {"C:\\program files", "C:\\program files (x86)"}},
        PathListCase{
            "NoHomeDrive", std::nullopt, "C:", {"\\program files", "\\program files (x86)"}},
        PathListCase{"EmptyHomeDrive", "", "C:", {"\\program files", "\\program files (x86)"}},
        PathListCase{"PosixFolderAsHomeDrive",
                     "/home/kelvo",
                     std::nullopt,
                     {"/home/kelvo\\program files", "/home/kelvo\\program files (x86)"}},
        PathListCase{"FolderOnADriveAsHomeDrive",
                     "H:\\users\\kelvo",
                     "C:",
                     {"H:\\users\\kelvo\\program files", "H:\\users\\kelvo\\program files (x86)"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, NetworkHomeDriveReachesTheUnitOnTheSystemDrive) {
    environment.Set("HOMEDRIVE", "H:");
    environment.Set("SystemDrive", "C:");
    std::filesystem::copy(PSION_EXAMPLES_DIR "/demo-drive", temp.Path(),
                          std::filesystem::copy_options::recursive);

    auto& window = Start();
    // The start-up still picks the home drive's second path, where nothing is.
    EXPECT_EQ(shared.SystemPath, "H:\\program files (x86)");
    EXPECT_EQ(window.Text(kLbltype), "No files");

    ASSERT_TRUE(window.Choose(kCombo1, 3));
    EXPECT_EQ(shared.SystemPath, "C:\\program files (x86)");
    EXPECT_EQ(window.Text(kLbltype), "MX Version");
    EXPECT_EQ(window.Text(kLbldest), "link -sTTY:A");
    EXPECT_EQ(window.Text(kLblComm), "COM1");
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
