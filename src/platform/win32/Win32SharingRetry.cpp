#include "platform/win32/Win32SharingRetry.h"

namespace psion::win32 {

namespace {

constexpr int kRetries = 10;
constexpr DWORD kPauseMilliseconds = 50;

}  // namespace

bool IsSharingViolation(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

DWORD RetryWhileHeld(const std::function<DWORD()>& attempt, bool (*mayPass)(DWORD)) {
    for (int retry = 0;; ++retry) {
        const DWORD error = attempt();
        if (error == 0 || !mayPass(error) || retry >= kRetries) return error;
        Sleep(kPauseMilliseconds);
    }
}

}  // namespace psion::win32
