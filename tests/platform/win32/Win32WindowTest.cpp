#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/headless/FixedClock.h"
#include "platform/headless/MapEnvironment.h"
#include "platform/headless/ScriptedPrompt.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32FormWindow.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32WindowSystem.h"
#include "support/NativePlatform.h"
#include "support/TempDir.h"

namespace psion::testing {
namespace {

using platform::ControlRef;

std::string WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return win32::FromWide(text);
}

// The real Win32 main window on a copy of the demo drive, its home drive.
class Win32WindowTest : public ::testing::Test {
  protected:
    Win32WindowTest() {
        std::filesystem::copy(std::filesystem::path(PSION_EXAMPLES_DIR) / "demo-drive",
                              temp_.Path(), std::filesystem::copy_options::recursive);
        environment_.Set("homedrive", AsSystemPath(temp_.Path()));
    }
    ~Win32WindowTest() override {
        // Closing the main window posts the end of the program; it must not reach the next test.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

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
};

TEST_F(Win32WindowTest, BuildsTheMainWindowFromItsDescriptionAndLoadsIt) {
    win32::Win32FormWindow window(logic_, win32::Win32FormWindow::Kind::Main);
    logic_.Load(window);
    window.Show();

    // Selecting the path list's entry at start-up ran the path choice.
    HWND paths = window.Control({"Combo1", -1});
    EXPECT_EQ(SendMessageW(paths, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(window.SelectedIndex({"Combo1", -1}), 1);
    EXPECT_EQ(shared_.SystemPath, AsSystemPath(temp_.Path()) + "\\program files (x86)");
    EXPECT_EQ(WindowText(window.Control({"lbltype", -1})), "MX Version");
    EXPECT_EQ(WindowText(window.Control({"lblComm", -1})), "COM1");

    // The focus starts on "Send Data to Psion".
    HWND send = window.Control({"Command1", 0});
    EXPECT_EQ(GetFocus(), send);
    EXPECT_EQ(WindowText(send), "Send Data to Psion");

    // Controls stand at their twips positions.
    const unsigned dpi = win32::DpiOf(window.Handle());
    RECT exitArea;
    GetWindowRect(window.Control({"exitbtn", -1}), &exitArea);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&exitArea), 2);
    EXPECT_EQ(exitArea.left, win32::TwipsToPixels(2172, dpi));
    EXPECT_EQ(exitArea.top, win32::TwipsToPixels(3756, dpi));
    EXPECT_EQ(exitArea.right - exitArea.left, win32::TwipsToPixels(804, dpi));
    RECT client;
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, win32::TwipsToPixels(5148, dpi));
}

TEST_F(Win32WindowTest, ForwardsTheControlsEventsToTheLogic) {
    win32::Win32FormWindow window(logic_, win32::Win32FormWindow::Kind::Main);
    logic_.Load(window);
    window.Show();

    // Tab moves on in tab order, from Send to Receive.
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    win32::DispatchWindowMessage(tab);
    EXPECT_EQ(GetFocus(), window.Control({"Command1", 1}));

    // A click on the check box reaches its handler.
    SendMessageW(window.Control({"Check1", -1}), BM_CLICK, 0, 0);
    EXPECT_EQ(shared_.ShowCommandWindow, 1);

    // A user's choice in the path list refreshes the status panel.
    HWND paths = window.Control({"Combo1", -1});
    SendMessageW(paths, CB_SETCURSEL, 0, 0);
    SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(paths), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(paths));
    EXPECT_EQ(shared_.SystemPath, AsSystemPath(temp_.Path()) + "\\program files");
    EXPECT_EQ(WindowText(window.Control({"lbltype", -1})), "No files");

    // The Exit button closes the main window.
    SendMessageW(window.Control({"exitbtn", -1}), BM_CLICK, 0, 0);
    EXPECT_FALSE(window.IsOpen());
}

// Runs once the dialog's own message loop is going: checks the opener is
// disabled meanwhile, then presses the dialog's "Exit".
win32::Win32FormWindow* openerOfDialog = nullptr;
bool openerEnabledWhileDialogShown = true;
std::string dialogName;

void CALLBACK PressExitOfDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    win32::Win32FormWindow* dialog = win32::Win32FormWindow::Topmost();
    if (dialog == nullptr || dialog == openerOfDialog) return;
    openerEnabledWhileDialogShown = IsWindowEnabled(openerOfDialog->Handle()) != FALSE;
    dialogName = WindowText(dialog->Control({"Command1", -1}));
    SendMessageW(dialog->Control({"Command1", -1}), BM_CLICK, 0, 0);
}

TEST_F(Win32WindowTest, ContactUsRunsTheContactDialogModallyUntilItsExit) {
    win32::Win32FormWindow window(logic_, win32::Win32FormWindow::Kind::Main);
    logic_.Load(window);
    window.Show();
    openerOfDialog = &window;
    SetTimer(nullptr, 0, 50, &PressExitOfDialog);

    // "Contact Us" is a top-level menu command; its handler returns once the dialog has closed.
    HMENU bar = GetMenu(window.Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(bar, 2), 0), 0);

    EXPECT_EQ(dialogName, "Exit");
    EXPECT_FALSE(openerEnabledWhileDialogShown);
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    EXPECT_EQ(win32::Win32FormWindow::Topmost(), &window);
}

}  // namespace
}  // namespace psion::testing
