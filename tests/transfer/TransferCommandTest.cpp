#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>

#include "transfer/TransferFixture.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;
using app::main_form::kCombo1;
using app::main_form::kExitbtn;
using app::main_form::kReceiveButton;
using app::main_form::kSendButton;
using platform::ControlRef;
using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

// What the user sees of one of the two commands.
struct Command {
    std::string name;
    ControlRef button;
    std::string scriptOnDisk;
    std::string question;
    std::string questionTitle;
    std::string resultTitle;
    std::string failureText;
};

// Keeps the test listing readable: a command is shown by its name, not its bytes.
void PrintTo(const Command& command, std::ostream* out) { *out << command.name; }

const Command kSend{
    .name = "Send",
    .button = kSendButton,
    .scriptOnDisk = "startsend.bat",
    .question =
        "You are about to send data to Psion\r\n"
        "and over-write the existing data file.\r\n"
        "ARE YOU SURE?",
    .questionTitle = "Send Data",
    .resultTitle = "Send to Psion",
    .failureText =
        "There was a problem with STARTSEND.BAT.\r\n"
        "It did not complete successfully.\r\n"
        "(shell process return code = 0)",
};

const Command kReceive{
    .name = "Receive",
    .button = kReceiveButton,
    .scriptOnDisk = "startget.BAT",
    .question =
        "You are about to receive readings from Psion\r\n"
        "and over-write the existing reading file on the computer.\r\n"
        "ARE YOU SURE?",
    .questionTitle = "Receive Readings",
    .resultTitle = "Receive from Psion",
    .failureText =
        "There was a problem with STARTGET.BAT.\r\n"
        "It did not complete successfully.\r\n"
        "(shell process return code = 0)",
};

// The command's failure as the user sees it.
void ExpectFailure(const Command& command, const platform::PromptMessage& box) {
    EXPECT_EQ(box.text, command.failureText);
    EXPECT_EQ(box.title, command.resultTitle);
    EXPECT_EQ(box.buttons, PromptButtons::Ok);
    EXPECT_EQ(box.icon, PromptIcon::Critical);
}

class EitherCommandTest : public TransferTest, public ::testing::WithParamInterface<Command> {
  protected:
    // A script that leaves a mark when it runs.
    fs::path WriteMarkingScript() const {
        return WriteScript(DataFolder() / GetParam().scriptOnDisk,
                           {script::AppendLine(Marker("ran"), "ran")});
    }
    void ExpectQuestion(const platform::PromptMessage& box) const {
        EXPECT_EQ(box.text, GetParam().question);
        EXPECT_EQ(box.title, GetParam().questionTitle);
        EXPECT_EQ(box.buttons, PromptButtons::YesNo);
        EXPECT_EQ(box.icon, PromptIcon::None);
    }

    // A guard shows its one message, puts the focus on the path list, starts
    // nothing, and leaves the buttons (Exit was disabled beforehand) and the pointer as they were.
    void ExpectOnlyTheGuardMessage(headless::HeadlessWindow& window, const std::string& text,
                                   const std::string& title) {
        ASSERT_EQ(prompt.Shown().size(), 1u);
        EXPECT_EQ(prompt.Shown()[0].text, text);
        EXPECT_EQ(prompt.Shown()[0].title, title);
        EXPECT_EQ(prompt.Shown()[0].buttons, PromptButtons::Ok);
        EXPECT_EQ(window.Focus(), kCombo1);
        EXPECT_TRUE(window.IsEnabled(kSendButton));
        EXPECT_TRUE(window.IsEnabled(kReceiveButton));
        EXPECT_FALSE(window.IsEnabled(kExitbtn));
        EXPECT_FALSE(windows.IsBusy());
        EXPECT_FALSE(fs::exists(Marker("ran")));
    }
};

TEST_P(EitherCommandTest, WithoutUnitFilesOnlyThatIsSaidEvenWithoutAPath) {
    WriteMarkingScript();
    auto& window = Start();
    ASSERT_EQ(window.Text({"lbltype"}), "No files");
    window.SelectListEntry(kCombo1, -1);
    window.SetEnabled(kExitbtn, false);

    ASSERT_TRUE(window.Click(GetParam().button));

    ExpectOnlyTheGuardMessage(window, "The appears to be no Psion files in this System Path",
                              "Update files");
}

TEST_P(EitherCommandTest, WithoutASelectedPathOnlyThatIsSaid) {
    WriteUnitBatchFile();
    WriteMarkingScript();
    auto& window = Start();
    ASSERT_EQ(window.Text({"lbltype"}), "MX Version");
    window.SelectListEntry(kCombo1, -1);
    window.SetEnabled(kExitbtn, false);

    ASSERT_TRUE(window.Click(GetParam().button));

    ExpectOnlyTheGuardMessage(window, "You must select a SYSTEM PATH ...", "Select Path");
}

TEST_P(EitherCommandTest, NoToTheQuestionStartsNothingAndRestoresTheWindow) {
    WriteUnitBatchFile();
    WriteMarkingScript();
    auto& window = Start();
    bool asked = false;
    prompt.QueueAnswer(PromptAnswer::No, [&](const platform::PromptMessage&) {
        asked = true;
        ExpectBusy(window);
    });

    ASSERT_TRUE(window.Click(GetParam().button));

    EXPECT_TRUE(asked);
    ASSERT_EQ(prompt.Shown().size(), 1u);
    ExpectQuestion(prompt.Shown()[0]);
    ExpectRestored(window);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(Marker("ran")));
}

