// What a set of folder changes promises, held by the file layer of the system
// the tests run on: nothing changes until the set is put in place, and a set
// that fails or is dropped while preparing leaves every file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"
#ifndef _WIN32
#include "platform/posix/PosixFileSystem.h"
#include "support/FileSizeLimit.h"
#endif

namespace psion::testing {
namespace {

namespace fs = std::filesystem;
using platform::FileError;
using platform::FolderChanges;

// In the order a Save prepares them.
const std::vector<std::string> kUnitFiles = {"autoexec.btf", "s_psion.conf", "r_psion.conf"};
constexpr std::size_t kChunk = 64 << 10;
constexpr int kChunksPerFile = 16;

std::string OldBytes(std::size_t index) {
    return std::string(kChunk * kChunksPerFile / 2, static_cast<char>('a' + index));
}
std::string NewBytes(std::size_t index) {
    return std::string(kChunk * kChunksPerFile, static_cast<char>('A' + index));
}

struct Layer {
    const char* name;
    std::function<std::unique_ptr<platform::FileSystem>()> make;
};

#ifdef _WIN32
const Layer kLayers[] = {{"Win32", [] { return MakeNativeFileSystem(); }}};
#else
const Layer kLayers[] = {
    {"unnamed temporary files",
     [] {
         return std::make_unique<posix::PosixFileSystem>(
             posix::TemporaryFiles::UnnamedWhereSupported);
     }},
    {"named temporary files",
     [] { return std::make_unique<posix::PosixFileSystem>(posix::TemporaryFiles::Named); }},
};
#endif

// The send and receive files exist, the receive file with a second name
// outside the folder, so that it is rewritten in place; the unit batch file is
// missing, so that the set creates it.
class FolderChangesContract : public ::testing::Test {
  protected:
    void WriteOldFiles() {
        fs::remove_all(temp_.Path() / "kelvo");
        fs::remove(temp_.Path() / "receive-too");
        fs::create_directories(Folder());
        for (std::size_t i = 1; i < kUnitFiles.size(); ++i) {
            temp_.Write("kelvo/psion/" + kUnitFiles[i], OldBytes(i));
        }
        fs::create_hard_link(Folder() / kUnitFiles[2], temp_.Path() / "receive-too");
    }

    fs::path Folder() const { return temp_.Path() / "kelvo" / "psion"; }
    std::vector<std::string> Names() const { return SortedNames(Folder()); }
    // "old" or "new" when every file, and the receive file's second name, is.
    std::string State() const {
        int old = 0;
        int fresh = 0;
        for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
            const fs::path file = Folder() / kUnitFiles[i];
            if (i == 0 && !fs::exists(file)) ++old;
            if (!fs::exists(file)) continue;
            const std::string bytes = ReadBytes(file);
            if (bytes == OldBytes(i)) ++old;
            if (bytes == NewBytes(i)) ++fresh;
        }
        if (ReadBytes(temp_.Path() / "receive-too") != ReadBytes(Folder() / kUnitFiles[2])) {
            return "split";
        }
        return old == 3 ? "old" : fresh == 3 ? "new" : "mixed";
    }
    platform::BegunChanges Begin(platform::FileSystem& files) {
        return files.BeginChanges(folderPath_);
    }

