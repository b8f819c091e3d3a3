// Starts in a terminal, with a stand-in for xterm.
#include <optional>
#include <ostream>

#include "platform/posix/ProcessLauncherFixture.h"

namespace psion::testing {
namespace {

// A stand-in terminal that logs its arguments and runs what follows "-e".
class TerminalTest : public PosixProcessLauncherTest {
  protected:
    void SetUp() override {
        WriteProgram(bin_ / "xterm",
                     {"printf '%s\\n' \"$@\" >> '" + terminalLog_.string() + "'",
                      "while [ \"$1\" != -e ]; do shift; done", "shift", "exec \"$@\""});
    }
    const fs::path bin_ = temp_.Path() / "bin";
    const fs::path terminalLog_ = temp_.Path() / "terminal.log";
    const fs::path done_ = temp_.Path() / "done";
    const fs::path runs_ = temp_.Path() / "runs";  // the id of each shell that ran the script
    ScopedEnv path_{"PATH", bin_.string() + ":" + std::getenv("PATH")};
};

TEST_F(TerminalTest, StyleOneRunsTheScriptInTheTerminalAndWaitsForTheScript) {
    ScopedEnv display("DISPLAY", ":71");
    ScopedEnv resourceName("RESOURCE_NAME", std::nullopt);
    const fs::path script =
        WriteScript(Native("startget.BAT"), {script::Sleep(1), script::AppendLine(done_, "done")});

    const platform::ProcessId id = launcher_.Start(LogicPath("startget.BAT"), 1);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_TRUE(fs::exists(done_));
    // Told to end with its command whatever the user's resources say, titled
    // with the script's name; the path reaches the shell as one argument.
    const std::vector<std::string> arguments = ReadLines(terminalLog_);
    ASSERT_GE(arguments.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(arguments.begin(), arguments.begin() + 7),
              (std::vector<std::string>{"-xrm", "xterm.hold: false", "-T", "startget.BAT", "-e",
                                        "/bin/sh", "-c"}));
    EXPECT_EQ(arguments.back(), script.string());
}

// A start where the terminal may not, or cannot, run the script: the display
// to use, the window style, and the terminal's whole text (empty: the one that
// logs its arguments and runs the script).
struct HiddenStart {
    const char* name;
    std::optional<std::string> display;
    std::int16_t windowStyle;
    std::string terminal;
};

void PrintTo(const HiddenStart& start, std::ostream* out) { *out << start.name; }

class TerminalHiddenTest : public TerminalTest,
                           public ::testing::WithParamInterface<HiddenStart> {};

// The script runs once, without the terminal, by the shell whose id the start
// hands back, whether or not the start waits for it.
TEST_P(TerminalHiddenTest, TheScriptRunsHiddenOnce) {
    ScopedEnv display("DISPLAY", GetParam().display);
    if (!GetParam().terminal.empty()) {
        std::ofstream(bin_ / "xterm", std::ios::trunc) << GetParam().terminal;
    }
    WriteScript(Native("startget.BAT"), {AppendShellId(runs_)});

    for (const StartKind kind : {StartKind::Awaited, StartKind::Detached}) {
        SCOPED_TRACE(NameOf(kind));
        fs::remove(runs_);
        const platform::ProcessId id =
            StartAs(kind, launcher_, LogicPath("startget.BAT"), GetParam().windowStyle);
        ASSERT_NE(id, 0);
        ASSERT_TRUE(WaitForLines(runs_, 1));
        EXPECT_EQ(ReadLines(runs_), std::vector<std::string>{std::to_string(id)});
    }
    EXPECT_FALSE(fs::exists(terminalLog_)) << "the terminal ran the script";
}

INSTANTIATE_TEST_SUITE_P(
    , TerminalHiddenTest,
    ::testing::Values(
        HiddenStart{"StyleZeroNeverOpensTheTerminal", ":71", 0, ""},
        HiddenStart{"StyleOneWithoutADisplay", std::nullopt, 1, ""},
        // An interpreter that does not exist makes the terminal's exec fail.
        HiddenStart{"TerminalThatCannotBeStarted", ":71", 1, "#!/nonexistent/interpreter\n"},
        // Says it is ready, takes the word to run the script, and closes: no start.
        HiddenStart{"TerminalClosedBeforeTheScriptRuns", ":71", 1,
                    "#!/bin/sh\nprintf 'r%s\\n' $$ >&3\nread -r answer <&3\nexit 0\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TerminalTest, StyleOneRunsHiddenOnceWhenXtermCannotOpenTheDisplay) {
    // The real terminal, on a display that does not exist: it ends at once.
    fs::remove(bin_ / "xterm");
    int number = 4321;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    ScopedEnv display("DISPLAY", ":" + std::to_string(number));
    ASSERT_TRUE(posix::FindTerminal().has_value())
        << "xterm is needed here (scripts/install-deps.sh installs it)";
    WriteScript(Native("startget.BAT"), {AppendShellId(runs_), script::AppendLine(done_, "done")});

    for (const StartKind kind : {StartKind::Awaited, StartKind::Detached}) {
        SCOPED_TRACE(NameOf(kind));
        fs::remove(runs_);
        fs::remove(done_);
        const platform::ProcessId id = StartAs(kind, launcher_, LogicPath("startget.BAT"), 1);
        ASSERT_NE(id, 0);
        ASSERT_TRUE(WaitForFile(done_));
        // Run once, and by the hidden shell, whose id is the one handed back.
        EXPECT_EQ(ReadLines(runs_), std::vector<std::string>{std::to_string(id)});
    }
}

TEST_F(TerminalTest, NothingStartsWhenNeitherTheTerminalNorTheHiddenShellCanRun) {
    ScopedEnv display("DISPLAY", ":71");
    // An environment string longer than the system takes makes every exec fail.
    ScopedEnv huge("PSION_TEST_HUGE", std::string(200000, 'x'));
    WriteScript(Native("startget.BAT"), {AppendShellId(runs_)});

    for (const StartKind kind : {StartKind::Awaited, StartKind::Detached}) {
        SCOPED_TRACE(NameOf(kind));
        EXPECT_EQ(StartAs(kind, launcher_, LogicPath("startget.BAT"), 1), 0);
    }
    EXPECT_FALSE(fs::exists(runs_));
    EXPECT_FALSE(fs::exists(terminalLog_));
    EXPECT_EQ(ZombieChildrenOf(getpid()), std::vector<pid_t>{});
}

TEST_F(TerminalTest, AHungTerminalIsEndedAndTheScriptRunsHiddenOnceEvenIfTheTerminalWakesLate) {
    ScopedEnv display("DISPLAY", ":71");
    // Says nothing within the limit, but would run the script a little later
    // from a process of its own that outlives it.
    const fs::path terminalIds = temp_.Path() / "terminal.ids";
    const fs::path late = temp_.Path() / "late";
    WriteProgram(
        bin_ / "xterm",
        {"echo $$ >> '" + terminalIds.string() + "'", "while [ \"$1\" != -e ]; do shift; done",
         "shift", "( sleep 2; \"$@\"; echo woke >> '" + late.string() + "' ) &", "exec sleep 600"});
    WriteScript(Native("startget.BAT"), {AppendShellId(runs_), script::AppendLine(done_, "done")});
    posix::PosixProcessLauncher launcher(std::chrono::milliseconds(500));

    for (const StartKind kind : {StartKind::Awaited, StartKind::Detached}) {
        SCOPED_TRACE(NameOf(kind));
        fs::remove(runs_);
        fs::remove(done_);
        fs::remove(late);
        const platform::ProcessId id = StartAs(kind, launcher, LogicPath("startget.BAT"), 1);
        ASSERT_NE(id, 0);
        ASSERT_TRUE(WaitForFile(done_));
        ASSERT_TRUE(WaitForFile(late));
        EXPECT_EQ(ReadLines(runs_), std::vector<std::string>{std::to_string(id)});
        const std::string terminal = ReadLines(terminalIds).back();
        EXPECT_FALSE(ReadProcessEntry(std::stoi(terminal)).has_value()) << "the terminal is ended";
    }
}

TEST_F(TerminalTest, OnlyAbsoluteFoldersOfPathAreSearchedForTheTerminal) {
    ScopedEnv display("DISPLAY", ":71");
    // Terminals in the working folder and in a folder relative to it.
    const fs::path canary = temp_.Path() / "canary";
    WriteProgram(temp_.Path() / "xterm", {script::AppendLine(canary, "./xterm")});
    WriteProgram(temp_.Path() / "relative" / "xterm", {script::AppendLine(canary, "relative")});
    ScopedWorkingFolder workingFolder(temp_.Path());
    ScopedEnv path("PATH", ":relative:.:" + (temp_.Path() / "empty").string() + ":");
    WriteScript(Native("startget.BAT"), {AppendShellId(runs_)});

    EXPECT_FALSE(posix::FindTerminal().has_value());
    const platform::ProcessId id =
        StartAs(StartKind::Awaited, launcher_, LogicPath("startget.BAT"), 1);
    ASSERT_NE(id, 0);
    EXPECT_EQ(ReadLines(runs_), std::vector<std::string>{std::to_string(id)});
    EXPECT_FALSE(fs::exists(canary));
}

}  // namespace
}  // namespace psion::testing
