#include "platform/controls/trend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/state.h"
#include "tests/testing/raised.h"

namespace dtm::controls {
namespace {

using dtm::testing::ErrorOf;
using Sample = Trend::Sample;

// ------------------------------------------------------------ drawing

class TrendDrawing : public ::testing::Test {
 protected:
  // The diagonal as eleven samples on curve 0, drawn in one held batch.
  void DrawDiagonal() {
    trend_.Reset(0);
    trend_.SetHold(true);
    for (int n = 0; n <= 10; ++n) {
      trend_.SetSampleTime(0, n * 10.0);
      trend_.SampleValue(0, n * 10.0);
    }
    trend_.SetHold(false);
  }
  void SetUp() override { trend_.RecordCalls(); }
  Trend trend_;
};

TEST_F(TrendDrawing, AHeldBatchKeepsItsSamplesAndPaintsOnce) {
  trend_.SampleValue(0, 5);  // an old sample, reset below
  const std::int32_t before = trend_.GetState().redraws;
  DrawDiagonal();
  const std::vector<Sample> diagonal = {{0, 0, false},   {10, 10, false}, {20, 20, false},
                                        {30, 30, false}, {40, 40, false}, {50, 50, false},
                                        {60, 60, false}, {70, 70, false}, {80, 80, false},
                                        {90, 90, false}, {100, 100, false}};
  EXPECT_EQ(trend_.GetState().curves[0].samples, diagonal);
  // The reset paints, then the held batch once, not once per sample.
  EXPECT_EQ(trend_.GetState().redraws, before + 2);
  EXPECT_FALSE(trend_.GetState().hold);
}

TEST_F(TrendDrawing, ReleasingAHoldWithNothingChangedPaintsNothing) {
  trend_.SetHold(true);
  trend_.SetHold(false);
  EXPECT_EQ(trend_.GetState().redraws, 0);
  trend_.Refresh();
  EXPECT_EQ(trend_.GetState().redraws, 1);
}

TEST_F(TrendDrawing, ThePointSetComesFromArraysBesideTheSamples) {
  DrawDiagonal();
  const double x[] = {0, 5, 10, 20, 30, 40, 50, 60, 70, 80, 100};
  const double y[] = {0, 2, 6, 12, 20, 30, 42, 56, 72, 90, 100};
  const std::int32_t flags[11] = {};
  trend_.SetHold(true);
  trend_.SetX(0, 0, x);
  trend_.SetY(0, 0, y, flags, true);
  trend_.SetHold(false);
  const Trend::Curve& curve = trend_.GetState().curves[0];
  EXPECT_EQ(curve.x, std::vector<double>(std::begin(x), std::end(x)));
  EXPECT_EQ(curve.y, std::vector<double>(std::begin(y), std::end(y)));
  EXPECT_EQ(curve.flags, std::vector<std::int32_t>(11, 0));
  EXPECT_EQ(curve.samples.size(), 11u) << "the diagonal stays";
  EXPECT_EQ(trend_.Calls().back(), "Hold=False");
  EXPECT_EQ(trend_.Calls()[trend_.Calls().size() - 2], "SetY(0,0,11,True)");
}

TEST_F(TrendDrawing, PointsFromAnOffsetGrowTheSetAndMissingFlagsAreZero) {
  const double x[] = {1, 2};
  const double y[] = {3, 4};
  const std::int32_t flags[] = {7};
  trend_.SetX(1, 2, x);
  trend_.SetY(1, 2, y, flags, false);
  const Trend::Curve& curve = trend_.GetState().curves[1];
  EXPECT_EQ(curve.x, (std::vector<double>{0, 0, 1, 2}));
  EXPECT_EQ(curve.y, (std::vector<double>{0, 0, 3, 4}));
  EXPECT_EQ(curve.flags, (std::vector<std::int32_t>{0, 0, 7, 0}));
  EXPECT_EQ(trend_.GetState().redraws, 1) << "SetX painted; SetY without update did not";
}

// ------------------------------------------------------------ samples

TEST(TrendSamples, AGapBreaksTheCurveAtTheSampleTime) {
  Trend trend;
  trend.SetSampleTime(0, 1000);
  for (int curve = 0; curve < 4; ++curve) trend.SampleGap(curve, true);
  trend.SetSampleTime(0, 1004);
  trend.SampleValue(0, 50);
  trend.SampleGap(1, false);  // False appends nothing
  trend.SampleGap(2, true);
  const auto& curves = trend.GetState().curves;
  EXPECT_EQ(curves[0].samples, (std::vector<Sample>{{1000, 0, true}, {1004, 50, false}}));
  EXPECT_EQ(curves[1].samples, (std::vector<Sample>{{1000, 0, true}}));
  EXPECT_EQ(curves[2].samples, (std::vector<Sample>{{1000, 0, true}, {1004, 0, true}}));
  EXPECT_TRUE(curves[4].samples.empty());
}

TEST(TrendSamples, FollowModeMovesTheWindowToTheNewestSample) {
  struct Case {
    const char* name;
    bool follow;
    double x;
    double view_min;
    double view_max;
  };
  const Case cases[] = {
      {"InsideTheWindow", true, 1100, 1000, 1120},
      {"RightOfTheWindow", true, 1130, 1010, 1130},
      {"FollowModeOff", false, 1130, 1000, 1120},
      {"LeftOfTheWindow", true, 900, 1000, 1120},
  };
  for (const Case& c : cases) {
    Trend trend;
    trend.SetXViewMin(0, 1000);
    trend.SetXViewMax(0, 1120);
    trend.SetFollowMode(c.follow);
    trend.SetSampleTime(0, c.x);
    trend.SampleValue(1, 1);
    EXPECT_EQ(trend.GetState().axis.view_min, c.view_min) << c.name;
    EXPECT_EQ(trend.GetState().axis.view_max, c.view_max) << c.name;
  }
}

// A chart that follows its newest sample for a day holds what its window
// and one more window's width to its left need.
TEST(TrendSamples, AFollowingChartKeepsWhatItsWindowNeeds) {
  Trend trend;
  trend.SetXViewMin(0, 0);
  trend.SetXViewMax(0, 120);
  trend.SetFollowMode(true);
  for (int n = 1; n <= 21600; ++n) {  // 24 h, one sample each 4 s
    trend.SetSampleTime(0, 4.0 * n);
    trend.SampleValue(0, 50);
    if (n % 1000 == 0) trend.SampleGap(1, true);
  }
  const auto& samples = trend.GetState().curves[0].samples;
  ASSERT_EQ(samples.size(), 62u);
  EXPECT_EQ(samples.front(), (Sample{86156, 50, false})) << "the last one left of the margin";
  EXPECT_EQ(samples[1], (Sample{86160, 50, false}));
  EXPECT_EQ(samples.back(), (Sample{86400, 50, false}));
  EXPECT_EQ(trend.GetState().axis.view_min, 86280);
  // A curve is trimmed as it grows: the one of gaps each 4000 s kept the
  // last one before its margin when it grew last.
  EXPECT_EQ(trend.GetState().curves[1].samples, (std::vector<Sample>{{80000, 0, true}, {84000, 0, true}}));
}

TEST(TrendSamples, ACurveHoldsAtMostItsBoundWhateverTheWindow) {
  Trend trend;
  trend.SetXViewMin(0, 0);
  trend.SetXViewMax(0, 0);  // no window: nothing is left of it
  for (int n = 1; n <= 5000; ++n) {
    trend.SetSampleTime(0, n);
    trend.SampleValue(0, n);
  }
  const auto& samples = trend.GetState().curves[0].samples;
  ASSERT_EQ(samples.size(), Trend::kMaxSamples);
  EXPECT_EQ(samples.front(), (Sample{2953, 2953, false}));
  EXPECT_EQ(samples.back(), (Sample{5000, 5000, false}));
}

TEST(TrendSamples, NoCallIsRecordedUnlessATestAsks) {
  Trend trend;
  Scale scale;
  for (int n = 0; n < 100; ++n) {
    trend.SetSampleTime(0, n);
    trend.SampleValue(0, n);
    scale.Move(n, 0, 10, 10);
  }
  EXPECT_TRUE(trend.Calls().empty());
  EXPECT_TRUE(scale.Calls().empty());
  trend.RecordCalls();
  trend.SampleValue(0, 1);
  EXPECT_EQ(trend.Calls(), (std::vector<std::string>{"SampleValue(0)=1"}));
}

std::string DescribedSamples(const Trend& trend) {
  forms::ControlState state;
  trend.Describe(state);
  return state.Attribute("curve.0.samples");
}

// The view carries what lies in the window and the samples just outside
// it, where the line crosses its edges.
TEST(TrendSamples, TheDescriptionCarriesTheWindowsSamples) {
  Trend trend;
  trend.SetXViewMin(0, 1000);
  trend.SetXViewMax(0, 1040);
  for (int x = 960; x <= 1100; x += 10) {
    trend.SetSampleTime(0, x);
    if (x == 1020) {
      trend.SampleGap(0, true);
    } else {
      trend.SampleValue(0, x / 10);
    }
  }
  EXPECT_EQ(DescribedSamples(trend), "990:99 1000:100 1010:101 1020:gap 1030:103 1040:104 1050:105");
  trend.SetXViewMax(0, 1000);  // an empty window: every sample kept
  EXPECT_EQ(DescribedSamples(trend),
            "960:96 970:97 980:98 990:99 1000:100 1010:101 1020:gap 1030:103 1040:104 1050:105 1060:106 "
            "1070:107 1080:108 1090:109 1100:110");
}

TEST(TrendSamples, TheDescriptionStaysTheSameSizeOnceTheWindowIsFull) {
  Trend trend;
  const double start = 1'700'000'000;
  trend.SetXViewMin(0, start);
  trend.SetXViewMax(0, start + 120);
  trend.SetFollowMode(true);
  std::size_t after_an_hour = 0;
  for (int n = 1; n <= 21600; ++n) {
    trend.SetSampleTime(0, start + 4.0 * n);
    trend.SampleValue(0, 50);
    if (n == 900) after_an_hour = DescribedSamples(trend).size();
  }
  // 31 samples in the window and the one before it, "1700086276:50" each.
  EXPECT_EQ(after_an_hour, 32u * 14 - 1);
  EXPECT_EQ(DescribedSamples(trend).size(), after_an_hour);
}

TEST(TrendSamples, DateToTimeCountsSecondsFrom1970) {
  struct Case {
    int y, mo, d, h, mi, s, ms;
    double seconds;
  };
  const Case cases[] = {
      {1970, 1, 1, 0, 0, 0, 0, 0},
      {2024, 5, 31, 12, 30, 15, 0, 1717158615},
      {2000, 2, 29, 23, 59, 59, 500, 951868799.5},
      {1899, 12, 30, 0, 0, 0, 0, -2209161600},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Trend::DateToTime(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms), c.seconds) << c.y;
  }
  EXPECT_EQ(ErrorOf([] { Trend::DateToTime(2023, 2, 29, 0, 0, 0, 0); }), 380);
  EXPECT_EQ(ErrorOf([] { Trend::DateToTime(2023, 13, 1, 0, 0, 0, 0); }), 380);
}

// ------------------------------------------------------------ the chart's own controls

TEST(TrendChange, OnlyTheChartsOwnControlsRaiseIt) {
  Trend trend;
  int changes = 0;
  trend.SetChangeHandler([&] { ++changes; });
  trend.SetFollowMode(true);
  trend.SetCurveVisible(2, false);
  EXPECT_EQ(changes, 0);

  trend.UserSetCurveVisible(2, true);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(trend.GetState().curves[2].visible);
  trend.UserSetFollowMode(false);
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(trend.GetState().follow_mode);

  trend.SetFollowMode(true);
  trend.UserSetView(50, 80);
  EXPECT_EQ(changes, 3);
  EXPECT_FALSE(trend.GetState().follow_mode) << "moving the window by hand stops following";
  EXPECT_EQ(trend.GetState().axis.view_min, 50);
  EXPECT_EQ(trend.GetState().axis.view_max, 80);
}

// ------------------------------------------------------------ by name

TEST(TrendByName, IndexedPropertiesTakeTheNumberFirst) {
  Trend trend;
  trend.RecordCalls();
  const com::Variant title[] = {com::Variant(std::int32_t{0}), com::Variant("Zeit")};
  const com::Variant name[] = {com::Variant(std::int32_t{3}), com::Variant("Regelkreis")};
  const com::Variant curve3[] = {com::Variant(std::int32_t{3})};
  const com::Variant start[] = {com::Variant(std::int32_t{0}), com::Variant(12.5)};
  trend.Invoke("XAxisTitle", title);
  trend.Invoke("CurveName", name);
  trend.Invoke("StartX", start);
  trend.SetProperty("CurveViewMax", com::Variant(7.5));  // without an index: curve 0
  trend.SetProperty("BackColor", com::Variant(static_cast<std::int32_t>(0x8000000C)));

  EXPECT_EQ(trend.Invoke("CurveName", curve3).ToString(), "Regelkreis");
  EXPECT_EQ(trend.GetProperty("XAxisTitle").ToString(), "Zeit");
  EXPECT_EQ(trend.GetState().axis.view_min, 12.5) << "StartX is the window's start";
  EXPECT_EQ(trend.GetState().curves[0].view_max, 7.5);
  EXPECT_EQ(trend.BackColor(), static_cast<std::int32_t>(0x8000000C));
  EXPECT_EQ(trend.GetProperty("Name").ToString(), "Trend1");
  EXPECT_EQ(trend.Calls(), (std::vector<std::string>{"XAxisTitle(0)=Zeit",
                                                     "CurveName(3)=Regelkreis",
                                                     "XViewMin(0)=12.5", "CurveViewMax(0)=7.5",
                                                     "BackColor=&H8000000C"}));
}

TEST(TrendByName, MethodsAndTheirErrors) {
  Trend trend;
  const com::Variant date[] = {com::Variant(std::int16_t{1970}), com::Variant(std::int16_t{1}),
                               com::Variant(std::int16_t{2}),    com::Variant(std::int16_t{0}),
                               com::Variant(std::int16_t{0}),    com::Variant(std::int16_t{1}),
                               com::Variant(std::int16_t{0})};
  EXPECT_EQ(trend.Invoke("DateToTime", date).ToDouble(), 86401);
  const com::Variant curve_8[] = {com::Variant(std::int32_t{8})};
  const com::Variant axis_1[] = {com::Variant(std::int32_t{1}), com::Variant(0.0)};
  EXPECT_EQ(ErrorOf([&] { trend.Invoke("Reset", curve_8); }), 380);
  EXPECT_EQ(ErrorOf([&] { trend.Invoke("XViewMin", axis_1); }), 380);
  EXPECT_EQ(ErrorOf([&] { trend.Invoke("Reset", {}); }), 5);
  EXPECT_EQ(ErrorOf([&] { trend.GetProperty("Zoom"); }), 438);
}

// ------------------------------------------------------------ Scale

TEST(ScaleControl, KeepsRangeCaptionPlaceAndPreparation) {
  Scale scale;
  scale.RecordCalls();
  EXPECT_EQ(scale.Min(), 0);
  EXPECT_EQ(scale.Max(), 100);
  scale.SetProperty("Min", com::Variant(-50.0));
  scale.SetProperty("ViewMin", com::Variant(-50.0));
  scale.SetCaption("x [%]");
  scale.Move(0, 25, 200, 75);
  const com::Variant prepare[] = {com::Variant(std::int32_t{13003}), com::Variant(true)};
  scale.Invoke("Prepare", prepare);
  const com::Variant left_only[] = {com::Variant(10.0)};
  scale.Invoke("Move", left_only);

  const Scale::State& state = scale.GetState();
  EXPECT_EQ(state.min, -50);
  EXPECT_EQ(state.view_min, -50);
  EXPECT_EQ(scale.GetProperty("Caption").ToString(), "x [%]");
  EXPECT_EQ(state.left, 10);
  EXPECT_EQ(state.top, 25) << "Move without the other sizes keeps them";
  EXPECT_EQ(state.width, 200);
  EXPECT_EQ(state.height, 75);
  EXPECT_EQ(state.prepare_code, 13003);
  EXPECT_TRUE(state.prepare_flag);
  EXPECT_EQ(scale.Calls(), (std::vector<std::string>{"Min=-50", "ViewMin=-50", "Caption=x [%]",
                                                     "Move(0,25,200,75)", "Prepare(13003,True)",
                                                     "Move(10,25,200,75)"}));
}

TEST(ScaleControl, RaisesChangeOnlyForTheUsersZoom) {
  Scale scale;
  int changes = 0;
  scale.SetChangeHandler([&] { ++changes; });
  scale.SetMax(50);
  scale.SetViewMax(50);
  EXPECT_EQ(changes, 0);
  scale.UserSetView(10, 20);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(scale.GetState().view_min, 10);
  EXPECT_EQ(scale.GetState().view_max, 20);
}

}  // namespace
}  // namespace dtm::controls
