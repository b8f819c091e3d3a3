#include "transfer/ScriptLauncher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/ScriptedPrompt.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"
#include "support/TestScripts.h"

namespace psion::testing {
namespace {

using platform::ProcessId;

// Records every start and wait, and answers each start with the next queued id.
class RecordingLauncher : public platform::ProcessLauncher {
  public:
    struct Started {
        std::string path;
        std::int16_t windowStyle;
        bool detached = false;
    };

    explicit RecordingLauncher(std::vector<ProcessId> ids) : ids_(std::move(ids)) {}

    ProcessId Start(const std::string& scriptPath, std::int16_t windowStyle) override {
        started.push_back({scriptPath, windowStyle});
        return ids_.at(started.size() - 1);
    }
    ProcessId StartDetached(const std::string& scriptPath, std::int16_t windowStyle) override {
        started.push_back({scriptPath, windowStyle, true});
        return ids_.at(started.size() - 1);
    }
    void WaitForExit(ProcessId id) override {
        waitedFor.push_back(id);
        if (idSeenDuringWait != nullptr) seenDuringWait.push_back(*idSeenDuringWait);
    }

    std::vector<Started> started;
    std::vector<ProcessId> waitedFor;
    const ProcessId* idSeenDuringWait = nullptr;
    std::vector<ProcessId> seenDuringWait;

  private:
    std::vector<ProcessId> ids_;
};

TEST(ScriptLauncherTest, ReadsTheWindowStyleAtTheMomentOfEachStart) {
    RecordingLauncher processes({101, 102, 103});
    headless::ScriptedPrompt prompt;
    std::int16_t showCommandWindow = 0;
    transfer::ScriptLauncher launcher(processes, prompt, showCommandWindow);

    EXPECT_EQ(launcher.StartScript("C:\\a\\startsend.bat"), 101);
    showCommandWindow = 1;
    ProcessId id = 0;
    launcher.RunAndWait("C:\\a\\startget.BAT", id);
    showCommandWindow = 0;
    EXPECT_EQ(launcher.StartScript("C:\\a\\startsend.bat"), 103);

    ASSERT_EQ(processes.started.size(), 3u);
    EXPECT_EQ(processes.started[0].windowStyle, 0);
    EXPECT_EQ(processes.started[1].windowStyle, 1);
    EXPECT_EQ(processes.started[2].windowStyle, 0);
    EXPECT_EQ(processes.started[1].path, "C:\\a\\startget.BAT");
    EXPECT_EQ(id, 102);
    // Send's script runs on by itself; only Receive's is waited for.
    EXPECT_TRUE(processes.started[0].detached);
    EXPECT_FALSE(processes.started[1].detached);
    EXPECT_TRUE(processes.started[2].detached);
}

TEST(ScriptLauncherTest, StartScriptNeverWaitsAndShowsNothing) {
    RecordingLauncher processes({7, 0});
    headless::ScriptedPrompt prompt;
    const std::int16_t hidden = 0;
    transfer::ScriptLauncher launcher(processes, prompt, hidden);

    EXPECT_EQ(launcher.StartScript("C:\\x\\startsend.bat"), 7);
    EXPECT_EQ(launcher.StartScript("C:\\x\\startsend.bat"), 0);

    EXPECT_TRUE(processes.waitedFor.empty());
    EXPECT_TRUE(prompt.Shown().empty());
}

TEST(ScriptLauncherTest, RunAndWaitHandsTheIdBackBeforeWaitingForThatProcess) {
    RecordingLauncher processes({4242});
    headless::ScriptedPrompt prompt;
    const std::int16_t hidden = 0;
    transfer::ScriptLauncher launcher(processes, prompt, hidden);
    ProcessId id = -5;
    processes.idSeenDuringWait = &id;

    launcher.RunAndWait("C:\\x\\startget.BAT", id);

    EXPECT_EQ(id, 4242);
    EXPECT_EQ(processes.waitedFor, std::vector<ProcessId>{4242});
    EXPECT_EQ(processes.seenDuringWait, std::vector<ProcessId>{4242});
    EXPECT_TRUE(prompt.Shown().empty());
}

TEST(ScriptLauncherTest, RunAndWaitReportsAFailedStartWithTheApplicationTitleAndWaitsForNothing) {
    RecordingLauncher processes({0});
    headless::ScriptedPrompt prompt;
    const std::int16_t hidden = 0;
    transfer::ScriptLauncher launcher(processes, prompt, hidden);
    ProcessId id = 99;

    launcher.RunAndWait("C:\\program files (x86)\\kelvo\\psion\\startget.BAT", id);

    EXPECT_EQ(id, 0);
    EXPECT_TRUE(processes.waitedFor.empty());
    ASSERT_EQ(prompt.Shown().size(), 1u);
    const auto& box = prompt.Shown()[0];
    EXPECT_EQ(box.text, "Error shelling C:\\program files (x86)\\kelvo\\psion\\startget.BAT");
    EXPECT_EQ(box.title, platform::kApplicationTitle);
    EXPECT_EQ(box.buttons, platform::PromptButtons::Ok);
    EXPECT_EQ(box.icon, platform::PromptIcon::None);
}

TEST(ScriptLauncherTest, WithTheNativeLayerAMissingScriptIsReportedAndAnEndedOneWaitedFor) {
    TempDir temp;
    auto processes = MakeNativeProcessLauncher();
    headless::ScriptedPrompt prompt;
    const std::int16_t hidden = 0;
    transfer::ScriptLauncher launcher(*processes, prompt, hidden);
    const std::string folder = AsSystemPath(temp.Path()) + "\\kelvo\\psion\\";

    ProcessId id = 1;
    launcher.RunAndWait(folder + "startget.BAT", id);
    EXPECT_EQ(id, 0);
    ASSERT_EQ(prompt.Shown().size(), 1u);
    EXPECT_EQ(prompt.Shown()[0].text, "Error shelling " + folder + "startget.BAT");
    EXPECT_EQ(launcher.StartScript(folder + "startsend.bat"), 0);
    EXPECT_EQ(prompt.Shown().size(), 1u) << "StartScript shows nothing";

    const auto done = temp.Path() / "done";
    WriteScript(temp.Path() / "kelvo" / "psion" / "startget.BAT",
                {script::Sleep(1), script::AppendLine(done, "done"), script::Exit(3)});
    launcher.RunAndWait(folder + "startget.BAT", id);
    EXPECT_NE(id, 0);
    EXPECT_TRUE(std::filesystem::exists(done));
    EXPECT_EQ(prompt.Shown().size(), 1u);
}

}  // namespace
}  // namespace psion::testing
