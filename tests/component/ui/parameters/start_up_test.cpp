// The start-up settings page: the check of the nominal travel or angle
// against the end of its working range when a nominal field is left, the
// Enter key in those fields, the rotary actuator's own help texts, the tabs
// and the navigation map, and the captions in both languages.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/ui/parameters/ctl_start_up.h"
#include "platform/controls/navigation.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/component/ui/notice_listener.h"

namespace dtm::testing {
namespace {

constexpr const char* kType = "SC130Tr1/Par2";
constexpr const char* kTravel = "SC128Tr2/Par2";
constexpr const char* kTravelEnd = "SC128Tr2/Par4";
constexpr const char* kAngle = "SC128Tr1/Par1";
constexpr const char* kAngleEnd = "SC128Tr1/Par3";

constexpr const char* kTravelLarger =
    "The rated travel is greater than the end of the travel range. Set the end of the travel "
    "range to the rated travel?";
constexpr const char* kTravelSmaller =
    "The rated travel is smaller than the end of the travel range. The end of the travel range "
    "is set to the rated travel.";
constexpr const char* kAngleLarger =
    "The rated angle is greater than the end of the angle range. Set the end of the angle range "
    "to the rated angle?";
constexpr const char* kAngleSmaller =
    "The rated angle is smaller than the end of the angle range. The end of the angle range is "
    "set to the rated angle.";

class StartUpPage : public DtmFixture {
 protected:
  ~StartUpPage() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }
  StartUpPage() {
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    page_ = std::make_shared<ctlStartUp>(&services_);
  }

  void Open() {
    ASSERT_TRUE(page_->IDtmActiveXControl_Init("3", "", dtm_));
    messages_.entries.clear();
  }

  clsDataElement& Element(const char* path) {
    return *std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(path));
  }
  // Straight into the data set, as no rule would follow it.
  void Put(const char* path, const com::Variant& value) { Element(path).TransientValue = value; }
  std::optional<double> Get(const char* path) {
    const com::Variant& value = Element(path).TransientValue;
    if (value.IsEmpty()) return std::nullopt;
    return value.ToDouble();
  }

  std::vector<runtime::RecordingMessageSink::Entry> Boxes() const {
    std::vector<runtime::RecordingMessageSink::Entry> boxes;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) boxes.push_back(entry);
    }
    return boxes;
  }

  std::shared_ptr<controls::Navigation> Navigation() {
    return com::QueryInterface<controls::Navigation>(Context().DTMState()->GetProperty("Navigation"));
  }

  std::shared_ptr<ctlStartUp> page_;
};

// ---- The range check -------------------------------------------------------------------------

struct RangeCase {
  const char* name;
  com::Variant type;
  std::int16_t field;  // the field left
  com::Variant travel, travel_end, angle, angle_end;
  std::int32_t answer;
  const char* box;  // nullptr: none
  std::int32_t style;
  std::optional<double> travel_end_after, angle_end_after;
  const char* notified;  // the element whose change is told; nullptr: none
};

const RangeCase kRangeCases[] = {
    // Linear actuator: the travel pair, whichever nominal field was left.
    {"LinearLargerYes", 0, 2, 90.0, 80.0, 70.0, 60.0, 6, kTravelLarger, 292, 90, 60, kTravelEnd},
    {"LinearLargerNo", 0, 2, 90.0, 80.0, 70.0, 60.0, 7, kTravelLarger, 292, 80, 60, nullptr},
    {"LinearSmallerIsTold", 0, 2, 60.0, 80.0, 70.0, 60.0, 1, kTravelSmaller, 320, 60, 60, kTravelEnd},
    {"LinearSmallerWhateverTheAnswer", 0, 2, 60.0, 80.0, 70.0, 60.0, 7, kTravelSmaller, 320, 60, 60,
     kTravelEnd},
    {"LinearEqual", 0, 2, 80.0, 80.0, 70.0, 60.0, 6, nullptr, 0, 80, 60, nullptr},
    {"LinearFromTheAngleField", 0, 3, 90.0, 80.0, 70.0, 60.0, 6, kTravelLarger, 292, 90, 60,
     kTravelEnd},
    // Rotary actuator: the angle pair.
    {"RotaryLargerYes", 1, 3, 90.0, 80.0, 70.0, 60.0, 6, kAngleLarger, 292, 80, 70, kAngleEnd},
    {"RotaryLargerNo", 1, 3, 90.0, 80.0, 70.0, 60.0, 7, kAngleLarger, 292, 80, 60, nullptr},
    {"RotarySmaller", 1, 3, 90.0, 80.0, 30.0, 60.0, 1, kAngleSmaller, 320, 80, 30, kAngleEnd},
    {"RotaryEqual", 1, 3, 90.0, 80.0, 60.0, 60.0, 6, nullptr, 0, 80, 60, nullptr},
    {"RotaryFromTheTravelField", 1, 2, 90.0, 80.0, 70.0, 60.0, 6, kAngleLarger, 292, 80, 70,
     kAngleEnd},
    // Nothing entered counts as 0; no actuator type is a linear one.
    {"NoTypeIsLinear", com::Variant(), 2, 90.0, 80.0, 70.0, 60.0, 6, kTravelLarger, 292, 90, 60,
     kTravelEnd},
    {"NoNominalTravelIsZero", 0, 2, com::Variant(), 80.0, 70.0, 60.0, 1, kTravelSmaller, 320,
     std::nullopt, 60, kTravelEnd},
    {"NoRangeEndIsZero", 0, 2, 90.0, com::Variant(), 70.0, 60.0, 6, kTravelLarger, 292, 90, 60,
     kTravelEnd},
    // Any other actuator, or any other field: no check.
    {"OtherActuatorType", 2, 2, 90.0, 80.0, 70.0, 60.0, 6, nullptr, 0, 80, 60, nullptr},
    {"OtherField", 0, 5, 90.0, 80.0, 70.0, 60.0, 6, nullptr, 0, 80, 60, nullptr},
    {"SupervisionField", 0, 20, 90.0, 80.0, 70.0, 60.0, 6, nullptr, 0, 80, 60, nullptr},
};

