#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace psion::posix {

// The entry of the open folder whose name equals name without regard to
// letter case; the smallest such name when there are several, so the choice
// does not depend on the order the folder lists them in. Nothing when there
// is none or the folder cannot be listed.
std::optional<std::string> EntryIgnoringCase(int folder, std::string_view name);

// The entry of the folder with that name: the name itself when it exists,
// else the entry equal to it without regard to letter case, else the name as
// given.
std::string FindName(int folder, std::string_view name);

}  // namespace psion::posix
