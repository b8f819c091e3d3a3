#include "platform/qt/QtProgram.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QSocketNotifier>
#include <QString>

#include "app/ProductInfo.h"
#include "platform/qt/FontSubstitution.h"
#include "platform/qt/FormWindow.h"

namespace psion::qt {

void SetApplicationIdentity() {
    const QString id = QString::fromUtf8(app::kApplicationId.data(),
                                         static_cast<qsizetype>(app::kApplicationId.size()));
    QGuiApplication::setDesktopFileName(id);
    // The build renders the icon at each size into a folder of its own, such as 16x16.
    const QDir icons(QStringLiteral(":/icons"));
    QIcon icon;
    for (const QString& size : icons.entryList(QDir::Dirs)) {
        icon.addFile(icons.filePath(size + QLatin1Char('/') + id + QStringLiteral(".png")));
    }
    QApplication::setWindowIcon(icon);
}

int RunMainWindow(platform::FormLogic& mainWindow, int terminationRequests) {
    SetApplicationIdentity();
    if (terminationRequests >= 0) {
        auto* requests = new QSocketNotifier(terminationRequests, QSocketNotifier::Read, qApp);
        QObject::connect(requests, &QSocketNotifier::activated, qApp, [requests] {
            requests->setEnabled(false);
            QCoreApplication::exit(0);
        });
    }
    QApplication::setQuitOnLastWindowClosed(true);
    // Message boxes and menus in the same face as the windows' default font.
    QApplication::setFont(FontFor(platform::FontSpec{}));
    const MainWindowHandle handle = ShowMainWindow(mainWindow);
    return QApplication::exec();
}

}  // namespace psion::qt
