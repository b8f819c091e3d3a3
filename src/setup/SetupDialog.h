#pragma once

#include <functional>
#include <vector>

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
    platform::Platform& platform_;
    const unitfiles::DataFolder& dataFolder_;
    std::function<void()> refreshStatus_;
    platform::Window* window_ = nullptr;
};

}  // namespace psion::setup
