#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>

#include "platform/headless/FixedClock.h"
#include "setup/SetupCode.h"

namespace psion::setup {
namespace {

using headless::FixedClock;
using platform::CalendarDate;

// Worked out by hand from the pattern "ddMMyyddMMyy" and the offset 16: the
// digit d at position i (from 1) becomes the character '0' + d + i + 16, which
// is 'A' + d + i - 1.
//
// 7 March 2026 renders as 07 03 26 07 03 26:
//   digits     0  7  0  3  2  6  0  7  0  3  2  6
//   + i - 1    0  1  2  3  4  5  6  7  8  9 10 11
//   = letter   A  I  C  G  G  L  G  O  I  M  M  R
constexpr CalendarDate kSaturday{2026, 3, 7};
constexpr const char* kSaturdayCode = "AICGGLGOIMMR";

// 8 March 2026 renders as 08 03 26 08 03 26:
//   digits     0  8  0  3  2  6  0  8  0  3  2  6
//   + i - 1    0  1  2  3  4  5  6  7  8  9 10 11
//   = letter   A  J  C  G  G  L  G  P  I  M  M  R
constexpr CalendarDate kSunday{2026, 3, 8};
constexpr const char* kSundayCode = "AJCGGLGPIMMR";

// 11 November 2011 renders as twelve ones; each 1 lands on the letter after
// 'A' + i - 1, so no two positions agree.
constexpr CalendarDate kAllOnes{2011, 11, 11};
constexpr const char* kAllOnesCode = "BCDEFGHIJKLM";

TEST(CheckSetupCode, AcceptsTheDaysCodeWorkedOutByHand) {
    FixedClock clock(kSaturday);
    EXPECT_TRUE(CheckSetupCode(kSaturdayCode, clock));
    EXPECT_EQ(SetupCodeFor(kSaturday), kSaturdayCode);

    clock.Set(kAllOnes);
    EXPECT_TRUE(CheckSetupCode(kAllOnesCode, clock));
}

TEST(CheckSetupCode, RejectsEmptyMiscasedAndPaddedCodes) {
    const FixedClock clock(kSaturday);
    EXPECT_FALSE(CheckSetupCode("", clock));
    EXPECT_FALSE(CheckSetupCode("aicgglgoimmr", clock));
    EXPECT_FALSE(CheckSetupCode("AICGGLGOIMMr", clock));  // one letter in the wrong case
    EXPECT_FALSE(CheckSetupCode(" AICGGLGOIMMR", clock));
    EXPECT_FALSE(CheckSetupCode("AICGGLGOIMMR ", clock));
    EXPECT_FALSE(CheckSetupCode("AICGGLGOIMM", clock));    // one short
    EXPECT_FALSE(CheckSetupCode("AICGGLGOIMMRR", clock));  // one too many
    EXPECT_FALSE(CheckSetupCode("070326070326", clock));   // the date itself
}

TEST(CheckSetupCode, RejectsThePreviousDaysCode) {
    const FixedClock clock(kSunday);
    EXPECT_FALSE(CheckSetupCode(kSaturdayCode, clock));
    EXPECT_TRUE(CheckSetupCode(kSundayCode, clock));
}

TEST(CheckSetupCode, ReadsTheClockAtEveryCheckSoTheCodeChangesAtMidnight) {
    FixedClock clock(kSaturday);
    ASSERT_TRUE(CheckSetupCode(kSaturdayCode, clock));

    clock.Set(kSunday);
    EXPECT_FALSE(CheckSetupCode(kSaturdayCode, clock));
    EXPECT_TRUE(CheckSetupCode(kSundayCode, clock));

    // New year: 31 Dec 2026 -> 1 Jan 2027 changes every field.
    clock.Set({2026, 12, 31});
    const std::string lastCode = SetupCodeFor({2026, 12, 31});
    EXPECT_TRUE(CheckSetupCode(lastCode, clock));
    clock.Set({2027, 1, 1});
    EXPECT_FALSE(CheckSetupCode(lastCode, clock));
}

TEST(CheckSetupCode, GivesTheSameDigitADifferentLetterAtEachPosition) {
    // 07 03 26 07 03 26 has a 0 at positions 1, 3, 7 and 9.
    const std::string code = SetupCodeFor(kSaturday);
    EXPECT_EQ(code[0], 'A');
    EXPECT_EQ(code[2], 'C');
    EXPECT_EQ(code[6], 'G');
    EXPECT_EQ(code[8], 'I');

    const std::string ones = SetupCodeFor(kAllOnes);
    EXPECT_EQ(std::set<char>(ones.begin(), ones.end()).size(), 12u) << ones;
}

TEST(SetupCodeFor, GivesTwelveCapitalsFromAToUAndADifferentCodeForEveryDay) {
    using namespace std::chrono;
    std::set<std::string> seen;
    int days = 0;
    for (sys_days day = sys_days{2000y / January / 1}; day <= sys_days{2099y / December / 31};
         day += std::chrono::days{1}) {
        const year_month_day date{day};
        const std::string code = SetupCodeFor(
            {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
             static_cast<int>(static_cast<unsigned>(date.day()))});
        ASSERT_EQ(code.size(), 12u);
        for (char c : code) ASSERT_TRUE(c >= 'A' && c <= 'U') << code;
        seen.insert(code);
        ++days;
    }
    EXPECT_EQ(static_cast<int>(seen.size()), days);
}

TEST(SetupCodeFor, UsesOnlyTheLastTwoDigitsOfTheYear) {
    // The pattern holds a two-digit year, so a century later the code repeats.
    EXPECT_EQ(SetupCodeFor({1926, 3, 7}), kSaturdayCode);
    EXPECT_NE(SetupCodeFor({2027, 3, 7}), kSaturdayCode);
}

}  // namespace
}  // namespace psion::setup
