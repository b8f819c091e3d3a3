#include "platform/posix/TerminalHandshake.h"

#include <gtest/gtest.h>

#include <string>

namespace psion::posix {
namespace {

using State = ReadyLine::State;

// What the shell inside the terminal says, and what the launcher makes of it.
TEST(TerminalReadyLine, TakesOnlyAnRThenAProcessIdThenALineFeed) {
    const struct {
        std::string said;
        State state;
        pid_t shell;
    } cases[] = {
        {"r4242\n", State::Ready, 4242},
        {"r4242", State::Reading, 0},
        {"", State::Reading, 0},
        // What comes after the line feed is not read.
        {"r7\nr8\n", State::Ready, 7},
        {"x4242\n", State::Refused, 0},
        {"r\n", State::Refused, 0},
        {"r0\n", State::Refused, 0},
        {"r42 \n", State::Refused, 0},
        {"r-42\n", State::Refused, 0},
        {"R42\n", State::Refused, 0},
        // The longest line taken, and one byte more.
        {"r00000000000042\n", State::Ready, 42},
        {"r00000000000042", State::Reading, 0},
        {"r000000000000042", State::Refused, 0},
        // An id past the largest process id is no id.
        {"r99999999999\n", State::Refused, 0},
        {"r2147483647\n", State::Ready, 2147483647},
        {"r2147483648\n", State::Refused, 0},
    };
    for (const auto& [said, state, shell] : cases) {
        ReadyLine line;
        for (const char byte : said) line.Take(byte);
        EXPECT_EQ(line.Current(), state) << said;
        if (state == State::Ready) {
            EXPECT_EQ(line.Shell(), shell) << said;
        }
    }
}

}  // namespace
}  // namespace psion::posix
