#pragma once

#include <memory>
#include <string>
#include <utility>

#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/headless/FixedClock.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/MapEnvironment.h"
#include "platform/headless/ScriptedPrompt.h"
#include "support/ForwardingFileSystem.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"

namespace psion::testing {

// The native file layer, with the drive "C:" standing for a folder, so a home
// drive of "C:" reaches real files without touching the machine's own.
class DriveCOnFolder : public ForwardingFileSystem {
  public:
    DriveCOnFolder(platform::FileSystem& real, std::string folder)
        : ForwardingFileSystem(real), folder_(std::move(folder)) {}
    bool IsFile(const std::string& path) const override { return Real().IsFile(Map(path)); }
    platform::OpenedFile OpenForReading(const std::string& path) const override {
        return Real().OpenForReading(Map(path));
    }
    platform::BegunChanges BeginChanges(const std::string& folderPath) override {
        return Real().BeginChanges(Map(folderPath));
    }

  private:
    std::string Map(const std::string& path) const {
        // On Windows the folder itself may lie on C:; its own paths stay as they are.
        if (path.rfind("C:", 0) == 0 && path.rfind(folder_, 0) != 0) {
            return folder_ + path.substr(2);
        }
        return path;
    }
    std::string folder_;
};

// The program as the logic tests run it: its logic in the headless window
// binding, on this system's real files and processes, with the environment,
// clock and user in memory. The home drive is a fresh temporary folder, and
// so is drive "C:". Files is the test's double of the file layer over the
// real one (see ForwardingFileSystem).
template <class Files = ForwardingFileSystem>
struct HeadlessProgram {
    // Builds the main window, runs its loading and shows it with the initial focus.
    headless::HeadlessWindow& Start() { return windows.Open(mainWindow); }

    TempDir temp;
    std::string home = AsSystemPath(temp.Path());
    std::unique_ptr<platform::FileSystem> nativeFiles = MakeNativeFileSystem();
    DriveCOnFolder nativeOnDriveC{*nativeFiles, home};
    // As the file layer it forwards to, not as a double to copy.
    Files files{static_cast<platform::FileSystem&>(nativeOnDriveC)};
    std::unique_ptr<platform::ProcessLauncher> processes = MakeNativeProcessLauncher();
    headless::MapEnvironment environment;
    headless::FixedClock clock{{2026, 12, 7}};
    headless::ScriptedPrompt prompt;
    headless::HeadlessWindowSystem windows;
    // Not named platform, which would hide the namespace in the tests' fixtures.
    platform::Platform platformParts{files, environment, clock, *processes, prompt, windows};
    app::SharedValues shared;
    app::MainWindow mainWindow{shared, platformParts};
};

}  // namespace psion::testing
