#pragma once

#include "platform/FileSystem.h"

namespace psion::posix {

class PosixFileSystem : public platform::FileSystem {
  public:
    bool IsFile(const std::string& path) const override;
    platform::FileReadResult ReadAll(const std::string& path) const override;
    std::optional<platform::FileError> ReplaceAll(const std::string& path,
                                                  std::string_view bytes) override;
};

}  // namespace psion::posix
