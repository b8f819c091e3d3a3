// A set of changes to one folder: prepared whole, then put in place; all or
// nothing across failures, kills and requests to end the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "support/ChildProcess.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kUnitFiles = {"autoexec.btf", "s_psion.conf", "r_psion.conf"};
constexpr std::size_t kChunk = 64 << 10;
constexpr int kChunksPerFile = 64;  // 4 MiB files

const posix::TemporaryFiles kKinds[] = {posix::TemporaryFiles::UnnamedWhereSupported,
                                        posix::TemporaryFiles::Named};

const char* KindName(posix::TemporaryFiles kind) {
    return kind == posix::TemporaryFiles::Named ? "named" : "unnamed";
}

// The large old content of each unit file, different for each.
std::string OldBytes(std::size_t index) {
    return std::string(kChunk * kChunksPerFile / 2, static_cast<char>('a' + index));
}

std::string NewChunk(std::size_t index) {
    return std::string(kChunk, static_cast<char>('A' + index));
}

std::string NewBytes(std::size_t index) {
    return std::string(kChunk * kChunksPerFile, static_cast<char>('A' + index));
}

class FolderChangesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        data_ = temp_.Path() / "data";
        fs::create_directory(data_);
    }
    // The old files; the receive file also has a name outside the folder, so
    // that it is rewritten in place.
    void WriteOldFiles() {
        for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
            std::ofstream(data_ / kUnitFiles[i], std::ios::binary) << OldBytes(i);
        }
        fs::remove(SecondName());
        fs::create_hard_link(data_ / kUnitFiles[2], SecondName());
    }
    fs::path SecondName() const { return data_.parent_path() / "receive-too"; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(data_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::vector<std::string> SortedUnitFiles() {
        auto names = kUnitFiles;
        std::sort(names.begin(), names.end());
        return names;
    }
    // "old", "new" or "mixed", from the bytes of the three files.
    std::string State() const {
        int old = 0;
        int fresh = 0;
        for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
            const std::string bytes = ReadBytes(data_ / kUnitFiles[i]);
            if (bytes == OldBytes(i)) ++old;
            if (bytes == NewBytes(i)) ++fresh;
        }
        if (ReadBytes(SecondName()) != ReadBytes(data_ / kUnitFiles[2])) {
            return "split";
        }
        return old == 3 ? "old" : fresh == 3 ? "new" : "mixed";
    }

    TempDir temp_;
    fs::path data_;
};

// Prepares the new content of one file in chunks, calling afterChunk(n) after
// the n-th chunk written in all.
std::optional<platform::FileError> PrepareOne(platform::FolderChanges& changes, std::size_t index,
                                              int& written,
                                              const std::function<void(int)>& afterChunk) {
    const std::string chunk = NewChunk(index);
    return changes.Prepare(kUnitFiles[index], [&](platform::FileWriter& out) {
        for (int c = 0; c < kChunksPerFile; ++c) {
            if (auto failed = out.Write(chunk)) return failed;
            afterChunk(++written);
        }
        return std::optional<platform::FileError>();
    });
}

std::optional<platform::FileError> PrepareAll(platform::FolderChanges& changes,
                                              const std::function<void(int)>& afterChunk) {
    int written = 0;
    for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
        if (auto error = PrepareOne(changes, i, written, afterChunk)) return error;
    }
    return std::nullopt;
}

std::string ReadAll(const platform::FolderChanges& changes, std::string_view name) {
    const auto opened = changes.OpenForReading(name);
    if (!opened.reader) return opened.error->Describe();
    std::string bytes;
    char buffer[1 << 16];
    while (const std::size_t got = opened.reader->Read(buffer).count) bytes.append(buffer, got);
    return bytes;
}

TEST_F(FolderChangesTest, NothingChangesUntilTheSetIsPutInPlaceInTheOrderPrepared) {
    for (const auto kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        WriteOldFiles();
        posix::PosixFileSystem files(kind);
        auto begun = files.BeginChanges(data_.string());
        ASSERT_TRUE(begun.changes) << begun.error->Describe();
        EXPECT_EQ(PrepareAll(*begun.changes, [](int) {}), std::nullopt);
        EXPECT_EQ(State(), "old");
        // The set reads its folder's files as they are, by name without regard to case.
        EXPECT_TRUE(begun.changes->IsFile("AUTOEXEC.BTF"));
        EXPECT_FALSE(begun.changes->IsFile("autoexec.bat"));
        EXPECT_EQ(ReadAll(*begun.changes, "S_psion.conf"), OldBytes(1));
        if (kind == posix::TemporaryFiles::UnnamedWhereSupported) {
            EXPECT_EQ(Names(), SortedUnitFiles());
        }
        const auto placed = begun.changes->PutInPlace();
        EXPECT_EQ(placed.error, std::nullopt);
        EXPECT_EQ(placed.placed, kUnitFiles);
        EXPECT_EQ(State(), "new");
        begun.changes.reset();
        EXPECT_EQ(Names(), SortedUnitFiles());
    }
}

