#pragma once

#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace psion::setup {

// Day, month and two-digit year, twice. Support's code tool uses these same constants.
inline constexpr std::string_view SetupCodePattern = "ddMMyyddMMyy";
inline constexpr int SetupCodeOffset = 16;

// The setup code of one calendar date: 12 capital letters from "A" to "U".
std::string SetupCodeFor(const platform::CalendarDate& date);

// True when the entered code is exactly today's code, read from the clock now.
bool CheckSetupCode(std::string_view enteredCode, const platform::Clock& clock);

}  // namespace psion::setup
