#pragma once

#include <windows.h>

namespace psion::win32 {

// The dots per inch of the monitor a window is on (of the system before Windows 10).
unsigned DpiOf(HWND window);

// Twips (1/1440 inch) as pixels at that dpi: 15 twips a pixel at 96 dpi.
int TwipsToPixels(int twips, unsigned dpi);

// A system metric (GetSystemMetrics) as it is at that dpi.
int SystemMetricFor(int index, unsigned dpi);

// The outer size of a window whose client area is that large, at that dpi.
SIZE WindowSizeFor(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, unsigned dpi);

}  // namespace psion::win32
