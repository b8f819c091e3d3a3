// The arrangement of the setup dialog: rows, edges and widths.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/FormDescription.h"
#include "setup/SetupForm.h"

namespace psion::setup {
namespace {

using platform::ControlDescription;
using platform::ControlKind;
using platform::TextAlignment;

const ControlDescription& Find(const std::string& name) {
    for (const auto& control : SetupFormDescription().controls) {
        if (control.id.name == name) return control;
    }
    throw std::out_of_range("no control " + name);
}

int Right(const ControlDescription& c) { return c.position.left + c.position.width; }
int Bottom(const ControlDescription& c) { return c.position.top + c.position.height; }
int MiddleY(const ControlDescription& c) { return c.position.top + c.position.height / 2; }

TEST(SetupForm, ListsTheControlsInTabOrder) {
    const auto& form = SetupFormDescription();
    EXPECT_EQ(form.name, "frmsetup");
    EXPECT_EQ(form.caption, "Psion Setup");
    EXPECT_EQ(form.clientWidthTwips, 4284);
    EXPECT_EQ(form.clientHeightTwips, 3300);
    EXPECT_TRUE(form.menu.empty());

    const std::vector<std::pair<std::string, ControlKind>> expected{
        {"Label1", ControlKind::Label},    {"cboType", ControlKind::DropDownList},
        {"Label2", ControlKind::Label},    {"cboDest", ControlKind::DropDownList},
        {"Label5", ControlKind::Label},    {"cboPort", ControlKind::DropDownList},
        {"Label3", ControlKind::Label},    {"Text1", ControlKind::TextBox},
        {"Label4", ControlKind::Label},    {"Text2", ControlKind::TextBox},
        {"Command1", ControlKind::Button}, {"Command2", ControlKind::Button},
    };
    ASSERT_EQ(form.controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(form.controls[i].id.name, expected[i].first);
        EXPECT_EQ(form.controls[i].id.index, -1);
        EXPECT_EQ(form.controls[i].kind, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(Find("Command1").caption, "Save");
    EXPECT_EQ(Find("Command2").caption, "Cancel");
    EXPECT_EQ(Find("Label4").caption, "-");
}

TEST(SetupForm, PutsEachCaptionRightAlignedAndBoldBesideItsFieldInFourRows) {
    const std::pair<const char*, const char*> rows[] = {
        {"Label1", "cboType"}, {"Label2", "cboDest"}, {"Label5", "cboPort"}, {"Label3", "Text1"}};
    const int captionRight = Right(Find("Label1"));
    const int fieldLeft = Find("cboType").position.left;
    int previousTop = -1;
    for (const auto& [captionName, fieldName] : rows) {
        SCOPED_TRACE(captionName);
        const auto& caption = Find(captionName);
        const auto& field = Find(fieldName);
        EXPECT_EQ(caption.alignment, TextAlignment::Right);
        EXPECT_TRUE(caption.font.bold);
        EXPECT_DOUBLE_EQ(caption.font.points, 7.8);
        EXPECT_EQ(Right(caption), captionRight);
        EXPECT_EQ(field.position.left, fieldLeft);
        EXPECT_EQ(field.captionedBy, caption.id.name);  // read out together
        EXPECT_LT(captionRight, fieldLeft);
        EXPECT_NEAR(MiddleY(caption), MiddleY(field), 15);
        EXPECT_GT(field.position.top, previousTop);
        previousTop = Bottom(field);
    }
}

TEST(SetupForm, SizesTheFieldsAndCentresTheButtons) {
    const auto& type = Find("cboType");
    EXPECT_EQ(type.position.width, 2 * Find("cboDest").position.width);
    EXPECT_EQ(type.position.width, 2 * Find("cboPort").position.width);

    const auto& text1 = Find("Text1");
    const auto& dash = Find("Label4");
    const auto& text2 = Find("Text2");
    EXPECT_EQ(text1.position.width, text2.position.width);
    EXPECT_EQ(text1.position.top, text2.position.top);
    EXPECT_LE(Right(text1), dash.position.left);
    EXPECT_LE(Right(dash), text2.position.left);
    EXPECT_DOUBLE_EQ(dash.font.points, 13.8);
    EXPECT_FALSE(dash.font.bold);
    EXPECT_NEAR(MiddleY(dash), MiddleY(text1), 15);

    const auto& save = Find("Command1");
    const auto& cancel = Find("Command2");
    EXPECT_EQ(save.position.top, cancel.position.top);
    EXPECT_LT(Right(save), cancel.position.left);
    EXPECT_GT(save.position.top, Bottom(text1));
    const int leftMargin = save.position.left;
    const int rightMargin = SetupFormDescription().clientWidthTwips - Right(cancel);
    EXPECT_NEAR(leftMargin, rightMargin, 15);

    for (const auto& control : SetupFormDescription().controls) {
        EXPECT_GE(control.position.left, 0) << control.id.name;
        EXPECT_GE(control.position.top, 0) << control.id.name;
        EXPECT_LE(Right(control), SetupFormDescription().clientWidthTwips) << control.id.name;
        EXPECT_LE(Bottom(control), SetupFormDescription().clientHeightTwips) << control.id.name;
    }
}

}  // namespace
}  // namespace psion::setup
