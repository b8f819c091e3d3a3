#pragma once

#include <string>
#include <utility>
#include <vector>

namespace psion::platform {

// A control is addressed by its name and, inside a control array, by its index.
struct ControlRef {
    std::string name;
    int index = -1;  // -1: not part of a control array

    friend bool operator==(const ControlRef&, const ControlRef&) = default;
};

enum class ControlKind { Label, Button, CheckBox, DropDownList, TextBox };

enum class TextAlignment { Left, Right, Center };

struct FontSpec {
    std::string face = "MS Sans Serif";
    double points = 8.25;
    bool bold = false;
    bool italic = false;
};

// Left, top, width and height in twips (1/1440 inch) within the client area.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ControlDescription {
    ControlRef id;
    ControlKind kind = ControlKind::Label;
    std::string caption;  // initial text; empty for lists and text boxes
    FontSpec font;
    TextAlignment alignment = TextAlignment::Left;
    TwipsRect position;
    std::vector<std::string> entries;  // initial entries of a list
    // The label whose caption says what this control shows; screen readers
    // announce the two together. Empty: no label captions it.
    std::string captionedBy;
    // What screen readers call a list or text box, which shows no caption of
    // its own. Never its contents: what it holds is its value.
    std::string accessibleName;
    // A list whose entries may be wider than the list: the whole chosen entry
    // is also its tooltip and accessible description.
    bool tipShowsWholeEntry = false;
};

// A menu bar entry with items opens a drop-down menu; one without items is a command.
struct MenuItemDescription {
    std::string name;
    std::string caption;
    std::vector<MenuItemDescription> items;
};

struct FormDescription {
    std::string name;
    std::string caption;
    int clientWidthTwips = 0;
    int clientHeightTwips = 0;
    std::vector<ControlDescription> controls;  // in tab order
    std::vector<MenuItemDescription> menu;     // menu bar, left to right
    // Painted in the system colour for window backgrounds instead of the dialog face colour.
    bool windowBackground = false;
};

// Builders that keep the form tables short.
inline FontSpec SansSerifFont(double points, bool bold = false, bool italic = false) {
    FontSpec font;
    font.points = points;
    font.bold = bold;
    font.italic = italic;
    return font;
}

inline ControlDescription MakeControl(ControlRef id, ControlKind kind, std::string caption,
                                      TwipsRect position,
                                      TextAlignment alignment = TextAlignment::Left,
                                      FontSpec font = {}) {
    ControlDescription control;
    control.id = std::move(id);
    control.kind = kind;
    control.caption = std::move(caption);
    control.position = position;
    control.alignment = alignment;
    control.font = std::move(font);
    return control;
}

// The control captioned by the label captionLabel, and for a list or text box
// the name screen readers announce for it.
inline ControlDescription Captioned(ControlDescription control, std::string captionLabel,
                                    std::string accessibleName = {}) {
    control.captionedBy = std::move(captionLabel);
    control.accessibleName = std::move(accessibleName);
    return control;
}

// The label that captions control on form, or nullptr when none does.
inline const ControlDescription* CaptionOf(const FormDescription& form,
                                           const ControlDescription& control) {
    if (control.captionedBy.empty()) return nullptr;
    for (const ControlDescription& label : form.controls) {
        if (label.kind == ControlKind::Label && label.id.name == control.captionedBy) return &label;
    }
    return nullptr;
}

// Labels never take the keyboard focus.
inline bool TakesFocus(ControlKind kind) { return kind != ControlKind::Label; }

}  // namespace psion::platform
