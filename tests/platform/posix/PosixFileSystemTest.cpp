#include "platform/posix/PosixFileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <new>
#include <string>

#include "support/FileSizeLimit.h"
#include "support/ProbedFileSystem.h"
#include "support/TempDir.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
  protected:
    std::string PathOf(std::string_view relative) const {
        return (temp_.Path() / relative).string();
    }
    long EntriesInFolder() const {
        return std::distance(fs::directory_iterator(temp_.Path()), fs::directory_iterator{});
    }
    mode_t ModeOf(const std::string& path) const {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0);
        return info.st_mode & 07777;
    }

    TempDir temp_;
    posix::PosixFileSystem files_;
};

const std::string kAllBytes = [] {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}();

TEST_F(PosixFileSystemTest, IsFileHoldsOnlyForRegularFiles) {
    temp_.Write("file.txt", "x");
    fs::create_directory(temp_.Path() / "folder");
    fs::create_symlink("file.txt", temp_.Path() / "link.txt");
    EXPECT_TRUE(files_.IsFile(PathOf("file.txt")));
    EXPECT_TRUE(files_.IsFile(PathOf("FILE.TXT")));
    EXPECT_TRUE(files_.IsFile(PathOf("link.txt")));
    EXPECT_FALSE(files_.IsFile(PathOf("folder")));
    EXPECT_FALSE(files_.IsFile(PathOf("missing.txt")));
    EXPECT_FALSE(files_.IsFile(PathOf("file.txt/inner")));
}

TEST_F(PosixFileSystemTest, ReadAllGivesEveryByte) {
    temp_.Write("all.bin", kAllBytes + kAllBytes);
    const auto read = ReadThrough(files_, PathOf("ALL.bin"));
    EXPECT_EQ(read.error, std::nullopt);
    EXPECT_EQ(read.bytes, kAllBytes + kAllBytes);
}

TEST_F(PosixFileSystemTest, ReadAllNamesTheFileAndTheReason) {
    auto read = ReadThrough(files_, PathOf("missing.txt"));
    ASSERT_TRUE(read.error.has_value());
    EXPECT_EQ(read.error->path, PathOf("missing.txt"));
    EXPECT_EQ(read.error->reason, "No such file or directory");
    EXPECT_EQ(read.error->Describe(), PathOf("missing.txt") + ": No such file or directory");

    fs::create_directory(temp_.Path() / "folder");
    read = ReadThrough(files_, PathOf("folder"));
    ASSERT_TRUE(read.error.has_value());
    EXPECT_EQ(read.error->reason, "Is a directory");
}

TEST_F(PosixFileSystemTest, ReplaceAllCreatesAFileWithExactlyTheBytes) {
    EXPECT_EQ(files_.ReplaceAll(PathOf("new.bin"), kAllBytes), std::nullopt);
    EXPECT_EQ(ReadBytes(temp_.Path() / "new.bin"), kAllBytes);
    EXPECT_EQ(EntriesInFolder(), 1);
    EXPECT_EQ(files_.ReplaceAll(PathOf("empty.bin"), ""), std::nullopt);
    EXPECT_EQ(fs::file_size(temp_.Path() / "empty.bin"), 0u);
}

TEST_F(PosixFileSystemTest, ReplaceAllReplacesTheFileFoundWithoutRegardToCase) {
    temp_.Write("Sub/Name.conf", "a much longer old content");
    EXPECT_EQ(files_.ReplaceAll(PathOf("sub\\NAME.CONF"), "new"), std::nullopt);
    EXPECT_EQ(ReadBytes(temp_.Path() / "Sub" / "Name.conf"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp_.Path() / "Sub"), {}), 1);
}

TEST_F(PosixFileSystemTest, ReplaceAllKeepsThePermissionBits) {
    for (mode_t mode : {0640, 0755, 0600, 0444}) {
        SCOPED_TRACE(mode);
        const auto file = temp_.Write("kept.txt", "old");
        fs::permissions(file, static_cast<fs::perms>(mode));
        EXPECT_EQ(files_.ReplaceAll(file.string(), "new"), std::nullopt);
        EXPECT_EQ(ModeOf(file.string()), mode);
        EXPECT_EQ(ReadBytes(file), "new");
    }
}

TEST_F(PosixFileSystemTest, ReplaceAllWritesThroughASymbolicLink) {
    temp_.Write("real.txt", "old");
    fs::create_symlink("real.txt", temp_.Path() / "link.txt");
    EXPECT_EQ(files_.ReplaceAll(PathOf("link.txt"), "new"), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(temp_.Path() / "link.txt"));
    EXPECT_EQ(ReadBytes(temp_.Path() / "real.txt"), "new");
}

TEST_F(PosixFileSystemTest, AWriteThatFailsHalfWayLeavesTheOriginalAndNoTemporaryFile) {
    const auto file = temp_.Write("keep.txt", kAllBytes);
    fs::permissions(file, static_cast<fs::perms>(0640));
    std::optional<platform::FileError> error;
    {
        FileSizeLimit limit(100);
        error = files_.ReplaceAll(file.string(), std::string(5000, 'n'));
    }
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->path, file.string());
    EXPECT_EQ(error->reason, "File too large");
    EXPECT_EQ(ReadBytes(file), kAllBytes);
    EXPECT_EQ(ModeOf(file.string()), 0640u);
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixFileSystemTest, AFolderPathThroughAFileCannotBeWritten) {
    temp_.Write("plain", "not a folder");
    const auto error = files_.ReplaceAll(PathOf("plain/inner.txt"), "x");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->path, PathOf("plain/inner.txt"));
    EXPECT_EQ(error->reason, "Not a directory");
    EXPECT_EQ(ReadBytes(temp_.Path() / "plain"), "not a folder");
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixFileSystemTest, AFolderIsNeverReplacedByAFile) {
    temp_.Write("target/inside.txt", "kept");
    const auto error = files_.ReplaceAll(PathOf("target"), "x");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->reason, "Is a directory");
    EXPECT_EQ(ReadBytes(temp_.Path() / "target" / "inside.txt"), "kept");
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixFileSystemTest, AMissingFolderIsReportedAndNotCreated) {
    const auto error = files_.ReplaceAll(PathOf("absent/file.txt"), "x");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->reason, "No such file or directory");
    EXPECT_EQ(EntriesInFolder(), 0);
}

TEST_F(PosixFileSystemTest, AnExceptionWhileWritingLeavesTheOriginalAndNoTemporaryFile) {
    const auto file = temp_.Write("keep.conf", "original");
    EXPECT_THROW(
        files_.Replace(file.string(),
                       [](platform::FileWriter& out) -> std::optional<platform::FileError> {
                           out.Write("half");
                           throw std::bad_alloc();
                       }),
        std::bad_alloc);
    EXPECT_EQ(ReadBytes(file), "original");
    EXPECT_EQ(EntriesInFolder(), 1);
}

}  // namespace
}  // namespace psion::testing
