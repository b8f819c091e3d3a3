#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace psion::platform {

class Environment {
  public:
    virtual ~Environment() = default;
    // The value of an environment variable, its name looked up without regard
    // to letter case as Windows does; nullopt when it is not set.
    virtual std::optional<std::string> Get(std::string_view name) const = 0;
};

}  // namespace psion::platform
