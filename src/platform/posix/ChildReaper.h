#pragma once

#include <sys/types.h>

namespace psion::posix {

// Reaps the started scripts that nobody waits for, so that none of them stays
// a zombie once it has ended while the program goes on.
//
// A script started for Send is never waited for, and the program must not
// reap children it does not own (a toolkit may run its own). So the pids of
// our scripts sit in a fixed-size table of lock-free atomic slots, and a
// SIGCHLD handler reaps only those, with waitpid(pid, WNOHANG). A caller that
// wants to wait takes its pid out of the table first; from then on the
// handler leaves that child alone and the caller's blocking waitpid gets it.
namespace child_reaper {

// A reserved table slot; -1 when the table is full.
using Slot = int;

// Installs the SIGCHLD handler on first use, chaining any handler already there.
void Install();

// Reserves a slot before a child is forked, so that an accepted start can
// always be tracked. Returns -1 when every slot is taken.
Slot Reserve();

// Puts the started child into its reserved slot and reaps whatever has already
// ended, in case the child ended before it was entered.
void Track(Slot slot, pid_t pid);

// Gives a reserved slot back unused (the start failed).
void Release(Slot slot);

// Takes the pid out of the table. True when it was there, so the caller now
// owns the child and must reap it; false when it has already been reaped (or
// was never ours).
bool Claim(pid_t pid);

// Reaps every tracked child that has ended. Safe inside a signal handler.
void ReapEnded();

}  // namespace child_reaper

}  // namespace psion::posix
