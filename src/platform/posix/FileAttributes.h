#pragma once

#include <sys/stat.h>

namespace psion::posix {

// Gives a new file (still private to the writer: created 0600, or 0666 less
// the umask for a file that had no original) everything the original had: its
// owner and group, every extended attribute that can be read, its access ACL
// (system.posix_acl_access) included, and last its mode. In this order the new
// file never grants anyone access the original did not: the owner comes first
// (changing it would clear set-ID bits), the ACL sets the group class to the
// original's mask before any group or other bit is set, and the mode then only
// repeats what the ACL says and adds the special bits. An ACL or attribute the
// new file inherited from its folder but the original lacks is removed.
//
// original is any descriptor of the original (O_PATH will do). Returns 0 when
// everything was kept, else the errno of what could not be kept.
int KeepAttributes(int newFile, int original, const struct stat& originalInfo);

}  // namespace psion::posix
