#include "platform/runtime/gui_man.h"

#include <gtest/gtest.h>

#include "tests/platform/runtime/fakes.h"

namespace dtm::runtime {
namespace {

using fakes::CallLog;
using fakes::FakePage;

// Three open pages, "p1" and "p2" top-level, "p3" hosted inside p1.
class GUIManPages : public fakes::RuntimeFixture {
 protected:
  GUIManPages() {
    gui().RegisterGUI("p1", p1_, true);
    gui().RegisterGUI("p2", p2_, true);
    gui().RegisterGUI("p3", p3_, false);
  }
  GUIMan& gui() { return context_->GUIMan(); }

  std::shared_ptr<FakePage> p1_ = std::make_shared<FakePage>("p1", log_);
  std::shared_ptr<FakePage> p2_ = std::make_shared<FakePage>("p2", log_);
  std::shared_ptr<FakePage> p3_ = std::make_shared<FakePage>("p3", log_);
};

TEST_F(GUIManPages, LookupFindsRegisteredPagesOnly) {
  EXPECT_EQ(gui().GetGUIObject("p2"), p2_);
  EXPECT_EQ(gui().GetGUIObject(""), nullptr);
  EXPECT_EQ(gui().GetGUIObject("P2"), nullptr);  // ids are exact
  EXPECT_EQ(gui().GetGUIObject("unknown"), nullptr);
  gui().UnregisterGUI("p2");
  EXPECT_EQ(gui().GetGUIObject("p2"), nullptr);
  EXPECT_TRUE(gui().HasGUIs());
}

TEST_F(GUIManPages, RegisteringAnIdAgainReplacesItsPage) {
  auto replacement = std::make_shared<FakePage>("p2b", log_);
  gui().RegisterGUI("p2", replacement, true);
  EXPECT_EQ(gui().GetGUIObject("p2"), replacement);
  gui().NotifyParameterSetChanged("");
  EXPECT_EQ(log_, (CallLog{"p1.ParameterSetChanged", "p2b.ParameterSetChanged",
                           "p3.ParameterSetChanged"}));
}

TEST_F(GUIManPages, UnregisteringTheFocusedPageClearsTheFocus) {
  gui().GUIGotFocus("p1");
  gui().GUILostFocus("p2");  // not the focused one: focus stays
  EXPECT_EQ(gui().FocusedGUI(), "p1");
  gui().UnregisterGUI("p1");
  EXPECT_EQ(gui().FocusedGUI(), "");
}

TEST_F(GUIManPages, CloseAllAsksTopLevelPagesInOrderAndRemovesThem) {
  EXPECT_TRUE(gui().CloseAllGUIs());
  EXPECT_EQ(log_, (CallLog{"p1.CloseGUI", "p2.CloseGUI"}));
  // The fakes did not unregister themselves: the manager did it for them.
  EXPECT_EQ(gui().GetGUIObject("p1"), nullptr);
  EXPECT_EQ(gui().GetGUIObject("p2"), nullptr);
  EXPECT_EQ(gui().GetGUIObject("p3"), p3_);  // hosted pages go with their host
}

TEST_F(GUIManPages, CloseAllStopsAtTheFirstRefusal) {
  p1_->close_answer = false;
  EXPECT_FALSE(gui().CloseAllGUIs());
  EXPECT_EQ(log_, (CallLog{"p1.CloseGUI"}));
  EXPECT_EQ(gui().GetGUIObject("p1"), p1_);
  EXPECT_EQ(gui().GetGUIObject("p2"), p2_);
}

TEST_F(GUIManPages, CloseAllKeepsPagesClosedBeforeARefusalClosed) {
  p2_->close_answer = false;
  EXPECT_FALSE(gui().CloseAllGUIs());
  EXPECT_EQ(gui().GetGUIObject("p1"), nullptr);
  EXPECT_EQ(gui().GetGUIObject("p2"), p2_);
}

TEST_F(GUIManPages, CloseAllCopesWithPagesThatUnregisterWhileClosing) {
  // p1 takes itself and its hosted page away; p2 hands its id to a new
  // page while closing, and that page must survive p2's removal.
  p1_->on_close = [&] {
    gui().UnregisterGUI("p3");
    gui().UnregisterGUI("p1");
  };
  auto successor = std::make_shared<FakePage>("successor", log_);
  p2_->on_close = [&] { gui().RegisterGUI("p2", successor, true); };
  EXPECT_TRUE(gui().CloseAllGUIs());
  EXPECT_EQ(log_, (CallLog{"p1.CloseGUI", "p2.CloseGUI"}));
  EXPECT_EQ(gui().GetGUIObject("p1"), nullptr);
  EXPECT_EQ(gui().GetGUIObject("p2"), successor);
  EXPECT_EQ(gui().GetGUIObject("p3"), nullptr);
}

TEST_F(GUIManPages, ParameterNoticeSkipsTheSendingPage) {
  const auto element = fakes::MakeElement("XX001");
  gui().NotifyParameterChanged(element, "p2");
  gui().NotifyParameterSetChanged("p1");
  EXPECT_EQ(log_, (CallLog{"p1.ParameterChanged(XX001)", "p3.ParameterChanged(XX001)",
                           "p2.ParameterSetChanged", "p3.ParameterSetChanged"}));
}

TEST_F(GUIManPages, NoticeIsNotDeliveredToAPageClosedDuringIt) {
  p1_->on_notice = [&] { gui().UnregisterGUI("p2"); };
  gui().NotifyParameterChanged(fakes::MakeElement("XX001"), "");
  EXPECT_EQ(log_, (CallLog{"p1.ParameterChanged(XX001)", "p3.ParameterChanged(XX001)"}));
}

TEST_F(GUIManPages, LockStateIsToldOnlyWhenItChanges) {
  gui().SetLockState(false);  // already unlocked
  gui().SetLockState(true);
  gui().SetLockState(true);
  EXPECT_TRUE(gui().LockState());
  EXPECT_EQ(log_, (CallLog{"p1.LockStateChanged(true)", "p2.LockStateChanged(true)",
                           "p3.LockStateChanged(true)"}));
}

TEST_F(GUIManPages, ValidateReachesEveryPage) {
  gui().ValidateGUIs();
  EXPECT_EQ(log_,
            (CallLog{"p1.ValidateParameters", "p2.ValidateParameters", "p3.ValidateParameters"}));
}

TEST_F(GUIManPages, LanguageSwitchesTheModelBeforeThePages) {
  gui().SetLanguage(1031);
  EXPECT_EQ(log_, (CallLog{"Model.SetLanguage(1031)", "p1.SetLanguage(1031)",
                           "p2.SetLanguage(1031)", "p3.SetLanguage(1031)"}));
}

TEST_F(GUIManPages, FocusFollowsTheLastPageToGetIt) {
  struct Step {
    bool got;  // GUIGotFocus, else GUILostFocus
    const char* id;
    const char* focused;  // afterwards
  };
  const Step kSteps[] = {
      {true, "p1", "p1"},  {true, "p2", "p2"},  // another page takes it over
      {false, "p1", "p2"},                      // a page that lost it already
      {false, "p2", ""},   {false, "p2", ""},   // twice is harmless
      {true, "p3", "p3"},
  };
  for (const Step& step : kSteps) {
    if (step.got) {
      gui().GUIGotFocus(step.id);
    } else {
      gui().GUILostFocus(step.id);
    }
    EXPECT_EQ(gui().FocusedGUI(), step.focused) << (step.got ? "got " : "lost ") << step.id;
  }
  EXPECT_TRUE(log_.empty());  // focus is bookkeeping only: no page hears of it
}

TEST_F(GUIManPages, HostedPagesHearEveryNoticeButAreNotClosedByTheManager) {
  gui().NotifyParameterChanged(fakes::MakeElement("XX001"), "");
  gui().SetLockState(true);
  EXPECT_TRUE(gui().CloseAllGUIs());
  EXPECT_EQ(log_, (CallLog{"p1.ParameterChanged(XX001)", "p2.ParameterChanged(XX001)",
                           "p3.ParameterChanged(XX001)", "p1.LockStateChanged(true)",
                           "p2.LockStateChanged(true)", "p3.LockStateChanged(true)",
                           "p1.CloseGUI", "p2.CloseGUI"}));
}

// An element's change notice, as a page sends it: the data model's rules
// run first, then every open page hears of the change, all inside the one
// call; changes made by the rules or by a page while it hears of another
// one are delivered the same way, nested inside it.
class ChangeDispatch : public fakes::RuntimeFixture {
 protected:
  ChangeDispatch() {
    context_->GUIMan().RegisterGUI("p1", p1_, true);
    context_->GUIMan().RegisterGUI("p2", p2_, true);
    for (const char* name : {"A", "B", "C"}) context_->Parameters().Add(fakes::MakeElement(name));
  }
  void Notify(const std::string& path) {
    context_->Parameters().NotifyChanged(context_->Parameters().Item(path), "");
  }
  static std::string NameOf(const DataElementPtr& element) {
    return element->IPrivateDataElement_Name();
  }

