#include "host/render/pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "host/render/html_render.h"

namespace dtm::render {
namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The bodies of the drawings, on a 16 by 16 grid; "@" stands for the
// colour the page set (lamps only).
const std::map<std::string, std::string>& Drawings() {
  static const std::map<std::string, std::string> drawings = {
      // The status page: a bit set lights its lamp red, a clear bit leaves
      // it dark, a bit never read shows an empty ring with a question mark.
      {"status_read_on",
       "<circle cx=\"8\" cy=\"8\" r=\"6.5\" fill=\"#e00000\" stroke=\"#600000\"/>"
       "<circle cx=\"6\" cy=\"6\" r=\"1.8\" fill=\"#ffb0b0\"/>"},
      {"status_read_off",
       "<circle cx=\"8\" cy=\"8\" r=\"6.5\" fill=\"#5a5a5a\" stroke=\"#303030\"/>"
       "<circle cx=\"6\" cy=\"6\" r=\"1.5\" fill=\"#8a8a8a\"/>"},
      {"status_not_read",
       "<circle cx=\"8\" cy=\"8\" r=\"6.5\" fill=\"#ffffff\" stroke=\"#909090\" stroke-dasharray=\"2 1.5\"/>"
       "<path d=\"M6 6.2a2 2 0 1 1 2.8 1.8c-.6.3-.8.7-.8 1.4\" fill=\"none\" stroke=\"#707070\" stroke-width=\"1.4\"/>"
       "<circle cx=\"8\" cy=\"11.6\" r=\".9\" fill=\"#707070\"/>"},
      // A lamp in the colour the page gives it.
      {"lamp",
       "<circle cx=\"8\" cy=\"8\" r=\"6.5\" fill=\"@\" stroke=\"#303030\"/>"
       "<circle cx=\"6\" cy=\"6\" r=\"1.8\" fill=\"#ffffff\" fill-opacity=\".55\"/>"},
      // The headline's manual picture: an open book.
      {"manual",
       "<path d=\"M1.5 3.5c2-1 4.5-1 6.5.5v9.5c-2-1.5-4.5-1.5-6.5-.5z\" fill=\"#ffffff\" stroke=\"#0a246a\"/>"
       "<path d=\"M14.5 3.5c-2-1-4.5-1-6.5.5v9.5c2-1.5 4.5-1.5 6.5-.5z\" fill=\"#dfe8f6\" stroke=\"#0a246a\"/>"},
      // The activity display: two arrows, one to the device, one back.
      {"activity",
       "<path d=\"M2 5h9l-2.5-2.5M14 11H5l2.5 2.5\" fill=\"none\" stroke=\"#0a246a\" stroke-width=\"1.6\"/>"},
      // The search picture: a magnifying glass.
      {"picSearch",
       "<circle cx=\"6.5\" cy=\"6.5\" r=\"4.2\" fill=\"#e8f0ff\" stroke=\"#303030\" stroke-width=\"1.5\"/>"
       "<path d=\"M9.6 9.6l4.6 4.6\" stroke=\"#303030\" stroke-width=\"2.4\" stroke-linecap=\"round\"/>"},
      // Where a value comes from: the device, or a saved data set.
      {"imgOnline",
       "<rect x=\"2\" y=\"3\" width=\"12\" height=\"10\" rx=\"1.5\" fill=\"#d8d8d8\" stroke=\"#404040\"/>"
       "<circle cx=\"8\" cy=\"8\" r=\"2.6\" fill=\"#00a000\"/>"},
      {"imgSaved",
       "<path d=\"M2 2h10l2 2v10H2z\" fill=\"#3a6ea5\" stroke=\"#102040\"/>"
       "<rect x=\"4.5\" y=\"2.5\" width=\"6\" height=\"4\" fill=\"#ffffff\"/>"
       "<rect x=\"4\" y=\"9\" width=\"8\" height=\"4.5\" fill=\"#e0e0e0\"/>"},
  };
  return drawings;
}

// The fields' status icons, on the same grid.
const std::map<std::string, std::string>& StatusIcons() {
  static const std::map<std::string, std::string> icons = {
      {"CommErr",
       "<circle cx=\"8\" cy=\"8\" r=\"7\" fill=\"#c00000\"/>"
       "<path d=\"M9.5 2.5L5 9h3l-1.5 4.5L11 7H8z\" fill=\"#ffffff\"/>"},
      {"AnyErr",
       "<circle cx=\"8\" cy=\"8\" r=\"7\" fill=\"#c00000\"/>"
       "<path d=\"M5 5l6 6M11 5l-6 6\" stroke=\"#ffffff\" stroke-width=\"2\"/>"},
      {"RangeErr",
       "<path d=\"M8 1l7 13H1z\" fill=\"#f0a000\" stroke=\"#805000\"/>"
       "<path d=\"M8 5v7M6 7l2-2 2 2M6 10l2 2 2-2\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1.2\"/>"},
      {"InputErr",
       "<path d=\"M8 1l7 13H1z\" fill=\"#f0a000\" stroke=\"#805000\"/>"
       "<rect x=\"7.1\" y=\"5\" width=\"1.8\" height=\"5\" fill=\"#000000\"/>"
       "<circle cx=\"8\" cy=\"12\" r=\"1\" fill=\"#000000\"/>"},
      {"Needed",
       "<circle cx=\"8\" cy=\"8\" r=\"7\" fill=\"#1050c0\"/>"
       "<path d=\"M8 3.5v9M4.1 5.8l7.8 4.4M11.9 5.8l-7.8 4.4\" stroke=\"#ffffff\" stroke-width=\"1.6\"/>"},
      {"Changed",
       "<path d=\"M2 14l1-4 8-8 3 3-8 8z\" fill=\"#f0d000\" stroke=\"#604000\"/>"
       "<path d=\"M2 14l1-4 3 3z\" fill=\"#604000\"/>"},
      {"Dynamic1",
       "<path d=\"M13 8a5 5 0 1 1-1.5-3.5\" fill=\"none\" stroke=\"#008000\" stroke-width=\"2\"/>"
       "<path d=\"M9.5 1.5l3 3-3.5 1z\" fill=\"#008000\"/>"},
      {"Dynamic2",
       "<path d=\"M3 8a5 5 0 1 1 1.5 3.5\" fill=\"none\" stroke=\"#008000\" stroke-width=\"2\"/>"
       "<path d=\"M6.5 14.5l-3-3 3.5-1z\" fill=\"#008000\"/>"},
      {"Locked",
       "<path d=\"M5 7V5a3 3 0 0 1 6 0v2\" fill=\"none\" stroke=\"#404040\" stroke-width=\"1.6\"/>"
       "<rect x=\"3\" y=\"7\" width=\"10\" height=\"7.5\" rx=\"1\" fill=\"#c0a030\" stroke=\"#604000\"/>"},
      {"Initial",
       "<circle cx=\"8\" cy=\"8\" r=\"6\" fill=\"#ffffff\" stroke=\"#808080\" stroke-width=\"1.5\"/>"},
      {"SavedValue",
       "<path d=\"M2 2h10l2 2v10H2z\" fill=\"#3a6ea5\" stroke=\"#102040\"/>"
       "<rect x=\"4.5\" y=\"2.5\" width=\"6\" height=\"4\" fill=\"#ffffff\"/>"
       "<rect x=\"4\" y=\"9\" width=\"8\" height=\"4.5\" fill=\"#e0e0e0\"/>"},
      {"OnlineValue",
       "<rect x=\"2\" y=\"3\" width=\"12\" height=\"10\" rx=\"1.5\" fill=\"#d8d8d8\" stroke=\"#404040\"/>"
       "<circle cx=\"8\" cy=\"8\" r=\"2.6\" fill=\"#00a000\"/>"},
      {"Blank", ""},
  };
  return icons;
}

std::string Svg(const std::string& css_class, const std::string& name, const std::string& body,
                const std::string& view_box, int width, int height, const std::string& title) {
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"" + css_class +
                    "\" data-picture=\"" + EscapeHtml(name) + "\" viewBox=\"" + view_box +
                    "\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
                    "\">";
  if (!title.empty()) out += "<title>" + EscapeHtml(title) + "</title>";
  return out + body + "</svg>";
}

bool IsRed(OleColor color) {
  const auto bits = static_cast<std::uint32_t>(color);
  return (bits & 0xFFu) > ((bits >> 8) & 0xFFu);
}

}  // namespace

