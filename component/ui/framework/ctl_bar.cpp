#include "component/ui/framework/ctl_bar.h"

#include <cmath>
#include <utility>

namespace dtm {
namespace {

constexpr double kBarShare = 0.25;  // of the inner height

}  // namespace

ctlBar::ctlBar(std::string name)
    : forms::UserControl(std::move(name)), scale_(Add(std::make_shared<controls::Scale>("Scale1"))) {
  scale_->SetChangeHandler([this] { Repaint(); });
  On("Paint", [this](forms::Args&) { DrawBar(); });
  On("Resize", [this](forms::Args&) {
    const double w = ScaleWidth();
    const double h = ScaleHeight() * kBarShare;
    scale_->Move(0, h, w, 3 * h);
    Repaint();
  });
  On("Show", [this](forms::Args&) { scale_->Prepare(kScalePrepareCode, true); });
  On("InitProperties", [this](forms::Args&) {
    scale_->SetCaption("");
    m_Color = 0;
    m_LimitColor = 0;
    scale_->SetViewMin(0);
    scale_->SetViewMax(100);
    scale_->SetMin(0);
    scale_->SetMax(100);
  });
  On("ReadProperties", [this](forms::Args& args) {
    com::PropertyBag& bag = forms::BagOf(args.at(0));
    scale_->SetCaption(bag.ReadProperty("Caption", com::Variant("")).ToString());
    m_Color = bag.ReadProperty("Color", com::Variant(std::int32_t{0})).ToLong();
    m_LimitColor = bag.ReadProperty("LimitColor", com::Variant(std::int32_t{0})).ToLong();
    SetRangeMin(bag.ReadProperty("RangeMin", com::Variant(0.0)).ToDouble());
    SetRangeMax(bag.ReadProperty("RangeMax", com::Variant(100.0)).ToDouble());
  });
  On("WriteProperties", [this](forms::Args& args) {
    com::PropertyBag& bag = forms::BagOf(args.at(0));
    bag.WriteProperty("Caption", scale_->Caption(), com::Variant(""));
    bag.WriteProperty("Color", m_Color, com::Variant(std::int32_t{0}));
    bag.WriteProperty("LimitColor", m_LimitColor, com::Variant(std::int32_t{0}));
    bag.WriteProperty("RangeMin", scale_->Min(), com::Variant(0.0));
    bag.WriteProperty("RangeMax", scale_->Max(), com::Variant(100.0));
  });
}

std::string ctlBar::Caption() const { return scale_->Caption(); }

void ctlBar::SetCaption(const std::string& caption) {
  if (caption == scale_->Caption()) return;
  scale_->SetCaption(caption);
  PropertyChanged("Caption");
}

void ctlBar::SetColor(forms::OleColor color) {
  if (color == m_Color) return;
  m_Color = color;
  PropertyChanged("Color");
  Repaint();
}

void ctlBar::SetLimitColor(forms::OleColor color) {
  if (color == m_LimitColor) return;
  m_LimitColor = color;
  PropertyChanged("LimitColor");
  Repaint();
}

double ctlBar::RangeMin() const { return scale_->Min(); }

void ctlBar::SetRangeMin(double value) {
  if (value == scale_->Min()) return;
  scale_->SetMin(value);
  scale_->SetViewMin(value);
  PropertyChanged("RangeMin");
  Repaint();
}

double ctlBar::RangeMax() const { return scale_->Max(); }

void ctlBar::SetRangeMax(double value) {
  if (value == scale_->Max()) return;
  scale_->SetMax(value);
  scale_->SetViewMax(scale_->Max());
  PropertyChanged("RangeMax");
  Repaint();
}

void ctlBar::SetLimitMin(double value) {
  if (value == m_LimitMin) return;
  m_LimitMin = value;
  Repaint();
}

void ctlBar::SetLimitMax(double value) {
  if (value == m_LimitMax) return;
  m_LimitMax = value;
  Repaint();
}

void ctlBar::SetValue(double value) {
  if (value == m_Value) return;
  m_Value = value;
  Repaint();
}

void ctlBar::SetStart_at_Zero(bool value) {
  if (value == m_Start_at_Zero) return;
  m_Start_at_Zero = value;
  Repaint();
}

double ctlBar::X(double value) const {
  const double min = scale_->Min();
  const double max = scale_->Max();
  if (min == max) return 0;
  // Positions are Single values on the drawing surface.
  return static_cast<float>((value - min) * ScaleWidth() / (max - min));
}

void ctlBar::DrawBar() {
  const double h = static_cast<float>(ScaleHeight() * kBarShare);
  const double x0 = m_Start_at_Zero ? X(0) : 0;
  forms::Surface& canvas = Canvas();
  // A value that is no number, or an infinite one, has no place on the
  // bar: it draws nothing rather than a box without bounds.
  const auto box = [&](double left, double right, forms::OleColor color) {
    if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(h)) return;
    canvas.FillBox({left, 0}, {right, h}, color);
  };
  box(x0, X(m_Value), m_Color);
  // The marks are rectangles of no width: vertical lines.
  box(X(m_LimitMin), X(m_LimitMin), m_LimitColor);
  box(X(m_LimitMax), X(m_LimitMax), m_LimitColor);
}

void ctlBar::Describe(forms::ControlState& state) const {
  forms::UserControl::Describe(state);
  state.attributes.emplace_back("bar", "1");
  state.attributes.emplace_back("caption", scale_->Caption());
  state.attributes.emplace_back("value", controls::LogNumber(m_Value));
  state.attributes.emplace_back("range_min", controls::LogNumber(scale_->Min()));
  state.attributes.emplace_back("range_max", controls::LogNumber(scale_->Max()));
  state.attributes.emplace_back("limit_min", controls::LogNumber(m_LimitMin));
  state.attributes.emplace_back("limit_max", controls::LogNumber(m_LimitMax));
  state.attributes.emplace_back("zero", m_Start_at_Zero ? "1" : "0");
  state.attributes.emplace_back("color", std::to_string(m_Color));
  state.attributes.emplace_back("limit_color", std::to_string(m_LimitColor));
}

void ctlBar::Repaint() {
  Canvas().Cls();
  Paint();
}

}  // namespace dtm
