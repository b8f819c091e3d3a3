#include "platform/posix/PathMapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/posix/ScopedEnv.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"

namespace psion::testing {
namespace {

using posix::MapToNativePath;

std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The working folder as the program started, before any test could change it.
const std::filesystem::path startFolder = std::filesystem::current_path();

class PathMappingTest : public ::testing::Test {
  protected:
    TempDir temp_;
    std::string root_ = temp_.Path().string();
};

// A Wine prefix in the temporary folder whose drive C: holds what the test writes.
class WineDriveTest : public PathMappingTest {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(temp_.Path() / "drive_c");
        std::filesystem::create_directories(temp_.Path() / "dosdevices");
        std::filesystem::create_directory_symlink("../drive_c", temp_.Path() / "dosdevices" / "c:");
    }
    const std::string driveC_ = root_ + "/dosdevices/c:";
    const ScopedEnv prefix_{"WINEPREFIX", root_};
};

TEST_F(PathMappingTest, AbsolutePosixHomeDriveIsUsedAsItIs) {
    temp_.Write("kelvo/psion/autoexec.btf", "x");
    const std::string systemPath = AsSystemPath(temp_.Path());
    EXPECT_EQ(MapToNativePath(systemPath + "\\kelvo\\psion\\autoexec.btf"),
              root_ + "/kelvo/psion/autoexec.btf");
}

TEST_F(PathMappingTest, ComponentsMatchWithoutRegardToLetterCase) {
    temp_.Write("Kelvo/psion/startsend.bat", "x");
    EXPECT_EQ(MapToNativePath(root_ + "\\kelvo\\PSION\\startsend.BAT"),
              root_ + "/Kelvo/psion/startsend.bat");
}

TEST_F(PathMappingTest, AnExactMatchWinsOverOneThatDiffersInCase) {
    temp_.Write("data.txt", "lower");
    temp_.Write("Data.txt", "mixed");
    EXPECT_EQ(MapToNativePath(root_ + "\\data.txt"), root_ + "/data.txt");
    EXPECT_EQ(MapToNativePath(root_ + "\\Data.txt"), root_ + "/Data.txt");
    // With no exact match, the choice among several is the same every time.
    const auto chosen = MapToNativePath(root_ + "\\DATA.TXT");
    EXPECT_EQ(chosen, root_ + "/Data.txt");
}

TEST_F(PathMappingTest, ANameThatMatchesNothingIsKeptAsWritten) {
    temp_.Write("kelvo/psion/x", "x");
    EXPECT_EQ(MapToNativePath(root_ + "\\KELVO\\Psion\\New File.TXT"),
              root_ + "/kelvo/psion/New File.TXT");
    EXPECT_EQ(MapToNativePath(root_ + "\\Missing\\Kelvo\\File.TXT"),
              root_ + "/Missing/Kelvo/File.TXT");
}

TEST_F(PathMappingTest, RepeatedSeparatorsAndSlashesSeparateComponents) {
    temp_.Write("a/b/c.txt", "x");
    EXPECT_EQ(MapToNativePath(root_ + "\\\\A/B\\\\C.TXT"), root_ + "/a/b/c.txt");
}

TEST_F(PathMappingTest, DriveLetterGoesThroughTheWinePrefix) {
    temp_.Write("drive_c/Program Files (x86)/Kelvo/Psion/autoexec.btf", "x");
    std::filesystem::create_directories(temp_.Path() / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", temp_.Path() / "dosdevices" / "c:");
    const ScopedEnv prefix("WINEPREFIX", root_);

    const std::string expected =
        root_ + "/dosdevices/c:/Program Files (x86)/Kelvo/Psion/autoexec.btf";
    EXPECT_EQ(MapToNativePath("C:\\program files (x86)\\kelvo\\psion\\autoexec.btf"), expected);
    EXPECT_EQ(MapToNativePath("c:\\PROGRAM FILES (X86)\\KELVO\\PSION\\AUTOEXEC.BTF"), expected);
    EXPECT_TRUE(
        MakeNativeFileSystem()->IsFile("C:\\program files (x86)\\kelvo\\psion\\AUTOEXEC.btf"));
    // A drive the prefix does not hold maps all the same, to nothing that exists.
    EXPECT_EQ(MapToNativePath("D:\\x"), root_ + "/dosdevices/d:/x");
    EXPECT_FALSE(MakeNativeFileSystem()->IsFile("D:\\x"));
}

TEST_F(PathMappingTest, WinePrefixDefaultsToDotWineInTheHomeFolder) {
    const ScopedEnv prefix("WINEPREFIX", std::nullopt);
    const ScopedEnv home("HOME", root_);
    EXPECT_EQ(MapToNativePath("E:\\program files"), root_ + "/.wine/dosdevices/e:/program files");
}

TEST_F(WineDriveTest, APathWithoutDriveLiesOnDriveC) {
    temp_.Write("drive_c/Program Files (x86)/Kelvo/Psion/autoexec.btf", "x");
    // The main window's path when HOMEDRIVE is not set.
    EXPECT_EQ(MapToNativePath("\\program files (x86)\\kelvo\\psion\\autoexec.btf"),
              driveC_ + "/Program Files (x86)/Kelvo/Psion/autoexec.btf");
    EXPECT_TRUE(
        MakeNativeFileSystem()->IsFile("\\program files (x86)\\kelvo\\psion\\autoexec.btf"));
    // Windows paths without a drive, with and without a leading separator.
    temp_.Write("drive_c" + root_ + "/a/b.txt", "x");
    EXPECT_EQ(MapToNativePath(WithBackslashes(root_) + "\\A\\b.txt"), driveC_ + root_ + "/a/b.txt");
    EXPECT_EQ(MapToNativePath(WithBackslashes(root_).substr(1) + "\\a\\B.TXT"),
              driveC_ + root_ + "/a/b.txt");
    // A home drive that is neither a drive letter nor a POSIX folder.
    EXPECT_EQ(MapToNativePath("units\\a\\program files"), driveC_ + "/units/a/program files");
    EXPECT_EQ(MapToNativePath("\\"), driveC_);
    EXPECT_EQ(MapToNativePath(""), driveC_);
}

// The kind of path decides how its scripts run: under Wine with the prefix
// that holds its drive, or with /bin/sh in a POSIX home drive.
TEST_F(WineDriveTest, APathOnAWineDriveCarriesItsPrefixAndAPosixOneNone) {
    temp_.Write("drive_c/kelvo/psion/startget.BAT", "x");
    const ScopedEnv home("HOME", "/nonexistent-home");
    for (const std::string path : {"C:\\kelvo\\psion\\startget.BAT", "\\kelvo\\psion\\startget.BAT",
                                   "c:kelvo\\psion\\startget.BAT"}) {
        SCOPED_TRACE(path);
        const posix::NativeLocation location = posix::MapToNative(path);
        EXPECT_TRUE(location.OnWineDrive());
        EXPECT_EQ(location.winePrefix, root_);
        EXPECT_EQ(location.path, MapToNativePath(path));
    }
    {
        const ScopedEnv defaultPrefix("WINEPREFIX", std::nullopt);
        EXPECT_EQ(posix::MapToNative("C:\\x.bat").winePrefix, "/nonexistent-home/.wine");
    }
    const posix::NativeLocation home_drive = posix::MapToNative(root_ + "\\kelvo\\startget.BAT");
    EXPECT_FALSE(home_drive.OnWineDrive());
    EXPECT_EQ(home_drive.path, root_ + "/kelvo/startget.BAT");
}

TEST_F(WineDriveTest, DotsAreReadAsWindowsReadsThemAndNeverLeaveTheDrive) {
    temp_.Write("drive_c/a/b/x", "x");
    const std::string posixHomeDrive = root_ + "/units/a";
    temp_.Write("units/a/etc/x", "x");
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {"C:\\..\\..\\x", driveC_ + "/x"},
        {"C:\\a\\.\\b", driveC_ + "/a/b"},
        {"C:\\A\\..\\..\\a\\.\\.\\B\\..\\b\\X", driveC_ + "/a/b/x"},
        {"C:..\\a", driveC_ + "/a"},
        {"\\..\\tmp\\x", driveC_ + "/tmp/x"},
        {"C:\\missing\\..\\A", driveC_ + "/a"},
        // The home drive's folder is the root: ".." after it stays in that folder.
        {posixHomeDrive + "\\..\\..\\etc", posixHomeDrive + "/etc"},
        {posixHomeDrive + "\\program files\\..\\.\\ETC\\X", posixHomeDrive + "/etc/x"},
        // The home drive itself is the user's own folder, taken as written.
        {root_ + "/units/b/../a\\etc", root_ + "/units/b/../a/etc"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(MapToNativePath(path), expected) << path;
    }
}

TEST_F(PathMappingTest, ARelativeWinePrefixCountsFromTheFolderTheProgramStartedIn) {
    const ScopedEnv prefix("WINEPREFIX", "-x");
    const std::string expected = (startFolder / "-x/dosdevices/c:/y").string();
    EXPECT_EQ(MapToNativePath("C:\\y"), expected);

    // A later change of the working folder does not move the drive.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(temp_.Path());
    const std::string afterChange = MapToNativePath("C:\\y");
    std::filesystem::current_path(previous);
    EXPECT_EQ(afterChange, expected);

    const ScopedEnv noPrefix("WINEPREFIX", std::nullopt);
    const ScopedEnv home("HOME", "relative home");
    EXPECT_EQ(MapToNativePath("e:\\y"),
              (startFolder / "relative home/.wine/dosdevices/e:/y").string());
}

}  // namespace
}  // namespace psion::testing
