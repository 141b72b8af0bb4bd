#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using com::Variant;
using testing::ErrorOf;

class ListBoxEntries : public ::testing::Test {
 protected:
  ListBoxEntries() {
    for (const char* item : {"a", "b", "c"}) list_.AddItem(item);
    list_.On("Click", [this](Args&) { clicks_.push_back(list_.ListIndex()); });
  }
  std::vector<std::string> Items() const {
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < list_.ListCount(); ++i) out.push_back(list_.List(i));
    return out;
  }
  ListBox list_{"lstProtocol"};
  std::vector<std::int32_t> clicks_;
};

TEST_F(ListBoxEntries, AddAppendsOrInsertsAndTheSelectionMovesAlong) {
  list_.SetListIndex(1);
  list_.AddItem("first", 0);
  list_.AddItem("after b", 3);
  EXPECT_EQ(Items(), (std::vector<std::string>{"first", "a", "b", "after b", "c"}));
  EXPECT_EQ(list_.ListIndex(), 2);
  EXPECT_EQ(list_.List(list_.ListIndex()), "b");
}

TEST_F(ListBoxEntries, RemoveKeepsTheSelectedEntryOrSelectsNone) {
  list_.SetListIndex(2);
  list_.RemoveItem(0);
  EXPECT_EQ(list_.ListIndex(), 1);
  list_.RemoveItem(1);
  EXPECT_EQ(list_.ListIndex(), -1);
  EXPECT_EQ(Items(), (std::vector<std::string>{"b"}));
}

TEST_F(ListBoxEntries, ClearEmptiesAndSelectsNone) {
  list_.SetListIndex(2);
  list_.SetTopIndex(2);
  list_.Clear();
  EXPECT_EQ(list_.ListCount(), 0);
  EXPECT_EQ(list_.ListIndex(), -1);
  EXPECT_EQ(list_.TopIndex(), 0);
}

TEST_F(ListBoxEntries, ChangingTheSelectionRaisesClick) {
  list_.SetListIndex(1);
  list_.SetListIndex(1);
  list_.SetListIndex(-1);
  EXPECT_EQ(clicks_, (std::vector<std::int32_t>{1, -1}));
}

TEST_F(ListBoxEntries, TopIndexFollowsRemovalAtTheEnd) {
  list_.SetTopIndex(2);
  list_.RemoveItem(2);
  EXPECT_EQ(list_.TopIndex(), 1);
}

TEST_F(ListBoxEntries, PlacesOutOfRangeRaise) {
  struct Case {
    const char* name;
    std::function<void()> call;
    std::int32_t error;
  };
  const Case cases[] = {
      {"AddBeforeTheStart", [&] { list_.AddItem("x", -1); }, 5},
      {"AddPastTheEnd", [&] { list_.AddItem("x", 4); }, 5},
      {"RemovePastTheEnd", [&] { list_.RemoveItem(3); }, 5},
      {"RemoveNegative", [&] { list_.RemoveItem(-1); }, 5},
      {"ListPastTheEnd", [&] { list_.List(3); }, 381},
      {"TopPastTheEnd", [&] { list_.SetTopIndex(3); }, 380},
      {"SelectPastTheEnd", [&] { list_.SetListIndex(3); }, 380},
      {"SelectBelowNone", [&] { list_.SetListIndex(-2); }, 380},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.call), c.error) << c.name;
  EXPECT_EQ(Items(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(clicks_.empty());
}

TEST(TextBoxChange, RaisedWhenTheTextChanges) {
  TextBox text("txtTag");
  std::vector<std::string> seen;
  text.On("Change", [&](Args&) { seen.push_back(text.Text()); });
  text.SetText("PT-101");
  text.SetText("PT-101");
  text.SetText("");
  EXPECT_EQ(seen, (std::vector<std::string>{"PT-101", ""}));
}

// A frame with two option buttons and a check box, on a page.
class ChoiceControls : public ::testing::Test {
 protected:
  ChoiceControls() {
    frame_ = page_->Add(std::make_shared<Frame>("frmMode"));
    auto_ = page_->Add(std::make_shared<OptionButton>("optMode", 0), frame_.get());
    manual_ = page_->Add(std::make_shared<OptionButton>("optMode", 1), frame_.get());
    cycle_ = page_->Add(std::make_shared<CheckBox>("chkCycle"));
    for (Control* c : {static_cast<Control*>(auto_.get()), static_cast<Control*>(manual_.get()),
                       static_cast<Control*>(cycle_.get())}) {
      c->On("Click", [this, c](Args& args) {
        log_.push_back(c->Name() + (args.empty() ? "" : args[0].ToString()) + "=" +
                       c->Value().ToString());
      });
    }
  }
  std::shared_ptr<UserControl> page_ = std::make_shared<UserControl>("ctlPage");
  std::shared_ptr<Frame> frame_;
  std::shared_ptr<OptionButton> auto_, manual_;
  std::shared_ptr<CheckBox> cycle_;
  std::vector<std::string> log_;
};

TEST_F(ChoiceControls, CheckBoxValueFromCodeRaisesClickOnChange) {
  cycle_->SetValue(Variant(std::int16_t{1}));
  cycle_->SetValue(Variant(std::int16_t{1}));
  cycle_->SetValue(Variant(std::int16_t{0}));
  EXPECT_EQ(log_, (std::vector<std::string>{"chkCycle=1", "chkCycle=0"}));
  EXPECT_EQ(ErrorOf([&] { cycle_->SetValue(Variant(std::int16_t{3})); }), 380);
  EXPECT_EQ(cycle_->Value(), Variant(std::int16_t{0}));
}

TEST_F(ChoiceControls, UserClickTogglesTheCheckBox) {
  EXPECT_TRUE(cycle_->UserClick());
  EXPECT_TRUE(cycle_->UserClick());
  EXPECT_EQ(log_, (std::vector<std::string>{"chkCycle=1", "chkCycle=0"}));
}

TEST_F(ChoiceControls, ChoosingAnOptionClearsTheOthersOfItsContainer) {
  auto_->SetValue(Variant(true));
  manual_->SetValue(Variant(true));
  EXPECT_EQ(auto_->Value(), Variant(false));
  EXPECT_EQ(manual_->Value(), Variant(true));
  // Only the chosen one clicks; the cleared one stays quiet.
  EXPECT_EQ(log_, (std::vector<std::string>{"optMode0=True", "optMode1=True"}));
}

TEST_F(ChoiceControls, UserClicksDoNotReachWhatIsDisabled) {
  frame_->SetEnabled(false);
  EXPECT_FALSE(manual_->UserClick());
  cycle_->SetVisible(false);
  EXPECT_FALSE(cycle_->UserClick());
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(manual_->Value(), Variant(false));
}

TEST(CommandButtonClick, UserClickRaisesClickOnAnEnabledButton) {
  auto page = std::make_shared<UserControl>("ctlPage");
  auto button = page->Add(std::make_shared<CommandButton>("cmdRead"));
  int clicks = 0;
  button->On("Click", [&](Args&) { ++clicks; });
  EXPECT_TRUE(button->UserClick());
  button->SetEnabled(false);
  EXPECT_FALSE(button->UserClick());
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace dtm::forms
