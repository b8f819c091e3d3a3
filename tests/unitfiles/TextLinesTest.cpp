#include "unitfiles/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ProbedFileSystem.h"
#include "unitfiles/LineReader.h"

namespace psion::unitfiles {
namespace {

using Lines = std::vector<std::string>;
using testing::BytesReader;

// The line reader at every buffer size the tests use: one and two bytes put a
// buffer boundary between every pair of bytes, including every CR and its LF.
class TextLinesTest : public ::testing::TestWithParam<std::size_t> {
  protected:
    Lines SplitLines(std::string bytes) const {
        BytesReader file(std::move(bytes));
        LineReader reader(file, GetParam());
        Lines lines;
        std::string line;
        while (reader.NextLine(line)) lines.push_back(line);
        EXPECT_FALSE(reader.Error().has_value());
        return lines;
    }
};

INSTANTIATE_TEST_SUITE_P(BufferSizes, TextLinesTest,
                         ::testing::Values(1, 2, 3, 5, LineReader::kDefaultBufferSize),
                         [](const auto& info) { return "Buffer" + std::to_string(info.param); });

TEST_P(TextLinesTest, EveryKindOfLineEndEndsALine) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    // LF CR is two line ends, with an empty line between them.
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("ab\r\ncd\r\r\nef\r\n\ngh"), (Lines{"ab", "cd", "", "ef", "", "gh"}));
    EXPECT_EQ(SplitLines("\r\r\n\n"), (Lines{"", "", ""}));
}

TEST_P(TextLinesTest, AFinalLineEndYieldsNoExtraLine) {
    EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\r"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("ab\r\n"), (Lines{"ab"}));
}

TEST_P(TextLinesTest, EmptyFileHasNoLinesButEmptyLinesAreKept) {
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(SplitLines("\r\n\r\nx\r\n\r\n"), (Lines{"", "", "x", ""}));
}

TEST_P(TextLinesTest, BytesOtherThanLineEndsAreKeptExactly) {
    const std::string bytes("\xE9\xFF\t\0 z", 6);
    EXPECT_EQ(SplitLines(bytes + "\r\n" + bytes), (Lines{bytes, bytes}));
}

TEST_P(TextLinesTest, ALineLongerThanTheBufferComesInPiecesThatEndOnce) {
    const std::string longLine(3 * GetParam() + 7, 'x');
    BytesReader file(longLine + "\r\n" + longLine);
    LineReader reader(file, GetParam());
    std::string joined;
    int lineEnds = 0;
    LinePiece piece;
    while (reader.Next(piece)) {
        EXPECT_LE(piece.bytes.size(), GetParam());
        joined.append(piece.bytes);
        if (piece.endsLine) {
            ++lineEnds;
            EXPECT_EQ(joined, longLine);
            joined.clear();
        }
    }
    EXPECT_EQ(lineEnds, 2);
    EXPECT_TRUE(joined.empty());
}

TEST(TextLinesReadFailureTest, AFailedReadEndsTheLinesWithItsError) {
    class FailsAfterOneRead : public platform::FileReader {
      public:
        platform::ReadResult Read(std::span<char> buffer) override {
            if (done_) return {0, platform::FileError{"f", "Input/output error"}};
            done_ = true;
            buffer[0] = 'a';
            return {1, std::nullopt};
        }

      private:
        bool done_ = false;
    } file;
    LineReader reader(file);
    std::string line;
    EXPECT_FALSE(reader.NextLine(line));
    ASSERT_TRUE(reader.Error().has_value());
    EXPECT_EQ(reader.Error()->reason, "Input/output error");
    EXPECT_FALSE(reader.NextLine(line));
}

TEST(TextLinesJoinTest, JoinedLinesEachEndWithCrLf) {
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({""}), "\r\n");
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

}  // namespace
}  // namespace psion::unitfiles
