#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace psion::platform {

// What a user can do about a failed file operation, where the reason alone
// does not tell the program.
enum class FileFault {
    Other,
    AccessDenied,          // this user may not change the file or its folder
    HeldByAnotherProgram,  // another program had the file open, and kept it open
};

// A file operation that failed: which file, and the operating system's reason.
struct FileError {
    std::string path;
    std::string reason;
    FileFault fault = FileFault::Other;

    std::string Describe() const { return path + ": " + reason; }

    friend bool operator==(const FileError&, const FileError&) = default;
};

struct ReadResult {
    std::size_t count = 0;  // bytes placed at the front of the buffer; 0 at the end of the file
    std::optional<FileError> error;
};

// An opened regular file, read from its start to its end through the caller's buffer.
class FileReader {
  public:
    virtual ~FileReader() = default;
    virtual ReadResult Read(std::span<char> buffer) = 0;
};

struct OpenedFile {
    std::unique_ptr<FileReader> reader;  // set when error is empty
    std::optional<FileError> error;
};

// The new content of a file being replaced, written from its start.
class FileWriter {
  public:
    virtual ~FileWriter() = default;
    // Appends the bytes to what has been written so far.
    virtual std::optional<FileError> Write(std::string_view bytes) = 0;
    // Writes over bytes already written, from that offset on; never past their end.
    virtual std::optional<FileError> WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
};

// Writes a file's whole new content; an error it returns abandons the replacement.
using ContentWriter = std::function<std::optional<FileError>(FileWriter&)>;

}  // namespace psion::platform
