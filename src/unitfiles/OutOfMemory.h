#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace psion::unitfiles {

// How a file operation that ran out of memory is reported: like any other
// failed read or write of that file.
inline platform::FileError OutOfMemory(const std::string& path) {
    return {path, "Not enough memory"};
}

}  // namespace psion::unitfiles
