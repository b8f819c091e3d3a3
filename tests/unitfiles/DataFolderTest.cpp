#include "unitfiles/DataFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "unitfiles/UnitFilesFixture.h"

namespace psion::testing {
namespace {

using DataFolderTest = UnitFilesTest;

TEST_F(DataFolderTest, FilePathIsThePlainConcatenationWithTheSystemPath) {
    std::string systemPath = "D:\\program files";
    const unitfiles::DataFolder folder(*files_, systemPath);
    EXPECT_EQ(folder.DataFilePath(unitfiles::kReceiveScript),
              "D:\\program files\\kelvo\\psion\\startget.BAT");
    // The system path is read at every call, and nothing is normalised.
    systemPath = "C:\\program files (x86)\\";
    EXPECT_EQ(folder.DataFilePath(unitfiles::kUnitBatchFile),
              "C:\\program files (x86)\\\\kelvo\\psion\\autoexec.btf");
    systemPath.clear();
    EXPECT_EQ(folder.DataFilePath(unitfiles::kSendConfigFile), "\\kelvo\\psion\\s_psion.conf");
}

TEST_F(DataFolderTest, TheSendScriptIsOneFileUnderBothSpellings) {
    WriteDataFile("startsend.bat", "echo send\n");
    EXPECT_TRUE(folder_.FileExists(folder_.DataFilePath(unitfiles::kSendScriptTested)));
    EXPECT_TRUE(folder_.FileExists(folder_.DataFilePath(unitfiles::kSendScriptStarted)));
    EXPECT_FALSE(folder_.FileExists(folder_.DataFilePath(unitfiles::kReceiveScript)));
}

TEST_F(DataFolderTest, OnlyFilesExist) {
    std::filesystem::create_directory(DataFile("startget.BAT"));
    EXPECT_FALSE(folder_.FileExists(folder_.DataFilePath(unitfiles::kReceiveScript)));
    EXPECT_FALSE(folder_.FileExists(systemPath_ + "\\kelvo\\psion"));
    WriteDataFile("r_psion.conf", "");
    EXPECT_TRUE(folder_.FileExists(folder_.DataFilePath(unitfiles::kReceiveConfigFile)));
}

}  // namespace
}  // namespace psion::testing
