// What a rewritten file keeps: its ACL, attributes, owners and other names, and
// its links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/FileKeepingFixture.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ChildProcess.h"
#include "support/OneFileSet.h"

namespace psion::testing {
namespace {

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
            EXPECT_EQ(ReplaceFile(files, file.string(), "new"), std::nullopt);
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
    EXPECT_EQ(ReplaceFile(files, file.string(), "serial1=directserial port:COM3"), std::nullopt);
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
            const auto error = ReplaceFile(files, planted.string(), "unit batch text");
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

}  // namespace
}  // namespace psion::testing
