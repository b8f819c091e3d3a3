#include "platform/posix/ProcessLauncherFixture.h"

namespace psion::testing {
namespace {

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
    const fs::path ids = temp_.Path() / "ids";
    WriteScript(Native("startsend.bat"),
                {AppendShellId(ids), script::Sleep(1), script::AppendLine(done, "done")});

    const platform::ProcessId id = launcher_.StartDetached(LogicPath("startsend.bat"), 0);
    ASSERT_NE(id, 0);
    const auto entry = ReadProcessEntry(id);
    ASSERT_TRUE(entry.has_value()) << "the script sleeps, so it is still running";
    EXPECT_NE(entry->state, 'Z');
    EXPECT_NE(entry->parent, getpid()) << "the script is not the program's child";
    EXPECT_TRUE(ZombieChildrenOf(getpid()).empty()) << "the intermediate child is reaped";

    // The program goes on without waiting; the script must not stay a zombie.
    ASSERT_TRUE(WaitForFile(done));
    EXPECT_EQ(ReadLines(ids), std::vector<std::string>{std::to_string(id)})
        << "the id handed back is the script's";
    EXPECT_TRUE(WaitUntilGone(id, entry->startTime))
        << "state " << ReadProcessEntry(id).value_or(ProcessEntry{}).state;
}

TEST_F(PosixProcessLauncherTest, AThousandSendsAllStartAndLeaveNoZombieNorDescriptor) {
    const fs::path ran = temp_.Path() / "ran";
    WriteScript(Native("startsend.bat"), {"sleep 0.2", script::AppendLine(ran, "ran")});
    headless::ScriptedPrompt prompt;
    const std::int16_t hidden = platform::kWindowHidden;
    transfer::ScriptLauncher sends(launcher_, prompt, hidden);
    const std::size_t descriptorsBefore = OpenDescriptorCount();

    constexpr std::size_t kSends = 1000;
    std::size_t started = 0;
    for (std::size_t i = 0; i < kSends; ++i) {
        if (sends.StartScript(LogicPath("startsend.bat")) != 0) ++started;
    }

    EXPECT_EQ(started, kSends);
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
    ASSERT_TRUE(WaitForLines(ran, kSends)) << ReadLines(ran).size() << " scripts ran";
    EXPECT_EQ(ZombieChildrenOf(getpid()), std::vector<pid_t>{});
    EXPECT_TRUE(prompt.Shown().empty());
}

// A stand-in for wine that logs how it was started, then reads the batch file
// that cmd.exe would run, as cmd.exe does when it runs it.
fs::path WriteStandInWine(const fs::path& bin, const fs::path& log) {
    const std::string to = " >> '" + log.string() + "'";
    return WriteProgram(
        bin / "wine",
        {"printf 'WINEPREFIX=%s\\n' \"$WINEPREFIX\"" + to,
         "printf 'WINEDEBUG=%s\\n' \"$WINEDEBUG\"" + to, "printf 'folder=%s\\n' \"$(pwd)\"" + to,
         "printf 'command=%s\\n' \"$PSION_BATCH_FILE\"" + to, "printf '%s\\n' \"$@\"" + to,
         "name=${PSION_BATCH_FILE#\\\".\\\\}", "cat -- \"${name%\\\"}\" > /dev/null"});
}

TEST_F(PosixProcessLauncherTest, ARelativeWinePrefixThatLooksLikeAnOptionReachesWineAbsolute) {
    // Relative to the folder the program started in, as the prefix is.
    const std::string prefix = "-x" + std::to_string(getpid());
    struct RemovedAfterwards {
        fs::path folder;
        ~RemovedAfterwards() { fs::remove_all(folder); }
    } cleanup{startFolder / prefix};
    const fs::path folder = startFolder / prefix / "dosdevices" / "c:" / "kelvo" / "psion";
    const fs::path canary = temp_.Path() / "canary";
    WriteScript(folder / "startsend.bat", {script::AppendLine(canary, "run by sh")});
    const fs::path log = temp_.Path() / "wine.log";
    const fs::path bin = temp_.Path() / "bin";
    WriteStandInWine(bin, log);
    const ScopedEnv path("PATH", bin.string() + ":" + std::getenv("PATH"));
    const ScopedEnv winePrefix("WINEPREFIX", prefix);
    const ScopedEnv wineDebug("WINEDEBUG", std::nullopt);

    for (const StartKind kind : {StartKind::Awaited, StartKind::Detached}) {
        SCOPED_TRACE(NameOf(kind));
        fs::remove(log);
        EXPECT_NE(StartAs(kind, launcher_, "C:\\kelvo\\psion\\startsend.bat", 0), 0);
        ASSERT_TRUE(WaitForFile(log));
        EXPECT_EQ(ReadLines(log),
                  (std::vector<std::string>{"WINEPREFIX=" + (startFolder / prefix).string(),
                                            "WINEDEBUG=-all", "folder=" + folder.string(),
                                            "command=\".\\startsend.bat\"", "cmd.exe", "/d",
                                            "/e:ON", "/v:OFF", "/s", "/c", "%PSION_BATCH_FILE%"}));
    }
    EXPECT_FALSE(fs::exists(canary)) << "a script on a Wine drive never runs with /bin/sh";
}

TEST_F(PosixProcessLauncherTest, AScriptOnAWineDriveStartsNothingWithoutWineOrWhenRefused) {
    const fs::path prefix = temp_.Path() / "prefix";
    const fs::path canary = temp_.Path() / "canary";
    const fs::path folder = prefix / "drive_c" / "kelvo" / "psion";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    WriteScript(folder / "startget.BAT", {script::AppendLine(canary, "run by sh")});
    WriteScript(folder / "start%OS%.bat", {script::AppendLine(canary, "run by sh")});
    const ScopedEnv winePrefix("WINEPREFIX", prefix.string());
    const fs::path log = temp_.Path() / "wine.log";
    const fs::path bin = temp_.Path() / "bin";
    fs::create_directories(bin);

    {
        const ScopedEnv path("PATH", bin.string());
        ASSERT_FALSE(posix::FindProgram("wine").has_value()) << "wine must not be found here";
        for (const StartKind kind : {StartKind::Awaited, StartKind::Detached}) {
            SCOPED_TRACE(NameOf(kind));
            EXPECT_EQ(StartAs(kind, launcher_, "C:\\kelvo\\psion\\startget.BAT", 0), 0);
            EXPECT_EQ(StartAs(kind, launcher_, "\\kelvo\\psion\\startget.BAT", 1), 0);
        }
    }
    // A script whose own name holds % is refused as on Windows, wine or not.
    WriteStandInWine(bin, log);
    const ScopedEnv path("PATH", bin.string() + ":" + std::getenv("PATH"));
    EXPECT_EQ(launcher_.Start("C:\\kelvo\\psion\\start%OS%.bat", 0), 0);
    EXPECT_FALSE(fs::exists(log));
    EXPECT_FALSE(fs::exists(canary));
    EXPECT_EQ(ZombieChildrenOf(getpid()), std::vector<pid_t>{});
}

TEST_F(PosixProcessLauncherTest, TheScriptRunsInASessionOfItsOwn) {
    const fs::path done = temp_.Path() / "done";
    WriteScript(Native("startsend.bat"), {script::Sleep(1), script::AppendLine(done, "done")});
    for (const StartKind kind : {StartKind::Awaited, StartKind::Detached}) {
        SCOPED_TRACE(NameOf(kind));
        fs::remove(done);
        const platform::ProcessId id = kind == StartKind::Awaited
                                           ? launcher_.Start(LogicPath("startsend.bat"), 0)
                                           : launcher_.StartDetached(LogicPath("startsend.bat"), 0);
        ASSERT_NE(id, 0);
        const auto entry = ReadProcessEntry(id);
        if (kind == StartKind::Awaited) launcher_.WaitForExit(id);
        ASSERT_TRUE(WaitForFile(done));

        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->session, id);
        EXPECT_NE(entry->session, getsid(0));
    }
}

TEST_F(PosixProcessLauncherTest, TheScriptDoesNotInheritTheProgramsIgnoredFileSizeSignal) {
    struct sigaction own {};
    ASSERT_EQ(sigaction(SIGXFSZ, nullptr, &own), 0);
    ASSERT_EQ(own.sa_handler, SIG_IGN) << "the program's start-up routine ignores it";
    const fs::path log = temp_.Path() / "ignored.log";
    WriteScript(Native("startget.BAT"), {"grep SigIgn /proc/$$/status >> '" + log.string() + "'"});

    const platform::ProcessId id =
        launcher_.Start(LogicPath("startget.BAT"), platform::kWindowHidden);
    ASSERT_NE(id, 0);
    launcher_.WaitForExit(id);

    const auto lines = ReadLines(log);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_TRUE(lines[0].starts_with("SigIgn:")) << lines[0];
    const unsigned long long ignored = std::stoull(lines[0].substr(7), nullptr, 16);
    EXPECT_EQ(ignored & (1ull << (SIGXFSZ - 1)), 0u) << lines[0];
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

}  // namespace
}  // namespace psion::testing
