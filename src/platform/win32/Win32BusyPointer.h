#pragma once

namespace psion::win32 {

// The busy (hourglass) pointer over every window of the program, or the default one.
void ShowBusyPointer(bool busy);
bool BusyPointerShown();

}  // namespace psion::win32
