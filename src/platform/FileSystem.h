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

// A file operation that failed: which file, and the operating system's reason.
struct FileError {
    std::string path;
    std::string reason;

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

// File access for the logic. Paths are Windows-style text in the system code
// page; an implementation maps them to its own file system.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True when a regular file of that full path exists.
    virtual bool IsFile(const std::string& path) const = 0;

    // Opens the file for reading. Anything but a regular file (a folder, a
    // device, a pipe) is refused without waiting for it.
    virtual OpenedFile OpenForReading(const std::string& path) const = 0;

    // Replaces the file whole with what writeContent writes, or creates it. A
    // file the user could not have rewritten in place is refused. On any
    // failure, or an exception out of writeContent, the previous file is left
    // exactly as it was and no temporary file remains.
    virtual std::optional<FileError> Replace(const std::string& path,
                                             const ContentWriter& writeContent) = 0;

    std::optional<FileError> ReplaceAll(const std::string& path, std::string_view bytes) {
        return Replace(path, [bytes](FileWriter& file) { return file.Write(bytes); });
    }
};

}  // namespace psion::platform
