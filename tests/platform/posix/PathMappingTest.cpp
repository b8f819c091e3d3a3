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

class PathMappingTest : public ::testing::Test {
  protected:
    TempDir temp_;
    std::string root_ = temp_.Path().string();
};

TEST_F(PathMappingTest, AbsolutePosixHomeDriveIsUsedAsItIs) {
    temp_.Write("kelvo/psion/autoexec.btf", "x");
    const std::string systemPath = AsSystemPath(temp_.Path());
    EXPECT_EQ(MapToNativePath(systemPath + "\\kelvo\\psion\\autoexec.btf"),
              root_ + "/kelvo/psion/autoexec.btf");
}

TEST_F(PathMappingTest, PathWithoutDriveStartsAtTheRoot) {
    temp_.Write("a/b.txt", "x");
    EXPECT_EQ(MapToNativePath(WithBackslashes(root_) + "\\a\\b.txt"), root_ + "/a/b.txt");
    EXPECT_EQ(MapToNativePath(WithBackslashes(root_).substr(1) + "\\a\\b.txt"), root_ + "/a/b.txt");
    EXPECT_EQ(MapToNativePath("\\"), "/");
    EXPECT_EQ(MapToNativePath(""), "/");
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

}  // namespace
}  // namespace psion::testing
