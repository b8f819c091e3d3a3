#include "transfer/TransferCommand.h"

#include <string>

#include "app/MainForm.h"
#include "transfer/TransferTexts.h"

namespace psion::transfer {

namespace {

using app::main_form::kCombo1;
using app::main_form::kExitbtn;
using app::main_form::kLbltype;
using app::main_form::kNoFiles;
using app::main_form::kReceiveButton;
using app::main_form::kSendButton;
using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;
using platform::PromptMessage;

// Both guards leave the window as it was, apart from the focus on the path list.
bool PassesGuards(const TransferContext& context) {
    if (context.mainWindow.Text(kLbltype) == kNoFiles) {
        context.prompt.Show({.text = "The appears to be no Psion files in this System Path",
                             .title = "Update files"});
        context.mainWindow.SetFocus(kCombo1);
        return false;
    }
    if (context.mainWindow.Text(kCombo1).empty()) {
        context.prompt.Show({.text = "You must select a SYSTEM PATH ...", .title = "Select Path"});
        context.mainWindow.SetFocus(kCombo1);
        return false;
    }
    return true;
}

void EnterBusyState(const TransferContext& context) {
    context.windows.SetBusyPointer(true);
    context.mainWindow.SetEnabled(kSendButton, false);
    context.mainWindow.SetEnabled(kReceiveButton, false);
    context.mainWindow.SetEnabled(kExitbtn, false);
}

void RestoreIdleState(const TransferContext& context) {
    context.mainWindow.SetEnabled(kSendButton, true);
    context.mainWindow.SetEnabled(kReceiveButton, true);
    context.mainWindow.SetFocus(kReceiveButton);
    context.mainWindow.SetEnabled(kExitbtn, true);
    context.windows.SetBusyPointer(false);
    context.mainWindow.SetFocus(kExitbtn);
}

bool UserConfirms(const TransferTexts& texts, const TransferContext& context) {
    const PromptAnswer answer = context.prompt.Show(
        {.text = platform::JoinLines({texts.questionLine1, texts.questionLine2, "ARE YOU SURE?"}),
         .title = std::string(texts.questionTitle),
         .buttons = PromptButtons::YesNo,
         .icon = PromptIcon::None});
    return answer != PromptAnswer::No;
}

// The id of the started script, or 0 when it is missing or could not be started.
platform::ProcessId StartTransferScript(const TransferTexts& texts,
                                        const TransferContext& context) {
    platform::ProcessId processId = 0;
    const unitfiles::DataFolder& folder = context.dataFolder;
    if (!folder.FileExists(folder.DataFilePath(texts.nameTested))) return processId;

    const std::string path = folder.DataFilePath(texts.nameStarted);
    if (texts.waitsForScript) {
        context.launcher.RunAndWait(path, processId);
    } else {
        processId = context.launcher.StartScript(path);
    }
    return processId;
}

void ReportResult(const TransferTexts& texts, platform::ProcessId processId,
                  const TransferContext& context) {
    const std::string title(texts.resultTitle);
    if (processId != 0) {
        context.prompt.Show({.text = "Process completed successfully.", .title = title});
        return;
    }
    const std::string codeLine = "(shell process return code = " + std::to_string(processId) + ")";
    context.prompt.Show({.text = platform::JoinLines(
                             {texts.failureLine1, "It did not complete successfully.", codeLine}),
                         .title = title,
                         .buttons = PromptButtons::Ok,
                         .icon = PromptIcon::Critical});
}

}  // namespace

void RunTransferCommand(std::int16_t index, const TransferContext& context) {
    const TransferTexts* texts = TextsForButton(index);
    if (texts == nullptr) return;  // the array has only the two buttons

    if (!PassesGuards(context)) return;
    EnterBusyState(context);
    if (UserConfirms(*texts, context)) {
        const platform::ProcessId processId = StartTransferScript(*texts, context);
        ReportResult(*texts, processId, context);
    }
    RestoreIdleState(context);
}

}  // namespace psion::transfer