class RangeCheck : public StartUpPage, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeCheck, LeavingANominalFieldKeepsTheRangeEndInStep) {
  const RangeCase& c = GetParam();
  Open();
  Put(kType, c.type);
  Put(kTravel, c.travel);
  Put(kTravelEnd, c.travel_end);
  Put(kAngle, c.angle);
  Put(kAngleEnd, c.angle_end);
  auto listener = std::make_shared<NoticeListener>();
  Context().GUIMan().RegisterGUI("ear", listener, true);
  messages_.answers.push_back(c.answer);

  page_->Field(c.field)->Raise("LostFocus");

  const auto boxes = Boxes();
  if (c.box) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.box);
    EXPECT_EQ(boxes[0].style, c.style);
  } else {
    EXPECT_TRUE(boxes.empty());
  }
  EXPECT_EQ(Get(kTravelEnd), c.travel_end_after);
  EXPECT_EQ(Get(kAngleEnd), c.angle_end_after);
  std::vector<std::string> ends;
  for (const std::string& name : listener->heard) {
    if (name == kTravelEnd || name == kAngleEnd) ends.push_back(name);
  }
  EXPECT_EQ(ends, c.notified ? std::vector<std::string>{c.notified} : std::vector<std::string>{});
  Context().GUIMan().UnregisterGUI("ear");
}

INSTANTIATE_TEST_SUITE_P(Table, RangeCheck, ::testing::ValuesIn(kRangeCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(StartUpPage, LeavingAFieldOfAnUnopenedOrReleasedPageChecksNothing) {
  Put(kType, 0);
  Put(kTravel, 90.0);
  Put(kTravelEnd, 80.0);
  page_->Field(2)->Raise("LostFocus");
  Open();
  ASSERT_TRUE(page_->IDtmActiveXControl_PrepareToRelease());
  page_->Field(2)->Raise("LostFocus");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Get(kTravelEnd), 80.0);
}

// ---- Enter in the nominal fields -----------------------------------------------------------

struct EnterCase {
  const char* name;
  std::int16_t field;
  std::int32_t key;
  bool first_field_hidden;
  bool checked;             // the question comes
  std::int16_t focus_after;  // the field that has the focus then
};

const EnterCase kEnterCases[] = {
    {"EnterOnTravelMovesToTheFirstField", 2, 13, false, true, 0},
    {"EnterOnAngleMovesToTheFirstField", 3, 13, false, true, 0},
    {"EnterElsewhereMovesNothing", 5, 13, false, false, 5},
    {"AnotherKeyMovesNothing", 2, 'a', false, false, 2},
    // The first field cannot take the focus: the check runs at once.
    {"FirstFieldHiddenChecksAtOnce", 2, 13, true, true, 2},
};

class EnterKey : public StartUpPage, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterKey, LeavesTheNominalFieldForTheCheck) {
  const EnterCase& c = GetParam();
  Open();
  Put(kType, 0);
  Put(kTravel, 90.0);
  Put(kTravelEnd, 80.0);
  Put(kAngle, 70.0);
  Put(kAngleEnd, 60.0);
  forms::CollectingErrorSink sink;
  page_->SetErrorSink(&sink);
  for (std::int16_t index : {std::int16_t{0}, c.field}) page_->Field(index)->SetVisible(true);
  if (c.first_field_hidden) page_->Field(0)->SetVisible(false);
  page_->Field(c.field)->SetFocus();
  messages_.answers.push_back(7);

