// The trend page under the virtual clock: its set-up and texts, the
// samples and gaps each read appends to the four curves, the cycle's
// timing, the chart's own controls, navigation and release.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "component/ui/observation/ctl_trend.h"
#include "platform/controls/collection.h"
#include "platform/controls/navigation.h"
#include "tests/component/ui/observation/observation_pages_fixture.h"

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;

// A curve's samples as "seconds after the first sample:value" or ":gap".
using Trace = std::vector<std::string>;

class TrendPage : public ObservationPages {
 protected:
  TrendPage() {
    device::DynamicValues values;
    values.w_digit = 40.0f;
    values.position = 39.5f;
    values.w_analog = 10.4f;
    device_.SetDynamicValues(values);
    device_.SetStatusByte(0, 0x20);  // control loop fault
  }

  std::shared_ptr<ctlTrend> Open() {
    auto page = std::make_shared<ctlTrend>(services_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init("trend", "", dtm_));
    return page;
  }

  // The curve's samples relative to the page's set-up time.
  static Trace Samples(const ctlTrend& page, std::size_t curve, double origin) {
    Trace out;
    for (const auto& sample : page.Trend1().GetState().curves[curve].samples) {
      out.push_back(controls::LogNumber(sample.x - origin) + ":" +
                    (sample.gap ? std::string("gap") : controls::LogNumber(sample.value)));
    }
    return out;
  }
  static double Origin(const ctlTrend& page) { return page.Trend1().GetState().axis.view_min; }

  std::size_t Transactions(std::uint8_t command) const {
    std::size_t count = 0;
    for (const auto& request : device_.Received()) count += request.command == command;
    return count;
  }
};

TEST_F(TrendPage, SetUpGivesTheWindowScalesLegendsAndTexts) {
  auto page = Open();
  const controls::Trend::State& chart = page->Trend1().GetState();
  const double now = chart.axis.view_min;
  EXPECT_EQ(chart.axis.view_max - now, 120);
  EXPECT_EQ(chart.axis.range_min, now - 31536000);
  EXPECT_EQ(chart.axis.range_max, now + 31536000);
  EXPECT_EQ(chart.axis.title, "Time");
  EXPECT_TRUE(chart.axis.grid);
  EXPECT_FALSE(chart.axis.auto_range);  // switched on and at once off
  EXPECT_TRUE(chart.legend);
  struct Expected {
    const char* legend;
    double view_min, view_max;
  };
  const Expected expected[4] = {{"Setpoint w [%]", -10, 120},
                                {"Actual position x [%]", -10, 120},
                                {"Zero point error", -1.5, 7.5},
                                {"Control loop fault", 0, 9}};
  for (std::size_t c = 0; c < 4; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(chart.curves[c].name, expected[c].legend);
    EXPECT_EQ(chart.curves[c].range_min, expected[c].view_min);
    EXPECT_EQ(chart.curves[c].range_max, expected[c].view_max);
    EXPECT_EQ(chart.curves[c].view_min, expected[c].view_min);
    EXPECT_EQ(chart.curves[c].view_max, expected[c].view_max);
    EXPECT_TRUE(chart.curves[c].scale);
    EXPECT_TRUE(chart.curves[c].samples.empty());
  }
  EXPECT_EQ(page->Headline()->Title(), "Trend");
  EXPECT_EQ(page->chkCycle().Caption(), "Cyclic refresh");
  EXPECT_EQ(page->frmTrendValues().Caption(), "Trend values");
  EXPECT_EQ(page->chkCycle().Value().ToInteger(), 0);
  EXPECT_FALSE(page->tmrCycle().Running());
  EXPECT_FALSE(page->Trend1().GetState().follow_mode);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(TrendPage, ALanguageChangeRenewsLegendsAxisAndCaptions) {
  auto page = Open();
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(1031));
  const controls::Trend::State& chart = page->Trend1().GetState();
  EXPECT_EQ(chart.axis.title, "Zeit");
  EXPECT_EQ(chart.curves[2].name, Element("CC048/F24")->Prompt);
  EXPECT_EQ(chart.curves[0].name, Element("SC136/wDigit")->Prompt + " [%]");
  EXPECT_EQ(page->chkCycle().Caption(), "Zyklische Aktualisierung");
  EXPECT_EQ(page->frmTrendValues().Caption(), "Trendwerte");
  EXPECT_EQ(page->Headline()->Title(), "Trend");
}

