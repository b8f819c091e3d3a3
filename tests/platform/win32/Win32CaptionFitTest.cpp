// Every caption shows whole at the dpis of 100 % to 200 % scaling: its text,
// measured in the font the control draws it in, fits inside the control.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32FormWindow.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32UserPrompt.h"
#include "support/win32/Win32ProgramFixture.h"

namespace psion::testing {
namespace {

constexpr unsigned kDpis[] = {96, 120, 144, 192};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

int Scaled(int pixelsAt96, unsigned dpi) { return MulDiv(pixelsAt96, static_cast<int>(dpi), 96); }

// Draws nothing: measures text in a font as GDI would draw it.
struct Measured {
    SIZE line{};     // on one line
    SIZE wrapped{};  // broken at its line ends and at blanks, within the width asked for
};

Measured Measure(HFONT font, const std::wstring& text, int wrapWidth) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    Measured measured;
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &measured.line);
    RECT area{0, 0, std::max(wrapWidth, 1), 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    measured.wrapped = {area.right, area.bottom};
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return measured;
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

SIZE ClientSize(HWND control) {
    RECT area;
    GetClientRect(control, &area);
    return {area.right, area.bottom};
}

// What was measured: each caption against the room its control gives it.
struct Fit {
    std::string control;
    long needed = 0;
    long room = 0;
    long neededHeight = 0;
    long roomHeight = 0;
    bool Fits() const { return needed <= room && neededHeight <= roomHeight; }
    // How much of its room the caption takes, in the tighter direction.
    double Share() const {
        const double across = room > 0 ? double(needed) / double(room) : 1e9;
        const double down = roomHeight > 0 ? double(neededHeight) / double(roomHeight) : 0;
        return std::max(across, down);
    }
    std::string Describe() const {
        return control + " needs " + std::to_string(needed) + "x" + std::to_string(neededHeight) +
               " in " + std::to_string(room) + "x" + std::to_string(roomHeight);
    }
};

void MeasureControl(HWND control, unsigned dpi, std::vector<Fit>& fits) {
    const std::wstring kind = ClassOf(control);
    const std::string name =
        win32::FromWide(kind) + " \"" + win32::FromWide(win32::WindowTextOf(control)) + "\"";
    const SIZE size = ClientSize(control);
    HFONT font = FontOf(control);
    if (_wcsicmp(kind.c_str(), L"Static") == 0) {
        // A label may break its text at blanks, as a message box does, but
        // only where its height holds every line.
        const Measured text = Measure(font, win32::WindowTextOf(control), size.cx);
        fits.push_back({name, text.wrapped.cx, size.cx, text.wrapped.cy, size.cy});
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)) & BS_TYPEMASK;
        if (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX) {
            // The box and a gap come before the caption.
            const int box = Scaled(13, dpi) + Scaled(3, dpi);
            const Measured text = Measure(font, win32::WindowTextOf(control), size.cx);
            fits.push_back({name, text.line.cx, size.cx - box, text.line.cy, size.cy});
        } else {
            // Inside the frame and the focus rectangle, as many lines as it takes.
            const int inset = Scaled(4, dpi);
            const SIZE room{size.cx - 2 * inset, size.cy - 2 * inset};
            const Measured text = Measure(font, win32::WindowTextOf(control), room.cx);
            fits.push_back({name, text.wrapped.cx, room.cx, text.wrapped.cy, room.cy});
        }
    } else if (_wcsicmp(kind.c_str(), L"ComboBox") == 0) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(control, &info));
        const long field = info.rcItem.right - info.rcItem.left;
        const long dropped = static_cast<long>(SendMessageW(control, CB_GETDROPPEDWIDTH, 0, 0));
        const auto count = SendMessageW(control, CB_GETCOUNT, 0, 0);
        for (LRESULT entry = 0; entry < count; ++entry) {
            std::wstring text(
                static_cast<std::size_t>(SendMessageW(control, CB_GETLBTEXTLEN, entry, 0)) + 1,
                L'\0');
            text.resize(static_cast<std::size_t>(
                SendMessageW(control, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(text.data()))));
            const Measured measured = Measure(font, text, field);
            const std::string entryName = "entry \"" + win32::FromWide(text) + "\"";
            // In the list's field, and in its opened list beside the scroll bar.
            fits.push_back({entryName + " in its field", measured.line.cx, field, measured.line.cy,
                            info.rcItem.bottom - info.rcItem.top});
            fits.push_back({entryName + " opened", measured.line.cx,
                            dropped - win32::SystemMetricFor(SM_CXVSCROLL, dpi), 0, 0});
        }
    }
}

