#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using Log = std::vector<std::string>;

// ctlPage: frmA { txtA, txtB }, cmdGo, ctlInner { txtIn }, ctlOther { txtOut }
class FocusModel : public ::testing::Test {
 protected:
  FocusModel() {
    frame_ = page_->Add(std::make_shared<Frame>("frmA"));
    txt_a_ = page_->Add(Make(ControlKind::kTextBox, "txtA"), frame_.get());
    txt_b_ = page_->Add(Make(ControlKind::kTextBox, "txtB"), frame_.get());
    button_ = page_->Add(Make(ControlKind::kCommandButton, "cmdGo"));
    inner_ = page_->Add(std::make_shared<UserControl>("ctlInner"));
    txt_in_ = inner_->Add(Make(ControlKind::kTextBox, "txtIn"));
    other_ = page_->Add(std::make_shared<UserControl>("ctlOther"));
    txt_out_ = other_->Add(Make(ControlKind::kTextBox, "txtOut"));
    for (Control* c : {static_cast<Control*>(page_.get()), static_cast<Control*>(frame_.get()),
                       txt_a_.get(), txt_b_.get(), button_.get(),
                       static_cast<Control*>(inner_.get()), txt_in_.get(),
                       static_cast<Control*>(other_.get()), txt_out_.get()}) {
      for (const char* event : {"GotFocus", "LostFocus", "EnterFocus", "ExitFocus"}) {
        const std::string entry = c->Name() + "." + event;
        c->On(event, [this, entry](Args&) { log_.push_back(entry); });
      }
    }
  }
  static ControlPtr Make(ControlKind kind, const char* name) {
    return std::make_shared<Control>(kind, name);
  }
  Control* ByName(const std::string& name) {
    if (name == "txtIn") return txt_in_.get();
    if (name == "txtOut") return txt_out_.get();
    if (name == "ctlPage") return page_.get();
    return page_->Find(name).get();
  }

  std::shared_ptr<UserControl> page_ = std::make_shared<UserControl>("ctlPage");
  std::shared_ptr<Frame> frame_;
  ControlPtr txt_a_, txt_b_, button_, txt_in_, txt_out_;
  std::shared_ptr<UserControl> inner_, other_;
  Log log_;
};

struct MoveCase {
  const char* name;
  const char* from;  // "" when the page has no focus yet
  const char* to;
  Log events;
};
const MoveCase kMoves[] = {
    {"WithinThePage", "txtA", "cmdGo", {"txtA.LostFocus", "cmdGo.GotFocus"}},
    {"WithinAFrame", "txtA", "txtB", {"txtA.LostFocus", "txtB.GotFocus"}},
    {"FromOutside", "", "txtA", {"ctlPage.EnterFocus", "txtA.GotFocus"}},
    {"FromOutsideIntoNested", "", "txtIn",
     {"ctlPage.EnterFocus", "ctlInner.EnterFocus", "txtIn.GotFocus"}},
    {"IntoNested", "txtA", "txtIn", {"txtA.LostFocus", "ctlInner.EnterFocus", "txtIn.GotFocus"}},
    {"OutOfNested", "txtIn", "cmdGo", {"txtIn.LostFocus", "ctlInner.ExitFocus", "cmdGo.GotFocus"}},
    {"NestedToNested", "txtIn", "txtOut",
     {"txtIn.LostFocus", "ctlInner.ExitFocus", "ctlOther.EnterFocus", "txtOut.GotFocus"}},
    {"SameControl", "txtA", "txtA", {}},
};
class FocusMoves : public FocusModel, public ::testing::WithParamInterface<MoveCase> {};
TEST_P(FocusMoves, RaiseLostThenExitThenEnterThenGot) {
  const MoveCase& c = GetParam();
  if (*c.from) ByName(c.from)->SetFocus();
  log_.clear();
  ByName(c.to)->SetFocus();
  EXPECT_EQ(log_, c.events);
  EXPECT_EQ(page_->ActiveControl(), ByName(c.to));
  EXPECT_EQ(inner_->ActiveControl(), ByName(c.to));
  EXPECT_TRUE(ByName(c.to)->HasFocus());
}
INSTANTIATE_TEST_SUITE_P(Table, FocusMoves, ::testing::ValuesIn(kMoves),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(FocusModel, LeavingThePageExitsFromTheInnerToTheOuter) {
  txt_in_->SetFocus();
  log_.clear();
  page_->LeaveFocus();
  EXPECT_EQ(log_, (Log{"txtIn.LostFocus", "ctlInner.ExitFocus", "ctlPage.ExitFocus"}));
  EXPECT_EQ(page_->ActiveControl(), nullptr);
  log_.clear();
  page_->LeaveFocus();
  EXPECT_TRUE(log_.empty());
}

enum class Spoil { kHide, kDisable };
struct RefusalCase {
  const char* name;
  const char* spoiled;  // the control hidden or disabled
  Spoil spoil;
  const char* target;
};
const RefusalCase kRefusals[] = {
    {"HiddenControl", "cmdGo", Spoil::kHide, "cmdGo"},
    {"DisabledControl", "cmdGo", Spoil::kDisable, "cmdGo"},
    {"InHiddenFrame", "frmA", Spoil::kHide, "txtB"},
    {"InDisabledFrame", "frmA", Spoil::kDisable, "txtB"},
    {"InHiddenUserControl", "ctlInner", Spoil::kHide, "txtIn"},
    {"InDisabledUserControl", "ctlInner", Spoil::kDisable, "txtIn"},
    {"OnHiddenPage", "ctlPage", Spoil::kHide, "cmdGo"},
};
class FocusRefusals : public FocusModel, public ::testing::WithParamInterface<RefusalCase> {};
TEST_P(FocusRefusals, RaiseInvalidProcedureCallAndKeepTheFocus) {
  const RefusalCase& c = GetParam();
  txt_a_->SetFocus();
  Control* spoiled = ByName(c.spoiled);
  if (c.spoil == Spoil::kHide) {
    spoiled->SetVisible(false);
  } else {
    spoiled->SetEnabled(false);
  }
  log_.clear();
  const com::ComError error = testing::RaisedBy([&] { ByName(c.target)->SetFocus(); });
  EXPECT_EQ(error.Number(), 5);
  EXPECT_EQ(error.Description(), "Invalid procedure call or argument");
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(page_->ActiveControl(), txt_a_.get());
  EXPECT_FALSE(ByName(c.target)->CanTakeFocus());
}
INSTANTIATE_TEST_SUITE_P(Table, FocusRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(FocusOffPage, AControlOnNoPageCannotTakeIt) {
  Control loose(ControlKind::kTextBox, "txtLoose");
  EXPECT_EQ(testing::ErrorOf([&] { loose.SetFocus(); }), 5);
}

}  // namespace
}  // namespace dtm::forms
