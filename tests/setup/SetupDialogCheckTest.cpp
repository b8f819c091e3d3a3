// Save stops before writing anything: wrong code, a missing choice, or No.
#include <gtest/gtest.h>

#include <string>

#include "setup/SetupDialogHarness.h"

namespace psion::testing {
namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

class SetupDialogCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        h.Write("autoexec.btf", kOldBatch);
        h.Write("s_psion.conf", kOldSend);
        h.Write("r_psion.conf", kOldReceive);
        h.Open();
    }

    // A click on a real button moves the focus to it first.
    void PressSave() {
        h.window->SetFocus(kSave);
        ASSERT_TRUE(h.window->Click(kSave));
    }

    void ExpectNothingWritten() {
        EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
        EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
        EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
        EXPECT_TRUE(h.refreshes.empty());
        EXPECT_FALSE(h.window->IsClosed());
    }

    void ExpectSetupError(const std::string& text) {
        ASSERT_EQ(h.prompt.Shown().size(), 1u);
        EXPECT_EQ(h.LastMessage().text, text);
        EXPECT_EQ(h.LastMessage().title, "Setup Error");
        EXPECT_EQ(h.LastMessage().buttons, PromptButtons::Ok);
        EXPECT_EQ(h.LastMessage().icon, PromptIcon::None);
    }

    SetupDialogHarness h;
};

TEST_F(SetupDialogCheck, EverythingBlankGivesTheWrongCodeMessageWithTheFocusInText1) {
    PressSave();

    ASSERT_EQ(h.prompt.Shown().size(), 1u);
    EXPECT_EQ(h.LastMessage().text,
              "Sorry, you have entered the wrong setup code ...\r\n"
              "Please call customer support for correct code.");
    EXPECT_EQ(h.LastMessage().title, "Psion Setup");
    EXPECT_EQ(h.LastMessage().buttons, PromptButtons::Ok);
    EXPECT_EQ(h.LastMessage().icon, PromptIcon::Critical);
    EXPECT_EQ(h.window->Focus(), kText1);
    ExpectNothingWritten();
}

TEST_F(SetupDialogCheck, TestsTheCodeBeforeTheChoicesAndNeverTrimsIt) {
    for (const std::string code :
         {"aicgglgoimmr", " AICGGLGOIMMR", "AICGGLGOIMMR ", "AJCGGLGPIMMR" /* tomorrow's */}) {
        SCOPED_TRACE(code);
        h.Fill(0, 0, 0, code);
        PressSave();
        EXPECT_EQ(h.LastMessage().title, "Psion Setup");
        EXPECT_EQ(h.LastMessage().icon, PromptIcon::Critical);
        EXPECT_EQ(h.window->Focus(), kText1);
        EXPECT_EQ(h.window->Text(kText1), code);  // what the user typed stays
    }
    EXPECT_EQ(h.prompt.Shown().size(), 4u);
    ExpectNothingWritten();
}

TEST_F(SetupDialogCheck, NoUnitTypeSendsTheFocusToTheUnitTypeList) {
    h.Fill(-1, -1, 2, kTodaysCode);
    PressSave();
    ExpectSetupError("ERROR -- You have not defined a UNIT TYPE");
    EXPECT_EQ(h.window->Focus(), kType);
    ExpectNothingWritten();
}

TEST_F(SetupDialogCheck, NoDestinationAlsoSendsTheFocusToTheUnitTypeList) {
    h.Fill(1, -1, 2, kTodaysCode);
    PressSave();
    ExpectSetupError("ERROR -- You have not defined a DESTINATION");
    EXPECT_EQ(h.window->Focus(), kType);
    ExpectNothingWritten();
}

TEST_F(SetupDialogCheck, NoSerialPortSendsTheFocusToThePortList) {
    h.Fill(1, 2, -1, kTodaysCode);
    PressSave();
    ExpectSetupError("ERROR -- You have not defined a SERIAL PORT");
    EXPECT_EQ(h.window->Focus(), kPort);
    ExpectNothingWritten();
}

TEST_F(SetupDialogCheck, NoToTheQuestionWritesNothingAndKeepsTheEntries) {
    h.Fill(3, 1, 4, "AICGGL", "GOIMMR");
    h.prompt.QueueAnswer(PromptAnswer::No);
    PressSave();

    ASSERT_EQ(h.prompt.Shown().size(), 1u);
    EXPECT_EQ(h.LastMessage().text, "File change requested.\r\nAre you sure?");
    EXPECT_EQ(h.LastMessage().title, "Psion Setup");
    EXPECT_EQ(h.LastMessage().buttons, PromptButtons::YesNo);
    EXPECT_EQ(h.LastMessage().icon, PromptIcon::None);
    EXPECT_EQ(h.window->Focus(), kType);
    EXPECT_EQ(h.window->SelectedIndex(kType), 3);
    EXPECT_EQ(h.window->SelectedIndex(kDest), 1);
    EXPECT_EQ(h.window->Text(kDest), "P2");
    EXPECT_EQ(h.window->Text(kPort), "Com5");
    EXPECT_EQ(h.window->Text(kText1), "AICGGL");
    EXPECT_EQ(h.window->Text(kText2), "GOIMMR");
    ExpectNothingWritten();
}

TEST_F(SetupDialogCheck, ReadsTheClockAtEverySave) {
    h.Fill(0, 0, 0, kTodaysCode);
    h.prompt.QueueAnswer(PromptAnswer::No);
    PressSave();
    EXPECT_EQ(h.LastMessage().buttons, PromptButtons::YesNo);

    h.clock.Set({2026, 3, 8});  // midnight passed while the dialog was open
    PressSave();
    EXPECT_EQ(h.LastMessage().icon, PromptIcon::Critical);
    EXPECT_EQ(h.window->Focus(), kText1);
    ExpectNothingWritten();
}

TEST_F(SetupDialogCheck, CancelAfterStoppedSavesWritesNothing) {
    PressSave();  // wrong code
    h.Fill(-1, -1, -1, kTodaysCode);
    PressSave();  // no unit type
    h.Fill(0, 0, 0, kTodaysCode);
    h.prompt.QueueAnswer(PromptAnswer::No);
    PressSave();  // No to the question
    ASSERT_EQ(h.prompt.Shown().size(), 3u);

    ASSERT_TRUE(h.window->Click(kCancel));
    EXPECT_TRUE(h.window->IsClosed());
    EXPECT_EQ(h.prompt.Shown().size(), 3u);
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_TRUE(h.refreshes.empty());
}

TEST_F(SetupDialogCheck, TheCloseBoxWritesNothing) {
    h.Fill(0, 0, 0, kTodaysCode);
    h.window->CloseBox();
    EXPECT_TRUE(h.window->IsClosed());
    EXPECT_TRUE(h.prompt.Shown().empty());
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_TRUE(h.refreshes.empty());
}

}  // namespace
}  // namespace psion::testing
