// The frame's user information document:
//
//   <FDT><UserInfo userLevel="Maintenance" userName="Smith"/></FDT>
//
// The UserInfo element may sit anywhere and in any namespace. The level is
// a name (letter case ignored) or its number 0..5.

#include "platform/runtime/user.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/xml/dom.h"

namespace dtm::runtime {

namespace {

struct LevelName {
  const char* name;
  std::int32_t level;
};

constexpr LevelName kLevels[] = {
    {"Observer", 0},         {"Operator", 1},   {"Maintenance", 2},
    {"PlanningEngineer", 3}, {"OEMService", 4}, {"Administrator", 5},
};

bool SameText(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::optional<std::int32_t> ParseLevel(const std::string& text) {
  for (const LevelName& level : kLevels) {
    if (SameText(text, level.name)) return level.level;
  }
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '5') return text[0] - '0';
  return std::nullopt;
}

}  // namespace

bool User::Config(const std::string& user_info, DTMContext& /*context*/) {
  xml::Document document;
  if (!document.LoadXml(user_info)) return false;
  xml::Node info = document.SelectSingleNode("//*[local-name()='UserInfo']");
  if (!info) return false;
  auto text = info.Attribute("userLevel");
  if (!text) return false;
  auto level = ParseLevel(*text);
  if (!level) return false;
  level_ = *level;
  name_ = info.Attribute("userName").value_or("");
  return true;
}

}  // namespace dtm::runtime
