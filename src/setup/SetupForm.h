#pragma once

#include "platform/FormDescription.h"

namespace psion::setup {

// frmsetup: four rows of caption and field, the code row split in two boxes,
// and Save and Cancel centred below.
const platform::FormDescription& SetupFormDescription();

}  // namespace psion::setup
