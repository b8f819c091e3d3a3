#include "platform/win32/Win32FolderLocks.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/Win32Text.h"

namespace psion::win32 {

namespace {

class HeldMutex : public platform::HeldFolderLock {
  public:
    explicit HeldMutex(HANDLE mutex) : mutex_(mutex) {}
    // Released by the thread that took it: the one that runs the Save.
    ~HeldMutex() override {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;

  private:
    HANDLE mutex_;
};

platform::FolderLockResult Failure(const std::string& folderPath, DWORD errorCode) {
    return {nullptr, platform::FileError{folderPath, ErrorText(errorCode)}};
}

// The folder's path as Windows resolves it from an open handle, so that short
// names, "." and "..", either separator and any letter case give one text.
std::wstring ResolvedPath(HANDLE folder, const std::wstring& typed) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(folder, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) break;
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
    std::vector<wchar_t> full(32768);
    const DWORD length =
        GetFullPathNameW(typed.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return length != 0 && length < full.size() ? std::wstring(full.data(), length) : typed;
}

// The name is made from the upper-cased path as well: a path that could only be
// resolved by GetFullPathNameW keeps the letter case it was typed in.
std::wstring UpperCase(std::wstring text) {
    if (text.empty()) return text;
    const int size = static_cast<int>(text.size());
    std::wstring upper(text.size(), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), size, upper.data(),
                      size, nullptr, nullptr, 0) == size) {
        return upper;
    }
    return text;
}

// Mutex names may not hold a backslash and are limited in length, so the name
// carries a 64-bit hash (FNV-1a) of the resolved path. Two folders whose hashes
// met would only make their Saves wait for each other.
std::wstring MutexNameFor(const std::wstring& resolvedPath) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (wchar_t unit : resolvedPath) {
        hash ^= static_cast<std::uint16_t>(unit);
        hash *= 0x100000001b3ull;
    }
    wchar_t digits[17];
    for (int i = 15; i >= 0; --i) {
        digits[i] = L"0123456789abcdef"[hash & 0xf];
        hash >>= 4;
    }
    digits[16] = L'\0';
    return std::wstring(L"Local\\psion-interface-folder-") + digits;
}

}  // namespace

platform::FolderLockResult Win32FolderLocks::LockExclusive(const std::string& folderPath) {
    const std::wstring typed = ToWide(folderPath);
    // Opened only to find its path; the sharing allows every other use meanwhile.
    HANDLE folder = CreateFileW(typed.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return Failure(folderPath, GetLastError());
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(folder, &information)) {
        const DWORD error = GetLastError();
        CloseHandle(folder);
        return Failure(folderPath, error);
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        CloseHandle(folder);
        return Failure(folderPath, ERROR_DIRECTORY);
    }
    const std::wstring name = MutexNameFor(UpperCase(ResolvedPath(folder, typed)));
    CloseHandle(folder);

    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) return Failure(folderPath, GetLastError());
    // An abandoned mutex was held by a program that ended during its Save;
    // each of its files is whole, so this Save goes ahead.
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        const DWORD error = GetLastError();
        CloseHandle(mutex);
        return Failure(folderPath, error);
    }
    return {std::make_unique<HeldMutex>(mutex), std::nullopt};
}

}  // namespace psion::win32
