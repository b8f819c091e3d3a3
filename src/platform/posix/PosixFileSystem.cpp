#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/posix/DescriptorFiles.h"
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

}  // namespace psion::posix
