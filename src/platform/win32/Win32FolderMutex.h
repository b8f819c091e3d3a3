#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace psion::win32 {

// A named mutex of a folder, in the session's namespace: programs of one user
// session that hold the same folder share it, whatever spelling of the path
// they opened the folder by. Windows releases it when the holding process dies.
class HeldFolderMutex {
  public:
    explicit HeldFolderMutex(HANDLE mutex) : mutex_(mutex) {}
    // Released by the thread that took it: the one that runs the Save.
    ~HeldFolderMutex() {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
    HeldFolderMutex(const HeldFolderMutex&) = delete;
    HeldFolderMutex& operator=(const HeldFolderMutex&) = delete;

  private:
    HANDLE mutex_;
};

// Waits, with no time limit, until no other program holds the folder whose
// final path this is (see FinalPathOf), then holds it in held. The waiting
// thread handles no window messages meanwhile. 0 or the error.
DWORD LockFolderMutex(const std::wstring& folderFinalPath, std::unique_ptr<HeldFolderMutex>& held);

}  // namespace psion::win32
