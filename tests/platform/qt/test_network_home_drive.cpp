// A home drive on a server (a Wine drive letter other than C:): the Linux
// program still reaches the unit on drive C: through the path list.

#include <QComboBox>
#include <QTest>
#include <filesystem>

#include "MainWindowUnderTest.h"
#include "QtTestSupport.h"
#include "app/MainForm.h"

using namespace psion;
namespace fs = std::filesystem;

class NetworkHomeDriveTest : public QObject {
    Q_OBJECT

  private slots:
    void systemDrivePathFindsTheUnit() {
        // A scratch Wine prefix whose C: holds the demo unit and whose H: lies elsewhere.
        QTemporaryDir scratch;
        const fs::path root = scratch.path().toStdString();
        const fs::path driveC = root / "drive_c";
        const fs::path driveH = root / "server-home";
        fs::create_directories(root / "prefix" / "dosdevices");
        fs::create_directories(driveH);
        fs::copy(PSION_EXAMPLES_DIR "/demo-drive", driveC, fs::copy_options::recursive);
        fs::create_directory_symlink(driveC, root / "prefix" / "dosdevices" / "c:");
        fs::create_directory_symlink(driveH, root / "prefix" / "dosdevices" / "h:");
        qputenv("WINEPREFIX", QByteArray::fromStdString((root / "prefix").string()));

        testing::MainWindowUnderTest program("H:");
        program.Start();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
        auto* list = program.Control<QComboBox>(app::main_form::kCombo1);
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->itemText(2), QStringLiteral("C:\\program files"));
        QCOMPARE(list->itemText(3), QStringLiteral("C:\\program files (x86)"));
        QCOMPARE(list->currentIndex(), 1);
        QCOMPARE(program.TextOf(app::main_form::kLbltype), QStringLiteral("No files"));

        // The user picks C:'s second path from the keyboard.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentIndex(), 3);
        QCOMPARE(program.Shared().SystemPath, std::string("C:\\program files (x86)"));
        QCOMPARE(program.TextOf(app::main_form::kLbltype), QStringLiteral("MX Version"));
        QCOMPARE(program.TextOf(app::main_form::kLbldest), QStringLiteral("link -sTTY:A"));
        QCOMPARE(program.TextOf(app::main_form::kLblComm), QStringLiteral("COM1"));
        QCOMPARE(testing::ClippedCaptions(program.Window(), app::MainFormDescription()),
                 QStringList());
        qunsetenv("WINEPREFIX");
    }
};

QTEST_MAIN(NetworkHomeDriveTest)
#include "test_network_home_drive.moc"
