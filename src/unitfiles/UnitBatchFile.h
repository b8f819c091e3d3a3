#pragma once

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "unitfiles/DataFolder.h"

namespace psion::unitfiles {

struct UnitStatus {
    bool found = false;
    std::string readerType;
    std::string destination;
};

UnitStatus ReadUnitStatus(const DataFolder& folder);

// Rewrites the unit batch file whole from the unit type table. An index
// outside the table writes no rem or link line.
std::optional<platform::FileError> WriteUnitBatchFile(const DataFolder& folder, int unitTypeIndex,
                                                      int destinationIndex);

// Prepares the unit batch file, written as WriteUnitBatchFile writes it, in a
// set of folder changes.
std::optional<platform::FileError> PrepareUnitBatchFile(platform::FolderChanges& changes,
                                                        int unitTypeIndex, int destinationIndex);

}  // namespace psion::unitfiles
