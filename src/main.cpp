// psion-interface: the desktop maintenance tool for a Psion reader unit.
#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <cstdlib>

#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixEnvironment.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/posix/ProcessStartup.h"
#include "platform/posix/TerminationRequests.h"
#include "platform/qt/QtProgram.h"
#include "platform/qt/QtUserPrompt.h"
#include "platform/qt/QtWindowSystem.h"

namespace {

constexpr char kNoDisplay[] =
    "psion-interface: no display is available. Run it from a desktop session, or under a "
    "virtual X server (for example: xvfb-run psion-interface).\n";

bool DisplayNamed() {
    // An explicitly chosen Qt platform (offscreen, vnc, ...) needs no display of its own.
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// While the application starts, Qt gives up on a display it cannot open with
// a fatal message; say plainly what is wrong and end with an error status
// instead of aborting.
void ReportStartFailure(QtMsgType type, const QMessageLogContext&, const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::_Exit(EXIT_FAILURE);
    }
}

}  // namespace

int main() {
    psion::posix::PrepareProcess();
    if (!DisplayNamed()) {
        std::fputs(kNoDisplay, stderr);
        return EXIT_FAILURE;
    }
    const QtMessageHandler previousHandler = qInstallMessageHandler(ReportStartFailure);
    // The program reads no command line: Qt gets the program's name alone, so
    // none of its own options (-qwindowtitle, -stylesheet, ...) can act.
    char programName[] = "psion-interface";
    char* qtArguments[] = {programName, nullptr};
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, qtArguments);
    qInstallMessageHandler(previousHandler);

    psion::posix::PosixFileSystem files;
    psion::posix::PosixEnvironment environment;
    psion::posix::PosixClock clock;
    psion::posix::PosixProcessLauncher processes;
    psion::qt::QtUserPrompt prompt;
    psion::qt::QtWindowSystem windows;
    psion::platform::Platform platform{files, environment, clock, processes, prompt, windows};

    psion::app::SharedValues shared;
    psion::app::MainWindow mainWindow(shared, platform);
    return psion::qt::RunMainWindow(mainWindow, psion::posix::RouteTerminationRequests());
}
