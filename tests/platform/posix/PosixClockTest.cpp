#include "platform/posix/PosixClock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/posix/ScopedEnv.h"

namespace psion::testing {
namespace {

// The local date as the system's own date command gives it, in the given zone.
std::string DateCommandToday() {
    std::string out;
    if (FILE* pipe = popen("date +%Y-%m-%d", "r")) {
        char buffer[64];
        while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string Format(const platform::CalendarDate& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year % 10000, date.month % 100,
                  date.day % 100);
    return text;
}

TEST(PosixClockTest, TodayIsTheLocalDateInZonesFarApart) {
    for (const char* zone : {"UTC0", "XST-14", "YST12"}) {
        SCOPED_TRACE(zone);
        const ScopedEnv tz("TZ", zone);
        tzset();
        const posix::PosixClock clock;
        std::string before;
        std::string today;
        // Retry if midnight passes between the two readings.
        do {
            before = DateCommandToday();
            today = Format(clock.Today());
        } while (before != DateCommandToday());
        EXPECT_EQ(today, before);
    }
    tzset();
}

}  // namespace
}  // namespace psion::testing
