// Files rewritten in place: in a folder that takes no new file, where a new
// file could not be given what the old one had, and when the write fails.
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/posix/FileKeepingFixture.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ChildProcess.h"
#include "support/FileSizeLimit.h"
#include "support/OneFileSet.h"

namespace psion::testing {
namespace {

struct ClosedFolderCase {
    const char* what;
    const char* close;  // shell command on $d
    const char* open;
    bool asNobody;
};

TEST_F(FileKeepingTest, AFolderThatTakesNoNewFileIsSavedInPlaceKeepingTheOwners) {
    const ClosedFolderCase cases[] = {
        {"immutable, saved by root", "chattr +i \"$d\"", "chattr -i \"$d\"", false},
        {"read-only to the user", "chmod 0555 \"$d\"", "chmod 0777 \"$d\"", true},
        {"writable by its owner root only", "chmod 0755 \"$d\"", "chmod 0777 \"$d\"", true},
        {"open to all, with other users' files", "true", "true", true},
    };
    for (const ClosedFolderCase& folder : cases) {
        SCOPED_TRACE(folder.what);
        const auto roots = Write("s_psion.conf", 0, 0666, "root's old bytes");
        const auto others = Write("r_psion.conf", kStranger, 0666, "another's old bytes");
        const ino_t inode = StatOf(roots).st_ino;
        int status = -1;
        const std::string closing = Output("d=" + Quoted(data_) + "; " + folder.close, &status);
        if (status != 0) {
            // chattr needs CAP_LINUX_IMMUTABLE, which a container may not grant.
            std::cout << "not run: " << folder.what << ": " << closing;
            continue;
        }
        RunAs(folder.asNobody, [&] {
            posix::PosixFileSystem files;
            for (const auto& file : {roots, others}) {
                const auto error = ReplaceFile(files, file.string(), "new bytes");
                EXPECT_EQ(error, std::nullopt) << error->Describe();
            }
        });
        Output("d=" + Quoted(data_) + "; " + folder.open);
        EXPECT_EQ(ReadBytes(roots), "new bytes");
        EXPECT_EQ(ReadBytes(others), "new bytes");
        EXPECT_EQ(StatOf(roots).st_ino, inode);
        EXPECT_EQ(StatOf(roots).st_uid, 0u);
        EXPECT_EQ(StatOf(others).st_uid, kStranger);
        EXPECT_EQ(StatOf(others).st_mode & 07777, 0666u);
        EXPECT_EQ(Names(), (std::vector<std::string>{"r_psion.conf", "s_psion.conf"}));
    }
}

TEST_F(FileKeepingTest, AFailedRewriteInPlacePutsTheOldBytesBackAndStopsTheSet) {
    const auto first = Write("autoexec.btf", 0, 0644, "old batch");
    const auto second = Write("s_psion.conf", 0, 0644, "old send");
    const auto third = Write("r_psion.conf", 0, 0644, "old receive");
    fs::create_hard_link(second, temp_.Path() / "second-name");  // so it is rewritten in place
    posix::PosixFileSystem files;
    auto begun = files.BeginChanges(data_.string());
    ASSERT_TRUE(begun.changes);
    for (const char* name : {"autoexec.btf", "s_psion.conf", "r_psion.conf"}) {
        EXPECT_EQ(
            begun.changes->Prepare(
                name, [](platform::FileWriter& out) { return out.Write(std::string(5000, 'n')); }),
            std::nullopt);
    }
    platform::PlacedFiles placed;
    {
        FileSizeLimit limit(100);
        placed = begun.changes->PutInPlace();
    }
    begun.changes.reset();
    EXPECT_EQ(placed.placed, std::vector<std::string>{"autoexec.btf"});
    EXPECT_EQ(placed.error, (platform::FileError{second.string(), "File too large"}));
    EXPECT_TRUE(placed.damaged.empty()) << "its old bytes were put back";
    EXPECT_EQ(ReadBytes(first), std::string(5000, 'n'));
    EXPECT_EQ(ReadBytes(second), "old send");
    EXPECT_EQ(ReadBytes(temp_.Path() / "second-name"), "old send");
    EXPECT_EQ(ReadBytes(third), "old receive");
    EXPECT_EQ(Names(), (std::vector<std::string>{"autoexec.btf", "r_psion.conf", "s_psion.conf"}));
}

// Makes every call of that system call fail with that error in this process,
// as a file system that cannot do it would; false when that is not possible.
bool RefuseSystemCall(long number, int error) {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(number), 0, 1),
        BPF_STMT(BPF_RET | BPF_K,
                 SECCOMP_RET_ERRNO | (static_cast<std::uint32_t>(error) & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

struct RefusedCase {
    const char* what;
    long systemCall;
    int error;
};

TEST_F(FileKeepingTest, WhatANewFileCouldNotBeGivenIsKeptByARewriteInPlace) {
    const RefusedCase cases[] = {
        // As on FAT and exFAT, whose files all have the mode the mount gives them.
        {"a mode, refused", SYS_fchmod, EPERM},
        {"a mode, not supported", SYS_fchmod, ENOSYS},
        {"an attribute", SYS_fsetxattr, ENOTSUP},
        {"the owner", SYS_fchown, EPERM},
    };
    for (const RefusedCase& refused : cases) {
        SCOPED_TRACE(refused.what);
        const auto file = Write("s_psion.conf", NobodyUser(), 0640);
        ASSERT_EQ(::setxattr(file.c_str(), "user.note", "kept", 4, 0), 0);
        const std::string before = AclAndAttributes(file);
        const struct stat old = StatOf(file);
        const auto outcome = RunInChild([&] {
            if (!RefuseSystemCall(refused.systemCall, refused.error)) return 2;
            posix::PosixFileSystem files;
            const auto error = ReplaceFile(files, file.string(), "new");
            return error ? 1 : 0;
        });
        EXPECT_TRUE(outcome.finished && outcome.exitCode == 0) << outcome.Describe();
        EXPECT_EQ(ReadBytes(file), "new");
        const struct stat now = StatOf(file);
        EXPECT_EQ(now.st_ino, old.st_ino);
        EXPECT_EQ(now.st_mode, old.st_mode);
        EXPECT_EQ(now.st_uid, old.st_uid);
        EXPECT_EQ(AclAndAttributes(file), before);
        EXPECT_EQ(Names(), std::vector<std::string>{"s_psion.conf"});
    }
}

}  // namespace
}  // namespace psion::testing
