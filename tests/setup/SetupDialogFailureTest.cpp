// A file that cannot be rewritten stops the Save with a message that says
// where it stopped; the files not yet reached stay as they were.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <ostream>
#include <string>

#include "setup/SetupDialogHarness.h"
#ifdef _WIN32
#include <chrono>
#include <thread>

#include "platform/win32/Win32Text.h"
#include "support/win32/OtherProcess.h"
#else
#include "platform/posix/ProcessStartup.h"
#include "support/ChildProcess.h"
#include "support/FileSizeLimit.h"
#endif

namespace psion::testing {
namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

constexpr std::string_view kNewBatch =
    "setdef am5\r\nsetdef ab2\r\nrem 1Meg Version\r\nlink -sTTY:C -b19200\r\npdc\r\n";
constexpr std::string_view kNewSend =
    "# send\r\nserial1=directserial port:COM2 realport:none\r\nbaud=9600\r\n";

constexpr std::string_view kNoRightsAndNothingChanged =
    "This user may not change the data folder. Whoever manages this computer can grant this "
    "user Modify on it.\r\nNo file has been changed.";

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
        ExpectFailureText(shown.text, file, reason, alreadyRewritten);
    }

    static void ExpectFailureText(const std::string& text, std::string_view file,
                                  std::string_view reason, std::string_view alreadyRewritten) {
        const std::string firstLine = "The file changes could not be saved.\r\n";
        ASSERT_TRUE(text.starts_with(firstLine)) << text;
        const std::string rest = text.substr(firstLine.size());
        const auto lineEnd = rest.find("\r\n");
        ASSERT_NE(lineEnd, std::string::npos) << text;
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

struct FailingFile {
    const char* name;
    const char* file;
    WriteFault when;
    const char* alreadyRewritten;
    int filesNew;  // how many of the three files, in the order of the Save, hold the new text

    friend std::ostream& operator<<(std::ostream& out, const FailingFile& failing) {
        return out << failing.name;
    }
};

class SetupDialogFailingFile : public SetupDialogFailure,
                               public ::testing::WithParamInterface<FailingFile> {};

// Every file is prepared before any is put in place: a failure on the way
// changes nothing, and only one while putting them in place leaves the files
// before it rewritten.
TEST_P(SetupDialogFailingFile, StopsThereAndSaysWhatWasRewritten) {
    const FailingFile& failing = GetParam();
    h.files.FailWritesTo(failing.file, failing.when);
    Save();

    ExpectFailureMessage(failing.file, kLockedFile, failing.alreadyRewritten);
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(h.Read("autoexec.btf"), failing.filesNew > 0 ? kNewBatch : kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), failing.filesNew > 1 ? kNewSend : kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.folder), {}), 3)
        << "no temporary file is left";
    // Only a changed file calls for a refreshed status panel, after the message.
    EXPECT_EQ(h.refreshes,
              failing.filesNew > 0 ? std::vector<std::size_t>{2} : std::vector<std::size_t>{});
}

INSTANTIATE_TEST_SUITE_P(
    , SetupDialogFailingFile,
    ::testing::Values(FailingFile{"PreparingTheUnitBatchFile", "autoexec.btf",
                                  WriteFault::WhilePreparing, "No file has been changed.", 0},
                      FailingFile{"PreparingTheSendFile", "s_psion.conf",
                                  WriteFault::WhilePreparing, "No file has been changed.", 0},
                      FailingFile{"PreparingTheReceiveFile", "r_psion.conf",
                                  WriteFault::WhilePreparing, "No file has been changed.", 0},
                      FailingFile{"PuttingTheUnitBatchFileInPlace", "autoexec.btf",
                                  WriteFault::WhilePuttingInPlace, "No file has been changed.", 0},
                      FailingFile{"PuttingTheSendFileInPlace", "s_psion.conf",
                                  WriteFault::WhilePuttingInPlace,
                                  "Already rewritten: autoexec.btf", 1},
                      FailingFile{"PuttingTheReceiveFileInPlace", "r_psion.conf",
                                  WriteFault::WhilePuttingInPlace,
                                  "Already rewritten: autoexec.btf and s_psion.conf", 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupDialogFailure, AMissingSendFileIsNotClaimedAsRewritten) {
    std::filesystem::remove(h.folder / "s_psion.conf");
    h.files.FailWritesTo("r_psion.conf", WriteFault::WhilePuttingInPlace);
    Save();

    ExpectFailureMessage("r_psion.conf", kLockedFile, "Already rewritten: autoexec.btf");
    EXPECT_FALSE(std::filesystem::exists(h.folder / "s_psion.conf"));
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
}

TEST_F(SetupDialogFailure, RunningOutOfMemoryReadingAFileChangesNothingAndTheProgramGoesOn) {
    h.files.RunOutOfMemoryReading("s_psion.conf");
    Save();

    ExpectFailureMessage("s_psion.conf", "Not enough memory", "No file has been changed.");
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.folder), {}), 3)
        << "no temporary file is left";
}

