#include "platform/qt/QtProgram.h"

#include <QApplication>

#include "platform/qt/FormWindow.h"

namespace psion::qt {

int RunMainWindow(platform::FormLogic& mainWindow) {
    QApplication::setQuitOnLastWindowClosed(true);
    const MainWindowHandle handle = ShowMainWindow(mainWindow);
    return QApplication::exec();
}

}  // namespace psion::qt
