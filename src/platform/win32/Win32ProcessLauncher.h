#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/ProcessLauncher.h"

namespace psion::win32 {

// The folders that hold cmd.exe: the system's own, and the 32-bit one's where
// the system has one (on 64-bit Windows, SysWOW64).
struct InterpreterFolders {
    std::optional<std::wstring> wow64;
    std::wstring system;
};
InterpreterFolders SystemInterpreterFolders();

// Starts a batch script through cmd.exe: the 32-bit one where the system has
// one, for the unit's scripts were written for it, and the system's own
// where there is none or the 32-bit one cannot be started. The process
// handle of each start is kept, so that a wait is on that very process even
// if its id has been given to another one since.
class Win32ProcessLauncher : public platform::ProcessLauncher {
  public:
    Win32ProcessLauncher() : Win32ProcessLauncher(SystemInterpreterFolders()) {}
    explicit Win32ProcessLauncher(InterpreterFolders folders) : folders_(std::move(folders)) {}
    ~Win32ProcessLauncher() override;
    Win32ProcessLauncher(const Win32ProcessLauncher&) = delete;
    Win32ProcessLauncher& operator=(const Win32ProcessLauncher&) = delete;

    platform::ProcessId Start(const std::string& scriptPath, std::int16_t windowStyle) override;
    void WaitForExit(platform::ProcessId id) override;

  private:
    void ForgetEndedProcesses();

    InterpreterFolders folders_;
    std::map<platform::ProcessId, void*> handles_;  // process id -> process HANDLE
};

}  // namespace psion::win32
