#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/posix/wine/WineUnitFixture.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/VirtualDisplay.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;

// What the prefix's windows\syswow64 holds, where Wine's 32-bit part puts a
// cmd.exe. These machines run no 32-bit code, so a 64-bit stand-in takes its
// place: it records each start in cmd-starts.txt and runs the real cmd.exe.
enum class Wow64 { Nothing, Interpreter, InterpreterThatEndsAtOnce };

struct InterpreterCase {
    const char* name;
    Wow64 wow64;
    int wow64Starts;  // how often the 32-bit interpreter was started
};

void PrintTo(const InterpreterCase& tried, std::ostream* out) { *out << tried.name; }

class InterpreterChoiceTest : public WineUnitTest,
                              public ::testing::WithParamInterface<InterpreterCase> {
  protected:
    void PlaceWow64(Wow64 what) const {
        if (what == Wow64::Nothing) return;
        ASSERT_TRUE(PlaceProgram(PSION_CMD_STAND_IN_EXE, Wow64Folder() / "cmd.exe"))
            << "the stand-in cmd.exe needs x86_64-w64-mingw32-gcc (scripts/install-deps.sh)";
        if (what == Wow64::InterpreterThatEndsAtOnce) {
            std::ofstream(Wow64Folder() / "fail-at-start");
        }
    }
    int Wow64Starts() const {
        std::ifstream log(Wow64Folder() / "cmd-starts.txt");
        int starts = 0;
        for (std::string line; std::getline(log, line);) ++starts;
        return starts;
    }
    std::string Marker() const {
        const fs::path file = DataFolder() / "ran.txt";
        return fs::exists(file) ? ReadBytes(file) : std::string("(no marker)");
    }
};

TEST_P(InterpreterChoiceTest, TheScriptRunsOnceUnderThe32BitInterpreterWhereOneCanStart) {
    PlaceWow64(GetParam().wow64);
    WriteBatch("startget.BAT", {"echo ran>>\"%~dp0ran.txt\""});

    ClickAndConfirm(app::main_form::kReceiveButton);

    EXPECT_EQ(ResultText(), "Process completed successfully.");
    EXPECT_EQ(Marker(), "ran\r\n");
    EXPECT_EQ(Wow64Starts(), GetParam().wow64Starts);
}

INSTANTIATE_TEST_SUITE_P(
    Wow64, InterpreterChoiceTest,
    ::testing::Values(InterpreterCase{"NoneThere", Wow64::Nothing, 0},
                      InterpreterCase{"ThereAndRunning", Wow64::Interpreter, 1},
                      // As when Wine's 32-bit part has been removed since: the 64-bit one runs it.
                      InterpreterCase{"ThereButEndingAtOnce", Wow64::InterpreterThatEndsAtOnce, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// With "Show command window", the fallback runs in the terminal too.
TEST_P(InterpreterChoiceTest, ShownTheScriptRunsOnceInTheTerminal) {
    VirtualDisplay xserver;
    ASSERT_FALSE(xserver.Name().empty()) << "Xvfb is needed here (scripts/install-deps.sh)";
    const ScopedEnv display("DISPLAY", xserver.Name());
    PlaceWow64(GetParam().wow64);
    WriteBatch("startget.BAT", {"echo ran>>\"%~dp0ran.txt\""});

    const platform::ProcessId id = launcher_.Start(
        "\\program files (x86)\\kelvo\\psion\\startget.BAT", platform::kWindowNormalFocused);
    ASSERT_NE(id, 0);
    std::ifstream comm("/proc/" + std::to_string(id) + "/comm");
    std::string name;
    std::getline(comm, name);
    EXPECT_EQ(name, "xterm");
    launcher_.WaitForExit(id);

    EXPECT_EQ(Marker(), "ran\r\n");
    EXPECT_EQ(Wow64Starts(), GetParam().wow64Starts);
}

// An interpreter that never opens the script and never ends: Send's wait for
// the opening ends at its limit, and the start counts, since the process exists.
TEST_F(WineUnitTest, ASendWhoseInterpreterHangsReportsItsStartAfterTheLimit) {
    ASSERT_TRUE(PlaceProgram(PSION_CMD_STAND_IN_EXE, Wow64Folder() / "cmd.exe"));
    std::ofstream(Wow64Folder() / "hang");
    WriteBatch("startsend.bat", {"echo ran>>\"%~dp0ran.txt\""});

    const ChildOutcome send = RunInChild(
        [&] {
            ClickAndConfirm(app::main_form::kSendButton);
            return ResultText() == "Process completed successfully." ? 0 : 2;
        },
        kSendOpenLimit + std::chrono::seconds(30));

    EXPECT_TRUE(send.finished && send.exitCode == 0) << send.Describe();
    EXPECT_TRUE(fs::exists(Wow64Folder() / "cmd-starts.txt"));
    EXPECT_FALSE(fs::exists(DataFolder() / "ran.txt"));
}

}  // namespace
}  // namespace psion::testing
