#pragma once

#include "platform/FileSystem.h"
#include "platform/posix/TemporaryFile.h"

namespace psion::posix {

// Files through POSIX calls. A set of changes holds its folder open and locked
// and works relative to it (see PosixFolderChanges).
class PosixFileSystem : public platform::FileSystem {
  public:
    explicit PosixFileSystem(TemporaryFiles temporaryFiles = TemporaryFiles::UnnamedWhereSupported)
        : temporaryFiles_(temporaryFiles) {}

    bool IsFile(const std::string& path) const override;
    platform::OpenedFile OpenForReading(const std::string& path) const override;
    platform::BegunChanges BeginChanges(const std::string& folderPath) override;
    // A set of one file, as the interface's; a folder that cannot be held is
    // reported on the file, which is what could not be written.
    std::optional<platform::FileError> Replace(
        const std::string& path, const platform::ContentWriter& writeContent) override;

  private:
    TemporaryFiles temporaryFiles_;
};

}  // namespace psion::posix