// Besides the system's reason: who may change that.
#ifdef _WIN32
// Windows refuses a read-only file in the words it has for a standard user
// under Program Files.
TEST_F(SetupDialogFailure, AFileTheUserMayNotWriteIsRefusedWithWhoMayGrantIt) {
    const auto file = (h.folder / "autoexec.btf").wstring();
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    Save();
    ExpectFailureMessage("autoexec.btf", win32::ErrorText(ERROR_ACCESS_DENIED),
                         kNoRightsAndNothingChanged);
    ExpectDialogKeptAsItWas();
    EXPECT_NE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // lets the folder be removed
#else
TEST_F(SetupDialogFailure, AFileTheUserMayNotWriteIsRefusedEvenInAFolderTheUserMayWrite) {
    if (!CanSwitchUser()) GTEST_SKIP() << "needs root, to act as the user nobody";
    std::filesystem::permissions(h.folder, std::filesystem::perms::all);
    const auto outcome = RunInChild([&] {
        if (!BecomeNobody()) return 2;
        Save();
        ExpectFailureMessage("autoexec.btf", "Permission denied", kNoRightsAndNothingChanged);
        ExpectDialogKeptAsItWas();
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    ASSERT_TRUE(outcome.finished && outcome.exitCode == 0) << outcome.Describe();
#endif
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.folder), {}), 3);
}

// A serial file follows the unit batch file's rule for links: one that the
// Save will not write through is refused with a message, never passed over.
TEST_F(SetupDialogFailure, ASerialFileThatIsALinkTheSaveWillNotWriteThroughIsRefused) {
    const auto target = h.temp.Write("elsewhere.conf", std::string(kOldSend));
    const auto link = h.folder / "s_psion.conf";
    std::filesystem::remove(link);
#ifdef _WIN32
    ASSERT_TRUE(MakeHostLink(target, link));
    // Wine shows a link made here as the file it leads to.
    constexpr std::string_view kRefused =
        "Leads to another file, through a link or a folder moved meanwhile, so it is not written";
#else
    if (!CanSwitchUser()) GTEST_SKIP() << "needs root, to plant another user's link";
    std::filesystem::create_symlink(target, link);
    ASSERT_EQ(::lchown(link.c_str(), NobodyUser(), static_cast<gid_t>(-1)), 0);
    constexpr std::string_view kRefused =
        "A link whose owner does not own its target is not written through";
#endif
    Save();

    ExpectFailureMessage("s_psion.conf", kRefused, "No file has been changed.");
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(ReadBytes(target), kOldSend);
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    h.temp.Write("elsewhere.conf", "still linked");
    EXPECT_EQ(h.Read("s_psion.conf"), "still linked") << "the link is still there";
}

#ifndef _WIN32
// A file with a second name is rewritten in place; past a file-size limit
// neither its new bytes nor its old ones can be written whole, so the Save
// cannot tell what the file holds: it is named as possibly damaged, never
// counted as unchanged, and the status panel shows what it now holds.
TEST_F(SetupDialogFailure, ARewriteInPlaceWhoseOldBytesCannotBePutBackNamesTheFile) {
    std::filesystem::create_hard_link(h.folder / "autoexec.btf", h.folder / "autoexec.two");
    static constexpr std::size_t kLimit = 16;
    ASSERT_GT(kOldBatch.size(), kLimit);
    h.files.whilePuttingInPlace = [] {
        return std::shared_ptr<void>(std::make_shared<FileSizeLimit>(kLimit));
    };
    Save();

    ExpectFailureMessage("autoexec.btf", "File too large",
                         "autoexec.btf may be damaged: its old content could not be put back.");
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_EQ(h.refreshes, std::vector<std::size_t>{2});
}
#endif

