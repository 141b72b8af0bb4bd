#pragma once
// A drawing surface that keeps what was drawn on it as a display list, in
// its own scale (ScaleWidth by ScaleHeight units, origin at the top left),
// for a host to render. Cls empties the list; the surface's back colour is
// the owner's BackColor.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/colors.h"

namespace dtm::forms {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct DrawOp {
  enum class Kind {
    kFilledBox,  // points[0] and points[1] are opposite corners
    kBox,        // the outline of such a box
    kLine,       // from points[0] to points[1]
    kPolyline,   // through all points in order
    kText,       // `text` with its top left at points[0]
  };
  Kind kind;
  std::vector<Point> points;
  OleColor color = 0;
  std::int16_t width = 1;  // the pen width in pixels (DrawWidth)
  std::string text;
  friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

class Surface {
 public:
  double ScaleWidth() const { return scale_width_; }
  double ScaleHeight() const { return scale_height_; }
  void SetScaleSize(double width, double height) {
    scale_width_ = width;
    scale_height_ = height;
  }

  // The pen: the colour of lines and text drawn without one, and its width.
  OleColor ForeColor() const { return fore_color_; }
  void SetForeColor(OleColor color) { fore_color_ = color; }
  std::int16_t DrawWidth() const { return draw_width_; }
  // 1 to 32767; raises 380 ("Invalid property value") outside.
  void SetDrawWidth(std::int16_t width);
  // Where Print puts the next text; Cls sets both to 0.
  double CurrentX() const { return current_.x; }
  double CurrentY() const { return current_.y; }
  void SetCurrent(double x, double y) { current_ = {x, y}; }

  void Cls();
  void FillBox(Point a, Point b, OleColor color);
  void Box(Point a, Point b, OleColor color);
  void Line(Point from, Point to, OleColor color);
  void Line(Point from, Point to) { Line(from, to, fore_color_); }
  // Fewer than two points draw nothing.
  void Polyline(std::vector<Point> points, OleColor color);
  // Text at CurrentX/CurrentY in the fore colour; the next line starts
  // below it, as Print moves on.
  void Print(const std::string& text);
  void Text(Point at, const std::string& text, OleColor color);

  const std::vector<DrawOp>& DisplayList() const { return ops_; }

 private:
  void Add(DrawOp::Kind kind, std::vector<Point> points, OleColor color, std::string text = {});

  double scale_width_ = 0;
  double scale_height_ = 0;
  OleColor fore_color_ = colors::kWindowText;
  std::int16_t draw_width_ = 1;
  Point current_;
  std::vector<DrawOp> ops_;
};

// The height of one printed line in the surface's scale: the owners keep
// twips, and the system font's line is 195 twips.
inline constexpr double kPrintLineHeight = 195;

}  // namespace dtm::forms
