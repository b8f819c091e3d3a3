#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/MainWindowFixture.h"
#include "support/TestScripts.h"

namespace psion::testing {
namespace {

using namespace app::main_form;
using platform::PromptAnswer;
// The strings expected, in order.
using Lines = std::vector<std::string>;

// The transfer buttons reach their command with the button's index, the
// chosen system path and the option of the check box.
class MainWindowTransferTest : public MainWindowTest {
  protected:
    MainWindowTransferTest() {
        environment_.Set("homedrive", home_);
        WriteUnitFile(kProgramFilesX86, "autoexec.btf",
                      UnitBatchFile("rem MX Version", "link -sTTY:A"));
    }

    std::filesystem::path DataDir() const {
        return temp_.Path() / kProgramFilesX86 / "kelvo" / "psion";
    }
    std::filesystem::path Marker() const { return temp_.Path() / "started.txt"; }

    // Titles of the boxes shown so far.
    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (const auto& shown : prompt_.Shown()) titles.push_back(shown.title);
        return titles;
    }
};

TEST_F(MainWindowTransferTest, ReceiveButtonRunsTheReceiveScriptOfTheChosenPath) {
    WriteScript(DataDir() / "startget.BAT", {script::AppendLine(Marker(), "received")});
    auto& window = Start();
    prompt_.QueueAnswer(PromptAnswer::Yes);

    ASSERT_TRUE(window.Click(kReceiveButton));

    // Receive waits for its script, so the script has run by now.
    EXPECT_EQ(ReadLines(Marker()), (Lines{"received"}));
    EXPECT_EQ(Titles(), (Lines{"Receive Readings", "Receive from Psion"}));
    EXPECT_EQ(prompt_.Shown().back().text, "Process completed successfully.");
    EXPECT_EQ(window.Focus(), kExitbtn);
}

TEST_F(MainWindowTransferTest, SendButtonRunsTheSendCommand) {
    WriteScript(DataDir() / "startsend.bat", {script::AppendLine(Marker(), "sent")});
    auto& window = Start();
    ASSERT_TRUE(window.Click(kCheck1));  // scripts in a window of their own
    prompt_.QueueAnswer(PromptAnswer::Yes);

    ASSERT_TRUE(window.Click(kSendButton));

    EXPECT_EQ(Titles(), (Lines{"Send Data", "Send to Psion"}));
    EXPECT_EQ(prompt_.Shown().back().text, "Process completed successfully.");
    ASSERT_TRUE(WaitForFile(Marker()));
    EXPECT_EQ(window.Focus(), kExitbtn);
}

TEST_F(MainWindowTransferTest, TransferOnNoFilesIsRefusedByTheCommand) {
    auto& window = Start();
    ASSERT_TRUE(window.Choose(kCombo1, 0));  // a path without unit files
    ASSERT_EQ(window.Text(kLbltype), "No files");

    ASSERT_TRUE(window.Click(kSendButton));

    EXPECT_EQ(Titles(), (Lines{"Update files"}));
    EXPECT_EQ(window.Focus(), kCombo1);
}

}  // namespace
}  // namespace psion::testing
