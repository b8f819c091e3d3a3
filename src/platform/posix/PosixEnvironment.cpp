#include "platform/posix/PosixEnvironment.h"

#include <cstdlib>
#include <string>

#include "common/AsciiCase.h"

extern char** environ;

namespace psion::posix {

std::optional<std::string> PosixEnvironment::Get(std::string_view name) const {
    const std::string exactName(name);
    if (const char* value = std::getenv(exactName.c_str())) return std::string(value);
    if (environ == nullptr) return std::nullopt;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view assignment = *entry;
        const auto equals = assignment.find('=');
        if (equals == std::string_view::npos) continue;
        if (common::EqualIgnoringAsciiCase(assignment.substr(0, equals), name)) {
            return std::string(assignment.substr(equals + 1));
        }
    }
    return std::nullopt;
}

}  // namespace psion::posix
