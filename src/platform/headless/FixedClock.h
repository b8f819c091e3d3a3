#pragma once

#include "platform/Clock.h"

namespace psion::headless {

// A clock whose date the test sets; it can be moved across midnight at will.
class FixedClock : public platform::Clock {
  public:
    explicit FixedClock(platform::CalendarDate today) : today_(today) {}
    void Set(platform::CalendarDate today) { today_ = today; }
    platform::CalendarDate Today() const override { return today_; }

  private:
    platform::CalendarDate today_;
};

}  // namespace psion::headless
