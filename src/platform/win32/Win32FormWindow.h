#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/FormLogic.h"
#include "platform/FormRouting.h"
#include "platform/Window.h"
#include "platform/win32/Win32Annotations.h"

namespace psion::win32 {

// The face Windows draws a font the forms name in.
std::wstring WindowsFace(const std::string& face);

// One top-level window built from a form description: plain Win32 controls
// at the form's twips positions in its tab order, and its menu bar. The logic
// drives it through platform::Window; control notifications and menu commands
// are forwarded to the logic's routes.
class Win32FormWindow : public platform::Window {
  public:
    enum class Kind { Main, Dialog };

    // Closing the main window ends the program's message loop; a dialog is
    // owned by its opener (none: nullptr), which it enables again on closing.
    Win32FormWindow(platform::FormLogic& logic, Kind kind, HWND owner = nullptr);
    ~Win32FormWindow() override;
    Win32FormWindow(const Win32FormWindow&) = delete;
    Win32FormWindow& operator=(const Win32FormWindow&) = delete;

    // Shows the window in front, with the focus where the loading put it or
    // else on the first control in tab order that takes it.
    void Show();
    bool IsOpen() const { return window_ != nullptr; }
    HWND Handle() const { return window_; }
    HWND Control(const platform::ControlRef& control) const;
    // The dpi the window is laid out at: that of its monitor, or of its opener's.
    unsigned Dpi() const { return dpi_; }

    // The most recently opened window that is still open: the owner of
    // message boxes and of a dialog about to open. nullptr when none is.
    static Win32FormWindow* Topmost();

    // platform::Window
    void SetText(const platform::ControlRef& control, const std::string& text) override;
    std::string Text(const platform::ControlRef& control) const override;
    void SetEnabled(const platform::ControlRef& control, bool enabled) override;
    void SetFocus(const platform::ControlRef& control) override;
    void ClearList(const platform::ControlRef& list) override;
    void AddListEntry(const platform::ControlRef& list, const std::string& entry) override;
    void SelectListEntry(const platform::ControlRef& list, int index) override;
    int SelectedIndex(const platform::ControlRef& list) const override;
    bool IsChecked(const platform::ControlRef& checkBox) const override;
    void BringToFront() override;
    void Close() override;

  private:
    struct Entry {
        const platform::ControlDescription* description = nullptr;
        HWND handle = nullptr;
    };
    using FontKey = std::tuple<std::string, double, bool, bool, unsigned>;
    // The ids of the controls, by their place in the description, and of the menu commands.
    static constexpr int kFirstControlId = 1000;
    static constexpr int kFirstMenuId = 2000;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void CreateControl(std::size_t index);
    HMENU CreateMenuBar();
    unsigned InitialDpi() const;
    void Layout(unsigned dpi);
    void Place(const Entry& entry);
    void FitOpenedList(HWND list) const;
    void CentreOnOwner();
    HFONT FontFor(const platform::FontSpec& wanted, unsigned dpi);
    const Entry& EntryFor(const platform::ControlRef& control) const;
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void EnableMenuEntry(const std::string& name, bool enabled);
    HBRUSH BackgroundBrush() const;

    const platform::FormDescription& description_;
    platform::FormRouting routing_;
    Kind kind_;
    HWND owner_;
    HWND window_ = nullptr;
    Win32Annotations annotations_;
    std::vector<Entry> entries_;             // in tab order
    std::vector<std::string> menuCommands_;  // menu item names by command id offset
    std::map<FontKey, HFONT> fonts_;
    std::optional<platform::ControlRef> focusFromLoading_;
    HWND lastFocus_ = nullptr;
    unsigned dpi_ = 96;
};

}  // namespace psion::win32
