#pragma once

#include "platform/FolderLocks.h"

namespace psion::posix {

// flock on the folder's own descriptor: it goes with the folder, whatever
// the path it was reached by, and ends with the process if it dies.
class PosixFolderLocks : public platform::FolderLocks {
  public:
    platform::FolderLockResult LockExclusive(const std::string& folderPath) override;
};

}  // namespace psion::posix
