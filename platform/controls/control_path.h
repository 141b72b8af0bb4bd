#pragma once
// The control paths of navigation. One grammar serves every member of the
// navigation object and every page:
//
//   path    := [ page "." ]... control
//   page    := name
//   control := name [ "(" index ")" ]
//
// A name is one or more characters other than ".", "(", ")" and blanks;
// names compare without regard to case. An index is decimal digits, 0 to
// 32767. Blanks around the parts are ignored.
//
// The pages in front of the control are those that hold it, outermost
// first: "ctlOfflineParams.Trend1", "ctlIdent.ctlParameter(20)", and for a
// control of a page hosted in the offline container
// "ctlOffline.ctlIdent.ctlParameter(20)". A path is read by the page that
// receives it, and its first page is that page; a path of the control alone
// names a control of whatever page receives it.
//
// The normal form of a path is its control alone, "<name>" or
// "<name>(<index>)" with the index in plain decimal ("ctlParameter(20)",
// "Trend1"): the form a page compares with its own control names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/controls.h"

namespace dtm::controls {

struct PathPart {
  std::string name;
  std::optional<std::int16_t> index;
  friend bool operator==(const PathPart&, const PathPart&) = default;
};

struct ControlPath {
  std::vector<PathPart> parts;  // pages (no index), then the control; never empty

  const PathPart& Control() const { return parts.back(); }
  // The control's part as the receiving page (the first part) sees it: the
  // part after that page, or the control of a one-part path. For
  // "ctlOffline.ctlIdent.ctlParameter(3)" the container sees "ctlIdent".
  const PathPart& Seen() const { return parts.size() > 1 ? parts[1] : parts[0]; }
  // Whether the path starts with the pages of `pages` (a page name or a
  // dotted page path; "" is every page). A one-part path belongs to every page.
  bool BelongsTo(std::string_view pages) const;
};

// Nullopt for a text outside the grammar (also for "").
std::optional<ControlPath> ParseControlPath(std::string_view text);

// "<name>" or "<name>(<index>)".
std::string PartText(const PathPart& part);
// The parts joined with ".".
std::string PathText(const ControlPath& path);
// The normal form of a path: its control part alone.
std::string NormalPath(const ControlPath& path);

// The part that names `control` on its page: its Name, and its Index when
// it belongs to a control array.
PathPart PartOf(const forms::Control& control);
// `base` (a page name, a dotted page path, or "") followed by the control's part.
std::string JoinPath(std::string_view base, const forms::Control& control);

// Whether `control` is the one `part` names: the same name, and the same
// index in a control array, or no index outside one.
bool Names(const PathPart& part, const forms::Control& control);

}  // namespace dtm::controls
