#include "unitfiles/SerialConfigFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <span>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>

#include <fstream>

#include "support/ChildProcess.h"
#include "support/FileSizeLimit.h"
#endif
#include "support/ProbedFileSystem.h"
#include "unitfiles/TextLines.h"
#include "unitfiles/UnitFilesFixture.h"

namespace psion::testing {
namespace {

using unitfiles::ReadCommPort;

constexpr const char* kSend = "s_psion.conf";
constexpr const char* kReceive = "r_psion.conf";

// Most bytes one read hands out: whole files, then sizes that put a read
// boundary inside every line end, colon and serial-line mark.
constexpr std::size_t kReadSizes[] = {std::numeric_limits<std::size_t>::max(), 1, 2, 3, 7};
// For lines far longer than any buffer, where byte-sized reads would only be slow.
constexpr std::size_t kLargeReadSizes[] = {std::numeric_limits<std::size_t>::max(), 4093};

class SerialConfigFileTest : public UnitFilesTest {
  protected:
    // Writes the bytes as the send configuration file, patches it with the
    // port name and returns what the file holds afterwards. It does so once
    // for every read size, which must all give the same bytes.
    std::string Patched(const std::string& bytes, std::string_view port = "Com3",
                        std::span<const std::size_t> readSizes = kReadSizes) {
        std::optional<std::string> patched;
        for (const std::size_t readSize : readSizes) {
            SCOPED_TRACE("reads of at most " + std::to_string(readSize) + " bytes");
            WriteDataFile(kSend, bytes);
            ProbedFileSystem probed(*files_);
            probed.chunk = readSize;
            const unitfiles::DataFolder folder(probed, systemPath_);
            const auto error = SavePatchedPort(folder, SendPath(), port);
            EXPECT_EQ(error, std::nullopt) << error->Describe();
            const std::string result = ReadDataFile(kSend);
            if (patched) {
                EXPECT_EQ(result, *patched);
            } else {
                patched = result;
            }
        }
        return *patched;
    }
    // The comm port of the send configuration file, read once for every read
    // size, which must all give the same port.
    std::string CommPort() {
        std::optional<std::string> port;
        for (const std::size_t readSize : kReadSizes) {
            SCOPED_TRACE("reads of at most " + std::to_string(readSize) + " bytes");
            ProbedFileSystem probed(*files_);
            probed.chunk = readSize;
            const std::string result = ReadCommPort(unitfiles::DataFolder(probed, systemPath_));
            if (port) {
                EXPECT_EQ(result, *port);
            } else {
                port = result;
            }
        }
        return *port;
    }
    long EntriesInDataFolder() const {
        return std::distance(std::filesystem::directory_iterator(DataDir()), {});
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
    // Lines ending in CR LF beside lines that do not, and a CR or LF inside a
    // CR LF line, around serial lines.
    EXPECT_EQ(Patched("a\r\nb\nc\r\nd\re\r\nserial1=directserial port:COM1\r\nf\ng\r\n"),
              "a\r\nb\r\nc\r\nd\r\ne\r\nserial1=directserial port:COM3\r\nf\r\ng\r\n");
    EXPECT_EQ(Patched("x\r\nserial1=directserial\nport:COM1\r\nserial1=directserial port:C\r\r\n"),
              "x\r\nserial1=directserial\r\nport:COM1\r\nserial1=directserial port:C\r\n\r\n");
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

    // NUL bytes are characters like any other, in the port field too.
    const std::string nulLine("\0serial1=directserial\0:\0\0\0\0\0", 28);
    EXPECT_EQ(Patched(nulLine + "\n"), std::string("\0serial1=directserial\0:COM3\0\r\n", 30));
}

TEST_F(SerialConfigFileTest, LinesLongerThanEveryBufferArePatchedInPlace) {
    // The mark at the end decides the line only after its port field has long
    // been written out.
    const std::string filler(600 * 1024, 'x');
    const std::string serialLine = "port:com1 " + filler + " serial1=directserial";
    const std::string otherLine = "port:com1 " + filler + " serial2=directserial";
    EXPECT_EQ(Patched(serialLine + "\r\n" + otherLine + "\n" + serialLine, "Com3", kLargeReadSizes),
              "port:COM3 " + filler + " serial1=directserial\r\n" + otherLine + "\r\n" +
                  "port:COM3 " + filler + " serial1=directserial\r\n");
    // A colon that comes only after a long stretch of the line.
    EXPECT_EQ(Patched("serial1=directserial " + filler + ":com1 x", "Com3", kLargeReadSizes),
              "serial1=directserial " + filler + ":COM3 x\r\n");
}

TEST_F(SerialConfigFileTest, AMissingFileIsLeftAloneAndNotCreated) {
    EXPECT_EQ(SavePatchedPort(folder_, SendPath(), "Com3"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(DataFile(kSend)));
}

TEST_F(SerialConfigFileTest, BothFilesArePatchedEvenWhenTheSendFileIsMissing) {
    WriteDataFile(kReceive, "serial1=directserial port:COM1\r\n");
    EXPECT_EQ(SavePatchedPort(folder_, SendPath(), "Com2"), std::nullopt);
    EXPECT_EQ(SavePatchedPort(folder_, ReceivePath(), "Com2"), std::nullopt);
    EXPECT_EQ(ReadDataFile(kReceive), "serial1=directserial port:COM2\r\n");
    EXPECT_FALSE(std::filesystem::exists(DataFile(kSend)));
}

TEST_F(SerialConfigFileTest, APatchedPortReadsBackInCapitals) {
    WriteDataFile(kSend, "[serial]\r\nserial1=directserial port:COM1\r\n");
    ASSERT_EQ(SavePatchedPort(folder_, SendPath(), "Com3"), std::nullopt);
    EXPECT_EQ(ReadCommPort(folder_), "COM3");
}

TEST_F(SerialConfigFileTest, AnUnreadableFileIsReportedAndNotWritten) {
    const std::string bytes = "serial1=directserial port:COM1\r\n";
    WriteDataFile(kSend, bytes);
    UnreadableFiles unreadable(*files_);
    const unitfiles::DataFolder folder(unreadable, systemPath_);
    const auto error = SavePatchedPort(folder, SendPath(), "Com3");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->path, SendPath());
    EXPECT_EQ(ReadDataFile(kSend), bytes);
    EXPECT_EQ(EntriesInDataFolder(), 1);
    EXPECT_EQ(ReadCommPort(folder), "");
}

TEST_F(SerialConfigFileTest, AReadThatFailsOrRunsOutOfMemoryIsAFailedReadAndWritesNothing) {
    const std::string bytes = "serial1=directserial port:COM1\r\n";
    WriteDataFile(kSend, bytes);
    const std::pair<ReadFault, const char*> faults[] = {
        {ReadFault::Fails, "Input/output error"},
        {ReadFault::OutOfMemory, "Not enough memory"},
    };
    for (const auto& [fault, reason] : faults) {
        SCOPED_TRACE(reason);
        ProbedFileSystem probed(*files_);
        probed.fault = fault;
        const unitfiles::DataFolder folder(probed, systemPath_);
        const auto error = SavePatchedPort(folder, SendPath(), "Com3");
        ASSERT_TRUE(error.has_value());
        EXPECT_TRUE(error->path.ends_with(kSend)) << error->Describe();
        EXPECT_EQ(error->reason, reason);
        EXPECT_EQ(ReadDataFile(kSend), bytes);
        EXPECT_EQ(EntriesInDataFolder(), 1);
        EXPECT_EQ(ReadCommPort(folder), "");
        // The program goes on: the next operation works as usual.
        EXPECT_EQ(ReadCommPort(folder_), "COM1");
    }
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
        error = SavePatchedPort(folder_, SendPath(), "Com3");
    }
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->path.find("s_psion.conf"), std::string::npos) << error->Describe();
    EXPECT_EQ(ReadDataFile(kSend), bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(DataDir()), {}), 1);
}

