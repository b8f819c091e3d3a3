#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/Win32FileHandle.h"

namespace psion::win32 {

// The path Windows resolves an open handle to ("\\?\C:\..."), with short
// names, links and letter case as they are on disk, so that every spelling of
// one file or folder gives one text. 0 or the error.
DWORD FinalPathOf(HANDLE handle, std::wstring& path);

// A folder opened by any spelling of its path, and where it really is. The
// sharing lets every other program use, rename and delete it meanwhile.
struct OpenedFolder {
    FileHandle handle;
    std::wstring finalPath;  // without a separator at its end
};
// 0, or the error when it could not be opened or is no folder.
DWORD OpenFolder(const std::wstring& path, OpenedFolder& folder);

// True when the file's final path names an entry directly in the folder's.
bool LiesDirectlyIn(std::wstring_view filePath, std::wstring_view folderPath);

// True when the file's final path is the folder's and the name: no link
// led elsewhere, even to another file of the folder.
bool IsEntryOf(std::wstring_view filePath, std::wstring_view folderPath, std::wstring_view name);

// Which file or folder a handle is open on: its volume and its index there.
struct FileId {
    DWORD volume = 0;
    ULONGLONG index = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

// The id of what the handle is open on, its number of links as well when
// asked; 0 or the error.
DWORD IdOf(HANDLE file, FileId& id, DWORD* links = nullptr);

}  // namespace psion::win32
