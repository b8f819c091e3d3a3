#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/FormDescription.h"
#include "platform/FormLogic.h"

namespace psion::platform {

// What every window binding does alike, whatever its toolkit: finds a control
// of the form, raises an event on the logic's routes, picks the first focus
// and checks what the logic asks of a control. A binding keeps its own
// controls in the form's tab order, so a control's position here is its
// position there.
class FormRouting {
  public:
    FormRouting(const FormDescription& description, std::vector<EventRoute> routes);

    const FormDescription& Description() const { return description_; }

    // The control's position in the form's tab order; a control the form does
    // not have is a logic error.
    std::size_t PositionOf(const ControlRef& control) const;
    const ControlDescription& DescriptionOf(const ControlRef& control) const {
        return description_.controls[PositionOf(control)];
    }

    // A menu bar entry or item of that name, or nullptr. Menu entries are
    // never part of a control array.
    const MenuItemDescription* FindMenuItem(const std::string& name) const;
    bool IsMenuItem(const ControlRef& control) const {
        return control.index < 0 && FindMenuItem(control.name) != nullptr;
    }

    // Runs every handler routed to this event. The handlers are copied first,
    // so one that closes its window, and with it this routing, runs to its end.
    void Raise(const std::string& control, FormEvent event, int index) const;

    // Where a freshly shown window has the focus: where the loading moved it,
    // or else on the first control in tab order that takes the focus and is
    // enabled (isEnabled is asked by tab position). None when no control can.
    std::optional<std::size_t> InitialFocus(
        const std::optional<ControlRef>& fromLoading,
        const std::function<bool(std::size_t)>& isEnabled) const;

    // Logic errors: a focus on a label or a disabled control, a list entry
    // outside -1 .. count - 1, an operation on a control of another kind, and
    // a text set on a list, whose text is its selected entry.
    void CheckFocusable(const ControlRef& control, bool enabled) const;
    void CheckEntry(const ControlRef& list, int index, int count) const;
    void CheckKind(const ControlRef& control, ControlKind kind) const;
    void CheckTextCanBeSet(const ControlRef& control) const;

    // "name", or "name(index)" inside a control array.
    static std::string Describe(const ControlRef& control);

  private:
    const FormDescription& description_;
    std::vector<EventRoute> routes_;
};

}  // namespace psion::platform
