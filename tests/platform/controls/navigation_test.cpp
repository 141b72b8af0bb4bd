#include "platform/controls/navigation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/platform/controls/page_doubles.h"
#include "tests/testing/raised.h"

namespace dtm::controls {
namespace {

using testing::Button;
using testing::Field;
using testing::Frame;
using testing::HostedPage;

// The controls of one page: two frames, a button, three fields of a
// control array, a tab strip and a chart.
forms::Controls IdentControls() {
  return {Frame("frmIdentOperUnit"),
          Button("cmdSetPollAddr"),
          std::make_shared<Field>(0, "~/Address", "Kurzadresse"),
          std::make_shared<Field>(20, "UC000/ManuId", "Hersteller"),
          std::make_shared<Field>(40, "SC128Tr13/Par2", "Seriennummer"),
          std::make_shared<forms::TabStrip>(
              "TabStrip", std::vector<forms::TabStrip::Tab>{{"a", "A"}, {"b", "B"}}),
          Frame("frmValve"),
          std::make_shared<forms::Control>(forms::ControlKind::kOther, "Trend1")};
}

// ------------------------------------------------------------ FindControl

struct FindCase {
  const char* name;
  const char* path;
  const char* search;
  const char* target;
  bool found;
  const char* path_after;
};

const FindCase kFindCases[] = {
    {"PageAndControl", "ctlOfflineParams.Trend1", "", "", true, "Trend1"},
    {"CallerKeyAndControl", "ctlOffline.ctlOfflineParams.Trend1", "", "", true, "Trend1"},
    {"ArrayMember", "ctlIdent.ctlParameter(020)", "", "", true, "ctlParameter(20)"},
    {"AlreadyNormal", "cmdNext", "", "", true, "cmdNext"},
    {"PathBeforeSearch", "ctlIdent.frmValve", "ctlIdent.cmdSetPollAddr", "", true, "frmValve"},
    {"SearchWhenNoPath", "", "ctlIdent.cmdSetPollAddr", "ctlIdent.frmValve", true,
     "cmdSetPollAddr"},
    {"TargetWhenNeither", "", "", "ctlIdent.ctlParameter(40)", true, "ctlParameter(40)"},
    {"NothingAtAll", "", "", "", false, ""},
    {"OutsideTheGrammar", "ctlIdent..x", "", "", false, "ctlIdent..x"},
};

class FindControl : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindControl, WritesTheNormalFormBack) {
  const FindCase& c = GetParam();
  Navigation navigation;
  navigation.SetTarget(c.target);
  std::string path = c.path;
  EXPECT_EQ(navigation.FindControl(nullptr, c.search, path), c.found);
  EXPECT_EQ(path, c.path_after);
  EXPECT_EQ(navigation.Target(), c.target) << "finding does not use the target up";
}

INSTANTIATE_TEST_SUITE_P(Table, FindControl, ::testing::ValuesIn(kFindCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ------------------------------------------------------------ ControlName, IsPathValid

struct NameCase {
  const char* name;
  const char* path;
  const char* target;
  const char* control_name;
  std::int32_t control_index;
};

const NameCase kNameCases[] = {
    {"NormalForm", "ctlParameter(19)", "", "ctlParameter", 19},
    {"PagePath", "ctlStartUp.ctlParameter(20)", "", "ctlParameter", 20},
    {"ContainerSeesItsChild", "ctlOffline.ctlIdent.ctlParameter(3)", "", "ctlIdent", -1},
    {"NoIndex", "ctlOffline.frmValve", "", "frmValve", -1},
    {"EmptyIsTheTarget", "", "ctlOffline.ctlStartUp.frmErrCtrl", "ctlStartUp", -1},
    {"EmptyWithoutTarget", "", "", "", -1},
    {"OutsideTheGrammar", "ctlParameter(x)", "", "", -1},
};

class ControlNameAndIndex : public ::testing::TestWithParam<NameCase> {};

TEST_P(ControlNameAndIndex, AreThoseTheReceivingPageSees) {
  const NameCase& c = GetParam();
  Navigation navigation;
  navigation.SetTarget(c.target);
  EXPECT_EQ(navigation.ControlName(c.path), c.control_name);
  EXPECT_EQ(navigation.ControlIndex(c.path), c.control_index);
}

INSTANTIATE_TEST_SUITE_P(Table, ControlNameAndIndex, ::testing::ValuesIn(kNameCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct ValidCase {
  const char* name;
  const char* page;
  const char* path;
  const char* target;
  bool valid;
};

const ValidCase kValidCases[] = {
    {"OwnPage", "ctlStartUp", "ctlStartUp.frmErrCtrl", "", true},
    {"OtherPage", "ctlStartUp", "ctlIdent.frmValve", "", false},
    {"ControlAlone", "ctlTrend", "Trend1", "", true},
    {"ContainerForItsChild", "ctlOffline", "ctlOffline.ctlIdent.frmValve", "", true},
    {"CallersPagePath", "ctlOffline.ctlIdent", "ctlOffline.ctlIdent.frmValve", "", true},
    {"EmptyWithTargetOfThePage", "ctlOffline", "", "ctlOffline.ctlIdent.frmValve", true},
    {"EmptyWithTargetOfAnother", "ctlStatus", "", "ctlOffline.ctlIdent.frmValve", false},
    {"EmptyWithoutTarget", "ctlStatus", "", "", false},
    {"OutsideTheGrammar", "ctlStatus", "ctlStatus.", "", false},
};

class IsPathValid : public ::testing::TestWithParam<ValidCase> {};

TEST_P(IsPathValid, TakesThePagesNameOrTheCallersPagePath) {
  const ValidCase& c = GetParam();
  Navigation navigation;
  navigation.SetTarget(c.target);
  EXPECT_EQ(navigation.IsPathValid(nullptr, c.page, c.path), c.valid);
}

INSTANTIATE_TEST_SUITE_P(Table, IsPathValid, ::testing::ValuesIn(kValidCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ------------------------------------------------------------ ShowControl

class ShowControl : public ::testing::Test {
 protected:
  Navigation navigation_;
  forms::Controls controls_ = IdentControls();
};

TEST_F(ShowControl, FindsTheControlOfThePathAndSelectsOnlyWhenAsked) {
  struct Case {
    const char* path;
    bool show;
    bool found;
    const char* shown;
    const char* selected;
  };
  const Case cases[] = {
      {"ctlIdent.ctlParameter(20)", true, true, "ctlParameter(20)", "ctlParameter(20)"},
      {"ctlParameter(40)", false, true, "ctlParameter(40)", ""},
      {"ctlIdent.FRMVALVE", true, true, "FRMVALVE", "FRMVALVE"},
      {"ctlIdent.ctlParameter(21)", true, false, "", ""},
      {"ctlIdent.ctlParameter", true, false, "", ""},
      {"ctlIdent.frmSeparator", true, false, "", ""},
  };
  for (const Case& c : cases) {
    Navigation navigation;
    EXPECT_EQ(navigation.ShowControl(nullptr, c.path, &controls_, nullptr, c.show), c.found)
        << c.path;
    EXPECT_EQ(navigation.ShownPath(), c.shown) << c.path;
    EXPECT_EQ(navigation.SelectedPath(), c.selected) << c.path;
  }
}

TEST_F(ShowControl, ShowsTheControlItselfForTheFocusEcho) {
  const forms::ControlPtr button = controls_[1];
  EXPECT_TRUE(navigation_.ShowControl(nullptr, "", nullptr, button, false));
  EXPECT_EQ(navigation_.ShownControl(), button);
  EXPECT_EQ(navigation_.ShownPath(), "cmdSetPollAddr");
  EXPECT_EQ(navigation_.SelectedControl(), nullptr);
  EXPECT_EQ(navigation_.Calls().back(), "ShowControl(,Nothing,cmdSetPollAddr,False)");
}

TEST_F(ShowControl, WithoutACollectionFindsNothing) {
  EXPECT_FALSE(navigation_.ShowControl(nullptr, "ctlIdent.frmValve", nullptr, nullptr, true));
  EXPECT_EQ(navigation_.ShownControl(), nullptr);
}

TEST_F(ShowControl, TheEmptyPathShowsTheTargetAndUsesItUp) {
  navigation_.SetTarget("ctlIdent.ctlParameter(0)");
  EXPECT_TRUE(navigation_.ShowControl(nullptr, "", &controls_, nullptr, false));
  EXPECT_EQ(navigation_.Target(), "ctlIdent.ctlParameter(0)") << "not selected: still pending";
  EXPECT_TRUE(navigation_.ShowControl(nullptr, "", &controls_, nullptr, true));
  EXPECT_EQ(navigation_.SelectedControl(), controls_[2]);
  EXPECT_EQ(navigation_.Target(), "");
  EXPECT_FALSE(navigation_.ShowControl(nullptr, "", &controls_, nullptr, true));
}

TEST_F(ShowControl, SelectingTheTargetByItsPathAlsoUsesItUp) {
  navigation_.SetTarget("ctlIdent.frmValve");
  EXPECT_TRUE(navigation_.SelectControl(nullptr, "CTLIDENT.frmValve", &controls_, nullptr, true));
  EXPECT_EQ(navigation_.Target(), "");
}

TEST_F(ShowControl, AControlNotFoundLeavesTheTargetPending) {
  navigation_.SetTarget("ctlStatus.lblStatus(2)");
  EXPECT_FALSE(navigation_.ShowControl(nullptr, "", &controls_, nullptr, true));
  EXPECT_EQ(navigation_.Target(), "ctlStatus.lblStatus(2)");
}

TEST_F(ShowControl, HandsTheRestOfThePathToAHostedPage) {
  auto ident = std::make_shared<HostedPage>("ctlIdent", navigation_, IdentControls());
  auto startup = std::make_shared<HostedPage>("ctlStartUp", navigation_, IdentControls());
  const forms::Controls container = {std::make_shared<forms::TabStrip>("TabStrip"), ident,
                                     startup};
  navigation_.SetTarget("ctlOffline.ctlIdent.ctlParameter(20)");

  EXPECT_TRUE(navigation_.ShowControl(nullptr, "", &container, nullptr, true));
  EXPECT_EQ(ident->asked, std::vector<std::string>{"ctlIdent.ctlParameter(20)"});
  EXPECT_TRUE(startup->asked.empty());
  EXPECT_EQ(navigation_.SelectedControl(), ident->Controls()[3]);
  EXPECT_EQ(navigation_.Target(), "") << "the container's show used the target up";
}

TEST_F(ShowControl, BothPairsOfHostedPagesReachTheirControls) {
  auto ident = std::make_shared<HostedPage>("ctlIdent", navigation_, IdentControls());
  auto startup = std::make_shared<testing::ValidatingPage>("ctlStartUp", navigation_,
                                                           IdentControls());
  const forms::Controls container = {ident, startup};
  struct Case {
    const char* target;
    const char* tab_name;  // what the container chooses its tab by
    bool shown;
    const char* selected;
  };
  const Case cases[] = {
      {"ctlOffline.ctlStartUp.ctlParameter(40)", "ctlStartUp", true, "ctlParameter(40)"},
      {"ctlOffline.ctlIdent.frmValve", "ctlIdent", true, "frmValve"},
      {"ctlOffline.ctlStartUp.frmSeparator", "ctlStartUp", false, ""},
      {"ctlOffline.ctlStatus.frmValve", "ctlStatus", false, ""},
  };
  for (const Case& c : cases) {
    navigation_.Reset(1);
    navigation_.SetTarget(c.target);
    EXPECT_EQ(navigation_.ControlName(""), c.tab_name);
    EXPECT_EQ(navigation_.ShowControl(nullptr, "", &container, nullptr, true), c.shown)
        << c.target;
    EXPECT_EQ(navigation_.SelectedPath(), c.selected) << c.target;
    EXPECT_EQ(navigation_.Target(), c.shown ? "" : c.target) << c.target;
  }
}

TEST_F(ShowControl, AHostedPageThatShowsNothingMakesItFalse) {
  auto ident = std::make_shared<HostedPage>("ctlIdent", navigation_, IdentControls());
  const forms::Controls container = {ident};
  EXPECT_FALSE(navigation_.ShowControl(nullptr, "ctlOffline.ctlIdent.ctlParameter(5)",
                                       &container, nullptr, true));
  EXPECT_EQ(ident->asked, std::vector<std::string>{"ctlIdent.ctlParameter(5)"});
}

TEST_F(ShowControl, ResetForgetsTargetAndControls) {
  navigation_.SetTarget("ctlIdent.frmValve");
  navigation_.ShowControl(nullptr, "ctlIdent.frmValve", &controls_, nullptr, true);
  navigation_.InitControl(controls_);
  navigation_.Reset(1);
  EXPECT_EQ(navigation_.Target(), "");
  EXPECT_EQ(navigation_.ShownControl(), nullptr);
  EXPECT_EQ(navigation_.SelectedControl(), nullptr);
  EXPECT_EQ(navigation_.InitControls().size(), controls_.size()) << "kept by a partial reset";
  navigation_.Reset(0);
  EXPECT_TRUE(navigation_.InitControls().empty());
}

// ------------------------------------------------------------ GetDictKeys, FindParameters

TEST(GetDictKeys, GivesTheCaptionKeysUnderTheControlPaths) {
  Navigation navigation;
  const auto keys = navigation.GetDictKeys("ctlIdent", "ctlIdent_", IdentControls());
  struct Row {
    const char* key;
    const char* category;
    const char* dict_key;
    const char* path;
  };
  const Row rows[] = {
      {"ctlIdent.frmIdentOperUnit", "Caption", "ctlIdent_frmIdentOperUnit",
       "ctlIdent.frmIdentOperUnit"},
      {"ctlIdent.cmdSetPollAddr", "Caption", "ctlIdent_cmdSetPollAddr", "ctlIdent.cmdSetPollAddr"},
      {"ctlIdent.TabStrip#1", "Tab", "ctlIdent_TabStrip.1", "ctlIdent.TabStrip"},
      {"ctlIdent.TabStrip#2", "Tab", "ctlIdent_TabStrip.2", "ctlIdent.TabStrip"},
      {"ctlIdent.frmValve", "Caption", "ctlIdent_frmValve", "ctlIdent.frmValve"},
  };
  ASSERT_EQ(keys->Count(), std::size(rows)) << "fields and the chart have no caption key";
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(keys->KeyAt(i + 1), rows[i].key);
    const auto entry = keys->At<DictKeyList>(i + 1);
    ASSERT_TRUE(entry) << rows[i].key;
    EXPECT_EQ(entry->Category(), rows[i].category);
    EXPECT_EQ(entry->DictKey(), rows[i].dict_key);
    EXPECT_EQ(entry->ControlPath(), rows[i].path);
    EXPECT_EQ(entry->Id(), rows[i].key);
  }
}

TEST(GetDictKeys, AnArrayMemberCarriesItsIndexInKeyAndPath) {
  Navigation navigation;
  const forms::Controls controls = {
      std::make_shared<forms::Control>(forms::ControlKind::kLabel, "lblStatus", 2)};
  const auto keys = navigation.GetDictKeys("ctlStatus", "ctlStatus_", controls);
  const auto entry = keys->Find<DictKeyList>("ctlStatus.lblStatus(2)");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->DictKey(), "ctlStatus_lblStatus_2");
  EXPECT_EQ(entry->ControlPath(), "ctlStatus.lblStatus(2)");
}

TEST(GetDictKeys, WithoutAKeyArgumentAnEntryIsFoundAsThePageSpellsIt) {
  Navigation navigation;
  const auto keys = navigation.GetDictKeys("", "ctlOfflineParams_", {Button("cmdNext")});
  const auto entry = keys->Find<DictKeyList>(".cmdNext");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->ControlPath(), "cmdNext") << "the path stays one of the grammar";
}

TEST(GetDictKeys, TwoEntriesAPageAddsForOneControlDifferInTheirIds) {
  Navigation navigation;
  const forms::Controls controls = {Button("cmdNext"),
                                    std::make_shared<forms::Control>(forms::ControlKind::kOther,
                                                                     "Trend1")};
  const auto keys = navigation.GetDictKeys("ctlOffline.ctlOfflineParams", "ctlOfflineParams_",
                                           controls);
  for (const char* dict_key : {"ctlOfflineParams_TrendXScale", "ctlOfflineParams_TrendYAngle"}) {
    auto entry = std::make_shared<DictKeyList>();
    entry->SetCategory("Trend");
    entry->SetDictKey(dict_key);
    entry->SetControlPath("ctlOffline.ctlOfflineParams.Trend1");
    keys->Add(entry, entry->Id());
  }
  EXPECT_EQ(keys->Count(), 3u);
  EXPECT_TRUE(keys->Exists("ctlOffline.ctlOfflineParams.Trend1|ctlOfflineParams_TrendXScale"));
  EXPECT_TRUE(keys->Exists("ctlOffline.ctlOfflineParams.Trend1|ctlOfflineParams_TrendYAngle"));
  // The button's entry is found under the key argument and its name.
  const auto next = keys->Find<DictKeyList>("ctlOffline.ctlOfflineParams.cmdNext");
  ASSERT_TRUE(next);
  EXPECT_EQ(next->DictKey(), "ctlOfflineParams_cmdNext");
}

TEST(FindParameters, MatchesLabelOrElementPathWithoutRegardToCase) {
  struct Case {
    const char* text;
    const char* name;
    std::vector<std::string> keys;
  };
  const Case cases[] = {
      {"herst", "ctlIdent", {"ctlIdent.ctlParameter(20)"}},
      {"uc000/", "ctlIdent", {"ctlIdent.ctlParameter(20)"}},
      {"r", "ctlOffline.ctlIdent",
       {"ctlOffline.ctlIdent.ctlParameter(0)", "ctlOffline.ctlIdent.ctlParameter(20)",
        "ctlOffline.ctlIdent.ctlParameter(40)"}},
      {"", "", {"ctlParameter(0)", "ctlParameter(20)", "ctlParameter(40)"}},
      {"nothing like it", "ctlIdent", {}},
  };
  for (const Case& c : cases) {
    Navigation navigation;
    const auto found = navigation.FindParameters(c.name, c.text, IdentControls());
    std::vector<std::string> keys;
    for (std::size_t i = 1; i <= found->Count(); ++i) keys.push_back(found->KeyAt(i));
    EXPECT_EQ(keys, c.keys) << c.text;
  }
}

TEST(FindParameters, GivesPathLabelAndElementAndSkipsHiddenFields) {
  forms::Controls controls = IdentControls();
  controls[2]->SetVisible(false);
  Navigation navigation;
  const auto found = navigation.FindParameters("ctlIdent", "", controls);
  ASSERT_EQ(found->Count(), 2u);
  const auto entry = found->At<DictKeyList>(1);
  EXPECT_EQ(entry->Category(), "Parameter");
  EXPECT_EQ(entry->DictKey(), "UC000/ManuId");
  EXPECT_EQ(entry->Text(), "Hersteller");
  EXPECT_EQ(entry->ControlPath(), "ctlIdent.ctlParameter(20)");
}

TEST(FindParameters, AFieldWithoutNamedTextsGivesItsCaption) {
  auto field = std::make_shared<forms::Control>(forms::ControlKind::kParameter, "ctlParameter", 1);
  field->SetCaption("Nennhub");
  Navigation navigation;
  const auto found = navigation.FindParameters("ctlStartUp", "hub", {field});
  ASSERT_EQ(found->Count(), 1u);
  EXPECT_EQ(found->At<DictKeyList>(1)->Text(), "Nennhub");
  EXPECT_EQ(found->At<DictKeyList>(1)->DictKey(), "");
}

// ------------------------------------------------------------ by name

TEST(DictKeyListByName, TakesItsFieldsAndMakesItsIdOfPathAndKey) {
  DictKeyList entry;
  entry.SetProperty("Category", com::Variant("Trend"));
  entry.SetProperty("DictKey", com::Variant("ctlTrend_scaleX"));
  entry.SetProperty("ControlPath", com::Variant("ctlTrend.Trend1"));
  EXPECT_EQ(entry.GetProperty("Id").ToString(), "ctlTrend.Trend1|ctlTrend_scaleX");
  entry.SetProperty("Id", com::Variant("ctlTrend.Trend1"));
  EXPECT_EQ(entry.Id(), "ctlTrend.Trend1");
  EXPECT_EQ(entry.GetProperty("Category").ToString(), "Trend");
  EXPECT_EQ(dtm::testing::ErrorOf([&] { entry.GetProperty("Kind"); }), 438);
}

TEST(NavigationByName, AnswersThePathMembers) {
  Navigation navigation;
  const com::Variant target[] = {com::Variant("ctlStartUp.ctlParameter(21)")};
  navigation.Invoke("SetTarget", target);
  const com::Variant empty[] = {com::Variant("")};
  const com::Variant valid[] = {com::Variant(), com::Variant("ctlStartUp"), com::Variant("")};
  EXPECT_EQ(navigation.Invoke("ControlName", empty).ToString(), "ctlParameter");
  EXPECT_EQ(navigation.Invoke("ControlIndex", empty).ToLong(), 21);
  EXPECT_TRUE(navigation.Invoke("IsPathValid", valid).ToBoolean());
  EXPECT_EQ(navigation.GetProperty("Target").ToString(), "ctlStartUp.ctlParameter(21)");
  EXPECT_EQ(dtm::testing::ErrorOf([&] { navigation.Invoke("ControlName", {}); }), 5);
  EXPECT_EQ(dtm::testing::ErrorOf([&] { navigation.Invoke("Navigate", {}); }), 438);
}

}  // namespace
}  // namespace dtm::controls
