#pragma once
// Identifiers and text comparison helpers over the COM and Windows services.

#include <string>

#include "platform/com/guid.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"

namespace dtm::APIHelpers {

// The class id registered for `prog_id`; false (and `clsid` as the lookup
// left it) when the ProgID is unknown.
bool ProgIdToClsid(win::Registry& registry, const std::string& prog_id, com::Guid& clsid);

// A new identifier; false when none could be made.
bool NewGuid(win::GuidSource& source, com::Guid& guid);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
std::string GuidToString(const com::Guid& guid);

// A new identifier as text, with its braces or as the bare 36 characters;
// "" when none could be made.
std::string CreateGuidString(win::GuidSource& source, bool keep_braces);

// True when `a` is not empty and equals `b` ignoring ASCII letter case; two
// empty texts are not the same text here.
bool IsSameText(const std::string& a, const std::string& b);

}  // namespace dtm::APIHelpers
