#pragma once
// The automation Variant: one value of one of the subtypes the system uses,
// with the language's conversion rules. Integer conversions round half to
// even and raise Overflow (6) when the value does not fit; a value that
// cannot be converted raises Type mismatch (13). Optional arguments are
// std::optional<Variant>: an Empty Variant that was passed is "given", a
// nullopt is "missing".
//
// Every conversion that can read or write text has a form taking the locale
// it follows. Text the user sees or types goes through the user's locale,
// which an instance finds in its services; the forms without a locale
// follow Locale::English(), a fixed value, and suit text that programs
// exchange.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/com/decimal.h"
#include "platform/com/locale.h"

namespace dtm::com {

// Subtype codes as the automation VarType function reports them.
enum class VarType : std::int16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,   // 16-bit signed
  Long = 3,      // 32-bit signed
  Single = 4,
  Double = 5,
  Date = 7,      // days since 1899-12-30, fraction is the time of day
  String = 8,
  Object = 9,
  Boolean = 11,
  Decimal = 14,
  Byte = 17,
  ByteArray = 8209,  // vbArray + vbByte
};

// Declared after VarType: the alias would otherwise be shadowed by the
// enumerator of the same name.
class Object;
using ObjectPtr = std::shared_ptr<Object>;
using ByteArray = std::vector<std::uint8_t>;

struct DateValue {
  double serial = 0;  // OLE date serial
  friend bool operator==(const DateValue&, const DateValue&) = default;
};

struct NullValue {
  friend bool operator==(const NullValue&, const NullValue&) = default;
};

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(std::int16_t v) : value_(v) {}
  Variant(std::int32_t v) : value_(v) {}
  Variant(float v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(bool v) : value_(v) {}
  Variant(std::uint8_t v) : value_(v) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(ByteArray v) : value_(std::move(v)) {}
  Variant(Decimal v) : value_(v) {}
  Variant(DateValue v) : value_(v) {}
  Variant(ObjectPtr v) : value_(std::move(v)) {}
  template <class T>
    requires std::is_base_of_v<Object, T>
  Variant(std::shared_ptr<T> v) : value_(ObjectPtr(std::move(v))) {}

  static Variant Null() { Variant v; v.value_ = NullValue{}; return v; }
  static Variant Date(double serial) { return Variant(DateValue{serial}); }

  VarType Type() const;
  bool IsEmpty() const { return value_.index() == 0; }
  bool IsNull() const { return std::holds_alternative<NullValue>(value_); }
  bool IsObject() const { return std::holds_alternative<ObjectPtr>(value_); }
  bool IsString() const { return std::holds_alternative<std::string>(value_); }
  bool IsByteArray() const { return std::holds_alternative<ByteArray>(value_); }
  // A numeric subtype (Integer, Long, Single, Double, Decimal, Byte, Boolean),
  // Empty, or a text that converts to a number in the locale.
  bool IsNumeric() const;
  bool IsNumeric(const Locale& locale) const;

  // The language's conversion functions (CInt, CLng, CSng, CDbl, CByte,
  // CBool, CStr, CDec, CDate). Empty converts to 0, "" or False; Null raises
  // Invalid use of Null (94); an object raises Type mismatch.
  // A text is read in the locale: its decimal and grouping marks, its short
  // date, its True/False words besides the English ones.
  std::int16_t ToInteger() const;
  std::int16_t ToInteger(const Locale& locale) const;
  std::int32_t ToLong() const;
  std::int32_t ToLong(const Locale& locale) const;
  float ToSingle() const;
  float ToSingle(const Locale& locale) const;
  double ToDouble() const;
  double ToDouble(const Locale& locale) const;
  std::uint8_t ToByte() const;
  std::uint8_t ToByte(const Locale& locale) const;
  bool ToBoolean() const;
  bool ToBoolean(const Locale& locale) const;
  Decimal ToDecimal() const;
  Decimal ToDecimal(const Locale& locale) const;
  DateValue ToDate() const;
  DateValue ToDate(const Locale& locale) const;
  // CStr: Single with up to 7 significant digits, Double with up to 15, the
  // locale's decimal mark, Boolean as the locale's True/False text, Date as
  // the locale's short date.
  std::string ToString() const;
  std::string ToString(const Locale& locale) const;

  // Strict access: raise Type mismatch when the subtype differs.
  const ByteArray& Bytes() const;
  ObjectPtr ToObject() const;  // Nothing for Empty; Type mismatch for others

  // Same subtype and same value (not the language's loose comparison).
  friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

 private:
  std::variant<std::monostate, NullValue, std::int16_t, std::int32_t, float, double, bool,
               std::uint8_t, std::string, ByteArray, Decimal, DateValue, ObjectPtr>
      value_;
};

// Round half to even to the given number of decimals, on the exact binary
// value of `value` (the language's Round).
double RoundHalfEven(double value, int decimals = 0);

// Text to number in the locale, as Val/CDbl parse it: optional blanks,
// sign, digits with the locale's mark and grouping, exponent. Returns false
// when the text is no number.
bool TryParseNumber(const std::string& text, double& out);
bool TryParseNumber(const std::string& text, const Locale& locale, double& out);

}  // namespace dtm::com
