#include "platform/win32/Win32FolderLocks.h"

#include "platform/win32/Win32FinalPath.h"
#include "platform/win32/Win32FolderMutex.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {

namespace {

class HeldLock : public platform::HeldFolderLock {
  public:
    explicit HeldLock(std::unique_ptr<HeldFolderMutex> mutex) : mutex_(std::move(mutex)) {}

  private:
    std::unique_ptr<HeldFolderMutex> mutex_;
};

}  // namespace

platform::FolderLockResult Win32FolderLocks::LockExclusive(const std::string& folderPath) {
    const OpenedFolder folder = OpenFolder(ToWide(folderPath));
    if (folder.error != 0)
        return {nullptr, platform::FileError{folderPath, ErrorText(folder.error)}};
    FolderMutexResult locked = LockFolderMutex(folder.finalPath);
    if (!locked.held) return {nullptr, platform::FileError{folderPath, ErrorText(locked.error)}};
    return {std::make_unique<HeldLock>(std::move(locked.held)), std::nullopt};
}

}  // namespace psion::win32