// The window's title in the caption font at that dpi, beside its icon and buttons.
Fit MeasureTitle(HWND window, unsigned dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
    if (forDpi == nullptr || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    }
    HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
    const Measured text = Measure(font, win32::WindowTextOf(window), 10000);
    DeleteObject(font);
    RECT outer;
    GetWindowRect(window, &outer);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const int buttons = 1 + ((style & WS_MINIMIZEBOX) != 0 ? 2 : 0);  // close; minimise, maximise
    const long room = (outer.right - outer.left) - 2 * win32::SystemMetricFor(SM_CXFRAME, dpi) -
                      win32::SystemMetricFor(SM_CXSMICON, dpi) - Scaled(8, dpi) -
                      buttons * win32::SystemMetricFor(SM_CXSIZE, dpi);
    return {"title \"" + win32::FromWide(win32::WindowTextOf(window)) + "\"", text.line.cx, room,
            text.line.cy, win32::SystemMetricFor(SM_CYCAPTION, dpi)};
}

std::vector<Fit> MeasureWindow(HWND window, unsigned dpi) {
    std::vector<Fit> fits{MeasureTitle(window, dpi)};
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        MeasureControl(child, dpi, fits);
    }
    return fits;
}

// Every caption fits; the one that takes most of its room is written out, as
// a record of what was measured.
void ExpectAllFit(const std::string& window, const std::vector<Fit>& fits, unsigned dpi) {
    ASSERT_FALSE(fits.empty());
    const Fit* tightest = &fits.front();
    for (const Fit& fit : fits) {
        EXPECT_TRUE(fit.Fits()) << window << " at " << dpi << " dpi: " << fit.Describe();
        if (fit.Share() > tightest->Share()) tightest = &fit;
    }
    std::printf("%s at %u dpi: %zu captions measured; tightest %s\n", window.c_str(), dpi,
                fits.size(), tightest->Describe().c_str());
}

// Every control draws in a TrueType face, which scales smoothly to every size.
void ExpectScalableFaces(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        HFONT font = FontOf(child);
        ASSERT_NE(font, nullptr);
        LOGFONTW asked{};
        GetObjectW(font, sizeof asked, &asked);
        EXPECT_NE(_wcsicmp(asked.lfFaceName, L"MS Sans Serif"), 0) << "raster face asked for";
        HDC dc = GetDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
        EXPECT_NE(metrics.tmPitchAndFamily & TMPF_TRUETYPE, 0)
            << win32::FromWide(asked.lfFaceName) << " is drawn in a bitmap font";
    }
}

// Whether the dialog stands centred over its opener, to the pixel.
void ExpectCentredOn(HWND dialog, HWND owner) {
    RECT own;
    RECT opener;
    GetWindowRect(dialog, &own);
    GetWindowRect(owner, &opener);
    EXPECT_LE(std::abs((own.left + own.right) - (opener.left + opener.right)), 2);
    EXPECT_LE(std::abs((own.top + own.bottom) - (opener.top + opener.bottom)), 2);
}

std::function<void(HWND box)> insideBox;

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
    if (ClassOf(window) == L"#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK RunInsideBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return;  // not up yet: the timer fires again
    KillTimer(nullptr, timer);
    auto inside = std::move(insideBox);
    insideBox = nullptr;
    inside(box);
}

