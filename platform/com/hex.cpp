#include "platform/com/hex.h"

namespace dtm::com {

std::string HexBytes(std::span<const std::uint8_t> bytes, std::string_view separator,
                     HexDigits digits) {
  const char* table = digits == HexDigits::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * (2 + separator.size()));
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) text += separator;
    text += table[bytes[i] >> 4];
    text += table[bytes[i] & 0x0F];
  }
  return text;
}

}  // namespace dtm::com
