#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "support/ForwardingFileSystem.h"
#include "support/NativePlatform.h"
#include "support/OneFileSet.h"
#include "support/TempDir.h"
#include "unitfiles/DataFolder.h"

namespace psion::testing {

// A system path on a fresh temporary folder whose data folder exists, read
// and written through the native file layer.
class UnitFilesTest : public ::testing::Test {
  protected:
    UnitFilesTest() { std::filesystem::create_directories(DataDir()); }

    std::filesystem::path DataDir() const { return temp_.Path() / "kelvo" / "psion"; }
    std::filesystem::path DataFile(std::string_view name) const { return DataDir() / name; }

    std::filesystem::path WriteDataFile(std::string_view name, std::string_view bytes) const {
        return temp_.Write("kelvo/psion/" + std::string(name), bytes);
    }
    std::string ReadDataFile(std::string_view name) const { return ReadBytes(DataFile(name)); }

    TempDir temp_;
    std::string systemPath_ = AsSystemPath(temp_.Path());
    std::unique_ptr<platform::FileSystem> files_ = MakeNativeFileSystem();
    unitfiles::DataFolder folder_{*files_, systemPath_};
};

// The native file layer, except that opening any file to read it fails as an
// unreadable file would.
class UnreadableFiles : public ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;
    platform::OpenedFile OpenForReading(const std::string& path) const override {
        return {nullptr, platform::FileError{path, "Permission denied"}};
    }

  protected:
    platform::OpenedFile OpenForReadingIn(const platform::FolderChanges&, std::string_view,
                                          const std::string& path) const override {
        return OpenForReading(path);
    }
};

}  // namespace psion::testing
