#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace psion::platform {

// A file operation that failed: which file, and the operating system's reason.
struct FileError {
    std::string path;
    std::string reason;

    std::string Describe() const { return path + ": " + reason; }
};

struct FileReadResult {
    std::string bytes;  // the whole file, byte for byte, when error is empty
    std::optional<FileError> error;
};

// File access for the logic. Paths are Windows-style text in the system code
// page; an implementation maps them to its own file system.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True when a regular file of that full path exists.
    virtual bool IsFile(const std::string& path) const = 0;

    virtual FileReadResult ReadAll(const std::string& path) const = 0;

    // Replaces the file whole, or creates it; on failure the previous file is
    // left exactly as it was and no temporary file remains.
    virtual std::optional<FileError> ReplaceAll(const std::string& path,
                                                std::string_view bytes) = 0;
};

}  // namespace psion::platform
