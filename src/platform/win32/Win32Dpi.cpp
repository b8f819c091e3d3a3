#include "platform/win32/Win32Dpi.h"

namespace psion::win32 {
namespace {

// Looked up at run time, so the program still starts on Windows versions without them.
template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

unsigned DpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 96u;
}

int TwipsToPixels(int twips, unsigned dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

int SystemMetricFor(int index, unsigned dpi) {
    using MetricForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto metricForDpi = User32Function<MetricForDpiFunction>("GetSystemMetricsForDpi");
    if (metricForDpi != nullptr) return metricForDpi(index, dpi);
    // Before Windows 10 the metrics are those of the system's one dpi.
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(DpiOf(nullptr)));
}

SIZE WindowSizeFor(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, unsigned dpi) {
    using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi =
        User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, client.cx, client.cy};
    if (adjustForDpi != nullptr) {
        adjustForDpi(&frame, style, hasMenu, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&frame, style, hasMenu, exStyle);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace psion::win32
