#include "platform/win32/Win32TemporaryFile.h"

#include <atomic>
#include <optional>
#include <string_view>

namespace psion::win32 {

namespace {

constexpr std::wstring_view kSuffix = L".tmp";

std::wstring TemporaryName(const std::wstring& fileName, DWORD processId, unsigned counter) {
    return L"~" + fileName + L"." + std::to_wstring(processId) + L"-" + std::to_wstring(counter) +
           std::wstring(kSuffix);
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool AllDigits(std::wstring_view text) {
    return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

// The writer's process id when the name has the temporary pattern of that file.
std::optional<DWORD> WriterOf(std::wstring_view name, std::wstring_view fileName) {
    const std::size_t start = 2 + fileName.size();  // "~" + file name + "."
    if (name.size() < start + kSuffix.size() || name[0] != L'~' ||
        !SameNameIgnoringCase(name.substr(1, fileName.size()), fileName) ||
        name[1 + fileName.size()] != L'.' ||
        !SameNameIgnoringCase(name.substr(name.size() - kSuffix.size()), kSuffix)) {
        return std::nullopt;
    }
    const std::wstring_view middle = name.substr(start, name.size() - start - kSuffix.size());
    const auto dash = middle.find(L'-');
    if (dash == std::wstring_view::npos || !AllDigits(middle.substr(0, dash)) ||
        !AllDigits(middle.substr(dash + 1)) || dash > 10) {
        return std::nullopt;
    }
    const unsigned long long pid = std::stoull(std::wstring(middle.substr(0, dash)));
    if (pid == 0 || pid > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<DWORD>(pid);
}

// A process that cannot be opened for lack of rights still runs.
bool ProcessRuns(DWORD processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
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
            creationError_ = 0;
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

void RemoveLeftoverTemporaryFiles(const std::wstring& folder, const std::wstring& fileName) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"~" + fileName + L".*" + std::wstring(kSuffix);
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            0) {
            continue;
        }
        // The pattern also matches short names; only the long name counts.
        const auto writer = WriterOf(found.cFileName, fileName);
        if (!writer || ProcessRuns(*writer)) continue;
        // A file still open without shared deletion is not deleted.
        DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace psion::win32
