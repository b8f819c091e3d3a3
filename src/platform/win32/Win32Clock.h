#pragma once

#include "platform/Clock.h"

namespace psion::win32 {

class Win32Clock : public platform::Clock {
  public:
    platform::CalendarDate Today() const override;
};

}  // namespace psion::win32
