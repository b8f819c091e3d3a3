#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/headless/FixedClock.h"
#include "platform/headless/MapEnvironment.h"
#include "platform/headless/ScriptedPrompt.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32FormWindow.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "platform/win32/Win32WindowSystem.h"
#include "support/TempDir.h"

namespace psion::testing {

// The program's real Win32 windows on a copy of the demo drive, its home drive.
class Win32ProgramTest : public ::testing::Test {
  protected:
    Win32ProgramTest();
    ~Win32ProgramTest() override;

    // The main window, built and loaded by its logic, and shown.
    win32::Win32FormWindow& ShowMainWindow();

    // Opens a dialog from the main window's menu bar item at that place and
    // runs inside while it is open; inside must close it.
    void WhileDialogIsOpen(win32::Win32FormWindow& window, int menuPlace,
                           std::function<void(win32::Win32FormWindow& dialog)> inside);

    TempDir temp_;
    win32::Win32FileSystem files_;
    headless::MapEnvironment environment_;
    headless::FixedClock clock_{{2026, 3, 7}};
    win32::Win32ProcessLauncher processes_;
    headless::ScriptedPrompt prompt_;
    win32::Win32WindowSystem windows_;
    platform::Platform platform_{files_, environment_, clock_, processes_, prompt_, windows_};
    app::SharedValues shared_;
    app::MainWindow logic_{shared_, platform_};

  private:
    std::unique_ptr<win32::Win32FormWindow> mainWindow_;
};

}  // namespace psion::testing