  std::shared_ptr<FakePage> p1_ = std::make_shared<FakePage>("p1", log_);
  std::shared_ptr<FakePage> p2_ = std::make_shared<FakePage>("p2", log_);
};

TEST_F(ChangeDispatch, RulesRunBeforeThePagesHear) {
  std::size_t log_at_rules = 0;
  model_->on_data_changed = [&](const DataElementPtr&, DTMContext&) { log_at_rules = log_.size(); };
  Notify("A");
  EXPECT_EQ(log_at_rules, 1u);  // only the model's own line was there
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "p1.ParameterChanged(A)",
                           "p2.ParameterChanged(A)"}));
}

TEST_F(ChangeDispatch, ChangeMadeByTheRulesIsDeliveredBeforeTheOneThatCausedIt) {
  model_->on_data_changed = [&](const DataElementPtr& element, DTMContext&) {
    if (NameOf(element) == "A") Notify("B");  // a rule derives B from A
  };
  Notify("A");
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "Model.DataChanged(B)",
                           "p1.ParameterChanged(B)", "p2.ParameterChanged(B)",
                           "p1.ParameterChanged(A)", "p2.ParameterChanged(A)"}));
  EXPECT_EQ(context_->Parameters().Changed(), 2);
}

TEST_F(ChangeDispatch, PageThatChangesAnotherElementWhileHearingIsServedInside) {
  p1_->on_element = [&](const DataElementPtr& element) {
    if (NameOf(element) == "A") Notify("C");  // the page corrects C at once
  };
  Notify("A");
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "p1.ParameterChanged(A)",
                           "Model.DataChanged(C)", "p1.ParameterChanged(C)",
                           "p2.ParameterChanged(C)", "p2.ParameterChanged(A)"}));
}

