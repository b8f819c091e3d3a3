#include "common/AsciiCase.h"

#include <gtest/gtest.h>

namespace psion::common {
namespace {

TEST(AsciiCaseTest, UpperCasingChangesOnlyAsciiLetters) {
    EXPECT_EQ(ToUpperAscii("Com3"), "COM3");
    EXPECT_EQ(ToUpperAscii("a\xE9z1:"), "A\xE9Z1:");
}

TEST(AsciiCaseTest, LowerCasingChangesOnlyAsciiLetters) {
    EXPECT_EQ(ToLowerAscii('C'), 'c');
    EXPECT_EQ(ToLowerAscii('z'), 'z');
    EXPECT_EQ(ToLowerAscii(':'), ':');
    EXPECT_EQ(ToLowerAscii('\xC9'), '\xC9');
}

TEST(AsciiCaseTest, ComparingWithoutRegardToCaseFoldsOnlyAsciiLetters) {
    EXPECT_TRUE(EqualIgnoringAsciiCase("HomeDrive", "HOMEDRIVE"));
    EXPECT_TRUE(EqualIgnoringAsciiCase("", ""));
    EXPECT_FALSE(EqualIgnoringAsciiCase("homedrive", "homedriv"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xE9t\xE9", "\xC9T\xC9"));  // Latin-1 letters stay apart
    EXPECT_FALSE(EqualIgnoringAsciiCase("a[", "A{"));
}

}  // namespace
}  // namespace psion::common
