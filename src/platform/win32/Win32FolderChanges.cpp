#include "platform/win32/Win32FolderChanges.h"

#include <functional>

#include "platform/win32/Win32HandleFiles.h"
#include "platform/win32/Win32SessionEnd.h"
#include "platform/win32/Win32SharingRetry.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {

namespace {

using platform::FileError;

// A link is not written through: its target may lie in another folder, which
// this set does not hold, and replacing the name would replace the link itself.
constexpr const char* kLinkRefused =
    "A symbolic link or junction, which is not written through: replace it with the file itself";
// Wine shows a POSIX symbolic link as the file it leads to; this catches it.
constexpr const char* kElsewhere =
    "Leads to another file, through a link or a folder moved meanwhile, so it is not written";

// A final path as the user would type it: without the "\\?\" before the drive.
std::string ShownPath(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        path = L"\\" + path.substr(7);
    } else if (path.starts_with(L"\\\\?\\")) {
        path = path.substr(4);
    }
    return FromWide(path);
}

bool IsPlainName(std::wstring_view name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring_view::npos;
}

struct Target {
    bool exists = false;
    std::optional<FileError> error;
    FileId id;
    DWORD links = 1;
    std::wstring name;  // as it is on disk, in its own letter case
    bool mayBeReplaced = true;
};

