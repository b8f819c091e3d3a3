#pragma once

#include <QDialog>
#include <QWidget>
#include <memory>

#include "platform/FormLogic.h"
#include "platform/qt/FormWidget.h"

namespace psion::qt {

// Puts a form into a top-level window: the form's caption as the title, its
// menu bar (if any) above the client area, and a window just large enough
// for both that the user cannot resize. Returns the client area, which the
// window owns.
FormWidget* HostForm(QWidget& window, platform::FormLogic& logic);

// True for a top-level window that HostForm has filled.
bool IsFormWindow(const QWidget& window);

// A modal dialog of a form. Escape does not close it: the forms have no cancel button.
class FormDialog : public QDialog {
    Q_OBJECT

  public:
    explicit FormDialog(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The program's main window, built, loaded and shown; closing it ends the program.
struct MainWindowHandle {
    std::unique_ptr<QWidget> window;
    FormWidget* form = nullptr;
};

// Builds the main window from its logic, runs the loading before the window
// is first shown, and shows it with the initial focus.
MainWindowHandle ShowMainWindow(platform::FormLogic& logic);

}  // namespace psion::qt
