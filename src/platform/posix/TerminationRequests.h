#pragma once

namespace psion::posix {

// Turns SIGTERM, SIGHUP and SIGINT into requests to end the program: each one
// writes a byte into a pipe whose read end is returned (non-blocking and
// close-on-exec), so the event loop can end the program as Exit does, between
// two events and never half-way through a Save. Returns -1, and leaves the
// signals at their defaults, when no pipe could be made.
int RouteTerminationRequests();

}  // namespace psion::posix
