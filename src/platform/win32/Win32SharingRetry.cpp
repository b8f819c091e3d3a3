#include "platform/win32/Win32SharingRetry.h"

namespace psion::win32 {

namespace {

// A scanner lets go within a moment; a pause that doubles from 20 ms up to
// 500 ms tries again soon for that, and gives up after about 5 s in all.
constexpr DWORD kFirstPauseMilliseconds = 20;
constexpr DWORD kLongestPauseMilliseconds = 500;
constexpr DWORD kGiveUpAfterMilliseconds = 5000;

}  // namespace

bool IsSharingViolation(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

DWORD RetryWhileHeld(const std::function<DWORD()>& attempt, bool (*mayPass)(DWORD)) {
    const ULONGLONG start = GetTickCount64();
    DWORD pause = kFirstPauseMilliseconds;
    for (;;) {
        const DWORD error = attempt();
        if (error == 0 || !mayPass(error)) return error;
        const ULONGLONG waited = GetTickCount64() - start;
        if (waited >= kGiveUpAfterMilliseconds) return error;
        const DWORD left = static_cast<DWORD>(kGiveUpAfterMilliseconds - waited);
        Sleep(pause < left ? pause : left);
        pause = pause * 2 < kLongestPauseMilliseconds ? pause * 2 : kLongestPauseMilliseconds;
    }
}

}  // namespace psion::win32
