#include "platform/posix/PosixProcessLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>
#include <string>

#include "platform/posix/PathMapping.h"
#include "platform/posix/ScriptCommand.h"
#include "platform/posix/ScriptOpenWatch.h"
#include "platform/posix/ScriptProcess.h"

namespace psion::posix {

namespace {

// /bin/sh would report a missing or unreadable script only after it has been
// started, so the file is tried first: it must open for reading and be a
// regular file (as root the permission bits do not stop a read).
bool IsReadableRegularFile(const std::string& nativePath) {
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

// The interpreters a start may try, at most: the 32-bit cmd.exe and the 64-bit one.
constexpr std::size_t kMaxInterpreters = 2;

// What one start tries, in order: the terminal with each interpreter when
// there is a terminal, then each interpreter hidden. An attempt that fails has
// not opened the script, so the script runs once at most.
struct StartPlan {
    std::array<const PreparedCommand*, kMaxInterpreters> terminal{};  // nullptr: none
    std::array<const PreparedCommand*, kMaxInterpreters> hidden{};
    int terminalLimitMs;
    int openLimitMs;         // -1: wait for the script's opening without a limit
    const char* scriptPath;  // the native path, whose opening is the script's start
};

// The started process (a child of the caller), or 0. Async-signal-safe, so an
// intermediate child can run it too.
pid_t StartByPlan(const StartPlan& plan) {
    const int watch = WatchForOpen(plan.scriptPath);
    pid_t started = 0;
    for (const PreparedCommand* terminal : plan.terminal) {
        if (started != 0 || terminal == nullptr) break;
        bool shellWasReady = false;
        started = StartInTerminal(*terminal, plan.terminalLimitMs, watch, plan.openLimitMs,
                                  shellWasReady);
        // A terminal that never got as far as its shell fails whatever it runs.
        if (!shellWasReady) break;
    }
    for (const PreparedCommand* hidden : plan.hidden) {
        if (started != 0 || hidden == nullptr) break;
        started = StartHidden(*hidden, watch, plan.openLimitMs);
    }
    CloseIfOpen(watch);
    return started;
}

// Runs in the intermediate child: starts the script, hands its id (or 0) to
// the program and ends, so the script's parent becomes the system's reaper.
[[noreturn]] void RunIntermediate(const StartPlan& plan, int report) {
    // None of the program's signal handlers may run in this copy of it.
    sigset_t all;
    sigfillset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    const pid_t started = StartByPlan(plan);
    ssize_t written;
    do {
        written = ::write(report, &started, sizeof started);
    } while (written < 0 && errno == EINTR);
    _exit(0);
}

pid_t StartThroughIntermediate(const StartPlan& plan) {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return 0;
    const pid_t intermediate = ::fork();
    if (intermediate == 0) {
        ::close(report[0]);
        RunIntermediate(plan, report[1]);
    }
    ::close(report[1]);
    if (intermediate < 0) {
        ::close(report[0]);
        return 0;
    }
    // One write of a few bytes arrives whole; anything else means nothing started.
    pid_t started = 0;
    ssize_t count;
    do {
        count = ::read(report[0], &started, sizeof started);
    } while (count < 0 && errno == EINTR);
    ::close(report[0]);
    WaitBlocking(intermediate);
    return count == static_cast<ssize_t>(sizeof started) ? started : 0;
}

platform::ProcessId Launch(const std::string& scriptPath, std::int16_t windowStyle,
                           std::chrono::milliseconds terminalLimit,
                           std::optional<std::chrono::milliseconds> openLimit, bool detached) {
    const NativeLocation script = MapToNative(scriptPath);
    if (!IsReadableRegularFile(script.path)) return 0;
    // A script on a Wine drive runs under Wine or not at all.
    const auto hiddenCommands = HiddenScriptCommands(script, scriptPath);
    if (hiddenCommands.empty() || hiddenCommands.size() > kMaxInterpreters) return 0;

    // Everything is prepared before the fork, where nothing may allocate.
    std::array<std::optional<PreparedCommand>, kMaxInterpreters> terminal;
    std::array<std::optional<PreparedCommand>, kMaxInterpreters> hidden;
    StartPlan plan{{},
                   {},
                   static_cast<int>(terminalLimit.count()),
                   openLimit ? static_cast<int>(openLimit->count()) : -1,
                   script.path.c_str()};
    std::size_t shown = 0;
    for (std::size_t i = 0; i < hiddenCommands.size(); ++i) {
        if (windowStyle == platform::kWindowNormalFocused) {
            if (auto command = TerminalScriptCommand(hiddenCommands[i], script.path)) {
                plan.terminal[shown] = &terminal[shown].emplace(*command);
                ++shown;
            }
        }
        plan.hidden[i] = &hidden[i].emplace(hiddenCommands[i]);
    }
    return static_cast<platform::ProcessId>(detached ? StartThroughIntermediate(plan)
                                                     : StartByPlan(plan));
}

}  // namespace

PosixProcessLauncher::PosixProcessLauncher(std::chrono::milliseconds terminalStartLimit,
                                           std::chrono::milliseconds sendOpenLimit)
    : terminalStartLimit_(terminalStartLimit), sendOpenLimit_(sendOpenLimit) {}

platform::ProcessId PosixProcessLauncher::Start(const std::string& scriptPath,
                                                std::int16_t windowStyle) {
    // Receive waits for the process anyway, so it waits for the opening without a limit.
    return Launch(scriptPath, windowStyle, terminalStartLimit_, std::nullopt, false);
}

platform::ProcessId PosixProcessLauncher::StartDetached(const std::string& scriptPath,
                                                        std::int16_t windowStyle) {
    return Launch(scriptPath, windowStyle, terminalStartLimit_, sendOpenLimit_, true);
}

void PosixProcessLauncher::WaitForExit(platform::ProcessId id) {
    // Not a child of ours (never ours, or already reaped): nothing to wait for.
    if (id <= 0) return;
    WaitBlocking(static_cast<pid_t>(id));
}

}  // namespace psion::posix
