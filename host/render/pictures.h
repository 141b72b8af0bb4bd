#pragma once
// What the pictures of a page show, for both renderers: the state of a
// picture in words, the chosen entry of a list field, the numbers of a bar,
// and the small built-in SVG drawings of every picture the pages use
// (status lamps, the headline's logo and manual, the activity display, the
// search and data-source pictures, the fields' status icons), keyed by the
// picture's name.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/render/page_view.h"

namespace dtm::render {

// One entry of a list field's choices.
struct Choice {
  std::int32_t key = 0;
  std::string text;
};

// The choices of a field that offers a list (its "list" attribute,
// "0:Text|1:Text"); none for a field without one and for bit and command
// fields, whose lists are no choice of one value.
std::vector<Choice> Choices(const ControlState& field);

// The entry whose key the field's value names; nullopt for a value that is
// no whole number or names no entry.
std::optional<Choice> Chosen(const ControlState& field);

// The name of the drawing a picture control shows: its picture's source
// without the file's extension ("status_read_on", "picSearch"), or, for a
// control that has none, what its name says it is ("lamp" for picLED,
// "logo", "manual", "activity"); "" when no drawing fits.
std::string PictureName(const ControlState& picture);

// The state of a picture in words: "on", "off" or "not read" for the
// status pictures and the lamps; "" for a picture that has no state.
std::string PictureState(const ControlState& picture);

// The numbers of a bar (a control with the "bar" attribute), every one
// finite; nullopt for any other control.
struct BarShown {
  std::string caption;
  double value = 0;
  double range_min = 0, range_max = 100;
  double limit_min = 0, limit_max = 0;
  bool zero = false;  // the bar starts at zero rather than at the left edge
  bool value_known = true;  // false when the value is no finite number
  OleColor color = 0, limit_color = 0;
};
std::optional<BarShown> BarOf(const ControlState& bar);

// `text` as a number; nullopt for no number and for one that is not finite.
std::optional<double> FiniteNumber(const std::string& text);

// The drawing of `name` as an inline SVG element `size` pixels square, or
// "" for an unknown name. `colour` (a CSS colour) is the one the page set
// for a lamp; other drawings keep their own colours. `title` becomes the
// drawing's tooltip.
std::string PictureSvg(const std::string& name, const std::string& colour, int size,
                       const std::string& title = {});

// The drawing of a field's status icon ("CommErr" ... "Blank").
std::string StatusIconSvg(const std::string& key, const std::string& title);

// The bar as SVG: the scale with its ends, middle and caption, the value
// bar (from zero when it starts there), both limit marks and the zero line.
std::string BarSvg(const BarShown& bar);

}  // namespace dtm::render
