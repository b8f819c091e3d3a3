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

  private:
    TemporaryFiles temporaryFiles_;
};

}  // namespace psion::posix
