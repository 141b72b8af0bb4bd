#include "host/render/text_render.h"

#include <cstdio>
#include <optional>
#include <sstream>

#include "host/render/pictures.h"

namespace dtm::render {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Line breaks of a box's text continue on indented lines.
std::string Continued(const std::string& text, const std::string& indent) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\n" + indent;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string NameOf(const ControlState& s) {
  return s.index ? s.name + "(" + std::to_string(*s.index) + ")" : s.name;
}

// "#RRGGBB" for a colour given by its parts; a system colour by its code.
std::string ColourText(OleColor color) {
  const auto bits = static_cast<std::uint32_t>(color);
  char text[16];
  if ((bits & 0xFFFFFF00u) == 0x80000000u) {
    std::snprintf(text, sizeof text, "system %u", bits & 0xFFu);
  } else {
    std::snprintf(text, sizeof text, "#%02X%02X%02X", bits & 0xFFu, (bits >> 8) & 0xFFu,
                  (bits >> 16) & 0xFFu);
  }
  return text;
}

// Kinds that show nothing on the page itself.
bool Unseen(const ControlState& s) {
  return !s.visible || s.kind == "Timer" || s.kind == "ImageList" || s.kind == "CommonDialog" ||
         s.kind == "Menu";
}

std::string States(const ControlState& s) {
  std::string out;
  if (!s.enabled) out += " disabled";
  if (s.locked) out += " locked";
  return out;
}

std::string Tabs(const ControlState& s) {
  std::string out;
  for (std::size_t i = 0; i < s.tabs.size(); ++i) {
    if (i) out += " | ";
    // A tabbed dialog numbers its tabs from 0, a tab strip from 1.
    const std::size_t number = s.kind == "TabbedDialog" ? i : i + 1;
    out += std::to_string(number) + " " + ShownCaption(s.tabs[i]);
    if (i + 1 == s.selected_tab) out += " (selected)";
  }
  return out;
}

// A colour a page set to mark a control (the kinds' defaults are system
// colours, black is plain text), with the tooltip that tells why.
std::string Mark(const ControlState& s) {
  if (forms::IsSystemColor(s.fore_color) || s.fore_color == forms::colors::kBlack) return {};
  std::string out = " " + ColourText(s.fore_color);
  if (!s.tool_tip.empty()) out += " " + Quoted(s.tool_tip);
  return out;
}

