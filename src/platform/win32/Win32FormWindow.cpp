#include "platform/win32/Win32FormWindow.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/Win32BusyPointer.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32ResourceIds.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {
namespace {

using platform::ControlKind;
using platform::ControlRef;
using platform::FormEvent;

constexpr wchar_t kWindowClass[] = L"PsionFormWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
// Tab and Shift+Tab move between the controls of a window that is no dialog.
constexpr DWORD kExtendedStyle = WS_EX_CONTROLPARENT;

std::vector<Win32FormWindow*>& OpenWindows() {
    static std::vector<Win32FormWindow*> windows;
    return windows;
}

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(PSION_PROGRAM_ICON));
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered) throw std::runtime_error("cannot register the window class");
}

}  // namespace

Win32FormWindow::Win32FormWindow(platform::FormLogic& logic, Kind kind, HWND owner)
    : description_(logic.Description()),
      routing_(description_, logic.Routes()),
      kind_(kind),
      owner_(owner) {
    RegisterWindowClass();
    const DWORD style = kind_ == Kind::Dialog ? kDialogStyle : kWindowStyle;
    // A dialog starts out over its opener, so that Windows gives it the dpi of
    // the opener's monitor from the first.
    POINT start{CW_USEDEFAULT, CW_USEDEFAULT};
    RECT ownerArea;
    if (owner_ != nullptr && GetWindowRect(owner_, &ownerArea))
        start = {ownerArea.left, ownerArea.top};
    window_ = CreateWindowExW(kExtendedStyle, kWindowClass, ToWide(description_.caption).c_str(),
                              style, start.x, start.y, 100, 100, owner_, CreateMenuBar(),
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr)
        throw std::runtime_error("cannot create the window " + description_.name);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    CreateControls();
    Layout(InitialDpi());
    CentreOnOwner();
    OpenWindows().push_back(this);
}

Win32FormWindow::~Win32FormWindow() {
    auto& open = OpenWindows();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        annotations_.ClearAll();
        DestroyWindow(window_);
    }
    for (const auto& [key, font] : fonts_) DeleteObject(font);
}

unsigned Win32FormWindow::InitialDpi() const {
    // A dialog takes the dpi its opener is laid out at, which follows the
    // opener's monitor; the main window that of the monitor it starts on.
    for (const Win32FormWindow* open : OpenWindows()) {
        if (owner_ != nullptr && open->Handle() == owner_) return open->dpi_;
    }
    return DpiOf(owner_ != nullptr ? owner_ : window_);
}

Win32FormWindow* Win32FormWindow::Topmost() {
    for (auto it = OpenWindows().rbegin(); it != OpenWindows().rend(); ++it) {
        if ((*it)->IsOpen()) return *it;
    }
    return nullptr;
}

void Win32FormWindow::Show() {
    if (window_ == nullptr) return;
    CentreOnOwner();
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    const auto first = routing_.InitialFocus(
        focusFromLoading_, [this](std::size_t at) { return IsWindowEnabled(entries_[at].handle); });
    if (first) {
        lastFocus_ = entries_[*first].handle;
        ::SetFocus(lastFocus_);
    }
}

const Win32FormWindow::Entry& Win32FormWindow::EntryFor(const ControlRef& control) const {
    return entries_[routing_.PositionOf(control)];
}

HWND Win32FormWindow::Control(const ControlRef& control) const { return EntryFor(control).handle; }

void Win32FormWindow::SetText(const ControlRef& control, const std::string& text) {
    routing_.CheckTextCanBeSet(control);
    const Entry& entry = EntryFor(control);
    SetWindowTextW(entry.handle, ToWide(text).c_str());
    if (entry.description->kind == ControlKind::Label) {
        Place(entry);
        InvalidateRect(window_, nullptr, TRUE);  // a label that shrank leaves no trace
    }
}

std::string Win32FormWindow::Text(const ControlRef& control) const {
    const Entry& entry = EntryFor(control);
    if (entry.description->kind == ControlKind::DropDownList) {
        const auto selected = SendMessageW(entry.handle, CB_GETCURSEL, 0, 0);
        if (selected == CB_ERR) return {};
        const auto length = SendMessageW(entry.handle, CB_GETLBTEXTLEN, selected, 0);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(entry.handle, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        return FromWide(text);
    }
    return FromWide(WindowTextOf(entry.handle));
}

void Win32FormWindow::SetEnabled(const ControlRef& control, bool enabled) {
    if (routing_.IsMenuItem(control)) {
        EnableMenuEntry(control.name, enabled);
    } else {
        EnableWindow(Control(control), enabled);
    }
}

void Win32FormWindow::EnableMenuEntry(const std::string& name, bool enabled) {
    HMENU bar = GetMenu(window_);
    const UINT state = enabled ? MF_ENABLED : MF_GRAYED;
    for (std::size_t at = 0; at < menuCommands_.size(); ++at) {
        if (menuCommands_[at] == name) {
            ::EnableMenuItem(bar, static_cast<UINT>(kFirstMenuId + at), MF_BYCOMMAND | state);
        }
    }
    // A drop-down menu has no command of its own; it is found by its place on the bar.
    for (std::size_t at = 0; at < description_.menu.size(); ++at) {
        if (description_.menu[at].name == name && !description_.menu[at].items.empty()) {
            ::EnableMenuItem(bar, static_cast<UINT>(at), MF_BYPOSITION | state);
        }
    }
    DrawMenuBar(window_);
}

void Win32FormWindow::SetFocus(const ControlRef& control) {
    HWND handle = Control(control);
    routing_.CheckFocusable(control, IsWindowEnabled(handle) != FALSE);
    lastFocus_ = handle;
    if (!IsWindowVisible(window_)) {
        focusFromLoading_ = control;  // applied when the window is first shown
        return;
    }
    ::SetFocus(handle);
}

void Win32FormWindow::ClearList(const ControlRef& list) {
    routing_.CheckKind(list, ControlKind::DropDownList);
    SendMessageW(Control(list), CB_RESETCONTENT, 0, 0);
}

void Win32FormWindow::AddListEntry(const ControlRef& list, const std::string& entry) {
    routing_.CheckKind(list, ControlKind::DropDownList);
    SendMessageW(Control(list), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(entry).c_str()));
    FitOpenedList(Control(list));
}

