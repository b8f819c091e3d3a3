#pragma once

#include "platform/Environment.h"

namespace psion::posix {

// The process environment; an exact name match wins over one that differs in letter case.
class PosixEnvironment : public platform::Environment {
  public:
    std::optional<std::string> Get(std::string_view name) const override;
};

}  // namespace psion::posix
