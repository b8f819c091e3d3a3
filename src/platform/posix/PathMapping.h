#pragma once

#include <string>

namespace psion::posix {

// Maps a Windows-style path of the logic to a native one:
//  - backslashes (and slashes) separate components;
//  - a leading drive "X:" is $WINEPREFIX/dosdevices/x: (WINEPREFIX defaults to ~/.wine);
//  - a leading absolute POSIX directory (a home drive set to one) is used as it is;
//  - a path with no drive starts at "/";
//  - each component is matched exactly first, then without regard to letter
//    case; a component that matches nothing is kept as written.
std::string MapToNativePath(const std::string& windowsPath);

}  // namespace psion::posix
