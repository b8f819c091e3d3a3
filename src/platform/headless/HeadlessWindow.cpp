#include "platform/headless/HeadlessWindow.h"

#include <stdexcept>
#include <utility>

namespace psion::headless {

using platform::ControlKind;
using platform::FormEvent;
using platform::FormRouting;

struct HeadlessWindow::ControlState {
    ControlRef id;
    ControlKind kind = ControlKind::Label;
    std::string text;
    std::vector<std::string> entries;
    int selected = -1;
    bool checked = false;
    bool enabled = true;
};

HeadlessWindow::HeadlessWindow(const platform::FormDescription& description,
                               std::vector<platform::EventRoute> routes)
    : routing_(description, std::move(routes)) {
    for (const auto& control : description.controls) {
        ControlState state;
        state.id = control.id;
        state.kind = control.kind;
        state.text = control.caption;
        state.entries = control.entries;
        controls_.push_back(std::move(state));
    }
}

HeadlessWindow::~HeadlessWindow() = default;

HeadlessWindow::ControlState& HeadlessWindow::StateOf(const ControlRef& control) {
    return const_cast<ControlState&>(std::as_const(*this).StateOf(control));
}

const HeadlessWindow::ControlState& HeadlessWindow::StateOf(const ControlRef& control) const {
    return controls_[routing_.PositionOf(control)];
}

void HeadlessWindow::SetText(const ControlRef& control, const std::string& text) {
    routing_.CheckTextCanBeSet(control);
    StateOf(control).text = text;
}

std::string HeadlessWindow::Text(const ControlRef& control) const {
    const auto& state = StateOf(control);
    if (state.kind == ControlKind::DropDownList) {
        return state.selected < 0 ? std::string() : state.entries[state.selected];
    }
    return state.text;
}

void HeadlessWindow::SetEnabled(const ControlRef& control, bool enabled) {
    if (routing_.IsMenuItem(control)) {
        if (enabled) {
            disabledMenuItems_.erase(control.name);
        } else {
            disabledMenuItems_.insert(control.name);
        }
        return;
    }
    StateOf(control).enabled = enabled;
}

void HeadlessWindow::SetFocus(const ControlRef& control) {
    routing_.CheckFocusable(control, StateOf(control).enabled);
    focus_ = control;
}

void HeadlessWindow::ClearList(const ControlRef& list) {
    routing_.CheckKind(list, ControlKind::DropDownList);
    auto& state = StateOf(list);
    state.entries.clear();
    state.selected = -1;
}

void HeadlessWindow::AddListEntry(const ControlRef& list, const std::string& entry) {
    routing_.CheckKind(list, ControlKind::DropDownList);
    StateOf(list).entries.push_back(entry);
}

void HeadlessWindow::SelectListEntry(const ControlRef& list, int index) {
    auto& state = StateOf(list);
    routing_.CheckEntry(list, index, static_cast<int>(state.entries.size()));
    state.selected = index;
    if (index >= 0) routing_.Raise(list.name, FormEvent::Choose, list.index);
}

int HeadlessWindow::SelectedIndex(const ControlRef& list) const {
    routing_.CheckKind(list, ControlKind::DropDownList);
    return StateOf(list).selected;
}

bool HeadlessWindow::IsChecked(const ControlRef& checkBox) const {
    routing_.CheckKind(checkBox, ControlKind::CheckBox);
    return StateOf(checkBox).checked;
}

void HeadlessWindow::BringToFront() { broughtToFront_ = true; }

void HeadlessWindow::Close() { closed_ = true; }

bool HeadlessWindow::AcceptsInput(const ControlState& state) const {
    return !closed_ && !inputBlocked_ && state.enabled;
}

bool HeadlessWindow::Click(const ControlRef& control) {
    auto& state = StateOf(control);
    if (state.kind == ControlKind::DropDownList || state.kind == ControlKind::TextBox) {
        throw std::logic_error(FormRouting::Describe(control) +
                               " is not clicked; choose or type instead");
    }
    if (!AcceptsInput(state)) return false;
    // A mouse click gives the control the focus before its handler runs.
    if (platform::TakesFocus(state.kind)) focus_ = control;
    if (state.kind == ControlKind::CheckBox) state.checked = !state.checked;
    routing_.Raise(control.name, FormEvent::Click, control.index);
    return true;
}

bool HeadlessWindow::ClickMenu(const std::string& menuItem) {
    if (routing_.FindMenuItem(menuItem) == nullptr) {
        throw std::logic_error("window " + Description().name + " has no menu item " + menuItem);
    }
    if (closed_ || inputBlocked_ || !IsMenuItemEnabled(menuItem)) return false;
    routing_.Raise(menuItem, FormEvent::Click, -1);
    return true;
}

bool HeadlessWindow::IsMenuItemEnabled(const std::string& menuItem) const {
    if (disabledMenuItems_.contains(menuItem)) return false;
    for (const auto& menu : Description().menu) {
        for (const auto& item : menu.items) {
            if (item.name == menuItem) return !disabledMenuItems_.contains(menu.name);
        }
    }
    return true;
}

bool HeadlessWindow::Choose(const ControlRef& list, int index) {
    routing_.CheckKind(list, ControlKind::DropDownList);
    auto& state = StateOf(list);
    if (!AcceptsInput(state)) return false;
    focus_ = list;
    SelectListEntry(list, index);
    return true;
}

bool HeadlessWindow::Type(const ControlRef& textBox, const std::string& text) {
    routing_.CheckKind(textBox, ControlKind::TextBox);
    auto& state = StateOf(textBox);
    if (!AcceptsInput(state)) return false;
    focus_ = textBox;
    state.text = text;
    return true;
}

void HeadlessWindow::CloseBox() {
    if (!inputBlocked_) Close();
}

bool HeadlessWindow::IsEnabled(const ControlRef& control) const {
    if (routing_.IsMenuItem(control)) return IsMenuItemEnabled(control.name);
    return StateOf(control).enabled;
}

std::optional<ControlRef> HeadlessWindow::Focus() const { return focus_; }

std::vector<std::string> HeadlessWindow::Entries(const ControlRef& list) const {
    return StateOf(list).entries;
}

void HeadlessWindow::FocusFirstControl() {
    const auto first =
        routing_.InitialFocus(focus_, [this](std::size_t at) { return controls_[at].enabled; });
    if (first) focus_ = controls_[*first].id;
}

}  // namespace psion::headless
