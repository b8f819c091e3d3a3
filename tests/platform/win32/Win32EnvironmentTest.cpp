#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32Text.h"

namespace psion::testing {
namespace {

TEST(Win32EnvironmentTest, LooksUpNamesWithoutRegardToLetterCase) {
    win32::Win32Environment environment;
    ASSERT_TRUE(SetEnvironmentVariableW(L"PSION_TEST_HOMEDRIVE", L"Q:"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"PSION_TEST_EMPTY", L""));

    EXPECT_EQ(environment.Get("psion_test_homedrive"), "Q:");
    EXPECT_EQ(environment.Get("PSION_TEST_EMPTY"), "");
    EXPECT_EQ(environment.Get("PSION_TEST_UNSET"), std::nullopt);

    const std::wstring longValue(5000, L'v');
    ASSERT_TRUE(SetEnvironmentVariableW(L"PSION_TEST_HOMEDRIVE", longValue.c_str()));
    EXPECT_EQ(environment.Get("Psion_Test_HomeDrive"), std::string(5000, 'v'));

    SetEnvironmentVariableW(L"PSION_TEST_HOMEDRIVE", nullptr);
    SetEnvironmentVariableW(L"PSION_TEST_EMPTY", nullptr);
}

TEST(Win32EnvironmentTest, CharacterOutsideTheCodePageNamesNoOtherFolder) {
    win32::Win32Environment environment;
    // A with macron: the code page's own byte where it has one, else "?",
    // never the plain "A" of Windows' best-fit mapping.
    const std::wstring value = L"C:\\\u0100";
    ASSERT_TRUE(SetEnvironmentVariableW(L"PSION_TEST_HOMEDRIVE", value.c_str()));
    const std::optional<std::string> homeDrive = environment.Get("PSION_TEST_HOMEDRIVE");
    ASSERT_TRUE(homeDrive.has_value());
    EXPECT_TRUE(*homeDrive == "C:\\?" || win32::ToWide(*homeDrive) == value) << *homeDrive;
    SetEnvironmentVariableW(L"PSION_TEST_HOMEDRIVE", nullptr);
}

}  // namespace
}  // namespace psion::testing
