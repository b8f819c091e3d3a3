// psion-setup-code, run as support staff run it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/MainForm.h"
#include "platform/headless/FixedClock.h"
#include "setup/SetupCode.h"
#include "setup/SetupDialogHarness.h"
#include "support/TempDir.h"

namespace psion::testing {
namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the tool with the given arguments (already quoted for the shell).
ToolRun RunTool(const std::string& arguments) {
    TempDir temp;
    const auto errFile = temp.Path() / "stderr";
    const std::string command = std::string("'") + PSION_SETUP_CODE_EXE + "' " + arguments +
                                " 2>'" + errFile.string() + "'";
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.out += buffer.data();
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadBytes(errFile);
    return run;
}

TEST(SetupCodeTool, PrintsTheCodeThatTheDialogAcceptsOnThatDate) {
    const ToolRun run = RunTool("--date 2026-03-07");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_TRUE(run.out.ends_with("\n"));
    const std::string printed = run.out.substr(0, run.out.size() - 1);

    headless::FixedClock clock({2026, 3, 7});
    EXPECT_TRUE(setup::CheckSetupCode(printed, clock));
    EXPECT_EQ(printed, "AICGGLGOIMMR");  // worked out by hand in SetupCodeTest.cpp
    clock.Set({2026, 3, 8});
    EXPECT_FALSE(setup::CheckSetupCode(printed, clock));
}

TEST(SetupCodeTool, PrintsADifferentCodeForEachDateAndOneForToday) {
    const ToolRun leapDay = RunTool("--date 2028-02-29");
    ASSERT_EQ(leapDay.exitCode, 0) << leapDay.err;
    EXPECT_TRUE(
        setup::CheckSetupCode(leapDay.out.substr(0, 12), headless::FixedClock({2028, 2, 29})));

    const ToolRun today = RunTool("");
    ASSERT_EQ(today.exitCode, 0) << today.err;
    ASSERT_EQ(today.out.size(), 13u) << today.out;
    for (char c : today.out.substr(0, 12)) EXPECT_TRUE(c >= 'A' && c <= 'U') << today.out;
    EXPECT_NE(today.out, leapDay.out);
}

TEST(SetupCodeTool, RejectsMalformedAndImpossibleDates) {
    for (const std::string arguments :
         {"--date 2026-02-30", "--date 2027-02-29", "--date 2026-13-01", "--date 2026-00-10",
          "--date 2026-04-31", "--date 2026-3-7", "--date 07.03.2026", "--date 2026-03-07x",
          "--date ''", "--date", "--date 2026-03-07 extra", "--day 2026-03-07", "2026-03-07",
          "--date 0000-01-01"}) {
        SCOPED_TRACE(arguments);
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "") << "no code is printed for a bad request";
        EXPECT_TRUE(run.err.starts_with("psion-setup-code: ")) << run.err;
        EXPECT_NE(run.err.find("Usage"), std::string::npos) << run.err;
    }
}

TEST(SetupCodeTool, ExplainsItsUsageOnRequestWithoutTheRule) {
    for (const std::string option : {"--help", "-h"}) {
        const ToolRun run = RunTool(option);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.starts_with("Usage: psion-setup-code [--date YYYY-MM-DD]\n"))
            << run.out;
        EXPECT_NE(run.out.find("--date YYYY-MM-DD  print the code of that calendar day"),
                  std::string::npos)
            << run.out;
        EXPECT_NE(run.out.find("customer support staff only"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Exit status"), std::string::npos) << run.out;
        // The rule stays with support: neither its pattern nor its offset is printed.
        EXPECT_EQ(run.out.find(setup::SetupCodePattern), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find(std::to_string(setup::SetupCodeOffset)), std::string::npos)
            << run.out;
        EXPECT_EQ(run.err, "");
    }
}

// What support does on the telephone: the tool's code for the day, typed into
// the program's setup dialog, on a copy of the demo drive.
TEST(SetupCodeTool, ItsCodeSavesTheDemoDriveAndTheStatusPanelShowsTheNewUnit) {
    using app::main_form::kLblComm;
    using app::main_form::kLbldest;
    using app::main_form::kLbltype;

    SetupDialogHarness h;  // its clock stands on 7 March 2026
    std::filesystem::copy(std::filesystem::path(PSION_EXAMPLES_DIR) / "demo-drive", h.temp.Path(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    h.environment.Set("homedrive", h.home);
    auto& window = h.Start();
    ASSERT_EQ(window.Text(kLbltype), "MX Version");

    const ToolRun run = RunTool("--date 2026-03-07");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string code = run.out.substr(0, run.out.find('\n'));
    h.windows.QueueModal([&](headless::HeadlessWindow& dialog) {
        dialog.Choose(kType, 1);
        dialog.Choose(kDest, 2);
        dialog.Choose(kPort, 1);
        dialog.Type(kText1, code);
        h.prompt.QueueAnswer(platform::PromptAnswer::Yes);
        dialog.Click(kSave);
    });
    ASSERT_TRUE(window.ClickMenu("mnuSetup"));

    EXPECT_EQ(h.LastMessage().text, "File changes have been saved");
    EXPECT_EQ(window.Text(kLbltype), "1Meg Version");
    EXPECT_EQ(window.Text(kLbldest), "link -sTTY:C -b19200");
    EXPECT_EQ(window.Text(kLblComm), "COM2");
    EXPECT_NE(h.Read("r_psion.conf").find("serial1=directserial port:COM2\r\n"), std::string::npos);
}

}  // namespace
}  // namespace psion::testing
