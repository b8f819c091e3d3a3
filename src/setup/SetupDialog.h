#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/FormLogic.h"
#include "platform/Platform.h"
#include "unitfiles/DataFolder.h"

namespace psion::setup {

// frmsetup: rewrites the unit configuration behind the day's setup code.
// Opened blank each time; refreshStatus is the main window's GetStuff.
class SetupDialog : public platform::FormLogic {
  public:
    SetupDialog(platform::Platform& platform, const unitfiles::DataFolder& dataFolder,
                std::function<void()> refreshStatus);

    const platform::FormDescription& Description() const override;
    void Load(platform::Window& window) override;
    std::vector<platform::EventRoute> Routes() override;

  private:
    // Event handlers, one per event of the dialog.
    void OnCboTypeChoose();
    void OnCboDestChoose();
    void OnCboPortChoose();
    void OnCommand1Click();  // Save
    void OnCommand2Click();  // Cancel

    // Save, split at the point where the files start to change.
    bool InputsAccepted();
    struct SaveOutcome {
        std::optional<platform::FileError> error;
        std::vector<std::string> rewritten;          // files put in place before the error
        std::vector<platform::DamagedFile> damaged;  // changed by the error, not put in place
    };
    bool WriteFiles();
    SaveOutcome SaveAsOneSet();
    void ReportFailedWrite(const SaveOutcome& outcome);

    platform::Platform& platform_;
    const unitfiles::DataFolder& dataFolder_;
    std::function<void()> refreshStatus_;
    platform::Window* window_ = nullptr;
};

}  // namespace psion::setup
