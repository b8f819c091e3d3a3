#include "platform/win32/Win32WindowSystem.h"

#include "platform/win32/Win32BusyPointer.h"
#include "platform/win32/Win32FormWindow.h"

namespace psion::win32 {

void DispatchWindowMessage(MSG& message) {
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && IsDialogMessageW(root, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Win32WindowSystem::ShowModal(platform::FormLogic& dialog) {
    Win32FormWindow* openerWindow = Win32FormWindow::Topmost();
    HWND opener = openerWindow != nullptr ? openerWindow->Handle() : nullptr;
    Win32FormWindow window(dialog, Win32FormWindow::Kind::Dialog, opener);
    dialog.Load(window);
    if (opener != nullptr) EnableWindow(opener, FALSE);
    window.Show();

    MSG message;
    while (window.IsOpen()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop to see
            break;
        }
        if (got < 0) break;
        DispatchWindowMessage(message);
    }
    if (opener != nullptr && IsWindow(opener)) {
        EnableWindow(opener, TRUE);
        SetActiveWindow(opener);
    }
}

void Win32WindowSystem::SetBusyPointer(bool busy) { ShowBusyPointer(busy); }

int RunMainWindow(platform::FormLogic& mainWindow) {
    Win32FormWindow window(mainWindow, Win32FormWindow::Kind::Main);
    mainWindow.Load(window);
    window.Show();
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) DispatchWindowMessage(message);
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace psion::win32
