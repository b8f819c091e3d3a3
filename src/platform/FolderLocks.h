#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace psion::platform {

// A lock taken on a folder; released when this object is destroyed.
class HeldFolderLock {
  public:
    virtual ~HeldFolderLock() = default;
};

struct FolderLockResult {
    std::unique_ptr<HeldFolderLock> held;  // set when the lock was taken
    std::optional<FileError> error;        // the folder and the reason when it was not
};

// Exclusive locks on a folder, shared by every program on the computer, so
// that the group of file changes one program makes there is not mixed with
// another's. Taking a lock creates nothing in the folder. A program holds at
// most one lock on a folder at a time.
class FolderLocks {
  public:
    virtual ~FolderLocks() = default;

    // Waits, with no time limit, until no other program holds the folder,
    // then holds it. Paths are Windows-style text, as for FileSystem.
    virtual FolderLockResult LockExclusive(const std::string& folderPath) = 0;
};

}  // namespace psion::platform
