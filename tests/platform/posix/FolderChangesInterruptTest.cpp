// A set of changes to one folder, killed while it is prepared, or asked to end
// while it is put in place: all three files old or all three new.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/posix/FolderChangesFixture.h"

namespace psion::testing {
namespace {

// Waits for one byte from the pipe; false at its end or after the time limit.
bool Await(int pipe) {
    pollfd ready{pipe, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, 60000) == 1 && ::read(pipe, &byte, 1) == 1;
}

TEST_F(FolderChangesTest, ASaveKilledWhilePreparingLeavesTheOldFilesAndNoTemporaryFile) {
    const int total = 3 * kChunksPerFile;
    const int killPoints[] = {1,
                              2,
                              kChunksPerFile - 1,
                              kChunksPerFile,
                              kChunksPerFile + 1,
                              2 * kChunksPerFile - 7,
                              2 * kChunksPerFile + 1,
                              total - 1,
                              total};
    for (const auto kind : kKinds) {
        for (const int point : killPoints) {
            SCOPED_TRACE(std::string(KindName(kind)) + ", after chunk " + std::to_string(point));
            WriteOldFiles();
            int reached[2];
            ASSERT_EQ(::pipe(reached), 0);
            const pid_t saver = ::fork();
            if (saver == 0) {
                posix::PosixFileSystem files(kind);
                auto begun = files.BeginChanges(data_.string());
                const auto stop = [&] {
                    [[maybe_unused]] const auto told = ::write(reached[1], "k", 1);
                    for (;;) ::pause();
                };
                PrepareAll(*begun.changes, [&](int written) {
                    if (written == point && point < total) stop();
                });
                stop();  // every file prepared, none put in place
            }
            ::close(reached[1]);
            const bool stopped = Await(reached[0]);
            ::close(reached[0]);
            ::kill(saver, SIGKILL);
            ::waitpid(saver, nullptr, 0);
            ASSERT_TRUE(stopped);

            EXPECT_EQ(State(), "old");
            if (kind == posix::TemporaryFiles::Named) {
                // What a kill leaves, the next Save removes.
                posix::PosixFileSystem files(kind);
                auto begun = files.BeginChanges(data_.string());
                ASSERT_TRUE(begun.changes);
                EXPECT_EQ(PrepareAll(*begun.changes, [](int) {}), std::nullopt);
                EXPECT_EQ(begun.changes->PutInPlace().error, std::nullopt);
                EXPECT_EQ(State(), "new");
            }
            EXPECT_EQ(Names(), SortedUnitFiles());
        }
    }
}

TEST_F(FolderChangesTest, RequestsToEndArriveOnlyOnceEveryFileIsInPlace) {
    const int signals[] = {SIGTERM, SIGHUP, SIGINT};
    // How long putting the files in place takes here, only to spread the points.
    std::chrono::nanoseconds placing{};
    constexpr int kRounds = 16;
    std::vector<std::string> outcomes;
    for (int round = -1; round < kRounds; ++round) {
        const int signal = signals[(round + 3) % 3];
        SCOPED_TRACE("round " + std::to_string(round) + ", signal " + std::to_string(signal));
        WriteOldFiles();
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t saver = ::fork();
        if (saver == 0) {
            for (const int s : signals) ::signal(s, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            posix::PosixFileSystem files;
            auto begun = files.BeginChanges(data_.string());
            if (!begun.changes || PrepareAll(*begun.changes, [](int) {})) ::_exit(3);
            [[maybe_unused]] auto told = ::write(progress[1], "p", 1);
            const auto placed = begun.changes->PutInPlace();
            told = ::write(progress[1], placed.error ? "e" : "d", 1);
            for (;;) ::pause();
        }
        ::close(progress[1]);
        ASSERT_TRUE(Await(progress[0]));
        const auto start = std::chrono::steady_clock::now();
        if (round < 0) {
            EXPECT_TRUE(Await(progress[0]));
            placing = std::chrono::steady_clock::now() - start;
        } else {
            const auto wait = placing * round / (kRounds - 4);
            while (std::chrono::steady_clock::now() - start < wait) {
            }
        }
        ::kill(saver, round < 0 ? SIGKILL : signal);
        int status = 0;
        ::waitpid(saver, &status, 0);
        ::close(progress[0]);
        if (round >= 0) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        }
        const std::string state = State();
        EXPECT_TRUE(state == "old" || state == "new") << state;
        EXPECT_EQ(Names(), SortedUnitFiles());
        outcomes.push_back(state);
    }
    // The points spread over the whole Save: some before it, most during or after.
    EXPECT_NE(std::count(outcomes.begin(), outcomes.end(), "new"), 0);
}

}  // namespace
}  // namespace psion::testing
