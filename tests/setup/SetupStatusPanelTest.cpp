// The main window's status panel after Saves opened from its Setup menu.
#include <gtest/gtest.h>

#include <string>

#include "app/MainForm.h"
#include "setup/SetupDialogHarness.h"

namespace psion::testing {
namespace {

using app::main_form::kLblComm;
using app::main_form::kLbldest;
using app::main_form::kLbltype;
using platform::PromptAnswer;

// The port line's last four characters are its port.
constexpr std::string_view kSendWithPortAtTheEnd = "[serial]\r\nserial1=directserial port:Com1\r\n";

class SetupStatusPanel : public ::testing::Test {
  protected:
    SetupStatusPanel() { h.environment.Set("homedrive", h.home); }

    void ExpectPanel(const headless::HeadlessWindow& window, const std::string& type,
                     const std::string& destination, const std::string& port) {
        EXPECT_EQ(window.Text(kLbltype), type);
        EXPECT_EQ(window.Text(kLbldest), destination);
        EXPECT_EQ(window.Text(kLblComm), port);
    }

    // Unit type "1MB Version", destination "C", port "Com2", then Yes.
    void FillAndSave(headless::HeadlessWindow& dialog, const std::string& code) {
        dialog.Choose(kType, 1);
        dialog.Choose(kDest, 2);
        dialog.Choose(kPort, 1);
        dialog.Type(kText1, code);
        h.prompt.QueueAnswer(PromptAnswer::Yes);
        dialog.Click(kSave);
    }

    SetupDialogHarness h;
};

TEST_F(SetupStatusPanel, AfterAFailureAtTheReceiveFileShowsWhatTheRewrittenFilesHold) {
    h.Write("autoexec.btf", kOldBatch);
    h.Write("s_psion.conf", kSendWithPortAtTheEnd);
    h.Write("r_psion.conf", kOldReceive);
    h.files.FailWritesTo("r_psion.conf", WriteFault::WhilePuttingInPlace);
    auto& window = h.Start();
    ExpectPanel(window, "MX Version", "link -sTTY:A", "Com1");

    h.windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        FillAndSave(dialog, kTodaysCode);
        ASSERT_FALSE(dialog.IsClosed());
        // Still in the open dialog, the panel behind it already tells the truth.
        ExpectPanel(window, "1Meg Version", "link -sTTY:C -b19200", "COM2");
        dialog.Click(kCancel);
    });
    ASSERT_TRUE(window.ClickMenu("mnuSetup"));

    ExpectPanel(window, "1Meg Version", "link -sTTY:C -b19200", "COM2");
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
}

TEST_F(SetupStatusPanel, AfterAFailureAtTheUnitBatchFileKeepsThePanelAsItWas) {
    h.Write("autoexec.btf", kOldBatch);
    h.Write("s_psion.conf", kSendWithPortAtTheEnd);
    h.files.FailWritesTo("autoexec.btf");
    auto& window = h.Start();

    h.windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        FillAndSave(dialog, kTodaysCode);
        dialog.Click(kCancel);
    });
    ASSERT_TRUE(window.ClickMenu("mnuSetup"));

    ExpectPanel(window, "MX Version", "link -sTTY:A", "Com1");
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
}

}  // namespace
}  // namespace psion::testing
