#include "platform/win32/Win32ProcessLauncher.h"

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/Win32Text.h"

namespace psion::win32 {
namespace {

std::optional<std::wstring> CommandInterpreter() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::wstring(folder, length) + L"\\cmd.exe";
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// What cmd.exe is told to run, and the folder to start it in (empty: the caller's own).
struct Invocation {
    std::wstring target;
    std::wstring folder;
};

// cmd.exe expands %name% even inside quotes, so a folder holding % is not put
// on the command line: the script is started from that folder by name alone.
// A quote, CR or LF cannot be passed through cmd.exe literally at all.
std::optional<Invocation> PlanInvocation(const std::wstring& script) {
    if (script.find_first_of(L"\"\r\n") != std::wstring::npos) return std::nullopt;
    const auto separator = script.find_last_of(L"\\/");
    const std::wstring name =
        separator == std::wstring::npos ? script : script.substr(separator + 1);
    if (name.find(L'%') != std::wstring::npos) return std::nullopt;
    if (script.find(L'%') == std::wstring::npos) return Invocation{script, {}};
    return Invocation{L".\\" + name, script.substr(0, separator + 1)};
}

}  // namespace

Win32ProcessLauncher::~Win32ProcessLauncher() {
    for (const auto& [id, handle] : handles_) CloseHandle(static_cast<HANDLE>(handle));
}

platform::ProcessId Win32ProcessLauncher::Start(const std::string& scriptPath,
                                                std::int16_t windowStyle) {
    ForgetEndedProcesses();

    const std::wstring script = ToWide(scriptPath);
    const auto invocation = PlanInvocation(script);
    const auto interpreter = CommandInterpreter();
    if (!invocation || !interpreter || !IsExistingFile(script)) return 0;

    // /s strips only the outer quotes, so the inner pair keeps blanks,
    // parentheses, & and ^ literal; /v:OFF keeps ! literal; /d skips AutoRun.
    std::wstring commandLine = L"cmd.exe /d /e:ON /v:OFF /s /c \"\"" + invocation->target + L"\"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    DWORD flags = 0;
    if (windowStyle == platform::kWindowNormalFocused) {
        flags = CREATE_NEW_CONSOLE;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
    } else {
        flags = CREATE_NO_WINDOW;
    }

    PROCESS_INFORMATION process{};
    const wchar_t* folder = invocation->folder.empty() ? nullptr : invocation->folder.c_str();
    if (!CreateProcessW(interpreter->c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                        nullptr, folder, &startup, &process)) {
        return 0;
    }
    CloseHandle(process.hThread);
    const auto id = static_cast<platform::ProcessId>(process.dwProcessId);
    if (const auto old = handles_.find(id); old != handles_.end()) {
        CloseHandle(static_cast<HANDLE>(old->second));
    }
    handles_[id] = process.hProcess;
    return id;
}

void Win32ProcessLauncher::WaitForExit(platform::ProcessId id) {
    HANDLE handle = nullptr;
    if (const auto kept = handles_.find(id); kept != handles_.end()) {
        handle = static_cast<HANDLE>(kept->second);
        handles_.erase(kept);
    } else {
        handle = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
        if (handle == nullptr) return;  // already ended, or never ours: nothing to wait for
    }
    WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
}

// Scripts that are never waited for would otherwise keep their handles open for good.
void Win32ProcessLauncher::ForgetEndedProcesses() {
    for (auto entry = handles_.begin(); entry != handles_.end();) {
        HANDLE handle = static_cast<HANDLE>(entry->second);
        if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) {
            CloseHandle(handle);
            entry = handles_.erase(entry);
        } else {
            ++entry;
        }
    }
}

}  // namespace psion::win32
