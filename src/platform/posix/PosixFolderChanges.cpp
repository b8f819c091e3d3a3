#include "platform/posix/PosixFolderChanges.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/ByteCopy.h"
#include "platform/posix/DescriptorFiles.h"
#include "platform/posix/FileAttributes.h"
#include "platform/posix/FolderEntries.h"
#include "platform/posix/FolderLock.h"
#include "platform/posix/InPlaceRewrite.h"
#include "platform/posix/ResolvedFile.h"
#include "platform/posix/TerminationRequests.h"

namespace psion::posix {

using platform::FileError;

// How a prepared file is put in place, and why.
struct Placement {
    enum class How { Renamed, RewrittenInPlace };
    How how = How::Renamed;
    const char* why = "";
};

// A file whose new content is complete and flushed, ready to be put in place.
struct PreparedFile {
    std::string fileName;  // as the caller named it
    ResolvedFile target;
    std::unique_ptr<TemporaryFile> temporary;  // in the target's folder, when one could be made
    // For a rewrite in place: the original, open for writing, and a copy of its bytes.
    Descriptor original;
    Descriptor backup;
    Descriptor scratch;  // the new content, when it is staged outside the folder
    Placement placement;

    bool InPlace() const { return placement.how == Placement::How::RewrittenInPlace; }
    int Staged() const { return scratch.Valid() ? scratch.Get() : temporary->Get(); }

