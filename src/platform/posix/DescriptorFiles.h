#pragma once

#include <string>

#include "platform/FileContent.h"
#include "platform/posix/Descriptor.h"

namespace psion::posix {

// The file and the system's reason for errno.
platform::FileError ErrorFor(const std::string& path, int errorNumber);

// Opens a regular file of the folder (AT_FDCWD: of the working folder) for
// reading. Anything else is refused without waiting for it, as a pipe or a
// device could hold the open. Errors name the file as shownPath.
platform::OpenedFile OpenRegularFile(int folder, const std::string& name,
                                     const std::string& shownPath);

// Writes a file's new content through a descriptor it does not own.
class DescriptorWriter : public platform::FileWriter {
  public:
    DescriptorWriter(int fd, std::string shownPath) : fd_(fd), shownPath_(std::move(shownPath)) {}

    std::optional<platform::FileError> Write(std::string_view bytes) override;
    std::optional<platform::FileError> WriteAt(std::uint64_t offset,
                                               std::string_view bytes) override;

  private:
    int fd_;
    std::string shownPath_;
};

}  // namespace psion::posix
