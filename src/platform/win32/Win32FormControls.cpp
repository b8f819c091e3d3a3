// How a form window builds its controls and its menu bar from its description.
#include <algorithm>
#include <stdexcept>

#include "platform/win32/Win32FormWindow.h"
#include "platform/win32/Win32Text.h"
// After windows.h, which the window's header brings.
#include <oleacc.h>

namespace psion::win32 {
namespace {

using platform::ControlKind;

const wchar_t* ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return L"STATIC";
        case ControlKind::Button:
        case ControlKind::CheckBox:
            return L"BUTTON";
        case ControlKind::DropDownList:
            return L"COMBOBOX";
        case ControlKind::TextBox:
            return L"EDIT";
    }
    return L"STATIC";
}

DWORD StyleOf(const platform::ControlDescription& control) {
    const DWORD common = WS_CHILD | WS_VISIBLE;
    switch (control.kind) {
        case ControlKind::Label:
            switch (control.alignment) {
                case platform::TextAlignment::Right:
                    return common | SS_RIGHT | SS_NOPREFIX;
                case platform::TextAlignment::Center:
                    return common | SS_CENTER | SS_NOPREFIX;
                case platform::TextAlignment::Left:
                    break;
            }
            return common | SS_LEFT | SS_NOPREFIX;
        case ControlKind::Button:
            return common | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
        case ControlKind::CheckBox:
            return common | WS_TABSTOP | BS_AUTOCHECKBOX;
        case ControlKind::DropDownList:
            return common | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        case ControlKind::TextBox:
            return common | WS_TABSTOP | ES_AUTOHSCROLL;
    }
    return common;
}

}  // namespace

HMENU Win32FormWindow::CreateMenuBar() {
    if (description_.menu.empty()) return nullptr;
    HMENU bar = CreateMenu();
    for (const auto& item : description_.menu) {
        if (item.items.empty()) {
            // A top-level command, chosen straight from the menu bar.
            menuCommands_.push_back(item.name);
            AppendMenuW(bar, MF_STRING, kFirstMenuId + menuCommands_.size() - 1,
                        ToWide(item.caption).c_str());
            continue;
        }
        HMENU dropDown = CreatePopupMenu();
        for (const auto& child : item.items) {
            menuCommands_.push_back(child.name);
            AppendMenuW(dropDown, MF_STRING, kFirstMenuId + menuCommands_.size() - 1,
                        ToWide(child.caption).c_str());
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(dropDown),
                    ToWide(item.caption).c_str());
    }
    return bar;
}

void Win32FormWindow::CreateControls() {
    // Created in tab order, which is the order Tab moves the focus in, except
    // that a caption is created just before the control it captions: Windows
    // names a field after the text just before it, and captions take no focus.
    const auto& controls = description_.controls;
    entries_.resize(controls.size());
    const auto captionsAField = [&controls](const platform::ControlDescription& label) {
        return label.kind == ControlKind::Label &&
               std::any_of(controls.begin(), controls.end(), [&label](const auto& field) {
                   return field.captionedBy == label.id.name;
               });
    };
    for (std::size_t index = 0; index < controls.size(); ++index) {
        if (captionsAField(controls[index])) continue;
        if (const auto* caption = platform::CaptionOf(description_, controls[index])) {
            const auto captionIndex = static_cast<std::size_t>(caption - controls.data());
            if (entries_[captionIndex].handle == nullptr) CreateControl(captionIndex);
        }
        CreateControl(index);
    }
    if (kind_ == Kind::Dialog) annotations_.SetRole(window_, ROLE_SYSTEM_DIALOG);
}

void Win32FormWindow::CreateControl(std::size_t index) {
    const auto& control = description_.controls[index];
    const bool textBox = control.kind == ControlKind::TextBox;
    const int id = kFirstControlId + static_cast<int>(index);
    HWND handle = CreateWindowExW(textBox ? WS_EX_CLIENTEDGE : 0, ClassOf(control.kind),
                                  ToWide(control.caption).c_str(), StyleOf(control), 0, 0, 10, 10,
                                  window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (handle == nullptr) throw std::runtime_error("cannot create the control " + control.id.name);
    for (const auto& entry : control.entries) {
        SendMessageW(handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(entry).c_str()));
    }
    // No length limit on what is typed (0 lifts the edit control's default limit).
    if (textBox) SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);
    entries_[index] = {&control, handle};

    // The name a list or box is announced by; a value label's caption as its description.
    if (!control.accessibleName.empty()) annotations_.SetName(handle, control.accessibleName);
    const auto* caption = platform::CaptionOf(description_, control);
    if (caption != nullptr && control.kind == ControlKind::Label) {
        annotations_.SetDescription(handle, caption->caption);
    }
}

}  // namespace psion::win32
