#include "platform/win32/Win32ProcessLauncher.h"

#include <windows.h>

#include <optional>
#include <string>

#include "common/BatchCommand.h"
#include "platform/win32/Win32BusyPointer.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {
namespace {

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The planning looks at ASCII characters only, so it works on UTF-8, where no
// byte of another character can be taken for a backslash, quote or %.
std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                            size, nullptr, nullptr);
    }
    return bytes;
}

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                            size);
    }
    return text;
}

}  // namespace

InterpreterFolders SystemInterpreterFolders() {
    InterpreterFolders folders;
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) folders.system.assign(folder, length);
    // Fails where the system has no 32-bit side, as on 32-bit Windows.
    length = GetSystemWow64DirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) folders.wow64.emplace(folder, length);
    return folders;
}

Win32ProcessLauncher::~Win32ProcessLauncher() {
    for (const auto& [id, handle] : handles_) CloseHandle(static_cast<HANDLE>(handle));
}

platform::ProcessId Win32ProcessLauncher::Start(const std::string& scriptPath,
                                                std::int16_t windowStyle) {
    ForgetEndedProcesses();

    const std::wstring script = ToWide(scriptPath);
    const auto plan =
        common::PlanBatchStart(ToUtf8(script), common::FolderUse::OnCommandLineWherePossible);
    if (!plan || folders_.system.empty() || !IsExistingFile(script)) return 0;

    const std::wstring startFolder = FromUtf8(plan->folder);

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
    const wchar_t* folder = startFolder.empty() ? nullptr : startFolder.c_str();
    bool started = false;
    for (const auto interpreter : common::CmdInterpretersToTry(folders_.wow64.has_value())) {
        const std::wstring program =
            (interpreter == common::CmdInterpreter::Wow64 ? *folders_.wow64 : folders_.system) +
            L"\\cmd.exe";
        std::wstring commandLine = FromUtf8(common::CmdCommandLine(*plan));
        // A 32-bit interpreter that cannot be started (missing, or not a
        // program this system runs) has run nothing, so the next one may.
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                           nullptr, folder, &startup, &process)) {
            started = true;
            break;
        }
    }
    if (!started) return 0;
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
    // A message box shown since the busy pointer was asked for put back the
    // arrow, and no WM_SETCURSOR is handled during the wait: set it once more.
    if (BusyPointerShown()) ShowBusyPointer(true);
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
