#include "platform/FormRouting.h"

#include <stdexcept>
#include <utility>

namespace psion::platform {

namespace {

const MenuItemDescription* FindIn(const std::vector<MenuItemDescription>& items,
                                  const std::string& name) {
    for (const auto& item : items) {
        if (item.name == name) return &item;
        if (const auto* inner = FindIn(item.items, name)) return inner;
    }
    return nullptr;
}

}  // namespace

FormRouting::FormRouting(const FormDescription& description, std::vector<EventRoute> routes)
    : description_(description), routes_(std::move(routes)) {}

std::string FormRouting::Describe(const ControlRef& control) {
    if (control.index < 0) return control.name;
    return control.name + "(" + std::to_string(control.index) + ")";
}

std::size_t FormRouting::PositionOf(const ControlRef& control) const {
    const auto& controls = description_.controls;
    for (std::size_t position = 0; position < controls.size(); ++position) {
        if (controls[position].id == control) return position;
    }
    throw std::logic_error("window " + description_.name + " has no control " + Describe(control));
}

const MenuItemDescription* FormRouting::FindMenuItem(const std::string& name) const {
    return FindIn(description_.menu, name);
}

void FormRouting::Raise(const std::string& control, FormEvent event, int index) const {
    std::vector<std::function<void(int)>> handlers;
    for (const auto& route : routes_) {
        if (route.control == control && route.event == event) handlers.push_back(route.handler);
    }
    for (const auto& handler : handlers) handler(index);
}

std::optional<std::size_t> FormRouting::InitialFocus(
    const std::optional<ControlRef>& fromLoading,
    const std::function<bool(std::size_t)>& isEnabled) const {
    if (fromLoading) return PositionOf(*fromLoading);
    const auto& controls = description_.controls;
    for (std::size_t position = 0; position < controls.size(); ++position) {
        if (TakesFocus(controls[position].kind) && isEnabled(position)) return position;
    }
    return std::nullopt;
}

void FormRouting::CheckFocusable(const ControlRef& control, bool enabled) const {
    if (!TakesFocus(DescriptionOf(control).kind)) {
        throw std::logic_error("label " + Describe(control) + " cannot take the focus");
    }
    if (!enabled) {
        throw std::logic_error("disabled control " + Describe(control) + " cannot take the focus");
    }
}

void FormRouting::CheckEntry(const ControlRef& list, int index, int count) const {
    CheckKind(list, ControlKind::DropDownList);
    if (index < -1 || index >= count) {
        throw std::logic_error("list " + Describe(list) + " has no entry " + std::to_string(index));
    }
}

void FormRouting::CheckTextCanBeSet(const ControlRef& control) const {
    if (DescriptionOf(control).kind == ControlKind::DropDownList) {
        throw std::logic_error("the text of list " + Describe(control) +
                               " is its selected entry and cannot be set");
    }
}

void FormRouting::CheckKind(const ControlRef& control, ControlKind kind) const {
    if (DescriptionOf(control).kind == kind) return;
    static constexpr const char* kKindNames[] = {"a label", "a button", "a check box", "a list",
                                                 "a text box"};
    throw std::logic_error(Describe(control) + " is not " +
                           kKindNames[static_cast<std::size_t>(kind)]);
}

}  // namespace psion::platform
