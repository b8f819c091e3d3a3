#include "platform/qt/OpenerWindow.h"

#include <QApplication>
#include <QWidget>

#include "platform/qt/FormWindow.h"

namespace psion::qt {

QWidget* OpenerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    QWidget* opener = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && IsFormWindow(*window)) opener = window;
    }
    return opener;
}

}  // namespace psion::qt
