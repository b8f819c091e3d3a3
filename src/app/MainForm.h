#pragma once

#include "platform/FormDescription.h"

namespace psion::app {

// frmMain's controls and menu, in tab order, as the bindings build them.
const platform::FormDescription& MainFormDescription();

// The controls of frmMain that the logic addresses.
namespace main_form {
inline const platform::ControlRef kLbltype{"lbltype", -1};
inline const platform::ControlRef kLbldest{"lbldest", -1};
inline const platform::ControlRef kLblComm{"lblComm", -1};
inline const platform::ControlRef kCombo1{"Combo1", -1};
inline const platform::ControlRef kCheck1{"Check1", -1};
inline const platform::ControlRef kSendButton{"Command1", 0};
inline const platform::ControlRef kReceiveButton{"Command1", 1};
inline const platform::ControlRef kExitbtn{"exitbtn", -1};
inline const platform::ControlRef kVendorNotice{"Label2", -1};
inline const platform::ControlRef kVersionLabel{"Label3", -1};

// The reader-type text that marks a system path without unit files; the
// commands that need unit files test for it exactly, case included.
inline constexpr char kNoFiles[] = "No files";
}  // namespace main_form

}  // namespace psion::app
