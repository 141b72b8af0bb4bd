#include "platform/com/format.h"

#include <cmath>
#include <cstddef>
#include <optional>

#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "platform/com/number_text.h"

namespace dtm::com {

namespace {

struct Pattern {
  std::string prefix;
  std::string suffix;
  int int_placeholders = 0;
  int min_int_digits = 0;  // from the leftmost integer "0" on
  bool group = false;
  bool point = false;
  int decimals = 0;
  int min_frac_digits = 0;  // up to the rightmost fraction "0"
};

bool IsPlaceholder(char c) { return c == '0' || c == '#'; }

// Copies a "\x" or "..." literal starting at pattern[i]; false when
// pattern[i] starts none. Leaves i on the literal's last character.
bool CopyEscaped(const std::string& pattern, std::size_t& i, std::string& out) {
  if (pattern[i] == '\\') {
    if (i + 1 < pattern.size()) out += pattern[++i];
    return true;
  }
  if (pattern[i] == '"') {
    const std::size_t close = pattern.find('"', i + 1);
    const std::size_t end = close == std::string::npos ? pattern.size() : close;
    out += pattern.substr(i + 1, end - i - 1);
    i = end == pattern.size() ? end - 1 : end;
    return true;
  }
  return false;
}

Pattern ParsePattern(const std::string& pattern) {
  Pattern p;
  enum class Part { kPrefix, kDigits, kSuffix } part = Part::kPrefix;
  int first_int_zero = -1;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (part == Part::kPrefix) {
      if (IsPlaceholder(c) || c == '.') {
        part = Part::kDigits;
      } else {
        if (CopyEscaped(pattern, i, p.prefix)) continue;
        if (c == ',' || c == '%' || c == ';') ThrowInvalidProcedureCall("Format");
        p.prefix += c;
        continue;
      }
    }
    if (part == Part::kDigits) {
      if (IsPlaceholder(c)) {
        if (!p.point) {
          if (c == '0' && first_int_zero < 0) first_int_zero = p.int_placeholders;
          ++p.int_placeholders;
        } else {
          ++p.decimals;
          if (c == '0') p.min_frac_digits = p.decimals;
        }
        continue;
      }
      if (c == '.') {
        if (p.point) ThrowInvalidProcedureCall("Format");
        p.point = true;
        continue;
      }
      if (c == ',') {
        // Only between integer placeholders; elsewhere it would scale.
        if (p.point || i + 1 >= pattern.size() || !IsPlaceholder(pattern[i + 1])) {
          ThrowInvalidProcedureCall("Format");
        }
        p.group = true;
        continue;
      }
      part = Part::kSuffix;
    }
    if (CopyEscaped(pattern, i, p.suffix)) continue;
    const bool exponent = (c == 'E' || c == 'e') && i + 1 < pattern.size() &&
                          (pattern[i + 1] == '+' || pattern[i + 1] == '-');
    if (IsPlaceholder(c) || c == '.' || c == ',' || c == '%' || c == ';' || exponent) {
      ThrowInvalidProcedureCall("Format");
    }
    p.suffix += c;
  }
  if (first_int_zero >= 0) p.min_int_digits = p.int_placeholders - first_int_zero;
  return p;
}

detail::NumberText Scan(const std::string& text) {
  detail::NumberText number;
  if (detail::ScanNumber(text, Locale::English(), number) != detail::ParseStatus::kOk) {
    ThrowTypeMismatch("Format");
  }
  return number;
}

detail::NumberText FloatingDigits(double value, int precision) {
  if (!std::isfinite(value)) ThrowOverflow("Format");
  return Scan(detail::FormatFloating(value, precision, '.'));
}

// The decimal digits of a value as CStr shows them; nullopt for a text
// that is no number (Format hands such a text back).
std::optional<detail::NumberText> DigitsOf(const Variant& value, const Locale& locale) {
  switch (value.Type()) {
    case VarType::Empty: return detail::NumberText{};
    case VarType::Null: ThrowInvalidUseOfNull("Format");
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte: return Scan(std::to_string(value.ToLong()));
    case VarType::Boolean: return Scan(value.ToBoolean() ? "-1" : "0");
    case VarType::Single: return FloatingDigits(value.ToSingle(), 7);
    case VarType::Double:
    case VarType::Date: return FloatingDigits(value.ToDouble(), 15);
    case VarType::Decimal: return Scan(value.ToDecimal().ToString('.'));
    case VarType::String: {
      double number = 0;
      if (!TryParseNumber(value.ToString(), locale, number)) return std::nullopt;
      return FloatingDigits(number, 15);
    }
    default: ThrowTypeMismatch("Format");
  }
}

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

// |number| * 10^decimals rounded half away from zero, as decimal digits.
std::string ScaledAndRounded(const detail::NumberText& number, int decimals) {
  if (number.digits.empty()) return "0";
  const std::int64_t shift = number.exponent + decimals;
  if (shift >= 0) return number.digits + std::string(static_cast<std::size_t>(shift), '0');
  const auto size = static_cast<std::int64_t>(number.digits.size());
  const std::int64_t keep = size + shift;
  if (keep < 0) return "0";
  std::string kept = number.digits.substr(0, static_cast<std::size_t>(keep));
  if (kept.empty()) kept = "0";
  // The digits are exact: a first dropped digit of 5 or more is at least half.
  if (number.digits[static_cast<std::size_t>(keep)] >= '5') Increment(kept);
  return kept;
}

std::string Grouped(const std::string& digits, char mark) {
  std::string out;
  const std::size_t size = digits.size();
  for (std::size_t i = 0; i < size; ++i) {
    if (i > 0 && (size - i) % 3 == 0) out += mark;
    out += digits[i];
  }
  return out;
}

}  // namespace

