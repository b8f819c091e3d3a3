#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "platform/FileContent.h"
#include "platform/win32/Win32FileHandle.h"

namespace psion::win32 {

inline constexpr const char* kNotARegularFile = "Not a regular file";
inline constexpr const char* kOutsideTheFolder =
    "Leads outside its folder, through a link or a folder moved meanwhile, so it is not read";

platform::FileError ErrorFor(const std::string& path, DWORD error);
platform::FileError LastError(const std::string& path);

// Opens a regular file for reading by its full path; a device or pipe in the
// file's place is refused before it is read, and so is a file that does not
// lie directly in the folder, when a folder's final path is given; a file of
// such a folder is waited for while another program holds it.
platform::OpenedFile OpenFileForReading(const std::wstring& file, const std::string& path,
                                        const std::wstring* folder = nullptr);

// Writes through a handle the caller keeps open; errors name the path.
class Win32FileWriter : public platform::FileWriter {
  public:
    Win32FileWriter(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}

    std::optional<platform::FileError> Write(std::string_view bytes) override;
    std::optional<platform::FileError> WriteAt(std::uint64_t offset,
                                               std::string_view bytes) override;

  private:
    HANDLE file_;
    std::string path_;
};

}  // namespace psion::win32
