#pragma once
// A page as one self-contained static HTML file (inline CSS, display lists
// as inline SVG, nothing fetched) that a browser shows as a recognisable
// page: the headline bar, tabs, frames with their fields and buttons, list
// boxes, pictures, and below the form the message boxes shown and the
// failures of event handlers.

#include <string>

#include "host/render/page_view.h"

namespace dtm::render {

std::string RenderHtml(const PageView& page);

// `text` with &, <, >, " and ' escaped.
std::string EscapeHtml(const std::string& text);

// The CSS colour of an OLE colour; a system colour as the desktop's
// classic scheme paints it.
std::string CssColour(OleColor color);

// A display list as an SVG element whose view box holds every point (and
// the origin).
std::string RenderSvg(const std::vector<DrawOp>& display_list);

}  // namespace dtm::render
