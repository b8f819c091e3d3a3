#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileContent.h"

namespace psion::platform {

// A file that the failure may have changed or damaged, as the failure left it.
struct DamagedFile {
    std::string name;
    // Where the file's old content now lies when it is no longer under its own
    // name; empty when the file itself may be partly rewritten.
    std::string oldContentAt;

    friend bool operator==(const DamagedFile&, const DamagedFile&) = default;
};

// What putting the prepared files in place achieved.
struct PlacedFiles {
    std::vector<std::string> placed;   // names of the files put in place, in that order
    std::optional<FileError> error;    // the file that could not be put in place, and why
    std::vector<DamagedFile> damaged;  // what the failure left changed though not put in place
};

// A set of changes to the files of one folder, all or nothing as far as the
// system allows. The folder is opened once, when the set begins: every step
// after that happens in that very folder, even when its path is renamed or
// replaced by a link meanwhile. While the set lives, every other set begun on
// the same folder, by any program, waits. Destroying the set discards what
// was prepared and not yet put in place, and ends the wait of the others.
//
// File names are plain names of files in the folder, with no separator.
class FolderChanges {
  public:
    virtual ~FolderChanges() = default;

    // True when the name leads to a regular file, through a link if it is one,
    // as FileSystem::IsFile sees it; whether the link is written through is
    // for Prepare to say.
    virtual bool IsFile(std::string_view fileName) const = 0;

    // Opens a file of the folder for reading, as FileSystem::OpenForReading does.
    virtual OpenedFile OpenForReading(std::string_view fileName) const = 0;

    // Writes the whole new content of the file of that name (which is created
    // when missing), complete and flushed to disk, without changing that file
    // or any other that a user sees. A file the user could not have rewritten
    // in place is refused here, as is a link the user may not write through.
    // On any failure, or an exception out of writeContent, nothing is left of
    // this preparation and the files prepared before it stay prepared.
    virtual std::optional<FileError> Prepare(std::string_view fileName,
                                             const ContentWriter& writeContent) = 0;

    // Puts the prepared files in place, in the order they were prepared, and
    // stops at the first one that fails, which is left as it was unless it is
    // listed as damaged: its old content could not be put back. Requests to
    // end the program that arrive meanwhile are held back until it returns.
    // Called at most once.
    virtual PlacedFiles PutInPlace() = 0;
};

struct BegunChanges {
    std::unique_ptr<FolderChanges> changes;  // set when the folder could be opened and held
    std::optional<FileError> error;          // the folder and the reason when it could not
};

}  // namespace psion::platform
