#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "unitfiles/DataFolder.h"

namespace psion::unitfiles {

// The port of the send configuration file's last port line; empty for none.
std::string ReadCommPort(const DataFolder& folder);

// Writes the upper-cased port name into every serial line of that file. A
// missing file is left alone and is not an error.
std::optional<platform::FileError> PatchSerialPort(const DataFolder& folder,
                                                   const std::string& filePath,
                                                   std::string_view portName);

struct PreparedPatch {
    bool prepared = false;  // false for a missing file, which is left alone
    std::optional<platform::FileError> error;
};

// Prepares, in a set of folder changes, the file of that name with the
// upper-cased port name in every serial line. A missing file is left alone and
// is not an error.
PreparedPatch PrepareSerialPort(platform::FolderChanges& changes, std::string_view fileName,
                                std::string_view portName);

}  // namespace psion::unitfiles
