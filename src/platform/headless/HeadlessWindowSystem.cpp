#include "platform/headless/HeadlessWindowSystem.h"

#include <stdexcept>
#include <utility>

namespace psion::headless {

namespace {

// Blocks the opener's input while a modal dialog is open, also when the
// dialog's script fails.
class ModalScope {
  public:
    ModalScope(std::vector<HeadlessWindow*>& openWindows, HeadlessWindow& dialog)
        : openWindows_(openWindows) {
        if (!openWindows_.empty()) {
            opener_ = openWindows_.back();
            wasBlocked_ = opener_->IsInputBlocked();
            opener_->SetInputBlocked(true);
        }
        openWindows_.push_back(&dialog);
    }
    ~ModalScope() {
        openWindows_.pop_back();
        if (opener_ != nullptr) opener_->SetInputBlocked(wasBlocked_);
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

  private:
    std::vector<HeadlessWindow*>& openWindows_;
    HeadlessWindow* opener_ = nullptr;
    bool wasBlocked_ = false;
};

}  // namespace

HeadlessWindow& HeadlessWindowSystem::Open(platform::FormLogic& mainWindow) {
    if (mainWindow_) throw std::logic_error("the main window is already open");
    mainWindow_ = std::make_unique<HeadlessWindow>(mainWindow.Description(), mainWindow.Routes());
    openWindows_.push_back(mainWindow_.get());
    mainWindow.Load(*mainWindow_);
    mainWindow_->FocusFirstControl();
    return *mainWindow_;
}

void HeadlessWindowSystem::QueueModal(ModalScript script) {
    modalScripts_.push_back(std::move(script));
}

void HeadlessWindowSystem::ShowModal(platform::FormLogic& dialog) {
    HeadlessWindow window(dialog.Description(), dialog.Routes());
    ModalScope scope(openWindows_, window);
    dialog.Load(window);
    window.FocusFirstControl();
    modalsShown_.push_back(dialog.Description().caption);
    if (modalScripts_.empty()) {
        throw std::logic_error("dialog " + dialog.Description().name +
                               " opened, but the test queued nothing to do in it");
    }
    const ModalScript script = std::move(modalScripts_.front());
    modalScripts_.pop_front();
    script(window);
    if (!window.IsClosed()) {
        throw std::logic_error("dialog " + dialog.Description().name +
                               " is still open after its script; a modal dialog must be closed");
    }
}

void HeadlessWindowSystem::SetBusyPointer(bool busy) { busy_ = busy; }

}  // namespace psion::headless
