#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace psion::testing {

// Another process that holds one file open for writing, as a Save still
// writing it does: without letting it be deleted, and with share 0 without
// letting anyone else open it, as a virus scanner may. It is killed, and so
// lets go, when this goes out of scope or Kill is called.
class ProcessHoldingFile {
  public:
    explicit ProcessHoldingFile(const std::filesystem::path& file, DWORD share = FILE_SHARE_READ);
    ~ProcessHoldingFile() { Kill(); }
    ProcessHoldingFile(const ProcessHoldingFile&) = delete;
    ProcessHoldingFile& operator=(const ProcessHoldingFile&) = delete;

    bool Started() const { return process_ != nullptr; }
    void Kill();

  private:
    HANDLE process_ = nullptr;
};

// This test program run again as a child, running only the named disabled
// test with the environment variable PSION_CHILD_ARGUMENT set to the argument.
// Killed when this goes out of scope, if it still runs.
class ChildTestProgram {
  public:
    ChildTestProgram(const std::string& testName, const std::string& argument);
    ~ChildTestProgram() { Kill(); }
    ChildTestProgram(const ChildTestProgram&) = delete;
    ChildTestProgram& operator=(const ChildTestProgram&) = delete;

    bool Started() const { return process_ != nullptr; }
    // Waits until the file exists; false when the child ended first.
    bool WaitForFile(const std::filesystem::path& file) const;
    // Ends it at once, as Task Manager's "End task" does.
    void Kill();

  private:
    HANDLE process_ = nullptr;
};

// Makes link a symbolic link to target as the machine that runs Wine makes
// one, which Wine shows as the file it leads to; Wine makes none itself.
// False when this runs on Windows or the link did not appear.
bool MakeHostLink(const std::filesystem::path& target, const std::filesystem::path& link);

}  // namespace psion::testing
