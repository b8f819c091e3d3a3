#pragma once

namespace psion::platform {

struct CalendarDate {
    int year = 1970;  // e.g. 2026
    int month = 1;    // 1 to 12
    int day = 1;      // 1 to 31
};

class Clock {
  public:
    virtual ~Clock() = default;
    // The current local calendar date, read afresh at every call.
    virtual CalendarDate Today() const = 0;
};

}  // namespace psion::platform
