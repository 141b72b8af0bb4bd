#include "platform/controls/dtm_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/param_site.h"
#include "platform/forms/state.h"
#include "platform/forms/user_control.h"
#include "platform/runtime/context.h"
#include "tests/platform/controls/page_doubles.h"
#include "tests/testing/raised.h"
#include "tests/testing/surroundings.h"

namespace dtm::controls {
namespace {

using testing::Button;
using testing::Field;
using testing::Frame;
using testing::HostedPage;
using Hit = ctlDTMSearch::Hit;

constexpr char kGerman[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<dictionary name="DTMDictionary" language="7">
  <section name="keys">
    <entry key="ctlIdent_frmIdentOperUnit" text="Identifikation Betriebseinheit"/>
    <entry key="ctlIdent_cmdSetPollAddr" text="Kurzadresse schreiben"/>
    <entry key="ctlIdent_frmValve" text="Stellglied"/>
    <entry key="ctlIdent_TabStrip.1" text="Ident. Betriebseinheit"/>
    <entry key="ctlStartUp_frmStartUp" text="Inbetriebnahme"/>
    <entry key="key_Trend" text="Trendaufzeichnung"/>
  </section>
  <section name="DTMFunctions">
    <entry key="func_Offline" label="Offline-Parametrierung"/>
  </section>
</dictionary>)";

constexpr char kEnglish[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<dictionary name="DTMDictionary" language="9">
  <section name="keys">
    <entry key="ctlIdent_cmdSetPollAddr" text="Write polling address"/>
    <entry key="key_Trend" text="Trend recording"/>
  </section>
  <section name="DTMFunctions">
    <entry key="func_Offline" label="Offline parameterization"/>
  </section>
</dictionary>)";

std::shared_ptr<Collection> FunctionList() {
  auto list = std::make_shared<Collection>();
  const SearchFunction rows[] = {
      {"fdtOfflineParameterize", "DTMFunctions", "func_Offline", "label"},
      {"fdtOnlineParameterize", "DTMFunctions", "func_Online", "label"},
      {"Trend", "keys", "key_Trend", "text"},
  };
  for (const SearchFunction& row : rows) {
    auto function = std::make_shared<SearchFunction>(row.Name(), row.Section(), row.Key(),
                                                     row.Attribute());
    list->Add(function, function->Name());
  }
  return list;
}

class SearchControl : public ::testing::Test, protected dtm::testing::FakeSurroundings {
 protected:
  SearchControl() {
    EXPECT_TRUE(context_->Dictionary().LoadXml(kGerman));
    search_.Init(context_, navigation_, FunctionList());
    search_.AttachPage("fdtOfflineParameterize", "ctlOffline.ctlIdent", ident_);
    search_.AttachPage("fdtOnlineParameterize", "ctlStartUp", startup_);
  }

