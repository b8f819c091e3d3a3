#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileContent.h"
#include "platform/FolderChanges.h"

namespace psion::platform {

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

    // Opens the folder and holds it for a set of changes (see FolderChanges),
    // waiting without a time limit while another set holds it.
    virtual BegunChanges BeginChanges(const std::string& folderPath) = 0;

    // Replaces the file whole with what writeContent writes, or creates it, as
    // a set of changes of one file in its folder. A file the user could not
    // have rewritten in place is refused. On any failure, or an exception out
    // of writeContent, the previous file is left exactly as it was and no
    // temporary file remains.
    virtual std::optional<FileError> Replace(const std::string& path,
                                             const ContentWriter& writeContent) {
        const auto separator = path.find_last_of("\\/");
        if (separator == std::string::npos) return FileError{path, "No folder in the path"};
        BegunChanges begun = BeginChanges(path.substr(0, separator));
        // The file is what the caller asked for, so the failure names it.
        if (begun.error) return FileError{NameInMessages(path), begun.error->reason};
        if (auto error = begun.changes->Prepare(std::string_view(path).substr(separator + 1),
                                                writeContent)) {
            return error;
        }
        return begun.changes->PutInPlace().error;
    }

    std::optional<FileError> ReplaceAll(const std::string& path, std::string_view bytes) {
        return Replace(path, [bytes](FileWriter& file) { return file.Write(bytes); });
    }

  protected:
    // How failures name a file of that path: as the system names it.
    virtual std::string NameInMessages(const std::string& path) const { return path; }
};

}  // namespace psion::platform
