#include "platform/win32/Win32FinalPath.h"

#include <vector>

namespace psion::win32 {

FinalPath FinalPathOf(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {std::wstring(), GetLastError()};
        if (length < buffer.size()) return {std::wstring(buffer.data(), length), 0};
        buffer.resize(length + 1);
    }
}

OpenedFolder OpenFolder(const std::wstring& path) {
    OpenedFolder folder;
    folder.handle.Reset(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.handle.IsValid()) {
        folder.error = GetLastError();
        return folder;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(folder.handle.Get(), &information)) {
        folder.error = GetLastError();
    } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        folder.error = ERROR_DIRECTORY;
    } else {
        FinalPath final = FinalPathOf(folder.handle.Get());
        folder.error = final.error;
        folder.finalPath = std::move(final.path);
        while (!folder.finalPath.empty() && folder.finalPath.back() == L'\\') {
            folder.finalPath.pop_back();  // a drive's root ends in one
        }
    }
    if (folder.error != 0) folder.handle.Close();
    return folder;
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

bool IdOf(HANDLE file, FileId& id, DWORD* links) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information)) return false;
    id.volume = information.dwVolumeSerialNumber;
    id.index =
        (static_cast<ULONGLONG>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    if (links != nullptr) *links = information.nNumberOfLinks;
    return true;
}

}  // namespace psion::win32