// Windows may leave a failed replacement's original under the name it was
// moved aside to: the box says where, and the status panel is read again.
TEST_F(SetupDialogFailure, AnOriginalLeftAsideIsNamedWhereItLies) {
    h.files.FailLeavingTheOriginalAside("s_psion.conf", h.folder);
    Save();

    const std::string aside = (h.folder / "~s_psion.conf.aside").string();
    ExpectFailureMessage("s_psion.conf", kLockedFile,
                         "Already rewritten: autoexec.btf\r\ns_psion.conf is missing: its old "
                         "content now lies under " +
                             aside + ".");
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(ReadBytes(aside), kOldSend);
    EXPECT_EQ(h.refreshes, std::vector<std::size_t>{2});
}

#ifdef _WIN32
struct HeldFile {
    const char* name;
    DWORD share;  // what the other program lets others do with the file meanwhile
    std::chrono::seconds held;
    bool saved;  // whether the Save completes once the other program lets go

    friend std::ostream& operator<<(std::ostream& out, const HeldFile& held) {
        return out << held.name;
    }
};

class SetupDialogHeldFile : public SetupDialogFailure,
                            public ::testing::WithParamInterface<HeldFile> {};

// Another program, as a virus scanner does, holds the unit batch file open:
// without sharing it, which stops the Save from preparing it, or sharing all
// but its deletion, which stops it from being replaced once prepared. The
// Save waits for it a while, with the busy pointer.
TEST_P(SetupDialogHeldFile, TheSaveWaitsAWhileThenNamesTheFile) {
    const HeldFile& held = GetParam();
    const auto file = h.folder / "autoexec.btf";
    ProcessHoldingFile holder(file, held.share);
    ASSERT_TRUE(holder.Started());
    std::thread lettingGo([&] {
        std::this_thread::sleep_for(held.held);
        holder.Kill();
    });
    bool busyWhileHeld = false;
    h.files.beforeBegin = [&] { busyWhileHeld = h.windows.IsBusy(); };
    Save();
    lettingGo.join();

    EXPECT_TRUE(busyWhileHeld);
    EXPECT_FALSE(h.windows.IsBusy());
    if (held.saved) {
        EXPECT_TRUE(h.window->IsClosed());
        EXPECT_EQ(h.LastMessage().text, "File changes have been saved");
        EXPECT_EQ(h.Read("autoexec.btf"), kNewBatch);
        return;
    }
    // The other program has let go by now: nothing was written meanwhile, nor after.
    ExpectFailureMessage(
        "autoexec.btf", "",
        "Another program has " + file.string() + " open.\r\n" + "No file has been changed.");
    ExpectDialogKeptAsItWas();
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), kOldSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.folder), {}), 3);
}

constexpr DWORD kAllButDeletion = FILE_SHARE_READ | FILE_SHARE_WRITE;

INSTANTIATE_TEST_SUITE_P(
    , SetupDialogHeldFile,
    ::testing::Values(HeldFile{"ForTwoSecondsIsSavedOnceLetGo", 0, std::chrono::seconds(2), true},
                      HeldFile{"ForTwentySecondsIsNamedAndNothingChanges", 0,
                               std::chrono::seconds(20), false},
                      HeldFile{"AgainstReplacingForTwoSecondsIsSavedOnceLetGo", kAllButDeletion,
                               std::chrono::seconds(2), true},
                      HeldFile{"AgainstReplacingForTwentySecondsIsNamedAndNothingChanges",
                               kAllButDeletion, std::chrono::seconds(20), false}),
    [](const auto& info) { return std::string(info.param.name); });
#endif

