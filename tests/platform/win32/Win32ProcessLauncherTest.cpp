#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>

#include "platform/win32/Win32BusyPointer.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"

namespace psion::testing {
namespace {

// Runs each test from its temporary folder, so a command that escaped the
// quoting and ran on its own would leave its traces there.
class Win32ProcessLauncherTest : public ::testing::Test {
  protected:
    Win32ProcessLauncherTest() : previousFolder_(std::filesystem::current_path()) {
        std::filesystem::current_path(temp_.Path());
    }
    ~Win32ProcessLauncherTest() override { std::filesystem::current_path(previousFolder_); }

    std::string Marker() const { return AsSystemPath(temp_.Path() / "marker.txt"); }

    // A batch script at that path below the temporary folder; returns its full path as the logic
    // spells it.
    std::string WriteBatch(const std::string& relative, const std::string& body) const {
        return AsSystemPath(temp_.Write(relative, "@echo off\r\n" + body));
    }

    std::string MarkerText() const {
        const auto file = temp_.Path() / "marker.txt";
        return std::filesystem::exists(file) ? ReadBytes(file) : std::string("(no marker)");
    }

    TempDir temp_;
    std::filesystem::path previousFolder_;
    win32::Win32ProcessLauncher launcher_;
};

TEST_F(Win32ProcessLauncherTest, RunsAScriptOnceWhateverItsFolderHolds) {
    // With and without %, which decides whether the folder goes on the command line.
    for (const std::string folder : {"program files (x86) & md injected ^& ver ^ !x! %x% %path%",
                                     "program files (x86) & md injected ^& ver ^ !x! (y)"}) {
        SCOPED_TRACE(folder);
        std::filesystem::remove(temp_.Path() / "marker.txt");
        const std::string script =
            WriteBatch(folder + "/kelvo/psion/startget.BAT", "echo ran>>\"" + Marker() + "\"\r\n");

        const platform::ProcessId id = launcher_.Start(script, platform::kWindowHidden);
        ASSERT_NE(id, 0);
        launcher_.WaitForExit(id);

        EXPECT_EQ(MarkerText(), "ran\r\n");
        EXPECT_FALSE(std::filesystem::exists(temp_.Path() / "injected"));
    }
}

TEST_F(Win32ProcessLauncherTest, StartsNothingForAMissingOrRefusedScript) {
    EXPECT_EQ(launcher_.Start(AsSystemPath(temp_.Path() / "startsend.bat"), 0), 0);
    EXPECT_EQ(launcher_.Start(AsSystemPath(temp_.Path()), 0), 0);  // a folder, not a script

    // cmd.exe would expand the name's %...% even inside quotes.
    const std::string percentName =
        WriteBatch("kelvo/start%path%.bat", "echo ran>>\"" + Marker() + "\"\r\n");
    EXPECT_EQ(launcher_.Start(percentName, 0), 0);
    // No file can hold these, but a path must not smuggle them onto the command line either.
    EXPECT_EQ(launcher_.Start(AsSystemPath(temp_.Path()) + "\\a\" & md injected & \".bat", 0), 0);
    EXPECT_EQ(launcher_.Start(AsSystemPath(temp_.Path()) + "\\a\r\nmd injected", 0), 0);

    EXPECT_EQ(MarkerText(), "(no marker)");
    EXPECT_FALSE(std::filesystem::exists(temp_.Path() / "injected"));
}

TEST_F(Win32ProcessLauncherTest, WaitReturnsOnlyAfterTheScriptHasEnded) {
    const std::string script = WriteBatch("slow.bat",
                                          "ping -n 3 127.0.0.1 >nul\r\n"
                                          "echo done>\"" +
                                              Marker() + "\"\r\n");

    const platform::ProcessId id = launcher_.Start(script, platform::kWindowHidden);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_EQ(MarkerText(), "done\r\n");
    // Once ended, a further wait has nothing to wait for and returns at once.
    launcher_.WaitForExit(id);
}

TEST_F(Win32ProcessLauncherTest, TheBusyPointerShowsAgainForTheWholeWait) {
    const std::string script = WriteBatch("quick.bat", "echo done>\"" + Marker() + "\"\r\n");
    const HCURSOR busy = LoadCursorW(nullptr, IDC_WAIT);
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    win32::ShowBusyPointer(true);
    // The confirmation box puts back the arrow when it closes, before the script starts.
    SetCursor(arrow);

    const platform::ProcessId id = launcher_.Start(script, platform::kWindowHidden);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);
    const HCURSOR duringWait = GetCursor();
    win32::ShowBusyPointer(false);

