#pragma once

#include <string>
#include <vector>

#include "platform/Environment.h"

namespace psion::app {

// The entries of the path list, in order: the home drive followed by
// "\program files" and by "\program files (x86)". When the home drive is a
// drive letter other than the system drive (SystemDrive, or C: where that is
// not set), the system drive's two paths follow in the same order, so a user
// whose home folder lies on a server can still reach the unit's files.
std::vector<std::string> SystemPathCandidates(const platform::Environment& environment);

}  // namespace psion::app
