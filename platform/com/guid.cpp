#include "platform/com/guid.h"

namespace dtm::com {

namespace {

// Writes `value` as `digits` upper-case hex digits at `out`; answers the end.
// Invoke ids are made a transaction at a time, so no format parsing here.
char* PutHex(char* out, std::uint32_t value, int digits) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = kDigits[value & 0x0F];
    value >>= 4;
  }
  return out + digits;
}

}  // namespace

std::string Guid::ToString() const {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  std::string text(38, '-');
  char* out = text.data();
  *out++ = '{';
  out = PutHex(out, data1, 8) + 1;
  out = PutHex(out, data2, 4) + 1;
  out = PutHex(out, data3, 4) + 1;
  out = PutHex(out, data4[0], 2);
  out = PutHex(out, data4[1], 2) + 1;
  for (std::size_t i = 2; i < data4.size(); ++i) out = PutHex(out, data4[i], 2);
  *out = '}';
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
