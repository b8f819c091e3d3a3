#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "app/MainForm.h"
#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/headless/FixedClock.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/MapEnvironment.h"
#include "platform/headless/ScriptedPrompt.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"

namespace psion::testing {

// The native file layer, with the drive "C:" standing for a temporary folder,
// so a home drive of "C:" reaches real files without touching the machine's own.
class DriveCOnFolder : public platform::FileSystem {
  public:
    DriveCOnFolder(platform::FileSystem& real, std::string folder)
        : real_(real), folder_(std::move(folder)) {}
    bool IsFile(const std::string& path) const override { return real_.IsFile(Map(path)); }
    platform::OpenedFile OpenForReading(const std::string& path) const override {
        return real_.OpenForReading(Map(path));
    }
    platform::BegunChanges BeginChanges(const std::string& folderPath) override {
        return real_.BeginChanges(Map(folderPath));
    }

  private:
    std::string Map(const std::string& path) const {
        // On Windows the temporary folder itself may lie on C:; its own paths stay as they are.
        if (path.rfind("C:", 0) == 0 && path.rfind(folder_, 0) != 0) {
            return folder_ + path.substr(2);
        }
        return path;
    }
    platform::FileSystem& real_;
    std::string folder_;
};

// A unit batch file as the setup writes it, with the given rem and link lines.
inline std::string UnitBatchFile(std::string_view remLine, std::string_view linkLine) {
    return "setdef am5\r\nsetdef ab2\r\n" + std::string(remLine) + "\r\n" + std::string(linkLine) +
           "\r\npdc\r\n";
}

// A send configuration file whose only port line ends in the given port.
inline std::string SendConfigFile(std::string_view port) {
    return "[serial]\r\nserial1=directserial port:" + std::string(port) + "\r\nbaud=9600\r\n";
}

inline constexpr std::string_view kProgramFiles = "program files";
inline constexpr std::string_view kProgramFilesX86 = "program files (x86)";

// The main window on a home drive that is a fresh temporary folder, driven
// through the headless binding, with real files and processes behind it.
class MainWindowTest : public ::testing::Test {
  protected:
    // Writes <home>/<root>/kelvo/psion/<name>.
    void WriteUnitFile(std::string_view root, std::string_view name, std::string_view bytes) {
        temp_.Write(std::string(root) + "/kelvo/psion/" + std::string(name), bytes);
    }
    void RemoveUnitFile(std::string_view root, std::string_view name) {
        std::filesystem::remove(temp_.Path() / root / "kelvo" / "psion" / name);
    }

    headless::HeadlessWindow& Start() { return windows_.Open(mainWindow_); }

    TempDir temp_;
    std::string home_ = AsSystemPath(temp_.Path());
    std::unique_ptr<platform::FileSystem> nativeFiles_ = MakeNativeFileSystem();
    std::unique_ptr<platform::FileSystem> files_ =
        std::make_unique<DriveCOnFolder>(*nativeFiles_, home_);
    std::unique_ptr<platform::ProcessLauncher> processes_ = MakeNativeProcessLauncher();
    headless::MapEnvironment environment_;
    headless::FixedClock clock_{{2026, 12, 7}};
    headless::ScriptedPrompt prompt_;
    headless::HeadlessWindowSystem windows_;
    platform::Platform platform_{*files_, environment_, clock_, *processes_, prompt_, windows_};
    app::SharedValues shared_;
    app::MainWindow mainWindow_{shared_, platform_};
};

}  // namespace psion::testing
