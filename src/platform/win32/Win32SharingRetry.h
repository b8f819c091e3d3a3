#pragma once

#include <windows.h>

#include <functional>

namespace psion::win32 {

// Another program holds the file without sharing it, as virus scanners and
// indexers do for a moment.
bool IsSharingViolation(DWORD error);

// Runs attempt, which returns 0 or the error, again while its error is one
// that mayPass says may pass once the other program lets go, with pauses
// that grow, for about 5 s in all. 0, or the error of the last attempt. Every wait for another
// program's hold on a file goes through here.
DWORD RetryWhileHeld(const std::function<DWORD()>& attempt,
                     bool (*mayPass)(DWORD) = IsSharingViolation);

}  // namespace psion::win32
