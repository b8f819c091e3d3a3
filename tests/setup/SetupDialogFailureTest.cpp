// A file that cannot be rewritten stops the Save with a message that says
// where it stopped; the files not yet reached stay as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "setup/SetupDialogHarness.h"

namespace psion::testing {
namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

constexpr std::string_view kNewBatch =
    "setdef am5\r\nsetdef ab2\r\nrem 1Meg Version\r\nlink -sTTY:C -b19200\r\npdc\r\n";
constexpr std::string_view kNewSend =
    "# send\r\nserial1=directserial port:COM2 realport:none\r\nbaud=9600\r\n";

class SetupDialogFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        h.Write("autoexec.btf", kOldBatch);
        h.Write("s_psion.conf", kOldSend);
        h.Write("r_psion.conf", kOldReceive);
    }

    // Unit type "1MB Version", destination "C", port "Com2".
    void Save() {
        if (!h.window) {
            h.Open();
            h.Fill(1, 2, 1, kTodaysCode);
        }
        h.prompt.QueueAnswer(PromptAnswer::Yes);
        h.window->SetFocus(kSave);
        ASSERT_TRUE(h.window->Click(kSave));
    }

    // The failure message: which file, why (any reason when none is given), and
    // what had been rewritten already.
    void ExpectFailureMessage(std::string_view file, std::string_view reason,
                              std::string_view alreadyRewritten) {
        ASSERT_EQ(h.prompt.Shown().size(), 2u);  // the question, then the failure
        const auto& shown = h.LastMessage();
        EXPECT_EQ(shown.title, "Psion Setup");
        EXPECT_EQ(shown.buttons, PromptButtons::Ok);
        EXPECT_EQ(shown.icon, PromptIcon::Critical);
        const std::string firstLine = "The file changes could not be saved.\r\n";
        ASSERT_TRUE(shown.text.starts_with(firstLine)) << shown.text;
        const std::string rest = shown.text.substr(firstLine.size());
        const auto lineEnd = rest.find("\r\n");
        ASSERT_NE(lineEnd, std::string::npos) << shown.text;
        const std::string fileLine = rest.substr(0, lineEnd);
        ASSERT_NE(fileLine.find(file), std::string::npos) << fileLine;
        EXPECT_TRUE(fileLine.find(file) + file.size() + 2 < fileLine.size()) << fileLine;
        EXPECT_TRUE(fileLine.ends_with(reason)) << fileLine;
        EXPECT_EQ(rest.substr(lineEnd + 2), alreadyRewritten);
    }

    void ExpectDialogKeptAsItWas() {
        for (const auto& message : h.prompt.Shown()) {
            EXPECT_NE(message.text, "File changes have been saved");
        }
        EXPECT_FALSE(h.window->IsClosed());
        EXPECT_EQ(h.window->Text(kType), "1MB Version");
        EXPECT_EQ(h.window->Text(kDest), "C");
        EXPECT_EQ(h.window->Text(kPort), "Com2");
        EXPECT_EQ(h.window->Text(kText1), kTodaysCode);
        EXPECT_EQ(h.window->Focus(), kSave);
    }

    SetupDialogHarness h;
};

TEST_F(SetupDialogFailure, AUnitBatchFileThatIsAFolderStopsBeforeAnyFileChanges) {
    std::filesystem::remove(h.folder / "autoexec.btf");
    std::filesystem::create_directory(h.folder / "autoexec.btf");
    Save();

    // The reason is the operating system's own wording.
    ExpectFailureMessage("autoexec.btf", "", "No file has been changed.");
    ExpectDialogKeptAsItWas();
    EXPECT_TRUE(std::filesystem::is_directory(h.folder / "autoexec.btf"));
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_TRUE(h.refreshes.empty()) << "nothing changed, so nothing to refresh";
}

TEST_F(SetupDialogFailure, AtTheUnitBatchFileLeavesEveryFileAsItWas) {
    h.files.FailWritesTo("autoexec.btf");
    Save();

    ExpectFailureMessage("autoexec.btf", "The file is locked by another program",
                         "No file has been changed.");
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_TRUE(h.refreshes.empty());
}

TEST_F(SetupDialogFailure, AtTheSendFileKeepsTheRewrittenBatchFileAndLeavesTheRest) {
    h.files.FailWritesTo("s_psion.conf");
    Save();

    ExpectFailureMessage("s_psion.conf", "The file is locked by another program",
                         "Already rewritten: autoexec.btf");
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    // The batch file did change, so the status panel is refreshed after the message.
    EXPECT_EQ(h.refreshes, std::vector<std::size_t>{2});
}

TEST_F(SetupDialogFailure, AtTheReceiveFileNamesBothFilesAlreadyRewritten) {
    h.files.FailWritesTo("r_psion.conf");
    Save();

    ExpectFailureMessage("r_psion.conf", "The file is locked by another program",
                         "Already rewritten: autoexec.btf and s_psion.conf");
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kNewSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_EQ(h.refreshes, std::vector<std::size_t>{2});
}

TEST_F(SetupDialogFailure, AtTheReceiveFileDoesNotClaimAMissingSendFile) {
    std::filesystem::remove(h.folder / "s_psion.conf");
    h.files.FailWritesTo("r_psion.conf");
    Save();

    ExpectFailureMessage("r_psion.conf", "The file is locked by another program",
                         "Already rewritten: autoexec.btf");
    EXPECT_FALSE(std::filesystem::exists(h.folder / "s_psion.conf"));
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
}

TEST_F(SetupDialogFailure, SavingAgainOnceTheFileIsFreeCompletes) {
    h.files.FailWritesTo("r_psion.conf");
    Save();
    ASSERT_FALSE(h.window->IsClosed());

    h.files.FailWritesTo("none-of-the-unit-files");
    Save();
    EXPECT_TRUE(h.window->IsClosed());
    EXPECT_EQ(h.LastMessage().text, "File changes have been saved");
    EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kNewSend);
    EXPECT_EQ(h.Read("r_psion.conf"), "serial1=directserial port:COM2\r\nlog=off\r\n");
}

TEST_F(SetupDialogFailure, CancelAfterAFailureWritesNothingMore) {
    h.files.FailWritesTo("autoexec.btf");
    Save();
    ASSERT_TRUE(h.window->Click(kCancel));

    EXPECT_TRUE(h.window->IsClosed());
    EXPECT_EQ(h.prompt.Shown().size(), 2u);
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
}

}  // namespace
}  // namespace psion::testing
