#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/posix/ScriptCommand.h"

namespace psion::posix {

// Starting one script process: the hidden command, or the terminal with its
// handshake. Everything from the fork on allocates nothing and makes only
// system calls, so an intermediate child, a forked copy of a threaded
// program, may run it too.

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

// A script command with everything the child needs ready before the fork.
struct PreparedCommand {
    explicit PreparedCommand(const ScriptCommand& command)
        : arguments(command.arguments),
          folder(command.folder),
          detachedInput(command.detachedInput) {
        if (!command.environment.empty()) environment.emplace(command.environment);
    }

    ArgumentVector arguments;
    std::optional<ArgumentVector> environment;  // nullopt: the program's own
    std::string folder;
    bool detachedInput;
};

// Blocks until that child has ended, and reaps it.
void WaitBlocking(pid_t pid);

// Closes the descriptor unless it is -1.
void CloseIfOpen(int fd);

// Runs the command in the terminal, in a session of its own: the id of the
// terminal once the script inside it is being executed (a child of the
// caller), or 0 when the terminal ended, hung past the limit or was closed
// before that. `watch` is WatchForOpen's watch of the script, or -1.
// `shellWasReady` tells whether the terminal's shell said it was ready, so
// that a failure lay with the command rather than with the terminal.
pid_t StartInTerminal(const PreparedCommand& command, int limitMs, int watch, int openLimitMs,
                      bool& shellWasReady);

// Runs the command without a window, in a session of its own: its id once
// the script is being executed (a child of the caller), or 0.
//
// Both wait for the script to be opened for at most openLimitMs (-1: no
// limit); past it the start counts as made, since the process exists.
pid_t StartHidden(const PreparedCommand& command, int watch, int openLimitMs);

}  // namespace psion::posix
