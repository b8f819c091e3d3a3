#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/Win32FileSystem.h"
#include "support/NativePlatform.h"
#include "support/win32/OtherProcess.h"
#include "support/win32/Win32DataFolderFixture.h"

namespace psion::testing {
namespace {

using platform::FileError;
using platform::FileWriter;

constexpr const char* kChildTest = "Win32KilledSaveChild.DISABLED_PreparesAndWaitsToBeKilled";

// Run as a child program: begins a set on the data folder named by its
// argument and stops in the middle of writing the new s_psion.conf, once it
// has said so by creating "writing" beside the data folder.
TEST(Win32KilledSaveChild, DISABLED_PreparesAndWaitsToBeKilled) {
    const char* argument = std::getenv("PSION_CHILD_ARGUMENT");
    ASSERT_NE(argument, nullptr);
    const std::filesystem::path folder(argument);
    win32::Win32FileSystem files;
    auto begun = files.BeginChanges(AsSystemPath(folder));
    ASSERT_TRUE(begun.changes);
    begun.changes->Prepare("autoexec.btf", [](FileWriter& file) { return file.Write("new"); });
    begun.changes->Prepare("s_psion.conf", [&](FileWriter& file) {
        file.Write(std::string(1 << 20, 'n'));
        std::ofstream(folder.parent_path() / "writing") << "writing";
        Sleep(INFINITE);
        return std::optional<FileError>();
    });
}

class Win32KilledSaveTest : public Win32DataFolderTest {};

// Killed while preparing: Windows deletes the temporary files as the killed
// program's handles close, and the lock it held passes on.
TEST_F(Win32KilledSaveTest, ASaveKilledWhilePreparingLeavesTheOldFilesAndNothingElse) {
    WriteDataFile("autoexec.btf", "old batch");
    WriteDataFile("s_psion.conf", "old send");
    ChildTestProgram child(kChildTest, Folder().string());
    ASSERT_TRUE(child.WaitForFile(temp_.Path() / "kelvo" / "writing"));
    const auto whileWriting = DataFolderNames();
    child.Kill();

    EXPECT_EQ(whileWriting.size(), 4u);  // both temporary files were there
    EXPECT_EQ(DataFolderNames(), (std::vector<std::string>{"autoexec.btf", "s_psion.conf"}));
    EXPECT_EQ(ReadBytes(DataFile("autoexec.btf")), "old batch");
    EXPECT_EQ(ReadBytes(DataFile("s_psion.conf")), "old send");
    EXPECT_FALSE(Save("s_psion.conf", "next send"));
    EXPECT_EQ(ReadBytes(DataFile("s_psion.conf")), "next send");
}

// A leftover that nothing holds open any more is removed, whatever process
// id its name carries: under Wine every program may have the same one, so
// even this running program's id says nothing.
TEST_F(Win32KilledSaveTest, TheNextSaveRemovesLeftoversThatNothingHoldsAndKeepsALiveWritersFile) {
    const std::string ownId = std::to_string(GetCurrentProcessId());
    WriteDataFile("autoexec.btf", "old\r\n");
    const std::vector<std::string> kept = {
        "~s_psion.conf." + ownId + "-1.tmp",   // another file's
        "~autoexec.btf.x" + ownId + "-1.tmp",  // not the pattern
        "~autoexec.btf." + ownId + ".tmp",     // not the pattern
        "autoexec.btf." + ownId + "-1.tmp",    // not the pattern
    };
    for (const auto& name : kept) WriteDataFile(name, "someone's");
    WriteDataFile("~autoexec.btf." + ownId + "-7.tmp", "left behind");
    WriteDataFile("~AUTOEXEC.BTF.32-8.TMP", "left behind");
    const std::string live = "~autoexec.btf.32-1.tmp";
    WriteDataFile(live, "being written");
    ProcessHoldingFile writer(DataFile(live));
    ASSERT_TRUE(writer.Started());

    // The live name may be the very name this process tries first; it takes the next one.
    const auto error = Save("autoexec.btf", "new\r\n");
    EXPECT_FALSE(error) << error->Describe();

    std::vector<std::string> expected = kept;
    expected.push_back("autoexec.btf");
    expected.push_back(live);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(DataFolderNames(), expected);
    for (const auto& name : kept) EXPECT_EQ(ReadBytes(DataFile(name)), "someone's");
    EXPECT_EQ(ReadBytes(DataFile(live)), "being written");
    EXPECT_EQ(ReadBytes(DataFile("autoexec.btf")), "new\r\n");

    // Once its writer has been killed, the next Save removes it.
    writer.Kill();
    EXPECT_FALSE(Save("autoexec.btf", "newer\r\n"));
    expected.erase(std::find(expected.begin(), expected.end(), live));
    EXPECT_EQ(DataFolderNames(), expected);
}

// While the file itself is missing, a leftover may hold its only copy.
TEST_F(Win32KilledSaveTest, NoLeftoverIsRemovedWhileItsFileIsMissing) {
    WriteDataFile("~r_psion.conf.32-3.tmp", "the only copy");

    EXPECT_FALSE(Save("r_psion.conf", "created"));

    EXPECT_EQ(DataFolderNames(),
              (std::vector<std::string>{"r_psion.conf", "~r_psion.conf.32-3.tmp"}));
    EXPECT_FALSE(Save("r_psion.conf", "again"));
    EXPECT_EQ(DataFolderNames(), std::vector<std::string>{"r_psion.conf"});
}

}  // namespace
}  // namespace psion::testing