std::string Format(const Variant& value, const std::string& pattern) {
  return Format(value, pattern, Locale::English());
}

std::string Format(const Variant& value, const std::string& pattern, const Locale& locale) {
  if (pattern.empty()) return value.ToString(locale);
  const Pattern p = ParsePattern(pattern);
  const std::optional<detail::NumberText> number = DigitsOf(value, locale);
  if (!number) return value.ToString(locale);

  std::string scaled = ScaledAndRounded(*number, p.decimals);
  const auto decimals = static_cast<std::size_t>(p.decimals);
  if (scaled.size() <= decimals) scaled.insert(0, decimals + 1 - scaled.size(), '0');
  std::string integer = scaled.substr(0, scaled.size() - decimals);
  std::string fraction = scaled.substr(scaled.size() - decimals);
  const bool zero = integer.find_first_not_of('0') == std::string::npos &&
                    fraction.find_first_not_of('0') == std::string::npos;

  integer.erase(0, integer.find_first_not_of('0'));
  const auto min_int = static_cast<std::size_t>(p.min_int_digits);
  if (integer.size() < min_int) integer.insert(0, min_int - integer.size(), '0');
  if (p.group) integer = Grouped(integer, locale.group);

  const auto min_frac = static_cast<std::size_t>(p.min_frac_digits);
  while (fraction.size() > min_frac && fraction.back() == '0') fraction.pop_back();

  std::string text = number->negative && !zero ? "-" : "";
  text += p.prefix;
  text += integer;
  if (p.point) {
    text += locale.decimal;
    text += fraction;
  }
  text += p.suffix;
  return text;
}

std::optional<std::string> NonFiniteWord(const Variant& value) {
  double number = 0;
  switch (value.Type()) {
    case VarType::Single: number = value.ToSingle(); break;
    case VarType::Double: number = value.ToDouble(); break;
    case VarType::Date: number = value.ToDate().serial; break;
    default: return std::nullopt;
  }
  if (std::isnan(number)) return std::string("NaN");
  if (std::isinf(number)) return std::string(number < 0 ? "-Inf" : "Inf");
  return std::nullopt;
}

std::string InvariantNumberText(const Variant& value) {
  return InvariantNumberText(value, Locale::English());
}

std::string InvariantNumberText(const Variant& value, const Locale& locale) {
  switch (value.Type()) {
    case VarType::Empty: return "0";
    case VarType::Null: ThrowInvalidUseOfNull("Str");
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte: return std::to_string(value.ToLong());
    case VarType::Boolean: return value.ToBoolean() ? "-1" : "0";
    case VarType::Single: return detail::FormatFloating(value.ToSingle(), 7, '.');
    case VarType::Double:
    case VarType::Date: return detail::FormatFloating(value.ToDouble(), 15, '.');
    case VarType::Decimal: return value.ToDecimal().ToString('.');
    case VarType::String: {
      double number = 0;
      if (!TryParseNumber(value.ToString(), locale, number)) ThrowTypeMismatch("Str");
      return detail::FormatFloating(number, 15, '.');
    }
    default: ThrowTypeMismatch("Str");
  }
}

bool TryParseInvariantNumber(const std::string& text, double& out) {
  // No grouping mark: "1,5" is no number here, and a NUL never reaches the scan.
  if (text.find('\0') != std::string::npos) return false;
  Locale invariant = Locale::English();
  invariant.group = '\0';
  detail::NumberText number;
  if (detail::ScanNumber(text, invariant, number) != detail::ParseStatus::kOk) return false;
  return detail::ToDouble(number, out) == detail::ParseStatus::kOk;
}

}  // namespace dtm::com
