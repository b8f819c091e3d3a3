#include "app/MainWindow.h"

#include <cstdint>
#include <string>

#include "app/ContactDialog.h"
#include "app/MainForm.h"
#include "app/SystemPathCandidates.h"
#include "setup/SetupDialog.h"
#include "transfer/TransferCommand.h"
#include "unitfiles/SerialConfigFile.h"
#include "unitfiles/UnitBatchFile.h"

namespace psion::app {

using namespace main_form;

MainWindow::MainWindow(SharedValues& shared, platform::Platform& platform)
    : shared_(shared),
      platform_(platform),
      dataFolder_(platform.files, shared.SystemPath),
      launcher_(platform.processes, platform.prompt, shared.ShowCommandWindow) {}

const platform::FormDescription& MainWindow::Description() const { return MainFormDescription(); }

std::vector<platform::EventRoute> MainWindow::Routes() {
    using platform::FormEvent;
    return {
        {"Combo1", FormEvent::Choose, [this](int) { OnCombo1Choose(); }},
        {"Check1", FormEvent::Click, [this](int) { OnCheck1Click(); }},
        {"Command1", FormEvent::Click, [this](int index) { OnCommand1Click(index); }},
        {"exitbtn", FormEvent::Click, [this](int) { OnExitbtnClick(); }},
        {"mnuexit", FormEvent::Click, [this](int) { OnMnuexitClick(); }},
        {"mnuSetup", FormEvent::Click, [this](int) { OnMnuSetupClick(); }},
        {"mnuContact", FormEvent::Click, [this](int) { OnMnuContactClick(); }},
    };
}

void MainWindow::Load(platform::Window& window) {
    window_ = &window;
    // Without a home drive the candidates start at the root; the program carries on with them.
    shared_.SystemPath = platform_.environment.Get("homedrive").value_or("");
    window.ClearList(kCombo1);
    for (const std::string& entry : SystemPathCandidates(platform_.environment)) {
        window.AddListEntry(kCombo1, entry);
    }
    // Selecting raises the path choice, which sets the system path and refreshes the status.
    window.SelectListEntry(kCombo1, 1);
    window.BringToFront();
}

void MainWindow::GetStuff() {
    const unitfiles::UnitStatus status = unitfiles::ReadUnitStatus(dataFolder_);
    if (!status.found) {
        window_->SetText(kLbltype, kNoFiles);
        window_->SetText(kLbldest, kNoFiles);
        window_->SetText(kLblComm, kNoFiles);
    } else {
        window_->SetText(kLbltype, status.readerType);
        window_->SetText(kLbldest, status.destination);
    }
    // Without a port of its own the path keeps showing the port it had before.
    const std::string port = unitfiles::ReadCommPort(dataFolder_);
    if (!port.empty()) window_->SetText(kLblComm, port);
}

void MainWindow::OnCombo1Choose() {
    shared_.SystemPath = window_->Text(kCombo1);
    GetStuff();
}

void MainWindow::OnCheck1Click() {
    shared_.ShowCommandWindow =
        window_->IsChecked(kCheck1) ? platform::kWindowNormalFocused : platform::kWindowHidden;
    window_->SetFocus(kSendButton);
}

void MainWindow::OnCommand1Click(int index) {
    const transfer::TransferContext context{.mainWindow = *window_,
                                            .windows = platform_.windows,
                                            .prompt = platform_.prompt,
                                            .dataFolder = dataFolder_,
                                            .launcher = launcher_};
    transfer::RunTransferCommand(static_cast<std::int16_t>(index), context);
}

void MainWindow::OnExitbtnClick() { OnMnuexitClick(); }

void MainWindow::OnMnuexitClick() {
    // Every unit-file operation closes its file before it returns, so no file is open here.
    window_->Close();
}

void MainWindow::OnMnuSetupClick() {
    if (window_->Text(kLbltype) == kNoFiles) {
        platform_.prompt.Show(
            {.text = "The appears to be no Psion files to setup in this System Path",
             .title = "Update files",
             .buttons = platform::PromptButtons::Ok,
             .icon = platform::PromptIcon::None});
        window_->SetFocus(kCombo1);
        return;
    }
    setup::SetupDialog dialog(platform_, dataFolder_, [this] { GetStuff(); });
    platform_.windows.ShowModal(dialog);
}

void MainWindow::OnMnuContactClick() {
    ContactDialog dialog;
    platform_.windows.ShowModal(dialog);
}

}  // namespace psion::app
