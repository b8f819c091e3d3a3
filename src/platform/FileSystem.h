#pragma once

#include <string>

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
};

}  // namespace psion::platform
