#pragma once

#include <vector>

#include "platform/FormLogic.h"

namespace psion::app {

// frmContact: how to reach the vendor. Reads nothing and changes nothing.
class ContactDialog : public platform::FormLogic {
  public:
    const platform::FormDescription& Description() const override;
    void Load(platform::Window& window) override;
    std::vector<platform::EventRoute> Routes() override;

  private:
    void OnCommand1Click();

    platform::Window* window_ = nullptr;
};

}  // namespace psion::app
