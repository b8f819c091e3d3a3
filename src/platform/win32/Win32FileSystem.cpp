#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/Win32Text.h"

namespace psion::win32 {
namespace {

platform::FileError LastError(const std::string& path) { return {path, ErrorText(GetLastError())}; }

// Closes a file handle when it goes out of scope.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (!IsValid()) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

// A name in the target's own folder, so that the final move never crosses volumes.
std::wstring TemporaryPathBeside(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    const auto separator = target.find_last_of(L"\\/");
    const std::wstring folder =
        separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
    const std::wstring name =
        separator == std::wstring::npos ? target : target.substr(separator + 1);
    return folder + L"~" + name + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L".tmp";
}

bool WriteWhole(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 1u << 20 ? 1u << 20 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool IsTransient(DWORD error) {
    // Virus scanners and indexers open files briefly without sharing them.
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// Moves the temporary file over the target, retrying for about half a second
// while another program holds the target open.
bool MoveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (!IsTransient(error) || attempt >= 10) {
            SetLastError(error);
            return false;
        }
        Sleep(50);
    }
}

}  // namespace

bool Win32FileSystem::IsFile(const std::string& path) const {
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

platform::FileReadResult Win32FileSystem::ReadAll(const std::string& path) const {
    FileHandle file(CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return {{}, LastError(path)};

    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
            return {{}, LastError(path)};
        }
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return {std::move(bytes), std::nullopt};
}

std::optional<platform::FileError> Win32FileSystem::ReplaceAll(const std::string& path,
                                                               std::string_view bytes) {
    const std::wstring target = ToWide(path);
    const std::wstring temporary = TemporaryPathBeside(target);

    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return LastError(path);

    const auto fail = [&]() -> platform::FileError {
        const platform::FileError error = LastError(path);
        file.Close();
        DeleteFileW(temporary.c_str());
        return error;
    };
    if (!WriteWhole(file.Get(), bytes) || !FlushFileBuffers(file.Get())) return fail();
    if (!file.Close()) return fail();

    // A read-only target cannot be replaced; the new file gets its attributes back afterwards.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return fail();
    }
    if (!MoveOver(temporary, target)) {
        const platform::FileError error = fail();
        if (readOnly) SetFileAttributesW(target.c_str(), attributes);
        return error;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        const DWORD kept =
            attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        SetFileAttributesW(target.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    return std::nullopt;
}

}  // namespace psion::win32
