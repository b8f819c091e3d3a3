#pragma once

#include <string>
#include <vector>

namespace psion::unitfiles {

// Each line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace psion::unitfiles
