#include "platform/forms/surface.h"

#include "platform/com/error.h"

namespace dtm::forms {

void Surface::SetDrawWidth(std::int16_t width) {
  if (width < 1) throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value");
  draw_width_ = width;
}

void Surface::Cls() {
  ops_.clear();
  current_ = {};
}

void Surface::Add(DrawOp::Kind kind, std::vector<Point> points, OleColor color, std::string text) {
  ops_.push_back(DrawOp{kind, std::move(points), color, draw_width_, std::move(text)});
}

void Surface::FillBox(Point a, Point b, OleColor color) {
  Add(DrawOp::Kind::kFilledBox, {a, b}, color);
}

void Surface::Box(Point a, Point b, OleColor color) { Add(DrawOp::Kind::kBox, {a, b}, color); }

void Surface::Line(Point from, Point to, OleColor color) {
  Add(DrawOp::Kind::kLine, {from, to}, color);
  current_ = to;
}

void Surface::Polyline(std::vector<Point> points, OleColor color) {
  if (points.size() < 2) return;
  const Point last = points.back();
  Add(DrawOp::Kind::kPolyline, std::move(points), color);
  current_ = last;
}

void Surface::Print(const std::string& text) {
  Add(DrawOp::Kind::kText, {current_}, fore_color_, text);
  current_ = {0, current_.y + kPrintLineHeight};
}

void Surface::Text(Point at, const std::string& text, OleColor color) {
  Add(DrawOp::Kind::kText, {at}, color, text);
}

}  // namespace dtm::forms
