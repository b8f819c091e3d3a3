#ifndef _WIN32

#include "support/ChildProcess.h"

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <thread>

namespace psion::testing {

std::string ChildOutcome::Describe() const {
    if (!finished) return "the child was still running at the time limit";
    if (signal != 0) return "the child was ended by signal " + std::to_string(signal);
    return "the child exited with " + std::to_string(exitCode);
}

ChildOutcome RunInChild(const std::function<int()>& body, std::chrono::milliseconds limit) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        int code = 99;
        try {
            code = body();
        } catch (...) {
        }
        std::fflush(nullptr);
        ::_exit(code);
    }
    ChildOutcome outcome;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return outcome;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    outcome.finished = true;
    if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    return outcome;
}

bool CanSwitchUser() { return ::geteuid() == 0 && ::getpwnam("nobody") != nullptr; }

uid_t NobodyUser() {
    const passwd* user = ::getpwnam("nobody");
    return user != nullptr ? user->pw_uid : static_cast<uid_t>(65534);
}

gid_t NobodyGroup() {
    const group* nogroup = ::getgrnam("nogroup");
    return nogroup != nullptr ? nogroup->gr_gid : static_cast<gid_t>(65534);
}

bool BecomeNobody() {
    const gid_t group = NobodyGroup();
    const uid_t user = NobodyUser();
    return ::setgroups(0, nullptr) == 0 && ::setresgid(group, group, group) == 0 &&
           ::setresuid(user, user, user) == 0 && ::geteuid() == user;
}

}  // namespace psion::testing

#endif
