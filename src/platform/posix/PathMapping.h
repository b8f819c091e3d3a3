#pragma once

#include <string>

namespace psion::posix {

// Maps a Windows-style path of the logic to an absolute native one:
//  - backslashes (and slashes) separate components;
//  - a leading drive "X:" is $WINEPREFIX/dosdevices/x: (WINEPREFIX defaults to
//    ~/.wine), where programs run under Wine keep that drive; a relative
//    WINEPREFIX or HOME counts from the working folder the program started in;
//  - a path that begins with "/" starts with a home drive that is itself an
//    absolute POSIX folder: the text up to the first backslash is that folder,
//    used as it is;
//  - any other path has no drive and lies on drive C:, as Windows resolves
//    such a path on the system drive;
//  - after the drive, "." is dropped and ".." goes up one folder but never
//    above the drive's root (for a POSIX home drive, its folder), as on Windows;
//  - each component is matched exactly first, then without regard to letter
//    case; a component that matches nothing is kept as written.
std::string MapToNativePath(const std::string& windowsPath);

}  // namespace psion::posix
