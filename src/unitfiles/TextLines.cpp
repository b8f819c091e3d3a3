#include "unitfiles/TextLines.h"

namespace psion::unitfiles {

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace psion::unitfiles
