#include "platform/posix/ProcessTable.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace psion::testing {

std::optional<ProcessEntry> ReadProcessEntry(pid_t pid) {
    std::string stat;
    try {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        stat.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        // The process ended between the open and the read (ESRCH).
        return std::nullopt;
    }
    // The command name may hold blanks; the fields after it are plain numbers.
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(nameEnd + 1));
    ProcessEntry entry;
    long group = 0;
    fields >> entry.state >> entry.parent >> group >> entry.session;
    // Field 22 of the line is the start time; 6 have been read so far.
    std::string skipped;
    for (int field = 7; field < 22; ++field) fields >> skipped;
    fields >> entry.startTime;
    if (!fields) return std::nullopt;
    return entry;
}

std::vector<pid_t> ZombieChildrenOf(pid_t parent) {
    std::vector<pid_t> zombies;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        const auto process = ReadProcessEntry(pid);
        if (process && process->parent == parent && process->state == 'Z') zombies.push_back(pid);
    }
    return zombies;
}

std::size_t OpenDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
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
