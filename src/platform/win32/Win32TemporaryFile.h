#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace psion::win32 {

// Closes a file handle when it goes out of scope.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
    bool Close() {
        if (!IsValid()) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

// The new content of a file, written in the file's own folder as
// "~<file>.<pid>-<n>.tmp" and moved over it once complete. No other program
// may open it meanwhile. Whatever has not been moved is deleted when this goes
// out of scope.
class TemporaryFile {
  public:
    TemporaryFile(std::wstring folder, std::wstring fileName);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // The error of a failed creation; 0 when the file is open.
    DWORD CreationError() const { return creationError_; }
    HANDLE Get() const { return file_.Get(); }

    // Flushes and closes the file, then moves it over the target; 0 or the error
    // of the step that failed.
    DWORD MoveOver(const std::wstring& target);

  private:
    std::wstring folder_;
    std::wstring path_;  // empty once moved
    FileHandle file_;
    DWORD creationError_ = 0;
};

// Deletes the temporary files of writes of that file whose process no longer
// runs, and nothing else.
void RemoveLeftoverTemporaryFiles(const std::wstring& folder, const std::wstring& fileName);

}  // namespace psion::win32
