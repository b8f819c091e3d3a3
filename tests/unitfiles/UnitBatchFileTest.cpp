#include "unitfiles/UnitBatchFile.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#ifndef _WIN32
#include "support/FileSizeLimit.h"
#endif
#include "support/ProbedFileSystem.h"
#include "unitfiles/UnitFilesFixture.h"

namespace psion::testing {
namespace {

using unitfiles::ReadUnitStatus;

constexpr const char* kBatch = "autoexec.btf";

struct Row {
    const char* remLine;
    const char* readerType;
    std::array<const char*, 3> linkLines;
};

const std::array<Row, 4> kTable{{
    {"rem MX Version", "MX Version", {"link -sTTY:A", "link -sTTY:B", "link -sTTY:C"}},
    {"rem 1Meg Version",
     "1Meg Version",
     {"link -sTTY:A -b19200", "link -sTTY:B -b19200", "link -sTTY:C -b19200"}},
    {"rem 256k Version",
     "256k Version",
     {"link -sTTY:A -b19200", "link -sTTY:B -b19200", "link -sTTY:C -b19200"}},
    {"rem OLD 256k Version",
     "OLD 256k Version",
     {"link -b19200 -P1", "link -b19200 -P2", "link -b19200 -P3"}},
}};

using UnitBatchFileTest = UnitFilesTest;

TEST_F(UnitBatchFileTest, EveryRowAndColumnIsWrittenAndReadBack) {
    for (int type = 0; type < 4; ++type) {
        for (int dest = 0; dest < 3; ++dest) {
            SCOPED_TRACE("unit type " + std::to_string(type) + ", destination " +
                         std::to_string(dest));
            const Row& row = kTable[type];
            ASSERT_EQ(SaveUnitBatchFile(folder_, type, dest), std::nullopt);
            EXPECT_EQ(ReadDataFile(kBatch), std::string("setdef am5\r\nsetdef ab2\r\n") +
                                                row.remLine + "\r\n" + row.linkLines[dest] +
                                                "\r\npdc\r\n");
            const auto status = ReadUnitStatus(folder_);
            EXPECT_TRUE(status.found);
            EXPECT_EQ(status.readerType, row.readerType);
            EXPECT_EQ(status.destination, row.linkLines[dest]);
        }
    }
}

TEST_F(UnitBatchFileTest, WritingReplacesALongerFileWhole) {
    WriteDataFile(kBatch, std::string(5000, 'x') + "\r\nold\r\nold\r\nold\r\nold\r\nold\r\n");
    ASSERT_EQ(SaveUnitBatchFile(folder_, 0, 0), std::nullopt);
    EXPECT_EQ(ReadDataFile(kBatch),
              "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n");
}

TEST_F(UnitBatchFileTest, DestinationOutsideTheTableWritesNoLinkLine) {
    for (int dest : {-1, 3, 1000}) {
        SCOPED_TRACE(dest);
        ASSERT_EQ(SaveUnitBatchFile(folder_, 1, dest), std::nullopt);
        EXPECT_EQ(ReadDataFile(kBatch), "setdef am5\r\nsetdef ab2\r\nrem 1Meg Version\r\npdc\r\n");
        const auto status = ReadUnitStatus(folder_);
        EXPECT_EQ(status.readerType, "1Meg Version");
        EXPECT_EQ(status.destination, "pdc");
    }
}

TEST_F(UnitBatchFileTest, UnitTypeOutsideTheTableWritesNeitherRemNorLinkLine) {
    for (int type : {-1, 4, -32768}) {
        SCOPED_TRACE(type);
        ASSERT_EQ(SaveUnitBatchFile(folder_, type, 0), std::nullopt);
        EXPECT_EQ(ReadDataFile(kBatch), "setdef am5\r\nsetdef ab2\r\npdc\r\n");
        // The missing fourth line reads as empty text.
        const auto status = ReadUnitStatus(folder_);
        EXPECT_TRUE(status.found);
        EXPECT_EQ(status.readerType, "");
        EXPECT_EQ(status.destination, "");
    }
}

TEST_F(UnitBatchFileTest, WritingCreatesAMissingFile) {
    ASSERT_FALSE(std::filesystem::exists(DataFile(kBatch)));
    ASSERT_EQ(SaveUnitBatchFile(folder_, 3, 2), std::nullopt);
    EXPECT_EQ(ReadDataFile(kBatch),
              "setdef am5\r\nsetdef ab2\r\nrem OLD 256k Version\r\nlink -b19200 -P3\r\npdc\r\n");
}

TEST_F(UnitBatchFileTest, RemLineLosesItsFirstFourCharactersWhateverTheyAre) {
    const std::pair<const char*, const char*> cases[] = {
        {"rem MX Version", "MX Version"},
        {"rem", ""},
        {"rem ", ""},
        {"", ""},
        {"XYZ!MX Version", "MX Version"},
        {"remX", ""},
        {"rem  two", " two"},
        {"\xE9\xE9\xE9\xE9\xFF", "\xFF"},
        {"abcde", "e"},
    };
    for (const auto& [remLine, readerType] : cases) {
        SCOPED_TRACE(remLine);
        WriteDataFile(kBatch, std::string("a\r\nb\r\n") + remLine + "\r\nlink\r\npdc\r\n");
        EXPECT_EQ(ReadUnitStatus(folder_).readerType, readerType);
    }
}

TEST_F(UnitBatchFileTest, OnlyTheFirstFourLinesMatter) {
    WriteDataFile(kBatch, "1\r\n2\r\nrem Four Lines\r\nlink -x");
    auto status = ReadUnitStatus(folder_);
    EXPECT_TRUE(status.found);
    EXPECT_EQ(status.readerType, "Four Lines");
    EXPECT_EQ(status.destination, "link -x");

    WriteDataFile(kBatch, "1\n2\rrem Mixed\nlink -y\r\nrem other\r\nlink other\r\n");
    status = ReadUnitStatus(folder_);
    EXPECT_EQ(status.readerType, "Mixed");
    EXPECT_EQ(status.destination, "link -y");
}

TEST_F(UnitBatchFileTest, AStatusReadReadsNoMoreThanABoundedPrefix) {
    {
        std::ofstream out(DataFile(kBatch), std::ios::binary);
        out << "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:B\r\n";
        const std::string junk(1 << 20, '\xA7');
        for (int megabyte = 0; megabyte < 64; ++megabyte) out << junk;
        ASSERT_TRUE(out.good());
    }
    ProbedFileSystem probed(*files_);
    const unitfiles::DataFolder folder(probed, systemPath_);
    const auto status = ReadUnitStatus(folder);
    EXPECT_TRUE(status.found);
    EXPECT_EQ(status.readerType, "MX Version");
    EXPECT_EQ(status.destination, "link -sTTY:B");
    EXPECT_GT(probed.BytesRead(), 0u);
    EXPECT_LE(probed.BytesRead(), 64u * 1024);
}

TEST_F(UnitBatchFileTest, LinesBeyondTheStatusReadLimitAreCutThere) {
    // A rem line of a megabyte: the reader type keeps the first 64 KiB of lines
    // 3 and 4, and the link line after it lies beyond what is kept.
    const std::string longRem = "rem " + std::string(1 << 20, 'L');
    WriteDataFile(kBatch, "1\r\n2\r\n" + longRem + "\r\nlink -sTTY:A\r\n");
    const auto status = ReadUnitStatus(folder_);
    EXPECT_TRUE(status.found);
    EXPECT_EQ(status.readerType, std::string(64 * 1024 - 4, 'L'));
    EXPECT_EQ(status.destination, "");
}

TEST_F(UnitBatchFileTest, LongFirstLinesDoNotHideTheStatus) {
    // Lines 1 and 2 are passed over, however long, so lines 3 and 4 still show.
    const std::pair<std::size_t, std::size_t> lengths[] = {
        {70'000, 2}, {2, 70'000}, {3 << 20, 3 << 20}, {4 * 1024 - 1, 4 * 1024 + 1}};
    for (const auto& [first, second] : lengths) {
        SCOPED_TRACE(std::to_string(first) + " and " + std::to_string(second));
        WriteDataFile(kBatch, std::string(first, 'a') + "\r\n" + std::string(second, 'b') +
                                  "\r\nrem 256k Version\r\nlink -sTTY:C\r\npdc\r\n");
        const auto status = ReadUnitStatus(folder_);
        EXPECT_TRUE(status.found);
        EXPECT_EQ(status.readerType, "256k Version");
        EXPECT_EQ(status.destination, "link -sTTY:C");
    }
}

TEST_F(UnitBatchFileTest, AStatusReadThatFailsOrRunsOutOfMemoryIsFoundWithEmptyTexts) {
    WriteDataFile(kBatch, "a\r\nb\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n");
    for (const ReadFault fault : {ReadFault::Fails, ReadFault::OutOfMemory}) {
        ProbedFileSystem probed(*files_);
        probed.fault = fault;
        const unitfiles::DataFolder folder(probed, systemPath_);
        const auto status = ReadUnitStatus(folder);
        EXPECT_TRUE(status.found);
        EXPECT_EQ(status.readerType, "");
        EXPECT_EQ(status.destination, "");
    }
    EXPECT_EQ(ReadUnitStatus(folder_).readerType, "MX Version");
}

TEST_F(UnitBatchFileTest, ShortFilesReadTheirMissingLinesAsEmptyText) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"one\r\n", ""}, {"one\r\ntwo\r\n", ""}, {"one\r\ntwo\r\nrem Short", "Short"}};
    for (const auto& [bytes, readerType] : cases) {
        SCOPED_TRACE(bytes);
        WriteDataFile(kBatch, bytes);
        const auto status = ReadUnitStatus(folder_);
        EXPECT_TRUE(status.found);
        EXPECT_EQ(status.readerType, readerType);
        EXPECT_EQ(status.destination, "");
    }
}

