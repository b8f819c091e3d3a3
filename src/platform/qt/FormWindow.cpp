#include "platform/qt/FormWindow.h"

#include <QKeyEvent>
#include <QMenuBar>
#include <QVBoxLayout>

#include "platform/qt/Accessibility.h"
#include "platform/qt/TextCodec.h"

namespace psion::qt {

namespace {
const QString kFramePrefix = QStringLiteral("frame_");
}  // namespace

bool IsFormWindow(const QWidget& window) {
    return window.isWindow() && window.objectName().startsWith(kFramePrefix);
}

FormWidget* HostForm(QWidget& window, platform::FormLogic& logic) {
    InstallFormAccessibility();
    const platform::FormDescription& description = logic.Description();
    window.setObjectName(kFramePrefix + DecodeText(description.name));
    window.setWindowTitle(DecodeText(description.caption));
    window.setAccessibleName(DecodeText(description.caption));

    auto* form = new FormWidget(description, logic.Routes(), &window);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (QMenuBar* bar = form->BuildMenuBar(&window)) layout->setMenuBar(bar);
    layout->addWidget(form);
    // The window's own font is the forms' default font, for the menu bar too.
    window.setFont(form->font());
    return form;
}

FormDialog::FormDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void FormDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

MainWindowHandle ShowMainWindow(platform::FormLogic& logic) {
    MainWindowHandle handle;
    handle.window = std::make_unique<QWidget>(nullptr, Qt::Window);
    handle.form = HostForm(*handle.window, logic);
    logic.Load(*handle.form);
    handle.form->ApplyInitialFocus();
    handle.window->show();
    handle.form->ApplyInitialFocus();
    handle.window->raise();
    handle.window->activateWindow();
    return handle;
}

}  // namespace psion::qt
