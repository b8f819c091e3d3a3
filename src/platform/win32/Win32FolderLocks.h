#pragma once

#include "platform/FolderLocks.h"

namespace psion::win32 {

// A named mutex of the folder, in the session's namespace: programs of one
// user session that lock the same folder, by whatever spelling of its path,
// share the mutex. Windows releases it when the holding process dies.
class Win32FolderLocks : public platform::FolderLocks {
  public:
    platform::FolderLockResult LockExclusive(const std::string& folderPath) override;
};

}  // namespace psion::win32