// A symbolic link or junction in the file's place; other reparse points, such
// as files kept by a cloud service or deduplicated, are files like any other.
std::optional<FileError> RefuseLink(const std::wstring& file, const std::string& path,
                                    bool& exists) {
    FileHandle entry(
        CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry.IsValid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return std::nullopt;
        return ErrorFor(path, error);
    }
    exists = true;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (GetFileInformationByHandleEx(entry.Get(), FileAttributeTagInfo, &tag, sizeof tag) &&
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        IsReparseTagNameSurrogate(tag.ReparseTag)) {
        return FileError{path, kLinkRefused};
    }
    if ((tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileError{path, kNotARegularFile};
    }
    return std::nullopt;
}

// The file of that name is still the original checked while preparing, and
// no link has been put in its place since.
bool IsStillTheFile(const std::wstring& folder, const std::wstring& name, const FileId& expected) {
    FileHandle file(CreateFileW((folder + L"\\" + name).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    FileId id;
    if (!file.IsValid() || IdOf(file.Get(), id) != 0 || !(id == expected)) return false;
    std::wstring final;
    return FinalPathOf(file.Get(), final) == 0 && IsEntryOf(final, folder, name);
}

Target Refused(FileError error) {
    Target target;
    target.exists = true;
    target.error = std::move(error);
    return target;
}

// A file is replaced only where it could have been rewritten in place: it is
// opened for writing, as an in-place write would open it, so that a read-only
// file or one the user may not write is refused in the system's own words.
// Another program that holds the file without sharing it gets about 5 s to
// let go.
Target CheckTarget(const std::wstring& folder, const std::wstring& name, const std::string& path) {
    const std::wstring file = folder + L"\\" + name;
    Target target;
    if (auto error = RefuseLink(file, path, target.exists)) return Refused(*error);
    if (!target.exists) return target;
    FileHandle handle;
    if (const DWORD error = RetryWhileHeld([&] {
            handle.Reset(CreateFileW(file.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            return handle.IsValid() ? DWORD{0} : GetLastError();
        })) {
        return Refused(ErrorFor(path, error));
    }
    if (GetFileType(handle.Get()) != FILE_TYPE_DISK)
        return Refused(FileError{path, kNotARegularFile});
    std::wstring final;
    if (const DWORD error = FinalPathOf(handle.Get(), final)) {
        return Refused(ErrorFor(path, error));
    }
    if (!IsEntryOf(final, folder, name)) return Refused(FileError{path, kElsewhere});
    target.name = final.substr(final.find_last_of(L'\\') + 1);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle.Get(), &information)) return Refused(LastError(path));
    if (const DWORD error = IdOf(handle.Get(), target.id, &target.links)) {
        return Refused(ErrorFor(path, error));
    }
    // Windows refuses to open a read-only file for writing in these words; a
    // privileged user under Wine gets it opened all the same.
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Refused(ErrorFor(path, ERROR_ACCESS_DENIED));
    }
    // ReplaceFileW needs to delete the original, which the file's or the
    // folder's permissions may deny to a user who may write it.
    FileHandle deletable(
        CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    target.mayBeReplaced = deletable.IsValid() || GetLastError() != ERROR_ACCESS_DENIED;
    return target;
}

// How a file's new content is put in place, and why.
struct Placement {
    enum class How { Replaced, RewrittenInPlace };
    How how = How::Replaced;
    const char* why = "";
    DWORD error = 0;  // when the replacement could not be made, nor a rewrite chosen
};

// A replacement keeps everything the file had (see TemporaryFile), except where
// it would leave the other names of a hard-linked file with the old content;
// where the original may not be deleted, or the folder takes no new file,
// only a rewrite in place saves what the user may write. makeTemporary makes
// the replacement beside the original: 0 or the error.
Placement ChoosePlacement(const Target& existing, const std::function<DWORD()>& makeTemporary) {
    using How = Placement::How;
    if (existing.links > 1) return {How::RewrittenInPlace, "the file has other names"};
    if (!existing.mayBeReplaced) return {How::RewrittenInPlace, "the original may not be deleted"};
    const DWORD error = makeTemporary();
    if (error == 0) return {How::Replaced, "a replacement keeps the file as it was"};
    if (error == ERROR_ACCESS_DENIED && existing.exists) {
        return {How::RewrittenInPlace, "the folder takes no new file"};
    }
    return {How::Replaced, "", error};
}

}  // namespace

platform::BegunChanges Win32FolderChanges::Begin(const std::string& folderPath) {
    OpenedFolder folder;
    if (const DWORD error = OpenFolder(ToWide(folderPath), folder)) {
        return {nullptr, ErrorFor(folderPath, error)};
    }
    std::unique_ptr<HeldFolderMutex> held;
    if (const DWORD error = LockFolderMutex(folder.finalPath, held)) {
        return {nullptr, ErrorFor(folderPath, error)};
    }
    return {std::unique_ptr<Win32FolderChanges>(
                new Win32FolderChanges(folderPath, std::move(folder), std::move(held))),
            std::nullopt};
}

Win32FolderChanges::Win32FolderChanges(std::string folderPath, OpenedFolder folder,
                                       std::unique_ptr<HeldFolderMutex> mutex)
    : folderPath_(std::move(folderPath)), folder_(std::move(folder)), mutex_(std::move(mutex)) {
    while (!folderPath_.empty() && (folderPath_.back() == '\\' || folderPath_.back() == '/')) {
        folderPath_.pop_back();
    }
}

std::string Win32FolderChanges::PathOf(std::string_view fileName) const {
    return folderPath_ + "\\" + std::string(fileName);
}

std::wstring Win32FolderChanges::FinalPathOf(const std::wstring& fileName) const {
    return folder_.finalPath + L"\\" + fileName;
}

// The folder's final path still leads to the folder held, not to one put in its place.
std::optional<FileError> Win32FolderChanges::CheckStillThere(const std::string& path) const {
    OpenedFolder now;
    FileId held;
    FileId found;
    if (OpenFolder(folder_.finalPath, now) != 0 || IdOf(folder_.handle.Get(), held) != 0 ||
        IdOf(now.handle.Get(), found) != 0 || !(found == held)) {
        return FileError{path, kElsewhere};
    }
    return std::nullopt;
}

bool Win32FolderChanges::IsFile(std::string_view fileName) const {
    const std::wstring name = ToWide(fileName);
    if (!IsPlainName(name)) return false;
    FileHandle file(CreateFileW(FinalPathOf(name).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return file.IsValid() && GetFileInformationByHandle(file.Get(), &information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

platform::OpenedFile Win32FolderChanges::OpenForReading(std::string_view fileName) const {
    const std::string path = PathOf(fileName);
    const std::wstring name = ToWide(fileName);
    if (!IsPlainName(name)) return {nullptr, ErrorFor(path, ERROR_INVALID_NAME)};
    return OpenFileForReading(FinalPathOf(name), path, &folder_.finalPath);
}

std::optional<FileError> Win32FolderChanges::Prepare(std::string_view fileName,
                                                     const platform::ContentWriter& writeContent) {
    const std::string path = PathOf(fileName);
    PreparedFile file;
    file.name = std::string(fileName);
    file.wideName = ToWide(fileName);
    if (placed_ || !IsPlainName(file.wideName)) return ErrorFor(path, ERROR_INVALID_NAME);
    if (auto error = CheckStillThere(path)) return error;
    const Target existing = CheckTarget(folder_.finalPath, file.wideName, path);
    if (existing.error) return existing.error;
    file.replacing = existing.exists;
    file.id = existing.id;
    // The new file takes the name the original has, not the spelling asked for.
    if (!existing.name.empty()) file.wideName = existing.name;
    RemoveLeftoverTemporaryFiles(folder_.finalPath, file.wideName);

    const Placement placement = ChoosePlacement(existing, [&] {
        file.temporary = std::make_unique<TemporaryFile>(folder_.finalPath, file.wideName);
        return file.temporary->CreationError();
    });
    if (placement.error != 0) return ErrorFor(path, placement.error);
    HANDLE written = nullptr;
    if (placement.how == Placement::How::Replaced) {
        std::wstring where;
        if (const DWORD error = win32::FinalPathOf(file.temporary->Get(), where)) {
            return ErrorFor(path, error);
        }
        if (!LiesDirectlyIn(where, folder_.finalPath)) return FileError{path, kElsewhere};
        written = file.temporary->Get();
    } else {
        file.temporary.reset();
        file.rewrite = std::make_unique<InPlaceRewrite>(file.wideName);
        if (const DWORD error = file.rewrite->CreationError()) return ErrorFor(path, error);
        written = file.rewrite->Get();
    }
    Win32FileWriter writer(written, path);
    if (auto error = writeContent(writer)) return error;
    if (!FlushFileBuffers(written)) return LastError(path);
    prepared_.push_back(std::move(file));
    return std::nullopt;
}

platform::PlacedFiles Win32FolderChanges::PutInPlace() {
    platform::PlacedFiles result;
    if (placed_) return result;
    placed_ = true;
    // No window message is handled until this returns, so the end of the
    // session waits; Windows shows why meanwhile.
    const SessionEndBlocked blocked;
    for (PreparedFile& file : prepared_) {
        const std::string path = PathOf(file.name);
        if (auto error = CheckStillThere(path)) {
            result.error = error;
            break;
        }
        DWORD error = 0;
        if (file.rewrite) {
            error = file.rewrite->PutInPlace(folder_.finalPath, file.id);
        } else if (file.replacing && !IsStillTheFile(folder_.finalPath, file.wideName, file.id)) {
            error = kNotTheFileChecked;
        } else {
            error = file.temporary->PutInPlace(FinalPathOf(file.wideName), file.replacing);
        }
        if (error != 0) {
            result.error =
                error == kNotTheFileChecked ? FileError{path, kElsewhere} : ErrorFor(path, error);
            if (file.rewrite && file.rewrite->Damaged()) {
                result.damaged.push_back({file.name, ""});
            } else if (file.temporary && !file.temporary->OriginalLeftAt().empty()) {
                result.damaged.push_back({file.name, ShownPath(file.temporary->OriginalLeftAt())});
            }
            break;
        }
        result.placed.push_back(file.name);
    }
    prepared_.clear();
    return result;
}

}  // namespace psion::win32
