#pragma once

#include "platform/FormDescription.h"

namespace psion::app {

// frmContact: five centred lines about the vendor above an "Exit" button.
const platform::FormDescription& ContactFormDescription();

namespace contact_form {
inline const platform::ControlRef kExitButton{"Command1", -1};
inline const platform::ControlRef kCityLine{"Label1", -1};
inline const platform::ControlRef kStreet{"Label2", -1};
inline const platform::ControlRef kCompanyName{"Label3", -1};
inline const platform::ControlRef kTelephone{"Label4", -1};
inline const platform::ControlRef kFax{"Label5", -1};
}  // namespace contact_form

}  // namespace psion::app