std::optional<double> FiniteNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::vector<Choice> Choices(const ControlState& field) {
  std::vector<Choice> choices;
  const std::string type = field.Attribute("type");
  if (type == "4" || type == "5") return choices;
  const std::string list = field.Attribute("list");
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t bar = list.find('|', start);
    if (bar == std::string::npos) bar = list.size();
    const std::string entry = list.substr(start, bar - start);
    start = bar + 1;
    const std::size_t colon = entry.find(':');
    if (colon == std::string::npos) continue;
    const std::optional<double> key = FiniteNumber(entry.substr(0, colon));
    if (!key || *key != std::floor(*key) || std::abs(*key) > 2147483647.0) continue;
    choices.push_back({static_cast<std::int32_t>(*key), entry.substr(colon + 1)});
  }
  return choices;
}

std::optional<Choice> Chosen(const ControlState& field) {
  const std::optional<double> value = FiniteNumber(field.text.empty() ? field.value : field.text);
  if (!value || *value != std::floor(*value)) return std::nullopt;
  for (const Choice& choice : Choices(field)) {
    if (choice.key == *value) return choice;
  }
  return std::nullopt;
}

std::string PictureName(const ControlState& s) {
  std::string source = s.Attribute("picture");
  if (!source.empty()) {
    if (const std::size_t dot = source.rfind('.'); dot != std::string::npos && dot > 0) {
      source.erase(dot);
    }
    return Drawings().count(source) ? source : std::string();
  }
  if (s.name == "picLED") return "lamp";
  if (s.name == "picSearch") return "picSearch";
  if (s.name == "imgLogo") return "logo";
  if (s.name == "Image1") return "manual";
  if (s.name == "imgCom") return "activity";
  return {};
}

