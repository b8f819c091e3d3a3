#include <gtest/gtest.h>

#include "app/MainForm.h"
#include "app/MainWindowFixture.h"
#include "setup/SetupCode.h"

namespace psion::testing {
namespace {

using namespace app::main_form;
using platform::ControlRef;
using platform::PromptAnswer;

const ControlRef kType{"cboType", -1};
const ControlRef kDest{"cboDest", -1};
const ControlRef kPort{"cboPort", -1};
const ControlRef kCode{"Text1", -1};
const ControlRef kSave{"Command1", -1};
const ControlRef kCancel{"Command2", -1};

// The Setup command with a unit on the chosen path; the status panel after the dialog.
class MainWindowSetupTest : public MainWindowTest {
  protected:
    MainWindowSetupTest() {
        environment.Set("homedrive", home);
        WriteUnitFile(kProgramFilesX86, "autoexec.btf",
                      UnitBatchFile("rem MX Version", "link -sTTY:A"));
        WriteUnitFile(kProgramFilesX86, "s_psion.conf", SendConfigFile("COM1"));
    }

    void ExpectPanel(const headless::HeadlessWindow& window, const std::string& type,
                     const std::string& destination, const std::string& port) {
        EXPECT_EQ(window.Text(kLbltype), type);
        EXPECT_EQ(window.Text(kLbldest), destination);
        EXPECT_EQ(window.Text(kLblComm), port);
    }
};

TEST_F(MainWindowSetupTest, SavedSetupRefreshesTheStatusPanel) {
    auto& window = Start();
    windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        ASSERT_TRUE(dialog.Choose(kType, 3));
        ASSERT_TRUE(dialog.Choose(kDest, 2));
        ASSERT_TRUE(dialog.Choose(kPort, 2));
        ASSERT_TRUE(dialog.Type(kCode, setup::SetupCodeFor(clock.Today())));
        prompt.QueueAnswer(PromptAnswer::Yes);
        ASSERT_TRUE(dialog.Click(kSave));
    });

    ASSERT_TRUE(window.ClickMenu("mnuSetup"));

    ExpectPanel(window, "OLD 256k Version", "link -b19200 -P3", "COM3");
    EXPECT_EQ(prompt.Shown().back().text, "File changes have been saved");
}

TEST_F(MainWindowSetupTest, CancelledSetupLeavesTheStatusPanelAsItWas) {
    auto& window = Start();
    windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        // Another program changes the unit meanwhile; only a refresh would show it.
        WriteUnitFile(kProgramFilesX86, "autoexec.btf",
                      UnitBatchFile("rem 256k Version", "link -sTTY:B -b19200"));
        ASSERT_TRUE(dialog.Click(kCancel));
    });

    ASSERT_TRUE(window.ClickMenu("mnuSetup"));

    ExpectPanel(window, "MX Version", "link -sTTY:A", "COM1");
    EXPECT_TRUE(prompt.Shown().empty());
}

}  // namespace
}  // namespace psion::testing
