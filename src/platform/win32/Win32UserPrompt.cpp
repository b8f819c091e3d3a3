#include "platform/win32/Win32UserPrompt.h"

#include <windows.h>

#include "platform/win32/Win32FormWindow.h"
#include "platform/win32/Win32Text.h"

namespace psion::win32 {

platform::PromptAnswer Win32UserPrompt::Show(const platform::PromptMessage& message) {
    Win32FormWindow* owner = Win32FormWindow::Topmost();
    const std::string title =
        message.title.empty() ? std::string(platform::kApplicationTitle) : message.title;
    UINT style = MB_SETFOREGROUND;
    style |= message.buttons == platform::PromptButtons::YesNo ? MB_YESNO | MB_DEFBUTTON1 : MB_OK;
    if (message.icon == platform::PromptIcon::Critical) style |= MB_ICONERROR;
    // Without an owner the box is modal to the program's own windows all the same.
    if (owner == nullptr) style |= MB_TASKMODAL;

    switch (MessageBoxW(owner != nullptr ? owner->Handle() : nullptr, ToWide(message.text).c_str(),
                        ToWide(title).c_str(), style)) {
        case IDYES:
            return platform::PromptAnswer::Yes;
        case IDNO:
            return platform::PromptAnswer::No;
        default:
            return message.buttons == platform::PromptButtons::YesNo ? platform::PromptAnswer::No
                                                                     : platform::PromptAnswer::Ok;
    }
}

}  // namespace psion::win32
