#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "support/NativePlatform.h"
#include "support/win32/Win32DataFolderFixture.h"

namespace psion::testing {
namespace {

// What a file had before a Save, and where it pointed.
class Win32SaveKeepsTest : public Win32DataFolderTest {};

DWORD LinksOf(const std::filesystem::path& file) {
    HANDLE handle = CreateFileW(file.wstring().c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    const bool got = GetFileInformationByHandle(handle, &information) != 0;
    CloseHandle(handle);
    return got ? information.nNumberOfLinks : 0;
}

// A replacement would give the data folder's name a new file and leave the
// other name with the old port; the file is rewritten in place instead.
TEST_F(Win32SaveKeepsTest, AHardLinkedFileIsRewrittenInPlaceAndEveryNameSeesIt) {
    const auto file = WriteDataFile("s_psion.conf", "serial1=directserial port:COM1\r\n");
    const auto other = temp_.Path() / "s_psion.conf.other-name";
    ASSERT_TRUE(CreateHardLinkW(other.wstring().c_str(), file.wstring().c_str(), nullptr));

    EXPECT_FALSE(Save("s_psion.conf", "serial1=directserial port:COM2\r\n"));

    EXPECT_EQ(ReadBytes(file), "serial1=directserial port:COM2\r\n");
    EXPECT_EQ(ReadBytes(other), "serial1=directserial port:COM2\r\n");
    EXPECT_EQ(LinksOf(file), 2u);
    EXPECT_EQ(DataFolderNames(), std::vector<std::string>{"s_psion.conf"});

    // A shorter content leaves nothing of the longer one behind.
    EXPECT_FALSE(Save("s_psion.conf", "x\r\n"));
    EXPECT_EQ(ReadBytes(other), "x\r\n");
}

// Whether a write into a range another handle has locked fails, as on Windows;
// Wine lets it through.
bool LockedRangesRefuseWrites(const std::filesystem::path& scratch) {
    const auto open = [&](DWORD access) {
        return CreateFileW(scratch.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE locker = open(GENERIC_READ);
    HANDLE writer = open(GENERIC_WRITE);
    OVERLAPPED range{};
    LockFileEx(locker, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 10, 0, &range);
    DWORD written = 0;
    const bool refused = !WriteFile(writer, "x", 1, &written, nullptr);
    CloseHandle(writer);
    CloseHandle(locker);
    DeleteFileW(scratch.wstring().c_str());
    return refused;
}

// Another program locks a range the new content reaches into, so the write
// fails part-way: the original bytes are put back.
TEST_F(Win32SaveKeepsTest, AFailedRewriteInPlacePutsTheOriginalBytesBack) {
    if (!LockedRangesRefuseWrites(temp_.Path() / "scratch")) {
        GTEST_SKIP() << "this system lets a write into a locked range through";
    }
    const std::string original(100, 'o');
    const auto file = WriteDataFile("s_psion.conf", original);
    const auto other = temp_.Path() / "s_psion.conf.other-name";
    ASSERT_TRUE(CreateHardLinkW(other.wstring().c_str(), file.wstring().c_str(), nullptr));
    HANDLE locker =
        CreateFileW(other.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    OVERLAPPED range{};
    range.Offset = 150;
    ASSERT_TRUE(
        LockFileEx(locker, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 10, 0, &range));

    const auto error = Save("s_psion.conf", std::string(200, 'n'));
    UnlockFileEx(locker, 0, 10, 0, &range);
    CloseHandle(locker);

    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, AsSystemPath(file));
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_EQ(DataFolderNames(), std::vector<std::string>{"s_psion.conf"});
}

// Creating links needs a privilege, or developer mode, on Windows; Wine 8
// makes none through this call, though it answers that it did.
bool MadeSymbolicLink(const std::filesystem::path& link, const std::filesystem::path& target) {
    return CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(),
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
           GetFileAttributesW(link.wstring().c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A link planted by another user who may write the data folder would make
// the Save overwrite a file of the user's own elsewhere, or another unit file.
TEST_F(Win32SaveKeepsTest, ASymbolicLinkInAUnitFilesPlaceIsRefusedAndLeftAsItWas) {
    const auto outside = temp_.Write("elsewhere/profile", "someone's own file\r\n");
    const auto inside = WriteDataFile("s_psion.conf", "serial1=directserial port:COM1\r\n");
    for (const auto& target : {outside, inside}) {
        SCOPED_TRACE(target.string());
        const std::string before = ReadBytes(target);
        std::filesystem::remove(DataFile("autoexec.btf"));
        if (!MadeSymbolicLink(DataFile("autoexec.btf"), target)) {
            GTEST_SKIP() << "no symbolic link can be made here";
        }

        const auto error = Save("autoexec.btf", "setdef am5\r\n");

        ASSERT_TRUE(error);
        EXPECT_EQ(error->path, AsSystemPath(DataFile("autoexec.btf")));
        EXPECT_NE(error->reason.find("link"), std::string::npos) << error->reason;
        EXPECT_EQ(ReadBytes(target), before);
        EXPECT_NE(GetFileAttributesW(DataFile("autoexec.btf").wstring().c_str()) &
                      FILE_ATTRIBUTE_REPARSE_POINT,
                  0u);
        EXPECT_EQ(DataFolderNames(), (std::vector<std::string>{"autoexec.btf", "s_psion.conf"}));
    }
}

// ReplaceFileW carries the original's other streams over to the new file.
TEST_F(Win32SaveKeepsTest, AReplacedFileKeepsItsOtherStreams) {
    const auto file = WriteDataFile("r_psion.conf", "old\r\n");
    const std::wstring stream = file.wstring() + L":note";
    HANDLE note = CreateFileW(stream.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    // Wine makes a file of that name beside it instead.
    if (note == INVALID_HANDLE_VALUE || DataFolderNames().size() != 1) {
        if (note != INVALID_HANDLE_VALUE) CloseHandle(note);
        GTEST_SKIP() << "this file system has no other streams";
    }
    DWORD written = 0;
    WriteFile(note, "kept", 4, &written, nullptr);
    CloseHandle(note);

    EXPECT_FALSE(Save("r_psion.conf", "new\r\n"));

    EXPECT_EQ(ReadBytes(file), "new\r\n");
    EXPECT_EQ(ReadBytes(std::filesystem::path(stream)), "kept");
}

}  // namespace
}  // namespace psion::testing