TEST_F(TrendPage, EachReadAppendsOneSampleToEveryCurveAfterAStartGap) {
  OpenConnection();
  channel_->SetTransactionLatency(1s);
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  EXPECT_TRUE(page->Trend1().GetState().follow_mode);
  loop_.RunFor(11s);
  const double origin = Origin(*page);
  // Two transactions of 1 s each; the timer starts a read every 4 s.
  const Trace expected[4] = {
      {"0:gap", "2:40", "6:40", "10:40"},
      {"0:gap", "2:39.5", "6:39.5", "10:39.5"},
      {"0:gap", "2:0", "6:0", "10:0"},
      {"0:gap", "2:1", "6:1", "10:1"},
  };
  for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(Samples(*page, c, origin), expected[c]) << c;
  for (const char* path : {"SC136/wDigit", "SC136/x", "CC048/F15", "CC048/F24"}) {
    EXPECT_EQ(Flags(path), 0x3) << path;
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(TrendPage, AFailedStatusReadGapsItsCurvesAndTheRecordingGoesOn) {
  OpenConnection();
  channel_->SetTransactionLatency(1s);
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(3s);  // the first read is recorded
  device_.InjectNoResponse(1, 48);
  loop_.RunFor(4s);  // the second read's status goes unanswered
  loop_.RunFor(4s);  // the third is whole again
  const double origin = Origin(*page);
  // The dynamic values of that pass arrived and are drawn; only the two
  // status curves have a gap.
  const Trace expected[4] = {
      {"0:gap", "2:40", "6:40", "10:40"},
      {"0:gap", "2:39.5", "6:39.5", "10:39.5"},
      {"0:gap", "2:0", "6:gap", "10:0"},
      {"0:gap", "2:1", "6:gap", "10:1"},
  };
  for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(Samples(*page, c, origin), expected[c]) << c;
  EXPECT_EQ(page->chkCycle().Value().ToInteger(), 1);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(TrendPage, ALostConnectionGapsEveryCurveAndMarksTheFields) {
  OpenConnection();
  channel_->SetTransactionLatency(1s);
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(3s);
  device_.InjectLineBreak(48);
  loop_.RunFor(3s);  // the read of 4 s loses the line at its status
  const double origin = Origin(*page);
  for (std::size_t c = 0; c < 4; ++c) {
    const Trace trace = Samples(*page, c, origin);
    ASSERT_EQ(trace.size(), 3u) << c;
    EXPECT_EQ(trace.back(), "6:gap") << c;
  }
  for (const char* path : {"SC136/wDigit", "SC136/x", "CC048/F15", "CC048/F24"}) {
    EXPECT_EQ(Flags(path) & 0xF0000, 0xF0000) << path;
  }
}

TEST_F(TrendPage, ARefusedDynamicReadGapsItsCurvesInsteadOfDrawingOldValues) {
  OpenConnection();
  channel_->SetTransactionLatency(1s);
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(3s);  // the first read is recorded
  device_.ForceResponseCode(136, 2);
  loop_.RunFor(4s);  // the second read's dynamic values are refused
  const double origin = Origin(*page);
  const Trace expected[4] = {
      {"0:gap", "2:40", "6:gap"},
      {"0:gap", "2:39.5", "6:gap"},
      {"0:gap", "2:0", "6:0"},
      {"0:gap", "2:1", "6:1"},
  };
  for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(Samples(*page, c, origin), expected[c]) << c;
  EXPECT_EQ(Flags("SC136/x") & 0xFF0000, 0x4F0000);
  EXPECT_EQ(Flags("CC048/F15"), 0x3);
}

TEST_F(TrendPage, ALostLineStopsTheCycleWithItsMessage) {
  OpenConnection();
  channel_->SetTransactionLatency(1s);
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(3s);
  device_.InjectLineBreak(48);
  loop_.RunFor(10s);
  const std::size_t sent = device_.Received().size();
  loop_.RunFor(20s);
  EXPECT_EQ(device_.Received().size(), sent);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "The cyclic refresh is not possible: there is no connection to the device. (0)"}));
  EXPECT_EQ(page->chkCycle().Value().ToInteger(), 0);
  EXPECT_FALSE(page->Trend1().GetState().follow_mode);
}

