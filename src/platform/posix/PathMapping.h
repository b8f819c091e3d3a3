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

// Where a path lies: its native path, and for a path on a Wine drive (one with
// a drive letter, or with no drive, which lies on C:) the absolute prefix
// whose drive holds it. Scripts on a Wine drive are Windows batch files, run
// by that prefix's cmd.exe; those in a POSIX home drive are run by /bin/sh.
struct NativeLocation {
    std::string path;
    std::string winePrefix;  // empty: not on a Wine drive

    bool OnWineDrive() const { return !winePrefix.empty(); }
};
NativeLocation MapToNative(const std::string& windowsPath);

}  // namespace psion::posix
