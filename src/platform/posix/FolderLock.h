#pragma once

#include <sys/file.h>

#include <cerrno>

namespace psion::posix {

// Takes the folder's lock on its open descriptor, waiting while another holds
// it; 0 or the errno. flock goes with the folder itself, whatever path it was
// reached by, and ends when the descriptor is closed or the process dies.
inline int LockFolderExclusive(int folderFd) {
    for (;;) {
        if (::flock(folderFd, LOCK_EX) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

}  // namespace psion::posix
