#include "platform/win32/Win32BusyPointer.h"

#include <windows.h>

namespace psion::win32 {
namespace {
bool busyPointer = false;
}  // namespace

void ShowBusyPointer(bool busy) {
    busyPointer = busy;
    // Set at once as well: while a script is awaited no WM_SETCURSOR is handled.
    if (busy) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
        POINT where;
        GetCursorPos(&where);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SetCursorPos(where.x, where.y);  // lets the window under the pointer choose its own again
    }
}

bool BusyPointerShown() { return busyPointer; }

}  // namespace psion::win32
