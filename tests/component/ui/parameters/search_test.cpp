// The parameter search page: the search control it sets up with the DTM
// functions and their texts, the pictures it gives its site (once, however
// often it is opened), its lock, release and focus, and what it leaves out.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "component/ui/framework/ctl_monitor.h"
#include "component/ui/parameters/ctl_search.h"
#include "platform/controls/navigation.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using Texts = std::vector<std::string>;

class SearchPage : public DtmFixture {
 protected:
  ~SearchPage() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }
  SearchPage() {
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    page_ = std::make_shared<ctlSearch>(&services_);
  }

  std::shared_ptr<controls::Navigation> Navigation() {
    return com::QueryInterface<controls::Navigation>(Context().DTMState()->GetProperty("Navigation"));
  }

  Texts FunctionTexts() const {
    Texts texts;
    for (const auto& function : page_->Search().GetState().functions) texts.push_back(function.text);
    return texts;
  }

  Texts ImageKeys() const {
    Texts keys;
    const controls::ImageCollection& images = page_->ParamSite().Images();
    for (std::size_t i = 1; i <= images.Count(); ++i) keys.push_back(images.Key(i));
    return keys;
  }

  std::shared_ptr<ctlSearch> page_;
};

TEST(SearchFunctionList, HoldsTheSixFunctionsKeyedByName) {
  struct Row {
    const char* name;
    const char* section;
    const char* key;
    const char* attribute;
  };
  const Row rows[] = {
      {"fdtOfflineParameterize", "DTMFunctions", "func_Offline", "label"},
      {"fdtOnlineParameterize", "DTMFunctions", "func_Online", "label"},
      {"fdtForce", "DTMFunctions", "func_Simulation", "label"},
      {"fdtObserve", "DTMFunctions", "func_Measure", "label"},
      {"fdtDiagnosis", "DTMFunctions", "func_Status", "label"},
      {"Trend", "keys", "key_Trend", "text"},
  };
  const auto list = ctlSearch::BuildFunctionList();
  ASSERT_EQ(list->Count(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(rows[i].name);
    const auto function = list->At<controls::SearchFunction>(i + 1);
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(list->KeyAt(i + 1), rows[i].name);
    EXPECT_EQ(function->Name(), rows[i].name);
    EXPECT_EQ(function->Section(), rows[i].section);
    EXPECT_EQ(function->Key(), rows[i].key);
    EXPECT_EQ(function->Attribute(), rows[i].attribute);
  }
  EXPECT_EQ(list->Find<controls::SearchFunction>("Trend"), list->At<controls::SearchFunction>(6));
}

TEST_F(SearchPage, OpeningSetsUpTheSearchThenTheSiteWithItsPictures) {
  const Texts before = ImageKeys();
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "", dtm_));
  EXPECT_EQ(page_->Search().Calls(), (Texts{"Init(6)", "SetLanguage(1033)"}));
  EXPECT_TRUE(page_->Search().GetState().initialised);
  Texts expected = before;
  expected.push_back("Online");
  expected.push_back("Saved");
  EXPECT_EQ(ImageKeys(), expected);
  EXPECT_EQ(page_->ParamSite().Images().Item("Online"), page_->imgOnline().Picture());
  EXPECT_EQ(page_->ParamSite().Images().Item("Saved"), page_->imgSaved().Picture());
  EXPECT_EQ(page_->ParamSite().InvokeId(), "14");
  EXPECT_EQ(Context().GUIMan().GetGUIObject("14"), page_);
}

TEST_F(SearchPage, FunctionTextsAndTitleFollowTheLanguage) {
  struct Case {
    std::int32_t language;
    const char* title;
    Texts functions;
  };
  const Case cases[] = {
      {1033,
       "Parameter search",
       {"Offline parameterization", "Online parameterization", "Simulation", "Measured values",
        "Device status", "Trend"}},
      {1031,
       "Parametersuche",
       {"Offline-Parametrierung", "Online-Parametrierung", "Simulation", "Messwerte",
        "Gerätezustand", "Trend"}},
  };
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "", dtm_));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    dtm_->IDtm_SetLanguage(c.language);
    EXPECT_EQ(page_->Headline()->Title(), c.title);
    EXPECT_EQ(FunctionTexts(), c.functions);
    EXPECT_EQ(page_->Search().Calls().back(), "SetLanguage(" + std::to_string(c.language) + ")");
  }
}

