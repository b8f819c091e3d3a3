#include "unitfiles/SerialConfigFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifndef _WIN32
#include "support/FileSizeLimit.h"
#endif
#include "unitfiles/TextLines.h"
#include "unitfiles/UnitFilesFixture.h"

namespace psion::testing {
namespace {

using unitfiles::PatchSerialPort;
using unitfiles::ReadCommPort;

constexpr const char* kSend = "s_psion.conf";
constexpr const char* kReceive = "r_psion.conf";

class SerialConfigFileTest : public UnitFilesTest {
  protected:
    // Writes the bytes as the send configuration file, patches it with the
    // port name and returns what the file holds afterwards.
    std::string Patched(const std::string& bytes, std::string_view port = "Com3") {
        WriteDataFile(kSend, bytes);
        const auto error = PatchSerialPort(folder_, SendPath(), port);
        EXPECT_EQ(error, std::nullopt) << error->Describe();
        return ReadDataFile(kSend);
    }
    std::string SendPath() const { return folder_.DataFilePath(unitfiles::kSendConfigFile); }
    std::string ReceivePath() const { return folder_.DataFilePath(unitfiles::kReceiveConfigFile); }
};

TEST_F(SerialConfigFileTest, WorkedExamplesOfOneLine) {
    const std::pair<const char*, const char*> examples[] = {
        {"serial1=directserial port:COM1", "serial1=directserial port:COM3"},
        {"serial1=directserial port:com6", "serial1=directserial port:COM3"},
        {"serial1=directserial port:COM12", "serial1=directserial port:COM32"},
        {"serial1=directserial port:C1", "serial1=directserial port:CO"},
        {"serial1=directserial port:COM1 extra:1", "serial1=directserial port:COM3 extra:1"},
        {"SERIAL1=DIRECTSERIAL port:COM1", "SERIAL1=DIRECTSERIAL port:COM1"},
        {"serial2=directserial port:COM1", "serial2=directserial port:COM1"},
    };
    for (const auto& [read, written] : examples) {
        SCOPED_TRACE(read);
        EXPECT_EQ(Patched(std::string("[sdl]\r\n") + read + "\r\nend\r\n"),
                  std::string("[sdl]\r\n") + written + "\r\nend\r\n");
    }
}

TEST_F(SerialConfigFileTest, OnlyTheFirstColonStartsThePortField) {
    // A second colon further on is left alone where the port name does not reach.
    EXPECT_EQ(Patched("serial1=directserial port:COM1 irq:4\r\n"),
              "serial1=directserial port:COM3 irq:4\r\n");
    EXPECT_EQ(Patched("serial1=directserial port:C:12x\r\n"),
              "serial1=directserial port:COM3x\r\n");
    // The first colon may even stand before the mark.
    EXPECT_EQ(Patched("a:b serial1=directserial port:COM1\r\n"),
              "a:COM3rial1=directserial port:COM1\r\n");
    // The mark may stand anywhere in the line.
    EXPECT_EQ(Patched("  xserial1=directserialx:com9 \r\n"), "  xserial1=directserialx:COM3 \r\n");
}

TEST_F(SerialConfigFileTest, SerialLinesWithoutAPortFieldStayUnchanged) {
    EXPECT_EQ(Patched("serial1=directserial port COM1\r\n"), "serial1=directserial port COM1\r\n");
    EXPECT_EQ(Patched("serial1=directserial port:\r\n"), "serial1=directserial port:\r\n");
}

TEST_F(SerialConfigFileTest, EverySerialLineIsPatched) {
    EXPECT_EQ(Patched("serial1=directserial port:COM1\r\nx\r\nserial1=directserial port:com2\r\n",
                      "com5"),
              "serial1=directserial port:COM5\r\nx\r\nserial1=directserial port:COM5\r\n");
}

TEST_F(SerialConfigFileTest, LineEndsAreWrittenAsCrLfAndEmptyLinesKept) {
    EXPECT_EQ(Patched("a\rb\nserial1=directserial port:COM1"),
              "a\r\nb\r\nserial1=directserial port:COM3\r\n");
    EXPECT_EQ(Patched("\r\n\r\nx\r\n\r\n"), "\r\n\r\nx\r\n\r\n");
    EXPECT_EQ(Patched("\r\r\n\n"), "\r\n\r\n\r\n");
}

TEST_F(SerialConfigFileTest, AnEmptyFileStaysEmpty) {
    EXPECT_EQ(Patched(""), "");
    EXPECT_TRUE(std::filesystem::exists(DataFile(kSend)));
}

TEST_F(SerialConfigFileTest, LongFilesArePatchedToTheirEnd) {
    for (int count : {301, 302, 5000}) {
        SCOPED_TRACE(count);
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i) lines.push_back("line " + std::to_string(i));
        lines.front() = "serial1=directserial port:COM1";
        lines.back() = "serial1=directserial port:COM2";
        const auto patched = Patched(unitfiles::JoinLines(lines), "Com4");
        lines.front() = "serial1=directserial port:COM4";
        lines.back() = "serial1=directserial port:COM4";
        EXPECT_EQ(patched, unitfiles::JoinLines(lines));
    }
}

TEST_F(SerialConfigFileTest, BytesOutsideThePatchedCharactersComeBackIdentical) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') bytes += static_cast<char>(b);
    }
    const std::string original = bytes +
                                 "\r\n\xE9t\xE9 serial1=directserial \xFF:COM1\xE9\xFF\r\n" +
                                 "SERIAL1=\xE9\r\n\xFF\xFE\r\n";
    const std::string expected = bytes +
                                 "\r\n\xE9t\xE9 serial1=directserial \xFF:COM3\xE9\xFF\r\n" +
                                 "SERIAL1=\xE9\r\n\xFF\xFE\r\n";
    EXPECT_EQ(Patched(original), expected);
}

