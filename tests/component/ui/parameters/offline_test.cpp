// The offline container: its children's invoke ids and protocol lines, the
// release that asks the children first, the tabs that show one child at a
// time and the navigation that chooses a child's tab; on child pages of
// the test's own, and once with the children the class table serves.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/common/identity.h"
#include "component/ui/framework/ctl_monitor.h"
#include "component/ui/parameters/ctl_offline.h"
#include "component/ui/parameters/ctl_start_up.h"
#include "platform/controls/navigation.h"
#include "platform/win/class_registry.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using Log = std::vector<std::string>;

// A child page that notes its opening and release and may refuse to go.
class FakeChild : public PageBase {
 public:
  FakeChild(const std::string& class_name, Log& log) : PageBase(Design{class_name, "", false}), log_(log) {}

  bool IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                               const com::ObjectPtr& dtm) override {
    log_.push_back("init " + Name() + " " + invoke_id);
    return PageBase::IDtmActiveXControl_Init(invoke_id, function_call, dtm) && !refuse_init;
  }

  bool refuse_release = false;
  bool refuse_init = false;

 protected:
  bool ReleaseParamSite() override {
    log_.push_back("release " + Name());
    if (refuse_release) return false;
    return PageBase::ReleaseParamSite();
  }

 private:
  Log& log_;
};

std::string FunctionCallXml(std::int32_t id) {
  return "<FDT><FunctionCall functionId=\"" + std::to_string(id) + "\"/></FDT>";
}

class OfflineContainer : public DtmFixture {
 protected:
  ~OfflineContainer() override {
    for (auto& child : children_) child->refuse_release = false;
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }
  OfflineContainer() {
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
  }

  // The container with fake children of the classes in `classes` (the
  // others are not served); "plain:<class>" gives a user control that is
  // no page.
  std::shared_ptr<ctlOffline> NewPage(const std::vector<std::string>& classes = {
                                          "ctlIdent", "ctlOfflineParams", "ctlStartUp"}) {
    auto make = [this, classes](const std::string& class_name) -> com::ObjectPtr {
      for (const std::string& wanted : classes) {
        if (wanted == class_name) {
          auto child = std::make_shared<FakeChild>(class_name, log_);
          children_.push_back(child);
          return child;
        }
        if (wanted == "plain:" + class_name) return std::make_shared<forms::UserControl>(class_name);
      }
      return nullptr;
    };
    auto page = std::make_shared<ctlOffline>(&services_, make);
    page->Initialize();
    return page;
  }

  FakeChild& Fake(const std::string& class_name) {
    for (auto& child : children_) {
      if (child->Name() == class_name) return *child;
    }
    throw std::runtime_error("no fake " + class_name);
  }

  bool Registered(const std::string& id) { return Context().GUIMan().GetGUIObject(id) != nullptr; }

  static std::string VisibleChildren(const ctlOffline& page) {
    std::string out;
    for (const char* name : ctlOffline::kChildClasses) {
      const auto child = page.Child(name);
      if (child && child->Visible()) out += (out.empty() ? "" : " ") + std::string(name);
    }
    return out;
  }

  Log log_;
  std::vector<std::shared_ptr<FakeChild>> children_;
};

// ---- Opening ------------------------------------------------------------------------------------

TEST_F(OfflineContainer, EachChildOpensUnderTheContainersIdAndItsNumber) {
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", FunctionCallXml(12), dtm_));
  EXPECT_EQ(log_, (Log{"init ctlIdent 5.1$", "init ctlOfflineParams 5.2$", "init ctlStartUp 5.3$"}));
  EXPECT_EQ(Context().GUIMan().GetGUIObject("5"), page);
  for (const char* id : {"5.1$", "5.2$", "5.3$"}) EXPECT_TRUE(Registered(id)) << id;
  EXPECT_EQ(Fake("ctlIdent").InvokeID(), "5.1$");
}

