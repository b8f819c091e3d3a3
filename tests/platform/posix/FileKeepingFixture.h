#pragma once

// Files given to other users in a shared data folder, and what the system's own
// tools say about them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace psion::testing {

namespace fs = std::filesystem;

inline constexpr uid_t kStranger = 4711;  // a user who owns nothing but what a test gives it

// What the command prints; its exit status goes to status.
inline std::string Output(const std::string& command, int* status = nullptr) {
    std::string text;
    if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
            text.append(buffer, got);
        }
        const int result = ::pclose(pipe);
        if (status != nullptr) *status = result;
    }
    return text;
}

inline std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// The file's ACL and every extended attribute, as the system's tools print them.
inline std::string AclAndAttributes(const fs::path& file) {
    return Output("getfacl -n -p " + Quoted(file)) +
           Output("getfattr -d -m - -e hex --absolute-names " + Quoted(file));
}

inline struct stat StatOf(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(::lstat(file.c_str(), &info), 0) << file;
    return info;
}

// Runs the body as root, or as nobody in a child; false when a check failed.
inline bool RunAs(bool asNobody, const std::function<void()>& body) {
    if (!asNobody) {
        body();
        return !::testing::Test::HasFailure();
    }
    const auto outcome = RunInChild([&] {
        if (!BecomeNobody()) return 2;
        body();
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    EXPECT_TRUE(outcome.finished && outcome.exitCode == 0) << outcome.Describe();
    return outcome.finished && outcome.exitCode == 0;
}

class FileKeepingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!CanSwitchUser()) GTEST_SKIP() << "needs root, to give files to other users";
        data_ = temp_.Path() / "data";
        fs::create_directory(data_);
        fs::permissions(data_, fs::perms::all);
    }
    fs::path Write(const std::string& name, uid_t owner, mode_t mode, const char* bytes = "old") {
        const auto file = temp_.Write("data/" + name, bytes);
        EXPECT_EQ(::chown(file.c_str(), owner, owner == 0 ? 0 : NobodyGroup()), 0);
        EXPECT_EQ(::chmod(file.c_str(), mode), 0);
        return file;
    }
    std::vector<std::string> Names() const { return SortedNames(data_); }

    TempDir temp_;
    fs::path data_;
};

}  // namespace psion::testing
