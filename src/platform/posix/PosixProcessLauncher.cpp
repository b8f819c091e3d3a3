#include "platform/posix/PosixProcessLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/ChildReaper.h"
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

// Argument vectors are built before forking: the child may only make calls
// that are safe in a forked copy of a threaded program.
class ArgumentVector {
  public:
    explicit ArgumentVector(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {
        for (auto& argument : arguments_) pointers_.push_back(argument.data());
        pointers_.push_back(nullptr);
    }
    const char* Program() const { return pointers_.front(); }
    char* const* Arguments() const { return pointers_.data(); }

  private:
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_;
};

class Pipe {
  public:
    Pipe() { ok_ = ::pipe2(fds_, O_CLOEXEC) == 0; }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool Ok() const { return ok_; }
    int ReadEnd() const { return fds_[0]; }
    int WriteEnd() const { return fds_[1]; }
    void CloseRead() { CloseOne(fds_[0]); }
    void CloseWrite() { CloseOne(fds_[1]); }

  private:
    static void CloseOne(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    int fds_[2] = {-1, -1};
    bool ok_ = false;
};

// Runs in the child between fork and exec. The script gets a session of its
// own, so it runs on when the program exits or its terminal closes.
[[noreturn]] void RunChild(const ArgumentVector& command, const ArgumentVector* fallback,
                           int errorPipe) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &defaultAction, nullptr);
    setsid();

    execv(command.Program(), command.Arguments());
    if (fallback != nullptr) execv(fallback->Program(), fallback->Arguments());

    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorPipe, &error, sizeof error);
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

void WaitBlocking(pid_t pid) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

platform::ProcessId PosixProcessLauncher::Start(const std::string& scriptPath,
                                                std::int16_t windowStyle) {
    const std::string nativePath = MapToNativePath(scriptPath);
    if (!IsReadableRegularFile(nativePath)) return 0;

    const ArgumentVector command(ScriptCommand(nativePath, windowStyle));
    const ArgumentVector hidden(HiddenScriptCommand(nativePath));
    const bool inTerminal = std::string_view(command.Program()) != hidden.Program();

    child_reaper::Install();
    const child_reaper::Slot slot = child_reaper::Reserve();
    if (slot < 0) return 0;

    Pipe errorPipe;
    if (!errorPipe.Ok()) {
        child_reaper::Release(slot);
        return 0;
    }

    const pid_t pid = ::fork();
    if (pid == 0) RunChild(command, inTerminal ? &hidden : nullptr, errorPipe.WriteEnd());
    errorPipe.CloseWrite();
    if (pid < 0) {
        child_reaper::Release(slot);
        return 0;
    }

    if (!ExecSucceeded(errorPipe.ReadEnd())) {
        // Not in the table yet, so the handler leaves this child to us.
        WaitBlocking(pid);
        child_reaper::Release(slot);
        return 0;
    }
    child_reaper::Track(slot, pid);
    return static_cast<platform::ProcessId>(pid);
}

void PosixProcessLauncher::WaitForExit(platform::ProcessId id) {
    // Not in the table: already reaped, or never a script of ours.
    if (!child_reaper::Claim(static_cast<pid_t>(id))) return;
    WaitBlocking(static_cast<pid_t>(id));
}

}  // namespace psion::posix
