#pragma once

namespace psion::qt {

// Makes screen readers see the forms as the forms mean them: a main window
// is announced as a frame, and a list is named by its caption with the chosen
// entry as its value and text (Qt's own Unix default names a list by its
// contents). Safe to call more than once; call it before any form is built.
void InstallFormAccessibility();

}  // namespace psion::qt
