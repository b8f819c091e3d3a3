#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "unitfiles/DataFolder.h"
#include "unitfiles/SerialConfigFile.h"
#include "unitfiles/UnitBatchFile.h"

namespace psion::testing {

// Prepares one file of the folder into a set of changes.
using PrepareTheFile = std::function<std::optional<platform::FileError>(platform::FolderChanges&,
                                                                        std::string_view fileName)>;

// A Save of one file: begins a set of changes on the folder of that path,
// prepares the file by its name in it and puts the set in place.
inline std::optional<platform::FileError> SaveOneFile(platform::FileSystem& files,
                                                      const std::string& path,
                                                      const PrepareTheFile& prepare) {
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return platform::FileError{path, "No folder in the path"};
    platform::BegunChanges begun = files.BeginChanges(path.substr(0, separator));
    if (begun.error) return begun.error;
    if (auto error = prepare(*begun.changes, std::string_view(path).substr(separator + 1))) {
        return error;
    }
    return begun.changes->PutInPlace().error;
}

// Replaces the file whole with what write writes, as a Save of that file alone.
inline std::optional<platform::FileError> ReplaceFile(platform::FileSystem& files,
                                                      const std::string& path,
                                                      const platform::ContentWriter& write) {
    return SaveOneFile(files, path,
                       [&write](platform::FolderChanges& changes, std::string_view name) {
                           return changes.Prepare(name, write);
                       });
}

inline std::optional<platform::FileError> ReplaceFile(platform::FileSystem& files,
                                                      const std::string& path,
                                                      std::string_view bytes) {
    return ReplaceFile(files, path,
                       [bytes](platform::FileWriter& file) { return file.Write(bytes); });
}

// The unit batch file written by the Save's routine, as a Save of that file alone.
inline std::optional<platform::FileError> SaveUnitBatchFile(const unitfiles::DataFolder& folder,
                                                            int unitTypeIndex,
                                                            int destinationIndex) {
    return SaveOneFile(folder.Files(), folder.DataFilePath(unitfiles::kUnitBatchFile),
                       [&](platform::FolderChanges& changes, std::string_view) {
                           return unitfiles::WriteUnitBatchFile(changes, unitTypeIndex,
                                                                destinationIndex);
                       });
}

// The port patched into the file of that path by the Save's routine, as a Save
// of that file alone.
inline std::optional<platform::FileError> SavePatchedPort(const unitfiles::DataFolder& folder,
                                                          const std::string& path,
                                                          std::string_view port) {
    return SaveOneFile(folder.Files(), path,
                       [port](platform::FolderChanges& changes, std::string_view name) {
                           return unitfiles::PatchSerialPort(changes, name, port);
                       });
}

}  // namespace psion::testing
