#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/posix/ScopedEnv.h"
#include "platform/posix/ScriptCommand.h"
#include "transfer/TransferFixture.h"

namespace psion::testing {
namespace {

namespace fs = std::filesystem;
using platform::PromptAnswer;

// Started as from the desktop menu: no home drive, so the data folder lies on
// drive C: of the Wine prefix, and its scripts are batch files for cmd.exe.
// Here the prefix's C: is the temporary folder, and wine is not installed.
class WithoutWineTest : public TransferTest {
  protected:
    void SetUp() override {
        environment.Set("homedrive", "");
        fs::create_directories(prefix_ / "dosdevices");
        fs::create_directory_symlink("../..", prefix_ / "dosdevices" / "c:");
        fs::create_directories(bin_);
        WriteUnitBatchFile();
        // Lines that /bin/sh would run: they must never be.
        WriteScript(DataFolder() / "startsend.bat", {script::AppendLine(Marker("ran"), "send")});
        WriteScript(DataFolder() / "startget.BAT", {script::AppendLine(Marker("ran"), "get")});
    }

    const fs::path prefix_ = temp.Path() / "wine";
    const fs::path bin_ = temp.Path() / "bin";
    ScopedEnv winePrefix_{"WINEPREFIX", prefix_.string()};
    ScopedEnv path_{"PATH", bin_.string()};
};

TEST_F(WithoutWineTest, SendShowsItsFailureTextAndNothingRuns) {
    ASSERT_FALSE(posix::FindProgram("wine").has_value());
    auto& window = Start();
    prompt.QueueAnswer(PromptAnswer::Yes);

    ASSERT_TRUE(window.Click(app::main_form::kSendButton));

    ASSERT_EQ(prompt.Shown().size(), 2u);
    EXPECT_EQ(prompt.Shown()[1].text,
              "There was a problem with STARTSEND.BAT.\r\n"
              "It did not complete successfully.\r\n"
              "(shell process return code = 0)");
    EXPECT_EQ(prompt.Shown()[1].title, "Send to Psion");
    EXPECT_FALSE(fs::exists(Marker("ran")));
    ExpectRestored(window);
}

TEST_F(WithoutWineTest, ReceiveShowsTheShellErrorThenItsFailureTextAndNothingRuns) {
    auto& window = Start();
    prompt.QueueAnswer(PromptAnswer::Yes);

    ASSERT_TRUE(window.Click(app::main_form::kReceiveButton));

    ASSERT_EQ(prompt.Shown().size(), 3u);
    EXPECT_EQ(prompt.Shown()[1].text,
              "Error shelling \\program files (x86)\\kelvo\\psion\\startget.BAT");
    EXPECT_EQ(prompt.Shown()[2].text,
              "There was a problem with STARTGET.BAT.\r\n"
              "It did not complete successfully.\r\n"
              "(shell process return code = 0)");
    EXPECT_FALSE(fs::exists(Marker("ran")));
    ExpectRestored(window);
}

// The same scripts in a POSIX home drive still run with /bin/sh.
TEST_F(WithoutWineTest, AScriptInAPosixHomeDriveStillRunsWithTheShell) {
    environment.Set("homedrive", home);
    auto& window = Start();
    prompt.QueueAnswer(PromptAnswer::Yes);

    ASSERT_TRUE(window.Click(app::main_form::kReceiveButton));

    ASSERT_EQ(prompt.Shown().size(), 2u);
    EXPECT_EQ(prompt.Shown()[1].text, "Process completed successfully.");
    EXPECT_EQ(ReadLines(Marker("ran")), std::vector<std::string>{"get"});
}

}  // namespace
}  // namespace psion::testing