TEST_F(TrendPage, AReadThatOutlastsATickStartsTheNextReadWhenItEnds) {
  OpenConnection();
  channel_->SetTransactionLatency(3s);
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(27s);
  const double origin = Origin(*page);
  // The first read (0..6 s) is the check box's: the tick at 4 s tries a
  // start, which the running read refuses, and retries at 8 s. The timer's
  // reads (8..14, 14..20, 20..26 s) each outlast a tick, so the next read
  // starts when the last one is recorded.
  EXPECT_EQ(Samples(*page, 0, origin), (Trace{"0:gap", "6:40", "14:40", "20:40", "26:40"}));
  // The device meets each request when its answer is due: the read started
  // at 26 s reaches it at 29 s.
  EXPECT_EQ(Transactions(136), 4u);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(TrendPage, ClearingTheBoxStopsTheRecording) {
  OpenConnection();
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(5s);
  page->chkCycle().SetValue(com::Variant(std::int16_t{0}));
  EXPECT_FALSE(page->tmrCycle().Running());
  EXPECT_FALSE(page->CycleProcess()->IsBusy());
  EXPECT_FALSE(page->Trend1().GetState().follow_mode);
  const std::size_t reads = Transactions(136);
  const std::size_t samples = page->Trend1().GetState().curves[0].samples.size();
  loop_.RunFor(20s);
  EXPECT_EQ(Transactions(136), reads);
  EXPECT_EQ(page->Trend1().GetState().curves[0].samples.size(), samples);
}

TEST_F(TrendPage, ARestartMarksAStartGapAgain) {
  OpenConnection();
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(1s);
  page->chkCycle().SetValue(com::Variant(std::int16_t{0}));
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(1s);
  // The restart empties the process first, so it adds its elements and
  // marks a gap again.
  const Trace trace = Samples(*page, 0, Origin(*page));
  EXPECT_EQ(trace, (Trace{"0:gap", "0:40", "1:gap", "1:40"}));
}

TEST_F(TrendPage, AStartWithoutCommunicationIsToldAndMarksTheFields) {
  // No channel: the process cannot start.
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"The connection to the device could not be established. (0)"}));
  EXPECT_EQ(page->chkCycle().Value().ToInteger(), 0);
  EXPECT_FALSE(page->tmrCycle().Running());
  EXPECT_FALSE(page->Trend1().GetState().follow_mode);
  for (const char* path : {"SC136/wDigit", "SC136/x", "CC048/F15", "CC048/F24"}) {
    EXPECT_EQ(Flags(path) & 0xF0000, 0xF0000) << path;
  }
}

TEST_F(TrendPage, TickingTheBoxWhileRecordingStartsNothing) {
  OpenConnection();
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(1s);
  page->Trend1().SetFollowMode(false);
  // The box's click while it is ticked and the recording runs.
  page->chkCycle().Raise("Click");
  EXPECT_FALSE(page->Trend1().GetState().follow_mode);
  EXPECT_TRUE(page->CycleProcess()->IsBusy());
}

struct ChangeCase {
  const char* name;
  bool zero_point_shown;
  bool loop_fault_shown;
  bool dummies_0_2_visible;
  std::int32_t left0, left1, left2;
};

