#include "platform/posix/ProcessTable.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace psion::testing {

std::optional<ProcessEntry> ReadProcessEntry(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // The command name may hold blanks; the fields after it are plain numbers.
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(nameEnd + 1));
    ProcessEntry entry;
    long parent = 0, group = 0;
    fields >> entry.state >> parent >> group >> entry.session;
    // Field 22 of the line is the start time; 6 have been read so far.
    std::string skipped;
    for (int field = 7; field < 22; ++field) fields >> skipped;
    fields >> entry.startTime;
    if (!fields) return std::nullopt;
    return entry;
}

bool WaitUntilGone(pid_t pid, unsigned long long startTime, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        const auto entry = ReadProcessEntry(pid);
        if (!entry || entry->startTime != startTime) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace psion::testing
