// Text to number under both locales, and the floating, Boolean and Decimal
// conversions.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>

#include "platform/com/locale.h"
#include "platform/com/object.h"
#include "platform/com/variant.h"
#include "tests/platform/com/com_test_util.h"

namespace dtm::com {
namespace {

using test::ErrorOf;
using test::kInf;
using test::kNaN;
using test::kNoError;

constexpr std::int32_t kOverflow = vb::kOverflow;
constexpr std::int32_t kMismatch = vb::kTypeMismatch;
constexpr std::int32_t kNull = vb::kInvalidUseOfNull;

// One outcome of reading a text: a value, or the error CDbl raises.
struct Outcome {
  double value = 0;
  std::int32_t error = kNoError;
};
Outcome Is(double value) { return {value, kNoError}; }
Outcome Fails(std::int32_t error) { return {0, error}; }

struct TextCase {
  const char* name;
  const char* text;
  Outcome english;
  Outcome german;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name << " \"" << c.text << '"'; }

const TextCase kTextCases[] = {
    {"PointIsMarkOrGroup", "1.5", Is(1.5), Is(15)},
    {"CommaIsGroupOrMark", "1,5", Is(15), Is(1.5)},
    {"EnglishGrouped", "1,234.5", Is(1234.5), Fails(kMismatch)},
    {"GermanGrouped", "1.234,5", Fails(kMismatch), Is(1234.5)},
    {"GroupedMillions", "12,345,678", Is(12345678), Fails(kMismatch)},
    {"GermanGroupedMillions", "1.000.000", Fails(kMismatch), Is(1000000)},
    {"BlanksAndSign", "  -2.5\t", Is(-2.5), Is(-25)},
    {"PlusSign", "+7", Is(7), Is(7)},
    {"Zero", "0", Is(0), Is(0)},
    {"LeadingMark", ".5", Is(0.5), Fails(kMismatch)},
    {"GermanLeadingMark", ",5", Fails(kMismatch), Is(0.5)},
    {"TrailingMark", "5.", Is(5), Fails(kMismatch)},
    {"DoubledGroup", "1,,5", Fails(kMismatch), Fails(kMismatch)},
    {"GroupAfterMark", "1.5,5", Fails(kMismatch), Is(15.5)},
    {"GermanGroupAfterMark", "1,5.5", Is(15.5), Fails(kMismatch)},
    {"Exponent", "1E3", Is(1000), Is(1000)},
    {"NegativeExponent", "1e-2", Is(0.01), Is(0.01)},
    {"ExponentLetterD", "2D2", Is(200), Is(200)},
    {"MarkAndExponent", "1.5E+2", Is(150), Is(1500)},
    {"GermanMarkAndExponent", "1,5E+2", Is(1500), Is(150)},
    {"ExponentWithoutDigits", "1E", Fails(kMismatch), Fails(kMismatch)},
    {"ExponentBeyondDouble", "1E400", Fails(kOverflow), Fails(kOverflow)},
    {"ExponentBelowDouble", "1E-400", Is(0), Is(0)},
    {"Hex", "&H10", Is(16), Is(16)},
    {"HexLowerCase", "&hff", Is(255), Is(255)},
    {"HexAllBitsOfInteger", "&HFFFF", Is(-1), Is(-1)},
    {"HexWithBlanks", " &H1F ", Is(31), Is(31)},
    {"Octal", "&O17", Is(15), Is(15)},
    {"HexWithoutDigits", "&H", Fails(kMismatch), Fails(kMismatch)},
    {"HexBadDigit", "&HG", Fails(kMismatch), Fails(kMismatch)},
    {"OctalBadDigit", "&O8", Fails(kMismatch), Fails(kMismatch)},
    {"Word", "abc", Fails(kMismatch), Fails(kMismatch)},
    {"Empty", "", Fails(kMismatch), Fails(kMismatch)},
    {"BlanksOnly", "   ", Fails(kMismatch), Fails(kMismatch)},
    {"SignOnly", "-", Fails(kMismatch), Fails(kMismatch)},
    {"InnerBlank", "1 2", Fails(kMismatch), Fails(kMismatch)},
    {"TrailingLetters", "12abc", Fails(kMismatch), Fails(kMismatch)},
};

class TextToNumber : public ::testing::TestWithParam<TextCase> {
 protected:
  static void Check(const char* text, const Outcome& expected, const Locale& locale) {
    const Variant value(text);
    double parsed = -1;
    if (expected.error == kNoError) {
      EXPECT_DOUBLE_EQ(value.ToDouble(locale), expected.value);
      EXPECT_TRUE(TryParseNumber(text, locale, parsed));
      EXPECT_DOUBLE_EQ(parsed, expected.value);
      EXPECT_TRUE(value.IsNumeric(locale));
    } else {
      EXPECT_EQ(ErrorOf([&] { value.ToDouble(locale); }), expected.error);
      EXPECT_FALSE(TryParseNumber(text, locale, parsed));
      EXPECT_FALSE(value.IsNumeric(locale));
    }
  }

