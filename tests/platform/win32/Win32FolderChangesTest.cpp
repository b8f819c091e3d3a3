#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/Win32FileSystem.h"
#include "support/NativePlatform.h"
#include "support/OneFileSet.h"
#include "support/TempDir.h"
#include "support/win32/OtherProcess.h"
#include "support/win32/Win32DataFolderFixture.h"

namespace psion::testing {
namespace {

using platform::FileError;
using platform::FileWriter;

// The changes of one Save: the three unit files of a data folder.
class Win32FolderChangesTest : public Win32DataFolderTest {
  protected:
    static platform::ContentWriter Writes(std::string bytes) {
        return [bytes](FileWriter& file) { return file.Write(bytes); };
    }

    std::string folderPath_ = AsSystemPath(temp_.Path()) + "\\kelvo\\psion";
};

const std::vector<std::string> kUnitFiles = {"autoexec.btf", "r_psion.conf", "s_psion.conf"};

// The logic may spell a name in another letter case than the disk has it; on
// a file system that keeps case (Wine's), the file keeps its own.
TEST_F(Win32FolderChangesTest, ASaveUnderAnotherSpellingKeepsTheFilesOwnName) {
    WriteDataFile("autoexec.btf", "old");

    EXPECT_FALSE(
        ReplaceFile(files_, AsSystemPath(temp_.Path()) + "\\KELVO\\.\\Psion\\AUTOEXEC.BTF", "new"));

    EXPECT_EQ(DataFolderNames(), std::vector<std::string>{"autoexec.btf"});
    EXPECT_EQ(ReadBytes(DataFile("autoexec.btf")), "new");
}

// Another program that holds the second file without sharing it keeps it as
// it was; the first is in place, the third was never touched.
TEST_F(Win32FolderChangesTest, PuttingInPlaceStopsAtTheFirstFileThatFails) {
    for (const char* file : {"autoexec.btf", "r_psion.conf", "s_psion.conf"}) {
        WriteDataFile(file, "old");
    }
    auto begun = files_.BeginChanges(folderPath_);
    ASSERT_TRUE(begun.changes);
    for (const char* file : {"autoexec.btf", "s_psion.conf", "r_psion.conf"}) {
        ASSERT_FALSE(begun.changes->Prepare(file, Writes("new")));
    }
    HANDLE holder = CreateFileW(DataFile("s_psion.conf").wstring().c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const auto placed = begun.changes->PutInPlace();
    CloseHandle(holder);
    begun.changes.reset();

    EXPECT_EQ(placed.placed, std::vector<std::string>{"autoexec.btf"});
    ASSERT_TRUE(placed.error);
    EXPECT_EQ(placed.error->path, folderPath_ + "\\s_psion.conf");
    EXPECT_EQ(ReadBytes(DataFile("autoexec.btf")), "new");
    EXPECT_EQ(ReadBytes(DataFile("s_psion.conf")), "old");
    EXPECT_EQ(ReadBytes(DataFile("r_psion.conf")), "old");
    EXPECT_EQ(DataFolderNames(), kUnitFiles);
}

// The folder is renamed, and another put in its place, while a set holds it:
// nothing reaches either folder.
TEST_F(Win32FolderChangesTest, AFolderMovedDuringTheSetGetsNoneOfIt) {
    const std::filesystem::path moved = temp_.Path() / "kelvo" / "moved";
    for (bool beforePreparing : {true, false}) {
        SCOPED_TRACE(beforePreparing ? "moved before preparing" : "moved before putting in place");
        WriteDataFile("autoexec.btf", "old");
        auto begun = files_.BeginChanges(folderPath_);
        ASSERT_TRUE(begun.changes);
        const auto move = [&] {
            ASSERT_TRUE(MoveFileW(Folder().wstring().c_str(), moved.wstring().c_str()));
            std::filesystem::create_directories(Folder());
            WriteDataFile("autoexec.btf", "planted");
        };
        if (beforePreparing) move();
        const auto prepared = begun.changes->Prepare("autoexec.btf", Writes("new"));
        if (!beforePreparing) {
            ASSERT_FALSE(prepared);
            move();
        }
        const auto placed = begun.changes->PutInPlace();
        begun.changes.reset();

        EXPECT_TRUE(prepared || placed.error);
        EXPECT_TRUE(placed.placed.empty());
        EXPECT_EQ(ReadBytes(moved / "autoexec.btf"), "old");
        EXPECT_EQ(ReadBytes(DataFile("autoexec.btf")), "planted");
        EXPECT_EQ(DataFolderNames(), std::vector<std::string>{"autoexec.btf"});
        // Wine deletes a dropped temporary file by the path it was created at,
        // which the move changed; the next Save in the moved folder sweeps it.
        EXPECT_FALSE(ReplaceFile(files_, AsSystemPath(moved / "autoexec.btf"), "next"));
        EXPECT_EQ(SortedNames(moved), std::vector<std::string>{"autoexec.btf"});
        std::filesystem::remove_all(moved);
    }
}

// A program that does not take the lock replaced the file after it was
// prepared: its file is left as it made it.
TEST_F(Win32FolderChangesTest, AFileReplacedAfterPreparingIsLeftAsTheOtherProgramMadeIt) {
    WriteDataFile("autoexec.btf", "old");
    WriteDataFile("s_psion.conf", "old");
    auto begun = files_.BeginChanges(folderPath_);
    ASSERT_TRUE(begun.changes);
    ASSERT_FALSE(begun.changes->Prepare("autoexec.btf", Writes("new")));
    ASSERT_FALSE(begun.changes->Prepare("s_psion.conf", Writes("new")));
    const auto other = temp_.Write("kelvo/other", "the other program's");
    ASSERT_TRUE(MoveFileExW(other.wstring().c_str(), DataFile("s_psion.conf").wstring().c_str(),
                            MOVEFILE_REPLACE_EXISTING));

    const auto placed = begun.changes->PutInPlace();
    begun.changes.reset();

    EXPECT_EQ(placed.placed, std::vector<std::string>{"autoexec.btf"});
    ASSERT_TRUE(placed.error);
    EXPECT_EQ(placed.error->path, folderPath_ + "\\s_psion.conf");
    EXPECT_EQ(ReadBytes(DataFile("s_psion.conf")), "the other program's");
    EXPECT_EQ(DataFolderNames(), (std::vector<std::string>{"autoexec.btf", "s_psion.conf"}));
}

// Any spelling of the folder takes the one lock: a set begun by another
// spelling in another thread waits until the first set is dropped.
TEST_F(Win32FolderChangesTest, EverySpellingOfTheFolderWaitsForTheSameSet) {
    auto begun = files_.BeginChanges(folderPath_);
    ASSERT_TRUE(begun.changes);
    struct Waiter {
        std::string path;
        win32::Win32FileSystem* files;
        HANDLE taken;
    } waiter{AsSystemPath(temp_.Path()) + "\\KELVO\\.\\Psion\\", &files_,
             CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* argument) -> DWORD {
            auto* waiter = static_cast<Waiter*>(argument);
            auto other = waiter->files->BeginChanges(waiter->path);
            SetEvent(waiter->taken);
            return other.changes ? 0 : 1;
        },
        &waiter, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // The other set is still waiting after the first has been prepared and placed.
    EXPECT_FALSE(begun.changes->Prepare("autoexec.btf", Writes("new")));
    EXPECT_FALSE(begun.changes->PutInPlace().error);
    EXPECT_EQ(WaitForSingleObject(waiter.taken, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    begun.changes.reset();
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(thread);
    CloseHandle(waiter.taken);
}

}  // namespace
}  // namespace psion::testing
