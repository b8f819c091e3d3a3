#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Text.h"
#include "support/NativePlatform.h"
#include "support/OneFileSet.h"
#include "support/ProbedFileSystem.h"
#include "support/TempDir.h"
#include "support/win32/Win32DataFolderFixture.h"
#include "unitfiles/DataFolder.h"
#include "unitfiles/SerialConfigFile.h"

namespace psion::testing {
namespace {

class Win32FileSystemTest : public Win32DataFolderTest {
  protected:
    std::string systemPath_ = AsSystemPath(temp_.Path());
    unitfiles::DataFolder folder_{files_, systemPath_};
};

TEST_F(Win32FileSystemTest, FindsAFileUnderAnotherLetterCase) {
    WriteDataFile("startsend.bat", "@echo off\r\n");

    EXPECT_TRUE(folder_.FileExists(folder_.DataFilePath("startsend.BAT")));
    EXPECT_TRUE(files_.IsFile(systemPath_ + "\\KELVO\\Psion\\STARTSEND.bat"));
    const auto read = ReadThrough(files_, folder_.DataFilePath("STARTSEND.BAT"));
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.bytes, "@echo off\r\n");
}

TEST_F(Win32FileSystemTest, ReportsNeitherAFolderNorAMissingFileAsAFile) {
    EXPECT_FALSE(files_.IsFile(systemPath_ + "\\kelvo\\psion"));
    EXPECT_FALSE(files_.IsFile(folder_.DataFilePath("autoexec.btf")));

    const auto read = ReadThrough(files_, folder_.DataFilePath("autoexec.btf"));
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->path, folder_.DataFilePath("autoexec.btf"));
    EXPECT_FALSE(read.error->reason.empty());
}

TEST_F(Win32FileSystemTest, KeepsBytesAbove127UnchangedWhenPatching) {
    const std::string before =
        "; caf\xE9 \xFC\xF1\xA9\r\n"
        "serial1=directserial port:COM1 \xB0\xFF\r\n"
        "\x80\x9F\r\n";
    WriteDataFile("s_psion.conf", before);

    const auto error = SavePatchedPort(folder_, folder_.DataFilePath("s_psion.conf"), "Com3");

    EXPECT_FALSE(error);
    EXPECT_EQ(ReadBytes(DataFile("s_psion.conf")),
              "; caf\xE9 \xFC\xF1\xA9\r\n"
              "serial1=directserial port:COM3 \xB0\xFF\r\n"
              "\x80\x9F\r\n");
}

TEST_F(Win32FileSystemTest, ReplacesAFileWholeAndLeavesNoTemporaryFile) {
    WriteDataFile("autoexec.btf", std::string(10000, 'x'));

    EXPECT_FALSE(ReplaceFile(files_, folder_.DataFilePath("autoexec.btf"), "new\r\n"));
    EXPECT_EQ(ReadBytes(DataFile("autoexec.btf")), "new\r\n");
    EXPECT_EQ(DataFolderNames(), std::vector<std::string>{"autoexec.btf"});

    EXPECT_FALSE(ReplaceFile(files_, folder_.DataFilePath("r_psion.conf"), "created\r\n"));
    EXPECT_EQ(ReadBytes(DataFile("r_psion.conf")), "created\r\n");
}

TEST_F(Win32FileSystemTest, FailedReplaceLeavesTheOriginalWhole) {
    const std::string original = "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\n";
    const auto file = WriteDataFile("autoexec.btf", original);
    // Another program holds the file open and does not let it be replaced.
    HANDLE holder =
        CreateFileW(file.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const auto error = ReplaceFile(files_, folder_.DataFilePath("autoexec.btf"), "pdc\r\n");
    CloseHandle(holder);

    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, folder_.DataFilePath("autoexec.btf"));
    EXPECT_FALSE(error->reason.empty());
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_EQ(DataFolderNames(), std::vector<std::string>{"autoexec.btf"});
}

TEST_F(Win32FileSystemTest, FailedCreateInAMissingFolderLeavesNothing) {
    const std::string folder = systemPath_ + "\\kelvo\\missing";

    const auto error = ReplaceFile(files_, folder + "\\autoexec.btf", "pdc\r\n");

    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, folder);
    EXPECT_FALSE(error->reason.empty());
    EXPECT_FALSE(std::filesystem::exists(temp_.Path() / "kelvo" / "missing"));
}

TEST_F(Win32FileSystemTest, KeepsTheHiddenAttributeOfAReplacedFile) {
    const auto file = WriteDataFile("s_psion.conf", "old\r\n");
    ASSERT_TRUE(SetFileAttributesW(file.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN));

    EXPECT_FALSE(ReplaceFile(files_, folder_.DataFilePath("s_psion.conf"), "new\r\n"));

    EXPECT_EQ(ReadBytes(file), "new\r\n");
    EXPECT_NE(GetFileAttributesW(file.wstring().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Win32FileSystemTest, RefusesToReadADeviceInAFilesPlace) {
    for (const char* device : {"NUL", "\\\\.\\NUL"}) {
        SCOPED_TRACE(device);
        const auto opened = files_.OpenForReading(device);
        ASSERT_TRUE(opened.error);
        EXPECT_EQ(opened.error->reason, "Not a regular file");
    }
}

}  // namespace
}  // namespace psion::testing