TEST_P(EitherCommandTest, AMissingScriptGivesTheFailureTextAlone) {
    WriteUnitBatchFile();
    auto& window = Start();
    prompt.QueueAnswer(PromptAnswer::Yes);
    prompt.QueueAnswer(PromptAnswer::Ok,
                       [&](const platform::PromptMessage&) { ExpectBusy(window); });

    ASSERT_TRUE(window.Click(GetParam().button));

    ASSERT_EQ(prompt.Shown().size(), 2u);
    ExpectQuestion(prompt.Shown()[0]);
    ExpectFailure(GetParam(), prompt.Shown()[1]);
    ExpectRestored(window);
}

TEST_P(EitherCommandTest, AStartedScriptIsReportedAsCompleted) {
    WriteUnitBatchFile();
    WriteMarkingScript();
    auto& window = Start();
    prompt.QueueAnswer(PromptAnswer::Yes);
    prompt.QueueAnswer(PromptAnswer::Ok,
                       [&](const platform::PromptMessage&) { ExpectBusy(window); });

    ASSERT_TRUE(window.Click(GetParam().button));

    ASSERT_EQ(prompt.Shown().size(), 2u);
    ExpectQuestion(prompt.Shown()[0]);
    EXPECT_EQ(prompt.Shown()[1].text, "Process completed successfully.");
    EXPECT_EQ(prompt.Shown()[1].title, GetParam().resultTitle);
    EXPECT_EQ(prompt.Shown()[1].buttons, PromptButtons::Ok);
    EXPECT_EQ(prompt.Shown()[1].icon, PromptIcon::None);
    ExpectRestored(window);
    EXPECT_TRUE(WaitForFile(Marker("ran")));
}

INSTANTIATE_TEST_SUITE_P(SendAndReceive, EitherCommandTest, ::testing::Values(kSend, kReceive),
                         [](const auto& info) { return info.param.name; });

// The script's exit code is never read: one that ends with an error is reported as completed.
TEST_F(TransferTest, ReceiveReportsOnlyAfterItsScriptHasEnded) {
    WriteUnitBatchFile();
    WriteScript(DataFolder() / "startget.BAT",
                {script::Sleep(1), script::AppendLine(Marker("done"), "done"), script::Exit(3)});
    auto& window = Start();
    bool reported = false;
    prompt.QueueAnswer(PromptAnswer::Yes);
    prompt.QueueAnswer(PromptAnswer::Ok, [&](const platform::PromptMessage& box) {
        reported = true;
        EXPECT_EQ(box.text, "Process completed successfully.");
        EXPECT_EQ(box.title, "Receive from Psion");
        EXPECT_TRUE(fs::exists(Marker("done"))) << "the script's last act comes before the report";
        ExpectBusy(window);
    });

    ASSERT_TRUE(window.Click(kReceiveButton));

    EXPECT_TRUE(reported);
    ExpectRestored(window);
}

TEST_F(TransferTest, SendReportsWhileItsScriptStillRuns) {
    WriteUnitBatchFile();
    WriteScript(DataFolder() / "startsend.bat",
                {script::Sleep(2), script::AppendLine(Marker("done"), "done"), script::Exit(3)});
    auto& window = Start();
    bool reported = false;
    prompt.QueueAnswer(PromptAnswer::Yes);
    prompt.QueueAnswer(PromptAnswer::Ok, [&](const platform::PromptMessage& box) {
        reported = true;
        EXPECT_EQ(box.text, "Process completed successfully.");
        EXPECT_EQ(box.title, "Send to Psion");
        EXPECT_FALSE(fs::exists(Marker("done"))) << "Send must not wait for its script";
        ExpectBusy(window);
    });

    ASSERT_TRUE(window.Click(kSendButton));

    EXPECT_TRUE(reported);
    ExpectRestored(window);
    EXPECT_FALSE(fs::exists(Marker("done")));
    EXPECT_TRUE(WaitForFile(Marker("done"))) << "the script runs on by itself";
}

TEST_F(TransferTest, AReceiveWhoseStartFailsShowsTheShellErrorThenTheFailure) {
    WriteUnitBatchFile();
    WriteScript(DataFolder() / "startget.BAT", {script::Exit(0)});
    TurnIntoFolderAfterCheck("startget.BAT", DataFolder() / "startget.BAT");
    auto& window = Start();
    prompt.QueueAnswer(PromptAnswer::Yes);
    prompt.QueueAnswer(PromptAnswer::Ok,
                       [&](const platform::PromptMessage&) { ExpectBusy(window); });

    ASSERT_TRUE(window.Click(kReceiveButton));

    ASSERT_EQ(prompt.Shown().size(), 3u);
    const auto& shellError = prompt.Shown()[1];
    EXPECT_EQ(shellError.text, "Error shelling " + LogicDataPath("startget.BAT"));
    EXPECT_EQ(shellError.title, platform::kApplicationTitle);
    EXPECT_EQ(shellError.buttons, PromptButtons::Ok);
    EXPECT_EQ(shellError.icon, PromptIcon::None);
    ExpectFailure(kReceive, prompt.Shown()[2]);
    ExpectRestored(window);
}

TEST_F(TransferTest, ASendWhoseStartFailsShowsTheFailureAlone) {
    WriteUnitBatchFile();
    WriteScript(DataFolder() / "startsend.bat", {script::Exit(0)});
    TurnIntoFolderAfterCheck("startsend.BAT", DataFolder() / "startsend.bat");
    auto& window = Start();
    prompt.QueueAnswer(PromptAnswer::Yes);

    ASSERT_TRUE(window.Click(kSendButton));

    ASSERT_EQ(prompt.Shown().size(), 2u);
    ExpectFailure(kSend, prompt.Shown()[1]);
    ExpectRestored(window);
}

}  // namespace
}  // namespace psion::testing
