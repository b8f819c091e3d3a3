#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/ScriptedPrompt.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/posix/ScopedEnv.h"
#include "platform/posix/wine/TestWinePrefix.h"
#include "support/ChildProcess.h"
#include "support/ScopedWorkingFolder.h"
#include "support/TempDir.h"
#include "support/TestScripts.h"
#include "support/VirtualDisplay.h"
#include "transfer/ScriptLauncher.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
    return fs::exists(file) ? ReadBytes(file) : std::string("(no file)");
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ProcessName(platform::ProcessId id) {
    std::ifstream comm("/proc/" + std::to_string(id) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// Plain batch files, as a unit's own are, in a folder of their own on drive
// C: of the shared prefix; the program is started from an empty working
// folder, as from the desktop menu it would be the home folder.
class WineTest : public ::testing::Test {
  protected:
    WineTest() : caseName_("case-" + std::to_string(std::random_device()())) {
        fs::create_directories(CaseFolder());
    }
    ~WineTest() override {
        std::error_code ignored;
        fs::remove_all(CaseFolder(), ignored);
    }

    fs::path CaseFolder() const { return prefix_ / "drive_c" / "psion-tests" / caseName_; }
    // The path the logic gives, in the data folder below this case's folder.
    std::string LogicPath(const std::string& relative) const {
        return "C:\\psion-tests\\" + caseName_ + "\\" + relative;
    }
    fs::path Native(const std::string& folder, const std::string& name) const {
        return CaseFolder() / folder / name;
    }
    // Lines end in CR LF; no line would mean anything to /bin/sh.
    fs::path WriteBatch(const std::string& folder, const std::string& name,
                        std::initializer_list<std::string> lines) const {
        std::string text = "@echo off\r\n";
        for (const auto& line : lines) text += line + "\r\n";
        fs::create_directories(CaseFolder() / folder);
        std::ofstream(Native(folder, name), std::ios::binary) << text;
        return Native(folder, name);
    }

    const fs::path& prefix_ = SharedWinePrefix();
    ScopedEnv winePrefix_{"WINEPREFIX", prefix_.string()};
    ScopedEnv wineArch_{"WINEARCH", std::nullopt};
    ScopedEnv display_{"DISPLAY", std::nullopt};
    TempDir working_;
    ScopedWorkingFolder inWorking_{working_.Path()};
    std::string caseName_;
    posix::PosixProcessLauncher launcher_;
    headless::ScriptedPrompt prompt_;
};

// Hidden, and with "Show command window" on a private X display.
class WineWindowTest : public WineTest, public ::testing::WithParamInterface<std::int16_t> {
  protected:
    void SetUp() override {
        if (GetParam() == platform::kWindowNormalFocused) {
            xserver_.emplace();
            ASSERT_FALSE(xserver_->Name().empty())
                << "Xvfb is needed here (scripts/install-deps.sh)";
            shown_.emplace("DISPLAY", xserver_->Name());
        }
    }
    // The id handed back is the terminal's when the box is ticked.
    void ExpectWindow(platform::ProcessId id) const {
        if (GetParam() == platform::kWindowNormalFocused) {
            EXPECT_EQ(ProcessName(id), "xterm");
        }
    }

    std::int16_t style_ = GetParam();
    std::optional<VirtualDisplay> xserver_;
    std::optional<ScopedEnv> shown_;
};

TEST_P(WineWindowTest, SendRunsAPlainBatchFileUnderCmdAndWritesNothingInTheWorkingFolder) {
    WriteBatch("psion", "startsend.bat", {"echo sent> \"%~dp0sent.marker\""});
    transfer::ScriptLauncher sends(launcher_, prompt_, style_);

    const platform::ProcessId id = sends.StartScript(LogicPath("psion\\startsend.bat"));
    ASSERT_NE(id, 0);
    ExpectWindow(id);

    // Send does not wait: the batch file may still be writing its marker.
    const auto marker = Native("psion", "sent.marker");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (ReadFile(marker) != "sent\r\n" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(ReadFile(marker), "sent\r\n");
    EXPECT_EQ(Entries(working_.Path()), std::vector<std::string>{});
    EXPECT_TRUE(prompt_.Shown().empty());
}

TEST_P(WineWindowTest, ReceiveReturnsOnlyOnceThePingBatchFileHasWrittenItsMarker) {
    WriteBatch("psion", "startget.BAT",
               {"ping -n 3 127.0.0.1 >nul", "echo got> \"%~dp0got.marker\""});
    transfer::ScriptLauncher receives(launcher_, prompt_, style_);

    platform::ProcessId id = 0;
    receives.RunAndWait(LogicPath("psion\\startget.BAT"), id);

    ASSERT_NE(id, 0);
    EXPECT_EQ(ReadFile(Native("psion", "got.marker")), "got\r\n");
    EXPECT_EQ(Entries(working_.Path()), std::vector<std::string>{});
    EXPECT_TRUE(prompt_.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(HiddenAndShown, WineWindowTest,
                         ::testing::Values(platform::kWindowHidden, platform::kWindowNormalFocused),
                         [](const auto& info) {
                             return std::string(info.param == 0 ? "Hidden" : "Shown");
                         });

// Data folders whose names cmd.exe would read as commands, were they on its command line.
class WineFolderNameTest : public WineTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(WineFolderNameTest, TheScriptRunsOnceAndNothingElseRuns) {
    // Written to a fixed path: Wine's cmd.exe expands %...% once more inside %~dp0.
    const std::string marker = LogicPath("marker.txt");
    WriteBatch(GetParam(), "startget.BAT", {"echo ran>>\"" + marker + "\""});

    const platform::ProcessId id =
        launcher_.Start(LogicPath(GetParam() + "\\startget.BAT"), platform::kWindowHidden);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_EQ(ReadFile(CaseFolder() / "marker.txt"), "ran\r\n");
    EXPECT_EQ(Entries(CaseFolder() / GetParam()), std::vector<std::string>{"startget.BAT"});
    std::vector<std::string> caseFolder{GetParam(), "marker.txt"};
    std::sort(caseFolder.begin(), caseFolder.end());
    EXPECT_EQ(Entries(CaseFolder()), caseFolder);
    EXPECT_EQ(Entries(working_.Path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Names, WineFolderNameTest,
                         ::testing::Values("units & md injected", "units %OS% & md injected",
                                           "units ^& md injected ^", "units (x86) & md injected)",
                                           "units !OS! & md injected", "unit's & md injected",
                                           "a & md injected ^& (b) !OS! %OS% 'c' ^"));

TEST_F(WineTest, ReceiveDoesNotWaitForTheWineServerNorWhatTheScriptLeavesRunning) {
    TwinWinePrefix twin;
    ASSERT_FALSE(twin.ServerRuns());
    const ScopedEnv prefix("WINEPREFIX", twin.Path().string());
    // A program the batch file leaves running keeps Wine's server going too.
    WriteBatch("psion", "startget.BAT",
               {"start \"\" /b ping -n 60 127.0.0.1", "echo got> \"%~dp0got.marker\""});

    const platform::ProcessId id =
        launcher_.Start(LogicPath("psion\\startget.BAT"), platform::kWindowHidden);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    EXPECT_EQ(ReadFile(Native("psion", "got.marker")), "got\r\n");
    EXPECT_TRUE(twin.ServerRuns()) << "the wait ended with the batch file, not with Wine";
}

TEST_F(WineTest, APrefixThatWineCannotOpenIsAFailedStart) {
    WriteBatch("psion", "startget.BAT", {"echo got> \"%~dp0got.marker\""});
    TwinWinePrefix twin;
    struct Unusable {
        std::string name;
        fs::path prefix;
        std::optional<std::string> arch;
    };
    std::vector<Unusable> cases{{"a 64-bit prefix with WINEARCH=win32", prefix_, "win32"}};
    // Wine refuses a prefix owned by another user, even to root.
    if (CanSwitchUser() && ::chown(twin.Path().c_str(), NobodyUser(), NobodyGroup()) == 0) {
        cases.push_back({"a prefix owned by another user", twin.Path(), std::nullopt});
    }
    for (const auto& unusable : cases) {
        SCOPED_TRACE(unusable.name);
        const ScopedEnv prefix("WINEPREFIX", unusable.prefix.string());
        const ScopedEnv arch("WINEARCH", unusable.arch);
        EXPECT_EQ(launcher_.Start(LogicPath("psion\\startget.BAT"), platform::kWindowHidden), 0);
        EXPECT_EQ(
            launcher_.StartDetached(LogicPath("psion\\startget.BAT"), platform::kWindowHidden), 0);
        EXPECT_FALSE(fs::exists(Native("psion", "got.marker")));
    }
    ASSERT_EQ(::chown(twin.Path().c_str(), ::getuid(), ::getgid()), 0);
}

TEST(TerminalHoldTest, TheTerminalEndsWithItsScriptWhateverTheUsersResourcesSay) {
    VirtualDisplay xserver;
    ASSERT_FALSE(xserver.Name().empty()) << "Xvfb is needed here (scripts/install-deps.sh)";
    TempDir temp;
    const fs::path resources =
        temp.Write("resources", "XTerm*hold: true\nxterm*hold: true\nxterm.hold: true\n");
    const ScopedEnv display("DISPLAY", xserver.Name());
    const ScopedEnv userResources("XENVIRONMENT", resources.string());
    const ScopedEnv resourceName("RESOURCE_NAME", std::nullopt);
    // Those resources do keep a terminal open that is not told otherwise.
    const ChildOutcome held = RunInChild(
        [] {
            ::execlp("xterm", "xterm", "-e", "true", static_cast<char*>(nullptr));
            return 127;
        },
        std::chrono::seconds(5));
    ASSERT_FALSE(held.finished) << "xterm did not hold: " << held.Describe();

    const fs::path done = temp.Path() / "done";
    WriteScript(temp.Path() / "startget.BAT", {script::AppendLine(done, "done")});
    const ChildOutcome receive = RunInChild([&] {
        posix::PosixProcessLauncher launcher;
        const platform::ProcessId id =
            launcher.Start(temp.Path().string() + "\\startget.BAT", platform::kWindowNormalFocused);
        if (id == 0 || ProcessName(id) != "xterm") return 2;
        launcher.WaitForExit(id);
        return fs::exists(done) ? 0 : 3;
    });
    EXPECT_TRUE(receive.finished && receive.exitCode == 0) << receive.Describe();
}

}  // namespace
}  // namespace psion::testing
