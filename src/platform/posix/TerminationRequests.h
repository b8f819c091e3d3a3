#pragma once

#include <signal.h>

#include <array>

namespace psion::posix {

// The signals that ask the program to end. A Save holds them back while it
// puts its files in place, so none of them can split it.
inline constexpr std::array<int, 3> kEndRequestSignals{SIGTERM, SIGHUP, SIGINT};

// Turns the end-request signals into requests to end the program: each one
// writes a byte into a pipe whose read end is returned (non-blocking and
// close-on-exec), so the event loop can end the program as Exit does, between
// two events and never half-way through a Save. Returns -1, and leaves the
// signals at their defaults, when no pipe could be made.
int RouteTerminationRequests();

}  // namespace psion::posix
