#include "platform/win32/Win32SessionEnd.h"

namespace psion::win32 {

namespace {

// The calling thread's first visible top-level window that no other owns.
BOOL CALLBACK TakeMainWindow(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

SessionEndBlocked::SessionEndBlocked() {
    EnumThreadWindows(GetCurrentThreadId(), TakeMainWindow, reinterpret_cast<LPARAM>(&window_));
    if (window_ != nullptr &&
        !ShutdownBlockReasonCreate(window_, L"Saving the unit files; closes once they are saved")) {
        window_ = nullptr;
    }
}

SessionEndBlocked::~SessionEndBlocked() {
    if (window_ != nullptr) ShutdownBlockReasonDestroy(window_);
}

}  // namespace psion::win32
