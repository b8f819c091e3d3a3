// The setup dialog driven through its real lists, boxes, buttons and message boxes.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "MainWindowUnderTest.h"
#include "QtTestSupport.h"
#include "app/MainForm.h"
#include "setup/SetupCode.h"
#include "setup/SetupForm.h"

using namespace psion;
using psion::testing::MessageBoxSeen;

namespace {

const platform::CalendarDate kToday{2026, 12, 7};

const platform::ControlRef kType{"cboType"};
const platform::ControlRef kDest{"cboDest"};
const platform::ControlRef kPort{"cboPort"};
const platform::ControlRef kCode1{"Text1"};
const platform::ControlRef kCode2{"Text2"};
const platform::ControlRef kSave{"Command1"};
const platform::ControlRef kCancel{"Command2"};

QString FocusIn(const QWidget& dialog) {
    return dialog.focusWidget() != nullptr ? dialog.focusWidget()->objectName() : QString();
}

void OpenSetup(testing::MainWindowUnderTest& program) {
    program.Window().findChild<QAction*>("mnuSetup")->trigger();
}

}  // namespace

class SetupDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void saveRewritesTheUnitFilesAndRefreshesTheStatus() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive, kToday);
        program.Start();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
        const std::string code = setup::SetupCodeFor(kToday);

        QStringList clipped{"not checked"};
        QStringList focusChain;
        QStringList destinations;
        QString title;
        std::vector<MessageBoxSeen> seen;
        testing::ModalDriver driver;
        driver.Then([&](QWidget& dialog) {
            title = dialog.windowTitle();
            clipped = testing::ClippedCaptions(dialog, setup::SetupFormDescription());
            testing::CheckBuiltFromTable(dialog, setup::SetupFormDescription());
            focusChain.append(FocusIn(dialog));

            // The last unit type, from the keyboard, as a user picks it.
            QTest::keyClick(testing::FindControl(dialog, kType), Qt::Key_End);
            focusChain.append(FocusIn(dialog));
            auto* dest = testing::FindControl<QComboBox>(dialog, kDest);
            for (int i = 0; i < dest->count(); ++i) destinations.append(dest->itemText(i));
            destinations.append(QString::number(dest->currentIndex()));
            QTest::keyClick(dest, Qt::Key_Down);
            QTest::keyClick(dest, Qt::Key_Down);  // "P2"
            focusChain.append(FocusIn(dialog));
            auto* port = testing::FindControl<QComboBox>(dialog, kPort);
            for (int i = 0; i < 3; ++i) QTest::keyClick(port, Qt::Key_Down);  // "Com3"
            focusChain.append(FocusIn(dialog));

            // The code split over the two boxes.
            QTest::keyClicks(testing::FindControl(dialog, kCode1),
                             QString::fromStdString(code.substr(0, 5)));
            QTest::keyClicks(testing::FindControl(dialog, kCode2),
                             QString::fromStdString(code.substr(5)));
            QTest::mouseClick(testing::FindControl(dialog, kSave), Qt::LeftButton);
        });
        driver.Then(testing::AnswerMessageBox(QMessageBox::Yes, seen));
        driver.Then(testing::AnswerMessageBox(QMessageBox::Ok, seen));
        OpenSetup(program);

        QCOMPARE(driver.Pending(), std::size_t(0));
        QVERIFY(!driver.TimedOut());
        QCOMPARE(title, QStringLiteral("Psion Setup"));
        QCOMPARE(clipped, QStringList());
        QCOMPARE(focusChain, (QStringList{"cboType", "cboDest", "cboPort", "Text1"}));
        QCOMPARE(destinations, (QStringList{"P1", "P2", "P3", "-1"}));

        QCOMPARE(seen.size(), std::size_t(2));
        QCOMPARE(seen[0].title, QStringLiteral("Psion Setup"));
        QCOMPARE(testing::Lines(seen[0].text),
                 (QStringList{"File change requested.", "Are you sure?"}));
        QCOMPARE(seen[0].defaultButton, QStringLiteral("Yes"));
        QCOMPARE(seen[1].title, QStringLiteral("Psion Setup"));
        QCOMPARE(seen[1].text, QStringLiteral("File changes have been saved"));

        QCOMPARE(testing::ReadFile(drive.DataFolder() / "autoexec.btf"),
                 std::string("setdef am5\r\nsetdef ab2\r\nrem OLD 256k Version\r\n"
                             "link -b19200 -P2\r\npdc\r\n"));
        QCOMPARE(testing::ReadFile(drive.DataFolder() / "s_psion.conf"),
                 std::string("[serial]\r\nserial1=directserial port:COM3\r\n"));
        QCOMPARE(testing::ReadFile(drive.DataFolder() / "r_psion.conf"),
                 std::string("[serial]\r\nserial1=directserial port:COM3\r\n"));
        QCOMPARE(program.TextOf(app::main_form::kLbltype), QStringLiteral("OLD 256k Version"));
        QCOMPARE(program.TextOf(app::main_form::kLbldest), QStringLiteral("link -b19200 -P2"));
        QCOMPARE(program.TextOf(app::main_form::kLblComm), QStringLiteral("COM3"));
        QCOMPARE(testing::ClippedCaptions(program.Window(), app::MainFormDescription()),
                 QStringList());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void screenReadersHearTheFieldsButNeverTheCode() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive, kToday);
        program.Start();
        const QString code = QString::fromStdString(setup::SetupCodeFor(kToday));
        const QString firstPart = code.left(5);
        const QString secondPart = code.mid(5);

        struct Field {
            platform::ControlRef control;
            QAccessible::Role role;
            QString name;
            QStringList labelledBy;
        };
        const Field fields[] = {
            {kType, QAccessible::ComboBox, "Unit Type", {"Unit Type:"}},
            {kDest, QAccessible::ComboBox, "Destination", {"Destination:"}},
            {kPort, QAccessible::ComboBox, "Serial Port", {"Serial Port:"}},
            {kCode1, QAccessible::EditableText, "Setup code, first part", {"Setup Code:"}},
            {kCode2, QAccessible::EditableText, "Setup code, second part", {}},
        };
        testing::AccessibleSeen dialogSeen;
        std::vector<testing::AccessibleSeen> fieldsSeen;
        QStringList heardWhileTyped;
        QStringList heardWithMessage;
        std::vector<MessageBoxSeen> seen;
        testing::ModalDriver driver;
        driver.Then([&](QWidget& dialog) {
            dialogSeen = testing::Hear(&dialog);
            QTest::keyClicks(testing::FindControl(dialog, kCode1), firstPart);
            QTest::keyClicks(testing::FindControl(dialog, kCode2), secondPart);
            for (const Field& field : fields) {
                fieldsSeen.push_back(testing::Hear(testing::FindControl(dialog, field.control)));
            }
            heardWhileTyped = testing::EveryAccessibleNameAndDescription();
            // The right code with nothing chosen: a message box comes up.
            QTest::mouseClick(testing::FindControl(dialog, kSave), Qt::LeftButton);
            QTest::mouseClick(testing::FindControl(dialog, kCancel), Qt::LeftButton);
        });
        driver.Then(testing::AnswerMessageBox(QMessageBox::Ok, seen, [&] {
            heardWithMessage = testing::EveryAccessibleNameAndDescription();
        }));
        OpenSetup(program);

        QCOMPARE(driver.Pending(), std::size_t(0));
        QVERIFY(!driver.TimedOut());
        QCOMPARE(dialogSeen.role, QAccessible::Dialog);
        QCOMPARE(dialogSeen.name, QStringLiteral("Psion Setup"));
        QCOMPARE(fieldsSeen.size(), std::size(fields));
        for (std::size_t i = 0; i < fieldsSeen.size(); ++i) {
            const QByteArray where = QByteArray::fromStdString(fields[i].control.name);
            QVERIFY2(fieldsSeen[i].role == fields[i].role, where);
            QCOMPARE(fieldsSeen[i].name, fields[i].name);
            QCOMPARE(fieldsSeen[i].labelledBy, fields[i].labelledBy);
            QCOMPARE(fieldsSeen[i].description, QString());
        }
        // What the boxes hold is their value, and nowhere a name or description.
        QCOMPARE(fieldsSeen[3].value, firstPart);
        QCOMPARE(fieldsSeen[4].value, secondPart);
        QVERIFY(heardWhileTyped.size() > 20);
        QVERIFY(heardWithMessage.size() > heardWhileTyped.size());
        for (const QString& heard : heardWhileTyped + heardWithMessage) {
            QVERIFY2(!heard.contains(firstPart) && !heard.contains(secondPart), qPrintable(heard));
        }
        QCOMPARE(seen.size(), std::size_t(1));
        QCOMPARE(seen[0].text, QStringLiteral("ERROR -- You have not defined a UNIT TYPE"));
        QCOMPARE(seen[0].role, QAccessible::AlertMessage);
    }

    void codeBoxesTakeTextOfAnyLength() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive, kToday);
        program.Start();

        const QString pasted(40000, QLatin1Char('K'));
        const std::string set(40000, 'L');
        std::string firstBox;
        std::string secondBox;
        testing::ModalDriver driver;
        driver.Then([&](QWidget& dialog) {
            // Pasted by the user, and set through the window operation.
            testing::FindControl<QLineEdit>(dialog, kCode1)->insert(pasted);
            auto* form = dialog.findChild<qt::FormWidget*>();
            form->SetText(kCode2, set);
            firstBox = form->Text(kCode1);
            secondBox = form->Text(kCode2);
            QTest::mouseClick(testing::FindControl(dialog, kCancel), Qt::LeftButton);
        });
        OpenSetup(program);

        QCOMPARE(driver.Pending(), std::size_t(0));
        QCOMPARE(firstBox.size(), std::size_t(40000));
        QVERIFY(firstBox == pasted.toStdString());
        QCOMPARE(secondBox.size(), std::size_t(40000));
        QVERIFY(secondBox == set);
    }
};

QTEST_MAIN(SetupDialogTest)
#include "test_setup_dialog.moc"
