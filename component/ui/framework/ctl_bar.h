#pragma once
// One value as a horizontal bar over a scale, with two limit marks. The top
// quarter of the control holds the bar, drawn on the control's surface; the
// scale below it (Scale1) keeps the range and draws the axis with its
// caption.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls/trend.h"
#include "platform/forms/colors.h"
#include "platform/forms/user_control.h"

namespace dtm {

class ctlBar : public forms::UserControl {
 public:
  // What the bar asks the scale to prepare when it is shown.
  static constexpr std::int32_t kScalePrepareCode = 13003;

  // `name` is the instance's name on its page; a page with several bars
  // names each.
  explicit ctlBar(std::string name = "ctlBar");

  // Every let acts only on a new value: the same value neither repaints nor
  // marks a property changed.
  std::string Caption() const;
  void SetCaption(const std::string& caption);
  forms::OleColor Color() const { return m_Color; }
  void SetColor(forms::OleColor color);
  forms::OleColor LimitColor() const { return m_LimitColor; }
  void SetLimitColor(forms::OleColor color);
  double RangeMin() const;
  void SetRangeMin(double value);
  double RangeMax() const;
  void SetRangeMax(double value);
  double LimitMin() const { return m_LimitMin; }
  void SetLimitMin(double value);
  double LimitMax() const { return m_LimitMax; }
  void SetLimitMax(double value);
  double Value() const { return m_Value; }
  void SetValue(double value);
  bool Start_at_Zero() const { return m_Start_at_Zero; }
  void SetStart_at_Zero(bool value);

  controls::Scale& Scale1() const { return *scale_; }

  // Adds what the bar shows, for the renderers: "bar" ("1"), "caption",
  // "value", "range_min", "range_max", "limit_min", "limit_max", "zero"
  // ("1" when the bar starts at zero), "color" and "limit_color" (OLE
  // colours as decimal numbers). Numbers as the call logs write them.
  void Describe(forms::ControlState& state) const override;

 private:
  // The x of a value in the control's scale; 0 for every value while the
  // range is empty.
  double X(double value) const;
  void DrawBar();
  // The surface keeps what was drawn, so a repaint starts from a clear one.
  void Repaint();

  std::shared_ptr<controls::Scale> scale_;

  forms::OleColor m_Color = 0;
  forms::OleColor m_LimitColor = 0;
  double m_Value = 0;
  bool m_Start_at_Zero = false;
  double m_LimitMin = 0;
  double m_LimitMax = 0;
};

}  // namespace dtm
