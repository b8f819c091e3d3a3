#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/headless/HeadlessWindowSystem.h"

namespace psion::headless {
namespace {

using platform::ControlKind;
using platform::FormEvent;

const ControlRef kButton{"Command1", -1};
const ControlRef kLabel{"Label1", -1};

// A window of one label and one button; loading writes the label, the button closes it.
class SampleLogic : public platform::FormLogic {
  public:
    explicit SampleLogic(std::string name) {
        description_.name = name;
        description_.caption = "Caption of " + name;
        platform::ControlDescription label;
        label.id = kLabel;
        label.kind = ControlKind::Label;
        platform::ControlDescription button;
        button.id = kButton;
        button.kind = ControlKind::Button;
        button.caption = "Close";
        description_.controls = {label, button};
    }
    const platform::FormDescription& Description() const override { return description_; }
    void Load(platform::Window& window) override {
        window_ = &window;
        window.SetText(kLabel, "loaded");
        ++loads;
    }
    std::vector<platform::EventRoute> Routes() override {
        return {{"Command1", FormEvent::Click, [this](int) { window_->Close(); }}};
    }
    int loads = 0;

  private:
    platform::FormDescription description_;
    platform::Window* window_ = nullptr;
};

TEST(HeadlessWindowSystemTest, OpenLoadsTheMainWindowAndFocusesItsFirstControl) {
    HeadlessWindowSystem windows;
    SampleLogic logic("frmMain");

    auto& window = windows.Open(logic);

    EXPECT_EQ(logic.loads, 1);
    EXPECT_EQ(window.Text(kLabel), "loaded");
    EXPECT_EQ(window.Focus(), kButton);
    EXPECT_THROW(windows.Open(logic), std::logic_error);
}

TEST(HeadlessWindowSystemTest, ModalDialogRunsItsScriptWhileTheOpenerWaits) {
    HeadlessWindowSystem windows;
    SampleLogic mainLogic("frmMain");
    auto& main = windows.Open(mainLogic);
    SampleLogic dialogLogic("frmDialog");
    std::string seen;
    bool openerTookInput = true;
    windows.QueueModal([&](HeadlessWindow& dialog) {
        seen = dialog.Text(kLabel);
        openerTookInput = main.Click(kButton);
        dialog.Click(kButton);
    });

    windows.ShowModal(dialogLogic);

    EXPECT_EQ(seen, "loaded");
    EXPECT_FALSE(openerTookInput);
    EXPECT_FALSE(main.IsClosed());
    EXPECT_EQ(windows.ModalsShown(), std::vector<std::string>{"Caption of frmDialog"});
    EXPECT_EQ(windows.PendingModalScripts(), 0u);
    EXPECT_TRUE(main.Click(kButton)) << "the opener takes input again";
}

TEST(HeadlessWindowSystemTest, DialogWithoutAScriptIsALogicError) {
    HeadlessWindowSystem windows;
    SampleLogic dialogLogic("frmDialog");

    EXPECT_THROW(windows.ShowModal(dialogLogic), std::logic_error);
}

TEST(HeadlessWindowSystemTest, DialogLeftOpenByItsScriptIsALogicErrorAndReleasesTheOpener) {
    HeadlessWindowSystem windows;
    SampleLogic mainLogic("frmMain");
    auto& main = windows.Open(mainLogic);
    SampleLogic dialogLogic("frmDialog");
    windows.QueueModal([](HeadlessWindow&) {});

    EXPECT_THROW(windows.ShowModal(dialogLogic), std::logic_error);
    EXPECT_FALSE(main.IsInputBlocked());
}

TEST(HeadlessWindowSystemTest, ScriptsServeTheDialogsInTheOrderQueued) {
    HeadlessWindowSystem windows;
    SampleLogic first("frmFirst");
    SampleLogic second("frmSecond");
    std::vector<std::string> order;
    windows.QueueModal([&](HeadlessWindow& dialog) {
        order.push_back("script 1 in " + dialog.Description().name);
        dialog.CloseBox();
    });
    windows.QueueModal([&](HeadlessWindow& dialog) {
        order.push_back("script 2 in " + dialog.Description().name);
        dialog.CloseBox();
    });

    windows.ShowModal(first);
    windows.ShowModal(second);

    EXPECT_EQ(order, (std::vector<std::string>{"script 1 in frmFirst", "script 2 in frmSecond"}));
}

TEST(HeadlessWindowSystemTest, BusyPointerFollowsTheLastRequest) {
    HeadlessWindowSystem windows;
    EXPECT_FALSE(windows.IsBusy());
    windows.SetBusyPointer(true);
    EXPECT_TRUE(windows.IsBusy());
    windows.SetBusyPointer(false);
    EXPECT_FALSE(windows.IsBusy());
}

}  // namespace
}  // namespace psion::headless
