#pragma once
// The automation Decimal: a 96-bit unsigned mantissa, a sign and a scale of
// 0 to 28 decimal places. Values are exact in decimal; arithmetic beyond
// conversion is not needed by the system.

#include <cstdint>
#include <string>

namespace dtm::com {

class Decimal {
 public:
  Decimal() = default;
  // Keeps the significant digits that CStr shows for the value (15 for a
  // Double, 7 for a Single), rounded on the exact binary value, so that
  // 0.1 becomes 0.1 rather than its binary expansion; places beyond 28 are
  // rounded half to even. Raises Overflow for NaN, infinities and
  // magnitudes beyond 79228162514264337593543950335.
  static Decimal FromDouble(double value, int significant_digits = 15);
  static Decimal FromInt64(std::int64_t value);
  // Exact text "[-]digits[.digits]" with '.' as the mark; raises TypeMismatch
  // on anything else and Overflow when the integer part does not fit.
  // Fraction digits beyond 28 places (or beyond the 96 bits) are rounded
  // half to even; the scale written is kept ("1.50" has scale 2).
  static Decimal Parse(const std::string& text);

  double ToDouble() const;
  // Shortest exact text with the given decimal mark, trailing zeros removed.
  std::string ToString(char decimal_mark = '.') const;

  bool Negative() const { return negative_; }
  std::uint8_t Scale() const { return scale_; }
  // Mantissa as hi (32 bits) and lo (64 bits).
  std::uint32_t Hi() const { return hi_; }
  std::uint64_t Lo() const { return lo_; }

  // Equal values are equal whatever their scale: 1.5 == 1.50, -0 == 0.
  friend bool operator==(const Decimal& a, const Decimal& b);

 private:
  std::uint64_t lo_ = 0;
  std::uint32_t hi_ = 0;
  std::uint8_t scale_ = 0;
  bool negative_ = false;
};

}  // namespace dtm::com
