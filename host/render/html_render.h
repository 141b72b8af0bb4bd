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

// The page as the live frame shows it inside a document of its own: the
// <main class="page"> element alone, without the message boxes and
// failures (the frame shows those itself), and with what the user can
// work: fields and text boxes that can be edited carry inputs, enabled
// check boxes and option buttons enabled inputs, a tab of a page's strip
// its number in data-tab (from 1).
std::string RenderLiveFragment(const PageView& page);

// The pages' CSS for such a document: the static page's rules without the
// one for its body.
std::string PageStyle();

// `text` with &, <, >, " and ' escaped.
std::string EscapeHtml(const std::string& text);

// The CSS colour of an OLE colour; a system colour as the desktop's
// classic scheme paints it.
std::string CssColour(OleColor color);

// A display list as an SVG element whose view box holds every point (and
// the origin).
std::string RenderSvg(const std::vector<DrawOp>& display_list);

}  // namespace dtm::render
