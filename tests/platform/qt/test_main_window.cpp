// The main window and the contact dialog as the Qt binding builds them.

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStyleOptionComboBox>
#include <QTest>

#include <signal.h>

#include "MainWindowUnderTest.h"
#include "QtTestSupport.h"
#include "app/ContactForm.h"
#include "app/MainForm.h"
#include "platform/qt/FormList.h"
#include "platform/qt/QtProgram.h"
#include "platform/qt/Twips.h"
#include "support/VirtualDisplay.h"

using namespace psion;
using psion::testing::MessageBoxSeen;

namespace {

// The controls that take the focus, in the order the tab key visits them.
QStringList TabChain(QWidget* first) {
    QStringList chain{first->objectName()};
    for (QWidget* next = first->nextInFocusChain(); next != first;
         next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus) chain.append(next->objectName());
    }
    return chain;
}

// True while a window with exactly that title is on the display.
bool HasWindowTitled(const testing::VirtualDisplay& display, const QString& title) {
    QProcess search;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display.Name()));
    search.setProcessEnvironment(environment);
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--name"),
                  QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
    return search.waitForFinished(10000) && search.exitStatus() == QProcess::NormalExit &&
           search.exitCode() == 0;
}

QStringList FocusableInTableOrder(const platform::FormDescription& form) {
    QStringList names;
    for (const auto& control : form.controls) {
        if (platform::TakesFocus(control.kind)) names.append(qt::ControlObjectName(control.id));
    }
    return names;
}

}  // namespace

