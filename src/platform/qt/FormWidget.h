#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "platform/FormLogic.h"
#include "platform/FormRouting.h"
#include "platform/Window.h"

class QAction;
class QMenuBar;

namespace psion::qt {

class FormList;

// The Qt object name of a control: its name, and "_<index>" inside a control array.
QString ControlObjectName(const platform::ControlRef& control);

// The client area of one window, built from its form description: one Qt
// widget per control at the form's twips position, in the form's tab order.
// The logic drives it through platform::Window; Qt's signals of the controls
// are forwarded to the logic's routes.
class FormWidget : public QWidget, public platform::Window {
    Q_OBJECT

  public:
    FormWidget(const platform::FormDescription& description,
               std::vector<platform::EventRoute> routes, QWidget* parent = nullptr);

    // The form's menu bar, parented to menuParent; nullptr when the form has no menu.
    QMenuBar* BuildMenuBar(QWidget* menuParent);

    // Puts the focus where a freshly shown window has it: where the loading
    // moved it, or else the first control in tab order that takes the focus.
    void ApplyInitialFocus();

    QWidget* Control(const platform::ControlRef& control) const;
    const platform::FormDescription& Description() const { return routing_.Description(); }

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
        platform::ControlDescription description;
        QWidget* widget = nullptr;
    };

    void BuildControl(const platform::ControlDescription& control);
    const Entry& EntryFor(const platform::ControlRef& control) const;
    FormList& ListOf(const platform::ControlRef& list) const;
    void ShowCaption(const Entry& entry, const QString& caption);
    void LinkCaption(const Entry& field);

    platform::FormRouting routing_;
    std::vector<Entry> entries_;  // in tab order
    std::vector<std::pair<std::string, QAction*>> menuActions_;
    std::optional<platform::ControlRef> focusFromLoading_;
};

}  // namespace psion::qt
