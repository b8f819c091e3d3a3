// The test program starts the way the program does, so the tests see the
// process-wide settings the program runs with.
#include <gtest/gtest.h>

#include "platform/posix/ProcessStartup.h"

namespace psion::testing {
namespace {

class ProgramStartup : public ::testing::Environment {
  public:
    void SetUp() override { posix::PrepareProcess(); }
};

[[maybe_unused]] const auto* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new ProgramStartup);

}  // namespace
}  // namespace psion::testing
