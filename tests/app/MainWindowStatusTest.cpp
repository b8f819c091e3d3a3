#include <gtest/gtest.h>

#include "app/MainForm.h"
#include "app/MainWindowFixture.h"

namespace psion::testing {
namespace {

using namespace app::main_form;

// The status panel across path choices; the home drive is a temporary folder.
class StatusPanelTest : public MainWindowTest {
  protected:
    StatusPanelTest() { environment.Set("homedrive", home); }

    // A unit's two files in the data folder under that root.
    void WriteUnit(std::string_view root, std::string_view remLine, std::string_view linkLine,
                   std::string_view port) {
        WriteUnitFile(root, "autoexec.btf", UnitBatchFile(remLine, linkLine));
        WriteUnitFile(root, "s_psion.conf", SendConfigFile(port));
    }

    headless::HeadlessWindow& ChooseProgramFiles(headless::HeadlessWindow& window) {
        EXPECT_TRUE(window.Choose(kCombo1, 0));
        return window;
    }

    void ExpectPanel(const headless::HeadlessWindow& window, const std::string& type,
                     const std::string& destination, const std::string& port) {
        EXPECT_EQ(window.Text(kLbltype), type);
        EXPECT_EQ(window.Text(kLbldest), destination);
        EXPECT_EQ(window.Text(kLblComm), port);
    }
};

TEST_F(StatusPanelTest, ChoosingTheOtherPathRefreshesFromItsDataFolder) {
    WriteUnit(kProgramFilesX86, "rem MX Version", "link -sTTY:A", "COM1");
    WriteUnit(kProgramFiles, "rem OLD 256k Version", "link -b19200 -P2", "COM4");
    auto& window = Start();

    ChooseProgramFiles(window);

    EXPECT_EQ(shared.SystemPath, home + "\\program files");
    ExpectPanel(window, "OLD 256k Version", "link -b19200 -P2", "COM4");

    ASSERT_TRUE(window.Choose(kCombo1, 1));
    EXPECT_EQ(shared.SystemPath, home + "\\program files (x86)");
    ExpectPanel(window, "MX Version", "link -sTTY:A", "COM1");
}

TEST_F(StatusPanelTest, NeitherUnitBatchFileNorSendConfigurationShowsNoFilesThrice) {
    ExpectPanel(Start(), "No files", "No files", "No files");
}

TEST_F(StatusPanelTest, SendConfigurationWithoutUnitBatchFileStillShowsThePort) {
    WriteUnitFile(kProgramFilesX86, "s_psion.conf", SendConfigFile("COM2"));

    ExpectPanel(Start(), "No files", "No files", "COM2");
}

TEST_F(StatusPanelTest, FirstRefreshWithoutSendConfigurationLeavesThePortEmpty) {
    WriteUnitFile(kProgramFilesX86, "autoexec.btf",
                  UnitBatchFile("rem 1Meg Version", "link -sTTY:B -b19200"));

    ExpectPanel(Start(), "1Meg Version", "link -sTTY:B -b19200", "");
}

TEST_F(StatusPanelTest, PathWithoutSendConfigurationKeepsThePortOfTheEarlierPath) {
    WriteUnit(kProgramFilesX86, "rem MX Version", "link -sTTY:A", "COM1");
    WriteUnitFile(kProgramFiles, "autoexec.btf",
                  UnitBatchFile("rem 256k Version", "link -sTTY:C -b19200"));
    auto& window = Start();

    ChooseProgramFiles(window);

    ExpectPanel(window, "256k Version", "link -sTTY:C -b19200", "COM1");
}

TEST_F(StatusPanelTest, PathWithoutSendConfigurationAfterNoFilesKeepsNoFilesAsPort) {
    WriteUnitFile(kProgramFiles, "autoexec.btf",
                  UnitBatchFile("rem 256k Version", "link -sTTY:C -b19200"));
    auto& window = Start();
    ExpectPanel(window, "No files", "No files", "No files");

    ChooseProgramFiles(window);

    ExpectPanel(window, "256k Version", "link -sTTY:C -b19200", "No files");
}

TEST_F(StatusPanelTest, PortOfAPathWithoutUnitBatchFileOverridesNoFiles) {
    WriteUnit(kProgramFilesX86, "rem MX Version", "link -sTTY:A", "COM1");
    WriteUnitFile(kProgramFiles, "s_psion.conf", SendConfigFile("COM6"));
    auto& window = Start();

    ChooseProgramFiles(window);

    ExpectPanel(window, "No files", "No files", "COM6");
}

TEST_F(StatusPanelTest, EveryChoiceReadsTheFilesAgain) {
    WriteUnit(kProgramFilesX86, "rem MX Version", "link -sTTY:A", "COM1");
    auto& window = Start();

    // Another program changes the unit files; the same path chosen again shows the change.
    WriteUnit(kProgramFilesX86, "rem 1Meg Version", "link -sTTY:B -b19200", "COM3");
    ASSERT_TRUE(window.Choose(kCombo1, 1));
    ExpectPanel(window, "1Meg Version", "link -sTTY:B -b19200", "COM3");

    RemoveUnitFile(kProgramFilesX86, "autoexec.btf");
    mainWindow.GetStuff();
    ExpectPanel(window, "No files", "No files", "COM3");
}

TEST_F(StatusPanelTest, ShortRemLineGivesAnEmptyReaderType) {
    WriteUnitFile(kProgramFilesX86, "autoexec.btf", UnitBatchFile("rem", "link -sTTY:A"));

    ExpectPanel(Start(), "", "link -sTTY:A", "");
}

TEST_F(StatusPanelTest, PathChoiceLeavesOptionAndFocusAlone) {
    auto& window = Start();
    ASSERT_TRUE(window.Click(kCheck1));

    ChooseProgramFiles(window);

    EXPECT_TRUE(window.IsChecked(kCheck1));
    EXPECT_EQ(shared.ShowCommandWindow, 1);
    // Where the user's choice put it, not moved on by the handler.
    EXPECT_EQ(window.Focus(), kCombo1);
}

}  // namespace
}  // namespace psion::testing
