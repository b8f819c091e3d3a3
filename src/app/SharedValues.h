#pragma once

#include <cstdint>
#include <string>

namespace psion::app {

// Program-wide values that live as long as the program; only the main window writes them.
struct SharedValues {
    std::string SystemPath;              // empty until start-up selects a path
    std::int16_t ShowCommandWindow = 0;  // window style of started scripts
};

}  // namespace psion::app
