// Completed Saves: the files they write, and what follows the writing.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "setup/SetupDialogHarness.h"
#include "support/ChildPrograms.h"

namespace psion::testing {
namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;
using platform::PromptMessage;

constexpr std::string_view kNewBatch =
    "setdef am5\r\nsetdef ab2\r\nrem 256k Version\r\nlink -sTTY:B -b19200\r\npdc\r\n";
constexpr std::string_view kNewSend =
    "# send\r\nserial1=directserial port:COM3 realport:none\r\nbaud=9600\r\n";
constexpr std::string_view kNewReceive = "serial1=directserial port:COM3\r\nlog=off\r\n";

// Unit type "256K Version", destination "B", port "Com3", the code in one box.
void FillAndSave(SetupDialogHarness& h, const std::string& text1 = kTodaysCode,
                 const std::string& text2 = "") {
    h.Fill(2, 1, 2, text1, text2);
    h.prompt.QueueAnswer(PromptAnswer::Yes);
    h.window->SetFocus(kSave);
    h.window->Click(kSave);
}

TEST(SetupDialogSave, WritesTheUnitBatchFileAndPatchesBothSerialFiles) {
    SetupDialogHarness h;
    h.Write("autoexec.btf", kOldBatch);
    h.Write("s_psion.conf", kOldSend);
    h.Write("r_psion.conf", kOldReceive);
    h.Open();

    bool closedWhenConfirmed = false;
    h.Fill(2, 1, 2, kTodaysCode);
    h.prompt.QueueAnswer(PromptAnswer::Yes);
    h.prompt.QueueAnswer(PromptAnswer::Ok,
                         [&](const PromptMessage&) { closedWhenConfirmed = h.window->IsClosed(); });
    h.window->Click(kSave);

    EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kNewSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kNewReceive);

    ASSERT_EQ(h.prompt.Shown().size(), 2u);
    EXPECT_EQ(h.prompt.Shown()[0].buttons, PromptButtons::YesNo);
    const PromptMessage& saved = h.prompt.Shown()[1];
    EXPECT_EQ(saved.text, "File changes have been saved");
    EXPECT_EQ(saved.title, "Psion Setup");
    EXPECT_EQ(saved.buttons, PromptButtons::Ok);
    EXPECT_EQ(saved.icon, PromptIcon::None);
    EXPECT_TRUE(h.window->IsClosed());
    EXPECT_TRUE(closedWhenConfirmed) << "the dialog closes before the confirmation";
    // One refresh, after the confirmation had been shown.
    EXPECT_EQ(h.refreshes, std::vector<std::size_t>{2});
}

TEST(SetupDialogSave, WritesTheOldUnitTypesPortDestinations) {
    SetupDialogHarness h;
    h.Write("s_psion.conf", "serial1=directserial port:COM1\r\n");
    h.Open();  // no unit batch file: the Save creates it
    h.Fill(3, 2, 5, kTodaysCode);
    h.prompt.QueueAnswer(PromptAnswer::Yes);
    h.window->Click(kSave);

    EXPECT_EQ(h.Read("autoexec.btf"),
              "setdef am5\r\nsetdef ab2\r\nrem OLD 256k Version\r\nlink -b19200 -P3\r\npdc\r\n");
    EXPECT_EQ(h.Read("s_psion.conf"), "serial1=directserial port:COM6\r\n");
    EXPECT_EQ(h.LastMessage().text, "File changes have been saved");
}

TEST(SetupDialogSave, WithoutSerialFilesStillReportsSuccess) {
    SetupDialogHarness h;
    h.Write("autoexec.btf", kOldBatch);
    h.Open();
    FillAndSave(h);

    EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
    EXPECT_FALSE(std::filesystem::exists(h.folder / "s_psion.conf"));
    EXPECT_FALSE(std::filesystem::exists(h.folder / "r_psion.conf"));
    EXPECT_EQ(h.LastMessage().text, "File changes have been saved");
    EXPECT_TRUE(h.window->IsClosed());
    EXPECT_EQ(h.refreshes.size(), 1u);
}

