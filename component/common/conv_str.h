#pragma once
// Hex text and byte arrays, as device data is shown and typed in.

#include <string>

#include "platform/com/variant.h"

namespace dtm::ConvStr {

// "" gives Empty; otherwise a ByteArray of (length+1)/2 bytes, two hex
// digits (either case) per byte, a last single digit giving that digit's
// value ("A" is 0x0A). Anything but hex digits, blanks and signs included,
// raises Type mismatch.
com::Variant HexToBytes(const std::string& text);

// Two upper-case hex digits per byte of a ByteArray; "" for anything else.
std::string BytesToHex(const com::Variant& bytes);

}  // namespace dtm::ConvStr
