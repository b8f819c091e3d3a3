#pragma once

#include <sys/types.h>

namespace psion::posix {

// Copies the first length bytes of one file to another, from the start of
// both, through the kernel where it can and a fixed buffer otherwise; 0 or
// the errno.
int CopyBytes(int from, int to, off_t length);

}  // namespace psion::posix
