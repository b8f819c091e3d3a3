#pragma once

#include "platform/FileSystem.h"

namespace psion::win32 {

// Files through the wide-character Win32 calls. A file is replaced by writing
// a temporary file beside it and moving that over the original in one step.
class Win32FileSystem : public platform::FileSystem {
  public:
    bool IsFile(const std::string& path) const override;
    platform::OpenedFile OpenForReading(const std::string& path) const override;
    std::optional<platform::FileError> Replace(
        const std::string& path, const platform::ContentWriter& writeContent) override;
};

}  // namespace psion::win32
