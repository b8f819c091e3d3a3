#include "setup/SetupDialog.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "setup/SetupCode.h"
#include "setup/SetupForm.h"
#include "unitfiles/SerialConfigFile.h"
#include "unitfiles/UnitBatchFile.h"

namespace psion::setup {

namespace {

using platform::ControlRef;
using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;
using platform::PromptMessage;

const ControlRef kType{"cboType"};
const ControlRef kDest{"cboDest"};
const ControlRef kPort{"cboPort"};
const ControlRef kCode1{"Text1"};
const ControlRef kCode2{"Text2"};
const ControlRef kSave{"Command1"};

constexpr std::string_view kCaption = "Psion Setup";
constexpr int kOldUnitTypeIndex = 3;  // the unit type whose destinations are ports

// Blank means nothing but spaces; other white space counts as text.
bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// The data folder itself: a file's path without the file name and the separator before it.
std::string FolderPathOf(const unitfiles::DataFolder& dataFolder) {
    std::string path = dataFolder.DataFilePath("");
    if (!path.empty()) path.pop_back();
    return path;
}

}  // namespace

SetupDialog::SetupDialog(platform::Platform& platform, const unitfiles::DataFolder& dataFolder,
                         std::function<void()> refreshStatus)
    : platform_(platform), dataFolder_(dataFolder), refreshStatus_(std::move(refreshStatus)) {}

const platform::FormDescription& SetupDialog::Description() const { return SetupFormDescription(); }

// The controls come from the description, so every opening starts blank.
void SetupDialog::Load(platform::Window& window) { window_ = &window; }

std::vector<platform::EventRoute> SetupDialog::Routes() {
    using platform::FormEvent;
    return {
        {"cboType", FormEvent::Choose, [this](int) { OnCboTypeChoose(); }},
        {"cboDest", FormEvent::Choose, [this](int) { OnCboDestChoose(); }},
        {"cboPort", FormEvent::Choose, [this](int) { OnCboPortChoose(); }},
        {"Command1", FormEvent::Click, [this](int) { OnCommand1Click(); }},
        {"Command2", FormEvent::Click, [this](int) { OnCommand2Click(); }},
    };
}

void SetupDialog::OnCboTypeChoose() {
    window_->ClearList(kDest);
    if (window_->SelectedIndex(kType) == kOldUnitTypeIndex) {
        for (const char* entry : {"P1", "P2", "P3"}) window_->AddListEntry(kDest, entry);
    } else {
        for (const char* entry : {"A", "B", "C"}) window_->AddListEntry(kDest, entry);
    }
    window_->SetFocus(kDest);
}

void SetupDialog::OnCboDestChoose() { window_->SetFocus(kPort); }

void SetupDialog::OnCboPortChoose() { window_->SetFocus(kCode1); }

void SetupDialog::OnCommand1Click() {
    if (!InputsAccepted()) return;
    if (!WriteFiles()) return;

    window_->Close();
    platform_.prompt.Show(
        PromptMessage{.text = "File changes have been saved", .title = std::string(kCaption)});
    if (refreshStatus_) refreshStatus_();
}

void SetupDialog::OnCommand2Click() { window_->Close(); }

bool SetupDialog::InputsAccepted() {
    auto& prompt = platform_.prompt;

    // The code is tested first, before any of the choices, and never trimmed.
    const std::string enteredCode = window_->Text(kCode1) + window_->Text(kCode2);
    if (!CheckSetupCode(enteredCode, platform_.clock)) {
        prompt.Show(PromptMessage{
            .text = platform::JoinLines({"Sorry, you have entered the wrong setup code ...",
                                         "Please call customer support for correct code."}),
            .title = std::string(kCaption),
            .icon = PromptIcon::Critical,
        });
        window_->SetFocus(kCode1);
        return false;
    }

    struct Choice {
        const ControlRef& list;
        const char* message;
        const ControlRef& focus;
    };
    // A missing destination sends the user back to the unit type, which refills it.
    const Choice choices[] = {
        {kType, "ERROR -- You have not defined a UNIT TYPE", kType},
        {kDest, "ERROR -- You have not defined a DESTINATION", kType},
        {kPort, "ERROR -- You have not defined a SERIAL PORT", kPort},
    };
    for (const Choice& choice : choices) {
        if (IsBlank(window_->Text(choice.list))) {
            prompt.Show(PromptMessage{.text = choice.message, .title = "Setup Error"});
            window_->SetFocus(choice.focus);
            return false;
        }
    }

    const PromptAnswer answer = prompt.Show(PromptMessage{
        .text = platform::JoinLines({"File change requested.", "Are you sure?"}),
        .title = std::string(kCaption),
        .buttons = PromptButtons::YesNo,
    });
    if (answer != PromptAnswer::Yes) {
        window_->SetFocus(kType);
        return false;
    }
    return true;
}

bool SetupDialog::WriteFiles() {
    // The busy pointer shows while the Save waits for another program's Save
    // to this folder and while it writes.
    platform_.windows.SetBusyPointer(true);
    const SaveOutcome outcome = SaveAsOneSet();
    platform_.windows.SetBusyPointer(false);
    // The folder is free again before any message is shown, so that another
    // program's Save never waits for someone to dismiss this one's box.
    if (!outcome.error) return true;
    ReportFailedWrite(outcome);
    return false;
}

SetupDialog::SaveOutcome SetupDialog::SaveAsOneSet() {
    // All three new files are prepared before any of them is put in place, so a
    // failure on the way changes nothing; another program's Save to this folder
    // waits until this one is over, and this one likewise, so the three files
    // always come from one Save.
    platform::BegunChanges begun = platform_.files.BeginChanges(FolderPathOf(dataFolder_));
    if (begun.error) return {std::move(begun.error), {}, {}};
    platform::FolderChanges& changes = *begun.changes;

    if (auto error = unitfiles::WriteUnitBatchFile(changes, window_->SelectedIndex(kType),
                                                   window_->SelectedIndex(kDest))) {
        return {std::move(error), {}, {}};
    }
    const std::string port = window_->Text(kPort);
    for (std::string_view file : {unitfiles::kSendConfigFile, unitfiles::kReceiveConfigFile}) {
        // A missing file is skipped by the patch, and nothing is prepared for it.
        if (auto error = unitfiles::PatchSerialPort(changes, file, port)) {
            return {std::move(error), {}, {}};
        }
    }
    platform::PlacedFiles placed = changes.PutInPlace();
    return {std::move(placed.error), std::move(placed.placed), std::move(placed.damaged)};
}

void SetupDialog::ReportFailedWrite(const SaveOutcome& outcome) {
    const platform::FileError& error = *outcome.error;
    std::vector<std::string> lines{"The file changes could not be saved.", error.Describe()};
    if (error.fault == platform::FileFault::AccessDenied) {
        lines.push_back(
            "This user may not change the data folder. Whoever manages this computer can grant "
            "this user Modify on it.");
    } else if (error.fault == platform::FileFault::HeldByAnotherProgram) {
        lines.push_back("Another program has " + error.path + " open.");
    }
    if (!outcome.rewritten.empty()) {
        std::string done = "Already rewritten: ";
        for (std::size_t i = 0; i < outcome.rewritten.size(); ++i) {
            if (i > 0) done += " and ";
            done += outcome.rewritten[i];
        }
        lines.push_back(done);
    }
    // A file the failure may have changed is named, never counted as unchanged.
    for (const platform::DamagedFile& file : outcome.damaged) {
        lines.push_back(file.oldContentAt.empty()
                            ? file.name + " may be damaged: its old content could not be put back."
                            : file.name + " is missing: its old content now lies under " +
                                  file.oldContentAt + ".");
    }
    if (outcome.rewritten.empty() && outcome.damaged.empty()) {
        lines.push_back("No file has been changed.");
    }
    platform_.prompt.Show(PromptMessage{
        .text = platform::JoinLineRange(lines),
        .title = std::string(kCaption),
        .icon = PromptIcon::Critical,
    });
    // The dialog stays open for another try; the status panel must not go on
    // showing a configuration that a file changed above no longer holds.
    window_->SetFocus(kSave);
    if ((!outcome.rewritten.empty() || !outcome.damaged.empty()) && refreshStatus_) {
        refreshStatus_();
    }
}

}  // namespace psion::setup
