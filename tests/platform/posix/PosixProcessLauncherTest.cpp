#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/PathMapping.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/posix/ProcessTable.h"
#include "platform/posix/ScopedEnv.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"
#include "support/TestScripts.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class PosixProcessLauncherTest : public ::testing::Test {
  protected:
    // The path as the logic spells it: the system path, then backslashes.
    std::string LogicPath(const std::string& relative) const {
        return AsSystemPath(temp_.Path()) + "\\" + relative;
    }
    fs::path Native(const std::string& relative) const {
        return posix::MapToNativePath(LogicPath(relative));
    }

    TempDir temp_;
    posix::PosixProcessLauncher launcher_;
};

TEST_F(PosixProcessLauncherTest, RunsTheScriptAtAPathFullOfShellCharactersOnceAndNothingElse) {
    // A command "x" on PATH leaves a canary if any part of the path is run as a command.
    const fs::path canary = temp_.Path() / "canary";
    const fs::path bin = temp_.Path() / "bin";
    WriteProgram(bin / "x", {script::AppendLine(canary, "injected")});
    ScopedEnv path("PATH", bin.string() + ":" + std::getenv("PATH"));
    ASSERT_EQ(std::system("x"), 0);
    ASSERT_TRUE(fs::exists(canary)) << "the canary must work for this test to mean anything";
    fs::remove(canary);

    const std::string relative =
        "program files (x86)\\pro'gram fi$les (x86);`x`$(x)&x;x\\kelvo\\psion\\startget.BAT";
    const fs::path log = temp_.Path() / "runs.log";
    const fs::path script = WriteScript(Native(relative), {script::AppendOwnPath(log)});
    ASSERT_TRUE(fs::exists(script));

    const platform::ProcessId id = launcher_.Start(LogicPath(relative), platform::kWindowHidden);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_EQ(ReadLines(log), std::vector<std::string>{script.string()});
    EXPECT_FALSE(fs::exists(canary));
}

TEST_F(PosixProcessLauncherTest, WaitReturnsOnlyOnceTheScriptHasEndedAndLeavesNoProcess) {
    const fs::path done = temp_.Path() / "done";
    WriteScript(Native("startget.BAT"), {script::Sleep(1), script::AppendLine(done, "done")});

    const auto started = Clock::now();
    const platform::ProcessId id = launcher_.Start(LogicPath("startget.BAT"), 0);
    ASSERT_NE(id, 0);
    const auto entry = ReadProcessEntry(id);
    launcher_.WaitForExit(id);

    EXPECT_TRUE(fs::exists(done));
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(900));
    if (entry) {
        EXPECT_TRUE(WaitUntilGone(id, entry->startTime, std::chrono::milliseconds(0)));
    }
}

TEST_F(PosixProcessLauncherTest, WaitReturnsAtOnceForAProcessThatHasAlreadyEnded) {
    const fs::path done = temp_.Path() / "done";
    WriteScript(Native("startget.BAT"), {script::AppendLine(done, "done")});
    const platform::ProcessId id = launcher_.Start(LogicPath("startget.BAT"), 0);
    ASSERT_NE(id, 0);
    ASSERT_TRUE(WaitForFile(done));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto before = Clock::now();
    launcher_.WaitForExit(id);
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(500));
}

TEST_F(PosixProcessLauncherTest, WaitReturnsAtOnceForAProcessItDidNotStart) {
    const auto before = Clock::now();
    launcher_.WaitForExit(getppid());
    launcher_.WaitForExit(0);
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(500));
}

TEST_F(PosixProcessLauncherTest, AScriptNobodyWaitsForIsReapedOnceItEnds) {
    const fs::path done = temp_.Path() / "done";
    WriteScript(Native("startsend.bat"), {script::Sleep(1), script::AppendLine(done, "done")});

    const platform::ProcessId id = launcher_.Start(LogicPath("startsend.bat"), 0);
    ASSERT_NE(id, 0);
    const auto entry = ReadProcessEntry(id);
    ASSERT_TRUE(entry.has_value()) << "the script sleeps, so it is still running";
    EXPECT_NE(entry->state, 'Z');

    // The program goes on without waiting; the script must not stay a zombie.
    ASSERT_TRUE(WaitForFile(done));
    EXPECT_TRUE(WaitUntilGone(id, entry->startTime))
        << "state " << ReadProcessEntry(id).value_or(ProcessEntry{}).state;
}

