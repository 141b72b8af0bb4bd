#pragma once
// Small conversions shared by the parameter pages: binary text to numbers,
// bytes to display text, and the rounding a parameter gets before it is
// shown or written to the device.

#include <cstdint>
#include <string>

#include "platform/com/variant.h"

namespace dtm::basCVMK {

// The Long whose little-endian bytes are the 4 characters of `text` (the
// data of a REG_DWORD read as text). Any other length raises ComError 1000
// "Invalid string argument" from "CVL".
std::int32_t CVL(const std::string& text);

// " " and two upper-case hex digits: 10 gives " 0A".
std::string ByteToHexStr(std::uint8_t value);

// Every "|" becomes one blank.
std::string PipeToBlank(const std::string& text);

// The value as the parameter at `path` is shown with the number format
// `fmt` ("0", "0.0", "0.00", ...). Counters come back as a Long, or as a
// whole Double when they do not fit a Long; a few exact measurements as a
// Double rounded to their digits; everything else as a Single rounded up
// to the next hundredth, so a shown value never lies below the true one,
// and then to the format's digits. Not-a-number and infinities come back
// as they are (as a Single on the last path). Paths and formats match exactly. A value that is no
// number raises Type mismatch.
com::Variant RoundParamValue(const std::string& path, const com::Variant& value,
                             const std::string& fmt);

// The paths whose value is a count: RoundParamValue makes a Long of it
// whenever the value has one.
bool IsCountPath(const std::string& path);

}  // namespace dtm::basCVMK
