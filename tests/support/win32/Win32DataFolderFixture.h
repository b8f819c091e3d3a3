#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/Win32FileSystem.h"
#include "support/NativePlatform.h"
#include "support/OneFileSet.h"
#include "support/TempDir.h"

namespace psion::testing {

// The Win32 file layer on a data folder, kelvo/psion in a temporary folder.
class Win32DataFolderTest : public ::testing::Test {
  protected:
    Win32DataFolderTest() { std::filesystem::create_directories(Folder()); }

    std::filesystem::path Folder() const { return temp_.Path() / "kelvo" / "psion"; }
    std::filesystem::path DataFile(const std::string& name) const { return Folder() / name; }
    std::filesystem::path WriteDataFile(const std::string& name, std::string_view bytes) const {
        return temp_.Write("kelvo/psion/" + name, bytes);
    }
    // Every name in the data folder, to see that no temporary file was left behind.
    std::vector<std::string> DataFolderNames() const { return SortedNames(Folder()); }
    // A Save of that data file alone.
    std::optional<platform::FileError> Save(const std::string& name, std::string_view bytes) {
        return ReplaceFile(files_, AsSystemPath(DataFile(name)), bytes);
    }

    TempDir temp_;
    win32::Win32FileSystem files_;
};

}  // namespace psion::testing