TEST_F(OfflineContainer, NumbersCountOnlyTheChildrenThatArePages) {
  struct Case {
    const char* name;
    std::vector<std::string> classes;
    Log opened;
  };
  const Case cases[] = {
      {"NoPage", {"ctlIdent", "plain:ctlOfflineParams", "ctlStartUp"},
       {"init ctlIdent 5.1$", "init ctlStartUp 5.2$"}},
      {"NotServed", {"ctlOfflineParams", "ctlStartUp"},
       {"init ctlOfflineParams 5.1$", "init ctlStartUp 5.2$"}},
      {"NoneServed", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log_.clear();
    auto page = NewPage(c.classes);
    ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
    EXPECT_EQ(log_, c.opened);
    ASSERT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
    EXPECT_FALSE(Context().GUIMan().HasGUIs());
  }
}

TEST_F(OfflineContainer, AChildThatRefusesToOpenDoesNotStopTheOthers) {
  auto page = NewPage();
  Fake("ctlIdent").refuse_init = true;
  EXPECT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
  EXPECT_EQ(log_, (Log{"init ctlIdent 5.1$", "init ctlOfflineParams 5.2$", "init ctlStartUp 5.3$"}));
}

TEST_F(OfflineContainer, OnlyTheChildrenWriteTheirStartAndEnd) {
  auto monitor = std::make_shared<ctlMonitor>(&services_);
  ASSERT_TRUE(monitor->IDtmActiveXControl_Init("mon", "", dtm_));
  monitor->Clear();
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", FunctionCallXml(12), dtm_));
  const std::string start = "---- Start function (TAG1) " + std::string(34, '-');
  EXPECT_EQ(Log(monitor->Lines().begin(), monitor->Lines().end()),
            (Log{"", start, "Invoke-ID = 5.1$", "Function-ID = 12",  //
                 "", start, "Invoke-ID = 5.2$", "Function-ID = 12",  //
                 "", start, "Invoke-ID = 5.3$", "Function-ID = 12"}));
  monitor->Clear();
  ASSERT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  const std::string exit = "---- Exit function (TAG1) " + std::string(35, '-');
  EXPECT_EQ(Log(monitor->Lines().begin(), monitor->Lines().end()),
            (Log{"", exit, "Invoke-ID = 5.1$", "", exit, "Invoke-ID = 5.2$", "", exit,
                 "Invoke-ID = 5.3$"}));
  ASSERT_TRUE(monitor->IDtmActiveXControl_PrepareToRelease());
}

TEST_F(OfflineContainer, InitIsRefusedWithoutIdOrDtm) {
  auto page = NewPage();
  EXPECT_FALSE(page->IDtmActiveXControl_Init("", "", dtm_));
  EXPECT_FALSE(page->IDtmActiveXControl_Init("5", "", nullptr));
  EXPECT_TRUE(log_.empty());
  EXPECT_FALSE(Context().GUIMan().HasGUIs());
}

// ---- Release ------------------------------------------------------------------------------------

TEST_F(OfflineContainer, ReleaseAsksTheChildrenFirstAndStopsAtARefusal) {
  struct Case {
    const char* name;
    const char* refusing;  // nullptr: none
    Log asked;
    std::vector<std::string> still_registered;
  };
  const Case cases[] = {
      {"AllAgree", nullptr,
       {"release ctlIdent", "release ctlOfflineParams", "release ctlStartUp"}, {}},
      {"FirstRefuses", "ctlIdent", {"release ctlIdent"}, {"5", "5.1$", "5.2$", "5.3$"}},
      {"SecondRefuses", "ctlOfflineParams", {"release ctlIdent", "release ctlOfflineParams"},
       {"5", "5.2$", "5.3$"}},
      {"LastRefuses", "ctlStartUp",
       {"release ctlIdent", "release ctlOfflineParams", "release ctlStartUp"}, {"5", "5.3$"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    children_.clear();
    auto page = NewPage();
    ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
    log_.clear();
    if (c.refusing) Fake(c.refusing).refuse_release = true;

    EXPECT_EQ(page->IDtmActiveXControl_PrepareToRelease(), c.refusing == nullptr);
    EXPECT_EQ(log_, c.asked);
    std::vector<std::string> registered;
    for (const char* id : {"5", "5.1$", "5.2$", "5.3$"}) {
      if (Registered(id)) registered.push_back(id);
    }
    EXPECT_EQ(registered, c.still_registered);
    EXPECT_EQ(page->Initialised(), c.refusing != nullptr);
    if (!c.refusing) continue;

    // Asked again, every child that is still open is asked again.
    Fake(c.refusing).refuse_release = false;
    log_.clear();
    EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
    Log again;
    bool reached = false;
    for (const char* name : ctlOffline::kChildClasses) {
      reached = reached || std::string(name) == c.refusing;
      if (reached) again.push_back(std::string("release ") + name);
    }
    EXPECT_EQ(log_, again);
    EXPECT_FALSE(Context().GUIMan().HasGUIs());
  }
}

TEST_F(OfflineContainer, TheFrameClosingTheContainerClosesItsChildren) {
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
  log_.clear();
  EXPECT_TRUE(Context().GUIMan().CloseAllGUIs());
  EXPECT_EQ(log_, (Log{"release ctlIdent", "release ctlOfflineParams", "release ctlStartUp"}));
  EXPECT_FALSE(Context().GUIMan().HasGUIs());
}

TEST_F(OfflineContainer, TheChildrenEndWithAContainerThatWasNotReleased) {
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
  page->Terminate();
  EXPECT_FALSE(Context().GUIMan().HasGUIs());
  for (auto& child : children_) EXPECT_EQ(child->InvokeID(), "") << child->Name();
}

// ---- Tabs, texts and navigation --------------------------------------------------------------

TEST_F(OfflineContainer, OnlyTheSelectedTabsChildIsVisible) {
  struct Case {
    std::size_t tab;
    const char* visible;
  };
  const Case cases[] = {{3, "ctlStartUp"}, {2, "ctlOfflineParams"}, {1, "ctlIdent"}};
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
  EXPECT_EQ(VisibleChildren(*page), "ctlIdent");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tab);
    page->TabStrip().SetTabSelected(c.tab, true);
    EXPECT_EQ(VisibleChildren(*page), c.visible);
  }
}

TEST_F(OfflineContainer, TabsAreKeyedByTheirChildrenAndCaptionedByLanguage) {
  auto page = NewPage();
  for (std::size_t tab = 1; tab <= 3; ++tab) {
    EXPECT_EQ(page->TabStrip().TabItem(tab).key, ctlOffline::kChildClasses[tab - 1]);
  }
  EXPECT_EQ(page->TabStrip().TabItem(1).caption, "Identi&fikation");
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
  EXPECT_EQ(page->Headline()->Title(), "Offline parameterization");
  EXPECT_EQ((std::vector<std::string>{page->TabStrip().TabItem(1).caption,
                                      page->TabStrip().TabItem(2).caption,
                                      page->TabStrip().TabItem(3).caption}),
            (std::vector<std::string>{"Identi&fication", "&Parameters", "&Start-up"}));
  dtm_->IDtm_SetLanguage(1031);
  EXPECT_EQ(page->Headline()->Title(), "Offline-Parametrierung");
  EXPECT_EQ(page->TabStrip().TabItem(3).caption, "Inbetr&iebnahme");
}

TEST_F(OfflineContainer, TheSearchPictureIsOfferedInTheImageList) {
  auto page = NewPage();
  EXPECT_EQ(page->picSearch().BackColor(), forms::colors::kApplicationWorkspace);
  ASSERT_EQ(page->imlSearch().Count(), 1u);
  EXPECT_EQ(page->imlSearch().Key(1), "");
  EXPECT_EQ(page->imlSearch().Item(1), page->picSearch().Image());
}

TEST_F(OfflineContainer, NavigationChoosesTheTabOfTheChild) {
  struct Case {
    const char* path;
    bool select;
    std::size_t tab;
    const char* visible;
  };
  const Case cases[] = {
      {"ctlOffline.ctlIdent.ctlParameter(3)", true, 1, "ctlIdent"},
      {"ctlOffline.ctlStartUp.ctlParameter(20)", true, 3, "ctlStartUp"},
      {"ctlOffline.ctlIdent.ctlParameter(3)", false, 2, "ctlOfflineParams"},
      {"ctlOffline.ctlOther.ctlParameter(3)", true, 2, "ctlOfflineParams"},
      {"ctlOther.ctlIdent.ctlParameter(3)", true, 2, "ctlOfflineParams"},
  };
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + (c.select ? " selected" : " shown"));
    page->TabStrip().SetTabSelected(2, true);
    page->IPrivateNavigation_ShowControl(c.path, c.select, "");
    EXPECT_EQ(page->TabStrip().SelectedIndex(), c.tab);
    EXPECT_EQ(VisibleChildren(*page), c.visible);
  }
}