  // The forms that take no locale.
  static void CheckWithoutLocale(const char* text, const Outcome& expected) {
    const Variant value(text);
    double parsed = -1;
    if (expected.error == kNoError) {
      EXPECT_DOUBLE_EQ(value.ToDouble(), expected.value);
      EXPECT_TRUE(TryParseNumber(text, parsed));
      EXPECT_DOUBLE_EQ(parsed, expected.value);
      EXPECT_TRUE(value.IsNumeric());
    } else {
      EXPECT_EQ(ErrorOf([&] { value.ToDouble(); }), expected.error);
      EXPECT_FALSE(TryParseNumber(text, parsed));
      EXPECT_FALSE(value.IsNumeric());
    }
  }
};

TEST_P(TextToNumber, English) { Check(GetParam().text, GetParam().english, Locale::English()); }

TEST_P(TextToNumber, German) { Check(GetParam().text, GetParam().german, Locale::German()); }

TEST_P(TextToNumber, WithoutALocaleReadsAsEnglish) {
  CheckWithoutLocale(GetParam().text, GetParam().english);
}

INSTANTIATE_TEST_SUITE_P(Table, TextToNumber, ::testing::ValuesIn(kTextCases),
                         test::RowName());

struct NumericCase {
  const char* name;
  Variant value;
  bool numeric;
};

void PrintTo(const NumericCase& c, std::ostream* os) { *os << c.name; }

const NumericCase kNumericCases[] = {
    {"Empty", Variant(), true},
    {"Boolean", false, true},
    {"Byte", std::uint8_t{0}, true},
    {"Integer", std::int16_t{1}, true},
    {"Long", std::int32_t{1}, true},
    {"Single", 1.5f, true},
    {"Double", 1.5, true},
    {"Decimal", Decimal::Parse("1.5"), true},
    {"NumericText", "1.5", true},
    {"WordText", "one", false},
    {"EmptyText", "", false},
    {"Null", Variant::Null(), false},
    {"Date", Variant::Date(1.0), false},
    {"ByteArray", ByteArray{1}, false},
    {"Object", std::make_shared<Object>(), false},
};

class IsNumeric : public ::testing::TestWithParam<NumericCase> {};

TEST_P(IsNumeric, KnowsWhichSubtypesAreNumbers) {
  EXPECT_EQ(GetParam().value.IsNumeric(), GetParam().numeric);
}

INSTANTIATE_TEST_SUITE_P(Table, IsNumeric, ::testing::ValuesIn(kNumericCases),
                         test::RowName());

struct FloatingCase {
  const char* name;
  Variant value;
  double expected;
  std::int32_t error = kNoError;
};

void PrintTo(const FloatingCase& c, std::ostream* os) { *os << c.name; }

const FloatingCase kSingleCases[] = {
    {"DoubleBeyondFloatOverflows", 1e39, 0, kOverflow},
    {"NegativeDoubleBeyondFloatOverflows", -1e39, 0, kOverflow},
    {"HugeDoubleOverflows", 1e300, 0, kOverflow},
    {"TextBeyondFloatOverflows", "1E39", 0, kOverflow},
    {"LargestFloatFits", 3.4028234663852886e38, 3.4028234663852886e38},
    {"DoubleRoundsToNearestFloat", 0.1, 0.100000001490116119384765625},
    {"InfinityStaysInfinite", kInf, kInf},
    {"Long", std::int32_t{16777217}, 16777216.0},
    {"True", true, -1},
    {"Empty", Variant(), 0},
    {"Null", Variant::Null(), 0, kNull},
    {"Object", std::make_shared<Object>(), 0, kMismatch},
};

class ToSingle : public ::testing::TestWithParam<FloatingCase> {};

TEST_P(ToSingle, RaisesOverflowBeyondTheFloatRange) {
  const FloatingCase& c = GetParam();
  if (c.error == kNoError) {
    EXPECT_EQ(static_cast<double>(c.value.ToSingle()), c.expected);
  } else {
    EXPECT_EQ(ErrorOf([&] { c.value.ToSingle(); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ToSingle, ::testing::ValuesIn(kSingleCases),
                         test::RowName());

const FloatingCase kDoubleCases[] = {
    {"SingleKeepsItsBinaryValue", 0.1f, 0.100000001490116119384765625},
    {"DecimalToNearestDouble", Decimal::Parse("0.1"), 0.1},
    {"NegativeDecimal", Decimal::Parse("-12345.678"), -12345.678},
    {"DateSerial", Variant::Date(36526.5), 36526.5},
    {"True", true, -1},
    {"Byte", std::uint8_t{200}, 200},
    {"Empty", Variant(), 0},
    {"Null", Variant::Null(), 0, kNull},
    {"ByteArray", ByteArray{1, 2}, 0, kMismatch},
    {"Object", std::make_shared<Object>(), 0, kMismatch},
};

class ToDouble : public ::testing::TestWithParam<FloatingCase> {};

TEST_P(ToDouble, ConvertsEveryNumericSubtype) {
  const FloatingCase& c = GetParam();
  if (c.error == kNoError) {
    EXPECT_EQ(c.value.ToDouble(), c.expected);
  } else {
    EXPECT_EQ(ErrorOf([&] { c.value.ToDouble(); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ToDouble, ::testing::ValuesIn(kDoubleCases),
                         test::RowName());

struct BooleanCase {
  const char* name;
  Variant value;
  bool expected;
  std::int32_t error = kNoError;
};

void PrintTo(const BooleanCase& c, std::ostream* os) { *os << c.name; }

const BooleanCase kBooleanCases[] = {
    {"ZeroIsFalse", 0.0, false},
    {"FractionIsTrue", 0.5, true},
    {"MinusOneIsTrue", std::int16_t{-1}, true},
    {"ByteZero", std::uint8_t{0}, false},
    {"DecimalZero", Decimal::Parse("0.000"), false},
    {"DecimalNonZero", Decimal::Parse("0.01"), true},
    {"NaNIsTrue", kNaN, true},
    {"TrueText", "True", true},
    {"FalseTextLowerCase", "false", false},
    {"TrueTextUpperCase", "TRUE", true},
    {"ZeroText", "0", false},
    {"NumericText", "2.5", true},
    {"OtherText", "yes", false, kMismatch},
    {"EmptyText", "", false, kMismatch},
    {"Empty", Variant(), false},
    {"Null", Variant::Null(), false, kNull},
    {"Object", std::make_shared<Object>(), false, kMismatch},
    {"ByteArray", ByteArray{1}, false, kMismatch},
};

class ToBoolean : public ::testing::TestWithParam<BooleanCase> {};

TEST_P(ToBoolean, NonZeroIsTrue) {
  const BooleanCase& c = GetParam();
  if (c.error == kNoError) {
    EXPECT_EQ(c.value.ToBoolean(), c.expected);
  } else {
    EXPECT_EQ(ErrorOf([&] { c.value.ToBoolean(); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ToBoolean, ::testing::ValuesIn(kBooleanCases),
                         test::RowName());

TEST(ToBooleanLocale, AcceptsTheLocalesTexts) {
  Locale dutch = Locale::German();
  dutch.true_text = "Waar";
  dutch.false_text = "Onwaar";
  EXPECT_TRUE(Variant("waar").ToBoolean(dutch));
  EXPECT_FALSE(Variant("Onwaar").ToBoolean(dutch));
  EXPECT_TRUE(Variant("True").ToBoolean(dutch));
  EXPECT_TRUE(Variant("0,5").ToBoolean(dutch));
  EXPECT_EQ(Variant(true).ToString(dutch), "Waar");
}

struct DecimalCase {
  const char* name;
  Variant value;
  const char* expected;  // Decimal::ToString('.')
  std::int32_t error = kNoError;
};

void PrintTo(const DecimalCase& c, std::ostream* os) { *os << c.name; }

const DecimalCase kDecimalCases[] = {
    // A Double keeps the 15 digits CStr would show, not its binary expansion.
    {"DoubleTenth", 0.1, "0.1"},
    {"DoubleThird", 1.0 / 3, "0.333333333333333"},
    {"DoubleLarge", 123456789012345678.0, "123456789012346000"},
    {"SingleTenth", 0.1f, "0.1"},
    {"SingleThird", 1.0f / 3, "0.3333333"},
    {"Long", std::int32_t{-2147483647 - 1}, "-2147483648"},
    {"True", true, "-1"},
    {"Empty", Variant(), "0"},
    {"TextExact", "12345678901234567890.123456789", "12345678901234567890.123456789"},
    {"TextWithExponent", "1.5E3", "1500"},
    {"TextTiny", "1E-5", "0.00001"},
    {"TextHex", "&HFF", "255"},
    {"TextTooBig", "1E30", nullptr, kOverflow},
    {"TextWord", "x", nullptr, kMismatch},
    {"DoubleTooBig", 1e29, nullptr, kOverflow},
    {"NaN", kNaN, nullptr, kOverflow},
    {"Null", Variant::Null(), nullptr, kNull},
    {"Object", std::make_shared<Object>(), nullptr, kMismatch},
};

class ToDecimal : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(ToDecimal, KeepsTheShownDigits) {
  const DecimalCase& c = GetParam();
  if (c.error == kNoError) {
    EXPECT_EQ(c.value.ToDecimal().ToString(), c.expected);
  } else {
    EXPECT_EQ(ErrorOf([&] { c.value.ToDecimal(); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ToDecimal, ::testing::ValuesIn(kDecimalCases),
                         test::RowName());

TEST(ToDecimalLocale, ReadsTheGermanMark) {
  EXPECT_EQ(Variant("1.234,25").ToDecimal(Locale::German()).ToString(), "1234.25");
}

struct TypeCase {
  const char* name;
  Variant value;
  VarType type;
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }

// Overload resolution is the trap here: a literal text must not become a
// Boolean, a small integer must keep its width.
const TypeCase kTypeCases[] = {
    {"Empty", Variant(), VarType::Empty},
    {"Null", Variant::Null(), VarType::Null},
    {"IntLiteralIsLong", 5, VarType::Long},
    {"Integer", std::int16_t{5}, VarType::Integer},
    {"Byte", std::uint8_t{5}, VarType::Byte},
    {"Single", 1.0f, VarType::Single},
    {"Double", 1.0, VarType::Double},
    {"Boolean", true, VarType::Boolean},
    {"TextLiteral", "True", VarType::String},
    {"Text", std::string("x"), VarType::String},
    {"ByteArray", ByteArray{1}, VarType::ByteArray},
    {"Decimal", Decimal::FromInt64(1), VarType::Decimal},
    {"Date", Variant::Date(1), VarType::Date},
    {"Object", std::make_shared<Object>(), VarType::Object},
    {"Nothing", ObjectPtr(), VarType::Object},
};

class VariantType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(VariantType, ReportsTheHeldSubtype) {
  EXPECT_EQ(GetParam().value.Type(), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(Table, VariantType, ::testing::ValuesIn(kTypeCases),
                         test::RowName());

TEST(VariantStrictAccess, RaisesTypeMismatchForOtherSubtypes) {
  EXPECT_EQ(Variant(ByteArray{1, 2}).Bytes(), (ByteArray{1, 2}));
  EXPECT_EQ(ErrorOf([] { Variant("12").Bytes(); }), kMismatch);
  EXPECT_EQ(ErrorOf([] { Variant().Bytes(); }), kMismatch);

  const auto object = std::make_shared<Object>();
  EXPECT_EQ(Variant(object).ToObject(), object);
  EXPECT_EQ(Variant().ToObject(), nullptr);
  EXPECT_EQ(ErrorOf([] { Variant(std::int32_t{1}).ToObject(); }), kMismatch);
  EXPECT_EQ(ErrorOf([] { Variant::Null().ToObject(); }), kMismatch);
}

TEST(VariantEquality, NeedsTheSameSubtype) {
  EXPECT_EQ(Variant(std::int16_t{1}), Variant(std::int16_t{1}));
  EXPECT_NE(Variant(std::int16_t{1}), Variant(std::int32_t{1}));
  EXPECT_NE(Variant("1"), Variant(std::int32_t{1}));
  EXPECT_EQ(Variant(Decimal::Parse("1.50")), Variant(Decimal::Parse("1.5")));
  EXPECT_NE(Variant(), Variant::Null());
}

}  // namespace
}  // namespace dtm::com
