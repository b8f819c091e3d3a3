#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace psion::unitfiles {

// Each line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

// ASCII letters upper-cased; every other byte is kept as it is.
std::string ToUpperAscii(std::string_view text);

// True when the texts are equal once ASCII letters are upper-cased; other bytes must match.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace psion::unitfiles
