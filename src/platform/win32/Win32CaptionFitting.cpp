#include "platform/win32/Win32CaptionFitting.h"

#include <algorithm>

#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {
namespace {

using platform::ControlKind;
using platform::TextAlignment;

// A device context of the control with the control's font selected.
class ControlFontDc {
  public:
    explicit ControlFontDc(HWND control) : control_(control), dc_(GetDC(control)) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        if (font != nullptr) previous_ = SelectObject(dc_, font);
    }
    ~ControlFontDc() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
        ReleaseDC(control_, dc_);
    }
    ControlFontDc(const ControlFontDc&) = delete;
    ControlFontDc& operator=(const ControlFontDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HWND control_;
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

int Scaled(int pixelsAt96, unsigned dpi) { return MulDiv(pixelsAt96, static_cast<int>(dpi), 96); }

// Grows area by extra pixels of width around the edge or centre that anchor names.
void GrowWidth(RECT& area, int extra, TextAlignment anchor) {
    if (extra <= 0) return;
    switch (anchor) {
        case TextAlignment::Right:
            area.left -= extra;
            break;
        case TextAlignment::Center:
            area.left -= extra / 2;
            area.right += extra - extra / 2;
            break;
        case TextAlignment::Left:
            area.right += extra;
            break;
    }
}

}  // namespace

SIZE TextExtent(HWND control, const std::wstring& text) {
    const ControlFontDc dc(control);
    SIZE extent{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    if (text.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc.Get(), &metrics);
        extent.cy = metrics.tmHeight;
    }
    return extent;
}

SIZE WrappedTextExtent(HWND control, const std::wstring& text, int width) {
    const ControlFontDc dc(control);
    RECT area{0, 0, width, 0};
    DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    return {area.right - area.left, area.bottom - area.top};
}

int WidestListEntry(HWND list) {
    const ControlFontDc dc(list);
    int widest = 0;
    const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT entry = 0; entry < count; ++entry) {
        const auto length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0);
        if (length <= 0) continue;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(entry),
                     reinterpret_cast<LPARAM>(text.data()));
        SIZE extent{};
        GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(length), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx));
    }
    return widest;
}

SIZE ButtonCaptionRoom(ControlKind kind, SIZE control, unsigned dpi) {
    if (kind == ControlKind::CheckBox) {
        // The box, then the gap Windows leaves before the caption.
        const int box = SystemMetricFor(SM_CXMENUCHECK, dpi);
        return {control.cx - box - Scaled(4, dpi), control.cy};
    }
    // A push button draws its caption inside a frame of two edges and a focus
    // rectangle inset from them.
    const int inset = 2 * SystemMetricFor(SM_CXEDGE, dpi) + Scaled(1, dpi);
    return {control.cx - 2 * inset, control.cy - 2 * inset};
}

int ListChromeWidth(HWND list) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    RECT whole{};
    GetWindowRect(list, &whole);
    if (!GetComboBoxInfo(list, &info)) return 0;
    // The field's own text margin, left of the entry, is kept clear as well.
    return (whole.right - whole.left) - (info.rcItem.right - info.rcItem.left) + 2;
}

RECT FitCaption(const platform::ControlDescription& control, HWND handle, RECT table,
                unsigned dpi) {
    RECT area = table;
    const SIZE size{table.right - table.left, table.bottom - table.top};
    switch (control.kind) {
        case ControlKind::Label: {
            const SIZE needed = TextExtent(handle, WindowTextOf(handle));
            GrowWidth(area, needed.cx - size.cx, control.alignment);
            area.bottom = std::max(area.bottom, area.top + needed.cy);
            break;
        }
        case ControlKind::Button: {
            const SIZE room = ButtonCaptionRoom(control.kind, size, dpi);
            const SIZE needed = WrappedTextExtent(handle, WindowTextOf(handle), room.cx);
            // A word wider than the button widens it; more lines make it taller.
            GrowWidth(area, needed.cx - room.cx, TextAlignment::Center);
            area.bottom += std::max(0L, needed.cy - room.cy);
            break;
        }
        case ControlKind::CheckBox: {
            const SIZE room = ButtonCaptionRoom(control.kind, size, dpi);
            const SIZE needed = TextExtent(handle, WindowTextOf(handle));
            GrowWidth(area, needed.cx - room.cx, TextAlignment::Left);
            area.bottom = std::max(area.bottom, area.top + needed.cy);
            break;
        }
        case ControlKind::DropDownList:
            // Entries that come and go with the data show whole in the opened
            // list and in the tooltip; the tables' own entries fit the field.
            if (!control.tipShowsWholeEntry) {
                GrowWidth(area, WidestListEntry(handle) + ListChromeWidth(handle) - size.cx,
                          TextAlignment::Left);
            }
            break;
        case ControlKind::TextBox:
            break;
    }
    return area;
}

int DroppedWidthFor(HWND list, int listWidth, unsigned dpi) {
    // Room for the opened list's scroll bar, shown once it holds more than it shows.
    const int scrollBar = SystemMetricFor(SM_CXVSCROLL, dpi);
    return std::max(listWidth, WidestListEntry(list) + scrollBar + Scaled(8, dpi));
}

}  // namespace psion::win32
