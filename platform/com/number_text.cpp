#include "platform/com/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace dtm::com::detail {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < base ? value : -1;
}

void SetFromInteger(std::int64_t value, NumberText& out) {
  out = NumberText{};
  out.negative = value < 0;
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  if (magnitude == 0) return;
  out.digits = std::to_string(magnitude);
  while (out.digits.back() == '0') {
    out.digits.pop_back();
    ++out.exponent;
  }
}

// &Hxxxx / &Oooo: the bits of an Integer when they fit in 16, else of a Long.
ParseStatus ScanRadix(std::string_view digits, int base, NumberText& out) {
  if (digits.empty()) return ParseStatus::kNotANumber;
  std::uint64_t value = 0;
  for (const char c : digits) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return ParseStatus::kNotANumber;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return ParseStatus::kOverflow;
  }
  if (value <= 0xFFFFu) {
    SetFromInteger(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)), out);
  } else {
    SetFromInteger(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)), out);
  }
  return ParseStatus::kOk;
}

}  // namespace

ParseStatus ScanNumber(std::string_view text, const Locale& locale, NumberText& out) {
  text = Trim(text);
  if (text.size() >= 2 && text[0] == '&') {
    if (text[1] == 'H' || text[1] == 'h') return ScanRadix(text.substr(2), 16, out);
    if (text[1] == 'O' || text[1] == 'o') return ScanRadix(text.substr(2), 8, out);
    return ParseStatus::kNotANumber;
  }

  NumberText number;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    number.negative = text[pos] == '-';
    ++pos;
  }
  std::string digits;
  std::int64_t fraction_digits = 0;
  bool any_digit = false;
  // Integer part: a grouping mark counts only between two digits.
  while (pos < text.size()) {
    if (IsDigit(text[pos])) {
      digits += text[pos++];
      any_digit = true;
    } else if (text[pos] == locale.group && any_digit && pos + 1 < text.size() &&
               IsDigit(text[pos + 1])) {
      ++pos;
    } else {
      break;
    }
  }
  if (pos < text.size() && text[pos] == locale.decimal) {
    ++pos;
    while (pos < text.size() && IsDigit(text[pos])) {
      digits += text[pos++];
      ++fraction_digits;
      any_digit = true;
    }
  }
  if (!any_digit) return ParseStatus::kNotANumber;

  std::int64_t exponent = 0;
  if (pos < text.size() &&
      (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
    ++pos;
    bool exponent_negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
      exponent_negative = text[pos] == '-';
      ++pos;
    }
    if (pos == text.size() || !IsDigit(text[pos])) return ParseStatus::kNotANumber;
    while (pos < text.size() && IsDigit(text[pos])) {
      // Clamped: far beyond any range, the exact size no longer matters.
      if (exponent < 100000) exponent = exponent * 10 + (text[pos] - '0');
      ++pos;
    }
    if (exponent_negative) exponent = -exponent;
  }
  if (pos != text.size()) return ParseStatus::kNotANumber;

  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) {
    number.digits.clear();
    number.exponent = 0;
  } else {
    const std::size_t last = digits.find_last_not_of('0');
    number.digits = digits.substr(first, last - first + 1);
    number.exponent = exponent - fraction_digits +
                      static_cast<std::int64_t>(digits.size() - 1 - last);
  }
  out = number;
  return ParseStatus::kOk;
}

ParseStatus ToDouble(const NumberText& number, double& out) {
  if (number.digits.empty()) {
    out = number.negative ? -0.0 : 0.0;
    return ParseStatus::kOk;
  }
  const std::string text =
      (number.negative ? "-" : "") + number.digits + "e" + std::to_string(number.exponent);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Out of range above or below: the digits' magnitude tells which.
    const auto magnitude = static_cast<std::int64_t>(number.digits.size()) + number.exponent;
    if (magnitude > 0) return ParseStatus::kOverflow;
    value = number.negative ? -0.0 : 0.0;
  } else if (ec != std::errc() || end != text.data() + text.size()) {
    return ParseStatus::kNotANumber;
  }
  out = value;
  return ParseStatus::kOk;
}

ParseStatus ToPlainText(const NumberText& number, std::string& out) {
  if (number.digits.empty()) {
    out = "0";
    return ParseStatus::kOk;
  }
  const auto size = static_cast<std::int64_t>(number.digits.size());
  const std::int64_t point = size + number.exponent;  // digits before the mark
  if (point > 29) return ParseStatus::kOverflow;
  if (point < -29) {
    out = "0";
    return ParseStatus::kOk;
  }
  std::string text = number.negative ? "-" : "";
  if (number.exponent >= 0) {
    text += number.digits + std::string(static_cast<std::size_t>(number.exponent), '0');
  } else if (point <= 0) {
    text += "0." + std::string(static_cast<std::size_t>(-point), '0') + number.digits;
  } else {
    const auto split = static_cast<std::size_t>(point);
    text += number.digits.substr(0, split) + "." + number.digits.substr(split);
  }
  out = text;
  return ParseStatus::kOk;
}

std::string FormatFloating(double value, int precision, char decimal_mark) {
  if (std::isnan(value)) return std::string("-1") + decimal_mark + "#IND";
  if (std::isinf(value)) return std::string(value < 0 ? "-1" : "1") + decimal_mark + "#INF";
  if (value == 0) return "0";
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0");
  for (char& c : text) {
    if (c == 'e') c = 'E';
    else if (c == '.') c = decimal_mark;
  }
  return text;
}

}  // namespace dtm::com::detail
