// The trend chart as the renderers draw it from its state: each shown
// curve's samples as lines broken at their gaps, its point set as one line,
// the time axis and the legend; and the short text form.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/render/html_render.h"
#include "host/render/text_render.h"
#include "platform/controls/trend.h"
#include "platform/forms/user_control.h"

namespace dtm::render {
namespace {

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class TrendRender : public ::testing::Test {
 protected:
  TrendRender() {
    page_->Add(trend_);
    // A window of 40 s; curve 0 scaled 0..10.
    trend_->SetXViewMin(0, 0);
    trend_->SetXViewMax(0, 40);
    trend_->SetXAxisTitle(0, "Zeit");
    trend_->SetCurveName(0, "w");
    trend_->SetCurveViewMin(0, 0);
    trend_->SetCurveViewMax(0, 10);
  }
  void Sample(std::int32_t curve, double x, std::optional<double> value) {
    trend_->SetSampleTime(0, x);
    if (value) {
      trend_->SampleValue(curve, *value);
    } else {
      trend_->SampleGap(curve, true);
    }
  }
  PageView View() const {
    PageView view;
    view.function_id = 5;
    view.class_name = "ctlTrend";
    view.prog_id = "VD4625FDT.ctlTrend";
    view.form = forms::DescribeTree(*page_);
    return view;
  }

  std::shared_ptr<forms::UserControl> page_ = std::make_shared<forms::UserControl>("ctlTrend");
  std::shared_ptr<controls::Trend> trend_ = std::make_shared<controls::Trend>("Trend1");
};

TEST_F(TrendRender, AGapBreaksTheCurvesLine) {
  Sample(0, 0, 1);
  Sample(0, 10, 2);
  Sample(0, 20, std::nullopt);
  Sample(0, 30, 3);
  Sample(0, 40, 4);
  const std::string html = RenderHtml(View());
  EXPECT_EQ(Count(html, "<polyline class=\"curve-0\""), 2u);
  EXPECT_NE(html.find("<polyline class=\"curve-0\" points=\"50,244 195,218\""), std::string::npos);
  EXPECT_NE(html.find("<polyline class=\"curve-0\" points=\"485,192 630,166\""), std::string::npos);
  EXPECT_NE(html.find(">Zeit</text>"), std::string::npos);
  EXPECT_NE(html.find(">w (0 .. 10)</text>"), std::string::npos);
  EXPECT_NE(html.find(">00:00:00</text>"), std::string::npos);
  EXPECT_NE(html.find(">00:00:40</text>"), std::string::npos);
}

TEST_F(TrendRender, APointSetIsDrawnWithoutItsFlaggedPoints) {
  const std::vector<double> x = {0, 20, 30, 40};
  const std::vector<double> y = {0, 5, 9, 10};
  const std::vector<std::int32_t> flags = {0, 0, 1, 0};
  trend_->SetX(0, 0, x);
  trend_->SetY(0, 0, y, flags, true);
  const std::string html = RenderHtml(View());
  EXPECT_EQ(Count(html, "<polyline class=\"curve-0\""), 1u);
  EXPECT_NE(html.find("<polyline class=\"curve-0\" points=\"50,270 340,140 630,10\""), std::string::npos);
  // Without samples the axis is no time axis.
  EXPECT_NE(html.find("text-anchor=\"middle\">20</text>"), std::string::npos);
  EXPECT_EQ(html.find(">00:00:20</text>"), std::string::npos);
}

TEST_F(TrendRender, AHiddenCurveIsNeitherDrawnNorInTheLegend) {
  trend_->SetCurveName(1, "x");
  Sample(0, 0, 1);
  Sample(1, 0, 2);
  Sample(0, 10, 1);
  Sample(1, 10, 2);
  trend_->SetCurveVisible(1, false);
  const std::string html = RenderHtml(View());
  EXPECT_EQ(Count(html, "<polyline class=\"curve-0\""), 1u);
  EXPECT_EQ(Count(html, "<polyline class=\"curve-1\""), 0u);
  EXPECT_EQ(html.find(">x (0 .. 100)</text>"), std::string::npos);
}

TEST_F(TrendRender, TheTextFormCountsValuesGapsAndPoints) {
  trend_->SetCurveName(1, "x");
  Sample(0, 0, std::nullopt);
  Sample(0, 4, 1);
  Sample(0, 8, 2);
  const std::vector<double> x = {0, 1};
  const std::vector<double> y = {0, 1};
  trend_->SetX(1, 0, x);
  trend_->SetY(1, 0, y, {}, true);
  trend_->SetCurveVisible(1, false);
  trend_->SetFollowMode(true);
  EXPECT_EQ(RenderText(View()), "Page 5 ctlTrend (VD4625FDT.ctlTrend)\n"
                                "Trend Trend1 \"Zeit\": 0 .. 40, following\n"
                                "  Curve 0 \"w\" 0 .. 10: 2 values, 1 gap\n"
                                "  Curve 1 \"x\" 0 .. 100: 0 values, 0 gaps, 2 points hidden\n");
}

}  // namespace
}  // namespace dtm::render
