#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/FormLogic.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessWindow.h"

namespace psion::headless {

// Opens windows in memory. A modal dialog runs the next queued script, which
// plays the user inside it; the dialog must be closed when the script ends.
class HeadlessWindowSystem : public platform::WindowSystem {
  public:
    using ModalScript = std::function<void(HeadlessWindow& dialog)>;

    // Builds the main window, runs its loading and shows it with the initial focus.
    HeadlessWindow& Open(platform::FormLogic& mainWindow);

    // Queues what the user does in the next modal dialog that opens.
    void QueueModal(ModalScript script);

    void ShowModal(
        platform::FormLogic& dialog) override;  // throws std::logic_error without a script
    void SetBusyPointer(bool busy) override;

    bool IsBusy() const { return busy_; }
    // Captions of the dialogs opened so far, in order.
    const std::vector<std::string>& ModalsShown() const { return modalsShown_; }
    std::size_t PendingModalScripts() const { return modalScripts_.size(); }

  private:
    std::unique_ptr<HeadlessWindow> mainWindow_;
    // Windows that are open, the one that takes input last.
    std::vector<HeadlessWindow*> openWindows_;
    std::deque<ModalScript> modalScripts_;
    std::vector<std::string> modalsShown_;
    bool busy_ = false;
};

}  // namespace psion::headless
