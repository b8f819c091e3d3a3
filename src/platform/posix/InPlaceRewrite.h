#pragma once

#include <sys/types.h>

namespace psion::posix {

// Writes the whole of source over target, from its start, without a rename,
// so the file keeps its inode, and with it its owner, group, mode, ACL,
// attributes and other names (hard links). target is cut to source's length
// and flushed. 0 or the errno.
int RewriteInPlace(int target, int source);

}  // namespace psion::posix