std::string PictureState(const ControlState& s) {
  const std::string name = PictureName(s);
  if (name == "status_read_on") return "on";
  if (name == "status_read_off") return "off";
  if (name == "status_not_read") return "not read";
  if (name == "lamp") {
    // A lamp the page never coloured still has its system colour.
    if (forms::IsSystemColor(s.back_color)) return "not read";
    return IsRed(s.back_color) ? "on" : "off";
  }
  return {};
}

std::optional<BarShown> BarOf(const ControlState& s) {
  if (s.Attribute("bar") != "1") return std::nullopt;
  BarShown bar;
  bar.caption = s.Attribute("caption");
  const auto number = [&](const char* key, double fallback) {
    return FiniteNumber(s.Attribute(key)).value_or(fallback);
  };
  const std::optional<double> value = FiniteNumber(s.Attribute("value"));
  bar.value_known = value.has_value();
  bar.value = value.value_or(0);
  bar.range_min = number("range_min", 0);
  bar.range_max = number("range_max", 100);
  bar.limit_min = number("limit_min", 0);
  bar.limit_max = number("limit_max", 0);
  bar.zero = s.Attribute("zero") == "1";
  bar.color = static_cast<OleColor>(number("color", 0));
  bar.limit_color = static_cast<OleColor>(number("limit_color", 0));
  return bar;
}

std::string PictureSvg(const std::string& name, const std::string& colour, int size,
                       const std::string& title) {
  if (name == "logo") {
    // The maker's logo: its name on the maker's blue, three times as wide
    // as high.
    const std::string body =
        "<rect x=\"0\" y=\"0\" width=\"54\" height=\"16\" rx=\"2\" fill=\"#ffffff\"/>"
        "<rect x=\"1.5\" y=\"1.5\" width=\"13\" height=\"13\" fill=\"#0a246a\"/>"
        "<path d=\"M4 4l4 8 4-8\" fill=\"none\" stroke=\"#ffffff\" stroke-width=\"2\"/>"
        "<text x=\"17\" y=\"11.5\" font-size=\"8\" font-weight=\"bold\" font-family=\"Verdana, sans-serif\" "
        "fill=\"#0a246a\">VELDAR</text>";
    return Svg("pic", name, body, "0 0 54 16", size * 54 / 16, size, title);
  }
  const auto found = Drawings().find(name);
  if (found == Drawings().end()) return {};
  std::string body = found->second;
  for (std::size_t at = body.find('@'); at != std::string::npos; at = body.find('@', at)) {
    body.replace(at, 1, colour);
    at += colour.size();
  }
  return Svg("pic", name, body, "0 0 16 16", size, size, title);
}

