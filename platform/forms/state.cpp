#include "platform/forms/state.h"

#include <cstdio>

#include "platform/forms/control.h"
#include "platform/forms/user_control.h"

namespace dtm::forms {
namespace {

void DescribeInto(const Control& control, ControlState& state) {
  control.Describe(state);
  if (auto* container = dynamic_cast<const Container*>(&control)) {
    for (const ControlPtr& child : container->Children()) {
      DescribeInto(*child, state.children.emplace_back());
    }
  }
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Colour(OleColor color) {
  char text[16];
  std::snprintf(text, sizeof text, "&H%06X&", static_cast<unsigned>(color));
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string List(const std::vector<std::string>& entries, std::size_t marked = 0) {
  std::string out = "[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i) out += "|";
    if (i + 1 == marked) out += "*";
    out += entries[i];
  }
  return out + "]";
}

std::string Op(const DrawOp& op) {
  static const char* const kNames[] = {"fill", "box", "line", "polyline", "text"};
  std::string out = kNames[static_cast<int>(op.kind)];
  for (std::size_t i = 0; i < op.points.size(); ++i) {
    const bool dash = i == 1 && op.kind != DrawOp::Kind::kPolyline;
    out += dash ? "-" : " ";
    out += "(" + Number(op.points[i].x) + "," + Number(op.points[i].y) + ")";
  }
  if (op.kind == DrawOp::Kind::kText) out += " " + Quoted(op.text);
  out += " " + Colour(op.color);
  if (op.width != 1) out += " w" + std::to_string(op.width);
  return out;
}

void Dump(const ControlState& s, int depth, std::string& out) {
  const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  out += indent + s.kind + " " + s.name;
  if (s.index) out += "(" + std::to_string(*s.index) + ")";
  if (!s.caption.empty()) out += " caption=" + Quoted(s.caption);
  if (!s.text.empty()) out += " text=" + Quoted(s.text);
  if (!s.value.empty()) out += " value=" + Quoted(s.value);
  if (!s.visible) out += " hidden";
  if (!s.enabled) out += " disabled";
  if (s.locked) out += " locked";
  if (!s.tool_tip.empty()) out += " tip=" + Quoted(s.tool_tip);
  // System colours are the kinds' defaults; colours given by parts are the
  // ones a page chose.
  if (!IsSystemColor(s.fore_color)) out += " fore=" + Colour(s.fore_color);
  if (!IsSystemColor(s.back_color)) out += " back=" + Colour(s.back_color);
  if (s.kind == "Shape") out += " fill=" + Colour(s.fill_color);
  if (!s.tabs.empty()) out += " tabs=" + List(s.tabs, s.selected_tab);
  if (!s.image_keys.empty()) out += " images=" + List(s.image_keys);
  if (!s.items.empty()) out += " items=" + List(s.items);
  for (const auto& [key, value] : s.attributes) out += " " + key + "=" + Quoted(value);
  out += "\n";
  for (const DrawOp& op : s.display_list) out += indent + "  - " + Op(op) + "\n";
  for (const ControlState& child : s.children) Dump(child, depth + 1, out);
}

}  // namespace

std::string ControlState::Attribute(const std::string& key) const {
  for (const auto& [k, v] : attributes) {
    if (k == key) return v;
  }
  return {};
}

ControlState DescribeTree(const UserControl& page) {
  ControlState root;
  DescribeInto(page, root);
  return root;
}

std::string DumpText(const ControlState& state) {
  std::string out;
  Dump(state, 0, out);
  return out;
}

}  // namespace dtm::forms
