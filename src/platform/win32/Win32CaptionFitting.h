#pragma once

#include <windows.h>

#include <string>

#include "platform/FormDescription.h"

namespace psion::win32 {

// What a control's text needs in the font the control has been given, measured
// with GDI as the control itself draws it.

// One line of text.
SIZE TextExtent(HWND control, const std::wstring& text);

// Text broken into lines at blanks to fit width, as a multi-line button shows
// it; a single word wider than width makes the result wider.
SIZE WrappedTextExtent(HWND control, const std::wstring& text, int width);

// The widest entry of a drop-down list, in pixels.
int WidestListEntry(HWND list);

// The room a button or check box of that size leaves for its caption, at that
// dpi: inside a push button's frame, beside a check box's box.
SIZE ButtonCaptionRoom(platform::ControlKind kind, SIZE control, unsigned dpi);

// The part of a drop-down list's width that its entries cannot use: its frame
// and its arrow button.
int ListChromeWidth(HWND list);

// The control's rectangle, from the table's, grown where its caption or its
// entries need more room: around the edge its text is aligned to, so captions
// the tables line up stay lined up.
RECT FitCaption(const platform::ControlDescription& control, HWND handle, RECT table, unsigned dpi);

// The width the opened list of a drop-down list needs to show every entry whole.
int DroppedWidthFor(HWND list, int listWidth, unsigned dpi);

}  // namespace psion::win32
