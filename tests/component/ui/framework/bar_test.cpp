// The bar widget: what it draws for a value, a range and two limits, when it
// draws again, and its design properties.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "component/ui/framework/ctl_bar.h"
#include "platform/com/property_bag.h"

namespace dtm::testing {
namespace {

using Ops = std::vector<std::string>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A filled box as "x0,y0-x1,y1#colour".
Ops Drawn(const ctlBar& bar) {
  Ops out;
  for (const forms::DrawOp& op : bar.Canvas().DisplayList()) {
    std::ostringstream text;
    if (op.kind != forms::DrawOp::Kind::kFilledBox) text << "kind" << static_cast<int>(op.kind) << ":";
    for (std::size_t i = 0; i < op.points.size(); ++i) {
      text << (i ? "-" : "") << op.points[i].x << "," << op.points[i].y;
    }
    text << "#" << op.color;
    out.push_back(text.str());
  }
  return out;
}

class Bar : public ::testing::Test {
 protected:
  Bar() { bar_->Resize(200, 100); }
  std::shared_ptr<ctlBar> bar_ = std::make_shared<ctlBar>();
};

TEST_F(Bar, DrawsTheValueAndTheLimitsOverTheTopQuarter) {
  struct Case {
    const char* name;
    double min, max, value, limit_min, limit_max;
    bool start_at_zero;
    Ops drawn;
  };
  const Case cases[] = {
      {"HalfOfTheRange", 0, 100, 50, 10, 90, false,
       {"0,0-100,25#255", "20,0-20,25#65280", "180,0-180,25#65280"}},
      {"FromZeroToTheLeft", -50, 50, -25, -40, 40, true,
       {"100,0-50,25#255", "20,0-20,25#65280", "180,0-180,25#65280"}},
      {"FromZeroToTheRight", -50, 50, 25, -40, 40, true,
       {"100,0-150,25#255", "20,0-20,25#65280", "180,0-180,25#65280"}},
      {"FromTheLeftEdgeWithANegativeRange", -50, 50, -25, -40, 40, false,
       {"0,0-50,25#255", "20,0-20,25#65280", "180,0-180,25#65280"}},
      {"EmptyRangeDrawsEverythingAtTheLeftEdge", 50, 50, 75, 10, 90, false,
       {"0,0-0,25#255", "0,0-0,25#65280", "0,0-0,25#65280"}},
      {"MarksOutsideTheRangeStayOutside", 0, 100, 120, -10, 150, false,
       {"0,0-240,25#255", "-20,0--20,25#65280", "300,0-300,25#65280"}},
      {"SinglePositions", 0, 3, 1, 0, 0, false,
       {"0,0-66.6667,25#255", "0,0-0,25#65280", "0,0-0,25#65280"}},
      // A value without a place on the bar draws no box; the marks stay.
      {"NotANumber", 0, 100, kNaN, 10, 90, false, {"20,0-20,25#65280", "180,0-180,25#65280"}},
      {"Infinite", 0, 100, kInf, 10, 90, false, {"20,0-20,25#65280", "180,0-180,25#65280"}},
      {"MinusInfiniteFromZero", -50, 50, -kInf, -40, 40, true, {"20,0-20,25#65280", "180,0-180,25#65280"}},
      {"BeyondASingle", 0, 100, 1e300, 10, 90, false, {"20,0-20,25#65280", "180,0-180,25#65280"}},
      {"MarkNotANumber", 0, 100, 50, kNaN, 90, false, {"0,0-100,25#255", "180,0-180,25#65280"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bar = std::make_shared<ctlBar>();
    bar->Resize(200, 100);
    bar->SetColor(255);
    bar->SetLimitColor(65280);
    bar->SetRangeMin(c.min);
    bar->SetRangeMax(c.max);
    bar->SetStart_at_Zero(c.start_at_zero);
    bar->SetLimitMin(c.limit_min);
    bar->SetLimitMax(c.limit_max);
    bar->SetValue(c.value);
    EXPECT_EQ(Drawn(*bar), c.drawn);
  }
}

TEST_F(Bar, EachChangeDrawsTheBarAfreshAndTheSameValueDrawsNothing) {
  bar_->SetValue(50);
  EXPECT_EQ(Drawn(*bar_), (Ops{"0,0-100,25#0", "0,0-0,25#0", "0,0-0,25#0"}));
  bar_->SetValue(25);
  EXPECT_EQ(Drawn(*bar_), (Ops{"0,0-50,25#0", "0,0-0,25#0", "0,0-0,25#0"}));

  int paints = 0;
  bar_->On("Paint", [&](forms::Args&) { ++paints; });
  bar_->SetValue(25);
  bar_->SetColor(0);
  bar_->SetLimitColor(0);
  bar_->SetRangeMin(0);
  bar_->SetRangeMax(100);
  bar_->SetLimitMin(0);
  bar_->SetLimitMax(0);
  bar_->SetStart_at_Zero(false);
  bar_->SetCaption("");
  EXPECT_EQ(paints, 0);
  EXPECT_TRUE(bar_->ChangedProperties().empty());
}

TEST_F(Bar, OnlyThePersistedPropertiesAreMarkedChanged) {
  bar_->SetValue(5);
  bar_->SetLimitMin(1);
  bar_->SetLimitMax(9);
  bar_->SetStart_at_Zero(true);
  EXPECT_TRUE(bar_->ChangedProperties().empty());
  bar_->SetCaption("x [%]");
  bar_->SetColor(1);
  bar_->SetLimitColor(2);
  bar_->SetRangeMin(-10);
  bar_->SetRangeMax(10);
  EXPECT_EQ(bar_->ChangedProperties(),
            (std::vector<std::string>{"Caption", "Color", "LimitColor", "RangeMin", "RangeMax"}));
}

TEST_F(Bar, TheRangeLivesInTheScale) {
  bar_->Scale1().RecordCalls();
  bar_->SetRangeMin(-20);
  bar_->SetRangeMax(80);
  bar_->SetCaption("w [%]");
  EXPECT_EQ(bar_->Scale1().Calls(),
            (std::vector<std::string>{"Min=-20", "ViewMin=-20", "Max=80", "ViewMax=80",
                                      "Caption=w [%]"}));
  EXPECT_EQ(bar_->RangeMin(), -20);
  EXPECT_EQ(bar_->RangeMax(), 80);
  EXPECT_EQ(bar_->Caption(), "w [%]");
}

TEST_F(Bar, ResizePlacesTheScaleBelowTheBarAndDraws) {
  bar_->SetValue(50);
  bar_->Scale1().RecordCalls();
  bar_->Resize(400, 200);
  EXPECT_EQ(bar_->Scale1().Calls(), (std::vector<std::string>{"Move(0,50,400,150)"}));
  EXPECT_EQ(Drawn(*bar_), (Ops{"0,0-200,50#0", "0,0-0,50#0", "0,0-0,50#0"}));
}

TEST_F(Bar, ShowPreparesTheScaleAndAViewChangeDraws) {
  bar_->Scale1().RecordCalls();
  bar_->Show();
  EXPECT_EQ(bar_->Scale1().Calls(), (std::vector<std::string>{"Prepare(13003,True)"}));
  int paints = 0;
  bar_->On("Paint", [&](forms::Args&) { ++paints; });
  bar_->Scale1().UserSetView(10, 20);
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(bar_->Canvas().DisplayList().size(), 3u);
}

TEST_F(Bar, DesignProperties) {
  bar_->InitProperties();
  EXPECT_EQ(bar_->Caption(), "");
  EXPECT_EQ(bar_->RangeMin(), 0);
  EXPECT_EQ(bar_->RangeMax(), 100);

  com::MemoryPropertyBag defaults;
  bar_->WriteProperties(defaults);
  EXPECT_TRUE(defaults.Entries().empty());

  com::MemoryPropertyBag bag;
  bag.WriteProperty("Caption", "y [%]");
  bag.WriteProperty("Color", 255);
  bag.WriteProperty("LimitColor", 128);
  bag.WriteProperty("RangeMin", -5.0);
  bag.WriteProperty("RangeMax", 5.0);
  bar_->ReadProperties(bag);
  EXPECT_EQ(bar_->Caption(), "y [%]");
  EXPECT_EQ(bar_->Color(), 255);
  EXPECT_EQ(bar_->LimitColor(), 128);
  EXPECT_EQ(bar_->RangeMin(), -5);
  EXPECT_EQ(bar_->RangeMax(), 5);
  EXPECT_EQ(bar_->Scale1().ViewMax(), 5);

  com::MemoryPropertyBag written;
  bar_->WriteProperties(written);
  EXPECT_EQ(written.ReadProperty("Caption").ToString(), "y [%]");
  EXPECT_EQ(written.ReadProperty("Color").ToLong(), 255);
  EXPECT_EQ(written.ReadProperty("RangeMin").ToDouble(), -5);
  EXPECT_EQ(written.ReadProperty("RangeMax").ToDouble(), 5);
}

TEST_F(Bar, ReadingAnEmptyBagKeepsTheDefaults) {
  com::MemoryPropertyBag empty;
  bar_->ReadProperties(empty);
  EXPECT_EQ(bar_->Caption(), "");
  EXPECT_EQ(bar_->Color(), 0);
  EXPECT_EQ(bar_->RangeMin(), 0);
  EXPECT_EQ(bar_->RangeMax(), 100);
}

}  // namespace
}  // namespace dtm::testing
