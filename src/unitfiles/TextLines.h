#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace psion::unitfiles {

// Splits file bytes into lines without their line ends. CR LF, a lone CR and
// a lone LF each end a line; a final line end yields no extra empty line, and
// an empty file has no lines. Bytes are kept exactly as they are.
std::vector<std::string> SplitLines(std::string_view bytes);

// Each line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

// ASCII letters upper-cased; every other byte is kept as it is.
std::string ToUpperAscii(std::string_view text);

// True when the texts are equal once ASCII letters are upper-cased; other bytes must match.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace psion::unitfiles
