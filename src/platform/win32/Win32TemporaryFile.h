#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/Win32FileHandle.h"

namespace psion::win32 {

// The new content of a file, written in the file's own folder as
// "~<file>.<pid>-<n>.tmp" and put in its place once complete. No other
// program may open or delete it meanwhile, and until it is put in place
// Windows deletes it when its handle closes, even when this program is killed.
// Whatever has not been put in place is deleted when this goes out of scope.
// It may also stage content elsewhere, to be read back through its handle.
class TemporaryFile {
  public:
    // The folder is a final path (see FinalPathOf), without a separator at its end.
    TemporaryFile(const std::wstring& folder, const std::wstring& fileName);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // The error of a failed creation; 0 when the file is open.
    DWORD CreationError() const { return creationError_; }
    HANDLE Get() const { return file_.Get(); }

    // Puts the written content in the target's place, flushed to disk: over the
    // original through ReplaceFileW, which keeps its security descriptor,
    // attributes and streams, or under the target's name when there was none
    // (and still is none). 0 or the error; the target is left as it was
    // unless OriginalLeftAt names where the original now lies instead.
    DWORD PutInPlace(const std::wstring& target, bool replacing);

    // After a failed PutInPlace: the name the original was moved to and could
    // not be moved back from; empty when it is under its own name.
    const std::wstring& OriginalLeftAt() const { return originalLeftAt_; }

  private:
    std::wstring folder_;
    std::wstring fileName_;
    std::wstring path_;  // empty once put in place
    std::wstring originalLeftAt_;
    FileHandle file_;
    DWORD creationError_ = 0;
};

// Deletes the temporary files of that file which nothing holds open any more:
// those of a program that ended or was killed. None is deleted while the file
// itself is missing, as one of them may then hold its only copy.
void RemoveLeftoverTemporaryFiles(const std::wstring& folder, const std::wstring& fileName);

}  // namespace psion::win32
