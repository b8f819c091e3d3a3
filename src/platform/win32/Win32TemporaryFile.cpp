#include "platform/win32/Win32TemporaryFile.h"

#include <atomic>
#include <string_view>

namespace psion::win32 {

namespace {

constexpr std::wstring_view kSuffix = L".tmp";

std::wstring TemporaryName(const std::wstring& fileName, DWORD processId, unsigned counter) {
    return L"~" + fileName + L"." + std::to_wstring(processId) + L"-" + std::to_wstring(counter) +
           std::wstring(kSuffix);
}

bool IsTransient(DWORD error) {
    // Virus scanners and indexers open files briefly without sharing them.
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// Moves the temporary file over the target, retrying for about half a second
// while another program holds the target open.
DWORD MoveOverRetrying(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return 0;
        }
        const DWORD error = GetLastError();
        if (!IsTransient(error) || attempt >= 10) return error;
        Sleep(50);
    }
}

}  // namespace

TemporaryFile::TemporaryFile(std::wstring folder, std::wstring fileName)
    : folder_(std::move(folder)) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring path =
            folder_ + TemporaryName(fileName, GetCurrentProcessId(), ++counter);
        file_.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_.IsValid()) {
            path_ = path;
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

DWORD TemporaryFile::MoveOver(const std::wstring& target) {
    if (!FlushFileBuffers(file_.Get())) return GetLastError();
    if (!file_.Close()) return GetLastError();
    if (const DWORD error = MoveOverRetrying(path_, target)) return error;
    path_.clear();
    return 0;
}

}  // namespace psion::win32
