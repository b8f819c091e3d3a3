#include "platform/posix/PosixEnvironment.h"

#include <gtest/gtest.h>

#include "platform/posix/ScopedEnv.h"

namespace psion::testing {
namespace {

TEST(PosixEnvironmentTest, NamesAreLookedUpWithoutRegardToLetterCase) {
    const ScopedEnv homeDrive("HOMEDRIVE", "Q:");
    const posix::PosixEnvironment environment;
    EXPECT_EQ(environment.Get("homedrive"), "Q:");
    EXPECT_EQ(environment.Get("HomeDrive"), "Q:");
    EXPECT_EQ(environment.Get("HOMEDRIVE"), "Q:");
}

TEST(PosixEnvironmentTest, AnExactMatchWinsOverOneThatDiffersInCase) {
    const ScopedEnv upper("PSION_TEST_VALUE", "upper");
    const ScopedEnv mixed("Psion_Test_Value", "mixed");
    const posix::PosixEnvironment environment;
    EXPECT_EQ(environment.Get("PSION_TEST_VALUE"), "upper");
    EXPECT_EQ(environment.Get("Psion_Test_Value"), "mixed");
}

TEST(PosixEnvironmentTest, AnUnsetNameHasNoValueAndAnEmptyOneIsEmpty) {
    const ScopedEnv unset("PSION_TEST_UNSET", std::nullopt);
    const ScopedEnv empty("PSION_TEST_EMPTY", "");
    const posix::PosixEnvironment environment;
    EXPECT_EQ(environment.Get("psion_test_unset"), std::nullopt);
    EXPECT_EQ(environment.Get("psion_test_empty"), "");
    // A name is matched whole, not as the start of a longer one.
    EXPECT_EQ(environment.Get("psion_test_empt"), std::nullopt);
}

}  // namespace
}  // namespace psion::testing
