#include "platform/headless/MapEnvironment.h"

#include "common/AsciiCase.h"

namespace psion::headless {

std::optional<std::string> MapEnvironment::Get(std::string_view name) const {
    // An exact match wins over one that differs only in letter case.
    if (const auto exact = values_.find(std::string(name)); exact != values_.end()) {
        return exact->second;
    }
    for (const auto& [key, value] : values_) {
        if (common::EqualIgnoringAsciiCase(key, name)) return value;
    }
    return std::nullopt;
}

}  // namespace psion::headless
