#pragma once
// What the renderers show of an open page: its identity, the state of every
// control on it as plain data (one node per control, a container's children
// below it in form order), the message boxes shown while it was open with
// the answers they got, and the failures of its event handlers.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dtm::render {

// OLE colours: 0x00BBGGRR, or 0x800000nn for system colour nn.
using OleColor = std::int32_t;

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// One operation of a control's display list, in the control's own scale
// (origin at the top left).
struct DrawOp {
  enum class Kind {
    kFilledBox,  // points[0] and points[1] are opposite corners
    kBox,        // the outline of such a box
    kLine,       // from points[0] to points[1]
    kPolyline,   // through all points in order
    kText,       // `text` with its top left at points[0]
  };
  Kind kind = Kind::kLine;
  std::vector<Point> points;
  OleColor color = 0;
  std::int16_t width = 1;  // pen width in pixels
  std::string text;
  friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

struct ControlState {
  std::string kind;  // "CommandButton", "TabStrip", "Parameter", ...
  std::string name;
  std::optional<std::int16_t> index;
  std::string caption;
  std::string text;
  std::string value;  // the Value as text; "" for Empty
  bool enabled = true;
  bool visible = true;
  bool locked = false;
  std::string tool_tip;
  OleColor fore_color = 0;
  OleColor back_color = 0;
  OleColor fill_color = 0;
  std::vector<std::string> tabs;  // tab captions, the first tab first
  std::size_t selected_tab = 0;   // 1-based; 0 for none
  std::vector<std::string> items;  // list entries
  std::vector<DrawOp> display_list;
  // What a kind knows beyond the common properties; a field has "label",
  // "unit" and "icon" (the key of its status picture).
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<ControlState> children;

  // The value of an attribute, or "" when it is not there.
  std::string Attribute(const std::string& key) const;
};

struct MessageBoxShown {
  std::string text;
  std::int32_t style = 0;
  std::int32_t answer = 0;  // the button's id: 1 OK, 2 Cancel, 6 Yes, 7 No, ...
};

struct PageView {
  std::int32_t function_id = 0;
  std::string class_name;  // "ctlMonitor"
  std::string prog_id;     // "VD4625FDT.ctlMonitor"
  std::string invoke_id;
  ControlState form;       // the page's user control with everything on it
  std::vector<MessageBoxShown> boxes;
  std::vector<std::string> failures;  // "cmdSave Click: 75 Path/File access error"
};

// "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"; the number for
// any other id.
std::string AnswerName(std::int32_t answer);

// A caption as the page shows it: "&Save" reads "Save", "&&" one "&".
std::string ShownCaption(const std::string& caption);

}  // namespace dtm::render