TEST_F(SerialConfigFileTest, AMissingFileIsLeftAloneAndNotCreated) {
    EXPECT_EQ(PatchSerialPort(folder_, SendPath(), "Com3"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(DataFile(kSend)));
}

TEST_F(SerialConfigFileTest, BothFilesArePatchedEvenWhenTheSendFileIsMissing) {
    WriteDataFile(kReceive, "serial1=directserial port:COM1\r\n");
    EXPECT_EQ(PatchSerialPort(folder_, SendPath(), "Com2"), std::nullopt);
    EXPECT_EQ(PatchSerialPort(folder_, ReceivePath(), "Com2"), std::nullopt);
    EXPECT_EQ(ReadDataFile(kReceive), "serial1=directserial port:COM2\r\n");
    EXPECT_FALSE(std::filesystem::exists(DataFile(kSend)));
}

TEST_F(SerialConfigFileTest, APatchedPortReadsBackInCapitals) {
    WriteDataFile(kSend, "[serial]\r\nserial1=directserial port:COM1\r\n");
    ASSERT_EQ(PatchSerialPort(folder_, SendPath(), "Com3"), std::nullopt);
    EXPECT_EQ(ReadCommPort(folder_), "COM3");
}

TEST_F(SerialConfigFileTest, AnUnreadableFileIsReportedAndNotWritten) {
    const std::string bytes = "serial1=directserial port:COM1\r\n";
    WriteDataFile(kSend, bytes);
    UnreadableFiles unreadable(*files_);
    const unitfiles::DataFolder folder(unreadable, systemPath_);
    const auto error = PatchSerialPort(folder, SendPath(), "Com3");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->path, SendPath());
    EXPECT_EQ(unreadable.writes, 0);
    EXPECT_EQ(ReadDataFile(kSend), bytes);
    EXPECT_EQ(ReadCommPort(folder), "");
}

// A size limit on writes exists on POSIX only; the Windows file layer has its own
// failed-replace tests.
#ifndef _WIN32
TEST_F(SerialConfigFileTest, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
    const std::string bytes = "serial1=directserial port:COM1\r\n" + std::string(100, 'x') + "\n";
    WriteDataFile(kSend, bytes);
    std::optional<platform::FileError> error;
    {
        FileSizeLimit limit(50);
        error = PatchSerialPort(folder_, SendPath(), "Com3");
    }
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->path.find("s_psion.conf"), std::string::npos) << error->Describe();
    EXPECT_EQ(ReadDataFile(kSend), bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(DataDir()), {}), 1);
}
#endif

TEST_F(SerialConfigFileTest, CommPortComesFromTheLastPortLine) {
    WriteDataFile(kSend,
                  "serial1=directserial port:COM1\r\nx\r\nSerial1=directserial port:COM2\r\n");
    EXPECT_EQ(ReadCommPort(folder_), "COM2");
}

TEST_F(SerialConfigFileTest, CommPortKeepsTheFilesLetterCaseAndTrailingSpace) {
    WriteDataFile(kSend, "serial1=directserial port:com4\r\n");
    EXPECT_EQ(ReadCommPort(folder_), "com4");
    WriteDataFile(kSend, "SERIAL1=DIRECTSERIAL port:CO5 ");
    EXPECT_EQ(ReadCommPort(folder_), "CO5 ");
    // Seven characters are enough for a port line.
    WriteDataFile(kSend, "sErIaL1\n");
    EXPECT_EQ(ReadCommPort(folder_), "IaL1");
}

TEST_F(SerialConfigFileTest, LinesNotStartingWithSerial1HoldNoPort) {
    WriteDataFile(kSend, " serial1=directserial port:COM1\r\nserial2=x port:COM2\r\nSERIAL\r\n");
    EXPECT_EQ(ReadCommPort(folder_), "");
    WriteDataFile(kSend, "");
    EXPECT_EQ(ReadCommPort(folder_), "");
}

TEST_F(SerialConfigFileTest, TheReceiveFileNeverGivesTheCommPort) {
    WriteDataFile(kReceive, "serial1=directserial port:COM6\r\n");
    EXPECT_EQ(ReadCommPort(folder_), "");
    WriteDataFile(kSend, "serial1=directserial port:COM2\r\n");
    EXPECT_EQ(ReadCommPort(folder_), "COM2");
}

TEST_F(SerialConfigFileTest, ReadingTheCommPortNeverChangesTheFile) {
    const std::string bytes = "serial1=directserial port:com1\n\xE9\r";
    WriteDataFile(kSend, bytes);
    ReadCommPort(folder_);
    EXPECT_EQ(ReadDataFile(kSend), bytes);
}

}  // namespace
}  // namespace psion::testing
