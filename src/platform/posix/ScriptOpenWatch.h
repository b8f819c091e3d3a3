#pragma once

#include <sys/types.h>

namespace psion::posix {

// A start counts only once the script itself is being executed, which is
// when its interpreter (/bin/sh, or Wine's cmd.exe) opens the script file: a
// terminal closed too early, or a Wine that cannot open its prefix, ends
// before that. The watch sees every open of the file (inotify), and the
// processes are watched through process descriptors, so the waits block and
// never poll on a timer.
//
// Every function here makes only system calls, so the copy of the program in
// an intermediate child may use them.

// A watch for opens of that file; -1 when the system offers none, and the
// start then counts from a successful exec, as it can tell nothing more.
int WatchForOpen(const char* path);

// A descriptor that becomes readable when the process ends; -1 when the
// system offers none.
int ProcessHandle(pid_t pid);

// Sends the signal to the process behind the handle; a process that has
// ended and been reaped cannot be mistaken for a new one with its id.
void SignalProcess(int processHandle, int signal);

// True when the file has been opened since the watch began or the last call.
bool HasBeenOpened(int watch);

enum class OpenOutcome { Opened, FirstEnded, SecondEnded, LimitPassed };

// Blocks until the file is opened or one of the processes ends (second may
// be -1), or, with a limit (limitMs >= 0; -1: none), until that many
// milliseconds have passed. An open that came before the end counts as opened.
OpenOutcome WaitForOpen(int watch, int firstProcess, int secondProcess, int limitMs = -1);

}  // namespace psion::posix
