#pragma once

#include "platform/Environment.h"

namespace psion::win32 {

// The process environment; Windows itself ignores the letter case of names.
class Win32Environment : public platform::Environment {
  public:
    std::optional<std::string> Get(std::string_view name) const override;
};

}  // namespace psion::win32
