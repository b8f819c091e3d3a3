#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/FolderChanges.h"
#include "platform/posix/Descriptor.h"
#include "platform/posix/TemporaryFile.h"

namespace psion::posix {

struct PreparedFile;

// The changes of one folder, open and locked (flock) on one descriptor; every
// step is taken relative to it (openat, renameat and the like). A prepared
// file is put in place by renaming its temporary file over it when that keeps
// everything the file had, and otherwise by rewriting it in place (see
// ResolvedFile.h for links and InPlaceRewrite.h).
class PosixFolderChanges : public platform::FolderChanges {
  public:
    // folder is open and locked; folderPath names it in messages.
    PosixFolderChanges(Descriptor folder, std::string folderPath, TemporaryFiles temporaryFiles);
    ~PosixFolderChanges() override;

    bool IsFile(std::string_view fileName) const override;
    platform::OpenedFile OpenForReading(std::string_view fileName) const override;
    std::optional<platform::FileError> Prepare(
        std::string_view fileName, const platform::ContentWriter& writeContent) override;
    platform::PlacedFiles PutInPlace() override;

  private:
    Descriptor folder_;
    std::string folderPath_;
    TemporaryFiles temporaryFiles_;
    std::vector<std::unique_ptr<PreparedFile>> prepared_;
};

// Opens and locks the folder of that native path for a set of changes.
platform::BegunChanges BeginFolderChanges(const std::string& folderPath,
                                          TemporaryFiles temporaryFiles);

}  // namespace psion::posix
