#include "platform/win32/Win32HandleFiles.h"

#include <algorithm>
#include <memory>

#include "platform/win32/Win32FinalPath.h"
#include "platform/win32/Win32SharingRetry.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {

namespace {

DWORD WriteWhole(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return 0;
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

}  // namespace

platform::FileError ErrorFor(const std::string& path, DWORD error) {
    platform::FileFault fault = platform::FileFault::Other;
    if (error == ERROR_ACCESS_DENIED) fault = platform::FileFault::AccessDenied;
    // Reached only once the retries for another program's hold have run out.
    if (IsSharingViolation(error)) fault = platform::FileFault::HeldByAnotherProgram;
    return {path, ErrorText(error), fault};
}

platform::FileError LastError(const std::string& path) { return ErrorFor(path, GetLastError()); }

platform::OpenedFile OpenFileForReading(const std::wstring& file, const std::string& path,
                                        const std::wstring* folder) {
    FileHandle handle;
    const auto open = [&] {
        handle.Reset(CreateFileW(
            file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        return handle.IsValid() ? DWORD{0} : GetLastError();
    };
    // A Save waits for another program's hold on a file it reads, as on every
    // file it writes; the status refresh does not.
    if (const DWORD error = folder != nullptr ? RetryWhileHeld(open) : open()) {
        return {nullptr, ErrorFor(path, error)};
    }
    if (GetFileType(handle.Get()) != FILE_TYPE_DISK) {
        return {nullptr, platform::FileError{path, kNotARegularFile}};
    }
    if (folder != nullptr) {
        std::wstring final;
        if (const DWORD error = FinalPathOf(handle.Get(), final)) {
            return {nullptr, ErrorFor(path, error)};
        }
        if (!LiesDirectlyIn(final, *folder)) {
            return {nullptr, platform::FileError{path, kOutsideTheFolder}};
        }
    }
    return {std::make_unique<Win32FileReader>(std::move(handle), path), std::nullopt};
}

std::optional<platform::FileError> Win32FileWriter::Write(std::string_view bytes) {
    if (const DWORD error = WriteWhole(file_, bytes)) return ErrorFor(path_, error);
    return std::nullopt;
}

std::optional<platform::FileError> Win32FileWriter::WriteAt(std::uint64_t offset,
                                                            std::string_view bytes) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    const LARGE_INTEGER end{};
    if (!SetFilePointerEx(file_, position, nullptr, FILE_BEGIN)) return LastError(path_);
    if (const DWORD error = WriteWhole(file_, bytes)) return ErrorFor(path_, error);
    if (!SetFilePointerEx(file_, end, nullptr, FILE_END)) return LastError(path_);
    return std::nullopt;
}

}  // namespace psion::win32
