#include "platform/posix/PosixFileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <new>
#include <string>

#include "support/ChildProcess.h"
#include "support/FileSizeLimit.h"
#include "support/ProbedFileSystem.h"
#include "support/TempDir.h"
#include "unitfiles/DataFolder.h"
#include "unitfiles/SerialConfigFile.h"
#include "unitfiles/UnitBatchFile.h"

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
        // Only root may rewrite a read-only file in place, so only root may replace it.
        if (mode == 0444 && ::geteuid() != 0) continue;
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

// The owner and group of a file, as the file system records them.
std::pair<uid_t, gid_t> OwnerOf(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0);
    return {info.st_uid, info.st_gid};
}

TEST_F(PosixFileSystemTest, ReplaceAllKeepsTheOwnerGroupAndSpecialBits) {
    if (!CanSwitchUser()) GTEST_SKIP() << "needs root, to give the file to another user";
    const auto file = temp_.Write("owned.conf", "old");
    ASSERT_EQ(::chown(file.c_str(), NobodyUser(), NobodyGroup()), 0);
    // The owner is set before the mode, which changing the owner would clear.
    fs::permissions(file, static_cast<fs::perms>(06750));
    EXPECT_EQ(files_.ReplaceAll(file.string(), "new"), std::nullopt);
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(OwnerOf(file), std::make_pair(NobodyUser(), NobodyGroup()));
    EXPECT_EQ(ModeOf(file.string()), 06750u);
}

