#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include "platform/win32/Win32FolderChanges.h"
#include "platform/win32/Win32HandleFiles.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {

bool Win32FileSystem::IsFile(const std::string& path) const {
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

platform::OpenedFile Win32FileSystem::OpenForReading(const std::string& path) const {
    return OpenFileForReading(ToWide(path), path);
}

platform::BegunChanges Win32FileSystem::BeginChanges(const std::string& folderPath) {
    return Win32FolderChanges::Begin(folderPath);
}

}  // namespace psion::win32
