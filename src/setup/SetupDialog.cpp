#include "setup/SetupDialog.h"

namespace psion::setup {

// Placeholder until the setup dialog is built.
SetupDialog::SetupDialog(platform::Platform& platform, const unitfiles::DataFolder& dataFolder,
                         std::function<void()> refreshStatus)
    : platform_(platform), dataFolder_(dataFolder), refreshStatus_(std::move(refreshStatus)) {}

const platform::FormDescription& SetupDialog::Description() const {
    static const platform::FormDescription description{.name = "frmsetup", .caption = "Psion Setup"};
    return description;
}

void SetupDialog::Load(platform::Window& window) { window_ = &window; }

std::vector<platform::EventRoute> SetupDialog::Routes() { return {}; }

}  // namespace psion::setup
