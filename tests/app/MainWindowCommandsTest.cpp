#include <gtest/gtest.h>

#include <string>

#include "app/ContactForm.h"
#include "app/MainForm.h"
#include "app/MainWindowFixture.h"

namespace psion::testing {
namespace {

using namespace app::main_form;
using platform::PromptButtons;
using platform::PromptIcon;

class MainWindowCommandsTest : public MainWindowTest {
  protected:
    MainWindowCommandsTest() { environment.Set("homedrive", home); }

    void WriteUnit(std::string_view remLine) {
        WriteUnitFile(kProgramFilesX86, "autoexec.btf", UnitBatchFile(remLine, "link -sTTY:A"));
        WriteUnitFile(kProgramFilesX86, "s_psion.conf", SendConfigFile("COM1"));
    }
};

TEST_F(MainWindowCommandsTest, CheckBoxSetsTheWindowStyleAndReturnsToSend) {
    auto& window = Start();

    ASSERT_TRUE(window.Click(kCheck1));
    EXPECT_TRUE(window.IsChecked(kCheck1));
    EXPECT_EQ(shared.ShowCommandWindow, 1);
    EXPECT_EQ(window.Focus(), kSendButton);

    ASSERT_TRUE(window.Click(kCheck1));
    EXPECT_FALSE(window.IsChecked(kCheck1));
    EXPECT_EQ(shared.ShowCommandWindow, 0);
    EXPECT_EQ(window.Focus(), kSendButton);
    EXPECT_TRUE(prompt.Shown().empty());
}

TEST_F(MainWindowCommandsTest, SetupOnNoFilesRefusesWithItsMessage) {
    auto& window = Start();
    ASSERT_EQ(window.Text(kLbltype), "No files");

    ASSERT_TRUE(window.ClickMenu("mnuSetup"));

    ASSERT_EQ(prompt.Shown().size(), 1u);
    const auto& shown = prompt.Shown().front();
    EXPECT_EQ(shown.text, "The appears to be no Psion files to setup in this System Path");
    EXPECT_EQ(shown.title, "Update files");
    EXPECT_EQ(shown.buttons, PromptButtons::Ok);
    EXPECT_EQ(shown.icon, PromptIcon::None);
    EXPECT_EQ(window.Focus(), kCombo1);
    EXPECT_TRUE(windows.ModalsShown().empty());
}

TEST_F(MainWindowCommandsTest, SetupWithAUnitOpensTheSetupDialogModally) {
    WriteUnit("rem MX Version");
    auto& window = Start();
    bool mainTookInput = true;
    windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        mainTookInput = window.ClickMenu("mnuContact") || window.Click(kExitbtn);
        dialog.CloseBox();
    });

    ASSERT_TRUE(window.ClickMenu("mnuSetup"));

    EXPECT_EQ(windows.ModalsShown().size(), 1u);
    EXPECT_EQ(windows.PendingModalScripts(), 0u);
    EXPECT_FALSE(mainTookInput);
    EXPECT_TRUE(prompt.Shown().empty());
    // Cancelled: the status panel stays as it was.
    EXPECT_EQ(window.Text(kLbltype), "MX Version");
    EXPECT_FALSE(window.IsClosed());
    EXPECT_TRUE(window.Click(kCheck1));  // input again once the dialog has closed
}

// Only the exact, case-sensitive "No files" refuses: an empty reader type, or
// a unit whose rem line reads like the marker in other letters, is a unit.
class SetupReaderTypeTest : public MainWindowCommandsTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(SetupReaderTypeTest, AnyOtherReaderTypeOpensTheSetupDialog) {
    WriteUnit(GetParam());
    auto& window = Start();
    windows.QueueModal([](headless::HeadlessWindow& dialog) { dialog.CloseBox(); });

    ASSERT_TRUE(window.ClickMenu("mnuSetup"));

    EXPECT_EQ(windows.ModalsShown().size(), 1u);
    EXPECT_TRUE(prompt.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(EmptyAndOtherLetters, SetupReaderTypeTest,
                         ::testing::Values("rem ", "rem no files"));

// File > Exit, the Exit button and the close box close the main window
// alike, without a question; a closed window takes no input.
class MainWindowCloseTest : public MainWindowCommandsTest,
                            public ::testing::WithParamInterface<std::string> {};

TEST_P(MainWindowCloseTest, ClosesTheMainWindowWithoutAQuestion) {
    auto& window = Start();

    if (GetParam() == "mnuexit") {
        ASSERT_TRUE(window.ClickMenu("mnuexit"));
    } else if (GetParam() == "exitbtn") {
        ASSERT_TRUE(window.Click(kExitbtn));
    } else {
        window.CloseBox();
    }

    EXPECT_TRUE(window.IsClosed());
    EXPECT_TRUE(prompt.Shown().empty());
    EXPECT_FALSE(window.Click(kSendButton));
}

INSTANTIATE_TEST_SUITE_P(, MainWindowCloseTest,
                         ::testing::Values("mnuexit", "exitbtn", "closeBox"));

TEST_F(MainWindowCommandsTest, OpeningTheFileMenuDoesNothingItself) {
    auto& window = Start();

    ASSERT_TRUE(window.ClickMenu("mnufile"));

    EXPECT_FALSE(window.IsClosed());
    EXPECT_TRUE(windows.ModalsShown().empty());
}

TEST_F(MainWindowCommandsTest, ContactUsOpensTheContactDialogAndLeavesTheMainWindowAsItWas) {
    WriteUnit("rem MX Version");
    auto& window = Start();
    std::string companyName;
    windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        companyName = dialog.Text(app::contact_form::kCompanyName);
        ASSERT_TRUE(dialog.Click(app::contact_form::kExitButton));
    });

    ASSERT_TRUE(window.ClickMenu("mnuContact"));

    ASSERT_EQ(windows.ModalsShown().size(), 1u);
    EXPECT_EQ(windows.ModalsShown().front(), "Vided Ivivovizede");
    EXPECT_FALSE(companyName.empty());
    EXPECT_EQ(window.Text(kLbltype), "MX Version");
    EXPECT_EQ(window.Text(kLblComm), "COM1");
    EXPECT_EQ(shared.SystemPath, home + "\\program files (x86)");
    EXPECT_EQ(shared.ShowCommandWindow, 0);
    EXPECT_FALSE(window.IsClosed());
}

}  // namespace
}  // namespace psion::testing