// Starts the real program on the display and the drive, and waits until its
// main window is there; false when it does not come.
bool StartShown(QProcess& program, const testing::VirtualDisplay& display,
                const testing::HomeDrive& drive, const QStringList& arguments) {
    for (const char* tool : {"Xvfb", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            qWarning("%s is needed here (scripts/install-deps.sh installs it)", tool);
            return false;
        }
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display.Name()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOMEDRIVE"), QString::fromStdString(drive.AsHomeDrive()));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(PSION_INTERFACE_EXE), arguments);
    if (!program.waitForStarted()) return false;

    QElapsedTimer waited;
    waited.start();
    while (program.state() == QProcess::Running && waited.elapsed() < 60000) {
        if (HasWindowTitled(display, QStringLiteral("Vided Ivivovizede"))) return true;
        QTest::qWait(100);
    }
    return false;
}

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void builtFromItsTable() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&program.Window()));

        const platform::FormDescription& form = app::MainFormDescription();
        QCOMPARE(program.Form().size(), QSize(343, 338));  // 5148 x 5064 twips
        QCOMPARE(program.Window().windowTitle(), QStringLiteral("Vided Ivivovizede"));
        testing::CheckBuiltFromTable(program.Window(), form);

        // The status panel shows the unit; every caption shows in full.
        QCOMPARE(program.TextOf(app::main_form::kLbltype), QStringLiteral("MX Version"));
        QCOMPARE(program.TextOf(app::main_form::kLbldest), QStringLiteral("link -sTTY:A"));
        QCOMPARE(program.TextOf(app::main_form::kLblComm), QStringLiteral("COM1"));
        QCOMPARE(program.Control(app::main_form::kLbltype)->accessibleName(),
                 QStringLiteral("MX Version"));
        QCOMPARE(testing::ClippedCaptions(program.Window(), form), QStringList());

        // The long caption wraps inside its button instead of being cut off.
        auto* receive = program.Control<QPushButton>(app::main_form::kReceiveButton);
        QCOMPARE(receive->text().split('\n').size(), 2);
        QCOMPARE(receive->text().replace('\n', ' '), QStringLiteral("Receive Readings from Psion"));
        QCOMPARE(receive->size(), QSize(111, 56));  // 1668 x 840 twips, no growth needed

        // No default button, no access keys.
        for (QPushButton* button : program.Window().findChildren<QPushButton*>()) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
            QVERIFY(!button->text().contains('&'));
        }

        const QStringList expectedChain = FocusableInTableOrder(form);
        QCOMPARE(expectedChain,
                 (QStringList{"Command1_0", "Command1_1", "exitbtn", "Check1", "Combo1"}));
        QCOMPARE(TabChain(program.Control(app::main_form::kSendButton)), expectedChain);
    }

    void screenReadersHearEachFieldWithItsCaption() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();

        const testing::AccessibleSeen window = testing::Hear(&program.Window());
        QCOMPARE(window.role, QAccessible::Window);  // a frame, not a filler
        QCOMPARE(window.name, QStringLiteral("Vided Ivivovizede"));

        const QString path = QString::fromStdString(drive.AsHomeDrive() + "\\program files (x86)");
        struct Field {
            platform::ControlRef control;
            QAccessible::Role role;
            QString name;
            QString caption;
        };
        const Field fields[] = {
            {app::main_form::kLbltype, QAccessible::StaticText, "MX Version", "Reader Type:"},
            {app::main_form::kLbldest, QAccessible::StaticText, "link -sTTY:A", "Destination:"},
            {app::main_form::kLblComm, QAccessible::StaticText, "COM1", "Comm Port:"},
            {app::main_form::kCombo1, QAccessible::ComboBox, "System Path", "System Path:"},
        };
        for (const Field& field : fields) {
            const testing::AccessibleSeen seen = testing::Hear(program.Control(field.control));
            const QByteArray where = QByteArray::fromStdString(field.control.name);
            QVERIFY2(seen.role == field.role, where);
            QCOMPARE(seen.name, field.name);
            QCOMPARE(seen.labelledBy, QStringList{field.caption});
            // A status value is read with its caption; the list's tip is its whole path.
            QCOMPARE(seen.description,
                     field.role == QAccessible::StaticText ? field.caption : path);
        }
        QCOMPARE(testing::Hear(program.Control(app::main_form::kCombo1)).value, path);
    }

    void longHomeDriveShowsTheEndOfThePath() {
        // A home drive of 200 characters.
        const testing::HomeDrive base;
        const std::string folder(200 - base.AsHomeDrive().size() - 1, 'u');
        testing::HomeDrive drive(folder);
        QCOMPARE(drive.AsHomeDrive().size(), std::size_t(200));
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&program.Window()));

        auto* list = program.Control<qt::FormList>(app::main_form::kCombo1);
        const std::string whole = drive.AsHomeDrive() + "\\program files (x86)";
        const QString shown = list->ShownText();
        QVERIFY2(shown.endsWith(QStringLiteral("(x86)")), qPrintable(shown));
        // The last folder shows whole: it tells the two entries apart.
        QVERIFY2(shown.endsWith(QStringLiteral("\\program files (x86)")), qPrintable(shown));
        QVERIFY2(shown.startsWith(QString::fromStdString(drive.AsHomeDrive().substr(0, 1))),
                 qPrintable(shown));
        QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));  // elided in the middle
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        QVERIFY(QFontMetrics(list->font()).horizontalAdvance(shown) <= field.width());

        // The whole path is the tip and the description; the logic gets it whole.
        QCOMPARE(list->toolTip(), QString::fromStdString(whole));
        QCOMPARE(testing::Hear(list).description, QString::fromStdString(whole));
        QCOMPARE(program.Form().Text(app::main_form::kCombo1), whole);
        QCOMPARE(program.Shared().SystemPath, whole);
        QCOMPARE(program.TextOf(app::main_form::kLbltype), QStringLiteral("MX Version"));

        program.Form().SelectListEntry(app::main_form::kCombo1, 0);
        QVERIFY2(list->ShownText().endsWith(QStringLiteral("\\program files")),
                 qPrintable(list->ShownText()));
        QCOMPARE(list->toolTip(), QString::fromStdString(drive.AsHomeDrive() + "\\program files"));
    }

    void homeDriveWithBytesOutsideTheLocaleFindsItsUnit() {
        testing::HomeDrive drive("\xff\xfe");
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();

        // The list may show replacement characters; the logic gets the bytes.
        const std::string path = drive.AsHomeDrive() + "\\program files (x86)";
        QCOMPARE(program.Form().Text(app::main_form::kCombo1), path);
        QCOMPARE(program.Shared().SystemPath, path);
        QCOMPARE(program.TextOf(app::main_form::kLbltype), QStringLiteral("MX Version"));
        QCOMPARE(program.TextOf(app::main_form::kLbldest), QStringLiteral("link -sTTY:A"));
        QCOMPARE(program.TextOf(app::main_form::kLblComm), QStringLiteral("COM1"));
    }

    void namedToTheDesktopWithItsIconAndVersion() {
        qt::SetApplicationIdentity();
        testing::HomeDrive drive;
        testing::MainWindowUnderTest program(drive);
        program.Start();

        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral(PSION_APP_ID));
        const QList<QSize> sizes = program.Window().windowIcon().availableSizes();
        for (int size : {16, 32, 48, 64}) {
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
        }
        // Major and minor of the project's version, such as "1.16" of 1.16.0.
        QCOMPARE(program.TextOf(app::main_form::kVersionLabel),
                 QStringLiteral(PSION_PROJECT_VERSION).section('.', 0, 1));
    }

    void menuBarHasFileExitAndTwoCommands() {
        testing::HomeDrive drive;
        testing::MainWindowUnderTest program(drive);
        program.Start();
        auto* bar = program.Window().findChild<QMenuBar*>();
        QVERIFY(bar != nullptr);
        QStringList captions;
        for (QAction* action : bar->actions()) captions.append(action->text());
        QCOMPARE(captions, (QStringList{"File", "Setup", "Contact Us"}));
        QVERIFY(bar->actions()[0]->menu() != nullptr);
        QCOMPARE(bar->actions()[0]->menu()->actions().size(), 1);
        QCOMPARE(bar->actions()[0]->menu()->actions()[0]->text(), QStringLiteral("Exit"));
        QVERIFY(bar->actions()[1]->menu() == nullptr);
        QVERIFY(bar->actions()[2]->menu() == nullptr);
        for (QAction* action : program.Window().findChildren<QAction*>()) {
            QVERIFY(action->shortcut().isEmpty());
        }
    }

    void choosingAPathRefreshesTheStatus() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();
        auto* list = program.Control<QComboBox>(app::main_form::kCombo1);

        // Selecting by index raises the path choice as a user's choice does.
        program.Form().SelectListEntry(app::main_form::kCombo1, 0);
        QCOMPARE(QString::fromStdString(program.Shared().SystemPath), list->itemText(0));
        QCOMPARE(program.TextOf(app::main_form::kLbltype), QStringLiteral("No files"));
        QCOMPARE(program.TextOf(app::main_form::kLblComm), QStringLiteral("No files"));

        // The user's choice from the keyboard does the same.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentIndex(), 1);
        QCOMPARE(QString::fromStdString(program.Shared().SystemPath), list->itemText(1));
        QCOMPARE(program.TextOf(app::main_form::kLbltype), QStringLiteral("MX Version"));
        QCOMPARE(program.TextOf(app::main_form::kLblComm), QStringLiteral("COM1"));
        QCOMPARE(testing::ClippedCaptions(program.Window(), app::MainFormDescription()),
                 QStringList());

        // Clearing the selection chooses nothing: the list reads empty, the path stays.
        program.Form().SelectListEntry(app::main_form::kCombo1, -1);
        QCOMPARE(program.Form().SelectedIndex(app::main_form::kCombo1), -1);
        QCOMPARE(program.Form().Text(app::main_form::kCombo1), std::string());
        QCOMPARE(QString::fromStdString(program.Shared().SystemPath), list->itemText(1));
    }

    // Where the logic puts the focus is where Qt has it, also after a click
    // has given it to the check box.
    void focusIsWhereTheLogicPutsIt_data() {
        QTest::addColumn<int>("checkBoxClicks");
        QTest::newRow("at start") << 0;
        QTest::newRow("check box on") << 1;
        QTest::newRow("check box off again") << 2;
    }
    void focusIsWhereTheLogicPutsIt() {
        QFETCH(int, checkBoxClicks);
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));

        for (int click = 0; click < checkBoxClicks; ++click) {
            QTest::mouseClick(program.Control(app::main_form::kCheck1), Qt::LeftButton);
        }
        QCOMPARE(program.Shared().ShowCommandWindow, checkBoxClicks % 2);
        QCOMPARE(program.Window().focusWidget(), program.Control(app::main_form::kSendButton));
        QCOMPARE(QApplication::focusWidget(), program.Control(app::main_form::kSendButton));
    }

    void contactDialogOpensModallyAndClosesWithExit() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));

        for (int opening = 0; opening < 2; ++opening) {
            QPointer<QWidget> dialog;
            QString title;
            QString focused;
            bool modal = false;
            bool mainWindowBlocked = false;
            QStringList clipped{"not checked"};
            QStringList lines;
            QAccessible::Role role = QAccessible::NoRole;
            testing::ModalDriver driver;
            driver.Then([&](QWidget& shown) {
                dialog = &shown;
                title = shown.windowTitle();
                role = testing::Hear(&shown).role;
                modal = shown.isModal();
                mainWindowBlocked = program.Window().testAttribute(Qt::WA_WState_Visible) &&
                                    QApplication::activeModalWidget() == &shown;
                (void)QTest::qWaitForWindowActive(&shown);
                focused = QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                      : QString();
                const auto& form = app::ContactFormDescription();
                clipped = testing::ClippedCaptions(shown, form);
                testing::CheckBuiltFromTable(shown, form);
                for (const auto* ref : {&app::contact_form::kCompanyName,
                                        &app::contact_form::kStreet, &app::contact_form::kCityLine,
                                        &app::contact_form::kTelephone, &app::contact_form::kFax}) {
                    lines.append(testing::FindControl<QLabel>(shown, *ref)->text());
                }
                QTest::mouseClick(testing::FindControl(shown, app::contact_form::kExitButton),
                                  Qt::LeftButton);
            });
            program.Window().findChild<QAction*>("mnuContact")->trigger();

            QCOMPARE(driver.Pending(), std::size_t(0));
            QVERIFY(!driver.TimedOut());
            QCOMPARE(title, QStringLiteral("Vided Ivivovizede"));
            QCOMPARE(role, QAccessible::Dialog);
            QVERIFY(modal);
            QVERIFY(mainWindowBlocked);
            QCOMPARE(focused, QStringLiteral("Command1"));
            QCOMPARE(clipped, QStringList());
            QCOMPARE(lines.size(), 5);
            QVERIFY(lines[4].startsWith("Fax: "));
            // Closed and destroyed; the main window takes input again.
            QVERIFY(dialog.isNull());
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
            QVERIFY(program.Window().isVisible());
        }
    }

    // Logging out (SIGTERM), closing the terminal it was started from (SIGHUP)
    // and Ctrl+C there (SIGINT) end the program as Exit does, with success.
    // It is started with arguments Qt would act on, and acts on none of them.
    void aRequestToEndClosesTheProgramAsExitDoes_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void aRequestToEndClosesTheProgramAsExitDoes() {
        QFETCH(int, signalNumber);
        testing::VirtualDisplay display;
        QVERIFY2(!display.Name().empty(), "Xvfb did not start");
        testing::HomeDrive drive;
        drive.WriteUnitFiles();

        QProcess program;
        const bool shown = StartShown(
            program, display, drive,
            {QStringLiteral("--help"), QStringLiteral("-qwindowtitle"), QStringLiteral("X"),
             QStringLiteral("-stylesheet"), QStringLiteral("/nonexistent")});
        if (!shown) program.kill();
        QVERIFY2(shown, qPrintable(QString::fromLocal8Bit(program.readAllStandardError())));
        QVERIFY(!HasWindowTitled(display, QStringLiteral("X")));
        QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signalNumber), 0);

        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!HasWindowTitled(display, QStringLiteral("Vided Ivivovizede")));
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(!errors.contains(QStringLiteral("nonexistent")), qPrintable(errors));
    }

    void exitButtonAndMenuCloseTheWindow() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        {
            testing::MainWindowUnderTest program(drive);
            program.Start();
            QTest::mouseClick(program.Control(app::main_form::kExitbtn), Qt::LeftButton);
            QVERIFY(!program.Window().isVisible());
        }
        {
            testing::MainWindowUnderTest program(drive);
            program.Start();
            program.Window().findChild<QAction*>("mnuexit")->trigger();
            QVERIFY(!program.Window().isVisible());
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
