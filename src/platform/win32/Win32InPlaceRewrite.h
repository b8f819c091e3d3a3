#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/Win32FileHandle.h"
#include "platform/win32/Win32FinalPath.h"
#include "platform/win32/Win32TemporaryFile.h"

namespace psion::win32 {

// What InPlaceRewrite::PutInPlace returns when the file is no longer the
// file checked while preparing (an application's own error code).
inline constexpr DWORD kNotTheFileChecked = 0x20000001;

// The new content of a file that is rewritten in place rather than replaced,
// where a replacement could not keep the file as it was: a file with more
// than one hard link, whose other names a replacement would leave with the
// old content, or a file the user may write in a folder that takes no new
// file. The content is staged whole in the user's temporary folder first.
// The rewrite is not atomic: the file's original bytes are kept aside until
// the new ones are flushed and are put back when the write fails, but a power
// cut or a kill during the write can leave the file partly written.
class InPlaceRewrite {
  public:
    explicit InPlaceRewrite(const std::wstring& fileName);

    // The error of a failed creation; 0 when the staging file is open.
    DWORD CreationError() const { return staged_->CreationError(); }
    HANDLE Get() const { return staged_->Get(); }

    // Rewrites the file of that name in the folder, which must still be the
    // file `expected`, with the staged content. 0 or the error, which left the
    // file as it was unless Damaged says otherwise.
    DWORD PutInPlace(const std::wstring& folder, const FileId& expected);

    // After a failed PutInPlace: the original bytes could not be put back.
    bool Damaged() const { return damaged_; }

  private:
    std::wstring fileName_;
    bool damaged_ = false;
    std::unique_ptr<TemporaryFile> staged_;
};

}  // namespace psion::win32
