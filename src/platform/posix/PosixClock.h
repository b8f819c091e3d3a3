#pragma once

#include "platform/Clock.h"

namespace psion::posix {

class PosixClock : public platform::Clock {
  public:
    platform::CalendarDate Today() const override;
};

}  // namespace psion::posix
