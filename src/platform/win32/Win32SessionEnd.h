#pragma once

#include <windows.h>

namespace psion::win32 {

// While this lives, Windows shows this program's reason for holding back the
// end of the user's session, on its main window, when asked to end it. The
// request itself waits because the thread handles no window messages
// meanwhile. Without a window of the calling thread, nothing is shown.
class SessionEndBlocked {
  public:
    SessionEndBlocked();
    ~SessionEndBlocked();
    SessionEndBlocked(const SessionEndBlocked&) = delete;
    SessionEndBlocked& operator=(const SessionEndBlocked&) = delete;

  private:
    HWND window_ = nullptr;
};

}  // namespace psion::win32
