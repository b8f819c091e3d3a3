#pragma once

// The program as main() puts it together - real files, real processes, the
// Qt binding - on a home drive in a fresh temporary folder, with a clock the
// test sets.

#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <string>

#include "QtTestSupport.h"
#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/headless/FixedClock.h"
#include "platform/headless/MapEnvironment.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/QtUserPrompt.h"
#include "platform/qt/QtWindowSystem.h"

namespace psion::testing {

class HomeDrive {
  public:
    HomeDrive() : root_(folder_.path().toStdString()) {}
    // A home drive in a folder of that name (any bytes but '/' and NUL) in the fresh folder.
    explicit HomeDrive(const std::string& folderName)
        : root_(std::filesystem::path(folder_.path().toStdString()) / folderName) {
        std::filesystem::create_directories(root_);
    }
    // Removed here by its bytes: QTemporaryDir would decode a name outside the locale.
    ~HomeDrive() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    HomeDrive(const HomeDrive&) = delete;
    HomeDrive& operator=(const HomeDrive&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // The data folder under "program files (x86)", the path selected at start.
    std::filesystem::path DataFolder() const {
        return root_ / "program files (x86)" / "kelvo" / "psion";
    }
    // A home drive that is an absolute POSIX folder is used as it is.
    std::string AsHomeDrive() const { return root_.string(); }

    // A unit of reader type "MX Version" on destination A, serial port COM1.
    void WriteUnitFiles() const {
        WriteFile(DataFolder() / "autoexec.btf",
                  "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n");
        WriteFile(DataFolder() / "s_psion.conf", "[serial]\r\nserial1=directserial port:COM1\r\n");
        WriteFile(DataFolder() / "r_psion.conf", "[serial]\r\nserial1=directserial port:COM1\r\n");
    }

  private:
    QTemporaryDir folder_;
    std::filesystem::path root_;
};

class MainWindowUnderTest {
  public:
    explicit MainWindowUnderTest(const HomeDrive& drive,
                                 platform::CalendarDate today = {2026, 12, 7})
        : clock_(today) {
        environment_.Set("HOMEDRIVE", drive.AsHomeDrive());
    }
    // A home drive given as its text, such as a Wine drive letter.
    explicit MainWindowUnderTest(const std::string& homeDrive) : clock_({2026, 12, 7}) {
        environment_.Set("HOMEDRIVE", homeDrive);
    }

    // Builds, loads and shows the main window, as the program does at start.
    void Start() {
        logic_ = std::make_unique<app::MainWindow>(shared_, platform_);
        handle_ = qt::ShowMainWindow(*logic_);
    }

    QWidget& Window() const { return *handle_.window; }
    qt::FormWidget& Form() const { return *handle_.form; }
    app::SharedValues& Shared() { return shared_; }

    template <typename Widget = QWidget>
    Widget* Control(const platform::ControlRef& control) const {
        return FindControl<Widget>(Window(), control);
    }
    QString TextOf(const platform::ControlRef& label) const {
        return QString::fromStdString(Form().Text(label));
    }

  private:
    posix::PosixFileSystem files_;
    headless::MapEnvironment environment_;
    headless::FixedClock clock_;
    posix::PosixProcessLauncher processes_;
    qt::QtUserPrompt prompt_;
    qt::QtWindowSystem windows_;
    platform::Platform platform_{files_, environment_, clock_, processes_, prompt_, windows_};
    app::SharedValues shared_;
    std::unique_ptr<app::MainWindow> logic_;
    qt::MainWindowHandle handle_;
};

}  // namespace psion::testing