#ifndef _WIN32
// While the failure is on the screen, another program may save to the folder:
// the Save let go of it before showing the message, and the pointer is the
// default one again.
TEST_F(SetupDialogFailure, TheFolderIsFreeWhileTheFailureIsShown) {
    h.files.FailWritesTo("s_psion.conf", WriteFault::WhilePuttingInPlace);
    h.Open();
    h.Fill(1, 2, 1, kTodaysCode);
    h.prompt.QueueAnswer(PromptAnswer::Yes);
    std::optional<ChildOutcome> otherSave;
    bool busyWhileShown = true;
    h.prompt.QueueAnswer(PromptAnswer::Ok, [&](const platform::PromptMessage&) {
        busyWhileShown = h.windows.IsBusy();
        otherSave = RunInChild(
            [&] {
                const auto begun = h.nativeFiles->BeginChanges(h.systemPath + "\\kelvo\\psion");
                return begun.error ? 1 : 0;
            },
            std::chrono::seconds(20));
    });
    h.window->SetFocus(kSave);
    ASSERT_TRUE(h.window->Click(kSave));

    ASSERT_TRUE(otherSave.has_value()) << "no failure was shown";
    EXPECT_TRUE(otherSave->finished && otherSave->exitCode == 0) << otherSave->Describe();
    EXPECT_FALSE(busyWhileShown);
    EXPECT_FALSE(h.windows.IsBusy());
}
#endif

TEST_F(SetupDialogFailure, SavingAgainOnceTheFileIsFreeCompletes) {
    h.files.FailWritesTo("r_psion.conf", WriteFault::WhilePuttingInPlace);
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

TEST_F(SetupDialogFailure, ADataFolderThatHasGoneIsNamedAndNothingIsCreated) {
    h.Open();
    h.Fill(1, 2, 1, kTodaysCode);
    std::filesystem::remove_all(h.folder);
    Save();

    // The folder itself, which the Save could not lock, not one of its files.
#ifdef _WIN32
    const std::string reason;  // Windows words it in the system's language
#else
    const std::string reason = "No such file or directory";
#endif
    ExpectFailureMessage(h.folder.string() + ": ", reason, "No file has been changed.");
    ExpectDialogKeptAsItWas();
    EXPECT_FALSE(std::filesystem::exists(h.folder));
    EXPECT_TRUE(h.refreshes.empty());
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

// A file-size limit (ulimit -f) exists on POSIX only.
#ifndef _WIN32
struct LimitedSave {
    const char* name;
    bool programStartup;  // whether the program's start-up routine runs before the Save

    friend std::ostream& operator<<(std::ostream& out, const LimitedSave& save) {
        return out << save.name;
    }
};

class SetupDialogPastFileSizeLimit : public SetupDialogFailure,
                                     public ::testing::WithParamInterface<LimitedSave> {};

// A Save in a child process that starts with SIGXFSZ at its default
// disposition, as every process does, under a file-size limit that the new
// unit batch file stays within and the send file's rewrite passes.
TEST_P(SetupDialogPastFileSizeLimit, SavesInAChildProcess) {
    std::string bigSend(kOldSend);
    for (int line = 0; line < 40; ++line) bigSend += "# " + std::string(60, 'x') + "\r\n";
    h.Write("s_psion.conf", bigSend);
    constexpr rlim_t kLimit = 1024;
    ASSERT_LT(kNewBatch.size(), kLimit);
    ASSERT_GT(bigSend.size(), kLimit);

    int messagePipe[2];
    ASSERT_EQ(::pipe(messagePipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(messagePipe[0]);
        ::signal(SIGXFSZ, SIG_DFL);
        if (GetParam().programStartup) posix::PrepareProcess();
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = kLimit;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
        Save();
        const std::string& text = h.LastMessage().text;
        const bool sent =
            ::write(messagePipe[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(sent ? 0 : 3);
    }
    ::close(messagePipe[1]);
    std::string message;
    char buffer[512];
    ssize_t count;
    while ((count = ::read(messagePipe[0], buffer, sizeof buffer)) > 0)
        message.append(buffer, count);
    ::close(messagePipe[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    if (!GetParam().programStartup) {
        // The fault the start-up routine mends: the kernel ends the program mid-Save.
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;
        return;
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    ExpectFailureText(message, "s_psion.conf", "File too large", "No file has been changed.");
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_EQ(h.Read("s_psion.conf"), bigSend);
    EXPECT_EQ(h.Read("r_psion.conf"), kOldReceive);
    // No temporary file remains beside the three unit files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.folder), {}), 3);
}

INSTANTIATE_TEST_SUITE_P(
    , SetupDialogPastFileSizeLimit,
    ::testing::Values(LimitedSave{"LivesAndNamesTheFileAfterTheProgramsStartup", true},
                      LimitedSave{"IsKilledWithoutIt", false}),
    [](const auto& info) { return std::string(info.param.name); });
#endif

}  // namespace
}  // namespace psion::testing
