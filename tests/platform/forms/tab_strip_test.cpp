#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using testing::ErrorOf;

// The container page's strip: a tab per child page, each showing the child
// named by its key.
class TabStripSelection : public ::testing::Test {
 protected:
  TabStripSelection() {
    strip_ = page_->Add(std::make_shared<TabStrip>("TabStrip"));
    strip_->AddTab("ctlIdent", "Identi&fikation");
    strip_->AddTab("ctlOfflineParams", "&Parameter");
    strip_->AddTab("ctlStartUp", "Inbetr&iebnahme");
    strip_->On("Click", [this](Args& args) {
      clicks_.push_back(strip_->SelectedIndex());
      arguments_ += args.size();
    });
  }
  std::shared_ptr<UserControl> page_ = std::make_shared<UserControl>("ctlOffline");
  std::shared_ptr<TabStrip> strip_;
  std::vector<std::size_t> clicks_;
  std::size_t arguments_ = 0;
};

TEST_F(TabStripSelection, SelectingFromCodeRaisesClickAfterTheChange) {
  EXPECT_TRUE(strip_->TabSelected(1));
  strip_->SetTabSelected(3, true);
  EXPECT_EQ(clicks_, (std::vector<std::size_t>{3}));
  EXPECT_EQ(arguments_, 0u);
  EXPECT_FALSE(strip_->TabSelected(1));
  EXPECT_TRUE(strip_->TabSelected(3));
}

TEST_F(TabStripSelection, SelectingTheSelectedTabOrClearingRaisesNothing) {
  strip_->SetTabSelected(1, true);
  strip_->SetTabSelected(1, false);
  strip_->SetTabSelected(2, false);
  EXPECT_TRUE(clicks_.empty());
  EXPECT_EQ(strip_->SelectedIndex(), 1u);
}

TEST_F(TabStripSelection, SilentSelectRaisesNothing) {
  strip_->Select(2);
  EXPECT_TRUE(clicks_.empty());
  EXPECT_TRUE(strip_->TabSelected(2));
}

TEST_F(TabStripSelection, UserClickIsRefusedOnADisabledStrip) {
  EXPECT_TRUE(strip_->ClickTab(2));
  strip_->SetEnabled(false);
  EXPECT_FALSE(strip_->ClickTab(3));
  EXPECT_EQ(clicks_, (std::vector<std::size_t>{2}));
}

TEST_F(TabStripSelection, KeysFindTabs) {
  EXPECT_EQ(strip_->TabIndex("ctlStartUp"), 3u);
  EXPECT_EQ(strip_->TabItem(2).caption, "&Parameter");
}

TEST_F(TabStripSelection, BadKeysAndIndexesRaise) {
  struct Case {
    const char* name;
    std::function<void()> call;
    std::int32_t error;
  };
  const Case cases[] = {
      {"DuplicateKey", [&] { strip_->AddTab("ctlIdent", "again"); }, 35602},
      {"UnknownKey", [&] { strip_->TabIndex("ctlMonitor"); }, 35601},
      {"EmptyKeyFindsNothing", [&] { strip_->TabIndex(""); }, 35601},
      {"SelectTabZero", [&] { strip_->SetTabSelected(0, true); }, 35600},
      {"SelectPastTheEnd", [&] { strip_->SetTabSelected(4, true); }, 35600},
      {"ReadPastTheEnd", [&] { strip_->TabSelected(4); }, 35600},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.call), c.error) << c.name;
  EXPECT_EQ(strip_->TabCount(), 3u);
  strip_->AddTab("", "no key");
  strip_->AddTab("", "no key either");
  EXPECT_EQ(strip_->TabCount(), 5u);
}

TEST(TabbedDialogTabs, CurrentTabRaisesClickWithThePreviousTab) {
  TabbedDialog dialog("SSTab1", 3);
  std::vector<com::Variant> previous;
  dialog.On("Click", [&](Args& args) { previous.push_back(args[0]); });
  dialog.SetCurrentTab(2);
  dialog.SetCurrentTab(2);
  dialog.SetCurrentTab(0);
  EXPECT_EQ(previous, (std::vector<com::Variant>{com::Variant(std::int16_t{0}),
                                                 com::Variant(std::int16_t{2})}));
  EXPECT_EQ(ErrorOf([&] { dialog.SetCurrentTab(3); }), 380);
  EXPECT_EQ(ErrorOf([&] { dialog.SetCurrentTab(-1); }), 380);
  EXPECT_EQ(dialog.CurrentTab(), 0);
}

}  // namespace
}  // namespace dtm::forms