std::string StatusIconSvg(const std::string& key, const std::string& title) {
  const auto found = StatusIcons().find(key);
  if (found == StatusIcons().end()) return {};
  return Svg("status-icon", key, found->second, "0 0 16 16", 16, 16, title);
}

std::string BarSvg(const BarShown& bar) {
  constexpr double kWidth = 300, kLeft = 6, kRight = 6, kBarTop = 2, kBarHeight = 12;
  constexpr double kScaleY = 18, kPlot = kWidth - kLeft - kRight;
  const double span = bar.range_max - bar.range_min;
  // Every x is clipped to a little outside the scale, so a value far out
  // of range still draws a bar to the scale's end and nothing absurd.
  const auto x = [&](double value) {
    const double at = span != 0 ? kLeft + (value - bar.range_min) * kPlot / span : kLeft;
    return std::min(std::max(at, kLeft - 4), kLeft + kPlot + 4);
  };
  const std::string colour = CssColour(bar.color);
  const std::string mark = CssColour(bar.limit_color);
  std::string out =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"bar\" viewBox=\"0 0 300 " +
      std::string(bar.caption.empty() ? "36" : "50") + "\" width=\"300\" font-size=\"10\">";
  out += "<rect class=\"track\" x=\"" + Number(kLeft) + "\" y=\"" + Number(kBarTop) + "\" width=\"" +
         Number(kPlot) + "\" height=\"" + Number(kBarHeight) + "\" fill=\"#ffffff\" stroke=\"#a0a0a0\"/>";
  if (bar.value_known) {
    const double from = x(bar.zero ? 0 : bar.range_min);
    const double to = x(bar.value);
    out += "<rect class=\"value\" x=\"" + Number(std::min(from, to)) + "\" y=\"" + Number(kBarTop) +
           "\" width=\"" + Number(std::abs(to - from)) + "\" height=\"" + Number(kBarHeight) +
           "\" fill=\"" + colour + "\"/>";
  }
  for (const double limit : {bar.limit_min, bar.limit_max}) {
    out += "<line class=\"mark\" x1=\"" + Number(x(limit)) + "\" y1=\"0\" x2=\"" + Number(x(limit)) +
           "\" y2=\"" + Number(kBarTop + kBarHeight + 2) + "\" stroke=\"" + mark +
           "\" stroke-width=\"2\"/>";
  }
  if (bar.range_min < 0 && bar.range_max > 0) {
    out += "<line class=\"zero\" x1=\"" + Number(x(0)) + "\" y1=\"" + Number(kBarTop) + "\" x2=\"" +
           Number(x(0)) + "\" y2=\"" + Number(kScaleY) + "\" stroke=\"#000000\" stroke-dasharray=\"2 1\"/>";
  }
  out += "<line class=\"scale\" x1=\"" + Number(kLeft) + "\" y1=\"" + Number(kScaleY) + "\" x2=\"" +
         Number(kLeft + kPlot) + "\" y2=\"" + Number(kScaleY) + "\" stroke=\"#000000\"/>";
  for (int i = 0; i <= 4; ++i) {
    const double at = kLeft + kPlot * i / 4;
    out += "<line x1=\"" + Number(at) + "\" y1=\"" + Number(kScaleY) + "\" x2=\"" + Number(at) +
           "\" y2=\"" + Number(kScaleY + (i % 2 ? 2 : 4)) + "\" stroke=\"#000000\"/>";
  }
  const char* anchors[3] = {"start", "middle", "end"};
  for (int i = 0; i <= 2; ++i) {
    out += "<text class=\"tick\" x=\"" + Number(kLeft + kPlot * i / 2) + "\" y=\"32\" text-anchor=\"" +
           anchors[i] + "\">" + Number(bar.range_min + span * i / 2) + "</text>";
  }
  if (!bar.caption.empty()) {
    out += "<text class=\"caption\" x=\"150\" y=\"45\" text-anchor=\"middle\">" + EscapeHtml(bar.caption) +
           "</text>";
  }
  return out + "</svg>";
}

}  // namespace dtm::render
