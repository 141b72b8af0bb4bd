#pragma once
// Bytes as hexadecimal text, two digits a byte: the one formatter behind
// every dump, data attribute and file field that shows raw bytes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace dtm::com {

enum class HexDigits { kUpper, kLower };

// Each byte as two digits, `separator` between bytes (none after the last).
std::string HexBytes(std::span<const std::uint8_t> bytes, std::string_view separator = {},
                     HexDigits digits = HexDigits::kUpper);

}  // namespace dtm::com
