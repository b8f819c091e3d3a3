#include "platform/headless/HeadlessWindow.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace psion::headless {

using platform::ControlKind;
using platform::FormEvent;

struct HeadlessWindow::ControlState {
    ControlRef id;
    ControlKind kind = ControlKind::Label;
    std::string text;
    std::vector<std::string> entries;
    int selected = -1;
    bool checked = false;
    bool enabled = true;
};

namespace {

std::string Describe(const ControlRef& control) {
    if (control.index < 0) return control.name;
    return control.name + "(" + std::to_string(control.index) + ")";
}

const platform::MenuItemDescription* FindMenuItem(
    const std::vector<platform::MenuItemDescription>& items, const std::string& name) {
    for (const auto& item : items) {
        if (item.name == name) return &item;
        if (const auto* inner = FindMenuItem(item.items, name)) return inner;
    }
    return nullptr;
}

}  // namespace

HeadlessWindow::HeadlessWindow(const platform::FormDescription& description,
                               std::vector<platform::EventRoute> routes)
    : description_(description), routes_(std::move(routes)) {
    for (const auto& control : description_.controls) {
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
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [&](const ControlState& state) { return state.id == control; });
    if (found == controls_.end()) {
        throw std::logic_error("window " + description_.name + " has no control " +
                               Describe(control));
    }
    return *found;
}

void HeadlessWindow::Raise(const std::string& control, FormEvent event, int index) {
    for (const auto& route : routes_) {
        if (route.control != control || route.event != event) continue;
        // A copy, so a handler that closes the window cannot pull its own code away.
        const auto handler = route.handler;
        handler(index);
    }
}

void HeadlessWindow::SetText(const ControlRef& control, const std::string& text) {
    auto& state = StateOf(control);
    if (state.kind == ControlKind::DropDownList) {
        throw std::logic_error("the text of drop-down list " + Describe(control) +
                               " is its selected entry and cannot be set");
    }
    state.text = text;
}

std::string HeadlessWindow::Text(const ControlRef& control) const {
    const auto& state = StateOf(control);
    if (state.kind == ControlKind::DropDownList) {
        return state.selected < 0 ? std::string() : state.entries[state.selected];
    }
    return state.text;
}

void HeadlessWindow::SetEnabled(const ControlRef& control, bool enabled) {
    StateOf(control).enabled = enabled;
}

void HeadlessWindow::SetFocus(const ControlRef& control) {
    const auto& state = StateOf(control);
    if (!platform::TakesFocus(state.kind)) {
        throw std::logic_error("label " + Describe(control) + " cannot take the focus");
    }
    if (!state.enabled) {
        throw std::logic_error("disabled control " + Describe(control) + " cannot take the focus");
    }
    focus_ = control;
}

void HeadlessWindow::ClearList(const ControlRef& list) {
    auto& state = StateOf(list);
    state.entries.clear();
    state.selected = -1;
}

void HeadlessWindow::AddListEntry(const ControlRef& list, const std::string& entry) {
    StateOf(list).entries.push_back(entry);
}

void HeadlessWindow::SelectListEntry(const ControlRef& list, int index) {
    auto& state = StateOf(list);
    if (index < -1 || index >= static_cast<int>(state.entries.size())) {
        throw std::logic_error("list " + Describe(list) + " has no entry " + std::to_string(index));
    }
    state.selected = index;
    if (index >= 0) Raise(list.name, FormEvent::Choose, list.index);
}

int HeadlessWindow::SelectedIndex(const ControlRef& list) const { return StateOf(list).selected; }

bool HeadlessWindow::IsChecked(const ControlRef& checkBox) const {
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
        throw std::logic_error(Describe(control) + " is not clicked; choose or type instead");
    }
    if (!AcceptsInput(state)) return false;
    // A mouse click gives the control the focus before its handler runs.
    if (platform::TakesFocus(state.kind)) focus_ = control;
    if (state.kind == ControlKind::CheckBox) state.checked = !state.checked;
    Raise(control.name, FormEvent::Click, control.index);
    return true;
}

bool HeadlessWindow::ClickMenu(const std::string& menuItem) {
    if (FindMenuItem(description_.menu, menuItem) == nullptr) {
        throw std::logic_error("window " + description_.name + " has no menu item " + menuItem);
    }
    if (closed_ || inputBlocked_) return false;
    Raise(menuItem, FormEvent::Click, -1);
    return true;
}

bool HeadlessWindow::Choose(const ControlRef& list, int index) {
    auto& state = StateOf(list);
    if (state.kind != ControlKind::DropDownList) {
        throw std::logic_error(Describe(list) + " is not a list");
    }
    if (!AcceptsInput(state)) return false;
    focus_ = list;
    SelectListEntry(list, index);
    return true;
}

bool HeadlessWindow::Type(const ControlRef& textBox, const std::string& text) {
    auto& state = StateOf(textBox);
    if (state.kind != ControlKind::TextBox) {
        throw std::logic_error(Describe(textBox) + " is not a text box");
    }
    if (!AcceptsInput(state)) return false;
    focus_ = textBox;
    state.text = text;
    return true;
}

void HeadlessWindow::CloseBox() {
    if (!inputBlocked_) Close();
}

bool HeadlessWindow::IsEnabled(const ControlRef& control) const { return StateOf(control).enabled; }

std::optional<ControlRef> HeadlessWindow::Focus() const { return focus_; }

std::vector<std::string> HeadlessWindow::Entries(const ControlRef& list) const {
    return StateOf(list).entries;
}

void HeadlessWindow::FocusFirstControl() {
    if (focus_) return;
    for (const auto& state : controls_) {
        if (platform::TakesFocus(state.kind) && state.enabled) {
            focus_ = state.id;
            return;
        }
    }
}

}  // namespace psion::headless