TEST_F(UnitBatchFileTest, ReadingNeverChangesTheFile) {
    const std::string bytes = "a\nb\rrem X\r\nlink\n\xE9";
    WriteDataFile(kBatch, bytes);
    ReadUnitStatus(folder_);
    EXPECT_EQ(ReadDataFile(kBatch), bytes);
}

TEST_F(UnitBatchFileTest, AFileDeletedBetweenRefreshesIsNoLongerFound) {
    ASSERT_EQ(SaveUnitBatchFile(folder_, 0, 1), std::nullopt);
    EXPECT_TRUE(ReadUnitStatus(folder_).found);
    std::filesystem::remove(DataFile(kBatch));
    const auto status = ReadUnitStatus(folder_);
    EXPECT_FALSE(status.found);
    EXPECT_EQ(status.readerType, "");
    EXPECT_EQ(status.destination, "");
}

TEST_F(UnitBatchFileTest, TheFileNameIsFoundWithoutRegardToLetterCase) {
    WriteDataFile("AUTOEXEC.BTF", "a\r\nb\r\nrem Upper\r\nlink\r\n");
    EXPECT_EQ(ReadUnitStatus(folder_).readerType, "Upper");
}

TEST_F(UnitBatchFileTest, AFolderOfThatNameIsNotAUnitBatchFile) {
    std::filesystem::create_directory(DataFile(kBatch));
    EXPECT_FALSE(ReadUnitStatus(folder_).found);
}

