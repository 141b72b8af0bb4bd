#include "platform/com/guid.h"

#include <cstdio>

namespace dtm::com {

std::string Guid::ToString() const {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(data1), static_cast<unsigned>(data2),
                static_cast<unsigned>(data3), data4[0], data4[1], data4[2], data4[3], data4[4],
                data4[5], data4[6], data4[7]);
  return text;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads `count` hex digits at `pos`; false on anything that is no hex digit.
bool ReadHex(const std::string& text, std::size_t pos, std::size_t count, std::uint64_t& out) {
  out = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int digit = HexDigit(text[pos + i]);
    if (digit < 0) return false;
    out = out << 4 | static_cast<std::uint64_t>(digit);
  }
  return true;
}

}  // namespace

std::optional<Guid> Guid::Parse(const std::string& text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  // 0        9    14   19   24           37
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  for (std::size_t dash : {9u, 14u, 19u, 24u}) {
    if (text[dash] != '-') return std::nullopt;
  }
  Guid guid;
  std::uint64_t value = 0;
  if (!ReadHex(text, 1, 8, value)) return std::nullopt;
  guid.data1 = static_cast<std::uint32_t>(value);
  if (!ReadHex(text, 10, 4, value)) return std::nullopt;
  guid.data2 = static_cast<std::uint16_t>(value);
  if (!ReadHex(text, 15, 4, value)) return std::nullopt;
  guid.data3 = static_cast<std::uint16_t>(value);
  const std::size_t byte_pos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < 8; ++i) {
    if (!ReadHex(text, byte_pos[i], 2, value)) return std::nullopt;
    guid.data4[i] = static_cast<std::uint8_t>(value);
  }
  return guid;
}

}  // namespace dtm::com
