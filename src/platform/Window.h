#pragma once

#include <string>

#include "platform/FormDescription.h"

namespace psion::platform {

// What window logic may do to one open window. Texts are 8-bit text in the
// system code page; decoding them for display is the binding's business.
class Window {
  public:
    virtual ~Window() = default;

    // Label caption or text box contents.
    virtual void SetText(const ControlRef& control, const std::string& text) = 0;
    // Label caption, text box contents, or a list's selected entry (empty when none).
    virtual std::string Text(const ControlRef& control) const = 0;

    // A control, or a menu item by its name; a disabled menu disables its items.
    virtual void SetEnabled(const ControlRef& control, bool enabled) = 0;
    // The focus on a label or a disabled control is a logic error.
    virtual void SetFocus(const ControlRef& control) = 0;

    virtual void ClearList(const ControlRef& list) = 0;
    virtual void AddListEntry(const ControlRef& list, const std::string& entry) = 0;
    // Raises the list's selection handler exactly as a user's choice does.
    virtual void SelectListEntry(const ControlRef& list, int index) = 0;
    // -1 while nothing is selected.
    virtual int SelectedIndex(const ControlRef& list) const = 0;

    virtual bool IsChecked(const ControlRef& checkBox) const = 0;

    virtual void BringToFront() = 0;
    // Closing the main window ends the program.
    virtual void Close() = 0;
};

}  // namespace psion::platform
