#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "platform/posix/Descriptor.h"
#include "support/ChildProcess.h"
#include "support/FileSizeLimit.h"
#include "support/ForwardingFileSystem.h"
#include "support/OneFileSet.h"
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
    std::vector<std::string> NamesInFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(temp_.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
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
    EXPECT_EQ(ReplaceFile(files_, PathOf("new.bin"), kAllBytes), std::nullopt);
    EXPECT_EQ(ReadBytes(temp_.Path() / "new.bin"), kAllBytes);
    EXPECT_EQ(EntriesInFolder(), 1);
    EXPECT_EQ(ReplaceFile(files_, PathOf("empty.bin"), ""), std::nullopt);
    EXPECT_EQ(fs::file_size(temp_.Path() / "empty.bin"), 0u);
}

TEST_F(PosixFileSystemTest, ReplaceAllReplacesTheFileFoundWithoutRegardToCase) {
    temp_.Write("Sub/Name.conf", "a much longer old content");
    EXPECT_EQ(ReplaceFile(files_, PathOf("sub\\NAME.CONF"), "new"), std::nullopt);
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
        EXPECT_EQ(ReplaceFile(files_, file.string(), "new"), std::nullopt);
        EXPECT_EQ(ModeOf(file.string()), mode);
        EXPECT_EQ(ReadBytes(file), "new");
    }
}

TEST_F(PosixFileSystemTest, ReplaceAllWritesThroughASymbolicLink) {
    temp_.Write("real.txt", "old");
    fs::create_symlink("real.txt", temp_.Path() / "link.txt");
    EXPECT_EQ(ReplaceFile(files_, PathOf("link.txt"), "new"), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(temp_.Path() / "link.txt"));
    EXPECT_EQ(ReadBytes(temp_.Path() / "real.txt"), "new");
}

