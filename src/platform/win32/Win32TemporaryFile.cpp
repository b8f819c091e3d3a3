#include "platform/win32/Win32TemporaryFile.h"

#include <atomic>
#include <string_view>

#include "platform/win32/Win32SharingRetry.h"

namespace psion::win32 {

namespace {

constexpr std::wstring_view kSuffix = L".tmp";

std::wstring TemporaryName(const std::wstring& fileName) {
    static std::atomic<unsigned> counter{0};
    return L"~" + fileName + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + std::wstring(kSuffix);
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool AllDigits(std::wstring_view text) {
    return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

// True when the name has the temporary pattern of that file.
bool IsTemporaryNameOf(std::wstring_view name, std::wstring_view fileName) {
    const std::size_t start = 2 + fileName.size();  // "~" + file name + "."
    if (name.size() < start + kSuffix.size() || name[0] != L'~' ||
        !SameNameIgnoringCase(name.substr(1, fileName.size()), fileName) ||
        name[1 + fileName.size()] != L'.' ||
        !SameNameIgnoringCase(name.substr(name.size() - kSuffix.size()), kSuffix)) {
        return false;
    }
    const std::wstring_view middle = name.substr(start, name.size() - start - kSuffix.size());
    const auto dash = middle.find(L'-');
    return dash != std::wstring_view::npos && AllDigits(middle.substr(0, dash)) &&
           AllDigits(middle.substr(dash + 1));
}

DWORD SetDeleteOnClose(HANDLE file, bool deleteOnClose) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deleteOnClose ? TRUE : FALSE)};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)
               ? 0
               : GetLastError();
}

// ReplaceFileW gives the new file the original's attributes on Windows; Wine's
// does not, so they are set on the new file beforehand as well.
DWORD TakeAttributesOf(const std::wstring& target, HANDLE file) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept == 0) return 0;
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = kept;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) ? 0
                                                                                 : GetLastError();
}

// A file held without sharing also keeps a rename or a replacement from
// deleting or moving it.
bool MayPassWhenLetGo(DWORD error) {
    return IsSharingViolation(error) || error == ERROR_ACCESS_DENIED ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// A name for the original while ReplaceFileW swaps the files: with one,
// ReplaceFileW leaves both files under their own names when it fails early.
std::wstring FreeTemporaryName(const std::wstring& folder, const std::wstring& fileName) {
    for (;;) {
        std::wstring path = folder + L"\\" + TemporaryName(fileName);
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return path;
    }
}

DWORD Replace(const std::wstring& from, const std::wstring& target, const std::wstring& folder,
              const std::wstring& fileName, std::wstring& originalLeftAt) {
    const std::wstring original = FreeTemporaryName(folder, fileName);
    const DWORD error = RetryWhileHeld(
        [&] {
            return ReplaceFileW(target.c_str(), from.c_str(), original.c_str(), 0, nullptr, nullptr)
                       ? DWORD{0}
                       : GetLastError();
        },
        MayPassWhenLetGo);
    if (error == 0) {
        DeleteFileW(original.c_str());  // what is left is swept by a later Save
    } else if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The original was moved aside and the new file could not follow: move
        // it back, waiting as long for whoever holds it as for the replacement.
        const DWORD movedBack = RetryWhileHeld(
            [&] {
                return MoveFileExW(original.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)
                           ? DWORD{0}
                           : GetLastError();
            },
            MayPassWhenLetGo);
        if (movedBack != 0) originalLeftAt = original;
    }
    return error;
}

DWORD Create(const std::wstring& from, const std::wstring& target) {
    return RetryWhileHeld(
        [&] {
            return MoveFileExW(from.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)
                       ? DWORD{0}
                       : GetLastError();
        },
        MayPassWhenLetGo);
}

}  // namespace

TemporaryFile::TemporaryFile(const std::wstring& folder, const std::wstring& fileName)
    : folder_(folder), fileName_(fileName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring path = folder_ + L"\\" + TemporaryName(fileName_);
        // Without shared deletion, so that another program's sweep leaves it alone.
        file_.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_.IsValid()) {
            path_ = path;
            creationError_ = 0;
            // Where the file system has no such disposition, the destructor and
            // a later sweep remove it instead.
            SetDeleteOnClose(file_.Get(), true);
            return;
        }
        creationError_ = GetLastError();
        if (creationError_ != ERROR_FILE_EXISTS && creationError_ != ERROR_ALREADY_EXISTS) return;
    }
}

TemporaryFile::~TemporaryFile() {
    file_.Close();
    if (!path_.empty()) DeleteFileW(path_.c_str());
}

DWORD TemporaryFile::PutInPlace(const std::wstring& target, bool replacing) {
    if (const DWORD error = replacing ? TakeAttributesOf(target, file_.Get()) : 0) return error;
    if (!FlushFileBuffers(file_.Get())) return GetLastError();
    if (const DWORD error = SetDeleteOnClose(file_.Get(), false)) {
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
            error != ERROR_INVALID_FUNCTION) {
            return error;
        }
    }
    if (!file_.Close()) return GetLastError();
    originalLeftAt_.clear();
    const DWORD error = replacing ? Replace(path_, target, folder_, fileName_, originalLeftAt_)
                                  : Create(path_, target);
    if (error == 0) path_.clear();
    return error;
}

void RemoveLeftoverTemporaryFiles(const std::wstring& folder, const std::wstring& fileName) {
    const std::wstring file = folder + L"\\" + fileName;
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"\\~" + fileName + L".*" + std::wstring(kSuffix);
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            0) {
            continue;
        }
        // The pattern also matches short names; only the long name counts.
        if (!IsTemporaryNameOf(found.cFileName, fileName)) continue;
        // A writer's process id says nothing (under Wine every process may have
        // the same one); a writer that still runs holds its file open without
        // shared deletion, which makes this fail.
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace psion::win32