TEST(SetupDialogSave, AMissingSendFileDoesNotStopTheReceiveFile) {
    SetupDialogHarness h;
    h.Write("autoexec.btf", kOldBatch);
    h.Write("r_psion.conf", kOldReceive);
    h.Open();
    FillAndSave(h);

    EXPECT_FALSE(std::filesystem::exists(h.folder / "s_psion.conf"));
    EXPECT_EQ(h.Read("r_psion.conf"), kNewReceive);
    EXPECT_EQ(h.LastMessage().text, "File changes have been saved");
}

TEST(SetupDialogSave, AnySplitOfTheCodeBetweenTheTwoBoxesGivesTheSameResult) {
    const std::string code = kTodaysCode;
    const std::string wrong = "AICGGLGOIMMS";
    for (std::size_t split = 0; split <= code.size(); ++split) {
        SCOPED_TRACE("split after " + std::to_string(split));
        {
            SetupDialogHarness h;
            h.Write("autoexec.btf", kOldBatch);
            h.Write("s_psion.conf", kOldSend);
            h.Open();
            FillAndSave(h, code.substr(0, split), code.substr(split));
            EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
            EXPECT_EQ(h.Read("s_psion.conf"), kNewSend);
            EXPECT_EQ(h.LastMessage().text, "File changes have been saved");
        }
        {
            SetupDialogHarness h;
            h.Write("autoexec.btf", kOldBatch);
            h.Open();
            h.Fill(2, 1, 2, wrong.substr(0, split), wrong.substr(split));
            h.window->Click(kSave);
            EXPECT_EQ(h.LastMessage().icon, PromptIcon::Critical);
            EXPECT_EQ(h.window->Focus(), kText1);
            EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
        }
    }
}

TEST(SetupDialogSave, RunsModallyAndReopensBlank) {
    SetupDialogHarness h;
    h.Write("autoexec.btf", kOldBatch);
    h.Write("s_psion.conf", kOldSend);
    h.Write("r_psion.conf", kOldReceive);

    h.windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        dialog.Choose(kType, 2);
        dialog.Choose(kDest, 1);
        dialog.Choose(kPort, 2);
        dialog.Type(kText1, "AICGGLGO");
        dialog.Type(kText2, "IMMR");
        h.prompt.QueueAnswer(PromptAnswer::Yes);
        dialog.Click(kSave);
    });
    h.windows.ShowModal(h.dialog);
    EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
    EXPECT_EQ(h.LastMessage().text, "File changes have been saved");

    bool blank = false;
    h.windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        EXPECT_EQ(dialog.SelectedIndex(kType), -1);
        EXPECT_EQ(dialog.SelectedIndex(kPort), -1);
        EXPECT_TRUE(dialog.Entries(kDest).empty());
        EXPECT_EQ(dialog.Text(kText1), "");
        EXPECT_EQ(dialog.Text(kText2), "");
        EXPECT_EQ(dialog.Focus(), kType);
        blank = true;
        dialog.Click(kCancel);
    });
    h.windows.ShowModal(h.dialog);
    EXPECT_TRUE(blank);
    EXPECT_EQ(h.windows.ModalsShown(), (std::vector<std::string>{"Psion Setup", "Psion Setup"}));
    EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
    EXPECT_EQ(h.refreshes.size(), 1u);
}

TEST(SetupDialogSave, ShowsTheBusyPointerWhileItWaitsForTheFolderAndWrites) {
    SetupDialogHarness h;
    h.Write("autoexec.btf", kOldBatch);
    std::vector<bool> busyAtBegin;
    h.files.beforeBegin = [&] { busyAtBegin.push_back(h.windows.IsBusy()); };
    h.Open();
    FillAndSave(h);

    EXPECT_EQ(busyAtBegin, std::vector<bool>{true});
    EXPECT_FALSE(h.windows.IsBusy());
    EXPECT_EQ(h.LastMessage().text, "File changes have been saved");
}

