#include "support/win32/OtherProcess.h"

#include <cstring>
#include <vector>

namespace psion::testing {

namespace {

HANDLE StartProcess(const std::wstring& program, std::wstring commandLine, DWORD flags,
                    bool inheritHandles) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                        inheritHandles ? TRUE : FALSE, flags | CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

void KillProcess(HANDLE& process) {
    if (process == nullptr) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
    process = nullptr;
}

std::wstring SystemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

}  // namespace

ProcessHoldingFile::ProcessHoldingFile(const std::filesystem::path& file, DWORD share) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE held = CreateFileW(file.wstring().c_str(), GENERIC_WRITE, share, &inherited, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return;
    // A suspended process runs nothing but holds what it inherited.
    process_ = StartProcess(SystemProgram(L"cmd.exe"), L"cmd.exe", CREATE_SUSPENDED, true);
    CloseHandle(held);
}

void ProcessHoldingFile::Kill() { KillProcess(process_); }

ChildTestProgram::ChildTestProgram(const std::string& testName, const std::string& argument) {
    std::vector<wchar_t> self(32768);
    GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    const std::wstring program(self.data());
    const std::wstring filter(testName.begin(), testName.end());
    SetEnvironmentVariableA("PSION_CHILD_ARGUMENT", argument.c_str());
    process_ = StartProcess(
        program, L"\"" + program + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + filter,
        0, false);
    SetEnvironmentVariableA("PSION_CHILD_ARGUMENT", nullptr);
}

bool ChildTestProgram::WaitForFile(const std::filesystem::path& file) const {
    if (process_ == nullptr) return false;
    while (!std::filesystem::exists(file)) {
        if (WaitForSingleObject(process_, 10) != WAIT_TIMEOUT) return std::filesystem::exists(file);
    }
    return true;
}

void ChildTestProgram::Kill() { KillProcess(process_); }

bool MakeHostLink(const std::filesystem::path& target, const std::filesystem::path& link) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) return false;
    const auto quoted = [&](const std::filesystem::path& path) {
        char* name = unixName(path.wstring().c_str());
        if (name == nullptr) return std::wstring();
        std::wstring wide(name, name + std::strlen(name));
        HeapFree(GetProcessHeap(), 0, name);
        return L"\"" + wide + L"\"";
    };
    // Wine starts a program of the host, but cannot wait for it to end.
    std::wstring commandLine = L"Z:\\bin\\ln -s " + quoted(target) + L" " + quoted(link);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 500; ++wait) {
        if (GetFileAttributesW(link.wstring().c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(10);
    }
    return false;
}

}  // namespace psion::testing
