#include "app/ContactDialog.h"

#include "app/ContactForm.h"

namespace psion::app {

const platform::FormDescription& ContactDialog::Description() const {
    return ContactFormDescription();
}

// Nothing to read or compute: the texts are those of the form.
void ContactDialog::Load(platform::Window& window) { window_ = &window; }

std::vector<platform::EventRoute> ContactDialog::Routes() {
    return {{"Command1", platform::FormEvent::Click, [this](int) { OnCommand1Click(); }}};
}

void ContactDialog::OnCommand1Click() { window_->Close(); }

}  // namespace psion::app
