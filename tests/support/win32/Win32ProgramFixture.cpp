#include "support/win32/Win32ProgramFixture.h"

#include <windows.h>

#include <filesystem>
#include <utility>

#include "support/NativePlatform.h"

namespace psion::testing {

namespace {

std::function<void(win32::Win32FormWindow&)> insideDialog;
win32::Win32FormWindow* dialogOpener = nullptr;

// Runs once the dialog's own message loop is going.
void CALLBACK RunInsideDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    win32::Win32FormWindow* dialog = win32::Win32FormWindow::Topmost();
    if (dialog == nullptr || dialog == dialogOpener) return;
    std::exchange(insideDialog, nullptr)(*dialog);
}

}  // namespace

Win32ProgramTest::Win32ProgramTest() {
    // The windows annotate their fields for screen readers through COM, as the program does.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::filesystem::copy(std::filesystem::path(PSION_EXAMPLES_DIR) / "demo-drive", temp_.Path(),
                          std::filesystem::copy_options::recursive);
    environment_.Set("homedrive", AsSystemPath(temp_.Path()));
}

Win32ProgramTest::~Win32ProgramTest() {
    mainWindow_.reset();
    // Closing the main window posts the end of the program; it must not reach the next test.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    CoUninitialize();
}

win32::Win32FormWindow& Win32ProgramTest::ShowMainWindow() {
    mainWindow_ =
        std::make_unique<win32::Win32FormWindow>(logic_, win32::Win32FormWindow::Kind::Main);
    logic_.Load(*mainWindow_);
    mainWindow_->Show();
    return *mainWindow_;
}

void Win32ProgramTest::WhileDialogIsOpen(
    win32::Win32FormWindow& window, int menuPlace,
    std::function<void(win32::Win32FormWindow& dialog)> inside) {
    dialogOpener = &window;
    insideDialog = std::move(inside);
    SetTimer(nullptr, 0, 50, &RunInsideDialog);
    HMENU bar = GetMenu(window.Handle());
    SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(bar, menuPlace), 0), 0);
    EXPECT_EQ(insideDialog, nullptr) << "the dialog did not open";
    insideDialog = nullptr;
}

}  // namespace psion::testing
