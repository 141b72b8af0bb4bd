#pragma once
// Numbers as the automation conversions read and write them in a locale.
// Internal to the COM layer; callers use Variant and TryParseNumber.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/locale.h"

namespace dtm::com::detail {

enum class ParseStatus { kOk, kNotANumber, kOverflow };

// A number read from text, exactly: sign * digits * 10^exponent.
struct NumberText {
  bool negative = false;
  std::string digits;  // no leading or trailing zeros; empty for zero
  std::int64_t exponent = 0;
};

// Blanks, sign, digits with the locale's grouping mark between them, the
// locale's decimal mark, exponent (E/e/D/d); or &H hex / &O octal, which
// read as a 16-bit value when they fit in 16 bits, else as a 32-bit value.
ParseStatus ScanNumber(std::string_view text, const Locale& locale, NumberText& out);

// The nearest double; kOverflow beyond the double range (tiny values give 0).
ParseStatus ToDouble(const NumberText& number, double& out);

// "[-]digits[.digits]" for Decimal::Parse; kOverflow when it cannot fit a
// Decimal's integer part, values far below its last place give "0".
ParseStatus ToPlainText(const NumberText& number, std::string& out);

// CStr of a floating value: up to `precision` significant digits, no
// trailing zeros, exponent form where printf's %G would use it, the given
// decimal mark, -0 as "0".
std::string FormatFloating(double value, int precision, char decimal_mark);

}  // namespace dtm::com::detail
