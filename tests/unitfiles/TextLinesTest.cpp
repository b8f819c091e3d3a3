#include "unitfiles/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace psion::unitfiles {
namespace {

using Lines = std::vector<std::string>;

TEST(TextLinesTest, EveryKindOfLineEndEndsALine) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    // LF CR is two line ends, with an empty line between them.
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(TextLinesTest, AFinalLineEndYieldsNoExtraLine) {
    EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\r"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a"), (Lines{"a"}));
}

TEST(TextLinesTest, EmptyFileHasNoLinesButEmptyLinesAreKept) {
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(SplitLines("\r\n\r\nx\r\n\r\n"), (Lines{"", "", "x", ""}));
}

TEST(TextLinesTest, BytesOtherThanLineEndsAreKeptExactly) {
    const std::string bytes("\xE9\xFF\t\0 z", 6);
    EXPECT_EQ(SplitLines(bytes + "\r\n" + bytes), (Lines{bytes, bytes}));
}

TEST(TextLinesTest, JoinedLinesEachEndWithCrLf) {
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({""}), "\r\n");
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(TextLinesTest, UpperCasingChangesOnlyAsciiLetters) {
    EXPECT_EQ(ToUpperAscii("Com3"), "COM3");
    EXPECT_EQ(ToUpperAscii("a\xE9z1:"), "A\xE9Z1:");
}

TEST(TextLinesTest, ComparingWithoutRegardToCaseFoldsOnlyAsciiLetters) {
    EXPECT_TRUE(EqualIgnoringAsciiCase("HomeDrive", "HOMEDRIVE"));
    EXPECT_TRUE(EqualIgnoringAsciiCase("", ""));
    EXPECT_FALSE(EqualIgnoringAsciiCase("homedrive", "homedriv"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xE9t\xE9", "\xC9T\xC9"));  // Latin-1 letters stay apart
    EXPECT_FALSE(EqualIgnoringAsciiCase("a[", "A{"));
}

}  // namespace
}  // namespace psion::unitfiles
