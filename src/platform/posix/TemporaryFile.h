#pragma once

#include <string>

#include "platform/posix/Descriptor.h"

namespace psion::posix {

// The new content of a file, written in the file's own folder and moved over
// it only once complete. Whatever has not been moved over the file is removed
// when this goes out of scope.
class TemporaryFile {
  public:
    TemporaryFile(std::string folder, std::string fileName);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // The errno of a failed creation; 0 when the file is open.
    int CreationError() const { return creationError_; }
    int Get() const { return fd_.Get(); }

    // Closes the file and renames it over the target; 0 or the errno of the
    // step that failed.
    int MoveOver(const std::string& target);

  private:
    std::string NextName() const;
    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }

    std::string folder_;
    std::string fileName_;
    std::string name_;  // empty once moved
    Descriptor fd_;
    int creationError_ = 0;
};

}  // namespace psion::posix
