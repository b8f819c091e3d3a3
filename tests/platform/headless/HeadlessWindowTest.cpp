#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/headless/HeadlessWindow.h"

namespace psion::headless {
namespace {

using platform::ControlKind;
using platform::FormEvent;
// The strings expected, in order.
using Lines = std::vector<std::string>;

platform::ControlDescription Control(std::string name, int index, ControlKind kind,
                                     std::string caption = "") {
    platform::ControlDescription control;
    control.id = ControlRef{std::move(name), index};
    control.kind = kind;
    control.caption = std::move(caption);
    return control;
}

platform::FormDescription SampleForm() {
    platform::FormDescription form;
    form.name = "frmSample";
    form.caption = "Sample";
    form.controls = {
        Control("Label1", -1, ControlKind::Label, "Caption:"),
        Control("Text1", -1, ControlKind::TextBox),
        Control("Go", 0, ControlKind::Button, "First"),
        Control("Go", 1, ControlKind::Button, "Second"),
        Control("Check1", -1, ControlKind::CheckBox, "Option"),
        Control("cboPick", -1, ControlKind::DropDownList),
    };
    platform::MenuItemDescription exit;
    exit.name = "mnuexit";
    exit.caption = "Exit";
    platform::MenuItemDescription file;
    file.name = "mnufile";
    file.caption = "File";
    file.items = {exit};
    form.menu = {file};
    return form;
}

const ControlRef kLabel{"Label1", -1};
const ControlRef kText{"Text1", -1};
const ControlRef kFirst{"Go", 0};
const ControlRef kSecond{"Go", 1};
const ControlRef kCheck{"Check1", -1};
const ControlRef kList{"cboPick", -1};

// Records every event with what the handler saw of the window at that moment.
class HeadlessWindowTest : public ::testing::Test {
  protected:
    HeadlessWindowTest()
        : window_(form_,
                  {{"Go", FormEvent::Click, Record("Go")},
                   {"Check1", FormEvent::Click,
                    [this](int) { events_.push_back(window_.IsChecked(kCheck) ? "on" : "off"); }},
                   {"cboPick", FormEvent::Choose,
                    [this](int) { events_.push_back("chose " + window_.Text(kList)); }},
                   {"mnuexit", FormEvent::Click, Record("mnuexit")}}) {
        window_.AddListEntry(kList, "alpha");
        window_.AddListEntry(kList, "beta");
    }

    std::function<void(int)> Record(std::string name) {
        return [this, name](int index) { events_.push_back(name + " " + std::to_string(index)); };
    }