  page_->Field(c.field)->UserKeyPress(c.key);

  EXPECT_TRUE(sink.Failures().empty());
  const auto boxes = Boxes();
  if (c.checked) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kTravelLarger);
  } else {
    EXPECT_TRUE(boxes.empty());
  }
  EXPECT_TRUE(page_->Field(c.focus_after)->HasFocus());
  page_->SetErrorSink(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Table, EnterKey, ::testing::ValuesIn(kEnterCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- The rotary actuator's texts -------------------------------------------------------------

TEST_F(StartUpPage, ARotaryActuatorsTextsAreShownWithTheLanguageChange) {
  struct Case {
    const char* name;
    com::Variant type;
    const char* max_prompt;
    const char* max_description;
    const char* code_description;
    const char* fail_safe_description;
  };
  const Case cases[] = {
      {"Rotary", 1, "Max. angle",
       "Maximum rotation angle reached, in % of the rated angle, determined during initialization",
       "Design of the cam disc of the angle pick-off with integrated mounting on a rotary actuator",
       "Direction of rotation of the rotary actuator on failure of the air supply or the auxiliary "
       "power: counter-clockwise or clockwise"},
      // The linear texts stay as the data set has them.
      {"Linear", 0, "Max. travel/angle",
       "Maximum travel reached, in % of the rated travel, determined during initialization",
       "Design of the travel pick-off with integrated mounting",
       "Fail-safe position of the actuator on failure of the air supply or the auxiliary power"},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The data set's own linear texts first, then the page's change alone.
    Put(kType, 0);
    dtm_->IDtm_SetLanguage(1031);
    dtm_->IDtm_SetLanguage(1033);
    ASSERT_EQ(page_->Field(4)->LabelText(), "Max. travel/angle");
    Put(kType, c.type);
    page_->IPrivateGUI_SetLanguage(9);
    EXPECT_EQ(Element("SC128Tr14/Par2").Prompt, c.max_prompt);
    EXPECT_EQ(Element("SC128Tr14/Par2").Description, c.max_description);
    EXPECT_EQ(Element("SC130Tr2/Par1").Description, c.code_description);
    EXPECT_EQ(Element("SC130Tr6/Par1").Description, c.fail_safe_description);
    // The field shows the text of this very change, not of the one before.
    EXPECT_EQ(page_->Field(4)->LabelText(), c.max_prompt);
  }
}

TEST_F(StartUpPage, AHelpKeyTheDictionaryLacksLeavesTheTextEmpty) {
  Open();
  Put(kType, 1);
  ASSERT_TRUE(Context().Dictionary().LoadXml(
      R"(<dictionary language="9"><section name="keys">)"
      R"(<entry key="ctlStartUp_parMaxAngleHelp" text="x" label="Angle"/>)"
      R"(</section></dictionary>)"));
  ASSERT_TRUE(Context().Dictionary().SelectLanguage(9));
  page_->IPrivateGUI_SetLanguage(9);
  EXPECT_EQ(Element("SC128Tr14/Par2").Prompt, "Angle");
  EXPECT_EQ(Element("SC128Tr14/Par2").Description, "");
  EXPECT_EQ(Element("SC130Tr2/Par1").Description, "");
  EXPECT_EQ(Element("SC130Tr6/Par1").Description, "");
}

// ---- Tabs, captions and navigation ----------------------------------------------------------

std::string VisibleFrames(const ctlStartUp& page) {
  std::string out;
  for (forms::Frame* frame :
       {&page.frmStartUp(), &page.frmDiagnosis(), &page.frmErrCtrl(), &page.frmFailResp()}) {
    if (frame->Visible()) out += (out.empty() ? "" : " ") + frame->Name();
  }
  return out;
}

TEST_F(StartUpPage, EachTabShowsItsOwnFrames) {
  Open();
  EXPECT_EQ(VisibleFrames(*page_), "frmStartUp frmDiagnosis");
  page_->TabStrip().SetTabSelected(2, true);
  EXPECT_EQ(VisibleFrames(*page_), "frmErrCtrl frmFailResp");
  page_->TabStrip().SetTabSelected(1, true);
  EXPECT_EQ(VisibleFrames(*page_), "frmStartUp frmDiagnosis");
}

TEST_F(StartUpPage, CaptionsFollowTheLanguage) {
  struct Case {
    std::int32_t language;
    std::vector<std::string> tabs;
    std::vector<std::string> frames;
  };
  const Case cases[] = {
      {1033,
       {"&Start-up", "&Error supervision"},
       {"Start-up", "Diagnosis", "Error supervision", "Failure response"}},
      {1031,
       {"&Inbetriebnahme", "&Fehlerüberwachung"},
       {"Inbetriebnahme", "Diagnose", "Fehlerüberwachung", "Ausfallverhalten"}},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    dtm_->IDtm_SetLanguage(c.language);
    EXPECT_EQ((std::vector<std::string>{page_->TabStrip().TabItem(1).caption,
                                        page_->TabStrip().TabItem(2).caption}),
              c.tabs);
    EXPECT_EQ((std::vector<std::string>{page_->frmStartUp().Caption(), page_->frmDiagnosis().Caption(),
                                        page_->frmErrCtrl().Caption(), page_->frmFailResp().Caption()}),
              c.frames);
  }
}

TEST_F(StartUpPage, TheFieldsShowTheirElementsWithTheirFormats) {
  struct Case {
    std::int16_t index;
    const char* tag;
    const char* format;
  };
  const Case cases[] = {{0, "SC130Tr1/Par2", ""},   {3, "SC128Tr1/Par1", "0.0"},
                        {14, "SC128Tr13/Par3", "0.0"}, {20, "SC128Tr11/Par4", "0.0"},
                        {21, "SC128Tr11/Par3", "0"},   {30, "SC130Tr4/Par4", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    ASSERT_NE(page_->Field(c.index), nullptr);
    EXPECT_EQ(page_->Field(c.index)->ParameterTag(), c.tag);
    EXPECT_EQ(page_->Field(c.index)->ValueFormat(), c.format);
  }
  for (std::int16_t missing : {std::int16_t{15}, std::int16_t{19}, std::int16_t{31}}) EXPECT_EQ(page_->Field(missing), nullptr) << missing;
  Open();
  EXPECT_EQ(page_->ParamSite().Links().size(), 26u);
}

TEST_F(StartUpPage, NavigationChoosesTheTabOfTheControl) {
  struct Case {
    const char* path;
    bool select;
    std::size_t from_tab;
    std::size_t tab;
  };
  const Case cases[] = {
      {"ctlParameter(19)", true, 2, 1},   {"ctlParameter(20)", true, 1, 2},
      {"ctlStartUp.ctlParameter(30)", true, 1, 2},
      {"frmStartUp", true, 2, 1},         {"frmDiagnosis", true, 2, 1},
      {"frmErrCtrl", true, 1, 2},         {"frmFailResp", true, 1, 2},
      {"TabStrip", true, 2, 2},           {"ctlParamHelp1", true, 1, 1},
      {"ctlParameter(20)", false, 1, 1},  {"frmStartUp", false, 2, 2},
      {"ctlOther.ctlParameter(20)", true, 1, 1},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + (c.select ? " selected" : " shown"));
    page_->TabStrip().SetTabSelected(c.from_tab, true);
    page_->IPrivateNavigation_ShowControl(c.path, c.select, "");
    EXPECT_EQ(page_->TabStrip().SelectedIndex(), c.tab);
    EXPECT_EQ(VisibleFrames(*page_), c.tab == 1 ? "frmStartUp frmDiagnosis" : "frmErrCtrl frmFailResp");
  }
}

TEST_F(StartUpPage, FoundFieldsCarryThePagePathTheCallerGives) {
  Open();
  auto navigation = Navigation();
  page_->Field(2)->SetVisible(true);
  const auto found = page_->IPrivateNavigation_FindParameters(*navigation, "", "ctlOffline.ctlStartUp");
  const auto field = found->Find<controls::DictKeyList>("ctlOffline.ctlStartUp.ctlParameter(2)");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->ControlPath(), "ctlOffline.ctlStartUp.ctlParameter(2)");
}

TEST_F(StartUpPage, LeavingControlsShowsThemInTheHelpPanel) {
  Open();
  auto navigation = Navigation();
  navigation->ClearCalls();
  page_->TabStrip().Raise("LostFocus");
  page_->frmErrCtrl().Raise("Click");
  page_->Field(5)->Raise("LostFocus");
  EXPECT_EQ(navigation->Calls(), (std::vector<std::string>{"ShowControl(,Nothing,TabStrip,False)",
                                                           "ShowControl(,Nothing,frmErrCtrl,False)",
                                                           "ShowControl(,Nothing,ctlParameter(5),False)"}));
}

}  // namespace
}  // namespace dtm::testing