    EXPECT_EQ(duringWait, busy);
    EXPECT_EQ(GetCursor(), arrow);
    // Without a busy pointer asked for, the wait leaves the pointer alone.
    const platform::ProcessId again = launcher_.Start(script, platform::kWindowHidden);
    ASSERT_NE(again, 0);
    launcher_.WaitForExit(again);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(Win32ProcessLauncherTest, AScriptThatFailsStillCountsAsStarted) {
    const std::string script = WriteBatch("fails.bat", "echo ran>\"" + Marker() +
                                                           "\"\r\n"
                                                           "exit /b 3\r\n");

    const platform::ProcessId id = launcher_.Start(script, platform::kWindowHidden);

    EXPECT_NE(id, 0);
    launcher_.WaitForExit(id);
    EXPECT_EQ(MarkerText(), "ran\r\n");
}

TEST_F(Win32ProcessLauncherTest, RunsAScriptInItsOwnConsoleWindowToo) {
    const std::string script = WriteBatch("shown.bat", "echo shown>\"" + Marker() + "\"\r\n");

    const platform::ProcessId id = launcher_.Start(script, platform::kWindowNormalFocused);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_EQ(MarkerText(), "shown\r\n");
}

TEST_F(Win32ProcessLauncherTest, WaitsForAProcessStartedByAnotherLauncher) {
    const std::string script = WriteBatch("slow.bat",
                                          "ping -n 2 127.0.0.1 >nul\r\n"
                                          "echo done>\"" +
                                              Marker() + "\"\r\n");
    win32::Win32ProcessLauncher other;
    const platform::ProcessId id = other.Start(script, platform::kWindowHidden);
    ASSERT_NE(id, 0);

    launcher_.WaitForExit(id);  // knows no handle for it, so it opens the process by its id

    EXPECT_EQ(MarkerText(), "done\r\n");
}

// What the 32-bit interpreter's folder holds. This Wine runs no 32-bit code,
// so a 64-bit stand-in takes the 32-bit cmd.exe's place: it records each
// start in cmd-starts.txt beside itself and runs the system's cmd.exe.
enum class Wow64 { NoFolder, Nothing, Interpreter, NotAProgram };

struct InterpreterCase {
    const char* name;
    Wow64 wow64;
    bool standInStarted;
};

void PrintTo(const InterpreterCase& tried, std::ostream* out) { *out << tried.name; }

class Win32InterpreterChoiceTest : public Win32ProcessLauncherTest,
                                   public ::testing::WithParamInterface<InterpreterCase> {
  protected:
    std::filesystem::path Wow64Folder() const { return temp_.Path() / "SysWOW64"; }

    win32::InterpreterFolders Folders() const {
        win32::InterpreterFolders folders = win32::SystemInterpreterFolders();
        folders.wow64.reset();
        const Wow64 wow64 = GetParam().wow64;
        if (wow64 == Wow64::NoFolder) return folders;
        std::filesystem::create_directories(Wow64Folder());
        folders.wow64 = Wow64Folder().wstring();
        const auto cmd = Wow64Folder() / "cmd.exe";
        if (wow64 == Wow64::Interpreter) {
            std::filesystem::copy_file(std::filesystem::u8path(PSION_CMD_STAND_IN_EXE), cmd);
        } else if (wow64 == Wow64::NotAProgram) {
            std::ofstream(cmd, std::ios::binary) << "not a program";
        }
        return folders;
    }
};

TEST_P(Win32InterpreterChoiceTest, TheScriptRunsOnceUnderThe32BitInterpreterWhereOneStarts) {
    win32::Win32ProcessLauncher launcher(Folders());
    const std::string script =
        WriteBatch("kelvo/psion/startget.BAT", "echo ran>>\"" + Marker() + "\"\r\n");

    const platform::ProcessId id = launcher.Start(script, platform::kWindowHidden);
    ASSERT_NE(id, 0);
    launcher.WaitForExit(id);

    EXPECT_EQ(MarkerText(), "ran\r\n");
    EXPECT_EQ(std::filesystem::exists(Wow64Folder() / "cmd-starts.txt"), GetParam().standInStarted);
}

INSTANTIATE_TEST_SUITE_P(
    Wow64, Win32InterpreterChoiceTest,
    ::testing::Values(InterpreterCase{"NoWow64Folder", Wow64::NoFolder, false},
                      InterpreterCase{"NoInterpreterThere", Wow64::Nothing, false},
                      InterpreterCase{"InterpreterThere", Wow64::Interpreter, true},
                      // ERROR_BAD_EXE_FORMAT, as a 32-bit cmd.exe gives where nothing runs it.
                      InterpreterCase{"NotAProgramThere", Wow64::NotAProgram, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace psion::testing