  std::shared_ptr<runtime::DTMContext> context_ =
      std::make_shared<runtime::DTMContext>(services_);
  std::shared_ptr<Navigation> navigation_ = std::make_shared<Navigation>();
  std::shared_ptr<HostedPage> ident_ = std::make_shared<HostedPage>(
      "ctlIdent", *navigation_,
      forms::Controls{Frame("frmIdentOperUnit"), Button("cmdSetPollAddr"),
                      std::make_shared<Field>(0, "~/Address", "Kurzadresse"),
                      std::make_shared<Field>(20, "UC000/ManuId", "Hersteller"),
                      std::make_shared<forms::TabStrip>(
                          "TabStrip", std::vector<forms::TabStrip::Tab>{{"a", "A"}, {"b", "B"}}),
                      Frame("frmValve")});
  std::shared_ptr<HostedPage> startup_ = std::make_shared<HostedPage>(
      "ctlStartUp", *navigation_,
      forms::Controls{Frame("frmStartUp"),
                      std::make_shared<Field>(2, "SC128Tr2/Par2", "Nennhub")});
  ctlDTMSearch search_;
};

TEST_F(SearchControl, DesignPropertiesHaveTheLayoutsDefaults) {
  ctlDTMSearch fresh;
  com::MemoryPropertyBag empty;
  fresh.ReadProperties(empty);
  EXPECT_EQ(fresh.GetProperty("wtype"), com::Variant(1250.0f));
  EXPECT_EQ(fresh.GetProperty("wplace"), com::Variant(1350.0f));
  EXPECT_EQ(fresh.GetProperty("wlabel"), com::Variant(1650.0f));
  EXPECT_EQ(fresh.GetProperty("wtooltip"), com::Variant(1350.0f));
  EXPECT_EQ(fresh.GetProperty("whelp"), com::Variant(1350.0f));
  EXPECT_EQ(fresh.GetProperty("wenum"), com::Variant(1350.0f));
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(fresh.GetProperty("comboitem" + std::to_string(i)), com::Variant("")) << i;
  }
  EXPECT_EQ(dtm::testing::ErrorOf([&] { fresh.GetProperty("comboitem10"); }), 438);
}

TEST_F(SearchControl, DesignPropertiesGoThroughTheBag) {
  com::MemoryPropertyBag bag;
  bag.WriteProperty("wlabel", com::Variant(2000.0f));
  bag.WriteProperty("comboitem3", com::Variant("Hub"));
  ctlDTMSearch control;
  control.ReadProperties(bag);
  EXPECT_EQ(control.Design().wlabel, 2000.0f);
  EXPECT_EQ(control.Design().wtype, 1250.0f);
  EXPECT_EQ(control.Design().comboitem[3], "Hub");

  com::MemoryPropertyBag written;
  control.WriteProperties(written);
  EXPECT_EQ(written.ReadProperty("wlabel"), com::Variant(2000.0f));
  EXPECT_EQ(written.ReadProperty("comboitem3"), com::Variant("Hub"));
  EXPECT_EQ(written.ReadProperty("wtype", com::Variant(1250.0f)), com::Variant(1250.0f));
}

TEST_F(SearchControl, FunctionTextsComeFromTheirDictionaryPlace) {
  const auto& functions = search_.GetState().functions;
  ASSERT_EQ(functions.size(), 3u);
  EXPECT_EQ(functions[0].text, "Offline-Parametrierung");
  EXPECT_EQ(functions[1].text, "fdtOnlineParameterize") << "no text: the name";
  EXPECT_EQ(functions[2].text, "Trendaufzeichnung");
}

TEST_F(SearchControl, FindsFieldsThenTextsOfEachPageInListOrder) {
  struct Case {
    const char* text;
    std::vector<Hit> hits;
  };
  const Hit address{"fdtOfflineParameterize", "Offline-Parametrierung", "Parameter",
                    "Kurzadresse", "~/Address", "ctlOffline.ctlIdent.ctlParameter(0)"};
  const Hit button{"fdtOfflineParameterize", "Offline-Parametrierung", "Caption",
                   "Kurzadresse schreiben", "ctlIdent_cmdSetPollAddr",
                   "ctlOffline.ctlIdent.cmdSetPollAddr"};
  const Hit frame{"fdtOfflineParameterize", "Offline-Parametrierung", "Caption",
                  "Identifikation Betriebseinheit", "ctlIdent_frmIdentOperUnit",
                  "ctlOffline.ctlIdent.frmIdentOperUnit"};
  const Hit tab{"fdtOfflineParameterize", "Offline-Parametrierung", "Tab",
                "Ident. Betriebseinheit", "ctlIdent_TabStrip.1", "ctlOffline.ctlIdent.TabStrip"};
  const Hit valve{"fdtOfflineParameterize", "Offline-Parametrierung", "Caption", "Stellglied",
                  "ctlIdent_frmValve", "ctlOffline.ctlIdent.frmValve"};
  const Hit travel{"fdtOnlineParameterize", "fdtOnlineParameterize", "Parameter", "Nennhub",
                   "SC128Tr2/Par2", "ctlStartUp.ctlParameter(2)"};
  const Hit startup{"fdtOnlineParameterize", "fdtOnlineParameterize", "Caption",
                    "Inbetriebnahme", "ctlStartUp_frmStartUp", "ctlStartUp.frmStartUp"};
  const Case cases[] = {
      {"KURZADRESSE", {address, button}},
      {"betrieb", {frame, tab, startup}},
      {"frmvalve", {valve}},  // the dictionary key matches too
      {"sc128tr2", {travel}},
      {"TabStrip.2", {}},  // a key without a text is passed over
      {"", {}},
      {"Druckluft", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(search_.Search(c.text), c.hits.size()) << c.text;
    EXPECT_EQ(search_.GetState().hits, c.hits) << c.text;
  }
}

TEST_F(SearchControl, APageGoneOrNeverAttachedIsPassedOver) {
  ident_.reset();  // the search held it weakly
  EXPECT_EQ(search_.Search("a"), 2u);
  EXPECT_EQ(search_.GetState().hits[0].control_path, "ctlStartUp.ctlParameter(2)");
  EXPECT_EQ(search_.GetState().hits[1].control_path, "ctlStartUp.frmStartUp");
}

TEST_F(SearchControl, ALanguageChangeRepeatsTheSearchInTheNewTexts) {
  search_.Search("schreiben");
  ASSERT_EQ(search_.GetState().hits.size(), 1u);
  ASSERT_TRUE(context_->Dictionary().LoadXml(kEnglish));
  search_.SetLanguage(1033);
  EXPECT_EQ(search_.GetState().language, 1033);
  EXPECT_EQ(search_.GetState().functions[0].text, "Offline parameterization");
  EXPECT_TRUE(search_.GetState().hits.empty()) << "\"schreiben\" is in no English text";
  EXPECT_EQ(search_.Search("polling"), 1u);
  EXPECT_EQ(search_.GetState().hits[0].text, "Write polling address");
  EXPECT_EQ(search_.GetState().hits[0].function_text, "Offline parameterization");
}

TEST_F(SearchControl, ShowingAHitNavigatesItsPage) {
  ASSERT_EQ(search_.Search("hersteller"), 1u);
  EXPECT_TRUE(search_.ShowHit(0));
  EXPECT_EQ(ident_->asked, std::vector<std::string>{"ctlOffline.ctlIdent.ctlParameter(20)"});
  EXPECT_EQ(navigation_->SelectedPath(), "ctlParameter(20)");
  EXPECT_EQ(navigation_->Target(), "") << "shown at once: nothing pending";
  EXPECT_EQ(search_.GetState().shown_path, "ctlOffline.ctlIdent.ctlParameter(20)");
  EXPECT_FALSE(search_.ShowHit(1));
}

TEST_F(SearchControl, AHitItsPageCannotShowStaysTheTarget) {
  auto blind = std::make_shared<HostedPage>("ctlStartUp", *navigation_, forms::Controls{});
  search_.Search("nennhub");
  search_.AttachPage("fdtOnlineParameterize", "ctlStartUp", blind);
  EXPECT_FALSE(search_.ShowHit(0));
  EXPECT_EQ(navigation_->Target(), "ctlStartUp.ctlParameter(2)");
}

TEST_F(SearchControl, ReleaseLetsEverythingGo) {
  search_.Search("a");
  search_.Release();
  EXPECT_FALSE(search_.GetState().initialised);
  EXPECT_TRUE(search_.GetState().functions.empty());
  EXPECT_EQ(search_.Search("a"), 0u);
  EXPECT_EQ(search_.Calls(), (std::vector<std::string>{"Init(3)", "Search(a)=8", "Release",
                                                       "Search(a)=0"}));
}

TEST_F(SearchControl, EnableInputIsKeptAndTheSearchStillRuns) {
  search_.EnableInput(false);
  EXPECT_FALSE(search_.GetState().input_enabled);
  EXPECT_EQ(search_.Search("nennhub"), 1u);
  const com::Variant on[] = {com::Variant(true)};
  search_.Invoke("EnableInput", on);
  EXPECT_TRUE(search_.GetState().input_enabled);
}

TEST_F(SearchControl, InitTakesOnlySearchFunctions) {
  auto list = FunctionList();
  list->Add(com::Variant("not a function"), "Other");
  ctlDTMSearch control;
  EXPECT_EQ(dtm::testing::ErrorOf([&] { control.Init(context_, navigation_, list); }), 13);
  EXPECT_FALSE(control.GetState().initialised);
}

TEST(SearchFunctionList, IsKeyedByNameWithoutRegardToCase) {
  const auto list = FunctionList();
  const auto trend = list->Find<SearchFunction>("TREND");
  ASSERT_TRUE(trend);
  EXPECT_EQ(trend->GetProperty("Key").ToString(), "key_Trend");
  EXPECT_EQ(trend->GetProperty("Attribute").ToString(), "text");
  EXPECT_EQ(list->At<SearchFunction>(3), trend);
}

// A page as designed, never opened: a user control with a field of its
// own and a hosted page with two more, their labels still the design's.
class DesignedPage : public forms::UserControl, public IPrivateNavigation {
 public:
  DesignedPage() : UserControl("ctlOffline") {}
  void Build() {
    Add(Designed(3, "SC128Tr2/Par2", "Nennhub (Entwurf)"));
    auto child = Add(std::make_shared<forms::UserControl>("ctlIdent"));
    child->Add(Designed(43, "SC128Tr2/Par2", "Nennhub (Entwurf)"));
    child->Add(Designed(44, "SC999/Unknown", "Unbekannt"));
    child->Add(Designed(45, "", "Ohne Element"));
  }
  void IPrivateNavigation_InitControl(Navigation&, const com::Variant&) override {}
  std::shared_ptr<Collection> IPrivateNavigation_FindParameters(Navigation&, const std::string&,
                                                                const std::string&) override {
    ADD_FAILURE() << "a designed page is searched field by field";
    return nullptr;
  }
  std::shared_ptr<Collection> IPrivateNavigation_GetDictKeys(Navigation&,
                                                             const std::string&) override {
    return nullptr;
  }
  bool IPrivateNavigation_ShowControl(const std::string&, bool, const std::string&) override {
    return false;  // not open: the target waits for the page
  }

 private:
  static std::shared_ptr<ctlParameter> Designed(std::int16_t index, const char* tag,
                                                const char* label) {
    auto field = std::make_shared<ctlParameter>("ctlParameter", index);
    field->SetParameterTag(tag);
    field->SetLabelText(label);
    return field;
  }
};

class SearchOfDesignedPages : public SearchControl {
 protected:
  SearchOfDesignedPages() {
    designed_->Build();
    search_.AttachPage("fdtOfflineParameterize", "ctlOffline", designed_, 12);
    search_.AttachPage("fdtOnlineParameterize", "ctlStartUp", nullptr, 7);
    search_.SetLabels([](const std::string& path) -> std::string {
      return path == "SC128Tr2/Par2" ? "Rated travel" : "";
    });
  }
  std::shared_ptr<DesignedPage> designed_ = std::make_shared<DesignedPage>();
};

TEST_F(SearchOfDesignedPages, FindsTheFieldsOfThePageAndItsHostedPagesByTheirElementsLabels) {
  EXPECT_EQ(search_.Search("rated"), 2u);
  const std::vector<Hit> expected = {
      {"fdtOfflineParameterize", "Offline-Parametrierung", "Parameter", "Rated travel",
       "SC128Tr2/Par2", "ctlOffline.ctlParameter(3)"},
      {"fdtOfflineParameterize", "Offline-Parametrierung", "Parameter", "Rated travel",
       "SC128Tr2/Par2", "ctlOffline.ctlIdent.ctlParameter(43)"},
  };
  EXPECT_EQ(search_.GetState().hits, expected);
  EXPECT_EQ(search_.FunctionIdOf(1), 12);
  EXPECT_EQ(search_.FunctionIdOf(2), 0);
  // A field whose element has no label keeps its own; one without an element path is none.
  EXPECT_EQ(search_.Search("Unbekannt"), 1u);
  EXPECT_EQ(search_.GetState().hits[0].control_path, "ctlOffline.ctlIdent.ctlParameter(44)");
  EXPECT_EQ(search_.Search("Ohne Element"), 0u);
  EXPECT_EQ(search_.Search("Entwurf"), 0u) << "the design's label gave way to the element's";
}

TEST_F(SearchOfDesignedPages, ShowsItsHitsAndWhenNoneMatched) {
  EXPECT_TRUE(context_->Dictionary().LoadXml(R"(<?xml version="1.0" encoding="UTF-8"?>
<dictionary name="DTMDictionary" language="9">
  <section name="keys"><entry key="ctlDTMSearch_NoHit" text="No parameter matches the search."/></section>
  <section name="DTMFunctions"><entry key="func_Offline" label="Offline parameterization"/></section>
</dictionary>)"));
  search_.SetLanguage(9);
  forms::ControlState before;
  search_.Describe(before);
  EXPECT_EQ(before.kind, "Search");
  EXPECT_EQ(before.Attribute("searched"), "False");
  EXPECT_EQ(before.Attribute("none"), "");

  search_.SetText("travel");  // typed into the search field
  forms::ControlState found;
  search_.Describe(found);
  EXPECT_EQ(found.text, "travel");
  EXPECT_EQ(found.items, (std::vector<std::string>{
                             "Rated travel | SC128Tr2/Par2 | Offline parameterization",
                             "Rated travel | SC128Tr2/Par2 | Offline parameterization"}));

  search_.SetText("nothing like it");
  forms::ControlState none;
  search_.Describe(none);
  EXPECT_TRUE(none.items.empty());
  EXPECT_EQ(none.Attribute("searched"), "True");
  EXPECT_EQ(none.Attribute("none"), "No parameter matches the search.");
}

TEST_F(SearchOfDesignedPages, ShowingAHitOfAPageNotOpenLeavesItsFieldAsTheTarget) {
  ASSERT_EQ(search_.Search("rated"), 2u);
  EXPECT_FALSE(search_.ShowHit(1));
  EXPECT_EQ(navigation_->Target(), "ctlOffline.ctlIdent.ctlParameter(43)");
}

}  // namespace
}  // namespace dtm::controls
