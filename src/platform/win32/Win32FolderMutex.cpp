#include "platform/win32/Win32FolderMutex.h"

#include <cstdint>

namespace psion::win32 {

namespace {

// Letter case differs between spellings that one folder may be opened by on a
// volume that ignores it; the final path mostly settles that, and this the rest.
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
// carries a 64-bit hash (FNV-1a) of the path. Two folders whose hashes met
// would only make their Saves wait for each other.
std::wstring MutexNameFor(const std::wstring& path) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (wchar_t unit : path) {
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

DWORD LockFolderMutex(const std::wstring& folderFinalPath, std::unique_ptr<HeldFolderMutex>& held) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexNameFor(UpperCase(folderFinalPath)).c_str());
    if (mutex == nullptr) return GetLastError();
    // An abandoned mutex was held by a program that ended during its Save;
    // each of its files is whole, so this Save goes ahead.
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        const DWORD error = GetLastError();
        CloseHandle(mutex);
        return error;
    }
    held = std::make_unique<HeldFolderMutex>(mutex);
    return 0;
}

}  // namespace psion::win32
