#include "platform/forms/surface.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/forms/controls.h"
#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using Kind = DrawOp::Kind;
constexpr OleColor kGreen = 49152;
constexpr OleColor kRed = 255;

TEST(SurfaceDisplayList, KeepsWhatWasDrawnInOrder) {
  Surface surface;
  surface.SetScaleSize(400, 100);
  surface.FillBox({0, 25}, {120, 75}, kGreen);
  surface.Box({0, 25}, {400, 75}, kRed);
  surface.SetDrawWidth(2);
  surface.Line({200, 0}, {200, 100}, kRed);
  surface.Polyline({{0, 100}, {50, 40}, {100, 10}}, kGreen);
  surface.Text({10, 10}, "50 %", kRed);
  const std::vector<DrawOp> expected = {
      {Kind::kFilledBox, {{0, 25}, {120, 75}}, kGreen, 1, ""},
      {Kind::kBox, {{0, 25}, {400, 75}}, kRed, 1, ""},
      {Kind::kLine, {{200, 0}, {200, 100}}, kRed, 2, ""},
      {Kind::kPolyline, {{0, 100}, {50, 40}, {100, 10}}, kGreen, 2, ""},
      {Kind::kText, {{10, 10}}, kRed, 2, "50 %"},
  };
  EXPECT_EQ(surface.DisplayList(), expected);
  EXPECT_EQ(surface.ScaleWidth(), 400);
  EXPECT_EQ(surface.ScaleHeight(), 100);
}

TEST(SurfaceDisplayList, ClsEmptiesItAndHomesThePen) {
  Surface surface;
  surface.Line({0, 0}, {30, 40}, kRed);
  EXPECT_EQ(surface.CurrentX(), 30);
  EXPECT_EQ(surface.CurrentY(), 40);
  surface.Cls();
  EXPECT_TRUE(surface.DisplayList().empty());
  EXPECT_EQ(surface.CurrentX(), 0);
  EXPECT_EQ(surface.CurrentY(), 0);
}

TEST(SurfaceDisplayList, PrintWritesAtThePenInTheForeColourLineByLine) {
  Surface surface;
  surface.SetForeColor(kRed);
  surface.SetCurrent(100, 50);
  surface.Print("first");
  surface.Print("second");
  const std::vector<DrawOp> expected = {
      {Kind::kText, {{100, 50}}, kRed, 1, "first"},
      {Kind::kText, {{0, 245}}, kRed, 1, "second"},
  };
  EXPECT_EQ(surface.DisplayList(), expected);
}

TEST(SurfaceDisplayList, DegenerateInputDrawsNothingOrIsRefused) {
  Surface surface;
  surface.Polyline({}, kRed);
  surface.Polyline({{1, 1}}, kRed);
  EXPECT_TRUE(surface.DisplayList().empty());
  EXPECT_EQ(testing::ErrorOf([&] { surface.SetDrawWidth(0); }), 380);
  EXPECT_EQ(surface.DrawWidth(), 1);
}

TEST(SurfaceOwners, FollowTheirSize) {
  UserControl bar("ctlBar");
  bar.Resize(3000, 400);
  EXPECT_EQ(bar.Canvas().ScaleWidth(), 3000);
  EXPECT_EQ(bar.Canvas().ScaleHeight(), 400);
  PictureBox picture("picStatus");
  double seen = 0;
  picture.On("Resize", [&](Args&) { seen = picture.Canvas().ScaleWidth(); });
  picture.Resize(32, 16);
  EXPECT_EQ(seen, 32);
}

}  // namespace
}  // namespace dtm::forms
