#include "platform/forms/controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using testing::ErrorOf;

TEST(ControlIndex, ReadingItOutsideAnArrayRaises343) {
  Control single(ControlKind::kLabel, "lblA");
  Control element(ControlKind::kLabel, "lblB", 4);
  EXPECT_EQ(ErrorOf([&] { single.Index(); }), 343);
  EXPECT_EQ(element.Index(), 4);
}

TEST(ControlGeometry, KeepsWhatThePageSetsAndRefusesANegativeSize) {
  Control list(ControlKind::kListBox, "lstComm");
  list.Move(120, 480, 9000, 3000);
  list.SetHeight(3500);
  EXPECT_EQ(list.Left(), 120);
  EXPECT_EQ(list.Top(), 480);
  EXPECT_EQ(list.Width(), 9000);
  EXPECT_EQ(list.Height(), 3500);
  EXPECT_EQ(ErrorOf([&] { list.SetWidth(-1); }), 380);
  EXPECT_EQ(ErrorOf([&] { list.Move(0, 0, 10, -5); }), 380);
  EXPECT_EQ(list.Width(), 9000);  // a refused move changes nothing
  EXPECT_EQ(list.Height(), 3500);
}

struct ColourCase {
  const char* name;
  ControlKind kind;
  std::uint32_t fore;
  std::uint32_t back;
};
const ColourCase kColourCases[] = {
    {"Button", ControlKind::kCommandButton, 0x80000012u, 0x8000000Fu},
    {"TextBox", ControlKind::kTextBox, 0x80000008u, 0x80000005u},
    {"ListBox", ControlKind::kListBox, 0x80000008u, 0x80000005u},
    {"Label", ControlKind::kLabel, 0x80000008u, 0x8000000Fu},
    {"Frame", ControlKind::kFrame, 0x80000008u, 0x8000000Fu},
};
class DefaultColours : public ::testing::TestWithParam<ColourCase> {};
TEST_P(DefaultColours, AreSystemColourCodes) {
  Control control(GetParam().kind, "x");
  EXPECT_EQ(static_cast<std::uint32_t>(control.ForeColor()), GetParam().fore);
  EXPECT_EQ(static_cast<std::uint32_t>(control.BackColor()), GetParam().back);
}
INSTANTIATE_TEST_SUITE_P(Table, DefaultColours, ::testing::ValuesIn(kColourCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(OleColours, PartsAndSystemCodes) {
  EXPECT_EQ(Rgb(0, 192, 0), 49152);
  EXPECT_EQ(Rgb(192, 192, 192), 12632256);
  EXPECT_EQ(Rgb(0x12, 0x34, 0x56), 0x563412);
  EXPECT_TRUE(IsSystemColor(static_cast<OleColor>(0x8000000Cu)));
  EXPECT_FALSE(IsSystemColor(Rgb(255, 255, 255)));
  EXPECT_FALSE(IsSystemColor(static_cast<OleColor>(0x80000100u)));
}

// A page with a frame holding two controls, a nested user control with a
// child of its own, and a button after them.
class PageLayout : public ::testing::Test {
 protected:
  PageLayout() {
    frame_ = page_->Add(std::make_shared<Frame>("frmA"));
    in_frame_ = page_->Add(std::make_shared<Control>(ControlKind::kTextBox, "txtA"), frame_.get());
    label_ = page_->Add(std::make_shared<Control>(ControlKind::kLabel, "lblA", 0), frame_.get());
    nested_ = page_->Add(std::make_shared<UserControl>("ctlInner"));
    nested_child_ = nested_->Add(std::make_shared<Control>(ControlKind::kCommandButton, "cmdIn"));
    button_ = page_->Add(std::make_shared<Control>(ControlKind::kCommandButton, "cmdGo"));
  }
  std::vector<std::string> Names(const Controls& controls) {
    std::vector<std::string> out;
    for (const ControlPtr& c : controls) out.push_back(c->Name());
    return out;
  }
  std::shared_ptr<UserControl> page_ = std::make_shared<UserControl>("ctlPage");
  std::shared_ptr<Frame> frame_;
  ControlPtr in_frame_, label_, nested_child_, button_;
  std::shared_ptr<UserControl> nested_;
};

TEST_F(PageLayout, ControlsAreFlatInFormOrderWithoutNestedChildren) {
  EXPECT_EQ(Names(page_->Controls()),
            (std::vector<std::string>{"frmA", "txtA", "lblA", "ctlInner", "cmdGo"}));
  EXPECT_EQ(Names(nested_->Controls()), (std::vector<std::string>{"cmdIn"}));
  EXPECT_EQ(Names(frame_->Children()), (std::vector<std::string>{"txtA", "lblA"}));
}

TEST_F(PageLayout, ParentIsTheContainingFrameOrUserControl) {
  EXPECT_EQ(in_frame_->Parent(), frame_.get());
  EXPECT_EQ(frame_->Parent(), page_.get());
  EXPECT_EQ(nested_child_->Parent(), nested_.get());
  EXPECT_EQ(page_->Parent(), nullptr);
  EXPECT_EQ(in_frame_->OwnerPage(), page_.get());
  EXPECT_EQ(nested_child_->OwnerPage(), nested_.get());
  EXPECT_EQ(nested_child_->RootPage(), page_.get());
}

TEST_F(PageLayout, ParentIsGoneWithItsContainer) {
  ControlPtr kept = in_frame_;
  in_frame_.reset();
  label_.reset();
  nested_child_.reset();
  button_.reset();
  nested_.reset();
  frame_.reset();
  page_.reset();
  EXPECT_EQ(kept->Parent(), nullptr);
  EXPECT_EQ(kept->RootPage(), nullptr);
}

TEST_F(PageLayout, FindsByNameAndIndex) {
  EXPECT_EQ(page_->Find("txtA"), in_frame_);
  EXPECT_EQ(page_->Find("lblA", 0), label_);
  EXPECT_EQ(page_->Find("lblA"), nullptr);
  EXPECT_EQ(page_->Find("cmdIn"), nullptr);
}

TEST_F(PageLayout, HandlesAreUniqueOnThePageAndZeroWithoutWindow) {
  std::set<std::int32_t> seen{page_->hWnd()};
  for (Control* c : {static_cast<Control*>(frame_.get()), in_frame_.get(), static_cast<Control*>(nested_.get()),
                     nested_child_.get(), button_.get()}) {
    EXPECT_NE(c->hWnd(), 0) << c->Name();
    EXPECT_TRUE(seen.insert(c->hWnd()).second) << c->Name();
  }
  EXPECT_NE(page_->hWnd(), 0);
  EXPECT_EQ(label_->hWnd(), 0);
}

TEST_F(PageLayout, PlacingRefusesWhatCannotBePlaced) {
  auto other = std::make_shared<UserControl>("ctlOther");
  auto foreign_frame = other->Add(std::make_shared<Frame>("frmB"));
  struct Case {
    const char* name;
    std::function<void()> place;
    std::int32_t error;
  };
  const Case cases[] = {
      {"SameName", [&] { page_->Add(std::make_shared<Control>(ControlKind::kLabel, "txtA")); }, 360},
      {"SameIndex", [&] { page_->Add(std::make_shared<Control>(ControlKind::kLabel, "lblA", 0)); }, 360},
      {"ArrayBesideSingle",
       [&] { page_->Add(std::make_shared<Control>(ControlKind::kLabel, "cmdGo", 1)); }, 360},
      {"AlreadyPlaced", [&] { other->Add(button_); }, 5},
      {"ForeignFrame",
       [&] { page_->Add(std::make_shared<Control>(ControlKind::kLabel, "lblZ"), foreign_frame.get()); },
       5},
      {"PageOntoItsOwnChild", [&] { nested_->Add(page_); }, 5},
      {"OntoItself", [&] { page_->Add(page_); }, 5},
      {"IntoNestedUserControl",
       [&] { page_->Add(std::make_shared<Control>(ControlKind::kLabel, "lblY"), nested_.get()); }, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf(c.place), c.error) << c.name;
  }
  EXPECT_EQ(page_->Controls().size(), 5u);
  auto second = page_->Add(std::make_shared<Control>(ControlKind::kLabel, "lblA", 1));
  EXPECT_EQ(page_->Controls().back(), second);
}

TEST_F(PageLayout, ZOrderMovesWithinTheContainer) {
  auto names = [](const std::vector<Control*>& controls) {
    std::vector<std::string> out;
    for (Control* c : controls) out.push_back(c->Name());
    return out;
  };
  EXPECT_EQ(names(page_->ZOrdered()), (std::vector<std::string>{"frmA", "ctlInner", "cmdGo"}));
  frame_->ZOrder(0);
  EXPECT_EQ(names(page_->ZOrdered()), (std::vector<std::string>{"ctlInner", "cmdGo", "frmA"}));
  button_->ZOrder(1);
  EXPECT_EQ(names(page_->ZOrdered()), (std::vector<std::string>{"cmdGo", "ctlInner", "frmA"}));
  in_frame_->ZOrder();
  EXPECT_EQ(names(frame_->ZOrdered()), (std::vector<std::string>{"lblA", "txtA"}));
  EXPECT_EQ(names(page_->ZOrdered()), (std::vector<std::string>{"cmdGo", "ctlInner", "frmA"}));
  // The form order of the collection stays as it was.
  EXPECT_EQ(page_->Controls().front(), frame_);
}

}  // namespace
}  // namespace dtm::forms
