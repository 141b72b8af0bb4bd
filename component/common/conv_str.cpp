#include "component/common/conv_str.h"

#include "platform/com/error.h"
#include "platform/com/hex.h"

namespace dtm::ConvStr {
namespace {

std::uint8_t HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  com::ThrowTypeMismatch();
}

}  // namespace

com::Variant HexToBytes(const std::string& text) {
  if (text.empty()) return com::Variant();
  com::ByteArray bytes((text.size() + 1) / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::uint8_t high = HexDigit(text[2 * i]);
    bytes[i] = 2 * i + 1 < text.size()
                   ? static_cast<std::uint8_t>(high << 4 | HexDigit(text[2 * i + 1]))
                   : high;
  }
  return com::Variant(std::move(bytes));
}

std::string BytesToHex(const com::Variant& bytes) {
  if (!bytes.IsByteArray()) return {};
  return com::HexBytes(bytes.Bytes());
}

}  // namespace dtm::ConvStr