TEST_F(OfflineContainer, LeavingTheTabsShowsThemInTheHelpPanel) {
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
  auto navigation =
      com::QueryInterface<controls::Navigation>(Context().DTMState()->GetProperty("Navigation"));
  navigation->ClearCalls();
  page->TabStrip().Raise("LostFocus");
  EXPECT_EQ(navigation->Calls(), (std::vector<std::string>{"ShowControl(,Nothing,TabStrip,False)"}));
}

// The children as the frame would make them, by ProgID from the class table.
TEST_F(OfflineContainer, ChildrenComeFromTheClassTable) {
  ASSERT_EQ(library_.DllRegisterServer(), com::kSOk);
  library_.AddTo(com::ClassRegistry::Instance());
  auto page = std::make_shared<ctlOffline>(&services_);
  com::ClassRegistry::Instance().RemoveServer(kLibraryName);
  const auto start_up = std::dynamic_pointer_cast<ctlStartUp>(page->Child("ctlStartUp"));
  ASSERT_NE(start_up, nullptr);
  ASSERT_TRUE(page->IDtmActiveXControl_Init("5", "", dtm_));
  EXPECT_EQ(start_up->InvokeID().back(), '$');
  EXPECT_EQ(Context().GUIMan().GetGUIObject(start_up->InvokeID()), start_up);
}

}  // namespace
}  // namespace dtm::testing
