#include "platform/controls/trend.h"

#include <algorithm>
#include <cstdio>

#include "platform/com/calendar.h"
#include "platform/com/error.h"

namespace dtm::controls {
namespace {

constexpr char kTrendSource[] = "Trend";
constexpr char kScaleSource[] = "Scale";

std::string LogBool(bool value) { return value ? "True" : "False"; }

std::string Indexed(std::string_view name, std::int32_t index, const std::string& value) {
  return std::string(name) + "(" + std::to_string(index) + ")=" + value;
}

[[noreturn]] void ThrowBadIndex(const char* source) {
  throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", source);
}

void NeedArgs(std::span<const com::Variant> args, std::size_t count, const char* source) {
  if (args.size() != count) com::ThrowInvalidProcedureCall(source);
}

}  // namespace

std::string LogNumber(double value) {
  if (value == 0) return "0";  // also -0
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

// ---------------------------------------------------------------- Trend

Trend::Trend(std::string name) : forms::Control(forms::ControlKind::kOther, std::move(name)) {
  state_.curves.resize(kCurves);
}

double Trend::DateToTime(std::int32_t year, std::int32_t month, std::int32_t day,
                         std::int32_t hour, std::int32_t minute, std::int32_t second,
                         std::int32_t millisecond) {
  if (month < 1 || month > 12 || day < 1 ||
      static_cast<unsigned>(day) > com::DaysInMonth(year, static_cast<unsigned>(month))) {
    ThrowBadIndex(kTrendSource);
  }
  const std::int64_t days =
      com::DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  return static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second +
         millisecond / 1000.0;
}

Trend::Axis& Trend::AxisAt(std::int32_t axis) {
  if (axis < 0 || axis >= kAxes) ThrowBadIndex(kTrendSource);
  return state_.axis;
}

Trend::Curve& Trend::CurveAt(std::int32_t curve) {
  if (curve < 0 || curve >= kCurves) ThrowBadIndex(kTrendSource);
  return state_.curves[static_cast<std::size_t>(curve)];
}

void Trend::Log(std::string call) { calls_.push_back(std::move(call)); }

void Trend::Changed() {
  if (state_.hold) {
    pending_paint_ = true;
  } else {
    ++state_.redraws;
  }
}

void Trend::RaiseChange() {
  if (on_change_) on_change_();
}

void Trend::SetXRangeMin(std::int32_t axis, double value) {
  AxisAt(axis).range_min = value;
  Log(Indexed("XRangeMin", axis, LogNumber(value)));
  Changed();
}

void Trend::SetXRangeMax(std::int32_t axis, double value) {
  AxisAt(axis).range_max = value;
  Log(Indexed("XRangeMax", axis, LogNumber(value)));
  Changed();
}

void Trend::SetXViewMin(std::int32_t axis, double value) {
  AxisAt(axis).view_min = value;
  Log(Indexed("XViewMin", axis, LogNumber(value)));
  Changed();
}

void Trend::SetXViewMax(std::int32_t axis, double value) {
  AxisAt(axis).view_max = value;
  Log(Indexed("XViewMax", axis, LogNumber(value)));
  Changed();
}

void Trend::SetXAxisTitle(std::int32_t axis, std::string title) {
  Log(Indexed("XAxisTitle", axis, title));
  AxisAt(axis).title = std::move(title);
  Changed();
}

void Trend::SetSampleTime(std::int32_t axis, double x) {
  AxisAt(axis).sample_time = x;
  Log(Indexed("SampleTime", axis, LogNumber(x)));
}

void Trend::SetXAutoRange(std::int32_t axis, bool on) {
  AxisAt(axis).auto_range = on;
  Log(Indexed("XAutoRange", axis, LogBool(on)));
  Changed();
}

void Trend::SetXGrid(std::int32_t axis, bool on) {
  AxisAt(axis).grid = on;
  Log(Indexed("XGrid", axis, LogBool(on)));
  Changed();
}

void Trend::SetCurveName(std::int32_t curve, std::string name) {
  Log(Indexed("CurveName", curve, name));
  CurveAt(curve).name = std::move(name);
  Changed();
}

void Trend::SetCurveRangeMin(std::int32_t curve, double value) {
  CurveAt(curve).range_min = value;
  Log(Indexed("CurveRangeMin", curve, LogNumber(value)));
  Changed();
}

void Trend::SetCurveRangeMax(std::int32_t curve, double value) {
  CurveAt(curve).range_max = value;
  Log(Indexed("CurveRangeMax", curve, LogNumber(value)));
  Changed();
}

void Trend::SetCurveViewMin(std::int32_t curve, double value) {
  CurveAt(curve).view_min = value;
  Log(Indexed("CurveViewMin", curve, LogNumber(value)));
  Changed();
}

void Trend::SetCurveViewMax(std::int32_t curve, double value) {
  CurveAt(curve).view_max = value;
  Log(Indexed("CurveViewMax", curve, LogNumber(value)));
  Changed();
}

void Trend::SetCurveVisible(std::int32_t curve, bool visible) {
  CurveAt(curve).visible = visible;
  Log(Indexed("CurveVisible", curve, LogBool(visible)));
  Changed();
}

void Trend::SetCurveScale(std::int32_t curve, bool on) {
  CurveAt(curve).scale = on;
  Log(Indexed("CurveScale", curve, LogBool(on)));
  Changed();
}

void Trend::SetCurveStyle(std::int32_t curve, std::int32_t style) {
  CurveAt(curve).style = style;
  Log(Indexed("CurveStyle", curve, std::to_string(style)));
  Changed();
}

void Trend::SampleValue(std::int32_t curve, double value) {
  Curve& target = CurveAt(curve);
  const double x = state_.axis.sample_time;
  target.samples.push_back({x, value, false});
  Log(Indexed("SampleValue", curve, LogNumber(value)));
  if (state_.follow_mode && x > state_.axis.view_max) {
    const double shift = x - state_.axis.view_max;
    state_.axis.view_min += shift;
    state_.axis.view_max = x;
  }
  Changed();
}

void Trend::SampleGap(std::int32_t curve, bool gap) {
  Curve& target = CurveAt(curve);
  Log(Indexed("SampleGap", curve, LogBool(gap)));
  if (!gap) return;
  target.samples.push_back({state_.axis.sample_time, 0, true});
  Changed();
}

void Trend::Reset(std::int32_t curve) {
  CurveAt(curve).samples.clear();
  Log("Reset(" + std::to_string(curve) + ")");
  Changed();
}

void Trend::SetX(std::int32_t curve, std::int32_t first, std::span<const double> values) {
  Curve& target = CurveAt(curve);
  if (first < 0) ThrowBadIndex(kTrendSource);
  const std::size_t begin = static_cast<std::size_t>(first);
  if (target.x.size() < begin + values.size()) target.x.resize(begin + values.size());
  std::copy(values.begin(), values.end(), target.x.begin() + static_cast<std::ptrdiff_t>(begin));
  Log("SetX(" + std::to_string(curve) + "," + std::to_string(first) + "," +
      std::to_string(values.size()) + ")");
  Changed();
}

void Trend::SetY(std::int32_t curve, std::int32_t first, std::span<const double> values,
                 std::span<const std::int32_t> flags, bool update) {
  Curve& target = CurveAt(curve);
  if (first < 0) ThrowBadIndex(kTrendSource);
  const std::size_t begin = static_cast<std::size_t>(first);
  const std::size_t end = begin + values.size();
  if (target.y.size() < end) target.y.resize(end);
  if (target.flags.size() < end) target.flags.resize(end);
  for (std::size_t i = 0; i < values.size(); ++i) {
    target.y[begin + i] = values[i];
    target.flags[begin + i] = i < flags.size() ? flags[i] : 0;
  }
  Log("SetY(" + std::to_string(curve) + "," + std::to_string(first) + "," +
      std::to_string(values.size()) + "," + LogBool(update) + ")");
  if (update) Changed();
}

void Trend::SetFollowMode(bool on) {
  state_.follow_mode = on;
  Log("FollowMode=" + LogBool(on));
}

void Trend::SetHold(bool on) {
  Log("Hold=" + LogBool(on));
  state_.hold = on;
  if (!on && pending_paint_) {
    pending_paint_ = false;
    ++state_.redraws;
  }
}

void Trend::SetLegend(bool on) {
  state_.legend = on;
  Log("Legend=" + LogBool(on));
  Changed();
}

void Trend::SetBackColor(std::int32_t color) {
  state_.back_color = color;
  char text[16];
  std::snprintf(text, sizeof text, "&H%X", static_cast<unsigned>(color));
  Log(std::string("BackColor=") + text);
  Changed();
}

void Trend::Refresh() {
  Log("Refresh");
  pending_paint_ = false;
  ++state_.redraws;
}

void Trend::UserSetFollowMode(bool on) {
  state_.follow_mode = on;
  Changed();
  RaiseChange();
}

void Trend::UserSetCurveVisible(std::int32_t curve, bool visible) {
  CurveAt(curve).visible = visible;
  Changed();
  RaiseChange();
}

void Trend::UserSetView(double view_min, double view_max) {
  state_.axis.view_min = view_min;
  state_.axis.view_max = view_max;
  // Moving the window by hand stops it following.
  state_.follow_mode = false;
  Changed();
  RaiseChange();
}

bool Trend::GetIndexed(std::string_view name, std::int32_t index, com::Variant& out) {
  if (name == "XRangeMin") out = AxisAt(index).range_min;
  else if (name == "XRangeMax") out = AxisAt(index).range_max;
  else if (name == "XViewMin" || name == "StartX") out = AxisAt(index).view_min;
  else if (name == "XViewMax" || name == "EndX") out = AxisAt(index).view_max;
  else if (name == "XAxisTitle") out = AxisAt(index).title;
  else if (name == "SampleTime") out = AxisAt(index).sample_time;
  else if (name == "XAutoRange") out = AxisAt(index).auto_range;
  else if (name == "XGrid") out = AxisAt(index).grid;
  else if (name == "CurveName") out = CurveAt(index).name;
  else if (name == "CurveRangeMin") out = CurveAt(index).range_min;
  else if (name == "CurveRangeMax") out = CurveAt(index).range_max;
  else if (name == "CurveViewMin") out = CurveAt(index).view_min;
  else if (name == "CurveViewMax") out = CurveAt(index).view_max;
  else if (name == "CurveVisible") out = CurveAt(index).visible;
  else if (name == "CurveScale") out = CurveAt(index).scale;
  else if (name == "CurveStyle") out = CurveAt(index).style;
  else return false;
  return true;
}

bool Trend::SetIndexed(std::string_view name, std::int32_t index, const com::Variant& value) {
  if (name == "XRangeMin") SetXRangeMin(index, value.ToDouble());
  else if (name == "XRangeMax") SetXRangeMax(index, value.ToDouble());
  else if (name == "XViewMin" || name == "StartX") SetXViewMin(index, value.ToDouble());
  else if (name == "XViewMax" || name == "EndX") SetXViewMax(index, value.ToDouble());
  else if (name == "XAxisTitle") SetXAxisTitle(index, value.ToString());
  else if (name == "SampleTime") SetSampleTime(index, value.ToDouble());
  else if (name == "XAutoRange") SetXAutoRange(index, value.ToBoolean());
  else if (name == "XGrid") SetXGrid(index, value.ToBoolean());
  else if (name == "CurveName") SetCurveName(index, value.ToString());
  else if (name == "CurveRangeMin") SetCurveRangeMin(index, value.ToDouble());
  else if (name == "CurveRangeMax") SetCurveRangeMax(index, value.ToDouble());
  else if (name == "CurveViewMin") SetCurveViewMin(index, value.ToDouble());
  else if (name == "CurveViewMax") SetCurveViewMax(index, value.ToDouble());
  else if (name == "CurveVisible") SetCurveVisible(index, value.ToBoolean());
  else if (name == "CurveScale") SetCurveScale(index, value.ToBoolean());
  else if (name == "CurveStyle") SetCurveStyle(index, value.ToLong());
  else if (name == "SampleValue") SampleValue(index, value.ToDouble());
  else if (name == "SampleGap") SampleGap(index, value.ToBoolean());
  else return false;
  return true;
}

com::Variant Trend::GetProperty(std::string_view name) {
  if (name == "FollowMode") return state_.follow_mode;
  if (name == "Hold") return state_.hold;
  if (name == "Legend") return state_.legend;
  if (name == "BackColor") return state_.back_color;
  if (name == "Name") return Name();
  com::Variant value;
  if (GetIndexed(name, 0, value)) return value;
  return Control::GetProperty(name);
}

void Trend::SetProperty(std::string_view name, const com::Variant& value) {
  if (name == "FollowMode") return SetFollowMode(value.ToBoolean());
  if (name == "Hold") return SetHold(value.ToBoolean());
  if (name == "Legend") return SetLegend(value.ToBoolean());
  if (name == "BackColor") return SetBackColor(value.ToLong());
  if (SetIndexed(name, 0, value)) return;
  Control::SetProperty(name, value);
}

com::Variant Trend::Invoke(std::string_view name, std::span<const com::Variant> args) {
  if (name == "Refresh") {
    NeedArgs(args, 0, kTrendSource);
    Refresh();
    return {};
  }
  if (name == "Reset") {
    NeedArgs(args, 1, kTrendSource);
    Reset(args[0].ToLong());
    return {};
  }
  if (name == "DateToTime") {
    NeedArgs(args, 7, kTrendSource);
    return DateToTime(args[0].ToLong(), args[1].ToLong(), args[2].ToLong(), args[3].ToLong(),
                      args[4].ToLong(), args[5].ToLong(), args[6].ToLong());
  }
  if (args.size() == 1) {
    com::Variant value;
    if (GetIndexed(name, args[0].ToLong(), value)) return value;
  } else if (args.size() == 2) {
    if (SetIndexed(name, args[0].ToLong(), args[1])) return {};
  }
  return Control::Invoke(name, args);
}

// ---------------------------------------------------------------- Scale

void Trend::Describe(forms::ControlState& state) const {
  forms::Control::Describe(state);
  state.kind = "Trend";
  state.back_color = state_.back_color;
  auto& a = state.attributes;
  a.emplace_back("x_title", state_.axis.title);
  a.emplace_back("x_view_min", LogNumber(state_.axis.view_min));
  a.emplace_back("x_view_max", LogNumber(state_.axis.view_max));
  a.emplace_back("x_range_min", LogNumber(state_.axis.range_min));
  a.emplace_back("x_range_max", LogNumber(state_.axis.range_max));
  a.emplace_back("follow_mode", state_.follow_mode ? "1" : "0");
  std::int32_t described = 0;
  for (std::size_t c = 0; c < state_.curves.size(); ++c) {
    const Curve& curve = state_.curves[c];
    if (curve.name.empty() && curve.samples.empty() && curve.x.empty()) continue;
    ++described;
    const std::string stem = "curve." + std::to_string(c) + ".";
    a.emplace_back(stem + "name", curve.name);
    a.emplace_back(stem + "visible", curve.visible ? "1" : "0");
    a.emplace_back(stem + "view_min", LogNumber(curve.view_min));
    a.emplace_back(stem + "view_max", LogNumber(curve.view_max));
    std::string samples;
    for (const Sample& sample : curve.samples) {
      if (!samples.empty()) samples += ' ';
      samples += LogNumber(sample.x) + ":" + (sample.gap ? std::string("gap") : LogNumber(sample.value));
    }
    a.emplace_back(stem + "samples", samples);
    std::string points;
    const std::size_t count = std::min(curve.x.size(), curve.y.size());
    for (std::size_t i = 0; i < count; ++i) {
      if (i < curve.flags.size() && curve.flags[i] != 0) continue;
      if (!points.empty()) points += ' ';
      points += LogNumber(curve.x[i]) + ":" + LogNumber(curve.y[i]);
    }
    a.emplace_back(stem + "points", points);
  }
  a.emplace_back("curves", std::to_string(described));
}

Scale::Scale(std::string name) : forms::Control(forms::ControlKind::kOther, std::move(name)) {}

void Scale::SetCaption(std::string caption) {
  Log("Caption=" + caption);
  Control::SetCaption(caption);
  state_.caption = std::move(caption);
}

void Scale::SetMin(double value) {
  state_.min = value;
  Log("Min=" + LogNumber(value));
}

void Scale::SetMax(double value) {
  state_.max = value;
  Log("Max=" + LogNumber(value));
}

void Scale::SetViewMin(double value) {
  state_.view_min = value;
  Log("ViewMin=" + LogNumber(value));
}

void Scale::SetViewMax(double value) {
  state_.view_max = value;
  Log("ViewMax=" + LogNumber(value));
}

void Scale::Prepare(std::int32_t code, bool flag) {
  state_.prepare_code = code;
  state_.prepare_flag = flag;
  ++state_.prepared;
  Log("Prepare(" + std::to_string(code) + "," + LogBool(flag) + ")");
}

void Scale::Move(double left, double top, double width, double height) {
  state_.left = left;
  state_.top = top;
  state_.width = width;
  state_.height = height;
  Log("Move(" + LogNumber(left) + "," + LogNumber(top) + "," + LogNumber(width) + "," +
      LogNumber(height) + ")");
}

void Scale::UserSetView(double view_min, double view_max) {
  state_.view_min = view_min;
  state_.view_max = view_max;
  if (on_change_) on_change_();
}

com::Variant Scale::GetProperty(std::string_view name) {
  if (name == "Caption") return state_.caption;
  if (name == "Min") return state_.min;
  if (name == "Max") return state_.max;
  if (name == "ViewMin") return state_.view_min;
  if (name == "ViewMax") return state_.view_max;
  if (name == "Name") return Name();
  return Control::GetProperty(name);
}

void Scale::SetProperty(std::string_view name, const com::Variant& value) {
  if (name == "Caption") return SetCaption(value.ToString());
  if (name == "Min") return SetMin(value.ToDouble());
  if (name == "Max") return SetMax(value.ToDouble());
  if (name == "ViewMin") return SetViewMin(value.ToDouble());
  if (name == "ViewMax") return SetViewMax(value.ToDouble());
  Control::SetProperty(name, value);
}

com::Variant Scale::Invoke(std::string_view name, std::span<const com::Variant> args) {
  if (name == "Prepare") {
    NeedArgs(args, 2, kScaleSource);
    Prepare(args[0].ToLong(), args[1].ToBoolean());
    return {};
  }
  if (name == "Move") {
    if (args.empty() || args.size() > 4) com::ThrowInvalidProcedureCall(kScaleSource);
    // Left alone moves; the missing sizes keep their values, as Move does.
    const double left = args[0].ToDouble();
    const double top = args.size() > 1 ? args[1].ToDouble() : state_.top;
    const double width = args.size() > 2 ? args[2].ToDouble() : state_.width;
    const double height = args.size() > 3 ? args[3].ToDouble() : state_.height;
    Move(left, top, width, height);
    return {};
  }
  return Control::Invoke(name, args);
}

}  // namespace dtm::controls
