#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/posix/FileStreams.h"
#include "platform/posix/PathMapping.h"
#include "platform/posix/PosixFolderChanges.h"

namespace psion::posix {

bool PosixFileSystem::IsFile(const std::string& path) const {
    struct stat info {};
    return ::stat(MapToNativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

platform::OpenedFile PosixFileSystem::OpenForReading(const std::string& path) const {
    const std::string native = MapToNativePath(path);
    return OpenRegularFile(AT_FDCWD, native, native);
}

platform::BegunChanges PosixFileSystem::BeginChanges(const std::string& folderPath) {
    return BeginFolderChanges(MapToNativePath(folderPath), temporaryFiles_);
}

std::optional<platform::FileError> PosixFileSystem::Replace(
    const std::string& path, const platform::ContentWriter& writeContent) {
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return FileSystem::Replace(path, writeContent);
    const platform::BegunChanges begun = BeginChanges(path.substr(0, separator));
    if (begun.error) return platform::FileError{MapToNativePath(path), begun.error->reason};
    const std::string_view name = std::string_view(path).substr(separator + 1);
    if (auto error = begun.changes->Prepare(name, writeContent)) return error;
    return begun.changes->PutInPlace().error;
}

}  // namespace psion::posix
