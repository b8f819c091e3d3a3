#include "platform/posix/ScriptProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/ScriptOpenWatch.h"
#include "platform/posix/TerminalHandshake.h"

namespace psion::posix {

namespace {

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

// In a child: the command's folder, input and environment, then exec.
// Returns only on failure.
void Exec(const PreparedCommand& command) {
    if (!command.folder.empty() && ::chdir(command.folder.c_str()) != 0) return;
    if (command.detachedInput) {
        const int nothing = ::open("/dev/null", O_RDWR | O_NOCTTY);
        if (nothing < 0) return;
        for (int standard = 0; standard <= 2; ++standard) {
            if (::dup2(nothing, standard) < 0) return;
        }
        if (nothing > 2) ::close(nothing);
    }
    if (command.environment) {
        execve(command.arguments.Program(), command.arguments.Arguments(),
               command.environment->Arguments());
    } else {
        execv(command.arguments.Program(), command.arguments.Arguments());
    }
}

[[noreturn]] void RunHidden(const PreparedCommand& command, int errorPipe) {
    EnterOwnSession();
    Exec(command);
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorPipe, &error, sizeof error);
    _exit(127);
}

[[noreturn]] void RunTerminal(const PreparedCommand& command, int handshake) {
    EnterOwnSession();
    if (!PlaceHandshake(handshake)) _exit(127);
    Exec(command);
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

// Once the terminal's shell has been told to run the script: true when the
// script is being executed. When the terminal ends first, its shell is ended
// too, so the script cannot start late from a closed terminal.
bool ScriptRunsInTerminal(int watch, pid_t terminal, pid_t shell, int shellHandle,
                          int openLimitMs) {
    const int terminalHandle = ProcessHandle(terminal);
    bool runs = true;  // without a watch, the word to run counts, as it is all that is known
    if (watch >= 0 && shellHandle >= 0 && terminalHandle >= 0) {
        const OpenOutcome outcome = WaitForOpen(watch, shellHandle, terminalHandle, openLimitMs);
        if (outcome == OpenOutcome::SecondEnded && shell != terminal) {
            SignalProcess(shellHandle, SIGKILL);
        }
        // Past the limit the start counts as made, since the process exists.
        runs = outcome == OpenOutcome::Opened || outcome == OpenOutcome::LimitPassed ||
               HasBeenOpened(watch);
    }
    CloseIfOpen(terminalHandle);
    return runs;
}

// Once the hidden command has been executed: true when the script is being
// executed, false when the command ended first.
bool ScriptRunsHidden(int watch, pid_t pid, int openLimitMs) {
    if (watch < 0) return true;
    const int handle = ProcessHandle(pid);
    if (handle < 0) return true;
    const bool runs = WaitForOpen(watch, handle, -1, openLimitMs) != OpenOutcome::FirstEnded;
    ::close(handle);
    return runs;
}

}  // namespace

void WaitBlocking(pid_t pid) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void CloseIfOpen(int fd) {
    if (fd >= 0) ::close(fd);
}

pid_t StartInTerminal(const PreparedCommand& command, int limitMs, int watch, int openLimitMs,
                      bool& shellWasReady) {
    shellWasReady = false;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return 0;
    const pid_t pid = ::fork();
    if (pid == 0) RunTerminal(command, ends[1]);
    ::close(ends[1]);
    if (pid < 0) {
        ::close(ends[0]);
        return 0;
    }
    const pid_t shell = TerminalShellWhenReady(ends[0], limitMs);
    shellWasReady = shell > 0;
    // Taken while the shell waits for the word, so the handle is surely its.
    const int shellHandle = shell > 0 ? ProcessHandle(shell) : -1;
    const bool told = shell > 0 && SayGo(ends[0]);
    ::close(ends[0]);
    const bool started = told && ScriptRunsInTerminal(watch, pid, shell, shellHandle, openLimitMs);
    CloseIfOpen(shellHandle);
    if (started) return pid;
    // Ended, hung or closed: either way it will not run the script now.
    ::kill(pid, SIGKILL);
    WaitBlocking(pid);
    return 0;
}

pid_t StartHidden(const PreparedCommand& command, int watch, int openLimitMs) {
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) return 0;
    const pid_t pid = ::fork();
    if (pid == 0) RunHidden(command, errorPipe[1]);
    ::close(errorPipe[1]);
    if (pid < 0) {
        ::close(errorPipe[0]);
        return 0;
    }
    const bool started = ExecSucceeded(errorPipe[0]) && ScriptRunsHidden(watch, pid, openLimitMs);
    ::close(errorPipe[0]);
    if (started) return pid;
    WaitBlocking(pid);
    return 0;
}

}  // namespace psion::posix
