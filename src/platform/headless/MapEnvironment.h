#pragma once

#include <map>
#include <string>

#include "platform/Environment.h"

namespace psion::headless {

// An environment held in memory; names match without regard to letter case.
class MapEnvironment : public platform::Environment {
  public:
    void Set(const std::string& name, const std::string& value) { values_[name] = value; }
    std::optional<std::string> Get(std::string_view name) const override;

  private:
    std::map<std::string, std::string> values_;
};

}  // namespace psion::headless
