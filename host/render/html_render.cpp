#include "host/render/html_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "host/render/pictures.h"

namespace dtm::render {
namespace {

constexpr const char* kStyle = R"(
body { margin: 0; padding: 16px; background: #d4d0c8; font: 13px Tahoma, Verdana, sans-serif; color: #000; }
.page { max-width: 760px; margin: 0 auto; background: #f0f0f0; border: 1px solid #808080; box-shadow: 2px 2px 6px #888; }
.headline { display: flex; align-items: baseline; gap: 12px; padding: 8px 12px; background: linear-gradient(#0a246a, #3a6ea5); color: #fff; }
.headline h1 { margin: 0; font-size: 16px; font-weight: bold; }
.headline .function { font-size: 11px; opacity: 0.8; }
.form { padding: 10px 12px; display: flex; flex-direction: column; gap: 6px; }
.frame { border: 1px solid #a0a0a0; padding: 6px 8px; margin: 0; display: flex; flex-direction: column; gap: 4px; }
.frame legend { padding: 0 4px; }
.tabs { display: flex; gap: 2px; border-bottom: 1px solid #808080; }
.tab { padding: 3px 10px; border: 1px solid #a0a0a0; border-bottom: none; background: #e0e0e0; }
.tab.selected { background: #fff; font-weight: bold; }
.field { display: grid; grid-template-columns: 220px 140px 60px 1fr; align-items: center; gap: 6px; }
.field .value { background: #fff; border: 1px inset #a0a0a0; padding: 1px 4px; min-height: 16px; }
.field.locked .value { background: #e8e8e8; color: #555; }
.field .icon { font-size: 11px; color: #0a246a; display: flex; align-items: center; gap: 4px; }
.field select.value { font: inherit; padding: 0 2px; }
.headline .logo { margin-left: auto; display: flex; gap: 8px; align-items: center; }
.headline .logo svg { display: block; }
.bar-control { display: grid; grid-template-columns: 220px 1fr; align-items: center; gap: 6px; }
.bar-control svg { width: 100%; max-width: 360px; height: auto; display: block; }
.picture svg.pic { display: inline-block; vertical-align: middle; background: none; border: none; }
.image { display: inline-flex; align-items: center; gap: 4px; }
.pair { display: flex; align-items: center; gap: 6px; }
.lock { font-size: 11px; color: #a00; }
.disabled { color: #8a8a8a; }
.buttons { display: flex; gap: 6px; flex-wrap: wrap; }
.page button { font: inherit; padding: 3px 14px; min-width: 80px; }
.list { background: #fff; border: 1px inset #a0a0a0; font: 12px "Courier New", monospace; white-space: pre; overflow: auto; max-height: 480px; padding: 2px 4px; margin: 0; }
.shape { display: inline-block; width: 14px; height: 14px; border-radius: 7px; border: 1px solid #404040; vertical-align: middle; }
.picture svg { background: #fff; border: 1px solid #a0a0a0; max-width: 100%; height: auto; }
.boxes, .errors { padding: 8px 12px; border-top: 1px solid #a0a0a0; }
.boxes h2, .errors h2 { font-size: 13px; margin: 0 0 6px; }
.box { background: #fff; border: 1px solid #808080; padding: 6px 8px; margin-bottom: 6px; white-space: pre-wrap; }
.box .answer { margin-top: 4px; font-weight: bold; }
.errors li { color: #a00; }
.trend svg { background: #fff; border: 1px solid #a0a0a0; max-width: 100%; height: auto; }
)";

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string NameOf(const ControlState& s) {
  return s.index ? s.name + "(" + std::to_string(*s.index) + ")" : s.name;
}

std::string Attr(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + EscapeHtml(value) + "\"";
}

bool Unseen(const ControlState& s) {
  return !s.visible || s.kind == "Timer" || s.kind == "ImageList" || s.kind == "CommonDialog" ||
         s.kind == "Menu";
}

std::string Classes(const char* base, const ControlState& s) {
  std::string out = base;
  if (!s.enabled) out += " disabled";
  if (s.locked) out += " locked";
  return out;
}

// ---- The trend chart ------------------------------------------------------------------------

// One curve as the chart describes it.
struct TrendCurve {
  std::size_t number = 0;
  std::string name;
  bool visible = true;
  double view_min = 0, view_max = 100;
  // Runs of samples without a gap; a gap ends a run.
  std::vector<std::vector<Point>> runs;
  std::size_t gaps = 0;
  bool timed = false;  // it holds samples, stamped with times
  bool points = false;  // it holds a point set
};

// A number of the chart's description; `fallback` for none and for one
// that is not finite, so no NaN or infinity reaches the drawing.
double ParseNumber(const std::string& text, double fallback) {
  return FiniteNumber(text).value_or(fallback);
}

// "x:value x:gap ..." (or the point set "x:y ...") into runs.
void ParseRuns(const std::string& text, TrendCurve& curve) {
  std::istringstream in(text);
  std::string item;
  std::vector<Point> run;
  while (in >> item) {
    const std::size_t colon = item.find(':');
    if (colon == std::string::npos) continue;
    const double x = ParseNumber(item.substr(0, colon), 0);
    const std::string value = item.substr(colon + 1);
    // A value that is no finite number cannot be drawn: the line breaks
    // there as at a gap.
    if (value == "gap" || !FiniteNumber(value) || !FiniteNumber(item.substr(0, colon))) {
      ++curve.gaps;
      if (!run.empty()) curve.runs.push_back(std::move(run));
      run.clear();
      continue;
    }
    run.push_back({x, ParseNumber(value, 0)});
  }
  if (!run.empty()) curve.runs.push_back(std::move(run));
}

std::vector<TrendCurve> TrendCurves(const ControlState& s) {
  std::vector<TrendCurve> curves;
  for (std::size_t c = 0; c < 8; ++c) {
    const std::string stem = "curve." + std::to_string(c) + ".";
    if (s.Attribute(stem + "visible").empty()) continue;
    TrendCurve curve;
    curve.number = c;
    curve.name = s.Attribute(stem + "name");
    curve.visible = s.Attribute(stem + "visible") == "1";
    curve.view_min = ParseNumber(s.Attribute(stem + "view_min"), 0);
    curve.view_max = ParseNumber(s.Attribute(stem + "view_max"), 100);
    curve.timed = !s.Attribute(stem + "samples").empty();
    curve.points = !s.Attribute(stem + "points").empty();
    ParseRuns(s.Attribute(stem + "samples"), curve);
    ParseRuns(s.Attribute(stem + "points"), curve);
    curves.push_back(std::move(curve));
  }
  return curves;
}

// A time of the chart (seconds of a calendar day count) as hh:mm:ss.
std::string TimeOfDay(double seconds) {
  const long long whole = static_cast<long long>(std::floor(seconds));
  const long long day = ((whole % 86400) + 86400) % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", day / 3600, day / 60 % 60, day % 60);
  return text;
}

constexpr const char* kCurveColours[8] = {"#0000ff", "#008000", "#c000c0", "#ff0000",
                                          "#808000", "#008080", "#800000", "#000000"};

// The chart as SVG: a frame, the time axis with its window's ends and
// title, each shown curve as polylines broken at its gaps, and the legend.
// A number as the page's language writes it: German takes the decimal comma.
std::string SaidNumber(double value, bool german) {
  std::string text = Number(value);
  if (german) std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

std::string TrendSvg(const ControlState& s, bool german) {
  constexpr double kWidth = 640, kHeight = 320;
  constexpr double kLeft = 50, kTop = 10, kRight = 10, kBottom = 50;
  constexpr double kPlotWidth = kWidth - kLeft - kRight, kPlotHeight = kHeight - kTop - kBottom;
  const std::vector<TrendCurve> curves = TrendCurves(s);
  double x_min = ParseNumber(s.Attribute("x_view_min"), 0);
  double x_max = ParseNumber(s.Attribute("x_view_max"), 100);
  if (!(x_max > x_min)) {
    // An empty window: the samples decide.
    bool any = false;
    for (const TrendCurve& curve : curves) {
      for (const auto& run : curve.runs) {
        for (const Point& p : run) {
          x_min = any ? std::min(x_min, p.x) : p.x;
          x_max = any ? std::max(x_max, p.x) : p.x;
          any = true;
        }
      }
    }
    if (!(x_max > x_min)) x_max = x_min + 1;
  }
  const auto sx = [&](double x) { return kLeft + (x - x_min) * kPlotWidth / (x_max - x_min); };
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + Number(kWidth) + " " +
                    Number(kHeight + 20.0 * static_cast<double>(curves.size())) +
                    "\" width=\"640\" font-size=\"11\">";
  out += "<defs><clipPath id=\"plot-" + EscapeHtml(NameOf(s)) + "\"><rect x=\"" + Number(kLeft) + "\" y=\"" +
         Number(kTop) + "\" width=\"" + Number(kPlotWidth) + "\" height=\"" + Number(kPlotHeight) +
         "\"/></clipPath></defs>";
  out += "<rect class=\"plot\" x=\"" + Number(kLeft) + "\" y=\"" + Number(kTop) + "\" width=\"" +
         Number(kPlotWidth) + "\" height=\"" + Number(kPlotHeight) + "\" fill=\"none\" stroke=\"#808080\"/>";
  // The x axis: the window's ends and its middle. The chart keeps no kind of its own: one with a point set (the
  // characteristic, whose x is a percentage) has plain numbers; any other
  // that records samples, or may scroll through more than a day, has a
  // time axis.
  const bool sampled = std::any_of(curves.begin(), curves.end(), [](const TrendCurve& c) { return c.timed; });
  const bool point_set = std::any_of(curves.begin(), curves.end(), [](const TrendCurve& c) { return c.points; });
  const double range = ParseNumber(s.Attribute("x_range_max"), 0) - ParseNumber(s.Attribute("x_range_min"), 0);
  const bool timed = !point_set && (sampled || range > 86400);
  // The ends' labels stand inside the plot's width, so none is cut off.
  const char* anchors[3] = {"start", "middle", "end"};
  for (int i = 0; i <= 2; ++i) {
    const double x = x_min + (x_max - x_min) * i / 2;
    out += "<text class=\"tick\" x=\"" + Number(sx(x)) + "\" y=\"" + Number(kTop + kPlotHeight + 14) +
           "\" text-anchor=\"" + anchors[i] + "\">" + (timed ? TimeOfDay(x) : SaidNumber(x, german)) + "</text>";
  }
  out += "<text class=\"axis-title\" x=\"" + Number(kLeft + kPlotWidth / 2) + "\" y=\"" +
         Number(kTop + kPlotHeight + 32) + "\" text-anchor=\"middle\">" + EscapeHtml(s.Attribute("x_title")) +
         "</text>";
  double legend_y = kHeight;
  for (const TrendCurve& curve : curves) {
    if (!curve.visible) continue;
    const std::string colour = kCurveColours[curve.number % 8];
    const double span = curve.view_max - curve.view_min;
    const auto sy = [&](double y) {
      return span > 0 ? kTop + kPlotHeight - (y - curve.view_min) * kPlotHeight / span : kTop + kPlotHeight;
    };
    for (const auto& run : curve.runs) {
      std::string points;
      for (const Point& p : run) {
        if (!points.empty()) points += " ";
        points += Number(sx(p.x)) + "," + Number(sy(p.y));
      }
      out += "<polyline class=\"curve-" + std::to_string(curve.number) + "\" points=\"" + points +
             "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.5\" clip-path=\"url(#plot-" +
             EscapeHtml(NameOf(s)) + ")\"/>";
    }
    out += "<line x1=\"" + Number(kLeft) + "\" y1=\"" + Number(legend_y - 4) + "\" x2=\"" + Number(kLeft + 24) +
           "\" y2=\"" + Number(legend_y - 4) + "\" stroke=\"" + colour + "\" stroke-width=\"2\"/>";
    out += "<text class=\"legend\" x=\"" + Number(kLeft + 30) + "\" y=\"" + Number(legend_y) + "\">" +
           EscapeHtml(curve.name + " (" + SaidNumber(curve.view_min, german) + " .. " +
                      SaidNumber(curve.view_max, german) + ")") +
           "</text>";
    legend_y += 20;
  }
  return out + "</svg>";
}

// How a page is drawn: live (its controls answer) or static, and the
// language of the renderer's own words.
struct Way {
  bool live = false;
  bool german = false;
};

void Control(const ControlState& s, const Way& way, std::string& out);

void Children(const ControlState& s, const Way& way, std::string& out) {
  // Buttons that stand next to each other form a row, as on the page.
  // A small picture with the label that follows it reads as one line, the
  // picture telling the state of what the label names.
  bool in_row = false;
  bool in_pair = false;
  for (std::size_t i = 0; i < s.children.size(); ++i) {
    const ControlState& child = s.children[i];
    if (Unseen(child) || child.name == "ctlHeadline") continue;
    const bool button = child.kind == "CommandButton";
    if (button && !in_row) out += "<div class=\"buttons\">";
    if (!button && in_row) out += "</div>\n";
    in_row = button;
    const bool pair = child.kind == "Image" && i + 1 < s.children.size() &&
                      s.children[i + 1].kind == "Label" && !Unseen(s.children[i + 1]);
    if (pair) out += "<div class=\"pair\">";
    Control(child, way, out);
    if (in_pair) out += "</div>\n";
    in_pair = pair;
  }
  if (in_row) out += "</div>\n";
}

void Tabs(const ControlState& s, const Way& way, std::string& out) {
  out += "<nav class=\"tabs\"" + Attr("data-name", NameOf(s)) + ">";
  for (std::size_t i = 0; i < s.tabs.size(); ++i) {
    const bool selected = i + 1 == s.selected_tab;
    out += std::string("<span class=\"tab") + (selected ? " selected" : "") + "\"" +
           (way.live ? Attr("data-tab", std::to_string(i + 1)) : "") + ">" +
           EscapeHtml(ShownCaption(s.tabs[i])) + "</span>";
  }
  out += "</nav>\n";
}

// The colours a page set on a control as its style (system colours are
// the kinds' defaults and stay the sheet's), and its tooltip as its title.
std::string Colours(const ControlState& s) {
  std::string style;
  if (!forms::IsSystemColor(s.fore_color)) style += "color:" + CssColour(s.fore_color) + ";";
  if (!forms::IsSystemColor(s.back_color)) style += "background:" + CssColour(s.back_color) + ";";
  return style.empty() ? std::string() : Attr("style", style);
}

std::string Title(const ControlState& s) {
  return s.tool_tip.empty() ? std::string() : Attr("title", s.tool_tip);
}

std::string Look(const ControlState& s) { return Colours(s) + Title(s); }

void Field(const ControlState& s, const Way& way, std::string& out) {
  std::string label = s.Attribute("label");
  if (label.empty()) label = ShownCaption(s.caption);
  const std::string value = s.text.empty() ? s.value : s.text;
  const std::vector<Choice> choices = Choices(s);
  const std::optional<Choice> chosen = Chosen(s);
  out += "<div" + Attr("class", Classes("field", s)) + Attr("data-name", NameOf(s)) + Title(s) + ">";
  out += "<label>" + EscapeHtml(label) + "</label>";
  if (!choices.empty() && !s.locked) {
    // Choosing an entry types its key, as typing it would.
    out += "<select class=\"value\"" + Colours(s) + (s.enabled ? "" : " disabled") + ">";
    if (!chosen) out += "<option" + Attr("value", value) + " selected>" + EscapeHtml(value) + "</option>";
    for (const Choice& choice : choices) {
      const bool selected = chosen && chosen->key == choice.key;
      out += "<option" + Attr("value", std::to_string(choice.key)) + (selected ? " selected" : "") + ">" +
             EscapeHtml(choice.text) + "</option>";
    }
    out += "</select>";
  } else if (way.live && s.enabled && !s.locked) {
    out += "<input class=\"value\"" + Attr("value", value) + Colours(s) + ">";
  } else {
    out += "<span class=\"value\"" + Colours(s) + ">" + EscapeHtml(chosen ? chosen->text : value) + "</span>";
  }
  out += "<span class=\"unit\">" + EscapeHtml(s.Attribute("unit")) + "</span>";
  out += "<span class=\"icon\">";
  if (const std::string icon = s.Attribute("icon"); !icon.empty()) {
    const std::string tip = s.Attribute("icon_tip");
    out += "<span class=\"status\"" + Attr("data-icon", icon) + (tip.empty() ? "" : Attr("title", tip)) + ">" +
           StatusIconSvg(icon, tip) + "</span>";
  }
  if (s.locked) out += std::string(" <span class=\"lock\">") + (way.german ? "gesperrt" : "locked") + "</span>";
  out += "</span></div>\n";
}

// A picture: its drawing, coloured as the page set it, with its state in
// words as its title when it has one; then what was drawn on it and what
// stands on it.
void Picture(const ControlState& s, const Way& way, std::string& out) {
  const std::string picture = PictureName(s);
  const std::string state = PictureState(s);  // kept in English as data, said in the page's language
  std::string said = state;
  if (way.german) {
    if (state == "on") said = "ein";
    else if (state == "off") said = "aus";
    else if (state == "not read") said = "nicht gelesen";
  }
  const std::string title = s.tool_tip.empty() ? said : s.tool_tip;
  out += "<div" + Attr("class", s.kind == "Image" ? "picture image" : "picture") + Attr("data-name", NameOf(s)) +
         (picture.empty() ? "" : Attr("data-picture", picture)) + (state.empty() ? "" : Attr("data-state", state)) +
         (title.empty() ? "" : Attr("title", title)) + ">";
  if (!picture.empty()) out += PictureSvg(picture, CssColour(s.back_color), 16, title);
  if (!s.display_list.empty()) out += RenderSvg(s.display_list);
  Children(s, way, out);
  out += "</div>\n";
}

void Control(const ControlState& s, const Way& way, std::string& out) {
  const std::string caption = ShownCaption(s.caption);
  const std::string name = Attr("data-name", NameOf(s));
  if (s.kind == "Frame") {
    out += "<fieldset" + Attr("class", Classes("frame", s)) + name + Look(s) + "><legend>" +
           EscapeHtml(caption) + "</legend>\n";
    Children(s, way, out);
    out += "</fieldset>\n";
  } else if (const std::optional<BarShown> bar = BarOf(s)) {
    out += "<div" + Attr("class", Classes("bar-control", s)) + name + Title(s) +
           Attr("data-value", bar->value_known ? Number(bar->value) : "") + "><span class=\"caption\">" +
           EscapeHtml(bar->caption) + "</span>" + BarSvg(*bar) + "</div>\n";
  } else if (s.kind == "UserControl") {
    out += "<div" + Attr("class", Classes("control", s)) + name + Look(s) + ">\n";
    Children(s, way, out);
    out += "</div>\n";
  } else if (s.kind == "TabStrip" || s.kind == "TabbedDialog") {
    Tabs(s, way, out);
  } else if (s.kind == "Parameter") {
    Field(s, way, out);
  } else if (s.kind == "CommandButton") {
    out += "<button type=\"button\"" + name + (s.enabled ? "" : " disabled") + Look(s) + ">" + EscapeHtml(caption) +
           "</button>";
  } else if (s.kind == "Label") {
    out += "<div class=\"label\"" + name + Look(s) + ">" + EscapeHtml(caption) + "</div>\n";
  } else if (s.kind == "TextBox") {
    // Live, a text box takes what is typed unless it is disabled or locked.
    const bool read_only = !way.live || s.locked;
    out += "<input type=\"text\"" + name + Attr("value", s.text) + Look(s) + (read_only ? " readonly" : "") +
           (s.enabled ? "" : " disabled") + ">\n";
  } else if (s.kind == "CheckBox" || s.kind == "OptionButton") {
    const bool on = s.value == "1" || s.value == "True";
    out += "<label" + Attr("class", Classes("choice", s)) + name + Look(s) + "><input type=\"" +
           (s.kind == "CheckBox" ? "checkbox" : "radio") + "\"" + (on ? " checked" : "") +
           (way.live && s.enabled ? "" : " disabled") + "> " + EscapeHtml(caption) + "</label>\n";
  } else if (s.kind == "ListBox") {
    out += "<pre" + Attr("class", Classes("list", s)) + name + Look(s) + ">";
    for (const std::string& item : s.items) out += EscapeHtml(item) + "\n";
    out += "</pre>\n";
  } else if (s.kind == "Shape") {
    out += "<span class=\"shape\"" + name + Attr("style", "background:" + CssColour(s.fill_color)) + Title(s) +
           "></span>\n";
  } else if (s.kind == "Search") {
    // Live, the query is a text box and each hit a button that opens it.
    out += "<div class=\"search\"" + name + "><input type=\"text\"" + name + Attr("value", s.text) +
           (way.live ? "" : " readonly") + ">\n";
    if (s.items.empty() && s.Attribute("searched") == "True") {
      out += "<p class=\"none\">" + EscapeHtml(s.Attribute("none")) + "</p>\n";
    }
    if (!s.items.empty()) out += "<ol class=\"hits\">";
    for (std::size_t i = 0; i < s.items.size(); ++i) {
      out += way.live ? "<li><button type=\"button\"" + name + Attr("data-hit", std::to_string(i + 1)) +
                        ">" + EscapeHtml(s.items[i]) + "</button></li>"
                  : "<li>" + EscapeHtml(s.items[i]) + "</li>";
    }
    if (!s.items.empty()) out += "</ol>\n";
    out += "</div>\n";
  } else if (s.kind == "Trend") {
    out += "<div class=\"trend\"" + name + Attr("style", "background:" + CssColour(s.back_color)) + Title(s) + ">" +
           TrendSvg(s, way.german) + "</div>\n";
  } else if (s.kind == "PictureBox" || s.kind == "Image") {
    Picture(s, way, out);
  } else if (!caption.empty() || !s.text.empty()) {
    out += "<div" + Attr("class", Classes("other", s)) + name + Look(s) + ">" +
           EscapeHtml(caption.empty() ? s.text : caption) + "</div>\n";
  }
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string CssColour(OleColor color) {
  const auto bits = static_cast<std::uint32_t>(color);
  if ((bits & 0xFFFFFF00u) == 0x80000000u) {
    switch (bits & 0xFFu) {
      case 0x05: return "#ffffff";  // window background
      case 0x08: return "#000000";  // window text
      case 0x0C: return "#808080";  // application workspace
      case 0x0F: return "#d4d0c8";  // button face
      case 0x12: return "#000000";  // button text
      default: return "#808080";
    }
  }
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", bits & 0xFFu, (bits >> 8) & 0xFFu,
                (bits >> 16) & 0xFFu);
  return text;
}

std::string RenderSvg(const std::vector<DrawOp>& display_list) {
  double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
  for (const DrawOp& op : display_list) {
    for (const Point& p : op.points) {
      min_x = std::min(min_x, p.x);
      min_y = std::min(min_y, p.y);
      max_x = std::max(max_x, p.x);
      max_y = std::max(max_y, p.y);
    }
  }
  const double width = std::max(max_x - min_x, 1.0);
  const double height = std::max(max_y - min_y, 1.0);
  // Pages draw in twips, where a line of the system font is 195 high; a
  // small scale is taken as pixels.
  const double font = height > 1000 ? 160 : 12;
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + Number(min_x) + " " +
                    Number(min_y) + " " + Number(width) + " " + Number(height) +
                    "\" width=\"480\" preserveAspectRatio=\"xMinYMin meet\">";
  for (const DrawOp& op : display_list) {
    const std::string colour = CssColour(op.color);
    const std::string stroke = " stroke=\"" + colour + "\" stroke-width=\"" +
                               std::to_string(op.width) +
                               "\" vector-effect=\"non-scaling-stroke\"";
    const auto& p = op.points;
    switch (op.kind) {
      case DrawOp::Kind::kFilledBox:
      case DrawOp::Kind::kBox: {
        if (p.size() < 2) break;
        const bool filled = op.kind == DrawOp::Kind::kFilledBox;
        out += "<rect x=\"" + Number(std::min(p[0].x, p[1].x)) + "\" y=\"" +
               Number(std::min(p[0].y, p[1].y)) + "\" width=\"" + Number(std::abs(p[1].x - p[0].x)) +
               "\" height=\"" + Number(std::abs(p[1].y - p[0].y)) + "\"" +
               (filled ? " fill=\"" + colour + "\"" : " fill=\"none\"" + stroke) + "/>";
        break;
      }
      case DrawOp::Kind::kLine:
        if (p.size() < 2) break;
        out += "<line x1=\"" + Number(p[0].x) + "\" y1=\"" + Number(p[0].y) + "\" x2=\"" +
               Number(p[1].x) + "\" y2=\"" + Number(p[1].y) + "\"" + stroke + "/>";
        break;
      case DrawOp::Kind::kPolyline: {
        std::string points;
        for (const Point& point : p) {
          if (!points.empty()) points += " ";
          points += Number(point.x) + "," + Number(point.y);
        }
        out += "<polyline points=\"" + points + "\" fill=\"none\"" + stroke + "/>";
        break;
      }
      case DrawOp::Kind::kText:
        if (p.empty()) break;
        out += "<text x=\"" + Number(p[0].x) + "\" y=\"" + Number(p[0].y) +
               "\" dominant-baseline=\"hanging\" font-size=\"" + Number(font) + "\" fill=\"" +
               colour + "\">" + EscapeHtml(op.text) + "</text>";
        break;
    }
  }
  return out + "</svg>";
}

namespace {

std::string TitleOf(const PageView& page) {
  std::string title = page.class_name;
  if (const ControlState* headline = Headline(page.form)) {
    const std::string own = headline->Attribute("title").empty() ? headline->caption
                                                                  : headline->Attribute("title");
    if (!own.empty()) title = own;
  }
  return title;
}

// The page's element up to its form's end.
void PageBody(const PageView& page, bool live, std::string& out) {
  const Way way{live, page.german};
  const std::string title = TitleOf(page);
  out += "<main class=\"page\"" + Attr("data-class", page.class_name) +
         Attr("data-invoke-id", page.invoke_id) + ">\n";
  out += "<header class=\"headline\"><h1>" + EscapeHtml(title) +
         "</h1><span class=\"function\">" +
         EscapeHtml((page.german ? "Funktion " : "function ") + std::to_string(page.function_id) + ", " + page.prog_id) + "</span>";
  if (const ControlState* headline = Headline(page.form)) {
    // The strip's manual picture and the maker's logo, at its right end.
    std::string pictures;
    for (const ControlState& child : headline->children) {
      const std::string picture = PictureName(child);
      if (!child.visible || picture.empty()) continue;
      const std::string tip = picture == "logo" ? headline->Attribute("url") : child.tool_tip;
      pictures += "<span" + Attr("class", picture) + Attr("data-name", NameOf(child)) +
                  (tip.empty() ? "" : Attr("title", tip)) + ">" + PictureSvg(picture, "", 20, tip) + "</span>";
    }
    if (!pictures.empty()) out += "<span class=\"logo\">" + pictures + "</span>";
  }
  out += "</header>\n";
  out += "<section class=\"form\">\n";
  Children(page.form, way, out);
  out += "</section>\n";
}

}  // namespace

namespace {

// Live, each control is named by the path the frame reaches it by: a
// control of a page hosted on the page carries its page's name in front
// ("ctlOfflineParams.cmdNext"), so that a child's tabs and fields are its own.
void NameByPath(ControlState& s, const std::string& prefix) {
  for (ControlState& child : s.children) {
    const std::string own = NameOf(child);
    if (!prefix.empty()) child.name = prefix + child.name;
    NameByPath(child, child.kind == "UserControl" ? prefix + own + "." : prefix);
  }
}

}  // namespace

std::string RenderLiveFragment(const PageView& page) {
  PageView named = page;
  NameByPath(named.form, "");
  std::string out;
  PageBody(named, true, out);
  return out + "</main>\n";
}

std::string PageStyle() {
  std::string style = kStyle;
  const std::size_t body = style.find("\nbody {");
  if (body != std::string::npos) style.erase(body + 1, style.find('\n', body + 1) - body);
  return style;
}

std::string RenderHtml(const PageView& page) {
  const std::string title = TitleOf(page);
  std::string out = std::string("<!DOCTYPE html>\n<html lang=\"") + (page.german ? "de" : "en") +
                    "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                    EscapeHtml(title + " - " + page.prog_id) + "</title>\n<style>" + kStyle +
                    "</style>\n</head>\n<body>\n";
  PageBody(page, false, out);
  if (!page.boxes.empty()) {
    out += "<section class=\"boxes\"><h2>Message boxes</h2>\n";
    for (const MessageBoxShown& box : page.boxes) {
      out += "<div class=\"box\"" + Attr("data-style", std::to_string(box.style)) + ">" +
             EscapeHtml(box.text) + "<div class=\"answer\">" + EscapeHtml(AnswerName(box.answer)) +
             "</div></div>\n";
    }
    out += "</section>\n";
  }
  if (!page.failures.empty()) {
    out += "<section class=\"errors\"><h2>Errors</h2><ul>\n";
    for (const std::string& failure : page.failures) out += "<li>" + EscapeHtml(failure) + "</li>\n";
    out += "</ul></section>\n";
  }
  return out + "</main>\n</body>\n</html>\n";
}

}  // namespace dtm::render
