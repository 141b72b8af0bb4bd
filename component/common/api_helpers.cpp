#include "component/common/api_helpers.h"

#include "platform/win/class_registry.h"

namespace dtm::APIHelpers {
namespace {

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool ProgIdToClsid(win::Registry& registry, const std::string& prog_id, com::Guid& clsid) {
  return com::ClsidFromProgId(registry, prog_id, clsid) == com::kSOk;
}

bool NewGuid(win::GuidSource& source, com::Guid& guid) { return source.CreateGuid(guid) == 0; }

std::string GuidToString(const com::Guid& guid) { return guid.ToString(); }

std::string CreateGuidString(win::GuidSource& source, bool keep_braces) {
  com::Guid guid;
  if (!NewGuid(source, guid)) return {};
  const std::string text = GuidToString(guid);
  return keep_braces ? text : text.substr(1, text.size() - 2);
}

bool IsSameText(const std::string& a, const std::string& b) {
  if (a.empty() || a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace dtm::APIHelpers
