#include "platform/posix/PosixEnvironment.h"

#include <cstdlib>
#include <string>

extern char** environ;

namespace psion::posix {

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> PosixEnvironment::Get(std::string_view name) const {
    const std::string exactName(name);
    if (const char* value = std::getenv(exactName.c_str())) return std::string(value);
    if (environ == nullptr) return std::nullopt;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view assignment = *entry;
        const auto equals = assignment.find('=');
        if (equals == std::string_view::npos) continue;
        if (EqualIgnoringCase(assignment.substr(0, equals), name)) {
            return std::string(assignment.substr(equals + 1));
        }
    }
    return std::nullopt;
}

}  // namespace psion::posix
