// How a form window is laid out: its fonts, the size and place of each control
// at the window's dpi, and where a dialog opens.
#include <algorithm>
#include <cmath>

#include "platform/win32/Win32CaptionFitting.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32FormWindow.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {
namespace {

using platform::ControlKind;

// Entries a drop-down list shows before it scrolls.
constexpr int kVisibleListEntries = 8;

}  // namespace

std::wstring WindowsFace(const std::string& face) {
    // The tables' MS Sans Serif is a raster font on Windows, drawn only at its
    // bitmap sizes and never smoothed; Microsoft Sans Serif is its TrueType face.
    if (_stricmp(face.c_str(), "MS Sans Serif") == 0) return L"Microsoft Sans Serif";
    return ToWide(face);
}

HFONT Win32FormWindow::FontFor(const platform::FontSpec& wanted, unsigned dpi) {
    const FontKey key{wanted.face, wanted.points, wanted.bold, wanted.italic, dpi};
    if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
    const int height = -static_cast<int>(std::lround(wanted.points * dpi / 72.0));
    HFONT font =
        CreateFontW(height, 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, wanted.italic, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, WindowsFace(wanted.face).c_str());
    fonts_[key] = font;
    return font;
}

void Win32FormWindow::Layout(unsigned dpi) {
    dpi_ = dpi;
    const SIZE client{TwipsToPixels(description_.clientWidthTwips, dpi),
                      TwipsToPixels(description_.clientHeightTwips, dpi)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
    const SIZE outer = WindowSizeFor(client, style, exStyle, GetMenu(window_) != nullptr, dpi);
    SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    for (const auto& entry : entries_) {
        HFONT font = FontFor(entry.description->font, dpi);
        SendMessageW(entry.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        Place(entry);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void Win32FormWindow::Place(const Entry& entry) {
    const auto& position = entry.description->position;
    RECT table{TwipsToPixels(position.left, dpi_), TwipsToPixels(position.top, dpi_), 0, 0};
    table.right = table.left + TwipsToPixels(position.width, dpi_);
    table.bottom = table.top + TwipsToPixels(position.height, dpi_);
    const bool list = entry.description->kind == ControlKind::DropDownList;
    // A drop-down list tells the room its entries have only at the size it has.
    if (list) {
        SetWindowPos(entry.handle, nullptr, table.left, table.top, table.right - table.left,
                     table.bottom - table.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT area = FitCaption(*entry.description, entry.handle, table, dpi_);
    if (list) {
        // A combo box's window height includes its dropped-down list.
        const auto itemHeight = SendMessageW(entry.handle, CB_GETITEMHEIGHT, 0, 0);
        area.bottom += kVisibleListEntries * static_cast<int>(itemHeight) + 2;
    }
    SetWindowPos(entry.handle, nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (list) FitOpenedList(entry.handle);
}

void Win32FormWindow::FitOpenedList(HWND list) const {
    RECT area;
    GetWindowRect(list, &area);
    const int width = DroppedWidthFor(list, area.right - area.left, dpi_);
    SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

void Win32FormWindow::CentreOnOwner() {
    if (owner_ == nullptr || window_ == nullptr) return;
    RECT ownerRect;
    RECT ownRect;
    GetWindowRect(owner_, &ownerRect);
    GetWindowRect(window_, &ownRect);
    const int width = ownRect.right - ownRect.left;
    const int height = ownRect.bottom - ownRect.top;
    int left = (ownerRect.left + ownerRect.right - width) / 2;
    int top = (ownerRect.top + ownerRect.bottom - height) / 2;
    // An opener near a screen edge still gets its dialog whole on its monitor.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        left = std::max(static_cast<int>(work.left),
                        std::min(left, static_cast<int>(work.right) - width));
        top = std::max(static_cast<int>(work.top),
                       std::min(top, static_cast<int>(work.bottom) - height));
    }
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace psion::win32
