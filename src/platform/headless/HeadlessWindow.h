#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FormLogic.h"
#include "platform/FormRouting.h"
#include "platform/Window.h"

namespace psion::headless {

using platform::ControlRef;

// An in-memory window built from a form description. The logic drives it
// through platform::Window; a test drives it through the user actions below,
// which raise the logic's handlers as a real toolkit would.
class HeadlessWindow : public platform::Window {
  public:
    HeadlessWindow(const platform::FormDescription& description,
                   std::vector<platform::EventRoute> routes);
    ~HeadlessWindow() override;
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    // platform::Window
    void SetText(const ControlRef& control, const std::string& text) override;
    std::string Text(const ControlRef& control) const override;
    void SetEnabled(const ControlRef& control, bool enabled) override;
    void SetFocus(const ControlRef& control) override;
    void ClearList(const ControlRef& list) override;
    void AddListEntry(const ControlRef& list, const std::string& entry) override;
    void SelectListEntry(const ControlRef& list, int index) override;
    int SelectedIndex(const ControlRef& list) const override;
    bool IsChecked(const ControlRef& checkBox) const override;
    void BringToFront() override;
    void Close() override;

    // User actions. Each returns false, and does nothing, when the control is
    // disabled or the window is closed, as a real window would ignore it.
    // Like a mouse, a click, choice or typing first gives the control the focus.
    bool Click(const ControlRef& control);           // button; a check box toggles first
    bool ClickMenu(const std::string& menuItem);     // a menu item or menu bar command
    bool Choose(const ControlRef& list, int index);  // picks an entry as the user does
    bool Type(const ControlRef& textBox, const std::string& text);  // replaces the contents
    void CloseBox();                                                // the platform's close box

    // While a modal dialog is open its opener takes no input: user actions on
    // it then do nothing and return false.
    void SetInputBlocked(bool blocked) { inputBlocked_ = blocked; }
    bool IsInputBlocked() const { return inputBlocked_; }

    // Inspection.
    bool IsEnabled(const ControlRef& control) const;
    std::optional<ControlRef> Focus() const;
    std::vector<std::string> Entries(const ControlRef& list) const;
    bool IsClosed() const { return closed_; }
    bool WasBroughtToFront() const { return broughtToFront_; }
    const platform::FormDescription& Description() const { return routing_.Description(); }

    // Puts the focus where a freshly shown window has it: the first control in
    // tab order that takes the focus, unless the logic already placed it.
    void FocusFirstControl();

  private:
    struct ControlState;
    ControlState& StateOf(const ControlRef& control);
    const ControlState& StateOf(const ControlRef& control) const;
    bool AcceptsInput(const ControlState& state) const;
    bool IsMenuItemEnabled(const std::string& menuItem) const;

    platform::FormRouting routing_;
    std::vector<ControlState> controls_;  // in tab order
    std::set<std::string> disabledMenuItems_;
    std::optional<ControlRef> focus_;
    bool closed_ = false;
    bool broughtToFront_ = false;
    bool inputBlocked_ = false;
};

}  // namespace psion::headless