    // damaged is set when the file is left partly rewritten.
    std::optional<FileError> PutInPlace(bool& damaged) {
        damaged = false;
        if (InPlace()) {
            const int failed = RewriteInPlace(original.Get(), Staged());
            if (failed == 0) return std::nullopt;
            damaged = RewriteInPlace(original.Get(), backup.Get()) != 0;
            return ErrorFor(target.shownPath, failed);
        }
        if (const int error = temporary->MoveOver(target.name)) {
            return ErrorFor(target.shownPath, error);
        }
        return std::nullopt;
    }
};

namespace {

// The folder takes no new entry (no right to, immutable), or none of the
// temporary name's length, though the file itself may be written.
bool FolderRefusesNewFiles(int error) {
    return error == EACCES || error == EPERM || error == ENAMETOOLONG;
}

// Opens the original for a rewrite in place, checks it is still the file that
// was resolved, and keeps a copy of its bytes outside the folder.
std::optional<FileError> PrepareInPlace(PreparedFile& file) {
    const ResolvedFile& target = file.target;
    file.original = Descriptor(::openat(target.folder, target.name.c_str(),
                                        O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.original.Valid()) return ErrorFor(target.shownPath, errno);
    struct stat info {};
    if (::fstat(file.original.Get(), &info) != 0) return ErrorFor(target.shownPath, errno);
    if (info.st_dev != target.info.st_dev || info.st_ino != target.info.st_ino) {
        return ErrorFor(target.shownPath, ESTALE);
    }
    if (const int error = OpenScratchFile(file.backup)) return ErrorFor(target.shownPath, error);
    if (const int error = CopyBytes(file.original.Get(), file.backup.Get(), info.st_size)) {
        return ErrorFor(target.shownPath, error);
    }
    return std::nullopt;
}

// Renamed over the original when the new file has everything the original
// had, else rewritten in place: a rename would leave the other names of a
// hard-linked file with the old content, a folder that takes no new file has
// no room for it (its content is then staged outside), and a new file that
// cannot take on the original's owner, attributes and mode would change what
// the file is. The new file takes on the original's attributes here.
Placement ChoosePlacement(PreparedFile& file) {
    using How = Placement::How;
    const ResolvedFile& target = file.target;
    if (!target.exists) return {How::Renamed, "there is no original to keep"};
    if (target.info.st_nlink > 1) return {How::RewrittenInPlace, "the file has other names"};
    if (file.scratch.Valid()) return {How::RewrittenInPlace, "the folder takes no new file"};
    if (KeepAttributes(file.temporary->Get(), target.file.Get(), target.info) != 0) {
        return {How::RewrittenInPlace, "a new file could not have what the original has"};
    }
    return {How::Renamed, "the new file has everything the original had"};
}

// Only a regular file is a unit file, and the new one may only do what a
// rewrite in place could: the user must be allowed to write the file itself.
std::optional<FileError> WriteCheck(const ResolvedFile& target) {
    if (!target.exists) return std::nullopt;
    if (S_ISDIR(target.info.st_mode)) return ErrorFor(target.shownPath, EISDIR);
    if (!S_ISREG(target.info.st_mode)) return FileError{target.shownPath, "Not a regular file"};
    if (::faccessat(target.folder, target.name.c_str(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) !=
        0) {
        return ErrorFor(target.shownPath, errno);
    }
    return std::nullopt;
}

}  // namespace

PosixFolderChanges::PosixFolderChanges(Descriptor folder, std::string folderPath,
                                       TemporaryFiles temporaryFiles)
    : folder_(std::move(folder)),
      folderPath_(std::move(folderPath)),
      temporaryFiles_(temporaryFiles) {}

PosixFolderChanges::~PosixFolderChanges() = default;

bool PosixFolderChanges::IsFile(std::string_view fileName) const {
    struct stat info {};
    return ::fstatat(folder_.Get(), FindName(folder_.Get(), fileName).c_str(), &info, 0) == 0 &&
           S_ISREG(info.st_mode);
}

platform::OpenedFile PosixFolderChanges::OpenForReading(std::string_view fileName) const {
    const std::string name = FindName(folder_.Get(), fileName);
    return OpenRegularFile(folder_.Get(), name, folderPath_ + "/" + name);
}

std::optional<FileError> PosixFolderChanges::Prepare(std::string_view fileName,
                                                     const platform::ContentWriter& writeContent) {
    auto file = std::make_unique<PreparedFile>();
    file->fileName = std::string(fileName);
    ResolvedFile& target = file->target;
    if (auto error = ResolveForWriting(folder_.Get(), folderPath_,
                                       FindName(folder_.Get(), fileName), target)) {
        return error;
    }
    if (auto error = WriteCheck(target)) return error;
    RemoveLeftoverTemporaryFiles(target.folder, target.name);

    // Private to the writer until it has the original's attributes.
    file->temporary = std::make_unique<TemporaryFile>(target.folder, target.name, temporaryFiles_,
                                                      target.exists ? 0600 : 0666);
    if (const int error = file->temporary->CreationError()) {
        if (!target.exists || !FolderRefusesNewFiles(error)) {
            return ErrorFor(target.shownPath, error);
        }
        if (const int failed = OpenScratchFile(file->scratch)) {
            return ErrorFor(target.shownPath, failed);
        }
    }
    DescriptorWriter writer(file->Staged(), target.shownPath);
    if (auto error = writeContent(writer)) return error;

    file->placement = ChoosePlacement(*file);
    if (file->InPlace()) {
        if (auto error = PrepareInPlace(*file)) return error;
    } else if (::fsync(file->temporary->Get()) != 0) {
        return ErrorFor(target.shownPath, errno);
    }
    prepared_.push_back(std::move(file));
    return std::nullopt;
}

platform::PlacedFiles PosixFolderChanges::PutInPlace() {
    // Held back, not ignored: one that arrives meanwhile is delivered when the
    // previous mask is restored, once every file is in place or one failed.
    sigset_t endRequests;
    sigset_t previous;
    sigemptyset(&endRequests);
    for (const int signal : kEndRequestSignals) sigaddset(&endRequests, signal);
    pthread_sigmask(SIG_BLOCK, &endRequests, &previous);

    platform::PlacedFiles result;
    std::vector<int> renamedIn;  // folders that took a rename, each once
    for (const auto& file : prepared_) {
        bool damaged = false;
        if (auto error = file->PutInPlace(damaged)) {
            result.error = std::move(error);
            if (damaged) result.damaged.push_back({file->fileName, ""});
            break;
        }
        result.placed.push_back(file->fileName);
        const int folder = file->target.folder;
        if (!file->InPlace() &&
            std::find(renamedIn.begin(), renamedIn.end(), folder) == renamedIn.end()) {
            renamedIn.push_back(folder);
        }
    }
    // Each file's content was synced when it was prepared; one sync of its
    // folder, once every file is in place, makes the renames durable too. A
    // folder that cannot be synced is no error.
    for (const int folder : renamedIn) ::fsync(folder);
    prepared_.clear();

    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return result;
}

platform::BegunChanges BeginFolderChanges(const std::string& folderPath,
                                          TemporaryFiles temporaryFiles) {
    // Close-on-exec, so a script started later never inherits the lock.
    Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!folder.Valid()) return {nullptr, ErrorFor(folderPath, errno)};
    if (const int error = LockFolderExclusive(folder.Get())) {
        return {nullptr, ErrorFor(folderPath, error)};
    }
    return {std::make_unique<PosixFolderChanges>(std::move(folder), folderPath, temporaryFiles),
            std::nullopt};
}

}  // namespace psion::posix