TEST_F(PosixProcessLauncherTest, TheScriptRunsInASessionOfItsOwn) {
    WriteScript(Native("startsend.bat"), {script::Sleep(1)});
    const platform::ProcessId id = launcher_.Start(LogicPath("startsend.bat"), 0);
    ASSERT_NE(id, 0);
    const auto entry = ReadProcessEntry(id);
    launcher_.WaitForExit(id);

    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->session, id);
    EXPECT_NE(entry->session, getsid(0));
}

TEST_F(PosixProcessLauncherTest, AnErrorExitCodeStillCountsAsStarted) {
    WriteScript(Native("startget.BAT"), {script::Exit(3)});
    const platform::ProcessId id = launcher_.Start(LogicPath("startget.BAT"), 0);
    EXPECT_NE(id, 0);
    launcher_.WaitForExit(id);
}

TEST_F(PosixProcessLauncherTest, NothingStartsForAFileThatCannotBeRead) {
    EXPECT_EQ(launcher_.Start(LogicPath("missing.bat"), 0), 0);
    EXPECT_EQ(launcher_.Start(LogicPath("no folder\\startget.BAT"), 0), 0);

    fs::create_directories(Native("folder.bat"));
    EXPECT_EQ(launcher_.Start(LogicPath("folder.bat"), 0), 0);

    ASSERT_EQ(mkfifo(Native("pipe.bat").c_str(), 0600), 0);
    EXPECT_EQ(launcher_.Start(LogicPath("pipe.bat"), 0), 0);

    const fs::path ran = temp_.Path() / "ran";
    const fs::path locked = WriteScript(Native("locked.bat"), {script::AppendLine(ran, "ran")});
    fs::permissions(locked, fs::perms::none);
    if (geteuid() != 0) {
        // Permission bits do not stop the superuser, so this only applies to others.
        EXPECT_EQ(launcher_.Start(LogicPath("locked.bat"), 0), 0);
        EXPECT_FALSE(fs::exists(ran));
    }
}

// A stand-in terminal that logs its arguments and runs what follows "-e".
class TerminalTest : public PosixProcessLauncherTest {
  protected:
    void SetUp() override {
        WriteProgram(bin_ / "xterm", {"printf '%s\\n' \"$@\" >> '" + terminalLog_.string() + "'",
                                      "shift", "exec \"$@\""});
    }
    const fs::path bin_ = temp_.Path() / "bin";
    const fs::path terminalLog_ = temp_.Path() / "terminal.log";
    const fs::path done_ = temp_.Path() / "done";
    ScopedEnv path_{"PATH", bin_.string() + ":" + std::getenv("PATH")};
};

TEST_F(TerminalTest, StyleOneRunsTheScriptInTheTerminalAndWaitsForTheScript) {
    ScopedEnv display("DISPLAY", ":71");
    const fs::path script =
        WriteScript(Native("startget.BAT"), {script::Sleep(1), script::AppendLine(done_, "done")});

    const platform::ProcessId id = launcher_.Start(LogicPath("startget.BAT"), 1);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_TRUE(fs::exists(done_));
    EXPECT_EQ(ReadLines(terminalLog_), (std::vector<std::string>{"-e", "/bin/sh", script}));
}

TEST_F(TerminalTest, StyleZeroNeverOpensTheTerminal) {
    ScopedEnv display("DISPLAY", ":71");
    WriteScript(Native("startget.BAT"), {script::AppendLine(done_, "done")});

    const platform::ProcessId id = launcher_.Start(LogicPath("startget.BAT"), 0);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_TRUE(fs::exists(done_));
    EXPECT_FALSE(fs::exists(terminalLog_));
}

TEST_F(TerminalTest, StyleOneRunsHiddenWithoutADisplay) {
    ScopedEnv display("DISPLAY", std::nullopt);
    WriteScript(Native("startget.BAT"), {script::AppendLine(done_, "done")});

    const platform::ProcessId id = launcher_.Start(LogicPath("startget.BAT"), 1);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_TRUE(fs::exists(done_));
    EXPECT_FALSE(fs::exists(terminalLog_));
}

TEST_F(TerminalTest, StyleOneRunsHiddenWhenTheTerminalCannotBeStarted) {
    ScopedEnv display("DISPLAY", ":71");
    // An interpreter that does not exist makes the terminal's exec fail.
    WriteProgram(bin_ / "xterm", {});
    {
        std::ofstream broken(bin_ / "xterm", std::ios::trunc);
        broken << "#!/nonexistent/interpreter\n";
    }
    WriteScript(Native("startget.BAT"), {script::AppendLine(done_, "done")});

    const platform::ProcessId id = launcher_.Start(LogicPath("startget.BAT"), 1);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_TRUE(fs::exists(done_));
}

}  // namespace
}  // namespace psion::testing
