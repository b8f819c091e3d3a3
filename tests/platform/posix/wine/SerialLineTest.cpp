#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/posix/wine/VirtualSerialLine.h"
#include "platform/posix/wine/WineUnitFixture.h"
#include "support/TempDir.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kSuccess[] = "Process completed successfully.";

std::string LinkTarget(const fs::path& link) {
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    return error ? std::string("(no link)") : target.string();
}

std::string ReadIfThere(const fs::path& file) {
    return fs::exists(file) ? ReadBytes(file) : std::string("(no file)");
}

// The unit's transfer program on COM1, which the README's Ports value maps
// to the computer's end of a virtual serial line; the test is the unit.
class SerialLineTest : public WineUnitTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(PlaceProgram(PSION_COM_TRANSFER_EXE, DataFolder() / "comxfer.exe"))
            << "the stand-in transfer program needs x86_64-w64-mingw32-gcc "
               "(scripts/install-deps.sh)";
        ASSERT_TRUE(prefix_.MapComPort("COM1", line_.Device()));
    }

    // What a user checks after a start, as the README says.
    void ExpectCom1Mapped() const {
        EXPECT_EQ(LinkTarget(prefix_.Path() / "dosdevices" / "com1"), line_.Device());
    }

    VirtualSerialLine line_;
};

TEST_F(SerialLineTest, SendPutsTheDataFileDownTheLineByteForByte) {
    std::string data;
    for (int round = 0; round < 4; ++round) {
        for (int byte = 0; byte < 256; ++byte) data += static_cast<char>(byte);
    }
    data += "last line\r\n";
    std::ofstream(DataFolder() / "send.dat", std::ios::binary) << data;
    WriteBatch("startsend.bat", {"\"%~dp0comxfer.exe\" send COM1 \"%~dp0send.dat\""});

    ClickAndConfirm(app::main_form::kSendButton);

    EXPECT_EQ(ResultText(), kSuccess);
    // Send does not wait for its script: the unit hears it as the script runs.
    EXPECT_EQ(line_.HearUntilEnd(std::chrono::seconds(90)), data + "END\r\n");
    ExpectCom1Mapped();
}

TEST_F(SerialLineTest, ReceiveReturnsOnlyOnceTheReadingsTheUnitSendsLaterAreInTheDataFolder) {
    WriteBatch("startget.BAT", {"\"%~dp0comxfer.exe\" receive COM1 \"%~dp0readings.txt\""});
    const std::string readings = "0001,20.5\r\n0002,21.0\r\n0003,19.75\r\n";
    std::atomic<bool> said{false};
    std::thread unit([&] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        line_.Say(readings + "END\r\n");
        said = true;
    });

    ClickAndConfirm(app::main_form::kReceiveButton);
    const bool saidBeforeReturn = said;
    const std::string received = ReadIfThere(DataFolder() / "readings.txt");
    unit.join();

    EXPECT_TRUE(saidBeforeReturn);
    EXPECT_EQ(received, readings);
    EXPECT_EQ(ResultText(), kSuccess);
    ExpectCom1Mapped();
}

// Why the README maps the port in Wine's registry: Wine's mount manager
// writes dosdevices\com1 afresh whenever Wine starts. Should a later Wine keep
// a link made by hand, this fails, and the README can say so instead.
TEST(ComPortLinkTest, AHandMadeLinkIsOverwrittenAtTheNextWineStart) {
    TwinWinePrefix prefix;
    VirtualSerialLine line;
    const fs::path link = prefix.Path() / "dosdevices" / "com1";
    std::error_code ignored;
    fs::remove(link, ignored);
    fs::create_symlink(line.Device(), link);
    ASSERT_FALSE(prefix.ServerRuns());

    ASSERT_TRUE(prefix.Run("wine cmd /c exit"));

    EXPECT_NE(LinkTarget(link), line.Device());
}

}  // namespace
}  // namespace psion::testing
