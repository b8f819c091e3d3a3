#pragma once

#include <optional>
#include <string>

#include "platform/FolderChanges.h"
#include "unitfiles/DataFolder.h"

namespace psion::unitfiles {

struct UnitStatus {
    bool found = false;
    std::string readerType;
    std::string destination;
};

UnitStatus ReadUnitStatus(const DataFolder& folder);

// Prepares, in the Save's set of folder changes, the unit batch file written
// whole from the unit type table. An index outside the table writes no rem or
// link line.
std::optional<platform::FileError> WriteUnitBatchFile(platform::FolderChanges& changes,
                                                      int unitTypeIndex, int destinationIndex);

}  // namespace psion::unitfiles
