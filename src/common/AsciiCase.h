#pragma once

#include <string>
#include <string_view>

namespace psion::common {

// ASCII letters upper-cased; every other byte is kept as it is.
std::string ToUpperAscii(std::string_view text);

// The byte lower-cased when it is an ASCII letter.
char ToLowerAscii(char c);

// True when the texts are equal once ASCII letters are upper-cased; other bytes must match.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace psion::common
