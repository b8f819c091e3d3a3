#include "setup/SetupForm.h"

#include <string>
#include <vector>

namespace psion::setup {

namespace {

using platform::Captioned;
using platform::ControlDescription;
using platform::ControlKind;
using platform::TextAlignment;
using platform::TwipsRect;

// Geometry in twips. The captions end at one common right edge and the fields
// start a little to the right of it; the captions get far more width than
// their text needs, so a substitute face with wider letters still fits.
constexpr int kCaptionLeft = 120;
constexpr int kCaptionWidth = 1320;
constexpr int kFieldLeft = 1560;
constexpr int kFieldHeight = 315;
constexpr int kCaptionHeight = 240;
constexpr int kWideListWidth = 2520;    // ends at 4080, 204 twips inside the right edge
constexpr int kNarrowListWidth = 1260;  // half the unit type list
constexpr int kCodeBoxWidth = 1140;
constexpr int kDashWidth = 240;
constexpr int kButtonWidth = 1080;
constexpr int kButtonHeight = 420;
constexpr int kButtonGap = 240;
constexpr int kClientWidth = 4284;
constexpr int kClientHeight = 3300;

constexpr int RowTop(int row) { return 300 + row * 480; }

ControlDescription Control(std::string name, ControlKind kind, TwipsRect position) {
    return platform::MakeControl({std::move(name)}, kind, "", position);
}

// Centred vertically on the field of its row.
ControlDescription Caption(std::string name, std::string text, int row) {
    auto label = Control(std::move(name), ControlKind::Label,
                         {kCaptionLeft, RowTop(row) + (kFieldHeight - kCaptionHeight) / 2,
                          kCaptionWidth, kCaptionHeight});
    label.caption = std::move(text);
    label.font = platform::SansSerifFont(7.8, true);
    label.alignment = TextAlignment::Right;
    return label;
}

ControlDescription List(std::string name, int row, int width, std::vector<std::string> entries) {
    auto list = Control(std::move(name), ControlKind::DropDownList,
                        {kFieldLeft, RowTop(row), width, kFieldHeight});
    list.entries = std::move(entries);
    return list;
}

ControlDescription TextBox(std::string name, int left) {
    return Control(std::move(name), ControlKind::TextBox,
                   {left, RowTop(3), kCodeBoxWidth, kFieldHeight});
}

// The larger font needs a taller box; it stays centred on the code boxes.
ControlDescription Dash(int left) {
    return platform::MakeControl({"Label4"}, ControlKind::Label, "-",
                                 {left, RowTop(3) - 30, kDashWidth, kFieldHeight + 60},
                                 TextAlignment::Center, platform::SansSerifFont(13.8));
}

ControlDescription Button(std::string name, std::string text, int left) {
    auto button = Control(std::move(name), ControlKind::Button,
                          {left, RowTop(4) + 180, kButtonWidth, kButtonHeight});
    button.caption = std::move(text);
    return button;
}

platform::FormDescription Build() {
    constexpr int dashLeft = kFieldLeft + kCodeBoxWidth;
    constexpr int secondBoxLeft = dashLeft + kDashWidth;
    constexpr int buttonsLeft = (kClientWidth - (2 * kButtonWidth + kButtonGap)) / 2;

    platform::FormDescription form;
    form.name = "frmsetup";
    form.caption = "Psion Setup";
    form.clientWidthTwips = kClientWidth;
    form.clientHeightTwips = kClientHeight;
    form.controls = {
        Caption("Label1", "Unit Type:", 0),
        Captioned(List("cboType", 0, kWideListWidth,
                       {"MX Version", "1MB Version", "256K Version", "256K (old) Version"}),
                  "Label1", "Unit Type"),
        Caption("Label2", "Destination:", 1),
        Captioned(List("cboDest", 1, kNarrowListWidth, {}), "Label2", "Destination"),
        Caption("Label5", "Serial Port:", 2),
        Captioned(
            List("cboPort", 2, kNarrowListWidth, {"Com1", "Com2", "Com3", "Com4", "Com5", "Com6"}),
            "Label5", "Serial Port"),
        Caption("Label3", "Setup Code:", 3),
        // One caption serves both code boxes; the second is named on its own.
        Captioned(TextBox("Text1", kFieldLeft), "Label3", "Setup code, first part"),
        Dash(dashLeft),
        Captioned(TextBox("Text2", secondBoxLeft), "", "Setup code, second part"),
        Button("Command1", "Save", buttonsLeft),
        Button("Command2", "Cancel", buttonsLeft + kButtonWidth + kButtonGap),
    };
    return form;
}

}  // namespace

const platform::FormDescription& SetupFormDescription() {
    static const platform::FormDescription description = Build();
    return description;
}

}  // namespace psion::setup
