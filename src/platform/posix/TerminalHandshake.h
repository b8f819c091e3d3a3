#pragma once

#include <sys/types.h>

namespace psion::posix {

// How the launcher and the shell inside a terminal agree that the script may
// run. The shell says "r", its process id and a line feed on
// kHandshakeDescriptor, and runs the script only once it has read the line
// "go" there, closing that descriptor as it does. A terminal that ends, hangs
// or closes the descriptor first never runs the script, since nobody tells it to.

// The descriptor the terminal and its shell find the handshake at.
inline constexpr int kHandshakeDescriptor = 3;

// Run by /bin/sh -c inside the terminal with the hidden command as its
// arguments. Constant text: paths only ever arrive as arguments.
inline constexpr char kHandshakeShell[] =
    "printf 'r%s\\n' $$ >&3 && read -r answer <&3 && [ \"$answer\" = go ] && exec \"$@\" 3>&-";

// Reads the shell's ready line one byte at a time; allocates nothing.
class ReadyLine {
  public:
    enum class State { Reading, Ready, Refused };

    // Takes the next byte; once Ready or Refused, the state stays.
    State Take(char byte);
    State Current() const { return state_; }
    // The shell's process id once Ready.
    pid_t Shell() const { return shell_; }

  private:
    State state_ = State::Reading;
    int taken_ = 0;
    pid_t shell_ = 0;
};

// In a child before exec: puts the handshake at kHandshakeDescriptor, kept
// open across exec. Makes only system calls.
bool PlaceHandshake(int handshake);

// The id of the shell inside the terminal once it has said it is ready; 0
// when the terminal ends (or closes the handshake) first, or has not said so
// within the limit.
pid_t TerminalShellWhenReady(int handshake, int limitMs);

// Tells the waiting shell to run the script; false when it can no longer hear.
bool SayGo(int handshake);

}  // namespace psion::posix
