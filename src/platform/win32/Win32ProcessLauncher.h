#pragma once

#include <map>

#include "platform/ProcessLauncher.h"

namespace psion::win32 {

// Starts a batch script through the system directory's cmd.exe. The process
// handle of each start is kept, so that a wait is on that very process even
// if its id has been given to another one since.
class Win32ProcessLauncher : public platform::ProcessLauncher {
  public:
    Win32ProcessLauncher() = default;
    ~Win32ProcessLauncher() override;
    Win32ProcessLauncher(const Win32ProcessLauncher&) = delete;
    Win32ProcessLauncher& operator=(const Win32ProcessLauncher&) = delete;

    platform::ProcessId Start(const std::string& scriptPath, std::int16_t windowStyle) override;
    void WaitForExit(platform::ProcessId id) override;

  private:
    void ForgetEndedProcesses();

    std::map<platform::ProcessId, void*> handles_;  // process id -> process HANDLE
};

}  // namespace psion::win32
