// A set of changes to one folder on POSIX: all or nothing across a full disk,
// a folder moved meanwhile and long names.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FolderChanges.h"
#include "platform/posix/FolderChangesFixture.h"
#include "support/OneFileSet.h"

namespace psion::testing {
namespace {

TEST_F(FolderChangesTest, NoRoomForTheSecondFileChangesNoFile) {
    // Room for the old files and one new one.
    const std::string size = "size=" + std::to_string(kChunk * kChunksPerFile * 5 / 2 + kChunk * 8);
    const auto mounted = temp_.Path() / "small";
    fs::create_directory(mounted);
    if (::mount("tmpfs", mounted.c_str(), "tmpfs", 0, size.c_str()) != 0) {
        GTEST_SKIP() << "mounting a small file system here needs root and a mount namespace";
    }
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{mounted};
    data_ = mounted / "data";
    fs::create_directory(data_);
    for (const auto kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        WriteOldFiles();
        posix::PosixFileSystem files(kind);
        auto begun = files.BeginChanges(data_.string());
        ASSERT_TRUE(begun.changes);
        const auto error = PrepareAll(*begun.changes, [](int) {});
        EXPECT_EQ(error, (platform::FileError{(data_ / kUnitFiles[1]).string(),
                                              "No space left on device"}));
        begun.changes.reset();
        EXPECT_EQ(State(), "old");
        EXPECT_EQ(Names(), SortedUnitFiles());
    }
}

TEST_F(FolderChangesTest, AFolderRenamedAndReplacedByALinkDuringASetGetsTheWholeSet) {
    WriteOldFiles();
    const auto moved = temp_.Path() / "moved";
    const auto other = temp_.Path() / "other";
    fs::create_directory(other);
    posix::PosixFileSystem files;
    auto first = files.BeginChanges(data_.string());
    ASSERT_TRUE(first.changes);
    int written = 0;
    EXPECT_EQ(PrepareOne(*first.changes, 0, written, [](int) {}), std::nullopt);
    fs::rename(data_, moved);
    fs::create_directory_symlink(other, data_);
    for (std::size_t i = 1; i < kUnitFiles.size(); ++i) {
        EXPECT_EQ(PrepareOne(*first.changes, i, written, [](int) {}), std::nullopt);
    }
    EXPECT_EQ(first.changes->PutInPlace().placed, kUnitFiles);
    // The second set, begun by the old path, holds the folder the link leads to.
    auto second = files.BeginChanges(data_.string());
    ASSERT_TRUE(second.changes);
    EXPECT_EQ(PrepareAll(*second.changes, [](int) {}), std::nullopt);
    EXPECT_EQ(second.changes->PutInPlace().placed, kUnitFiles);
    for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
        EXPECT_EQ(ReadBytes(moved / kUnitFiles[i]), NewBytes(i));
        EXPECT_EQ(ReadBytes(other / kUnitFiles[i]), NewBytes(i));
    }
    first.changes.reset();
    second.changes.reset();
    EXPECT_EQ(std::distance(fs::directory_iterator(moved), {}), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(other), {}), 3);
}

TEST_F(FolderChangesTest, AFileWhosePathIsNearTheLongestAPathMayBeIsSaved) {
    // Folders of long names down to a path a few bytes short of PATH_MAX for the file.
    fs::path folder = data_;
    const std::string name = "autoexec.btf";
    while (folder.string().size() + 1 + name.size() < PATH_MAX - 1 - 255 - 1) {
        folder /= std::string(255, 'f');
    }
    folder /= std::string(PATH_MAX - 1 - folder.string().size() - 2 - name.size() - 4, 'g');
    fs::create_directories(folder);
    const std::string file = (folder / name).string();
    ASSERT_EQ(file.size(), static_cast<std::size_t>(PATH_MAX - 1 - 4));
    for (const auto kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        posix::PosixFileSystem files(kind);
        EXPECT_EQ(ReplaceFile(files, file, "old"), std::nullopt);
        EXPECT_EQ(ReplaceFile(files, file, "new"), std::nullopt);
        const auto read = files.OpenForReading(file);
        ASSERT_TRUE(read.reader);
        char bytes[8];
        EXPECT_EQ(read.reader->Read(bytes).count, 3u);
        EXPECT_EQ(std::string(bytes, 3), "new");
    }
}

TEST_F(FolderChangesTest, AFileWhoseNameIsNearTheLongestANameMayBeIsSaved) {
    // Too long for a temporary name made from it, so it is rewritten in place.
    const auto file = temp_.Write("data/" + std::string(NAME_MAX - 3, 'n'), "old");
    for (const auto kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        posix::PosixFileSystem files(kind);
        EXPECT_EQ(ReplaceFile(files, file.string(), "new"), std::nullopt);
        EXPECT_EQ(ReadBytes(file), "new");
        fs::resize_file(file, 0);
        EXPECT_EQ(Names(), std::vector<std::string>{file.filename().string()});
    }
}

}  // namespace
}  // namespace psion::testing
