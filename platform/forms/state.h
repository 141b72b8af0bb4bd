#pragma once
// The state of a page as plain data, for the renderers: one node per
// control, in containment order (a frame's or user control's children below
// it, in form order). Every control fills its node through Describe; a
// derived control adds what it knows in `attributes` (a field's label,
// unit, icon key).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms/colors.h"
#include "platform/forms/surface.h"

namespace dtm::forms {

struct ControlState {
  std::string kind;  // "CommandButton", "TabStrip", ...
  std::string name;
  std::optional<std::int16_t> index;
  std::string caption;
  std::string text;
  std::string value;  // the Value as text; "" for Empty
  bool enabled = true;
  bool visible = true;
  bool locked = false;
  std::string tool_tip;
  // The colours of a control the page never coloured.
  OleColor fore_color = colors::kWindowText;
  OleColor back_color = colors::kButtonFace;
  OleColor fill_color = 0;
  // Place and size in the container's scale; 0 where a page set none.
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  std::int16_t z = 0;  // place among its siblings from the back, 0 first
  std::vector<std::string> tabs;  // tab captions, tab 1 first
  std::size_t selected_tab = 0;   // 1-based; 0 for none
  std::vector<std::string> image_keys;
  std::vector<std::string> items;  // list entries
  std::vector<DrawOp> display_list;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<ControlState> children;

  // The value of an attribute, or "" when it is not there.
  std::string Attribute(const std::string& key) const;
};

class Control;
class UserControl;

// The whole user control with everything on it, nested user controls
// included.
ControlState DescribeTree(const UserControl& page);

// A short text of the tree, one line per control, indented by depth; what
// is at its default is left out.
std::string DumpText(const ControlState& state);

}  // namespace dtm::forms
