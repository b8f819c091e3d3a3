#pragma once

#include "platform/FolderLocks.h"

namespace psion::win32 {

// The folder's mutex (see HeldFolderMutex) for callers that lock a folder apart
// from a set of changes; a set of changes takes it by itself.
class Win32FolderLocks : public platform::FolderLocks {
  public:
    platform::FolderLockResult LockExclusive(const std::string& folderPath) override;
};

}  // namespace psion::win32
