// Send and Receive through the real buttons and message boxes, on real scripts.

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
    void sendReportsWhileItsScriptStillRuns() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        const auto marker = drive.Root() / "sent.txt";
        testing::WriteFile(drive.DataFolder() / "startsend.bat", ScriptLeavingMarker(marker, 2));
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));

        std::vector<MessageBoxSeen> seen;
        BusyState duringQuestion;
        bool markerAtReport = true;
        testing::ModalDriver driver;
        driver.Then(testing::AnswerMessageBox(QMessageBox::Yes, seen,
                                              [&] { duringQuestion = StateOf(program); }));
        driver.Then(testing::AnswerMessageBox(
            QMessageBox::Ok, seen, [&] { markerAtReport = std::filesystem::exists(marker); }));
        QTest::mouseClick(program.Control(kSendButton), Qt::LeftButton);

        QCOMPARE(driver.Pending(), std::size_t(0));
        QVERIFY(!driver.TimedOut());
        QCOMPARE(seen.size(), std::size_t(2));
        QCOMPARE(seen[0].title, QStringLiteral("Send Data"));
        QCOMPARE(testing::Lines(seen[0].text),
                 (QStringList{"You are about to send data to Psion",
                              "and over-write the existing data file.", "ARE YOU SURE?"}));
        QCOMPARE(seen[0].buttons, (QStringList{"Yes", "No"}));
        QCOMPARE(seen[0].defaultButton, QStringLiteral("Yes"));
        QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
        CheckBusy(duringQuestion);
        QCOMPARE(seen[1].title, QStringLiteral("Send to Psion"));
        QCOMPARE(seen[1].text, QStringLiteral("Process completed successfully."));
        QVERIFY2(!markerAtReport, "the Send waited for its script");
        CheckIdle(program);
        // The script runs on by itself and finishes its work.
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
    }

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
        QCOMPARE(testing::Lines(seen[0].text),
                 (QStringList{"You are about to receive readings from Psion",
                              "and over-write the existing reading file on the computer.",
                              "ARE YOU SURE?"}));
        CheckBusy(duringQuestion);
        QCOMPARE(seen[1].title, QStringLiteral("Receive from Psion"));
        QCOMPARE(seen[1].text, QStringLiteral("Process completed successfully."));
        QVERIFY2(markerAtReport, "the Receive reported before its script had ended");
        CheckBusy(duringReport);
        CheckIdle(program);
    }

    void noToTheQuestionStartsNothing() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        const auto marker = drive.Root() / "received.txt";
        testing::WriteFile(drive.DataFolder() / "startget.BAT", ScriptLeavingMarker(marker, 0));
        testing::MainWindowUnderTest program(drive);
        program.Start();

        std::vector<MessageBoxSeen> seen;
        testing::ModalDriver driver;
        driver.Then(testing::AnswerMessageBox(QMessageBox::No, seen));
        QTest::mouseClick(program.Control(kReceiveButton), Qt::LeftButton);

        QCOMPARE(driver.Pending(), std::size_t(0));
        QCOMPARE(seen.size(), std::size_t(1));
        QTest::qWait(300);
        QVERIFY(!std::filesystem::exists(marker));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        CheckIdle(program);
    }

    void aMissingScriptGivesTheFailureText() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();  // no transfer scripts
        testing::MainWindowUnderTest program(drive);
        program.Start();

        std::vector<MessageBoxSeen> seen;
        testing::ModalDriver driver;
        driver.Then(testing::AnswerMessageBox(QMessageBox::Yes, seen));
        driver.Then(testing::AnswerMessageBox(QMessageBox::Ok, seen));
        QTest::mouseClick(program.Control(kReceiveButton), Qt::LeftButton);

        QCOMPARE(driver.Pending(), std::size_t(0));
        QCOMPARE(seen.size(), std::size_t(2));
        QCOMPARE(seen[1].title, QStringLiteral("Receive from Psion"));
        QCOMPARE(
            testing::Lines(seen[1].text),
            (QStringList{"There was a problem with STARTGET.BAT.",
                         "It did not complete successfully.", "(shell process return code = 0)"}));
        QCOMPARE(seen[1].icon, QMessageBox::Critical);
        QCOMPARE(seen[1].buttons, QStringList{"OK"});
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
