#include "platform/win32/Win32InPlaceRewrite.h"

#include <memory>
#include <vector>

#include "platform/win32/Win32FinalPath.h"
#include "platform/win32/Win32SharingRetry.h"

namespace psion::win32 {

namespace {

constexpr DWORD kChunk = 1u << 16;

std::wstring UserTemporaryFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    const DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    std::wstring folder(buffer.data(), length <= buffer.size() ? length : 0);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

bool Rewind(HANDLE file) {
    const LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != 0;
}

// Copies everything from one file's start to the other's start and cuts the
// other there, through a buffer of bounded size. 0 or the error.
DWORD CopyWhole(HANDLE from, HANDLE to) {
    if (!Rewind(from) || !Rewind(to)) return GetLastError();
    std::vector<char> buffer(kChunk);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from, buffer.data(), kChunk, &read, nullptr)) return GetLastError();
        if (read == 0) break;
        for (DWORD done = 0; done < read;) {
            DWORD written = 0;
            if (!WriteFile(to, buffer.data() + done, read - done, &written, nullptr)) {
                return GetLastError();
            }
            done += written;
        }
    }
    if (!SetEndOfFile(to) || !FlushFileBuffers(to)) return GetLastError();
    return 0;
}

// Opens the target for the rewrite; no other program may write it meanwhile.
FileHandle OpenTarget(const std::wstring& target, DWORD& error) {
    FileHandle file;
    error = RetryWhileHeld([&] {
        file.Reset(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.IsValid() ? DWORD{0} : GetLastError();
    });
    return file;
}

}  // namespace

InPlaceRewrite::InPlaceRewrite(const std::wstring& fileName)
    : fileName_(fileName),
      staged_(std::make_unique<TemporaryFile>(UserTemporaryFolder(), fileName)) {}

DWORD InPlaceRewrite::PutInPlace(const std::wstring& folder, const FileId& expected) {
    DWORD error = 0;
    FileHandle file = OpenTarget(folder + L"\\" + fileName_, error);
    if (!file.IsValid()) return error;
    std::wstring final;
    if ((error = FinalPathOf(file.Get(), final)) != 0) return error;
    FileId id;
    if ((error = IdOf(file.Get(), id)) != 0) return error;
    // Another file in its place, or the folder elsewhere: nothing is written.
    if (!IsEntryOf(final, folder, fileName_) || !(id == expected)) return kNotTheFileChecked;

    TemporaryFile original(UserTemporaryFolder(), fileName_);
    if (original.CreationError() != 0) return original.CreationError();
    if ((error = CopyWhole(file.Get(), original.Get())) != 0) return error;
    damaged_ = false;
    if ((error = CopyWhole(staged_->Get(), file.Get())) != 0) {
        damaged_ = CopyWhole(original.Get(), file.Get()) != 0;
        return error;
    }
    return 0;
}

}  // namespace psion::win32
