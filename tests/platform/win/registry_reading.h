#pragma once
// Reading a whole key back, the way the registry's callers read it.

#include <ostream>
#include <string>
#include <vector>

#include "platform/win/registry.h"

namespace dtm::win {

inline void PrintTo(const RegValue& value, std::ostream* os) {
  *os << '"' << value.name << "\" type " << value.type << " data";
  for (auto byte : value.data) *os << ' ' << static_cast<int>(byte);
}

namespace test {

inline std::vector<RegValue> AllValues(Registry& registry, Hive hive, const std::string& path) {
  std::vector<RegValue> values;
  KeyHandle key = 0;
  if (registry.OpenKey(hive, path, kKeyQueryValue, key) != kErrorSuccess) return values;
  RegValue value;
  for (std::uint32_t i = 0; registry.EnumValue(key, i, 1024, 1024, value) == kErrorSuccess; ++i) {
    values.push_back(value);
  }
  registry.CloseKey(key);
  return values;
}

inline bool KeyExists(Registry& registry, Hive hive, const std::string& path) {
  KeyHandle key = 0;
  if (registry.OpenKey(hive, path, kKeyQueryValue, key) != kErrorSuccess) return false;
  registry.CloseKey(key);
  return true;
}

}  // namespace test
}  // namespace dtm::win
