#pragma once
// The chart library's two controls: `Trend`, a chart with one time axis and
// eight curves, and `Scale`, an axis with a caption. Neither draws anything:
// each keeps what it is told, as its current state (plain data a renderer
// draws from) and as a call log (what tests assert).
//
// Late binding. A plain property is read with GetProperty and written with
// SetProperty. An indexed property (axis or curve number first) is read with
// Invoke(name, {index}) and written with Invoke(name, {index, value}); read
// or written without an index through GetProperty/SetProperty it means
// index 0. Methods go through Invoke. Numbers outside the axes or curves the
// chart has, and a missing argument, raise 380 (Invalid property value) and
// 5 (Invalid procedure call).
//
// The chart's own controls (a user switching a curve, follow mode or the
// scale's view) are reached through the User* members, which change the
// state and then raise the control's Change event. A change made from code
// raises no Change event.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/forms/controls.h"

namespace dtm::controls {

// System colours, kept as the 0x800000xx codes the forms use.
inline constexpr std::int32_t kColorWindow = static_cast<std::int32_t>(0x80000005u);

class Trend : public forms::Control {
 public:
  static constexpr std::int32_t kAxes = 1;
  static constexpr std::int32_t kCurves = 8;

  // One sample of a curve: the value at time `x`, or a gap there (the line
  // breaks), `value` then being 0.
  struct Sample {
    double x = 0;
    double value = 0;
    bool gap = false;
    friend bool operator==(const Sample&, const Sample&) = default;
  };
  // The time axis. Times are seconds (DateToTime).
  struct Axis {
    double range_min = 0;  // the span the chart can show and scroll through
    double range_max = 100;
    double view_min = 0;   // the visible window
    double view_max = 100;
    std::string title;
    double sample_time = 0;  // the time of the next sample
    bool auto_range = false;  // switch: fit the window to the samples (a one-shot)
    bool grid = false;        // switch: draw the axis grid
  };
  struct Curve {
    std::string name;  // the legend, shown as the value-axis title
    double range_min = 0;
    double range_max = 100;
    double view_min = 0;  // the part of the range the curve's scale shows
    double view_max = 100;
    bool visible = true;
    bool scale = false;   // switch: the curve's own scale is drawn
    std::int32_t style = 0;  // line style number
    std::vector<Sample> samples;  // in the order they were appended
    // The curve's point set (SetX/SetY), apart from its samples. A point
    // whose flag is not 0 is not drawn.
    std::vector<double> x;
    std::vector<double> y;
    std::vector<std::int32_t> flags;
  };
  struct State {
    Axis axis;
    std::vector<Curve> curves;  // kCurves of them
    bool follow_mode = false;  // the window follows the newest sample
    bool hold = false;         // drawing is put off until hold ends
    bool legend = false;       // switch: the legend is drawn
    std::int32_t back_color = kColorWindow;
    std::int32_t redraws = 0;  // times the chart painted itself
  };

  explicit Trend(std::string name = "Trend1");

  const State& GetState() const { return state_; }
  // Every call that changed or acted on the chart, in order, e.g.
  // "XViewMin(0)=0", "SampleValue(2)=1.5", "Hold=True", "Reset(0)",
  // "SetX(0,0,11)", "Refresh".
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  // The chart's time value of a local date and time: seconds since
  // 1970-01-01 00:00, the date taken as given (no time zone).
  static double DateToTime(std::int32_t year, std::int32_t month, std::int32_t day,
                           std::int32_t hour, std::int32_t minute, std::int32_t second,
                           std::int32_t millisecond);

  // Time axis (axis 0 only).
  void SetXRangeMin(std::int32_t axis, double value);
  void SetXRangeMax(std::int32_t axis, double value);
  void SetXViewMin(std::int32_t axis, double value);
  void SetXViewMax(std::int32_t axis, double value);
  void SetXAxisTitle(std::int32_t axis, std::string title);
  void SetSampleTime(std::int32_t axis, double x);
  void SetXAutoRange(std::int32_t axis, bool on);
  void SetXGrid(std::int32_t axis, bool on);