TEST_F(ChangeDispatch, PageClosedInsideANestedNoticeHearsNoMore) {
  p1_->on_element = [&](const DataElementPtr& element) {
    if (NameOf(element) != "A") return;
    context_->GUIMan().UnregisterGUI("p2");
    Notify("B");
  };
  Notify("A");
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "p1.ParameterChanged(A)",
                           "Model.DataChanged(B)", "p1.ParameterChanged(B)"}));
}

TEST_F(ChangeDispatch, PageOpenedDuringANoticeHearsOnlyLaterOnes) {
  auto late = std::make_shared<FakePage>("late", log_);
  p1_->on_element = [&](const DataElementPtr& element) {
    if (NameOf(element) == "A") context_->GUIMan().RegisterGUI("late", late, true);
  };
  Notify("A");
  Notify("B");
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "p1.ParameterChanged(A)",
                           "p2.ParameterChanged(A)", "Model.DataChanged(B)",
                           "p1.ParameterChanged(B)", "p2.ParameterChanged(B)",
                           "late.ParameterChanged(B)"}));
}

// The language id is held in 16 bits: what is read back, and what the model
// and the pages hear, is the id truncated to them.
struct LanguageCase {
  const char* name;
  std::int32_t set;
  std::int32_t kept;
};
const LanguageCase kLanguageCases[] = {
    {"English", 1033, 1033},
    {"HighestPositive", 0x7FFF, 32767},
    {"SignBitTurnsNegative", 0x8000, -32768},
    {"SortIdDropped", 0x10407, 1031},
    {"Negative", -1, -1},
    {"Beyond16Bits", 70000, 4464},
};

class GUIManLanguage : public fakes::RuntimeFixture,
                       public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(GUIManLanguage, KeepsTheIdIn16Bits) {
  auto page = std::make_shared<FakePage>("page", log_);
  context_->GUIMan().RegisterGUI("page", page, true);
  context_->GUIMan().SetLanguage(GetParam().set);
  const std::string kept = std::to_string(GetParam().kept);
  EXPECT_EQ(context_->GUIMan().Language(), GetParam().kept);
  EXPECT_EQ(log_, (CallLog{"Model.SetLanguage(" + kept + ")", "page.SetLanguage(" + kept + ")"}));
}

INSTANTIATE_TEST_SUITE_P(Table, GUIManLanguage, ::testing::ValuesIn(kLanguageCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::runtime
