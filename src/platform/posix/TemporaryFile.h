#pragma once

#include <sys/types.h>
#include <string>

#include "platform/posix/Descriptor.h"

namespace psion::posix {

enum class TemporaryFiles {
    // Unnamed (O_TMPFILE) where the file system supports it, named otherwise.
    UnnamedWhereSupported,
    // Always named, as on file systems without unnamed files.
    Named,
};

// The new content of a file, written in a folder (given by a descriptor that
// outlives this) and moved over the file there only once complete. A named one
// is called ".<file>.<pid>-<n>.tmp", so that a later write can tell whether
// its writer still runs. Whatever has not been moved over the file is removed
// when this goes out of scope; an unnamed one leaves nothing behind even when
// the process is killed. It is open for reading and writing.
class TemporaryFile {
  public:
    TemporaryFile(int folder, std::string fileName, TemporaryFiles kind, mode_t mode);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // The errno of a failed creation; 0 when the file is open.
    int CreationError() const { return creationError_; }
    int Get() const { return fd_.Get(); }

    // Closes the file and renames it over the file of that name in the
    // folder; 0 or the errno of the step that failed.
    int MoveOver(const std::string& targetName);

  private:
    std::string NextName() const;

    int folder_;
    std::string fileName_;
    std::string name_;  // empty while the file has no name
    Descriptor fd_;
    int creationError_ = 0;
};

// Opens into file a file with no name in $TMPDIR (or /tmp), for reading and
// writing, gone when closed; 0 or the errno.
int OpenScratchFile(Descriptor& file);

// Removes the named temporary files of writes of that file whose process no
// longer runs and which no one holds open, and nothing else.
void RemoveLeftoverTemporaryFiles(int folder, const std::string& fileName);

}  // namespace psion::posix
