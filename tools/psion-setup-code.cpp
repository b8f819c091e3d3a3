// For customer support staff: prints the setup code of today or of a given day.
#include <chrono>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include "platform/win32/Win32Clock.h"
using NativeClock = psion::win32::Win32Clock;
#else
#include "platform/posix/PosixClock.h"
using NativeClock = psion::posix::PosixClock;
#endif
#include "setup/SetupCode.h"

namespace {

constexpr int kUsageError = 2;

void PrintUsage(std::ostream& out) { out << "Usage: psion-setup-code [--date YYYY-MM-DD]\n"; }

// Describes the tool for the staff who use it; how a code is made stays in the code.
void PrintHelp(std::ostream& out) {
    PrintUsage(out);
    out << "Prints the setup code that Psion Interface accepts on a day, as 12 capital letters:\n"
           "the code of this computer's local date, or of the given date.\n"
           "For customer support staff only: not to be handed out with the field program.\n"
           "\n"
           "Options:\n"
           "  --date YYYY-MM-DD  print the code of that calendar day instead of today's\n"
           "  -h, --help         print this help and exit\n"
           "\n"
           "Exit status: 0 when the code is printed, 1 when it cannot be written,\n"
           "2 for an unknown argument or a date that is malformed or does not exist.\n";
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Accepts exactly YYYY-MM-DD naming a day that exists in the calendar.
std::optional<psion::platform::CalendarDate> ParseDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!IsDigit(text[i])) return std::nullopt;
    }
    const auto number = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    const psion::platform::CalendarDate date{number(0, 4), number(5, 2), number(8, 2)};
    const std::chrono::year_month_day day{std::chrono::year{date.year},
                                          std::chrono::month{static_cast<unsigned>(date.month)},
                                          std::chrono::day{static_cast<unsigned>(date.day)}};
    if (date.year < 1 || !day.ok()) return std::nullopt;
    return date;
}

int Reject(const std::string& problem) {
    std::cerr << "psion-setup-code: " << problem << "\n";
    PrintUsage(std::cerr);
    return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);

    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        PrintHelp(std::cout);
        return 0;
    }

    psion::platform::CalendarDate date;
    if (args.empty()) {
        date = NativeClock().Today();
    } else if (args[0] != "--date") {
        return Reject("unknown argument \"" + std::string(args[0]) + "\"");
    } else if (args.size() < 2) {
        return Reject("--date needs a date as YYYY-MM-DD");
    } else if (args.size() > 2) {
        return Reject("unexpected argument \"" + std::string(args[2]) + "\"");
    } else if (auto parsed = ParseDate(args[1])) {
        date = *parsed;
    } else {
        return Reject("\"" + std::string(args[1]) +
                      "\" is not a valid date; expected YYYY-MM-DD, for example 2026-03-07");
    }

    std::cout << psion::setup::SetupCodeFor(date) << "\n";
    return std::cout.flush() ? 0 : 1;
}
