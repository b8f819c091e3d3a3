#pragma once

#include <sys/types.h>

namespace psion::posix {

// Writes the whole of source over target, from its start, without a rename,
// so the file keeps its inode, and with it its owner, group, mode, ACL,
// attributes and other names (hard links). target is cut to source's length
// and flushed. When that fails, backup (the target's bytes from before) is
// written back the same way.
struct Rewritten {
    int error = 0;         // 0, or the errno of the failed write
    bool restored = true;  // false when the old bytes could not be put back either
};
Rewritten RewriteInPlace(int target, int source, int backup);

}  // namespace psion::posix
