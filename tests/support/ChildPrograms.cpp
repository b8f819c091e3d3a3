#include "support/ChildPrograms.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace psion::testing {

std::vector<int> RunTogether(const std::vector<Command>& commands,
                             const std::function<void()>& whileRunning) {
    std::vector<pid_t> running;
    std::vector<int> exitCodes(commands.size(), -1);
    for (const Command& command : commands) {
        std::vector<char*> arguments;
        for (const std::string& argument : command) {
            arguments.push_back(const_cast<char*>(argument.c_str()));
        }
        arguments.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, arguments[0], nullptr, nullptr, arguments.data(), environ) != 0) {
            pid = -1;
        }
        running.push_back(pid);
    }

    for (;;) {
        try {
            whileRunning();
        } catch (...) {
            // The programs are left to end by themselves before the failure goes on.
            for (pid_t pid : running) {
                if (pid < 0) continue;
                while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
                }
            }
            throw;
        }
        bool anyRunning = false;
        for (std::size_t i = 0; i < running.size(); ++i) {
            if (running[i] < 0) continue;
            int status = 0;
            pid_t ended;
            do {
                ended = waitpid(running[i], &status, WNOHANG);
            } while (ended < 0 && errno == EINTR);
            if (ended == 0) {
                anyRunning = true;
                continue;
            }
            if (ended == running[i] && WIFEXITED(status)) exitCodes[i] = WEXITSTATUS(status);
            running[i] = -1;
        }
        if (!anyRunning) return exitCodes;
    }
}

}  // namespace psion::testing
