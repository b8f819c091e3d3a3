// The dialog as it opens, and the lists' choices with their focus moves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/SetupDialogHarness.h"

namespace psion::testing {
namespace {

using Entries = std::vector<std::string>;

TEST(SetupDialogLists, OpensBlankWithTheFocusOnTheUnitTypeList) {
    SetupDialogHarness h;
    auto& window = h.Open();

    EXPECT_EQ(window.Description().caption, "Psion Setup");
    EXPECT_EQ(window.Entries(kType),
              (Entries{"MX Version", "1MB Version", "256K Version", "256K (old) Version"}));
    EXPECT_EQ(window.Entries(kPort), (Entries{"Com1", "Com2", "Com3", "Com4", "Com5", "Com6"}));
    EXPECT_TRUE(window.Entries(kDest).empty());
    for (const auto& list : {kType, kDest, kPort}) EXPECT_EQ(window.SelectedIndex(list), -1);
    EXPECT_EQ(window.Text(kText1), "");
    EXPECT_EQ(window.Text(kText2), "");
    EXPECT_EQ(window.Focus(), kType);
}

TEST(SetupDialogLists, TheOldUnitTypeOffersPortsAndTheOthersOfferLetters) {
    SetupDialogHarness h;
    auto& window = h.Open();
    for (int type = 0; type < 4; ++type) {
        SCOPED_TRACE(type);
        window.SetFocus(kText2);
        window.Choose(kType, type);
        const Entries expected = type == 3 ? Entries{"P1", "P2", "P3"} : Entries{"A", "B", "C"};
        EXPECT_EQ(window.Entries(kDest), expected);
        EXPECT_EQ(window.SelectedIndex(kDest), -1);
        EXPECT_EQ(window.Focus(), kDest);
    }
}

TEST(SetupDialogLists, ChoosingAUnitTypeDropsTheDestinationChosenBefore) {
    SetupDialogHarness h;
    auto& window = h.Open();
    window.Choose(kType, 0);
    window.Choose(kDest, 2);
    ASSERT_EQ(window.Text(kDest), "C");

    window.Choose(kType, 3);
    EXPECT_EQ(window.SelectedIndex(kDest), -1);
    EXPECT_EQ(window.Text(kDest), "");
    window.Choose(kDest, 0);
    ASSERT_EQ(window.Text(kDest), "P1");

    // Choosing the same unit type again refills and drops the choice too.
    window.Choose(kType, 3);
    EXPECT_EQ(window.SelectedIndex(kDest), -1);
    EXPECT_EQ(window.Entries(kDest), (Entries{"P1", "P2", "P3"}));
}

TEST(SetupDialogLists, EachChoiceLeadsTheFocusToTheNextField) {
    SetupDialogHarness h;
    auto& window = h.Open();
    window.Choose(kType, 1);
    EXPECT_EQ(window.Focus(), kDest);
    window.Choose(kDest, 1);
    EXPECT_EQ(window.Focus(), kPort);
    window.Choose(kPort, 3);
    EXPECT_EQ(window.Focus(), kText1);

    // A later change of port or destination leads on in the same way.
    window.SetFocus(kSave);
    window.Choose(kDest, 0);
    EXPECT_EQ(window.Focus(), kPort);
    EXPECT_EQ(window.Text(kType), "1MB Version");
    EXPECT_EQ(window.Text(kPort), "Com4");
    EXPECT_TRUE(h.prompt.Shown().empty());
}

TEST(SetupDialogLists, CancelClosesWithoutAMessage) {
    SetupDialogHarness h;
    h.Write("autoexec.btf", kOldBatch);
    auto& window = h.Open();
    h.Fill(0, 0, 0, kTodaysCode);
    ASSERT_TRUE(window.Click(kCancel));
    EXPECT_TRUE(window.IsClosed());
    EXPECT_TRUE(h.prompt.Shown().empty());
    EXPECT_EQ(h.Read("autoexec.btf"), kOldBatch);
    EXPECT_TRUE(h.refreshes.empty());
}

}  // namespace
}  // namespace psion::testing
