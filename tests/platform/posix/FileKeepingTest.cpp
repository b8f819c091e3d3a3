// What a rewritten file keeps: its ACL, attributes, owners and other names, its
// links, and its place in a folder that takes no new files.
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>

#include "platform/posix/PosixFileSystem.h"
#include "support/ChildProcess.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kStranger = 4711;  // a user who owns nothing but what a test gives it

// What the command prints; its exit status goes to status.
std::string Output(const std::string& command, int* status = nullptr) {
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

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// The file's ACL and every extended attribute, as the system's tools print them.
std::string AclAndAttributes(const fs::path& file) {
    return Output("getfacl -n -p " + Quoted(file)) +
           Output("getfattr -d -m - -e hex --absolute-names " + Quoted(file));
}

struct stat StatOf(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(::lstat(file.c_str(), &info), 0) << file;
    return info;
}

// Runs the body as root, or as nobody in a child; false when a check failed.
bool RunAs(bool asNobody, const std::function<void()>& body) {
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
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(data_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir temp_;
    fs::path data_;
};

struct KeptCase {
    const char* what;
    const char* setup;  // shell commands on $f, the file, and $d, its folder
    bool asOwner;       // saved by the file's owner nobody, else by root
};

const KeptCase kKeptCases[] = {
    {"an ACL entry, its mask and the group bits", "setfacl -m u:4711:rw- \"$f\"", false},
    {"the same, saved by the owner", "setfacl -m u:4711:rw- \"$f\"", true},
    {"a narrower mask than the entries", "setfacl -m u:4711:rwx,g::rw-,m::r-- \"$f\"", false},
    {"a user attribute", "setfattr -n user.note -v kept \"$f\"", true},
    {"an ACL and attributes together",
     "setfacl -m u:4711:rw-,g:4711:r-- \"$f\" && setfattr -n user.note -v kept \"$f\" && "
     "setfattr -n user.empty \"$f\"",
     false},
    {"no ACL in a folder with a default ACL", "setfacl -d -m u:4711:rwx,o::rw- \"$d\"", false},
    {"no ACL in a folder with a default ACL, saved by the owner",
     "setfacl -d -m u:4711:rwx,o::rw- \"$d\"", true},
};

TEST_F(FileKeepingTest, ASaveKeepsTheAclTheAttributesTheOwnerAndTheMode) {
    if (::setxattr(data_.c_str(), "user.probe", "x", 1, 0) != 0) {
        GTEST_SKIP() << "the temporary folder's file system takes no user attributes";
    }
    for (const KeptCase& kept : kKeptCases) {
        SCOPED_TRACE(kept.what);
        Output("setfacl -b -k " + Quoted(data_));
        const auto file = Write("s_psion.conf", NobodyUser(), 0640);
        int status = -1;
        const std::string setup =
            Output("f=" + Quoted(file) + " d=" + Quoted(data_) + "; " + kept.setup, &status);
        ASSERT_EQ(status, 0) << setup;
        const std::string before = AclAndAttributes(file);
        const struct stat old = StatOf(file);

        RunAs(kept.asOwner, [&] {
            posix::PosixFileSystem files;
            EXPECT_EQ(files.ReplaceAll(file.string(), "new"), std::nullopt);
        });
        EXPECT_EQ(ReadBytes(file), "new");
        EXPECT_EQ(AclAndAttributes(file), before);
        const struct stat now = StatOf(file);
        EXPECT_EQ(now.st_mode, old.st_mode);
        EXPECT_EQ(now.st_uid, old.st_uid);
        EXPECT_EQ(now.st_gid, old.st_gid);
        EXPECT_EQ(Names(), std::vector<std::string>{"s_psion.conf"});
    }
}

TEST_F(FileKeepingTest, AnotherNameOfTheFileStaysInStep) {
    const auto file = Write("r_psion.conf", NobodyUser(), 0644);
    fs::create_hard_link(file, temp_.Path() / "other-name.conf");
    const ino_t inode = StatOf(file).st_ino;
    posix::PosixFileSystem files;
    EXPECT_EQ(files.ReplaceAll(file.string(), "serial1=directserial port:COM3"), std::nullopt);
    EXPECT_EQ(ReadBytes(temp_.Path() / "other-name.conf"), "serial1=directserial port:COM3");
    EXPECT_EQ(StatOf(file).st_ino, inode);
    EXPECT_EQ(StatOf(file).st_uid, NobodyUser());
    EXPECT_EQ(Names(), std::vector<std::string>{"r_psion.conf"});
}

struct LinkCase {
    const char* what;
    uid_t linkOwner;
    uid_t targetOwner;
    bool asNobody;  // the Save runs as nobody, else as root
    bool writtenThrough;
};

constexpr const char* kForeignLink =
    "A link whose owner does not own its target is not written through";

TEST_F(FileKeepingTest, ALinkIsWrittenThroughOnlyWhenItsOwnerOwnsItsTarget) {
    const LinkCase cases[] = {
        {"planted by nobody, at root's file, saved by root", NobodyUser(), 0, false, false},
        {"planted by nobody, at another's file, saved by nobody", NobodyUser(), kStranger, true,
         false},
        {"planted by another, at nobody's file, saved by nobody", kStranger, NobodyUser(), true,
         false},
        {"nobody's, at nobody's file, saved by root", NobodyUser(), NobodyUser(), false, true},
        {"nobody's, at nobody's file, saved by nobody", NobodyUser(), NobodyUser(), true, true},
        {"root's, at nobody's file, saved by root", 0, NobodyUser(), false, true},
        {"root's, at nobody's file, saved by nobody", 0, NobodyUser(), true, true},
    };
    for (const LinkCase& link : cases) {
        SCOPED_TRACE(link.what);
        // Root's target sits where only root may look, as a private file would.
        const auto elsewhere = temp_.Path() / "elsewhere";
        fs::remove_all(elsewhere);
        fs::create_directory(elsewhere);
        fs::permissions(elsewhere, link.targetOwner == 0 ? fs::perms::owner_all : fs::perms::all);
        const auto target = temp_.Write("elsewhere/private", "private bytes");
        ASSERT_EQ(::chown(target.c_str(), link.targetOwner, link.targetOwner ? NobodyGroup() : 0),
                  0);
        fs::permissions(target, static_cast<fs::perms>(link.targetOwner == 0 ? 0640 : 0666));
        const auto planted = data_ / "autoexec.btf";
        fs::remove(planted);
        fs::create_symlink(target, planted);
        ASSERT_EQ(::lchown(planted.c_str(), link.linkOwner, NobodyGroup()), 0);

        RunAs(link.asNobody, [&] {
            posix::PosixFileSystem files;
            const auto error = files.ReplaceAll(planted.string(), "unit batch text");
            if (link.writtenThrough) {
                EXPECT_EQ(error, std::nullopt) << error->Describe();
            } else {
                EXPECT_EQ(error, (platform::FileError{planted.string(), kForeignLink}));
            }
        });
        EXPECT_EQ(ReadBytes(target), link.writtenThrough ? "unit batch text" : "private bytes");
        EXPECT_TRUE(fs::is_symlink(planted));
        EXPECT_EQ(fs::read_symlink(planted), target);
        EXPECT_EQ(StatOf(target).st_uid, link.targetOwner);
        EXPECT_EQ(Names(), std::vector<std::string>{"autoexec.btf"});
        EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), {}), 1);
    }
}

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
                const auto error = files.ReplaceAll(file.string(), "new bytes");
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
            const auto error = files.ReplaceAll(file.string(), "new");
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
