#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace psion::win32 {

// The logic's 8-bit texts are in the ANSI code page; Win32 calls take UTF-16.
std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view text);

// All the text a window or control shows.
std::wstring WindowTextOf(HWND window);

// The system's own description of a Windows error code, without a line end.
std::string ErrorText(unsigned long errorCode);

}  // namespace psion::win32
