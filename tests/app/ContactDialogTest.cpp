#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ContactDialog.h"
#include "app/ContactForm.h"
#include "platform/headless/HeadlessWindowSystem.h"

namespace psion::testing {
namespace {

using namespace app::contact_form;

// The five lines as the dialog shows them, top to bottom.
std::vector<std::string> Lines(const headless::HeadlessWindow& dialog) {
    return {dialog.Text(kCompanyName), dialog.Text(kStreet), dialog.Text(kCityLine),
            dialog.Text(kTelephone), dialog.Text(kFax)};
}

class ContactDialogTest : public ::testing::Test {
  protected:
    // Opens the dialog as Contact Us does; what the user does inside is the script.
    void Open(headless::HeadlessWindowSystem::ModalScript script) {
        windows_.QueueModal(std::move(script));
        app::ContactDialog dialog;
        windows_.ShowModal(dialog);
    }

    headless::HeadlessWindowSystem windows_;
};

TEST_F(ContactDialogTest, OpensWithTheVendorLinesAndTheFocusOnExit) {
    std::vector<std::string> lines;
    std::optional<platform::ControlRef> focus;
    Open([&](headless::HeadlessWindow& dialog) {
        lines = Lines(dialog);
        focus = dialog.Focus();
        EXPECT_TRUE(dialog.Click(kExitButton));  // and the dialog must be closed by it
    });

    ASSERT_EQ(lines.size(), 5u);
    for (const auto& line : lines) EXPECT_FALSE(line.empty());
    EXPECT_EQ(lines[4].rfind("Fax: ", 0), 0u) << lines[4];
    EXPECT_EQ(lines[3].front(), '(') << "the area code comes in parentheses";
    EXPECT_EQ(focus, kExitButton);
    EXPECT_EQ(windows_.ModalsShown(), std::vector<std::string>{"Vided Ivivovizede"});
}

TEST_F(ContactDialogTest, CloseBoxClosesTheDialogAsExitDoes) {
    Open([](headless::HeadlessWindow& dialog) { dialog.CloseBox(); });

    EXPECT_EQ(windows_.ModalsShown().size(), 1u);
    EXPECT_EQ(windows_.PendingModalScripts(), 0u);
}

TEST_F(ContactDialogTest, SecondOpeningShowsTheSameLines) {
    std::vector<std::string> first;
    std::vector<std::string> second;
    std::optional<platform::ControlRef> secondFocus;
    Open([&](headless::HeadlessWindow& dialog) {
        first = Lines(dialog);
        dialog.Click(kExitButton);
    });
    Open([&](headless::HeadlessWindow& dialog) {
        second = Lines(dialog);
        secondFocus = dialog.Focus();
        dialog.CloseBox();
    });

    EXPECT_EQ(first, second);
    EXPECT_EQ(secondFocus, kExitButton);
}

TEST_F(ContactDialogTest, LabelsTakeNoFocusSoExitIsTheOnlyStop) {
    const auto& form = app::ContactFormDescription();
    int focusable = 0;
    for (const auto& control : form.controls) focusable += platform::TakesFocus(control.kind);
    EXPECT_EQ(focusable, 1);
    EXPECT_TRUE(form.windowBackground);
}

}  // namespace
}  // namespace psion::testing
