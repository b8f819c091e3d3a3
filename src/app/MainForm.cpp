#include "app/MainForm.h"

#include <string>

#include "app/ProductInfo.h"

namespace psion::app {

using platform::Captioned;
using platform::ControlDescription;
using platform::ControlKind;
using platform::ControlRef;
using platform::FontSpec;
using platform::MakeControl;
using platform::SansSerifFont;
using platform::TextAlignment;
using platform::TwipsRect;

namespace {

FontSpec TitleFont() {
    FontSpec font;
    font.face = "Palatino Linotype";
    font.points = 12;
    font.bold = true;
    font.italic = true;
    return font;
}

ControlDescription Label(const char* name, std::string caption, TwipsRect position,
                         TextAlignment alignment, FontSpec font = {}) {
    return MakeControl(ControlRef{name, -1}, ControlKind::Label, std::move(caption), position,
                       alignment, std::move(font));
}

ControlDescription Button(ControlRef id, std::string caption, TwipsRect position) {
    return MakeControl(std::move(id), ControlKind::Button, std::move(caption), position,
                       TextAlignment::Center);
}

platform::MenuItemDescription MenuItem(std::string name, std::string caption,
                                       std::vector<platform::MenuItemDescription> items = {}) {
    platform::MenuItemDescription item;
    item.name = std::move(name);
    item.caption = std::move(caption);
    item.items = std::move(items);
    return item;
}

// A home drive may be a long folder, wider than the list.
ControlDescription PathList() {
    auto list = Captioned(MakeControl(ControlRef{"Combo1", -1}, ControlKind::DropDownList, "",
                                      {1800, 1428, 2160, 288}),
                          "Label6", "System Path");
    list.tipShowsWholeEntry = true;
    return list;
}

platform::FormDescription BuildMainForm() {
    const FontSpec statusFont = SansSerifFont(7.8, true);
    const auto right = TextAlignment::Right;
    const auto left = TextAlignment::Left;

    platform::FormDescription form;
    form.name = "frmMain";
    form.caption = "Vided Ivivovizede";
    form.clientWidthTwips = 5148;
    form.clientHeightTwips = 5064;
    form.controls = {
        // A fictional vendor; kept short so it fits its 2760 twips in any sans-serif face.
        Label("Label2", "(c) Kelvo Data Systems", {1200, 4464, 2760, 240}, left,
              SansSerifFont(9.6)),
        Label("lbltype1", "Reader Type:", {708, 660, 1008, 192}, right),
        Label("lblDest1", "Destination:", {876, 1164, 840, 192}, right),
        Captioned(Label("lbltype", "", {1836, 660, 1884, 192}, left, statusFont), "lbltype1"),
        Captioned(Label("lbldest", "", {1836, 1164, 1956, 192}, left, statusFont), "lblDest1"),
        Label("Label1", "PSION READER INTERFACE", {84, 120, 5148, 264}, TextAlignment::Center,
              TitleFont()),
        Captioned(Label("lblComm", "", {1836, 900, 1956, 192}, left, statusFont), "Label4"),
        Label("Label4", "Comm Port:", {888, 900, 828, 192}, right),
        Label("Label3", std::string(kMajorMinorVersion), {4308, 4500, 444, 204}, left),
        Label("Label6", "System Path:", {780, 1476, 936, 240}, right),
        Button(ControlRef{"Command1", 0}, "Send Data to Psion", {744, 2400, 1668, 840}),
        Button(ControlRef{"Command1", 1}, "Receive Readings from Psion", {2772, 2436, 1668, 840}),
        Button(ControlRef{"exitbtn", -1}, "Exit", {2172, 3756, 804, 408}),
        MakeControl(ControlRef{"Check1", -1}, ControlKind::CheckBox, "Show command window",
                    {1836, 1872, 2424, 192}),
        PathList(),
    };
    form.menu = {
        MenuItem("mnufile", "File", {MenuItem("mnuexit", "Exit")}),
        MenuItem("mnuSetup", "Setup"),
        MenuItem("mnuContact", "Contact Us"),
    };
    return form;
}

}  // namespace

const platform::FormDescription& MainFormDescription() {
    static const platform::FormDescription description = BuildMainForm();
    return description;
}

}  // namespace psion::app
