#include "support/ChildPrograms.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace psion::testing {

namespace {

// One argument as the C runtime splits a command line: quoted, with the
// backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

HANDLE Start(const Command& command) {
    std::wstring commandLine;
    for (const std::string& argument : command) {
        if (!commandLine.empty()) commandLine += L' ';
        commandLine += Quoted(win32::ToWide(argument));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(win32::ToWide(command.front()).c_str(), commandLine.data(), nullptr,
                        nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

}  // namespace

std::vector<int> RunTogether(const std::vector<Command>& commands,
                             const std::function<void()>& whileRunning) {
    std::vector<HANDLE> running;
    std::vector<int> exitCodes(commands.size(), -1);
    for (const Command& command : commands) running.push_back(Start(command));

    for (;;) {
        try {
            whileRunning();
        } catch (...) {
            // The programs are left to end by themselves before the failure goes on.
            for (HANDLE child : running) {
                if (child == nullptr) continue;
                WaitForSingleObject(child, INFINITE);
                CloseHandle(child);
            }
            throw;
        }
        bool anyRunning = false;
        for (std::size_t i = 0; i < running.size(); ++i) {
            if (running[i] == nullptr) continue;
            if (WaitForSingleObject(running[i], 0) == WAIT_TIMEOUT) {
                anyRunning = true;
                continue;
            }
            DWORD exitCode = 0;
            if (GetExitCodeProcess(running[i], &exitCode))
                exitCodes[i] = static_cast<int>(exitCode);
            CloseHandle(running[i]);
            running[i] = nullptr;
        }
        if (!anyRunning) return exitCodes;
    }
}

}  // namespace psion::testing
