// Every caption of the Qt windows shows whole at the scale factors of 100 % to
// 200 %: its text, measured in the font its control draws it in on that
// screen, fits the room its control gives it. Qt reads QT_SCALE_FACTOR once,
// as the application starts, so each factor is measured in a process of its
// own: this program started again with the factor set.

#include <QAction>
#include <QProcess>
#include <QTest>
#include <cstdio>

#include "CaptionMeasure.h"
#include "MainWindowUnderTest.h"
#include "QtTestSupport.h"
#include "app/ContactForm.h"
#include "setup/SetupForm.h"

using namespace psion;

namespace {

// Set in the processes that measure at the factor they were started with.
constexpr char kMeasureHere[] = "PSION_MEASURE_CAPTIONS_HERE";

// Every caption fits; the one that takes most of its room is written out, as
// a record of what was measured.
QStringList CutOffIn(const QString& window, const std::vector<testing::CaptionFit>& fits) {
    if (fits.empty()) return {window + QStringLiteral(": no caption measured")};
    std::printf("%s at scale %s: %zu captions measured; tightest %s\n", qPrintable(window),
                qPrintable(qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"))),
                fits.size(), qPrintable(testing::Tightest(fits).Describe()));
    QStringList cut;
    for (const QString& fit : testing::CutOff(fits)) {
        cut.append(window + QStringLiteral(": ") + fit);
        std::printf("cut off: %s\n", qPrintable(cut.back()));
    }
    return cut;
}

void Trigger(const testing::MainWindowUnderTest& program, const char* menuItem) {
    program.Window().findChild<QAction*>(menuItem)->trigger();
}

}  // namespace

// Measures at the factor this process was started with.
class CaptionFitAtThisScale : public QObject {
    Q_OBJECT

  private slots:
    void theScaleFactorIsInForce() {
        testing::HomeDrive drive;
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&program.Window()));
        const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
        QCOMPARE(program.Window().devicePixelRatioF(), factor);
        // The window keeps its size in device-independent pixels.
        QCOMPARE(program.Form().size(), QSize(343, 338));
    }

    void everyCaptionOfTheMainWindowFits() {
        // Paths in a long temporary folder show elided in the list's field.
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&program.Window()));
        QCOMPARE(
            CutOffIn(QStringLiteral("main window"),
                     testing::MeasureCaptions(program.Window(), testing::ListEntries::LeftOut)),
            QStringList());
    }

    void theListShowsAHomeDrivesPathsWhole() {
        // As laptops have it; nothing there, so the status reads "No files".
        testing::MainWindowUnderTest program(std::string("C:"));
        program.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&program.Window()));
        QCOMPARE(CutOffIn(QStringLiteral("main window, home drive C:"),
                          testing::MeasureCaptions(program.Window(),
                                                   testing::ListEntries::InTheirField)),
                 QStringList());
    }

    void everyCaptionOfTheSetupDialogAndAMessageBoxFits() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
        QStringList cut{"not measured"};
        QStringList boxCut{"not measured"};
        QString boxText;
        testing::ModalDriver driver;
        driver.Then([&](QWidget& dialog) {
            cut = CutOffIn(QStringLiteral("setup dialog"),
                           testing::MeasureCaptions(dialog, testing::ListEntries::InTheirField));
            // Save with no code: the wrong-code message, with its icon and two lines.
            QTest::mouseClick(testing::FindControl(dialog, {"Command1"}), Qt::LeftButton);
            QTest::mouseClick(testing::FindControl(dialog, {"Command2"}), Qt::LeftButton);
        });
        driver.Then([&](QWidget& box) {
            (void)QTest::qWaitForWindowExposed(&box);
            boxText = qobject_cast<QMessageBox*>(&box) ? static_cast<QMessageBox&>(box).text()
                                                       : QStringLiteral("<not a message box>");
            boxCut = CutOffIn(QStringLiteral("message box"),
                              testing::MeasureCaptions(box, testing::ListEntries::InTheirField));
            QTest::mouseClick(static_cast<QMessageBox&>(box).button(QMessageBox::Ok),
                              Qt::LeftButton);
        });
        Trigger(program, "mnuSetup");

        QCOMPARE(driver.Pending(), std::size_t(0));
        QVERIFY(!driver.TimedOut());
        QCOMPARE(cut, QStringList());
        QVERIFY2(boxText.startsWith(QStringLiteral("Sorry, you have entered")),
                 qPrintable(boxText));
        QCOMPARE(boxCut, QStringList());
    }

    void everyCaptionOfTheContactDialogFits() {
        testing::HomeDrive drive;
        drive.WriteUnitFiles();
        testing::MainWindowUnderTest program(drive);
        program.Start();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
        QStringList cut{"not measured"};
        testing::ModalDriver driver;
        driver.Then([&](QWidget& dialog) {
            (void)QTest::qWaitForWindowExposed(&dialog);
            cut = CutOffIn(QStringLiteral("contact dialog"),
                           testing::MeasureCaptions(dialog, testing::ListEntries::InTheirField));
            QTest::mouseClick(testing::FindControl(dialog, app::contact_form::kExitButton),
                              Qt::LeftButton);
        });
        Trigger(program, "mnuContact");

        QCOMPARE(driver.Pending(), std::size_t(0));
        QVERIFY(!driver.TimedOut());
        QCOMPARE(cut, QStringList());
    }
};

// Starts the measuring at each factor, each in a process of its own.
class CaptionFitTest : public QObject {
    Q_OBJECT

  private slots:
    void everyCaptionFitsAtEachScaleFactor_data() {
        QTest::addColumn<QString>("factor");
        for (const char* factor : {"1", "1.25", "1.5", "2"}) {
            QTest::newRow(factor) << QString::fromLatin1(factor);
        }
    }
    void everyCaptionFitsAtEachScaleFactor() {
        QFETCH(QString, factor);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), factor);
        environment.insert(QString::fromLatin1(kMeasureHere), QStringLiteral("1"));
        QProcess measuring;
        measuring.setProcessEnvironment(environment);
        measuring.setProcessChannelMode(QProcess::MergedChannels);
        measuring.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(measuring.waitForFinished(90000));
        const QByteArray output = measuring.readAll();
        std::fwrite(output.constData(), 1, std::size_t(output.size()), stdout);
        QCOMPARE(measuring.exitStatus(), QProcess::NormalExit);
        QVERIFY2(measuring.exitCode() == 0, "a caption is cut off: see the lines above");
    }
};

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (qEnvironmentVariableIsSet(kMeasureHere)) {
        CaptionFitAtThisScale measuring;
        return QTest::qExec(&measuring, argc, argv);
    }
    CaptionFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_caption_fit.moc"