TEST_F(UnitBatchFileTest, AnUnreadableFileIsFoundWithEmptyTexts) {
    WriteDataFile(kBatch, "a\r\nb\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n");
    UnreadableFiles unreadable(*files_);
    const unitfiles::DataFolder folder(unreadable, systemPath_);
    const auto status = ReadUnitStatus(folder);
    EXPECT_TRUE(status.found);
    EXPECT_EQ(status.readerType, "");
    EXPECT_EQ(status.destination, "");
}

TEST_F(UnitBatchFileTest, WritingIntoAMissingDataFolderReportsTheFolder) {
    std::filesystem::remove_all(DataDir());
    const auto error = SaveUnitBatchFile(folder_, 0, 0);
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->path.ends_with("psion")) << error->Describe();
#ifdef _WIN32
    EXPECT_FALSE(error->reason.empty());  // Windows words it in the system's language
#else
    EXPECT_EQ(error->reason, "No such file or directory");
#endif
    EXPECT_FALSE(std::filesystem::exists(DataDir()));
}

// A size limit on writes exists on POSIX only; the Windows file layer has its own
// failed-replace tests.
#ifndef _WIN32
TEST_F(UnitBatchFileTest, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
    const std::string old = "a\r\nb\r\nrem Old\r\nx\r\n";
    WriteDataFile(kBatch, old);
    std::optional<platform::FileError> error;
    {
        FileSizeLimit limit(old.size());
        error = SaveUnitBatchFile(folder_, 3, 2);
    }
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->path.find("autoexec.btf"), std::string::npos) << error->Describe();
    EXPECT_EQ(error->reason, "File too large");
    EXPECT_EQ(ReadDataFile(kBatch), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(DataDir()), {}), 1);
}
#endif

}  // namespace
}  // namespace psion::testing