// The data segment this process uses now, as counted against RLIMIT_DATA.
std::uint64_t DataSegmentBytes() {
    std::ifstream status("/proc/self/status");
    std::string field;
    while (status >> field) {
        if (field == "VmData:") {
            std::uint64_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

TEST_F(SerialConfigFileTest, APatchUnderAHeapLimitSucceedsOnAFileLargerThanTheLimit) {
    const std::uint64_t data = DataSegmentBytes();
    ASSERT_GT(data, 0u) << "/proc/self/status gives no VmData";
    // One serial line longer than the whole heap the patch may use, then one more.
    constexpr std::uint64_t kHeadroom = 16 << 20;
    const std::uint64_t lineLength = data + 2 * kHeadroom;
    {
        std::ofstream out(DataFile(kSend), std::ios::binary);
        out << "serial1=directserial port:com1 ";
        const std::string block(1 << 20, 'x');
        for (std::uint64_t written = 0; written < lineLength; written += block.size()) out << block;
        out << "\nserial1=directserial port:com2\n";
        ASSERT_TRUE(out.good());
    }
    const auto sizeBefore = std::filesystem::file_size(DataFile(kSend));

    const auto outcome = RunInChild([&] {
        const rlimit heap{DataSegmentBytes() + kHeadroom, DataSegmentBytes() + kHeadroom};
        if (setrlimit(RLIMIT_DATA, &heap) != 0) return 2;
        // The limit holds: the whole file does not fit into memory.
        try {
            std::string whole(sizeBefore, 'x');
            volatile char used = whole[whole.size() / 2];
            static_cast<void>(used);
            return 3;
        } catch (const std::bad_alloc&) {
        }
        const auto error = SavePatchedPort(folder_, SendPath(), "Com3");
        if (error) std::fprintf(stderr, "%s\n", error->Describe().c_str());
        return error ? 1 : 0;
    });
    ASSERT_TRUE(outcome.finished && outcome.exitCode == 0) << outcome.Describe();

    // Two line ends became CR LF; the port fields of both lines changed.
    EXPECT_EQ(std::filesystem::file_size(DataFile(kSend)), sizeBefore + 2);
    std::ifstream in(DataFile(kSend), std::ios::binary);
    std::string head(32, '\0');
    in.read(head.data(), 32);
    EXPECT_EQ(head, "serial1=directserial port:COM3 x");
    in.seekg(-35, std::ios::end);
    std::string tail(35, '\0');
    in.read(tail.data(), 35);
    EXPECT_EQ(tail, "x\r\nserial1=directserial port:COM3\r\n");
    EXPECT_EQ(EntriesInDataFolder(), 1);
}
#endif

TEST_F(SerialConfigFileTest, CommPortComesFromTheLastPortLine) {
    WriteDataFile(kSend,
                  "serial1=directserial port:COM1\r\nx\r\nSerial1=directserial port:COM2\r\n");
    EXPECT_EQ(CommPort(), "COM2");
}

TEST_F(SerialConfigFileTest, CommPortKeepsTheFilesLetterCaseAndTrailingSpace) {
    WriteDataFile(kSend, "serial1=directserial port:com4\r\n");
    EXPECT_EQ(CommPort(), "com4");
    WriteDataFile(kSend, "SERIAL1=DIRECTSERIAL port:CO5 ");
    EXPECT_EQ(CommPort(), "CO5 ");
    // Seven characters are enough for a port line.
    WriteDataFile(kSend, "sErIaL1\n");
    EXPECT_EQ(CommPort(), "IaL1");
    // Short lines between port lines change nothing; the last port line wins.
    WriteDataFile(kSend, "serial1=x:COM7\r\nab\r\nSERIAL1xy\r\nc\r\n\r\n");
    EXPECT_EQ(CommPort(), "L1xy");
}

TEST_F(SerialConfigFileTest, LinesNotStartingWithSerial1HoldNoPort) {
    WriteDataFile(kSend, " serial1=directserial port:COM1\r\nserial2=x port:COM2\r\nSERIAL\r\n");
    EXPECT_EQ(CommPort(), "");
    WriteDataFile(kSend, "");
    EXPECT_EQ(CommPort(), "");
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