  // Curves 0..kCurves-1.
  void SetCurveName(std::int32_t curve, std::string name);
  void SetCurveRangeMin(std::int32_t curve, double value);
  void SetCurveRangeMax(std::int32_t curve, double value);
  void SetCurveViewMin(std::int32_t curve, double value);
  void SetCurveViewMax(std::int32_t curve, double value);
  void SetCurveVisible(std::int32_t curve, bool visible);
  void SetCurveScale(std::int32_t curve, bool on);
  void SetCurveStyle(std::int32_t curve, std::int32_t style);
  // Appends a sample at the axis' sample time; with follow mode on, a
  // sample right of the window moves the window so that it ends there.
  void SampleValue(std::int32_t curve, double value);
  // True appends a gap at the sample time; False does nothing.
  void SampleGap(std::int32_t curve, bool gap);
  // Forgets the curve's samples (its point set stays).
  void Reset(std::int32_t curve);
  // The point set from `first` on: x values; then y values with a flag per
  // point (missing flags count as 0). `update` True paints (or marks the
  // held chart for painting); False only stores.
  void SetX(std::int32_t curve, std::int32_t first, std::span<const double> values);
  void SetY(std::int32_t curve, std::int32_t first, std::span<const double> values,
            std::span<const std::int32_t> flags, bool update);

  void SetFollowMode(bool on);
  // While held, changes paint nothing; releasing the hold paints once when
  // anything changed meanwhile.
  void SetHold(bool on);
  void SetLegend(bool on);
  std::int32_t BackColor() const { return state_.back_color; }
  void SetBackColor(std::int32_t color);
  // The control's standard repaint.
  void Refresh();

  // The chart's own controls, then its Change event.
  void UserSetFollowMode(bool on);
  void UserSetCurveVisible(std::int32_t curve, bool visible);
  void UserSetView(double view_min, double view_max);
  void SetChangeHandler(std::function<void()> handler) { on_change_ = std::move(handler); }

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;
  com::Variant Invoke(std::string_view name, std::span<const com::Variant> args) override;

  // Kind "Trend". Attributes for a renderer: "x_title", "x_view_min",
  // "x_view_max", "x_range_min", "x_range_max", "follow_mode" ("1"/"0"), "curves" (how many are
  // described); per described curve c (each curve that has a legend,
  // samples or points, in order): "curve.c.name", "curve.c.visible",
  // "curve.c.view_min", "curve.c.view_max", "curve.c.samples" (blank-
  // separated "x:value", or "x:gap" for a gap) and "curve.c.points"
  // (blank-separated "x:y" of the point set, the points whose flag is not 0
  // left out). Numbers as LogNumber writes them.
  void Describe(forms::ControlState& state) const override;

 private:
  Axis& AxisAt(std::int32_t axis);
  Curve& CurveAt(std::int32_t curve);
  void Log(std::string call);
  void Changed();  // paints now, or after the hold
  void RaiseChange();
  bool GetIndexed(std::string_view name, std::int32_t index, com::Variant& out);
  bool SetIndexed(std::string_view name, std::int32_t index, const com::Variant& value);

  State state_;
  std::vector<std::string> calls_;
  bool pending_paint_ = false;
  std::function<void()> on_change_;
};

// An axis with a caption, placed inside another control.
class Scale : public forms::Control {
 public:
  struct State {
    std::string caption;
    double min = 0;
    double max = 100;
    double view_min = 0;
    double view_max = 100;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    std::int32_t prepare_code = 0;  // the last Prepare's arguments
    bool prepare_flag = false;
    std::int32_t prepared = 0;  // how often Prepare ran
  };

  explicit Scale(std::string name = "Scale1");

  const State& GetState() const { return state_; }
  // E.g. "Min=0", "Caption=w [%]", "Prepare(13003,True)", "Move(0,25,200,75)".
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  const std::string& Caption() const { return state_.caption; }
  void SetCaption(std::string caption);
  double Min() const { return state_.min; }
  void SetMin(double value);
  double Max() const { return state_.max; }
  void SetMax(double value);
  double ViewMin() const { return state_.view_min; }
  void SetViewMin(double value);
  double ViewMax() const { return state_.view_max; }
  void SetViewMax(double value);
  // What the code means is the scale's own; it is kept for renderers.
  void Prepare(std::int32_t code, bool flag);
  void Move(double left, double top, double width, double height);

  // The scale's own controls (a user zooming), then its Change event.
  void UserSetView(double view_min, double view_max);
  void SetChangeHandler(std::function<void()> handler) { on_change_ = std::move(handler); }

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;
  com::Variant Invoke(std::string_view name, std::span<const com::Variant> args) override;

 private:
  void Log(std::string call) { calls_.push_back(std::move(call)); }

  State state_;
  std::vector<std::string> calls_;
  std::function<void()> on_change_;
};

// A number as the call logs write it: the shortest of up to 15 significant
// digits, with a point ("0", "-1.5", "31536000").
std::string LogNumber(double value);

}  // namespace dtm::controls
