// A transfer through the real buttons and message boxes, on a real script.

#include <QCursor>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>

#include "MainWindowUnderTest.h"
#include "QtTestSupport.h"
#include "app/MainForm.h"

using namespace psion;
using psion::testing::MessageBoxSeen;

namespace {

using app::main_form::kExitbtn;
using app::main_form::kReceiveButton;
using app::main_form::kSendButton;

// The window's state while a box of the transfer is on screen.
struct BusyState {
    bool sendEnabled = true;
    bool receiveEnabled = true;
    bool exitEnabled = true;
    bool waitCursor = false;
};

BusyState StateOf(const testing::MainWindowUnderTest& program) {
    BusyState state;
    state.sendEnabled = program.Control(kSendButton)->isEnabled();
    state.receiveEnabled = program.Control(kReceiveButton)->isEnabled();
    state.exitEnabled = program.Control(kExitbtn)->isEnabled();
    state.waitCursor = QApplication::overrideCursor() != nullptr &&
                       QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    return state;
}

void CheckIdle(const testing::MainWindowUnderTest& program) {
    QVERIFY(program.Control(kSendButton)->isEnabled());
    QVERIFY(program.Control(kReceiveButton)->isEnabled());
    QVERIFY(program.Control(kExitbtn)->isEnabled());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(program.Window().focusWidget(), program.Control(kExitbtn));
}

void CheckBusy(const BusyState& state) {
    QVERIFY(!state.sendEnabled);
    QVERIFY(!state.receiveEnabled);
    QVERIFY(!state.exitEnabled);
    QVERIFY(state.waitCursor);
}

// A transfer script that runs under /bin/sh: waits, then leaves a marker file.
std::string ScriptLeavingMarker(const std::filesystem::path& marker, int seconds) {
    return "sleep " + std::to_string(seconds) + "\necho done > '" + marker.string() + "'\n";
}

}  // namespace

class TransferTest : public QObject {
    Q_OBJECT

  private slots:
    // What the commands show and start is tested on the headless binding; here
    // the real button, boxes, wait cursor and focus, and a Receive that holds
    // the user-interface thread until its script has ended.
    void receiveReportsOnceItsScriptHasEnded() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        const auto marker = drive.Root() / "received.txt";
        testing::WriteFile(drive.DataFolder() / "startget.BAT", ScriptLeavingMarker(marker, 1));
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));

        std::vector<MessageBoxSeen> seen;
        BusyState duringQuestion;
        BusyState duringReport;
        bool markerAtReport = false;
        testing::ModalDriver driver;
        driver.Then(testing::AnswerMessageBox(QMessageBox::Yes, seen,
                                              [&] { duringQuestion = StateOf(program); }));
        driver.Then(testing::AnswerMessageBox(QMessageBox::Ok, seen, [&] {
            markerAtReport = std::filesystem::exists(marker);
            duringReport = StateOf(program);
        }));
        const auto started = std::chrono::steady_clock::now();
        QTest::mouseClick(program.Control(kReceiveButton), Qt::LeftButton);

        QCOMPARE(driver.Pending(), std::size_t(0));
        QVERIFY(!driver.TimedOut());
        QVERIFY(std::chrono::steady_clock::now() - started >= std::chrono::seconds(1));
        QCOMPARE(seen.size(), std::size_t(2));
        QCOMPARE(seen[0].title, QStringLiteral("Receive Readings"));
        CheckBusy(duringQuestion);
        QCOMPARE(seen[1].title, QStringLiteral("Receive from Psion"));
        QCOMPARE(seen[1].text, QStringLiteral("Process completed successfully."));
        QVERIFY2(markerAtReport, "the Receive reported before its script had ended");
        CheckBusy(duringReport);
        CheckIdle(program);
    }

    void busyPointerNeverStacks() {
        qt::QtWindowSystem windows;
        windows.SetBusyPointer(true);
        windows.SetBusyPointer(true);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        windows.SetBusyPointer(false);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        windows.SetBusyPointer(false);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TransferTest)
#include "test_transfers.moc"