TEST_F(PosixFileSystemTest, AWriteThatFailsHalfWayLeavesTheOriginalAndNoTemporaryFile) {
    const auto file = temp_.Write("keep.txt", kAllBytes);
    fs::permissions(file, static_cast<fs::perms>(0640));
    std::optional<platform::FileError> error;
    {
        FileSizeLimit limit(100);
        error = ReplaceFile(files_, file.string(), std::string(5000, 'n'));
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
    const auto error = ReplaceFile(files_, PathOf("plain/inner.txt"), "x");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->path, PathOf("plain"));
    EXPECT_EQ(error->reason, "Not a directory");
    EXPECT_EQ(ReadBytes(temp_.Path() / "plain"), "not a folder");
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixFileSystemTest, AFolderIsNeverReplacedByAFile) {
    temp_.Write("target/inside.txt", "kept");
    const auto error = ReplaceFile(files_, PathOf("target"), "x");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->reason, "Is a directory");
    EXPECT_EQ(ReadBytes(temp_.Path() / "target" / "inside.txt"), "kept");
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixFileSystemTest, AMissingFolderIsReportedAndNotCreated) {
    const auto error = ReplaceFile(files_, PathOf("absent/file.txt"), "x");
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
    EXPECT_EQ(ReplaceFile(files_, file.string(), "new"), std::nullopt);
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
        // Writable, but only in place: a new file would belong to nobody.
        {"roots-writable.conf", 0, 0, 0666, nullptr},
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
            const auto error = ReplaceFile(files, PathOf(file.name), "new bytes");
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

const StandIn kStandIns[] = {
    {"a FIFO", [](const fs::path& file) { ::mkfifo(file.c_str(), 0666); }, "Not a regular file"},
    {"/dev/zero", [](const fs::path& file) { fs::create_symlink("/dev/zero", file); },
     "Not a regular file"},
    {"a folder", [](const fs::path& file) { fs::create_directory(file); }, "Is a directory"},
};

// Removes the file and puts the stand-in where it was.
void PutInPlace(const fs::path& file, const StandIn& standIn) {
    fs::remove(file);
    standIn.make(file);
}

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
                ChangeAfterExistenceCheck files(files_);
                const std::string systemPath = temp_.Path().string();
                const unitfiles::DataFolder folder(files, systemPath);

                files.AfterCheck("autoexec.btf",
                                 [&] { PutInPlace(dataFolder / "autoexec.btf", standIn); });
                const auto status = unitfiles::ReadUnitStatus(folder);
                EXPECT_TRUE(status.found);
                EXPECT_EQ(status.readerType, "");
                EXPECT_EQ(status.destination, "");

                files.AfterCheck("s_psion.conf",
                                 [&] { PutInPlace(dataFolder / "s_psion.conf", standIn); });
                EXPECT_EQ(unitfiles::ReadCommPort(folder), "");

                fs::remove_all(dataFolder / "s_psion.conf");
                temp_.Write("kelvo/psion/s_psion.conf", "serial1=directserial port:COM1\r\n");
                files.AfterCheck("s_psion.conf",
                                 [&] { PutInPlace(dataFolder / "s_psion.conf", standIn); });
                const auto error = SavePatchedPort(
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

// A process that runs until it is killed; its id names a temporary file in use.
class LiveProcess {
  public:
    LiveProcess() : pid_(::fork()) {
        if (pid_ == 0) {
            for (;;) ::pause();
        }
    }
    ~LiveProcess() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t Id() const { return pid_; }

  private:
    pid_t pid_;
};

pid_t EndedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

const posix::TemporaryFiles kTemporaryFileKinds[] = {
    posix::TemporaryFiles::UnnamedWhereSupported,
    posix::TemporaryFiles::Named,
};

TEST_F(PosixFileSystemTest, AWriteKilledHalfWayLeavesTheOriginalAndTheNextWriteNothing) {
    const std::string original(1 << 20, 'o');
    for (const auto kind : kTemporaryFileKinds) {
        SCOPED_TRACE(kind == posix::TemporaryFiles::Named ? "named" : "unnamed");
        const auto file = temp_.Write("big.conf", original);
        int halfWay[2];
        ASSERT_EQ(::pipe(halfWay), 0);
        const pid_t writer = ::fork();
        if (writer == 0) {
            posix::PosixFileSystem files(kind);
            ReplaceFile(files, file.string(), [&](platform::FileWriter& out) {
                const auto error = out.Write(std::string(8 << 20, 'n'));
                [[maybe_unused]] const auto signalled = ::write(halfWay[1], "h", 1);
                for (;;) ::pause();
                return error;
            });
            ::_exit(0);
        }
        ::close(halfWay[1]);
        pollfd wait{halfWay[0], POLLIN, 0};
        ASSERT_EQ(::poll(&wait, 1, 30000), 1) << "the writer did not get half-way";
        ::close(halfWay[0]);
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);

        EXPECT_EQ(ReadBytes(file), original);
        const std::string writersPrefix = ".big.conf." + std::to_string(writer) + "-";
        const auto names = NamesInFolder();
        if (kind == posix::TemporaryFiles::Named) {
            ASSERT_EQ(names.size(), 2u);
            EXPECT_TRUE(names[0].starts_with(writersPrefix)) << names[0];
        } else {
            EXPECT_EQ(names, std::vector<std::string>{"big.conf"});
        }

        // Beside it, the temporary file of a write that is still going on.
        const LiveProcess live;
        const std::string liveTemporary = ".big.conf." + std::to_string(live.Id()) + "-1.tmp";
        temp_.Write(liveTemporary, "in use");

        posix::PosixFileSystem files(kind);
        EXPECT_EQ(ReplaceFile(files, file.string(), "next"), std::nullopt);
        EXPECT_EQ(ReadBytes(file), "next");
        EXPECT_EQ(NamesInFolder(), (std::vector<std::string>{liveTemporary, "big.conf"}));
        fs::remove(temp_.Path() / liveTemporary);
    }
}

TEST_F(PosixFileSystemTest, AWriteRemovesOnlyLeftoversOfItsFileWhoseWriterIsGone) {
    const std::string ended = std::to_string(EndedProcessId());
    const LiveProcess live;
    const std::string running = std::to_string(live.Id());
    const auto file = temp_.Write("s_psion.conf", "old");
    std::vector<std::string> kept = {
        ".s_psion.conf." + running + "-1.tmp",  // its writer still runs
        // This process's own first name: the write takes the next one.
        ".s_psion.conf." + std::to_string(::getpid()) + "-1.tmp",
        ".r_psion.conf." + ended + "-1.tmp",   // another file's
        ".S_PSION.CONF." + ended + "-1.tmp",   // another file's, on this file system
        ".s_psion.conf." + ended + ".tmp",     // not the pattern
        ".s_psion.conf.x" + ended + "-1.tmp",  // not the pattern
        ".s_psion.conf.tmp-" + ended,          // not the pattern
        "s_psion.conf." + ended + "-1.tmp",    // not the pattern
        ".s_psion.conf." + ended + "-2.tmp",   // still held open by a writer elsewhere
        ".s_psion.conf." + ended + "-3.tmp",   // a link, not a file
        ".s_psion.conf." + ended + "-4.tmp",   // a folder
    };
    for (std::size_t i = 0; i + 3 < kept.size(); ++i) temp_.Write(kept[i], "someone's");
    temp_.Write(kept[kept.size() - 3], "someone's");
    const int held = ::open(PathOf(kept[kept.size() - 3]).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    fs::create_symlink("s_psion.conf", temp_.Path() / kept[kept.size() - 2]);
    fs::create_directory(temp_.Path() / kept.back());
    temp_.Write(".s_psion.conf." + ended + "-7.tmp", "left behind");

    // Named temporary files, as where the file system has no unnamed ones.
    posix::PosixFileSystem files(posix::TemporaryFiles::Named);
    EXPECT_EQ(ReplaceFile(files, file.string(), "new"), std::nullopt);
    ::close(held);

    kept.push_back("s_psion.conf");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(NamesInFolder(), kept);
    EXPECT_EQ(ReadBytes(file), "new");
}

TEST_F(PosixFileSystemTest, TheNewContentHasNoNameBeforeItIsMovedIntoPlace) {
    const posix::Descriptor probe(
        ::open(temp_.Path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!probe.Valid()) GTEST_SKIP() << "this file system has no unnamed files";
    const auto file = temp_.Write("autoexec.btf", "old");
    std::vector<std::string> namesWhileWriting;
    EXPECT_EQ(ReplaceFile(files_, file.string(),
                          [&](platform::FileWriter& out) {
                              namesWhileWriting = NamesInFolder();
                              return out.Write("new");
                          }),
              std::nullopt);
    EXPECT_EQ(namesWhileWriting, std::vector<std::string>{"autoexec.btf"});
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(NamesInFolder(), std::vector<std::string>{"autoexec.btf"});
}

TEST_F(PosixFileSystemTest, AnExceptionWhileWritingLeavesTheOriginalAndNoTemporaryFile) {
    for (const auto kind : kTemporaryFileKinds) {
        const auto file = temp_.Write("keep.conf", "original");
        posix::PosixFileSystem files(kind);
        EXPECT_THROW(
            ReplaceFile(files, file.string(),
                        [](platform::FileWriter& out) -> std::optional<platform::FileError> {
                            out.Write("half");
                            throw std::bad_alloc();
                        }),
            std::bad_alloc);
        EXPECT_EQ(ReadBytes(file), "original");
        EXPECT_EQ(NamesInFolder(), std::vector<std::string>{"keep.conf"});
    }
}

}  // namespace
}  // namespace psion::testing
