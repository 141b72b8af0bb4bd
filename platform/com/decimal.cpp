#include "platform/com/decimal.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "platform/com/error.h"

namespace dtm::com {

namespace {

__extension__ typedef unsigned __int128 U128;

constexpr U128 kMaxMantissa = (U128(1) << 96) - 1;
constexpr int kMaxScale = 28;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

U128 MantissaOf(const Decimal& d) { return U128(d.Hi()) << 64 | d.Lo(); }

// Drops trailing zero digits so that equal values compare equal.
void Normalize(U128& mantissa, int& scale) {
  while (scale > 0 && mantissa % 10 == 0) {
    mantissa /= 10;
    --scale;
  }
}

std::string Digits(U128 mantissa) {
  if (mantissa == 0) return "0";
  std::string digits;
  while (mantissa != 0) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(mantissa % 10)));
    mantissa /= 10;
  }
  return digits;
}

}  // namespace

Decimal Decimal::Parse(const std::string& text) {
  std::size_t pos = 0;
  const bool negative = pos < text.size() && text[pos] == '-';
  if (negative) ++pos;
  const std::size_t int_begin = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  const std::size_t int_end = pos;
  std::size_t frac_begin = pos;
  std::size_t frac_end = pos;
  if (pos < text.size() && text[pos] == '.') {
    frac_begin = ++pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    frac_end = pos;
    if (frac_end == frac_begin) ThrowTypeMismatch();
  }
  if (int_end == int_begin || pos != text.size()) ThrowTypeMismatch();

  U128 mantissa = 0;
  for (std::size_t i = int_begin; i < int_end; ++i) {
    const int digit = text[i] - '0';
    if (mantissa > (kMaxMantissa - static_cast<unsigned>(digit)) / 10) ThrowOverflow();
    mantissa = mantissa * 10 + static_cast<unsigned>(digit);
  }
  // Take fraction digits while the scale and the 96 bits allow; the rest
  // only decides the rounding.
  int scale = 0;
  std::size_t i = frac_begin;
  for (; i < frac_end && scale < kMaxScale; ++i) {
    const int digit = text[i] - '0';
    if (mantissa > (kMaxMantissa - static_cast<unsigned>(digit)) / 10) break;
    mantissa = mantissa * 10 + static_cast<unsigned>(digit);
    ++scale;
  }
  if (i < frac_end) {
    const int first = text[i] - '0';
    bool sticky = false;
    for (std::size_t j = i + 1; j < frac_end; ++j) sticky = sticky || text[j] != '0';
    if (first > 5 || (first == 5 && (sticky || mantissa % 2 == 1))) {
      ++mantissa;
      if (mantissa > kMaxMantissa) {
        // Only reachable with the mantissa full: give up one place instead.
        if (scale == 0) ThrowOverflow();
        const U128 rest = mantissa % 10;
        mantissa /= 10;
        --scale;
        if (rest > 5 || (rest == 5 && mantissa % 2 == 1)) ++mantissa;
      }
    }
  }

  Decimal result;
  result.lo_ = static_cast<std::uint64_t>(mantissa);
  result.hi_ = static_cast<std::uint32_t>(mantissa >> 64);
  result.scale_ = static_cast<std::uint8_t>(scale);
  result.negative_ = negative && mantissa != 0;
  return result;
}

Decimal Decimal::FromInt64(std::int64_t value) {
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  Decimal result;
  result.lo_ = magnitude;
  result.negative_ = value < 0;
  return result;
}

Decimal Decimal::FromDouble(double value, int significant_digits) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e29) ThrowOverflow();
  if (value == 0) return Decimal();
  if (significant_digits < 1) significant_digits = 1;
  if (significant_digits > 28) significant_digits = 28;
  // d.ddde+XX, rounded on the exact binary value.
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::scientific, significant_digits - 1);
  if (ec != std::errc()) ThrowOverflow();
  const std::string sci(buffer, end);
  const bool negative = sci.front() == '-';
  const std::size_t e = sci.find('e');
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
    if (sci[i] != '.') digits += sci[i];
  }
  const int exponent = std::atoi(sci.c_str() + e + 1);
  // The value is 0.digits * 10^(exponent + 1); write it out plainly.
  const int point = exponent + 1;
  if (point < -kMaxScale) return Decimal();
  std::string plain = negative ? "-" : "";
  if (point <= 0) {
    plain += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (static_cast<std::size_t>(point) >= digits.size()) {
    plain += digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    const auto split = static_cast<std::size_t>(point);
    plain += digits.substr(0, split) + "." + digits.substr(split);
  }
  Decimal result = Parse(plain);
  U128 mantissa = MantissaOf(result);
  int scale = result.scale_;
  Normalize(mantissa, scale);
  result.lo_ = static_cast<std::uint64_t>(mantissa);
  result.hi_ = static_cast<std::uint32_t>(mantissa >> 64);
  result.scale_ = static_cast<std::uint8_t>(scale);
  return result;
}

double Decimal::ToDouble() const {
  const std::string text = ToString('.');
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string Decimal::ToString(char decimal_mark) const {
  U128 mantissa = MantissaOf(*this);
  int scale = scale_;
  Normalize(mantissa, scale);
  std::string digits = Digits(mantissa);
  if (scale > 0) {
    const auto width = static_cast<std::size_t>(scale) + 1;
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(scale), 1, decimal_mark);
  }
  if (negative_ && mantissa != 0) digits.insert(0, 1, '-');
  return digits;
}

bool operator==(const Decimal& a, const Decimal& b) {
  U128 ma = MantissaOf(a);
  U128 mb = MantissaOf(b);
  int sa = a.scale_;
  int sb = b.scale_;
  Normalize(ma, sa);
  Normalize(mb, sb);
  if (ma == 0 && mb == 0) return true;
  return ma == mb && sa == sb && a.negative_ == b.negative_;
}

}  // namespace dtm::com