// The harness's system path spelt another way: other letter case, the other separator.
std::string Respelled(const SetupDialogHarness& h) {
#ifdef _WIN32
    std::string path = h.systemPath;
    for (char& c : path) {
        c = c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return path;
#else
    // A home drive that is a POSIX folder is used as it is; the names below it are matched.
    return AsSystemPath(h.temp.Path()) + "/PROGRAM FILES (X86)";
#endif
}

struct UnitFiles {
    std::string batch;
    std::string send;
    std::string receive;
    bool operator==(const UnitFiles&) const = default;
};

TEST(SetupDialogSave, TwoProgramsSavingAtOnceLeaveTheFilesOfOneSave) {
    SetupDialogHarness h;
    h.Write("autoexec.btf", kOldBatch);
    h.Write("s_psion.conf", kOldSend);
    h.Write("r_psion.conf", kOldReceive);
    const std::string saves = "50";
    const std::string start = (h.temp.Path() / "start").string();
    // "MX Version", "A", "Com1" against "256K (old) Version", "P3", "Com6", each
    // program reaching the data folder by its own spelling of the path.
    const std::vector<Command> programs = {
        {PSION_REPEATED_SAVES_EXE, h.systemPath, "0", "0", "0", saves, start},
        {PSION_REPEATED_SAVES_EXE, Respelled(h), "3", "2", "5", saves, start},
    };
    const UnitFiles first{
        "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n",
        "# send\r\nserial1=directserial port:COM1 realport:none\r\nbaud=9600\r\n",
        "serial1=directserial port:COM1\r\nlog=off\r\n",
    };
    const UnitFiles second{
        "setdef am5\r\nsetdef ab2\r\nrem OLD 256k Version\r\nlink -b19200 -P3\r\npdc\r\n",
        "# send\r\nserial1=directserial port:COM6 realport:none\r\nbaud=9600\r\n",
        "serial1=directserial port:COM6\r\nlog=off\r\n",
    };

    const UnitFiles old{std::string(kOldBatch), std::string(kOldSend), std::string(kOldReceive)};
    // A file that cannot be read at that moment makes a set that matches no Save.
    const auto readOrMark = [&](std::string_view name) -> std::string {
        try {
            return h.Read(name);
        } catch (const std::runtime_error&) {
            return "(" + std::string(name) + " cannot be read)\n";
        }
    };
    const auto readFiles = [&] {
        return UnitFiles{readOrMark("autoexec.btf"), readOrMark("s_psion.conf"),
                         readOrMark("r_psion.conf")};
    };

    // Meanwhile the files are looked at under the same lock, whenever no Save holds it.
    int looks = 0;
    std::vector<UnitFiles> mixed;
    const auto lookWhileSaving = [&] {
        if (looks++ == 0) h.temp.Write("start", "");
        {
            const auto held = h.files.BeginChanges(h.systemPath + "\\kelvo\\psion");
            ASSERT_FALSE(held.error) << held.error->Describe();
            const UnitFiles seen = readFiles();
            if (seen != old && seen != first && seen != second) mixed.push_back(seen);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // lets a waiting Save in
    };
    // Every Save of both programs completes: one waits while the other saves.
    EXPECT_EQ(RunTogether(programs, lookWhileSaving), (std::vector<int>{0, 0}));
    EXPECT_TRUE(mixed.empty()) << mixed.size() << " of " << looks << " looks saw mixed Saves, as\n"
                               << mixed.front().batch << mixed.front().send
                               << mixed.front().receive;

    const UnitFiles found = readFiles();
    EXPECT_TRUE(found == first || found == second) << "mixed Saves at the end:\n"
                                                   << found.batch << found.send << found.receive;
    // Locking left nothing behind in the data folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.folder), {}), 3);
}

}  // namespace
}  // namespace psion::testing