    platform::FormDescription form_ = SampleForm();
    std::vector<std::string> events_;
    HeadlessWindow window_;
};

TEST_F(HeadlessWindowTest, StartsAsTheDescriptionSays) {
    EXPECT_EQ(window_.Text(kLabel), "Caption:");
    EXPECT_EQ(window_.Text(kSecond), "Second");
    EXPECT_EQ(window_.Text(kText), "");
    EXPECT_EQ(window_.SelectedIndex(kList), -1);
    EXPECT_EQ(window_.Text(kList), "");
    EXPECT_FALSE(window_.IsChecked(kCheck));
    EXPECT_TRUE(window_.IsEnabled(kFirst));
    EXPECT_EQ(window_.Focus(), std::nullopt);
    EXPECT_FALSE(window_.IsClosed());
}

TEST_F(HeadlessWindowTest, FirstFocusSkipsLabelsAndDisabledControls) {
    window_.SetEnabled(kText, false);

    window_.FocusFirstControl();

    EXPECT_EQ(window_.Focus(), kFirst);
}

TEST_F(HeadlessWindowTest, FirstFocusKeepsWhereTheLogicPutIt) {
    window_.SetFocus(kCheck);

    window_.FocusFirstControl();

    EXPECT_EQ(window_.Focus(), kCheck);
}

TEST_F(HeadlessWindowTest, SelectingAnEntryRaisesTheChoiceWithTheTextAlreadySet) {
    window_.SelectListEntry(kList, 1);

    EXPECT_EQ(events_, (Lines{"chose beta"}));
    EXPECT_EQ(window_.SelectedIndex(kList), 1);
    EXPECT_EQ(window_.Focus(), std::nullopt) << "selecting in code moves no focus";

    EXPECT_TRUE(window_.Choose(kList, 0));
    EXPECT_EQ(events_, (Lines{"chose beta", "chose alpha"}));
    EXPECT_EQ(window_.Focus(), kList);
}

TEST_F(HeadlessWindowTest, ListKeepsEntriesInOrderAndClearingDropsTheSelection) {
    window_.AddListEntry(kList, "aardvark");
    EXPECT_EQ(window_.Entries(kList), (Lines{"alpha", "beta", "aardvark"}));
    window_.SelectListEntry(kList, 2);

    window_.ClearList(kList);

    EXPECT_TRUE(window_.Entries(kList).empty());
    EXPECT_EQ(window_.SelectedIndex(kList), -1);
    EXPECT_EQ(window_.Text(kList), "");
}

TEST_F(HeadlessWindowTest, SelectingAnEntryThatIsNotThereIsALogicError) {
    EXPECT_THROW(window_.SelectListEntry(kList, 2), std::logic_error);
    EXPECT_THROW(window_.Choose(kList, -2), std::logic_error);
    EXPECT_TRUE(events_.empty());
}

TEST_F(HeadlessWindowTest, ClickOnAButtonArrayPassesTheIndexAndTakesTheFocus) {
    EXPECT_TRUE(window_.Click(kSecond));
    EXPECT_TRUE(window_.Click(kFirst));

    EXPECT_EQ(events_, (Lines{"Go 1", "Go 0"}));
    EXPECT_EQ(window_.Focus(), kFirst);
}

TEST_F(HeadlessWindowTest, CheckBoxToggledBeforeItsHandlerRuns) {
    EXPECT_TRUE(window_.Click(kCheck));
    EXPECT_TRUE(window_.Click(kCheck));

    EXPECT_EQ(events_, (Lines{"on", "off"}));
    EXPECT_FALSE(window_.IsChecked(kCheck));
}

TEST_F(HeadlessWindowTest, DisabledControlsIgnoreTheUser) {
    for (const auto& control : {kFirst, kCheck, kList, kText}) window_.SetEnabled(control, false);

    EXPECT_FALSE(window_.Click(kFirst));
    EXPECT_FALSE(window_.Click(kCheck));
    EXPECT_FALSE(window_.Choose(kList, 0));
    EXPECT_FALSE(window_.Type(kText, "typed"));

    EXPECT_TRUE(events_.empty());
    EXPECT_FALSE(window_.IsChecked(kCheck));
    EXPECT_EQ(window_.SelectedIndex(kList), -1);
    EXPECT_EQ(window_.Text(kText), "");
    EXPECT_EQ(window_.Focus(), std::nullopt);
    EXPECT_TRUE(window_.Click(kSecond)) << "the rest of the array still works";
}

TEST_F(HeadlessWindowTest, FocusOnALabelOrADisabledControlIsALogicError) {
    window_.SetEnabled(kSecond, false);

    EXPECT_THROW(window_.SetFocus(kLabel), std::logic_error);
    EXPECT_THROW(window_.SetFocus(kSecond), std::logic_error);
    window_.SetEnabled(kSecond, true);
    window_.SetFocus(kSecond);
    EXPECT_EQ(window_.Focus(), kSecond);
}

TEST_F(HeadlessWindowTest, TypingReplacesTheText) {
    EXPECT_TRUE(window_.Type(kText, "first"));
    EXPECT_TRUE(window_.Type(kText, "second"));

    EXPECT_EQ(window_.Text(kText), "second");
    EXPECT_EQ(window_.Focus(), kText);
}

TEST_F(HeadlessWindowTest, MenuItemsRaiseTheirHandlers) {
    EXPECT_TRUE(window_.ClickMenu("mnufile"));
    EXPECT_TRUE(window_.ClickMenu("mnuexit"));

    EXPECT_EQ(events_, (Lines{"mnuexit -1"}));
    EXPECT_THROW(window_.ClickMenu("mnuNone"), std::logic_error);
}

TEST_F(HeadlessWindowTest, DisabledMenuItemsAndTheItemsOfADisabledMenuIgnoreTheUser) {
    window_.SetEnabled(ControlRef{"mnuexit", -1}, false);
    EXPECT_FALSE(window_.IsEnabled(ControlRef{"mnuexit", -1}));
    EXPECT_FALSE(window_.ClickMenu("mnuexit"));
    window_.SetEnabled(ControlRef{"mnuexit", -1}, true);
    window_.SetEnabled(ControlRef{"mnufile", -1}, false);
    EXPECT_FALSE(window_.ClickMenu("mnuexit"));
    EXPECT_TRUE(events_.empty());

    window_.SetEnabled(ControlRef{"mnufile", -1}, true);
    EXPECT_TRUE(window_.ClickMenu("mnuexit"));
    EXPECT_EQ(events_, (Lines{"mnuexit -1"}));
}

// A dialog's Exit closes the window whose routing called it; the handler's
// own state must outlive that.
TEST(HeadlessWindowRouting, AHandlerThatDestroysItsWindowRunsToItsEnd) {
    const platform::FormDescription form = SampleForm();
    std::unique_ptr<HeadlessWindow> window;
    std::vector<std::string> said;
    const std::string farewell(64, 'x');  // long enough to live on the heap
    window = std::make_unique<HeadlessWindow>(
        form,
        std::vector<platform::EventRoute>{{"Go", FormEvent::Click, [&window, &said, farewell](int) {
                                               window.reset();
                                               said.push_back(farewell);
                                           }}});

    window->Click(kFirst);

    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(said, (Lines{farewell}));
}

TEST_F(HeadlessWindowTest, ClosedWindowTakesNoInput) {
    window_.Close();

    EXPECT_TRUE(window_.IsClosed());
    EXPECT_FALSE(window_.Click(kFirst));
    EXPECT_FALSE(window_.ClickMenu("mnuexit"));
    EXPECT_FALSE(window_.Choose(kList, 1));
    EXPECT_TRUE(events_.empty());
}

TEST_F(HeadlessWindowTest, BlockedWindowTakesNoInputUntilReleased) {
    window_.SetInputBlocked(true);
    EXPECT_FALSE(window_.Click(kFirst));
    EXPECT_FALSE(window_.ClickMenu("mnuexit"));
    window_.CloseBox();
    EXPECT_FALSE(window_.IsClosed());

    window_.SetInputBlocked(false);
    EXPECT_TRUE(window_.Click(kFirst));
    EXPECT_EQ(events_, (Lines{"Go 0"}));
}

TEST_F(HeadlessWindowTest, UnknownControlsAndWrongKindsAreLogicErrors) {
    EXPECT_THROW(window_.Text(ControlRef{"Go", -1}), std::logic_error);
    EXPECT_THROW(window_.SetText(ControlRef{"Nothing", -1}, "x"), std::logic_error);
    EXPECT_THROW(window_.SetText(kList, "x"), std::logic_error);
    EXPECT_THROW(window_.Click(kList), std::logic_error);
    EXPECT_THROW(window_.Type(kFirst, "x"), std::logic_error);
    EXPECT_THROW(window_.Choose(kText, 0), std::logic_error);
}

TEST_F(HeadlessWindowTest, LabelTextIsShownUnchanged) {
    const std::string text = "  port:\tCOM1 \xE9 ";
    window_.SetText(kLabel, text);

    EXPECT_EQ(window_.Text(kLabel), text);
}

}  // namespace
}  // namespace psion::headless
