#include "platform/win32/Win32FinalPath.h"

#include <vector>

namespace psion::win32 {

namespace {

DWORD FinalPathOf(HANDLE handle, DWORD flags, std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(
            handle, buffer.data(), static_cast<DWORD>(buffer.size()), flags | VOLUME_NAME_DOS);
        if (length == 0) return GetLastError();
        if (length < buffer.size()) {
            path.assign(buffer.data(), length);
            return 0;
        }
        buffer.resize(length + 1);
    }
}

}  // namespace

DWORD FinalPathOf(HANDLE handle, std::wstring& path) {
    // A share whose parent folders the user may not list, or a volume the mount
    // manager does not know (a RAM disk), has no normalized name; the name it
    // was opened by still passes the same folder and name checks.
    const DWORD error = FinalPathOf(handle, FILE_NAME_NORMALIZED, path);
    if (error == 0) return 0;
    return FinalPathOf(handle, FILE_NAME_OPENED, path) == 0 ? 0 : error;
}

DWORD OpenFolder(const std::wstring& path, OpenedFolder& folder) {
    folder.handle.Reset(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.handle.IsValid()) return GetLastError();
    DWORD error = 0;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(folder.handle.Get(), &information)) {
        error = GetLastError();
    } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        error = ERROR_DIRECTORY;
    } else if ((error = FinalPathOf(folder.handle.Get(), folder.finalPath)) == 0) {
        while (!folder.finalPath.empty() && folder.finalPath.back() == L'\\') {
            folder.finalPath.pop_back();  // a drive's root ends in one
        }
    }
    if (error != 0) folder.handle.Close();
    return error;
}

bool LiesDirectlyIn(std::wstring_view filePath, std::wstring_view folderPath) {
    while (!folderPath.empty() && folderPath.back() == L'\\') folderPath.remove_suffix(1);
    const auto separator = filePath.find_last_of(L'\\');
    if (separator == std::wstring_view::npos || separator + 1 == filePath.size()) return false;
    const std::wstring_view parent = filePath.substr(0, separator);
    // NTFS compares names without regard to case, as does the rest of this program.
    return CompareStringOrdinal(parent.data(), static_cast<int>(parent.size()), folderPath.data(),
                                static_cast<int>(folderPath.size()), TRUE) == CSTR_EQUAL;
}

bool IsEntryOf(std::wstring_view filePath, std::wstring_view folderPath, std::wstring_view name) {
    if (!LiesDirectlyIn(filePath, folderPath)) return false;
    const std::wstring_view entry = filePath.substr(filePath.find_last_of(L'\\') + 1);
    return CompareStringOrdinal(entry.data(), static_cast<int>(entry.size()), name.data(),
                                static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

DWORD IdOf(HANDLE file, FileId& id, DWORD* links) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information)) return GetLastError();
    id.volume = information.dwVolumeSerialNumber;
    id.index =
        (static_cast<ULONGLONG>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    if (links != nullptr) *links = information.nNumberOfLinks;
    return 0;
}

}  // namespace psion::win32
