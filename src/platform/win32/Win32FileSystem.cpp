#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/Win32TemporaryFile.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {
namespace {

using platform::FileError;

constexpr const char* kNotARegularFile = "Not a regular file";

FileError ErrorFor(const std::string& path, DWORD error) { return {path, ErrorText(error)}; }
FileError LastError(const std::string& path) { return ErrorFor(path, GetLastError()); }

bool WriteWhole(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

class Win32FileReader : public platform::FileReader {
  public:
    Win32FileReader(FileHandle&& file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}

    platform::ReadResult Read(std::span<char> buffer) override {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
        DWORD read = 0;
        if (!ReadFile(file_.Get(), buffer.data(), wanted, &read, nullptr)) {
            return {0, LastError(path_)};
        }
        return {read, std::nullopt};
    }

  private:
    FileHandle file_;
    std::string path_;
};

class Win32FileWriter : public platform::FileWriter {
  public:
    Win32FileWriter(HANDLE file, const std::string& path) : file_(file), path_(path) {}

    std::optional<FileError> Write(std::string_view bytes) override {
        if (!WriteWhole(file_, bytes)) return LastError(path_);
        return std::nullopt;
    }

    std::optional<FileError> WriteAt(std::uint64_t offset, std::string_view bytes) override {
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(offset);
        const LARGE_INTEGER end{};
        if (!SetFilePointerEx(file_, position, nullptr, FILE_BEGIN) || !WriteWhole(file_, bytes) ||
            !SetFilePointerEx(file_, end, nullptr, FILE_END)) {
            return LastError(path_);
        }
        return std::nullopt;
    }

  private:
    HANDLE file_;
    const std::string& path_;
};

struct ExistingFile {
    bool exists = false;
    DWORD attributes = 0;
    std::optional<FileError> error;
};

// A file is replaced only where it could have been rewritten in place: it is
// opened for writing, as an in-place write would open it, so that a read-only
// file or one the user may not write is refused in the system's own words.
// Another program that holds the file without sharing it gets about half a
// second to let go.
ExistingFile CheckWritableInPlace(const std::wstring& target, const std::string& path) {
    FileHandle file;
    for (int attempt = 0;; ++attempt) {
        file.Reset(CreateFileW(target.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.IsValid()) break;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return {};
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || attempt >= 10) {
            return {false, 0, ErrorFor(path, error)};
        }
        Sleep(50);
    }
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return {true, 0, FileError{path, kNotARegularFile}};
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file.Get(), &information)) return {true, 0, LastError(path)};
    // Windows refuses to open a read-only file for writing in these words; a
    // privileged user under Wine gets it opened all the same.
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return {true, 0, ErrorFor(path, ERROR_ACCESS_DENIED)};
    }
    return {true, information.dwFileAttributes, std::nullopt};
}

}  // namespace

bool Win32FileSystem::IsFile(const std::string& path) const {
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

platform::OpenedFile Win32FileSystem::OpenForReading(const std::string& path) const {
    FileHandle file(CreateFileW(
        ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid()) return {nullptr, LastError(path)};
    // A device or pipe in the file's place is refused before it is read.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return {nullptr, FileError{path, kNotARegularFile}};
    }
    return {std::make_unique<Win32FileReader>(std::move(file), path), std::nullopt};
}

std::optional<FileError> Win32FileSystem::Replace(const std::string& path,
                                                  const platform::ContentWriter& writeContent) {
    const std::wstring target = ToWide(path);
    const auto separator = target.find_last_of(L"\\/");
    const std::wstring folder =
        separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
    const std::wstring name =
        separator == std::wstring::npos ? target : target.substr(separator + 1);

    const ExistingFile existing = CheckWritableInPlace(target, path);
    if (existing.error) return existing.error;
    RemoveLeftoverTemporaryFiles(folder, name);

    TemporaryFile temporary(folder, name);
    if (temporary.CreationError() != 0) return ErrorFor(path, temporary.CreationError());
    Win32FileWriter writer(temporary.Get(), path);
    if (auto error = writeContent(writer)) return error;
    if (const DWORD error = temporary.MoveOver(target)) return ErrorFor(path, error);

    if (existing.exists) {
        const DWORD kept =
            existing.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        SetFileAttributesW(target.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    return std::nullopt;
}

}  // namespace psion::win32
