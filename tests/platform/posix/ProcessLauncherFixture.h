#pragma once

// What the launcher tests share: paths as the logic spells them, and the two
// kinds of start.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/ScriptedPrompt.h"
#include "platform/posix/PathMapping.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/posix/ProcessTable.h"
#include "platform/posix/ScopedEnv.h"
#include "platform/posix/ScriptCommand.h"
#include "support/NativePlatform.h"
#include "support/ScopedWorkingFolder.h"
#include "support/TempDir.h"
#include "support/TestScripts.h"
#include "transfer/ScriptLauncher.h"

namespace psion::testing {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The working folder as the program started, before any test could change it.
inline const fs::path startFolder = fs::current_path();

// A script line that appends the process id of the shell running the script.
inline std::string AppendShellId(const fs::path& file) {
    return "echo $$ >> '" + file.string() + "'";
}

// Waits until the file holds that many lines; false when it has not within the limit.
inline bool WaitForLines(const fs::path& file, std::size_t count,
                         std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto deadline = Clock::now() + limit;
    while (ReadLines(file).size() < count) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Which of the two starts a case goes through: one the caller waits for, as
// Receive does, or one that runs on by itself, as Send does.
enum class StartKind { Awaited, Detached };

inline const char* NameOf(StartKind kind) {
    return kind == StartKind::Awaited ? "awaited" : "detached";
}

class PosixProcessLauncherTest : public ::testing::Test {
  protected:
    // The path as the logic spells it: the system path, then backslashes.
    std::string LogicPath(const std::string& relative) const {
        return AsSystemPath(temp_.Path()) + "\\" + relative;
    }
    fs::path Native(const std::string& relative) const {
        return posix::MapToNativePath(LogicPath(relative));
    }

    // Starts the script at that logic path and, for a start that is waited
    // for, waits for it.
    static platform::ProcessId StartAs(StartKind kind, posix::PosixProcessLauncher& launcher,
                                       const std::string& logicPath, std::int16_t windowStyle) {
        if (kind == StartKind::Detached) return launcher.StartDetached(logicPath, windowStyle);
        const platform::ProcessId id = launcher.Start(logicPath, windowStyle);
        launcher.WaitForExit(id);
        return id;
    }

    TempDir temp_;
    posix::PosixProcessLauncher launcher_;
};

}  // namespace psion::testing
