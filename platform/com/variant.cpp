#include "platform/com/variant.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>
#include <type_traits>

#include "platform/com/date_text.h"
#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "platform/com/number_text.h"

namespace dtm::com {

namespace {

__extension__ typedef __int128 I128;
__extension__ typedef unsigned __int128 U128;

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// What a Variant holds, reduced to the three kinds of number the
// conversions distinguish. Decimal stays exact so that its rounding is.
struct Number {
  enum class Kind { kInteger, kFloating, kDecimal } kind = Kind::kInteger;
  std::int64_t integer = 0;
  double floating = 0;
  Decimal decimal;
  bool from_single = false;  // a Single keeps 7 significant digits into a Decimal
};

Number Integer(std::int64_t v) { return {Number::Kind::kInteger, v, 0, {}, false}; }
Number Floating(double v, bool from_single = false) {
  return {Number::Kind::kFloating, 0, v, {}, from_single};
}

void Raise(detail::ParseStatus status) {
  if (status == detail::ParseStatus::kOverflow) ThrowOverflow();
  ThrowTypeMismatch();
}

detail::NumberText ScanOrRaise(const std::string& text, const Locale& locale) {
  detail::NumberText number;
  const auto status = detail::ScanNumber(text, locale, number);
  if (status != detail::ParseStatus::kOk) Raise(status);
  return number;
}

double TextToDouble(const std::string& text, const Locale& locale) {
  double value = 0;
  const auto status = detail::ToDouble(ScanOrRaise(text, locale), value);
  if (status != detail::ParseStatus::kOk) Raise(status);
  return value;
}

// Only a text needs the locale.
Number NumberOf(std::monostate, const Locale&) { return Integer(0); }
[[noreturn]] Number NumberOf(NullValue, const Locale&) { ThrowInvalidUseOfNull(); }
Number NumberOf(std::int16_t v, const Locale&) { return Integer(v); }
Number NumberOf(std::int32_t v, const Locale&) { return Integer(v); }
Number NumberOf(float v, const Locale&) { return Floating(v, true); }
Number NumberOf(double v, const Locale&) { return Floating(v); }
Number NumberOf(bool v, const Locale&) { return Integer(v ? -1 : 0); }
Number NumberOf(std::uint8_t v, const Locale&) { return Integer(v); }
Number NumberOf(const std::string& v, const Locale& locale) {
  return Floating(TextToDouble(v, locale));
}
[[noreturn]] Number NumberOf(const ByteArray&, const Locale&) { ThrowTypeMismatch(); }
Number NumberOf(const Decimal& v, const Locale&) { return {Number::Kind::kDecimal, 0, 0, v, false}; }
Number NumberOf(const DateValue& v, const Locale&) { return Floating(v.serial); }
[[noreturn]] Number NumberOf(const ObjectPtr&, const Locale&) { ThrowTypeMismatch(); }

// Half to even to a whole number; exact for every double (x - floor(x) is).
double RoundToWhole(double x) {
  const double below = std::floor(x);
  const double rest = x - below;
  if (rest > 0.5) return below + 1;
  if (rest < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

// The decimal rounded half to even to a whole number, exactly.
I128 RoundToWhole(const Decimal& d) {
  U128 mantissa = U128(d.Hi()) << 64 | d.Lo();
  U128 divisor = 1;
  for (int i = 0; i < d.Scale(); ++i) divisor *= 10;
  U128 whole = mantissa / divisor;
  const U128 rest = mantissa % divisor;
  if (rest * 2 > divisor || (rest * 2 == divisor && whole % 2 == 1)) ++whole;
  const auto value = static_cast<I128>(whole);
  return d.Negative() ? -value : value;
}

template <class Int>
Int ToIntegral(const Number& n) {
  constexpr auto kMin = std::numeric_limits<Int>::min();
  constexpr auto kMax = std::numeric_limits<Int>::max();
  switch (n.kind) {
    case Number::Kind::kInteger:
      if (n.integer < kMin || n.integer > kMax) ThrowOverflow();
      return static_cast<Int>(n.integer);
    case Number::Kind::kFloating: {
      const double r = RoundToWhole(n.floating);
      // Written so that NaN fails too.
      if (!(r >= static_cast<double>(kMin) && r <= static_cast<double>(kMax))) ThrowOverflow();
      return static_cast<Int>(r);
    }
    case Number::Kind::kDecimal: {
      const I128 r = RoundToWhole(n.decimal);
      if (r < kMin || r > kMax) ThrowOverflow();
      return static_cast<Int>(r);
    }
  }
  ThrowTypeMismatch();
}

double ToFloating(const Number& n) {
  switch (n.kind) {
    case Number::Kind::kInteger: return static_cast<double>(n.integer);
    case Number::Kind::kFloating: return n.floating;
    case Number::Kind::kDecimal: return n.decimal.ToDouble();
  }
  ThrowTypeMismatch();
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

DateValue DateFromSerial(double serial) {
  if (!detail::IsValidDateSerial(serial)) ThrowOverflow();
  return DateValue{serial};
}

}  // namespace

VarType Variant::Type() const {
  return std::visit(Overloaded{
                        [](std::monostate) { return VarType::Empty; },
                        [](NullValue) { return VarType::Null; },
                        [](std::int16_t) { return VarType::Integer; },
                        [](std::int32_t) { return VarType::Long; },
                        [](float) { return VarType::Single; },
                        [](double) { return VarType::Double; },
                        [](bool) { return VarType::Boolean; },
                        [](std::uint8_t) { return VarType::Byte; },
                        [](const std::string&) { return VarType::String; },
                        [](const ByteArray&) { return VarType::ByteArray; },
                        [](const Decimal&) { return VarType::Decimal; },
                        [](const DateValue&) { return VarType::Date; },
                        [](const ObjectPtr&) { return VarType::Object; },
                    },
                    value_);
}

bool Variant::IsNumeric() const { return IsNumeric(Locale::English()); }

bool Variant::IsNumeric(const Locale& locale) const {
  return std::visit(Overloaded{
                        [&](const std::string& v) {
                          double ignored = 0;
                          return TryParseNumber(v, locale, ignored);
                        },
                        [](NullValue) { return false; },
                        [](const ByteArray&) { return false; },
                        [](const DateValue&) { return false; },
                        [](const ObjectPtr&) { return false; },
                        [](const auto&) { return true; },
                    },
                    value_);
}

std::int16_t Variant::ToInteger() const { return ToInteger(Locale::English()); }

std::int16_t Variant::ToInteger(const Locale& locale) const {
  return std::visit([&](const auto& v) { return ToIntegral<std::int16_t>(NumberOf(v, locale)); },
                    value_);
}

std::int32_t Variant::ToLong() const { return ToLong(Locale::English()); }

std::int32_t Variant::ToLong(const Locale& locale) const {
  return std::visit([&](const auto& v) { return ToIntegral<std::int32_t>(NumberOf(v, locale)); },
                    value_);
}

std::uint8_t Variant::ToByte() const { return ToByte(Locale::English()); }

std::uint8_t Variant::ToByte(const Locale& locale) const {
  // True is all bits set, and a Byte keeps the low eight: 255, not Overflow.
  if (const bool* b = std::get_if<bool>(&value_)) return *b ? 255 : 0;
  return std::visit([&](const auto& v) { return ToIntegral<std::uint8_t>(NumberOf(v, locale)); },
                    value_);
}

double Variant::ToDouble() const { return ToDouble(Locale::English()); }

double Variant::ToDouble(const Locale& locale) const {
  return std::visit([&](const auto& v) { return ToFloating(NumberOf(v, locale)); }, value_);
}

float Variant::ToSingle() const { return ToSingle(Locale::English()); }

float Variant::ToSingle(const Locale& locale) const {
  if (const float* f = std::get_if<float>(&value_)) return *f;
  const double value = ToDouble(locale);
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
    ThrowOverflow();
  }
  return static_cast<float>(value);
}

bool Variant::ToBoolean() const { return ToBoolean(Locale::English()); }

bool Variant::ToBoolean(const Locale& locale) const {
  return std::visit(Overloaded{
                        [&](const std::string& v) {
                          const std::string_view text = TrimBlanks(v);
                          if (EqualsIgnoringCase(text, "True") ||
                              EqualsIgnoringCase(text, locale.true_text)) {
                            return true;
                          }
                          if (EqualsIgnoringCase(text, "False") ||
                              EqualsIgnoringCase(text, locale.false_text)) {
                            return false;
                          }
                          return TextToDouble(v, locale) != 0;
                        },
                        [](bool v) { return v; },
                        [](const Decimal& v) { return !(v == Decimal()); },
                        [&](const auto& v) {
                          const Number n = NumberOf(v, locale);
                          return n.kind == Number::Kind::kInteger ? n.integer != 0
                                                                  : n.floating != 0;
                        },
                    },
                    value_);
}

Decimal Variant::ToDecimal() const { return ToDecimal(Locale::English()); }

Decimal Variant::ToDecimal(const Locale& locale) const {
  return std::visit(Overloaded{
                        [&](const std::string& v) {
                          std::string plain;
                          const auto status = detail::ToPlainText(ScanOrRaise(v, locale), plain);
                          if (status != detail::ParseStatus::kOk) Raise(status);
                          return Decimal::Parse(plain);
                        },
                        [&](const auto& v) {
                          const Number n = NumberOf(v, locale);
                          switch (n.kind) {
                            case Number::Kind::kInteger: return Decimal::FromInt64(n.integer);
                            case Number::Kind::kFloating:
                              return Decimal::FromDouble(n.floating, n.from_single ? 7 : 15);
                            case Number::Kind::kDecimal: return n.decimal;
                          }
                          ThrowTypeMismatch();
                        },
                    },
                    value_);
}

DateValue Variant::ToDate() const { return ToDate(Locale::English()); }

DateValue Variant::ToDate(const Locale& locale) const {
  return std::visit(Overloaded{
                        [](const DateValue& v) { return v; },
                        [&](const std::string& v) {
                          double serial = 0;
                          if (!detail::ParseDateText(v, locale, serial)) {
                            ThrowTypeMismatch();
                          }
                          return DateFromSerial(serial);
                        },
                        [&](const auto& v) {
                          return DateFromSerial(ToFloating(NumberOf(v, locale)));
                        },
                    },
                    value_);
}

std::string Variant::ToString() const { return ToString(Locale::English()); }

std::string Variant::ToString(const Locale& locale) const {
  return std::visit(
      Overloaded{
          [](std::monostate) { return std::string(); },
          [](NullValue) -> std::string { ThrowInvalidUseOfNull(); },
          [](std::int16_t v) { return std::to_string(v); },
          [](std::int32_t v) { return std::to_string(v); },
          [](std::uint8_t v) { return std::to_string(v); },
          [&](float v) { return detail::FormatFloating(v, 7, locale.decimal); },
          [&](double v) { return detail::FormatFloating(v, 15, locale.decimal); },
          [&](bool v) { return v ? locale.true_text : locale.false_text; },
          [](const std::string& v) { return v; },
          [](const ByteArray&) -> std::string { ThrowTypeMismatch(); },
          [&](const Decimal& v) { return v.ToString(locale.decimal); },
          [&](const DateValue& v) {
            if (!detail::IsValidDateSerial(v.serial)) ThrowOverflow();
            return detail::FormatDate(v.serial, locale);
          },
          [](const ObjectPtr&) -> std::string { ThrowTypeMismatch(); },
      },
      value_);
}

const ByteArray& Variant::Bytes() const {
  if (const ByteArray* bytes = std::get_if<ByteArray>(&value_)) return *bytes;
  ThrowTypeMismatch();
}

ObjectPtr Variant::ToObject() const {
  if (const ObjectPtr* object = std::get_if<ObjectPtr>(&value_)) return *object;
  if (IsEmpty()) return nullptr;
  ThrowTypeMismatch();
}

double RoundHalfEven(double value, int decimals) {
  if (decimals < 0) ThrowInvalidProcedureCall();
  // Whole already (or not finite): nothing below the mark to round.
  if (!std::isfinite(value) || std::fabs(value) >= 4503599627370496.0 /* 2^52 */) return value;
  // Beyond this every double's fraction is written out exactly.
  if (decimals > 1100) return value;
  // Fixed notation rounds the exact binary value, ties to even.
  char buffer[1200];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return value;
  double rounded = value;
  std::from_chars(buffer, end, rounded);
  return rounded;
}

bool TryParseNumber(const std::string& text, double& out) {
  return TryParseNumber(text, Locale::English(), out);
}

bool TryParseNumber(const std::string& text, const Locale& locale, double& out) {
  detail::NumberText number;
  if (detail::ScanNumber(text, locale, number) != detail::ParseStatus::kOk) return false;
  return detail::ToDouble(number, out) == detail::ParseStatus::kOk;
}

}  // namespace dtm::com