void Win32FormWindow::SelectListEntry(const ControlRef& list, int index) {
    HWND handle = Control(list);
    routing_.CheckEntry(list, index, static_cast<int>(SendMessageW(handle, CB_GETCOUNT, 0, 0)));
    SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Selecting from code sends no notification; the logic hears it as a user's choice.
    if (index >= 0) routing_.Raise(list.name, FormEvent::Choose, list.index);
}

int Win32FormWindow::SelectedIndex(const ControlRef& list) const {
    routing_.CheckKind(list, ControlKind::DropDownList);
    const auto selected = SendMessageW(Control(list), CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

bool Win32FormWindow::IsChecked(const ControlRef& checkBox) const {
    routing_.CheckKind(checkBox, ControlKind::CheckBox);
    return SendMessageW(Control(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32FormWindow::BringToFront() {
    if (window_ == nullptr) return;
    BringWindowToTop(window_);
    SetForegroundWindow(window_);
}

void Win32FormWindow::Close() {
    if (window_ == nullptr) return;
    // The opener is enabled again first, so that it, not another program, becomes active.
    if (owner_ != nullptr) EnableWindow(owner_, TRUE);
    DestroyWindow(window_);
}

HBRUSH Win32FormWindow::BackgroundBrush() const {
    return GetSysColorBrush(description_.windowBackground ? COLOR_WINDOW : COLOR_BTNFACE);
}

void Win32FormWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (lParam == 0) {
        const auto command = static_cast<std::size_t>(id - kFirstMenuId);
        if (id >= kFirstMenuId && command < menuCommands_.size()) {
            routing_.Raise(menuCommands_[command], FormEvent::Click, -1);
        }
        return;
    }
    const auto index = static_cast<std::size_t>(id - kFirstControlId);
    if (id < kFirstControlId || index >= entries_.size()) return;
    const auto& control = *entries_[index].description;
    if (control.kind == ControlKind::DropDownList && code == CBN_SELCHANGE) {
        routing_.Raise(control.id.name, FormEvent::Choose, control.id.index);
    } else if ((control.kind == ControlKind::Button || control.kind == ControlKind::CheckBox) &&
               code == BN_CLICKED) {
        routing_.Raise(control.id.name, FormEvent::Click, control.id.index);
    }
}

LRESULT CALLBACK Win32FormWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* self = reinterpret_cast<Win32FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Win32FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_QUERYENDSESSION:
            // A Save puts its files in place without handling any message, so this
            // never comes in the middle of one: the session may end.
            return TRUE;
        case WM_ENDSESSION:
            // The session ends: the main window closes as Exit closes it, which
            // also closes any dialog it owns and ends the message loop.
            if (wParam != FALSE && kind_ == Kind::Main) Close();
            return 0;
        case WM_DESTROY:
            annotations_.ClearAll();
            window_ = nullptr;
            if (kind_ == Kind::Main) PostQuitMessage(0);
            return 0;
        case WM_ACTIVATE:
            // Keep the focus on the same control across a message box or another program.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window, focus)) lastFocus_ = focus;
            } else if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
                ::SetFocus(lastFocus_);
            }
            return 0;
        case WM_SETCURSOR:
            if (BusyPointerShown()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND: {
            RECT area;
            GetClientRect(window, &area);
            FillRect(reinterpret_cast<HDC>(wParam), &area, BackgroundBrush());
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc,
                       GetSysColor(description_.windowBackground ? COLOR_WINDOW : COLOR_BTNFACE));
            SetTextColor(
                dc, GetSysColor(IsWindowEnabled(reinterpret_cast<HWND>(lParam)) ? COLOR_WINDOWTEXT
                                                                                : COLOR_GRAYTEXT));
            return reinterpret_cast<LRESULT>(BackgroundBrush());
        }
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(HIWORD(wParam));
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace psion::win32
