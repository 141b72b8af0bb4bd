// The offline parameters page on a data set without a device: what it
// shows when opened, its tabs, its texts by actuator type, the lock, the
// redraw on every notice, the search's keys and the tab map of navigation.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/controls/collection.h"
#include "tests/component/ui/parameters/offline_params_fixture.h"

namespace dtm::testing {
namespace {

constexpr forms::OleColor kApplicationWorkspace = static_cast<forms::OleColor>(0x8000000Cu);
constexpr forms::OleColor kButtonFace = static_cast<forms::OleColor>(0x8000000Fu);

const std::vector<std::int16_t> kFieldIndexes = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                 20, 21, 40, 41, 42, 43, 44, 45, 46, 47, 48};

using OfflinePage = OfflineParamsFixture;

TEST_F(OfflinePage, OpensOnTheFirstTabWithItsTexts) {
  auto page = Open();
  EXPECT_TRUE(page->Initialised());
  EXPECT_EQ(Context().GUIMan().GetGUIObject("7.2$"), page);
  const forms::TabStrip& tabs = page->Tabs();
  ASSERT_EQ(tabs.TabCount(), 3u);
  EXPECT_EQ(tabs.TabItem(1).caption, "&Input");
  EXPECT_EQ(tabs.TabItem(2).caption, "&Characteristic");
  EXPECT_EQ(tabs.TabItem(3).caption, "Control &values");
  EXPECT_EQ(tabs.SelectedIndex(), 1u);

  struct FrameShown {
    const char* name;
    const char* caption;
    bool visible;
  };
  for (const FrameShown& f : {FrameShown{"frmInput", "Input variable", true},
                              FrameShown{"frmRange", "Working range", true},
                              FrameShown{"frmCharact", "Characteristic", false},
                              FrameShown{"frmUsDefCharact", "User-defined characteristic", false},
                              FrameShown{"frmCtrlParam", "Control parameters", false},
                              FrameShown{"frmTimes", "Transit times", false}}) {
    const auto& frame = Get<forms::Frame>(*page, f.name);
    EXPECT_EQ(frame.Caption(), f.caption) << f.name;
    EXPECT_EQ(frame.Visible(), f.visible) << f.name;
  }
  auto& prev = Get<forms::CommandButton>(*page, "cmdPrev");
  EXPECT_EQ(prev.Caption(), "<  Back");
  EXPECT_EQ(prev.ToolTipText(), "Accept the point and go back to the previous point");
  EXPECT_FALSE(prev.Enabled());
  EXPECT_TRUE(Get<forms::CommandButton>(*page, "cmdNext").Enabled());
  EXPECT_EQ(Get<forms::Label>(*page, "lblUnitX").Caption(), "%");

  const controls::Trend::State& chart = page->Chart().GetState();
  EXPECT_EQ(chart.axis.title, "Setpoint in %, x[n]");
  EXPECT_EQ(chart.curves[0].name, "Travel in %, y[n]");

  auto help = page->GetParamHelpCtl();
  EXPECT_EQ(help->AutomaticPositioning(), 15);
  EXPECT_EQ(page->ZOrdered().back(), help.get());
}

TEST_F(OfflinePage, FieldsAreBoundToTheirElements) {
  auto page = Open();
  const std::vector<std::string> tags = {
      "SC130Tr5/Par1", "SC128Tr10/Par1", "SC128Tr12/Par2", "SC128Tr9/Par4",  "SC128Tr12/Par1",
      "SC128Tr2/Par3", "SC128Tr1/Par2",  "SC128Tr11/Par2", "SC128Tr2/Par4",  "SC128Tr1/Par3",
      "SC128Tr11/Par1", "SC130Tr1/Par3", "SC138T5",        "SC128Tr3/Par1",  "SC128Tr3/Par4",
      "SC128Tr4/Par1", "SC128Tr3/Par2",  "SC128Tr3/Par3",  "SC128Tr10/Par3", "SC128Tr10/Par2",
      "SC128Tr13/Par4", "SC128Tr13/Par3"};
  std::vector<std::string> bound;
  for (const std::int16_t index : kFieldIndexes) bound.push_back(Field(*page, index).ParameterTag());
  EXPECT_EQ(bound, tags);
  EXPECT_EQ(Field(*page, 0).ControlType(), 3);
  EXPECT_EQ(Field(*page, 20).ControlType(), 3);
  EXPECT_EQ(Field(*page, 21).ControlType(), 1);
}

// The chart is set up, the diagonal drawn, then the language and the data
// set give the titles and the curve; the styles come last.
TEST_F(OfflinePage, SetsUpTheChartInOrder) {
  auto page = std::make_shared<ctlOfflineParams>(&services_);
  page->Chart().RecordCalls();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7.2$", "", dtm_));
  opened_.push_back(page);
  std::vector<std::string> expected = {"XViewMin(0)=0", "XViewMax(0)=100", "Legend=True",
                                       "CurveViewMin(0)=0", "CurveViewMax(0)=100", "Reset(0)",
                                       "Hold=True"};
  for (int n = 0; n <= 10; ++n) {
    expected.push_back("SampleTime(0)=" + std::to_string(10 * n));
    expected.push_back("SampleValue(0)=" + std::to_string(10 * n));
  }
  for (const char* call : {"Hold=False", "CurveName(0)=Travel in %, y[n]",
                           "XAxisTitle(0)=Setpoint in %, x[n]", "Hold=True", "SetX(0,0,11)",
                           "SetY(0,0,11,True)", "Hold=False", "XGrid(0)=True", "CurveStyle(0)=1",
                           "CurveStyle(1)=1", "CurveStyle(2)=1", "CurveStyle(3)=1"}) {
    expected.push_back(call);
  }
  EXPECT_EQ(page->Chart().Calls(), expected);
  std::vector<controls::Trend::Sample> diagonal;
  for (int n = 0; n <= 10; ++n) diagonal.push_back({10.0 * n, 10.0 * n, false});
  EXPECT_EQ(page->Chart().GetState().curves[0].samples, diagonal);
}

TEST_F(OfflinePage, OpensOnTheStoredDataSet) {
  SetValue("SC128Tr10/Par1", com::Variant(4.5F));
  SetValue("SC128Tr6/Par4", com::Variant(95.0F));
  auto page = Open();
  EXPECT_EQ(Field(*page, 1).Value().ToString(), "4.5");
  EXPECT_EQ(page->Chart().GetState().curves[0].x.at(10), 95.0);
}

struct TabCase {
  const char* name;
  std::size_t tab;
  std::vector<const char*> shown;
};
void PrintTo(const TabCase& c, std::ostream* os) { *os << c.name; }

class TabSwitch : public OfflinePage, public ::testing::WithParamInterface<TabCase> {};

TEST_P(TabSwitch, ShowsTheFramesOfTheSelectedTab) {
  auto page = Open();
  page->Tabs().ClickTab(GetParam().tab);
  std::vector<std::string> shown;
  for (const char* frame : {"frmInput", "frmRange", "frmCharact", "frmUsDefCharact", "frmCtrlParam", "frmTimes"}) {
    if (Get<forms::Frame>(*page, frame).Visible()) shown.push_back(frame);
  }
  EXPECT_EQ(shown, std::vector<std::string>(GetParam().shown.begin(), GetParam().shown.end()));
}

INSTANTIATE_TEST_SUITE_P(Table, TabSwitch,
                         ::testing::Values(TabCase{"Input", 1, {"frmInput", "frmRange"}},
                                           TabCase{"Characteristic", 2, {"frmCharact", "frmUsDefCharact"}},
                                           TabCase{"ControlValues", 3, {"frmCtrlParam", "frmTimes"}}),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Lock and user level ------------------------------------------------------------------------

TEST_F(OfflinePage, WithoutUserLevelTheEditorCannotStart) {
  Context().User().SetUserLevel(0);
  auto page = Open();
  EXPECT_FALSE(Get<forms::CommandButton>(*page, "cmdNext").Enabled());
}

TEST_F(OfflinePage, ALockDisablesTheFieldsButNotTheEditor) {
  auto page = Open();
  page->IPrivateGUI_LockStateChanged(true);
  for (const std::int16_t index : kFieldIndexes) EXPECT_FALSE(Field(*page, index).Enabled()) << index;
  EXPECT_TRUE(Get<forms::CommandButton>(*page, "cmdNext").Enabled());
  page->IPrivateGUI_LockStateChanged(false);
  for (const std::int16_t index : kFieldIndexes) EXPECT_TRUE(Field(*page, index).Enabled()) << index;
}

TEST_F(OfflinePage, OpenedWhileLockedHasItsFieldsDisabled) {
  Context().GUIMan().SetLockState(true);
  auto page = Open();
  EXPECT_FALSE(Field(*page, 0).Enabled());
  EXPECT_FALSE(Field(*page, 48).Enabled());
  EXPECT_TRUE(Get<forms::CommandButton>(*page, "cmdNext").Enabled());
}

// ---- Redraws --------------------------------------------------------------------------------------

TEST_F(OfflinePage, EveryNoticeRedrawsTheCurve) {
  auto page = Open();
  const std::vector<std::string> redraw = {"Hold=True", "SetX(0,0,11)", "SetY(0,0,11,True)", "Hold=False"};
  page->Chart().RecordCalls();
  // A notice of an element without a field on the page.
  page->IPrivateGUI_ParameterChanged(Context().Parameters().Item("UC000/ManuId"));
  EXPECT_EQ(page->Chart().Calls(), redraw);
  page->Chart().ClearCalls();
  page->IPrivateGUI_ParameterSetChanged();
  EXPECT_EQ(page->Chart().Calls(), redraw);
}

// Notes how often the chart had redrawn when the navigation step came.
class ShowProbe : public ctlOfflineParams {
 public:
  using ctlOfflineParams::ctlOfflineParams;
  bool IPrivateNavigation_ShowControl(const std::string& path, bool show, const std::string& search) override {
    redraws_at_navigation.push_back(Chart().GetState().redraws);
    return ctlOfflineParams::IPrivateNavigation_ShowControl(path, show, search);
  }
  std::vector<std::int32_t> redraws_at_navigation;
};

TEST_F(OfflinePage, ShowingThePageRepaintsTheChartBeforeItsNavigationStep) {
  auto page = std::make_shared<ShowProbe>(&services_);
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7.2$", "", dtm_));
  opened_.push_back(page);
  const std::int32_t before = page->Chart().GetState().redraws;
  page->redraws_at_navigation.clear();
  page->Show();
  EXPECT_EQ(page->redraws_at_navigation, (std::vector<std::int32_t>{before + 1}));
}

TEST_F(OfflinePage, ShowingThePageRepaintsTheChart) {
  auto page = Open();
  const std::int32_t before = page->Chart().GetState().redraws;
  page->Show();
  EXPECT_EQ(page->Chart().GetState().redraws, before + 1);
}

// ---- Texts by actuator type ---------------------------------------------------------------------

TEST_F(OfflinePage, ARotaryActuatorGivesTheLimitsAngleHelpAndTheChartAnAngleTitle) {
  auto page = Open();
  const std::string travel_lower = Element("SC128Tr11/Par2").Description;
  SetValue("SC130Tr1/Par2", com::Variant(std::int16_t{1}));
  page->IPrivateGUI_SetLanguage(9);
  EXPECT_EQ(Element("SC128Tr11/Par2").Description,
            "Lower limit of the angle in % of the angle range (-20...99.9%)");
  EXPECT_EQ(Element("SC128Tr11/Par1").Description,
            "Upper limit of the angle in % of the angle range (0...120%)");
  EXPECT_EQ(page->Chart().GetState().curves[0].name, "Angle in %, y[n]");

  // Back to a linear actuator: the title follows, the descriptions stay.
  SetValue("SC130Tr1/Par2", com::Variant(std::int16_t{0}));
  page->IPrivateGUI_SetLanguage(9);
  EXPECT_EQ(page->Chart().GetState().curves[0].name, "Travel in %, y[n]");
  EXPECT_EQ(Element("SC128Tr11/Par2").Description,
            "Lower limit of the angle in % of the angle range (-20...99.9%)");
  EXPECT_NE(travel_lower, Element("SC128Tr11/Par2").Description);
}

TEST_F(OfflinePage, GermanTexts) {
  dtm_->IDtm_SetLanguage(1031);
  auto page = Open();
  EXPECT_EQ(page->Tabs().TabItem(3).caption, "Kenn&werte");
  EXPECT_EQ(Get<forms::Frame>(*page, "frmInput").Caption(), "Eingangsgröße");
  EXPECT_EQ(Get<forms::CommandButton>(*page, "cmdNext").Caption(), "Einstellen");
  EXPECT_EQ(Get<forms::CommandButton>(*page, "cmdPrev").Caption(), "<  Zurück");
  EXPECT_EQ(page->Chart().GetState().axis.title, "Führungsgröße in %, x[n]");
  EXPECT_EQ(page->Chart().GetState().curves[0].name, "Hub in %, y[n]");
}

// ---- The search's keys ----------------------------------------------------------------------------

struct DictKeysCase {
  const char* name;
  com::Variant actuator;
  const char* y_key;
};
void PrintTo(const DictKeysCase& c, std::ostream* os) { *os << c.name; }

class DictKeys : public OfflinePage, public ::testing::WithParamInterface<DictKeysCase> {};

TEST_P(DictKeys, HoldTheChartTitlesAndTheSetUpButton) {
  SetValue("SC130Tr1/Par2", GetParam().actuator);
  auto page = Open();
  const auto keys = page->IPrivateNavigation_GetDictKeys(*Navigation(), "ctlOffline.ctlOfflineParams");
  std::vector<std::string> trend;
  for (std::size_t i = 1; i <= keys->Count(); ++i) {
    const auto entry = keys->At<controls::DictKeyList>(i);
    if (entry->Category() == "Trend") trend.push_back(entry->DictKey() + " @ " + entry->ControlPath());
  }
  EXPECT_EQ(trend, (std::vector<std::string>{
                       "ctlOfflineParams_TrendXScale @ ctlOffline.ctlOfflineParams.Trend1",
                       std::string(GetParam().y_key) + " @ ctlOffline.ctlOfflineParams.Trend1"}));
  const auto next = keys->Find<controls::DictKeyList>("ctlOffline.ctlOfflineParams.cmdNext");
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->DictKey(), "ctlOfflineParams_cmdNext_Set");
  const auto prev = keys->Find<controls::DictKeyList>("ctlOffline.ctlOfflineParams.cmdPrev");
  ASSERT_NE(prev, nullptr);
  EXPECT_EQ(prev->DictKey(), "ctlOfflineParams_cmdPrev");
}

INSTANTIATE_TEST_SUITE_P(
    Table, DictKeys,
    ::testing::Values(DictKeysCase{"Linear", com::Variant(std::int16_t{0}), "ctlOfflineParams_TrendYTravel"},
                      DictKeysCase{"Rotary", com::Variant(std::int16_t{1}), "ctlOfflineParams_TrendYAngle"},
                      DictKeysCase{"OtherType", com::Variant(std::int16_t{2}), "ctlOfflineParams_TrendYAngle"}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(OfflinePage, WithoutItsDtmThePageGivesOnlyTheControlsKeys) {
  ctlOfflineParams page(&services_);
  const auto keys = page.IPrivateNavigation_GetDictKeys(*Navigation(), "ctlOfflineParams");
  for (std::size_t i = 1; i <= keys->Count(); ++i) {
    EXPECT_NE(keys->At<controls::DictKeyList>(i)->Category(), "Trend");
  }
  EXPECT_EQ(keys->Find<controls::DictKeyList>("ctlOfflineParams.cmdNext")->DictKey(),
            "ctlOfflineParams_cmdNext");
}

// ---- The tab map of navigation --------------------------------------------------------------------

struct NavigationCase {
  const char* name;
  const char* path;
  bool show;
  std::size_t tab;  // selected afterwards; the page starts on tab 3, or on tab 1 for paths of tab 3
  bool result;
  forms::OleColor chart_color;
};
void PrintTo(const NavigationCase& c, std::ostream* os) { *os << c.name; }

class NavigationTabs : public OfflinePage, public ::testing::WithParamInterface<NavigationCase> {};

TEST_P(NavigationTabs, SelectTheTabOfTheControl) {
  const NavigationCase& c = GetParam();
  auto page = Open();
  const std::size_t start = c.tab == 3 ? 1 : 3;
  page->Tabs().SetTabSelected(start, true);
  const forms::OleColor color_before = page->Chart().BackColor();
  EXPECT_EQ(page->IPrivateNavigation_ShowControl(c.path, c.show, ""), c.result);
  EXPECT_EQ(page->Tabs().SelectedIndex(), c.tab == 0 ? start : c.tab);
  EXPECT_EQ(page->Chart().BackColor(), c.chart_color == 0 ? color_before : c.chart_color);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NavigationTabs,
    ::testing::Values(
        NavigationCase{"FieldBelowTwenty", "ctlParameter(10)", true, 1, true, 0},
        NavigationCase{"FieldTwentyOne", "ctlParameter(21)", true, 2, true, 0},
        NavigationCase{"FieldForty", "ctlParameter(40)", true, 3, true, 0},
        NavigationCase{"FieldOfAHostedPath", "ctlOfflineParams.ctlParameter(20)", true, 2, true, 0},
        NavigationCase{"InputFrame", "frmRange", true, 1, true, 0},
        NavigationCase{"EditorButton", "cmdNext", true, 2, true, 0},
        NavigationCase{"UnitLabel", "lblUnitY", true, 2, true, 0},
        NavigationCase{"TimesFrame", "frmTimes", true, 3, true, 0},
        NavigationCase{"TextBoxSelectsNoTab", "txtParX", true, 0, true, 0},
        NavigationCase{"NotShownSelectsNoTab", "ctlParameter(21)", false, 0, true, 0},
        NavigationCase{"ChartShownIsOnlyMarked", "Trend1", true, 2, false, kApplicationWorkspace},
        NavigationCase{"ChartLeftIsUnmarked", "Trend1", false, 0, false, kButtonFace}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(OfflinePage, NavigationWithoutAPathOrTargetDoesNothing) {
  auto page = Open();
  page->Tabs().SetTabSelected(3, true);
  EXPECT_FALSE(page->IPrivateNavigation_ShowControl("", true, ""));
  EXPECT_EQ(page->Tabs().SelectedIndex(), 3u);
}

// ---- Echoes ---------------------------------------------------------------------------------------

struct EchoCase {
  const char* control;
  std::optional<std::int16_t> index;
  const char* event;
};

class Echoes : public OfflinePage, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(Echoes, TheHelpPanelFollowsTheControl) {
  auto page = Open();
  const auto control = page->Find(GetParam().control, GetParam().index);
  ASSERT_NE(control, nullptr);
  control->Raise(GetParam().event);
  EXPECT_EQ(Navigation()->ShownControl(), control);
}

INSTANTIATE_TEST_SUITE_P(Table, Echoes,
                         ::testing::Values(EchoCase{"TabStrip", std::nullopt, "LostFocus"},
                                           EchoCase{"cmdNext", std::nullopt, "LostFocus"},
                                           EchoCase{"cmdPrev", std::nullopt, "LostFocus"},
                                           EchoCase{"ctlParameter", 43, "LostFocus"},
                                           EchoCase{"frmUsDefCharact", std::nullopt, "Click"},
                                           EchoCase{"lblParY", std::nullopt, "Click"},
                                           EchoCase{"lblUnitX", std::nullopt, "Click"},
                                           EchoCase{"Trend1", std::nullopt, "LostFocus"}),
                         [](const auto& i) {
                           return std::string(i.param.control) +
                                  (i.param.index ? std::to_string(*i.param.index) : "");
                         });

TEST_F(OfflinePage, TheEntriesHaveNoEcho) {
  auto page = Open();
  Navigation()->Reset(0);
  page->Find("txtParX")->Raise("LostFocus");
  EXPECT_EQ(Navigation()->ShownControl(), nullptr);
}

// ---- Release --------------------------------------------------------------------------------------

TEST_F(OfflinePage, IsReleasedWithoutRefusing) {
  auto page = Open();
  EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  EXPECT_FALSE(page->Initialised());
  EXPECT_EQ(Context().GUIMan().GetGUIObject("7.2$"), nullptr);
}

}  // namespace
}  // namespace dtm::testing