    TempDir temp_;
    std::string folderPath_ = AsSystemPath(temp_.Path()) + "\\kelvo\\psion";
};

// Prepares the new content of the file in chunks, calling afterChunk(n) after the n-th.
std::optional<FileError> Prepare(
    FolderChanges& changes, std::size_t index,
    const std::function<void(int)>& afterChunk = [](int) {}) {
    const std::string chunk(kChunk, static_cast<char>('A' + index));
    return changes.Prepare(kUnitFiles[index], [&](platform::FileWriter& out) {
        for (int c = 1; c <= kChunksPerFile; ++c) {
            if (auto failed = out.Write(chunk)) return failed;
            afterChunk(c);
        }
        return std::optional<FileError>();
    });
}

std::string ReadAll(const FolderChanges& changes, std::string_view name) {
    const auto opened = changes.OpenForReading(name);
    if (!opened.reader) return opened.error->Describe();
    std::string bytes;
    char buffer[1 << 16];
    while (const std::size_t got = opened.reader->Read(buffer).count) bytes.append(buffer, got);
    return bytes;
}

TEST_F(FolderChangesContract, NothingChangesUntilTheSetIsPutInPlaceThenAllInTheOrderPrepared) {
    for (const Layer& layer : kLayers) {
        SCOPED_TRACE(layer.name);
        WriteOldFiles();
        const auto files = layer.make();
        auto begun = Begin(*files);
        ASSERT_TRUE(begun.changes) << begun.error->Describe();
        for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
            EXPECT_EQ(Prepare(*begun.changes, i), std::nullopt);
        }
        EXPECT_EQ(State(), "old");
        // The set reads its folder's files as they are, by name without regard to case.
        EXPECT_TRUE(begun.changes->IsFile("S_PSION.CONF"));
        EXPECT_FALSE(begun.changes->IsFile("autoexec.btf"));
        EXPECT_EQ(ReadAll(*begun.changes, "R_psion.conf"), OldBytes(2));

        const auto placed = begun.changes->PutInPlace();
        EXPECT_EQ(placed.error, std::nullopt);
        EXPECT_EQ(placed.placed, kUnitFiles);
        EXPECT_EQ(State(), "new");
        begun.changes.reset();
        EXPECT_EQ(Names(),
                  (std::vector<std::string>{"autoexec.btf", "r_psion.conf", "s_psion.conf"}));
    }
}

TEST_F(FolderChangesContract, AFailureWhilePreparingOrADroppedSetChangesNoFile) {
    struct Failure {
        const char* what;
        std::function<std::optional<FileError>(FolderChanges&)> prepare;
    };
    const std::vector<Failure> failures = {
        {"a set dropped once every file is prepared",
         [](FolderChanges& changes) {
             for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
                 if (auto error = Prepare(changes, i)) return error;
             }
             return std::optional<FileError>(FileError{"", "dropped"});
         }},
        {"an error from the writer of the second file",
         [](FolderChanges& changes) {
             if (auto error = Prepare(changes, 0)) return error;
             return changes.Prepare(kUnitFiles[1], [](platform::FileWriter& out) {
                 out.Write("half");
                 return std::optional<FileError>(FileError{"s_psion.conf", "No space"});
             });
         }},
        {"an exception while writing the third file, rewritten in place",
         [](FolderChanges& changes) {
             if (auto error = Prepare(changes, 0)) return error;
             if (auto error = Prepare(changes, 1)) return error;
             return Prepare(changes, 2, [](int chunk) {
                 if (chunk == 3) throw std::bad_alloc();
             });
         }},
#ifndef _WIN32
        {"a size limit the second file passes",
         [](FolderChanges& changes) {
             if (auto error = Prepare(changes, 0)) return error;
             FileSizeLimit limit(kChunk * kChunksPerFile / 2);
             return Prepare(changes, 1);
         }},
#endif
    };
    for (const Layer& layer : kLayers) {
        for (const Failure& failure : failures) {
            SCOPED_TRACE(std::string(layer.name) + ": " + failure.what);
            WriteOldFiles();
            {
                const auto files = layer.make();
                auto begun = Begin(*files);
                ASSERT_TRUE(begun.changes);
                std::optional<FileError> error;
                try {
                    error = failure.prepare(*begun.changes);
                } catch (const std::bad_alloc&) {
                    error = FileError{"", "out of memory"};
                }
                EXPECT_TRUE(error.has_value());
            }
            EXPECT_EQ(State(), "old");
            EXPECT_EQ(Names(), (std::vector<std::string>{"r_psion.conf", "s_psion.conf"}));
        }
    }
}

}  // namespace
}  // namespace psion::testing
