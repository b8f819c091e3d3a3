#pragma once

#include "platform/FileSystem.h"

namespace psion::win32 {

// Files through the wide-character Win32 calls. A set of changes writes each
// new file as a temporary file beside the original, then puts them in place
// one after the other (see Win32FolderChanges).
class Win32FileSystem : public platform::FileSystem {
  public:
    bool IsFile(const std::string& path) const override;
    platform::OpenedFile OpenForReading(const std::string& path) const override;
    platform::BegunChanges BeginChanges(const std::string& folderPath) override;
};

}  // namespace psion::win32
