#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/FolderChanges.h"
#include "unitfiles/DataFolder.h"

namespace psion::unitfiles {

// The port of the send configuration file's last port line; empty for none.
std::string ReadCommPort(const DataFolder& folder);

// Prepares, in the Save's set of folder changes, the file of that name with
// the upper-cased port name in every serial line. A missing file is left alone
// and is not an error.
std::optional<platform::FileError> PatchSerialPort(platform::FolderChanges& changes,
                                                   std::string_view fileName,
                                                   std::string_view portName);

}  // namespace psion::unitfiles