TEST_F(PosixFileSystemTest, AsAnotherUserOnlyWhatThatUserCouldRewriteInPlaceIsReplaced) {
    if (!CanSwitchUser()) GTEST_SKIP() << "needs root, to act as the user nobody";
    // A folder that everyone may write, so only the files' own rights decide.
    fs::permissions(temp_.Path(), fs::perms::all);
    struct Case {
        const char* name;
        uid_t owner;
        gid_t group;
        mode_t mode;
        const char* refusal;  // nullptr when the file is replaced
    };
    const Case cases[] = {
        {"read-only.conf", NobodyUser(), NobodyGroup(), 0444, "Permission denied"},
        {"roots.conf", 0, 0, 0644, "Permission denied"},
        // Writable, but replacing it would hand root's file to nobody.
        {"roots-writable.conf", 0, 0, 0666,
         "Operation not permitted (its owner or group could not be kept)"},
        {"own.conf", NobodyUser(), NobodyGroup(), 0640, nullptr},
    };
    for (const Case& file : cases) {
        const auto path = temp_.Write(file.name, "old bytes");
        ASSERT_EQ(::chown(path.c_str(), file.owner, file.group), 0);
        fs::permissions(path, static_cast<fs::perms>(file.mode));
    }

    const auto outcome = RunInChild([&] {
        if (!BecomeNobody()) return 2;
        posix::PosixFileSystem files;
        for (const Case& file : cases) {
            SCOPED_TRACE(file.name);
            const auto error = files.ReplaceAll(PathOf(file.name), "new bytes");
            if (file.refusal == nullptr) {
                EXPECT_EQ(error, std::nullopt) << error->Describe();
                continue;
            }
            EXPECT_TRUE(error.has_value());
            if (!error) continue;
            EXPECT_EQ(error->path, PathOf(file.name));
            EXPECT_EQ(error->reason, file.refusal);
        }
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    ASSERT_TRUE(outcome.finished && outcome.exitCode == 0) << outcome.Describe();

    for (const Case& file : cases) {
        SCOPED_TRACE(file.name);
        const auto path = temp_.Path() / file.name;
        EXPECT_EQ(ReadBytes(path), file.refusal == nullptr ? "new bytes" : "old bytes");
        EXPECT_EQ(OwnerOf(path), std::make_pair(file.owner, file.group));
        EXPECT_EQ(ModeOf(path.string()), file.mode);
    }
    EXPECT_EQ(EntriesInFolder(), 4);
}

// Something other than a regular file, put where a unit file was found.
struct StandIn {
    const char* what;
    std::function<void(const fs::path&)> make;
    const char* reason;
};

// The native file layer, except that the file named by ReplaceAfterCheck gives
// way to a stand-in right after its existence has been confirmed.
class SwapAfterCheck : public platform::FileSystem {
  public:
    explicit SwapAfterCheck(platform::FileSystem& real) : real_(real) {}
    void ReplaceAfterCheck(fs::path file, const StandIn& standIn) {
        file_ = std::move(file);
        standIn_ = &standIn;
    }
    bool IsFile(const std::string& path) const override {
        const bool exists = real_.IsFile(path);
        if (exists && standIn_ != nullptr && path.ends_with(file_.filename().string())) {
            fs::remove(file_);
            standIn_->make(file_);
        }
        return exists;
    }
    platform::OpenedFile OpenForReading(const std::string& path) const override {
        return real_.OpenForReading(path);
    }
    std::optional<platform::FileError> Replace(const std::string& path,
                                               const platform::ContentWriter& write) override {
        return real_.Replace(path, write);
    }

  private:
    platform::FileSystem& real_;
    fs::path file_;
    const StandIn* standIn_ = nullptr;
};

const StandIn kStandIns[] = {
    {"a FIFO", [](const fs::path& file) { ::mkfifo(file.c_str(), 0666); }, "Not a regular file"},
    {"/dev/zero", [](const fs::path& file) { fs::create_symlink("/dev/zero", file); },
     "Not a regular file"},
    {"a folder", [](const fs::path& file) { fs::create_directory(file); }, "Is a directory"},
};

TEST_F(PosixFileSystemTest, SomethingPutInAUnitFilesPlaceAfterTheCheckIsAFailedReadNotAHang) {
    const auto dataFolder = temp_.Path() / "kelvo" / "psion";
    for (const StandIn& standIn : kStandIns) {
        SCOPED_TRACE(standIn.what);
        fs::remove_all(dataFolder);
        temp_.Write("kelvo/psion/autoexec.btf", "a\r\nb\r\nrem MX Version\r\nlink\r\n");
        temp_.Write("kelvo/psion/s_psion.conf", "serial1=directserial port:COM1\r\n");
        // In a child, so that a read that never ends fails the test instead of hanging it.
        const auto outcome = RunInChild(
            [&] {
                SwapAfterCheck files(files_);
                const std::string systemPath = temp_.Path().string();
                const unitfiles::DataFolder folder(files, systemPath);

                files.ReplaceAfterCheck(dataFolder / "autoexec.btf", standIn);
                const auto status = unitfiles::ReadUnitStatus(folder);
                EXPECT_TRUE(status.found);
                EXPECT_EQ(status.readerType, "");
                EXPECT_EQ(status.destination, "");

                files.ReplaceAfterCheck(dataFolder / "s_psion.conf", standIn);
                EXPECT_EQ(unitfiles::ReadCommPort(folder), "");

                fs::remove_all(dataFolder / "s_psion.conf");
                temp_.Write("kelvo/psion/s_psion.conf", "serial1=directserial port:COM1\r\n");
                files.ReplaceAfterCheck(dataFolder / "s_psion.conf", standIn);
                const auto error = unitfiles::PatchSerialPort(
                    folder, folder.DataFilePath(unitfiles::kSendConfigFile), "Com3");
                EXPECT_TRUE(error.has_value());
                if (error) {
                    EXPECT_EQ(error->reason, standIn.reason);
                }
                return ::testing::Test::HasFailure() ? 1 : 0;
            },
            std::chrono::seconds(20));
        EXPECT_TRUE(outcome.finished && outcome.exitCode == 0) << outcome.Describe();
        EXPECT_FALSE(fs::is_regular_file(dataFolder / "s_psion.conf")) << "the stand-in stays";
        EXPECT_EQ(std::distance(fs::directory_iterator(dataFolder), {}), 2);
    }
}

TEST_F(PosixFileSystemTest, OpenForReadingRefusesWhatIsNotARegularFile) {
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0666), 0);
    const auto outcome = RunInChild(
        [&] {
            for (const std::string& path : {PathOf("fifo"), std::string("/dev/zero")}) {
                SCOPED_TRACE(path);
                const auto opened = files_.OpenForReading(path);
                EXPECT_TRUE(opened.error.has_value());
                if (!opened.error) continue;
                EXPECT_EQ(opened.error->path, path);
                EXPECT_EQ(opened.error->reason, "Not a regular file");
            }
            return ::testing::Test::HasFailure() ? 1 : 0;
        },
        std::chrono::seconds(20));
    EXPECT_TRUE(outcome.finished && outcome.exitCode == 0) << outcome.Describe();
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
