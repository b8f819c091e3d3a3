// psion-bench-script-start: the time from a script start to the marker that
// the script writes, for scripts/bench.sh.
//   psion-bench-script-start launcher LOGIC_PATH MARKER
//       starts the script as Send does (StartScript, hidden) through the
//       program's own launcher
//   psion-bench-script-start direct FOLDER NAME MARKER
//       runs "wine cmd.exe /c NAME" in FOLDER directly, the reference
// Prints marker_ns=<nanoseconds from the start to the marker>; the marker is
// removed first. Exits 1 when nothing was started or no marker came in 120 s.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/headless/ScriptedPrompt.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/posix/ScriptCommand.h"
#include "transfer/ScriptLauncher.h"

#include "MonotonicClock.h"

extern char** environ;

namespace {

using psion::bench::MonotonicNs;

// Looks for the marker every 200 microseconds: finer than either side's spread.
bool WaitForMarker(const char* marker) {
    const std::int64_t deadline = MonotonicNs() + 120'000'000'000;
    struct stat info {};
    while (::stat(marker, &info) != 0) {
        if (MonotonicNs() > deadline) return false;
        ::usleep(200);
    }
    return true;
}

int Report(std::int64_t started, const char* marker) {
    if (!WaitForMarker(marker)) {
        std::fputs("no marker\n", stderr);
        return 1;
    }
    std::printf("marker_ns=%lld\n", static_cast<long long>(MonotonicNs() - started));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "launcher") == 0) {
        ::unlink(argv[3]);
        psion::posix::PosixProcessLauncher processes;
        psion::headless::ScriptedPrompt prompt;
        const std::int16_t hidden = psion::platform::kWindowHidden;
        psion::transfer::ScriptLauncher launcher(processes, prompt, hidden);
        const std::int64_t started = MonotonicNs();
        if (launcher.StartScript(argv[2]) == 0) return 1;
        return Report(started, argv[3]);
    }
    if (argc == 5 && std::strcmp(argv[1], "direct") == 0) {
        ::unlink(argv[4]);
        const auto wine = psion::posix::FindProgram("wine");
        if (!wine || ::chdir(argv[2]) != 0) return 1;
        std::string program = *wine;
        char cmd[] = "cmd.exe";
        char c[] = "/c";
        char* arguments[] = {program.data(), cmd, c, argv[3], nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const std::int64_t started = MonotonicNs();
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), &actions, nullptr, arguments, environ) != 0) {
            return 1;
        }
        const int result = Report(started, argv[4]);
        ::waitpid(child, nullptr, 0);
        return result;
    }
    std::fputs(
        "usage: psion-bench-script-start launcher LOGIC_PATH MARKER\n"
        "       psion-bench-script-start direct FOLDER NAME MARKER\n",
        stderr);
    return 2;
}
