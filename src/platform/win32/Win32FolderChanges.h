#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/FolderChanges.h"
#include "platform/win32/Win32FinalPath.h"
#include "platform/win32/Win32FolderMutex.h"
#include "platform/win32/Win32InPlaceRewrite.h"
#include "platform/win32/Win32TemporaryFile.h"

namespace psion::win32 {

// A set of changes in one folder, held open and locked (see LockFolderMutex)
// for the set's life. Every file is reached through the folder's final path,
// and every handle opened on the way must lie directly in that folder: when
// the folder is renamed or replaced by a link meanwhile, the steps that follow
// fail rather than reach another folder.
class Win32FolderChanges : public platform::FolderChanges {
  public:
    // folderPath: the folder as the caller spelled it, for messages.
    static platform::BegunChanges Begin(const std::string& folderPath);

    bool IsFile(std::string_view fileName) const override;
    platform::OpenedFile OpenForReading(std::string_view fileName) const override;
    std::optional<platform::FileError> Prepare(
        std::string_view fileName, const platform::ContentWriter& writeContent) override;
    platform::PlacedFiles PutInPlace() override;

  private:
    struct PreparedFile {
        std::string name;
        std::wstring wideName;
        bool replacing = false;
        FileId id;                                 // of the original, when there is one
        std::unique_ptr<TemporaryFile> temporary;  // beside the original, to replace it
        std::unique_ptr<InPlaceRewrite> rewrite;   // or else to rewrite it in place
    };

    Win32FolderChanges(std::string folderPath, OpenedFolder folder,
                       std::unique_ptr<HeldFolderMutex> mutex);
    std::string PathOf(std::string_view fileName) const;
    std::wstring FinalPathOf(const std::wstring& fileName) const;
    std::optional<platform::FileError> CheckStillThere(const std::string& path) const;

    std::string folderPath_;
    OpenedFolder folder_;
    std::unique_ptr<HeldFolderMutex> mutex_;  // after the folder: released before it closes
    std::vector<PreparedFile> prepared_;
    bool placed_ = false;
};

}  // namespace psion::win32
