// A Save that the program is told to end in the middle of: the three files
// come out all old or all new, and nothing else is left in the data folder.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "setup/SetupDialogHarness.h"

namespace psion::testing {
namespace {

using Clock = std::chrono::steady_clock;

// A serial file of many lines, large enough that patching it takes a while.
std::string LargeSerialFile(std::string_view port) {
    std::string text = "# a large unit configuration\r\n";
    const std::string filler = "option=" + std::string(90, 'v') + "\r\n";
    while (text.size() < (4u << 20)) {
        text += "serial1=directserial port:" + std::string(port) + "\r\n";
        for (int line = 0; line < 50; ++line) text += filler;
    }
    return text;
}

struct UnitFiles {
    std::string batch;
    std::string send;
    std::string receive;
    bool operator==(const UnitFiles&) const = default;
};

class SetupDialogSignal : public ::testing::TestWithParam<int> {
  protected:
    void WriteOldFiles() {
        h.Write("autoexec.btf", kOldBatch);
        h.Write("s_psion.conf", old.send);
        h.Write("r_psion.conf", old.receive);
    }
    UnitFiles ReadFiles() const {
        return {h.Read("autoexec.btf"), h.Read("s_psion.conf"), h.Read("r_psion.conf")};
    }

    // One Save in another program, sent the signal after that delay (or never).
    // Returns the signal that ended the program, 0 when it exited by itself.
    int SaveSignalledAfter(std::chrono::microseconds delay, bool send) {
        const std::string start = (h.temp.Path() / "start").string();
        h.temp.Write("start", "");
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(PSION_REPEATED_SAVES_EXE, PSION_REPEATED_SAVES_EXE, h.systemPath.c_str(), "2",
                    "1", "2", "1", start.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (child < 0) return -1;
        if (send) {
            std::this_thread::sleep_for(delay);
            ::kill(child, GetParam());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status)) return WTERMSIG(status);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
    }

    SetupDialogHarness h;
    const UnitFiles old{std::string(kOldBatch), LargeSerialFile("Com1"), LargeSerialFile("com6")};
};

TEST_P(SetupDialogSignal, LeavesAllThreeFilesOldOrAllThreeNew) {
    WriteOldFiles();
    // One Save that runs to its end: what the files hold afterwards, and
    // roughly how long it takes, so the signals below fall all over it.
    const auto began = Clock::now();
    ASSERT_EQ(SaveSignalledAfter({}, false), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - began);
    const UnitFiles saved = ReadFiles();
    ASSERT_NE(saved.send, old.send);
    ASSERT_NE(saved.receive, old.receive);

    constexpr int kPoints = 12;
    int ended = 0;
    for (int point = 0; point < kPoints; ++point) {
        SCOPED_TRACE("signal after " + std::to_string(point) + "/" + std::to_string(kPoints) +
                     " of a Save");
        WriteOldFiles();
        const int endedBy = SaveSignalledAfter(whole * point / (kPoints - 4), true);
        ASSERT_GE(endedBy, 0) << "the program failed";
        if (endedBy == GetParam()) ++ended;

        const UnitFiles found = ReadFiles();
        EXPECT_TRUE(found == old || found == saved) << "a mixed set of files";
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(h.folder)) {
            names.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(names.size(), 3u) << "something was left beside the unit files";
    }
    EXPECT_GT(ended, 0) << "no signal reached a running Save";
}

INSTANTIATE_TEST_SUITE_P(, SetupDialogSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) {
                             switch (info.param) {
                                 case SIGTERM:
                                     return std::string("SIGTERM");
                                 case SIGHUP:
                                     return std::string("SIGHUP");
                                 default:
                                     return std::string("SIGINT");
                             }
                         });

}  // namespace
}  // namespace psion::testing
#endif
