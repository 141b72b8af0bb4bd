#pragma once
// A page as text, for the terminal: the page line, the headline, then every
// visible control in form order (frames indent what they contain): tabs
// with the selected one, fields with label, value, unit, status icon and
// lock, buttons with their state, list boxes with their lines; then the
// message boxes shown and the failures of event handlers.

#include <string>

#include "host/render/page_view.h"

namespace dtm::render {

std::string RenderText(const PageView& page);

}  // namespace dtm::render