TEST_F(SearchPage, OpeningAgainAddsNoPictureTwice) {
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "", dtm_));
  const Texts once = ImageKeys();
  ASSERT_TRUE(page_->IDtmActiveXControl_PrepareToRelease());
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("15", "", dtm_));
  EXPECT_EQ(ImageKeys(), once);
  EXPECT_TRUE(page_->Search().GetState().initialised);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(SearchPage, AnEmptyIdChangesNothing) {
  EXPECT_FALSE(page_->IDtmActiveXControl_Init("", "", dtm_));
  EXPECT_FALSE(Context().GUIMan().HasGUIs());
  EXPECT_TRUE(page_->Search().Calls().empty());

  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "", dtm_));
  const Texts calls = page_->Search().Calls();
  EXPECT_FALSE(page_->IDtmActiveXControl_Init("", "", dtm_));
  EXPECT_EQ(page_->InvokeID(), "14");
  EXPECT_EQ(page_->Search().Calls(), calls);
}

TEST_F(SearchPage, TheLockReachesSiteAndSearch) {
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "", dtm_));
  struct Case {
    bool locked;
    const char* call;
  };
  const Case cases[] = {{true, "EnableInput(False)"}, {false, "EnableInput(True)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    Context().GUIMan().SetLockState(c.locked);
    EXPECT_EQ(page_->ParamSite().InputEnabled(), !c.locked);
    EXPECT_EQ(page_->Search().GetState().input_enabled, !c.locked);
    EXPECT_EQ(page_->Search().Calls().back(), c.call);
  }
}

TEST_F(SearchPage, ALockedRuntimeIsNotAskedAtOpening) {
  Context().GUIMan().SetLockState(true);
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "", dtm_));
  EXPECT_TRUE(page_->ParamSite().InputEnabled());
  EXPECT_TRUE(page_->Search().GetState().input_enabled);
}

TEST_F(SearchPage, ReleaseLetsTheSearchGoThenTheSite) {
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "", dtm_));
  ASSERT_TRUE(page_->IDtmActiveXControl_PrepareToRelease());
  EXPECT_EQ(page_->Search().Calls().back(), "Release");
  EXPECT_FALSE(page_->Search().GetState().initialised);
  EXPECT_FALSE(Context().GUIMan().HasGUIs());
}

TEST_F(SearchPage, FocusReachesTheManagerWithoutNavigation) {
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "", dtm_));
  auto navigation = Navigation();
  navigation->ClearCalls();
  page_->Show();
  page_->Raise("EnterFocus");
  EXPECT_EQ(Context().GUIMan().FocusedGUI(), "14");
  page_->Raise("ExitFocus");
  EXPECT_EQ(Context().GUIMan().FocusedGUI(), "");
  EXPECT_TRUE(navigation->Calls().empty());
  EXPECT_FALSE(page_->IPrivateNavigation_ShowControl("ctlDTMSearch", true, ""));
}

TEST_F(SearchPage, WritesNothingIntoTheProtocol) {
  auto monitor = std::make_shared<ctlMonitor>(&services_);
  ASSERT_TRUE(monitor->IDtmActiveXControl_Init("mon", "", dtm_));
  monitor->Clear();
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("14", "<FDT><FunctionCall functionId=\"14\"/></FDT>", dtm_));
  ASSERT_TRUE(page_->IDtmActiveXControl_PrepareToRelease());
  EXPECT_TRUE(monitor->Lines().empty());
  ASSERT_TRUE(monitor->IDtmActiveXControl_PrepareToRelease());
}

TEST_F(SearchPage, TheSearchControlKeepsItsLayout) {
  const auto& design = page_->Search().Design();
  EXPECT_EQ((std::vector<float>{design.wtype, design.wplace, design.wlabel, design.wtooltip,
                                design.whelp, design.wenum}),
            (std::vector<float>{1250, 1350, 1650, 1350, 1350, 1350}));
  for (const std::string& item : design.comboitem) EXPECT_EQ(item, "");
}

TEST(SearchLayout, TheHeadlineAndSearchGrowWithThePageAndNeverShrink) {
  struct Case {
    const char* name;
    std::int32_t width, height;
    std::int32_t headline_width, search_width, search_height;
  };
  // Designed: page 9600 x 6600, headline 9600, search 9360 x 5700.
  const Case cases[] = {
      {"AsDesigned", 9600, 6600, 9600, 9360, 5700},
      {"Bigger", 11000, 7600, 11000, 10760, 6700},
      {"Smaller", 3000, 2000, 9600, 9360, 5700},
      {"WiderButLower", 10000, 5000, 10000, 9760, 5700},
      {"NarrowerButTaller", 5000, 7000, 9600, 9360, 6100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ctlSearch page;
    page.Resize(c.width, c.height);
    EXPECT_EQ(page.Headline()->Width(), c.headline_width);
    EXPECT_EQ(page.Search().Width(), c.search_width);
    EXPECT_EQ(page.Search().Height(), c.search_height);
    EXPECT_EQ(page.Search().Left(), 120);  // nothing moves
    EXPECT_EQ(page.Search().Top(), 780);
  }
}

}  // namespace
}  // namespace dtm::testing
