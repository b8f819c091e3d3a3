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

// Each path as the logic spells it, and the native path it names: a POSIX
// home drive as it is, a drive letter or no drive through the Wine prefix,
// each component matched without regard to letter case, an exact match first.
TEST_F(WineDriveTest, MapsEachKindOfPathToTheNativePathItNames) {
    for (const char* file :
         {"Kelvo/psion/startsend.bat", "data.txt", "Data.txt", "a/b/c.txt", "units/a/etc/x",
          "drive_c/Program Files (x86)/Kelvo/Psion/autoexec.btf", "drive_c/a/b/x"}) {
        temp_.Write(file, "x");
    }
    temp_.Write("drive_c" + root_ + "/a/b.txt", "x");
    const std::string onDriveC = driveC_ + "/Program Files (x86)/Kelvo/Psion/autoexec.btf";
    const std::string posixHomeDrive = root_ + "/units/a";
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {AsSystemPath(temp_.Path()) + "\\Kelvo\\psion\\startsend.bat",
         root_ + "/Kelvo/psion/startsend.bat"},
        {root_ + "\\kelvo\\PSION\\startsend.BAT", root_ + "/Kelvo/psion/startsend.bat"},
        {root_ + "\\data.txt", root_ + "/data.txt"},
        {root_ + "\\Data.txt", root_ + "/Data.txt"},
        // With no exact match, the choice among several is the same every time.
        {root_ + "\\DATA.TXT", root_ + "/Data.txt"},
        // A name that matches nothing is kept as written.
        {root_ + "\\KELVO\\Psion\\New File.TXT", root_ + "/Kelvo/psion/New File.TXT"},
        {root_ + "\\Missing\\Kelvo\\File.TXT", root_ + "/Missing/Kelvo/File.TXT"},
        // Repeated separators and slashes separate components.
        {root_ + "\\\\A/B\\\\C.TXT", root_ + "/a/b/c.txt"},
        {"C:\\program files (x86)\\kelvo\\psion\\autoexec.btf", onDriveC},
        {"c:\\PROGRAM FILES (X86)\\KELVO\\PSION\\AUTOEXEC.BTF", onDriveC},
        // A drive the prefix does not hold maps all the same, to nothing that exists.
        {"D:\\x", root_ + "/dosdevices/d:/x"},
        // The main window's path when HOMEDRIVE is not set lies on drive C:.
        {"\\program files (x86)\\kelvo\\psion\\autoexec.btf", onDriveC},
        // Windows paths without a drive, with and without a leading separator.
        {WithBackslashes(root_) + "\\A\\b.txt", driveC_ + root_ + "/a/b.txt"},
        {WithBackslashes(root_).substr(1) + "\\a\\B.TXT", driveC_ + root_ + "/a/b.txt"},
        // A home drive that is neither a drive letter nor a POSIX folder.
        {"units\\a\\program files", driveC_ + "/units/a/program files"},
        {"\\", driveC_},
        {"", driveC_},
        // Dots are read as Windows reads them and never leave the drive.
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

TEST_F(WineDriveTest, TheFileLayerFindsFilesThroughTheMapping) {
    temp_.Write("drive_c/Program Files (x86)/Kelvo/Psion/autoexec.btf", "x");
    const auto files = MakeNativeFileSystem();
    EXPECT_TRUE(files->IsFile("C:\\program files (x86)\\kelvo\\psion\\AUTOEXEC.btf"));
    EXPECT_TRUE(files->IsFile("\\program files (x86)\\kelvo\\psion\\autoexec.btf"));
    EXPECT_FALSE(files->IsFile("D:\\x"));
}

TEST_F(PathMappingTest, WinePrefixDefaultsToDotWineInTheHomeFolder) {
    const ScopedEnv prefix("WINEPREFIX", std::nullopt);
    const ScopedEnv home("HOME", root_);
    EXPECT_EQ(MapToNativePath("E:\\program files"), root_ + "/.wine/dosdevices/e:/program files");
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
