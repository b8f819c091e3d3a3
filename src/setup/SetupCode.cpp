#include "setup/SetupCode.h"

namespace psion::setup {

namespace {

// Renders the date with SetupCodePattern: each field is two decimal digits.
std::string FormatWithPattern(const platform::CalendarDate& date) {
    std::string formatted;
    for (std::size_t i = 0; i < SetupCodePattern.size(); i += 2) {
        const std::string_view field = SetupCodePattern.substr(i, 2);
        int value = 0;
        if (field == "dd")
            value = date.day;
        else if (field == "MM")
            value = date.month;
        else if (field == "yy")
            value = date.year % 100;
        value %= 100;
        formatted += static_cast<char>('0' + value / 10);
        formatted += static_cast<char>('0' + value % 10);
    }
    return formatted;
}

}  // namespace

std::string SetupCodeFor(const platform::CalendarDate& date) {
    const std::string formatted = FormatWithPattern(date);
    std::string code;
    for (std::size_t i = 0; i < formatted.size(); ++i) {
        // Positions count from 1; each one is shifted one further than the last.
        const int position = static_cast<int>(i) + 1;
        code += static_cast<char>(formatted[i] + position + SetupCodeOffset);
    }
    return code;
}

bool CheckSetupCode(std::string_view enteredCode, const platform::Clock& clock) {
    return enteredCode == SetupCodeFor(clock.Today());
}

}  // namespace psion::setup