class Win32CaptionFitTest : public Win32ProgramTest {};

void MoveToDpi(HWND window, unsigned dpi) {
    RECT place;
    GetWindowRect(window, &place);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&place));
}

TEST_F(Win32CaptionFitTest, EveryCaptionFitsAtEachDpiAndDialogsFollowTheirOpener) {
    win32::Win32FormWindow& window = ShowMainWindow();
    ExpectScalableFaces(window.Handle());
    // The status panel shows the demo unit. Its paths lie in a long temporary
    // folder, which the path list shows whole only when opened and in its tip;
    // the next test measures its field with a home drive as laptops have it.

    for (const unsigned dpi : kDpis) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        // As when the window is dragged to a monitor at that scaling.
        MoveToDpi(window.Handle(), dpi);
        ASSERT_EQ(window.Dpi(), dpi);
        RECT client;
        GetClientRect(window.Handle(), &client);
        EXPECT_EQ(client.right, win32::TwipsToPixels(5148, dpi));
        std::vector<Fit> fits = MeasureWindow(window.Handle(), dpi);
        fits.erase(std::remove_if(fits.begin(), fits.end(),
                                  [](const Fit& fit) {
                                      return fit.control.find(" in its field") != std::string::npos;
                                  }),
                   fits.end());
        ExpectAllFit("main window", fits, dpi);

        for (const int menuPlace : {1, 2}) {  // Setup, Contact Us
            bool opened = false;
            WhileDialogIsOpen(window, menuPlace, [&](win32::Win32FormWindow& dialog) {
                opened = true;
                // Laid out at the opener's dpi, whatever the system's is.
                EXPECT_EQ(dialog.Dpi(), dpi);
                ExpectCentredOn(dialog.Handle(), window.Handle());
                ExpectScalableFaces(dialog.Handle());
                ExpectAllFit(menuPlace == 1 ? "setup dialog" : "contact dialog",
                             MeasureWindow(dialog.Handle(), dpi), dpi);
                const bool setup = menuPlace == 1;
                SendMessageW(dialog.Control({setup ? "Command2" : "Command1", -1}), BM_CLICK, 0, 0);
            });
            EXPECT_TRUE(opened);
        }
    }
}

TEST_F(Win32CaptionFitTest, ThePathListShowsAHomeDrivesPathsWholeAtEachDpi) {
    environment_.Set("homedrive", "C:");
    win32::Win32FormWindow& window = ShowMainWindow();
    for (const unsigned dpi : kDpis) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        MoveToDpi(window.Handle(), dpi);
        ExpectAllFit("main window, home drive C:", MeasureWindow(window.Handle(), dpi), dpi);
    }
}

// A message box is laid out by Windows at the system's dpi; the runs at each
// dpi set Wine's LogPixels before they start.
TEST_F(Win32CaptionFitTest, AMessageBoxShowsItsWholeText) {
    ShowMainWindow();
    const unsigned dpi = win32::DpiOf(nullptr);
    bool seen = false;
    insideBox = [&](HWND box) {
        seen = true;
        std::vector<Fit> fits{MeasureTitle(box, dpi)};
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (IsWindowVisible(child) && !win32::WindowTextOf(child).empty())
                MeasureControl(child, dpi, fits);
        }
        ExpectAllFit("message box", fits, dpi);
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    };
    SetTimer(nullptr, 0, 50, &RunInsideBox);
    win32::Win32UserPrompt prompt;
    const auto answer =
        prompt.Show({"The appears to be no Psion files to setup in this System "
                     "Path\r\nPlease call customer support for correct code.",
                     "Update files", platform::PromptButtons::YesNo, platform::PromptIcon::None});
    EXPECT_TRUE(seen);
    EXPECT_EQ(answer, platform::PromptAnswer::No);
}

}  // namespace
}  // namespace psion::testing
