#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/FormDescription.h"
#include "platform/Window.h"

namespace psion::platform {

enum class FormEvent {
    Click,   // a button, a check box (after its state changed) or a menu item
    Choose,  // an entry of a list became the selected one
};

// Routes one event of one control (or menu item) to the logic's handler.
// The handler receives the control's index inside its array, -1 otherwise.
struct EventRoute {
    std::string control;
    FormEvent event = FormEvent::Click;
    std::function<void(int index)> handler;
};

// The logic half of a window: a binding builds the controls from Description(),
// calls Load() once before the window is first shown, and forwards every event
// listed in Routes(). When first shown, the focus is on the first control in
// tab order that takes the focus, unless Load() moved it.
class FormLogic {
  public:
    virtual ~FormLogic() = default;

    virtual const FormDescription& Description() const = 0;
    virtual void Load(Window& window) = 0;
    virtual std::vector<EventRoute> Routes() = 0;
};

}  // namespace psion::platform
