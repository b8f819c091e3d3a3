#include "platform/posix/PosixProcessLauncher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/PathMapping.h"
#include "platform/posix/ScriptCommand.h"

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

// Argument vectors are built before forking: a forked copy of a threaded
// program may only make async-signal-safe calls, so everything from the fork
// on allocates nothing.
class ArgumentVector {
  public:
    explicit ArgumentVector(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {
        for (auto& argument : arguments_) pointers_.push_back(argument.data());
        pointers_.push_back(nullptr);
    }
    ArgumentVector(const ArgumentVector&) = delete;
    ArgumentVector& operator=(const ArgumentVector&) = delete;

    const char* Program() const { return pointers_.front(); }
    char* const* Arguments() const { return pointers_.data(); }

  private:
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_;
};

// What one start tries: the terminal first when there is one, then hidden.
struct StartPlan {
    const ArgumentVector* terminal;  // nullptr when the script is to run hidden
    const ArgumentVector* hidden;
    int terminalLimitMs;
};

void WaitBlocking(pid_t pid) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// In a child before exec. The script gets a session of its own, so it runs on
// when the program exits or its terminal closes.
void EnterOwnSession() {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &defaultAction, nullptr);
    // Ignored signals stay ignored across exec; the script gets what a shell would give it.
    sigaction(SIGXFSZ, &defaultAction, nullptr);
    setsid();
}

[[noreturn]] void RunHidden(const ArgumentVector& command, int errorPipe) {
    EnterOwnSession();
    execv(command.Program(), command.Arguments());
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorPipe, &error, sizeof error);
    _exit(127);
}

[[noreturn]] void RunTerminal(const ArgumentVector& command, int handshake) {
    EnterOwnSession();
    // The terminal and the shell it starts find the handshake at a known number.
    if (handshake == kHandshakeDescriptor) {
        if (::fcntl(handshake, F_SETFD, 0) < 0) _exit(127);
    } else if (::dup2(handshake, kHandshakeDescriptor) < 0) {
        _exit(127);
    }
    execv(command.Program(), command.Arguments());
    _exit(127);
}

// The write end closes on a successful exec; an error number arrives otherwise.
bool ExecSucceeded(int readEnd) {
    int error = 0;
    ssize_t count;
    do {
        count = ::read(readEnd, &error, sizeof error);
    } while (count < 0 && errno == EINTR);
    return count == 0;
}

int MillisecondsUntil(const timespec& deadline) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long left = (deadline.tv_sec - now.tv_sec) * 1000LL +
                           (deadline.tv_nsec - now.tv_nsec + 999999LL) / 1000000LL;
    return left > 0 ? static_cast<int>(left) : 0;
}

// True once the shell inside the terminal has said it is ready and has been
// told to run the script. False when the terminal ends (or closes the
// handshake) first, or has not said so within the limit; the shell then never
// runs the script, since nobody will tell it to.
bool TerminalTakesTheScript(int handshake, int limitMs) {
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += limitMs / 1000;
    deadline.tv_nsec += (limitMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }

    char said = 0;
    while (true) {
        pollfd ready{handshake, POLLIN, 0};
        const int polled = ::poll(&ready, 1, MillisecondsUntil(deadline));
        if (polled == 0) return false;
        if (polled < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        const ssize_t count = ::read(handshake, &said, 1);
        if (count < 0 && errno == EINTR) continue;
        if (count != 1 || said != 'r') return false;
        break;
    }
    constexpr char kGo[] = "go\n";
    ssize_t sent;
    do {
        sent = ::send(handshake, kGo, sizeof kGo - 1, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(sizeof kGo - 1);
}

pid_t StartInTerminal(const ArgumentVector& command, int limitMs) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return 0;
    const pid_t pid = ::fork();
    if (pid == 0) RunTerminal(command, ends[1]);
    ::close(ends[1]);
    if (pid < 0) {
        ::close(ends[0]);
        return 0;
    }
    const bool started = TerminalTakesTheScript(ends[0], limitMs);
    ::close(ends[0]);
    if (started) return pid;
    // Ended or hung: either way it will not run the script now.
    ::kill(pid, SIGKILL);
    WaitBlocking(pid);
    return 0;
}

pid_t StartHidden(const ArgumentVector& command) {
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) return 0;
    const pid_t pid = ::fork();
    if (pid == 0) RunHidden(command, errorPipe[1]);
    ::close(errorPipe[1]);
    if (pid < 0) {
        ::close(errorPipe[0]);
        return 0;
    }
    const bool started = ExecSucceeded(errorPipe[0]);
    ::close(errorPipe[0]);
    if (started) return pid;
    WaitBlocking(pid);
    return 0;
}

// The started process (a child of the caller), or 0. Async-signal-safe, so an
// intermediate child can run it too.
pid_t StartByPlan(const StartPlan& plan) {
    if (plan.terminal != nullptr) {
        if (const pid_t terminal = StartInTerminal(*plan.terminal, plan.terminalLimitMs)) {
            return terminal;
        }
    }
    return StartHidden(*plan.hidden);
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
                           std::chrono::milliseconds terminalLimit, bool detached) {
    const std::string nativePath = MapToNativePath(scriptPath);
    if (!IsReadableRegularFile(nativePath)) return 0;

    std::optional<ArgumentVector> terminal;
    if (windowStyle == platform::kWindowNormalFocused) {
        if (auto command = TerminalScriptCommand(nativePath)) terminal.emplace(std::move(*command));
    }
    const ArgumentVector hidden(HiddenScriptCommand(nativePath));
    const StartPlan plan{terminal ? &*terminal : nullptr, &hidden,
                         static_cast<int>(terminalLimit.count())};
    return static_cast<platform::ProcessId>(detached ? StartThroughIntermediate(plan)
                                                     : StartByPlan(plan));
}

}  // namespace

PosixProcessLauncher::PosixProcessLauncher(std::chrono::milliseconds terminalStartLimit)
    : terminalStartLimit_(terminalStartLimit) {}

platform::ProcessId PosixProcessLauncher::Start(const std::string& scriptPath,
                                                std::int16_t windowStyle) {
    return Launch(scriptPath, windowStyle, terminalStartLimit_, false);
}

platform::ProcessId PosixProcessLauncher::StartDetached(const std::string& scriptPath,
                                                        std::int16_t windowStyle) {
    return Launch(scriptPath, windowStyle, terminalStartLimit_, true);
}

void PosixProcessLauncher::WaitForExit(platform::ProcessId id) {
    // Not a child of ours (never ours, or already reaped): nothing to wait for.
    if (id <= 0) return;
    WaitBlocking(static_cast<pid_t>(id));
}

}  // namespace psion::posix
