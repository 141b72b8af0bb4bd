#pragma once
// What the renderers show of an open page: its identity, the state of every
// control on it as plain data (one node per control, a container's children
// below it in form order), the message boxes shown while it was open with
// the answers they got, and the failures of its event handlers.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/state.h"

namespace dtm::render {

// The forms layer's state of a control: kind, name, index, caption, value,
// enabled, visible, locked, tabs, list entries, the display list, and in
// `attributes` what a kind knows besides (a field's "label", "unit", "icon").
using forms::ControlState;
using forms::DrawOp;
using forms::OleColor;
using forms::Point;

struct MessageBoxShown {
  std::string text;
  std::int32_t style = 0;
  std::int32_t answer = 0;  // the button's id: 1 OK, 2 Cancel, 6 Yes, 7 No, ...
};

// The page's visible title strip, searched in containment order; nullptr
// when it has none.
const ControlState* Headline(const ControlState& form);

struct PageView {
  std::int32_t function_id = 0;
  std::string class_name;  // "ctlMonitor"
  std::string prog_id;     // "VD4625FDT.ctlMonitor"
  std::string invoke_id;
  ControlState form;       // the page's user control with everything on it
  std::vector<MessageBoxShown> boxes;
  std::vector<std::string> failures;  // "cmdSave Click: 75 Path/File access error"
  bool german = false;  // the page's language, for the renderers' own words
};

// "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"; the number for
// any other id.
std::string AnswerName(std::int32_t answer);

// A caption as the page shows it: "&Save" reads "Save", "&&" one "&".
std::string ShownCaption(const std::string& caption);

}  // namespace dtm::render
