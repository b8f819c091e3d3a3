#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileContent.h"
#include "platform/posix/Descriptor.h"

namespace psion::posix {

// The file a write of a folder's entry goes to.
struct ResolvedFile {
    Descriptor ownFolder;   // the target's folder, when it is not the entry's
    int folder = -1;        // the folder holding the file: ownFolder or the entry's
    std::string name;       // its name there
    std::string shownPath;  // what messages call it
    bool exists = false;
    struct stat info {};  // when it exists
    Descriptor file;      // when it exists: the file, opened only for its path
};

// Resolves an entry of the folder for writing. A symbolic link is written
// through only when its owner is root or owns its target (as Apache's
// SymLinksIfOwnerMatch and Linux's protected_symlinks rule): anyone who may
// write the folder could otherwise point it at a file of the user who saves.
// The target is then written in its own folder, reached by the target's real
// path and checked to hold that very file, so the link stays a link. A link
// that leads nowhere is refused. A missing entry is a new file.
std::optional<platform::FileError> ResolveForWriting(int folder, const std::string& folderPath,
                                                     const std::string& name, ResolvedFile& file);

}  // namespace psion::posix
