#include "platform/headless/MapEnvironment.h"

#include <algorithm>
#include <cctype>

namespace psion::headless {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::optional<std::string> MapEnvironment::Get(std::string_view name) const {
    // An exact match wins over one that differs only in letter case.
    if (const auto exact = values_.find(std::string(name)); exact != values_.end()) {
        return exact->second;
    }
    for (const auto& [key, value] : values_) {
        if (SameIgnoringCase(key, name)) return value;
    }
    return std::nullopt;
}

}  // namespace psion::headless