void Field(const ControlState& s, const std::string& indent, std::string& out) {
  std::string label = s.Attribute("label");
  if (label.empty()) label = ShownCaption(s.caption);
  std::string value = s.text.empty() ? s.value : s.text;
  if (const std::optional<Choice> chosen = Chosen(s)) value += " (" + chosen->text + ")";
  out += indent + "Field " + NameOf(s) + " " + Quoted(label) + ": " + value;
  if (const std::string unit = s.Attribute("unit"); !unit.empty()) out += " " + unit;
  if (const std::string icon = s.Attribute("icon"); !icon.empty()) out += " [" + icon + "]";
  out += Mark(s) + States(s) + "\n";
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// "Bar barW "w [%]": 50 in 0 .. 100, marks 10 and 90, from zero".
void Bar(const ControlState& s, const BarShown& bar, const std::string& indent, std::string& out) {
  out += indent + "Bar " + NameOf(s) + (bar.caption.empty() ? "" : " " + Quoted(bar.caption)) + ": " +
         (bar.value_known ? Number(bar.value) : "no value") + " in " + Number(bar.range_min) + " .. " +
         Number(bar.range_max) + ", marks " + Number(bar.limit_min) + " and " + Number(bar.limit_max) +
         (bar.zero ? ", from zero" : "") + "\n";
}

// The chart in short: its time axis, then one line per curve with its
// legend, its shown scale and how many samples and gaps it holds.
void Trend(const ControlState& s, const std::string& indent, std::string& out) {
  out += indent + "Trend " + NameOf(s) + " " + Quoted(s.Attribute("x_title")) + ": " +
         s.Attribute("x_view_min") + " .. " + s.Attribute("x_view_max") +
         (s.Attribute("follow_mode") == "1" ? ", following" : "") + "\n";
  for (int c = 0; c < 8; ++c) {
    const std::string stem = "curve." + std::to_string(c) + ".";
    const std::string visible = s.Attribute(stem + "visible");
    if (visible.empty()) continue;
    std::size_t samples = 0, gaps = 0, points = 0;
    std::istringstream in(s.Attribute(stem + "samples"));
    for (std::string item; in >> item;) {
      ++samples;
      if (item.ends_with(":gap")) ++gaps;
    }
    std::istringstream set(s.Attribute(stem + "points"));
    for (std::string item; set >> item;) ++points;
    out += indent + "  Curve " + std::to_string(c) + " " + Quoted(s.Attribute(stem + "name")) + " " +
           s.Attribute(stem + "view_min") + " .. " + s.Attribute(stem + "view_max") + ": " +
           std::to_string(samples - gaps) + (samples - gaps == 1 ? " value, " : " values, ") +
           std::to_string(gaps) + (gaps == 1 ? " gap" : " gaps");
    if (points > 0) out += ", " + std::to_string(points) + (points == 1 ? " point" : " points");
    out += (visible == "1" ? "" : " hidden") + std::string("\n");
  }
}

void Control(const ControlState& s, const std::string& indent, std::string& out);

void Children(const ControlState& s, const std::string& indent, std::string& out) {
  for (const ControlState& child : s.children) Control(child, indent, out);
}

void Control(const ControlState& s, const std::string& indent, std::string& out) {
  if (Unseen(s) || s.name == "ctlHeadline") return;
  const std::string caption = ShownCaption(s.caption);
  if (s.kind == "Frame") {
    out += indent + "Frame " + NameOf(s) + " " + Quoted(caption) + States(s) + "\n";
    Children(s, indent + "  ", out);
  } else if (const std::optional<BarShown> bar = BarOf(s)) {
    Bar(s, *bar, indent, out);
  } else if (s.kind == "UserControl") {
    out += indent + "Control " + NameOf(s) + States(s) + "\n";
    Children(s, indent + "  ", out);
  } else if (s.kind == "TabStrip" || s.kind == "TabbedDialog") {
    out += indent + "Tabs " + NameOf(s) + ": " + Tabs(s) + States(s) + "\n";
  } else if (s.kind == "Parameter") {
    Field(s, indent, out);
  } else if (s.kind == "CommandButton") {
    out += indent + "Button " + NameOf(s) + " " + Quoted(caption) +
           (s.enabled ? " enabled" : " disabled") + "\n";
  } else if (s.kind == "Label") {
    out += indent + "Label " + NameOf(s) + " " + Quoted(caption) + "\n";
  } else if (s.kind == "TextBox") {
    out += indent + "Text " + NameOf(s) + ": " + Quoted(s.text) + Mark(s) + States(s) + "\n";
  } else if (s.kind == "CheckBox" || s.kind == "OptionButton") {
    const bool on = s.value == "1" || s.value == "True";
    out += indent + (s.kind == "CheckBox" ? "Check " : "Option ") + NameOf(s) + " " +
           Quoted(caption) + (on ? ": on" : ": off") + States(s) + "\n";
  } else if (s.kind == "ListBox") {
    out += indent + "List " + NameOf(s) + ", " + std::to_string(s.items.size()) +
           (s.items.size() == 1 ? " line" : " lines") + States(s) + "\n";
    for (const std::string& item : s.items) {
      out += indent + "  |" + (item.empty() ? "" : " " + item) + "\n";
    }
  } else if (s.kind == "Shape") {
    out += indent + "Shape " + NameOf(s) + ": " + ColourText(s.fill_color) + "\n";
  } else if (s.kind == "Trend") {
    Trend(s, indent, out);
  } else if (s.kind == "PictureBox" || s.kind == "Image") {
    out += indent + (s.kind == "Image" ? "Image " : "Picture ") + NameOf(s);
    if (const std::string state = PictureState(s); !state.empty()) {
      out += ": " + state;
    } else if (const std::string picture = s.Attribute("picture"); s.kind == "Image" && !picture.empty()) {
      out += ": " + picture;
    }
    if (!s.display_list.empty()) {
      out += ": " + std::to_string(s.display_list.size()) + " drawing operations";
    }
    out += "\n";
    Children(s, indent + "  ", out);
  } else if (!caption.empty() || !s.text.empty()) {
    out += indent + s.kind + " " + NameOf(s) + " " + Quoted(caption.empty() ? s.text : caption) +
           "\n";
  }
}

}  // namespace

std::string RenderText(const PageView& page) {
  std::string out = "Page " + std::to_string(page.function_id) + " " + page.class_name + " (" +
                    page.prog_id + ")\n";
  if (const ControlState* headline = Headline(page.form)) {
    std::string title = headline->Attribute("title");
    if (title.empty()) title = headline->caption;
    out += "Headline: " + title + "\n";
  }
  Children(page.form, "", out);
  if (!page.boxes.empty()) {
    out += "Message boxes:\n";
    for (const MessageBoxShown& box : page.boxes) {
      out += "  " + Quoted(Continued(box.text, "   ")) + " (style " + std::to_string(box.style) + "): " +
             AnswerName(box.answer) + "\n";
    }
  }
  if (!page.failures.empty()) {
    out += "Errors:\n";
    for (const std::string& failure : page.failures) out += "  " + failure + "\n";
  }
  return out;
}

}  // namespace dtm::render
