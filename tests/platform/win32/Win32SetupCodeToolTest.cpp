#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/headless/FixedClock.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Text.h"
#include "setup/SetupCode.h"

namespace psion::testing {
namespace {

struct ToolRun {
    DWORD exitCode = 0;
    std::string output;  // standard output and standard error together
};

// Runs psion-setup-code.exe with those arguments and collects what it prints.
ToolRun RunTool(const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) throw std::runtime_error("no pipe");
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine =
        L"\"" + win32::ToWide(PSION_SETUP_CODE_EXE) + L"\" " + win32::ToWide(arguments);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        throw std::runtime_error("cannot start " + std::string(PSION_SETUP_CODE_EXE));
    }
    ToolRun run;
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        run.output.append(buffer, read);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    return run;
}

TEST(Win32SetupCodeTool, PrintsTheCodeThatTheDialogAcceptsOnThatDate) {
    const ToolRun run = RunTool("--date 2026-03-07");

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "AICGGLGOIMMR\r\n");  // a console program's text ends lines with CR LF
    const headless::FixedClock clock({2026, 3, 7});
    EXPECT_TRUE(setup::CheckSetupCode("AICGGLGOIMMR", clock));
}

TEST(Win32SetupCodeTool, PrintsTodaysCodeByTheWindowsClockAndRefusesBadArguments) {
    const ToolRun today = RunTool("");
    EXPECT_EQ(today.exitCode, 0u);
    EXPECT_EQ(today.output, setup::SetupCodeFor(win32::Win32Clock().Today()) + "\r\n");

    const ToolRun bad = RunTool("--date 2026-02-30");
    EXPECT_EQ(bad.exitCode, 2u);
    EXPECT_NE(bad.output.find("Usage: psion-setup-code"), std::string::npos) << bad.output;
}

}  // namespace
}  // namespace psion::testing
