#include "platform/qt/QtWindowSystem.h"

#include <QApplication>
#include <QCursor>

#include "platform/qt/FormWindow.h"
#include "platform/qt/OpenerWindow.h"

namespace psion::qt {

void QtWindowSystem::ShowModal(platform::FormLogic& dialog) {
    QWidget* opener = OpenerWindow();
    FormDialog window(opener);
    FormWidget* form = HostForm(window, dialog);
    dialog.Load(*form);
    form->ApplyInitialFocus();
    window.exec();
}

void QtWindowSystem::SetBusyPointer(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace psion::qt
