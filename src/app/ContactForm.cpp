#include "app/ContactForm.h"

#include <string>

namespace psion::app {

using platform::ControlDescription;
using platform::ControlKind;
using platform::ControlRef;
using platform::FontSpec;
using platform::MakeControl;
using platform::SansSerifFont;
using platform::TextAlignment;
using platform::TwipsRect;

namespace {

// Every control of the dialog is centred.
ControlDescription Control(const char* name, ControlKind kind, std::string caption,
                           TwipsRect position, FontSpec font = {}) {
    return MakeControl(ControlRef{name, -1}, kind, std::move(caption), position,
                       TextAlignment::Center, std::move(font));
}

platform::FormDescription BuildContactForm() {
    const FontSpec addressFont = SansSerifFont(9.6, true);

    platform::FormDescription form;
    form.name = "frmContact";
    form.caption = "Vided Ivivovizede";
    form.clientWidthTwips = 4320;
    form.clientHeightTwips = 2904;
    form.windowBackground = true;
    // The vendor is fictional, its numbers in the range kept free for fiction.
    form.controls = {
        Control("Command1", ControlKind::Button, "Exit", {1800, 2352, 876, 444}),
        Control("Label1", ControlKind::Label, "Elmsbrook, NV 89555", {12, 948, 4236, 312},
                addressFont),
        Control("Label2", ControlKind::Label, "1200 Harbour View Road", {12, 648, 4236, 312},
                addressFont),
        Control("Label3", ControlKind::Label, "Kelvo Data Systems", {48, 216, 4236, 444},
                SansSerifFont(18, false, true)),
        Control("Label4", ControlKind::Label, "(555) 555-0142", {84, 1368, 4236, 348},
                SansSerifFont(13.8, true)),
        Control("Label5", ControlKind::Label, "Fax: (555) 555-0143", {84, 1764, 4236, 300},
                SansSerifFont(12, false)),
    };
    return form;
}

}  // namespace

const platform::FormDescription& ContactFormDescription() {
    static const platform::FormDescription description = BuildContactForm();
    return description;
}

}  // namespace psion::app
