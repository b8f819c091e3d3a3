#pragma once

#include "platform/FileSystem.h"
#include "platform/posix/TemporaryFile.h"

namespace psion::posix {

// Files through POSIX calls. A file is replaced by writing its new content into
// a temporary file in the same folder, flushing it and renaming it over the
// original, with the original's owner, group and permission bits.
class PosixFileSystem : public platform::FileSystem {
  public:
    explicit PosixFileSystem(TemporaryFiles temporaryFiles = TemporaryFiles::UnnamedWhereSupported)
        : temporaryFiles_(temporaryFiles) {}

    bool IsFile(const std::string& path) const override;
    platform::OpenedFile OpenForReading(const std::string& path) const override;
    std::optional<platform::FileError> Replace(
        const std::string& path, const platform::ContentWriter& writeContent) override;

  private:
    TemporaryFiles temporaryFiles_;
};

}  // namespace psion::posix