TEST_F(FolderChangesTest, AFailureWhilePreparingChangesNoFile) {
    struct Failure {
        const char* what;
        std::function<std::optional<platform::FileError>(platform::FolderChanges&)> prepare;
    };
    const Failure failures[] = {
        {"a size limit the second file passes",
         [](platform::FolderChanges& changes) {
             int written = 0;
             if (auto error = PrepareOne(changes, 0, written, [](int) {})) return error;
             FileSizeLimit limit(kChunk * kChunksPerFile / 2);
             return PrepareOne(changes, 1, written, [](int) {});
         }},
        {"an exception while writing the third file",
         [](platform::FolderChanges& changes) {
             return PrepareAll(changes, [](int written) {
                 if (written == 2 * kChunksPerFile + 3) throw std::bad_alloc();
             });
         }},
    };
    for (const auto kind : kKinds) {
        for (const Failure& failure : failures) {
            SCOPED_TRACE(std::string(KindName(kind)) + ": " + failure.what);
            WriteOldFiles();
            posix::PosixFileSystem files(kind);
            auto begun = files.BeginChanges(data_.string());
            ASSERT_TRUE(begun.changes);
            std::optional<platform::FileError> error;
            try {
                error = failure.prepare(*begun.changes);
            } catch (const std::bad_alloc&) {
                error = platform::FileError{"", "out of memory"};
            }
            EXPECT_TRUE(error.has_value());
            begun.changes.reset();
            EXPECT_EQ(State(), "old");
            EXPECT_EQ(Names(), SortedUnitFiles());
        }
    }
}

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

// Waits for one byte from the pipe; false at its end or after the time limit.
bool Await(int pipe) {
    pollfd ready{pipe, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, 60000) == 1 && ::read(pipe, &byte, 1) == 1;
}

TEST_F(FolderChangesTest, ASaveKilledWhilePreparingLeavesTheOldFilesAndNoTemporaryFile) {
    const int total = 3 * kChunksPerFile;
    const int killPoints[] = {1,
                              2,
                              kChunksPerFile - 1,
                              kChunksPerFile,
                              kChunksPerFile + 1,
                              2 * kChunksPerFile - 7,
                              2 * kChunksPerFile + 1,
                              total - 1,
                              total};
    for (const auto kind : kKinds) {
        for (const int point : killPoints) {
            SCOPED_TRACE(std::string(KindName(kind)) + ", after chunk " + std::to_string(point));
            WriteOldFiles();
            int reached[2];
            ASSERT_EQ(::pipe(reached), 0);
            const pid_t saver = ::fork();
            if (saver == 0) {
                posix::PosixFileSystem files(kind);
                auto begun = files.BeginChanges(data_.string());
                const auto stop = [&] {
                    [[maybe_unused]] const auto told = ::write(reached[1], "k", 1);
                    for (;;) ::pause();
                };
                PrepareAll(*begun.changes, [&](int written) {
                    if (written == point && point < total) stop();
                });
                stop();  // every file prepared, none put in place
            }
            ::close(reached[1]);
            const bool stopped = Await(reached[0]);
            ::close(reached[0]);
            ::kill(saver, SIGKILL);
            ::waitpid(saver, nullptr, 0);
            ASSERT_TRUE(stopped);

            EXPECT_EQ(State(), "old");
            if (kind == posix::TemporaryFiles::Named) {
                // What a kill leaves, the next Save removes.
                posix::PosixFileSystem files(kind);
                auto begun = files.BeginChanges(data_.string());
                ASSERT_TRUE(begun.changes);
                EXPECT_EQ(PrepareAll(*begun.changes, [](int) {}), std::nullopt);
                EXPECT_EQ(begun.changes->PutInPlace().error, std::nullopt);
                EXPECT_EQ(State(), "new");
            }
            EXPECT_EQ(Names(), SortedUnitFiles());
        }
    }
}

TEST_F(FolderChangesTest, RequestsToEndArriveOnlyOnceEveryFileIsInPlace) {
    const int signals[] = {SIGTERM, SIGHUP, SIGINT};
    // How long putting the files in place takes here, only to spread the points.
    std::chrono::nanoseconds placing{};
    constexpr int kRounds = 16;
    std::vector<std::string> outcomes;
    for (int round = -1; round < kRounds; ++round) {
        const int signal = signals[(round + 3) % 3];
        SCOPED_TRACE("round " + std::to_string(round) + ", signal " + std::to_string(signal));
        WriteOldFiles();
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t saver = ::fork();
        if (saver == 0) {
            for (const int s : signals) ::signal(s, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            posix::PosixFileSystem files;
            auto begun = files.BeginChanges(data_.string());
            if (!begun.changes || PrepareAll(*begun.changes, [](int) {})) ::_exit(3);
            [[maybe_unused]] auto told = ::write(progress[1], "p", 1);
            const auto placed = begun.changes->PutInPlace();
            told = ::write(progress[1], placed.error ? "e" : "d", 1);
            for (;;) ::pause();
        }
        ::close(progress[1]);
        ASSERT_TRUE(Await(progress[0]));
        const auto start = std::chrono::steady_clock::now();
        if (round < 0) {
            EXPECT_TRUE(Await(progress[0]));
            placing = std::chrono::steady_clock::now() - start;
        } else {
            const auto wait = placing * round / (kRounds - 4);
            while (std::chrono::steady_clock::now() - start < wait) {
            }
        }
        ::kill(saver, round < 0 ? SIGKILL : signal);
        int status = 0;
        ::waitpid(saver, &status, 0);
        ::close(progress[0]);
        if (round >= 0) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        }
        const std::string state = State();
        EXPECT_TRUE(state == "old" || state == "new") << state;
        EXPECT_EQ(Names(), SortedUnitFiles());
        outcomes.push_back(state);
    }
    // The points spread over the whole Save: some before it, most during or after.
    EXPECT_NE(std::count(outcomes.begin(), outcomes.end(), "new"), 0);
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
        EXPECT_EQ(files.ReplaceAll(file, "old"), std::nullopt);
        EXPECT_EQ(files.ReplaceAll(file, "new"), std::nullopt);
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
        EXPECT_EQ(files.ReplaceAll(file.string(), "new"), std::nullopt);
        EXPECT_EQ(ReadBytes(file), "new");
        fs::resize_file(file, 0);
        EXPECT_EQ(Names(), std::vector<std::string>{file.filename().string()});
    }
}

}  // namespace
}  // namespace psion::testing