class TrendChartChange : public TrendPage, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(TrendChartChange, PlacesTheDummyBoxesByTheFlagCurvesShown) {
  const ChangeCase& c = GetParam();
  auto page = Open();
  page->Trend1().SetCurveViewMin(2, 0);
  page->Trend1().SetCurveViewMax(3, 50);
  page->Trend1().SetCurveViewMax(0, 70);
  page->Trend1().UserSetCurveVisible(3, c.loop_fault_shown);
  page->Trend1().UserSetCurveVisible(2, c.zero_point_shown);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(page->picDummy(i).Visible(), c.dummies_0_2_visible) << i;
  EXPECT_EQ(page->picDummy(3).Visible(), c.loop_fault_shown);
  EXPECT_EQ(page->DummyLeft(0), c.left0);
  EXPECT_EQ(page->DummyLeft(1), c.left1);
  EXPECT_EQ(page->DummyLeft(2), c.left2);
  EXPECT_EQ(page->DummyLeft(3), 7180);
  const controls::Trend::State& chart = page->Trend1().GetState();
  EXPECT_EQ(chart.curves[2].view_min, -1.5);
  EXPECT_EQ(chart.curves[2].view_max, 7.5);
  EXPECT_EQ(chart.curves[3].view_min, 0);
  EXPECT_EQ(chart.curves[3].view_max, 9);
  EXPECT_EQ(chart.curves[0].view_max, 70);  // the value curves keep theirs
  EXPECT_EQ(page->chkCycle().Value().ToInteger(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TrendChartChange,
    ::testing::Values(ChangeCase{"ZeroPointOnly", true, false, true, 7180, 7180, 7200},
                      ChangeCase{"Both", true, true, true, 6550, 6550, 6570},
                      ChangeCase{"LoopFaultOnly", false, true, false, 6550, 6550, 6570},
                      ChangeCase{"Neither", false, false, false, 6550, 6550, 6570}),
    [](const ::testing::TestParamInfo<ChangeCase>& row) { return std::string(row.param.name); });

TEST_F(TrendPage, TheChartsFollowModeStartsAndStopsTheRecording) {
  OpenConnection();
  auto page = Open();
  page->Trend1().UserSetFollowMode(true);
  EXPECT_EQ(page->chkCycle().Value().ToInteger(), 1);
  EXPECT_TRUE(page->CycleProcess()->IsBusy());
  EXPECT_TRUE(page->tmrCycle().Running());
  page->Trend1().UserSetFollowMode(false);
  EXPECT_EQ(page->chkCycle().Value().ToInteger(), 0);
  EXPECT_FALSE(page->CycleProcess()->IsBusy());
  EXPECT_FALSE(page->tmrCycle().Running());
}

TEST_F(TrendPage, AChangedElementRenewsOnlyTheLegendOfItsCurve) {
  auto page = Open();
  Element("SC136/x")->Prompt = "Position";
  Element("CC048/F24")->Prompt = "Zero";
  Context().Parameters().NotifyChanged(Context().Parameters().Item("SC136/x"), "");
  const controls::Trend::State& chart = page->Trend1().GetState();
  EXPECT_EQ(chart.curves[1].name, "Position [%]");
  EXPECT_EQ(chart.curves[2].name, "Zero point error");
  Context().Parameters().NotifyChanged(Context().Parameters().Item("SC136/e"), "");
  EXPECT_EQ(chart.curves[2].name, "Zero point error");
}

TEST_F(TrendPage, NavigationToTheChartHighlightsItInstead) {
  auto page = Open();
  EXPECT_FALSE(page->IPrivateNavigation_ShowControl("Trend1", true, ""));
  EXPECT_EQ(page->Trend1().BackColor(), static_cast<std::int32_t>(0x8000000Cu));
  EXPECT_FALSE(page->IPrivateNavigation_ShowControl("Trend1", false, ""));
  EXPECT_EQ(page->Trend1().BackColor(), static_cast<std::int32_t>(0x8000000Fu));
}

TEST_F(TrendPage, TheDictionaryKeysNameTheTimeAxisCaption) {
  auto page = Open();
  auto navigation =
      com::QueryInterface<controls::Navigation>(Context().DTMState()->GetProperty("Navigation"));
  ASSERT_NE(navigation, nullptr);
  auto keys = page->IPrivateNavigation_GetDictKeys(*navigation, "");
  auto entry = keys->Find<controls::DictKeyList>("ctlTrend.Trend1");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Category(), "Trend");
  EXPECT_EQ(entry->DictKey(), "ctlTrend_scaleX");
  EXPECT_EQ(entry->ControlPath(), "ctlTrend.Trend1");
}

TEST_F(TrendPage, ReleaseStopsARecordingAndALateEndRecordsNothing) {
  OpenConnection();
  channel_->SetTransactionLatency(1s);
  auto page = Open();
  page->chkCycle().SetValue(com::Variant(std::int16_t{1}));
  loop_.RunFor(3s);
  const std::size_t samples = page->Trend1().GetState().curves[0].samples.size();
  EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  EXPECT_EQ(page->chkCycle().Value().ToInteger(), 0);
  EXPECT_FALSE(page->tmrCycle().Running());
  page->IPrivateProcess_OnProcessFinished("", std::nullopt);
  loop_.RunFor(20s);
  EXPECT_EQ(page->Trend1().GetState().curves[0].samples.size(), samples);
}

}  // namespace
}  // namespace dtm::testing
