#pragma once

#include <vector>

#include "app/SharedValues.h"
#include "platform/FormLogic.h"
#include "platform/Platform.h"
#include "transfer/ScriptLauncher.h"
#include "unitfiles/DataFolder.h"

namespace psion::app {

// frmMain: the start-up window. Chooses the system path, shows the status
// panel, starts transfers and opens the setup and contact dialogs.
class MainWindow : public platform::FormLogic {
  public:
    MainWindow(SharedValues& shared, platform::Platform& platform);

    const platform::FormDescription& Description() const override;
    void Load(platform::Window& window) override;
    std::vector<platform::EventRoute> Routes() override;

    // Refreshes the status panel from the unit files of the current system path.
    void GetStuff();

  private:
    // Event handlers, one per event of the window.
    void OnCombo1Choose();
    void OnCheck1Click();
    void OnCommand1Click(int index);
    void OnExitbtnClick();
    void OnMnuexitClick();
    void OnMnuSetupClick();
    void OnMnuContactClick();

    SharedValues& shared_;
    platform::Platform& platform_;
    unitfiles::DataFolder dataFolder_;
    transfer::ScriptLauncher launcher_;
    platform::Window* window_ = nullptr;
};

}  // namespace psion::app
