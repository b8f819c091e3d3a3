#include "platform/qt/QtProgram.h"

#include <QApplication>

#include "platform/qt/FontSubstitution.h"
#include "platform/qt/FormWindow.h"

namespace psion::qt {

int RunMainWindow(platform::FormLogic& mainWindow) {
    QApplication::setQuitOnLastWindowClosed(true);
    // Message boxes and menus in the same face as the windows' default font.
    QApplication::setFont(FontFor(platform::FontSpec{}));
    const MainWindowHandle handle = ShowMainWindow(mainWindow);
    return QApplication::exec();
}

}  // namespace psion::qt
