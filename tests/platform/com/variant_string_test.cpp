// CStr under both locales.

#include <gtest/gtest.h>

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

struct StringCase {
  const char* name;
  Variant value;
  const char* english;
  const char* german;
};

void PrintTo(const StringCase& c, std::ostream* os) { *os << c.name; }

const StringCase kCases[] = {
    {"Empty", Variant(), "", ""},
    {"IntegerMin", std::int16_t{-32768}, "-32768", "-32768"},
    {"LongMax", std::int32_t{2147483647}, "2147483647", "2147483647"},
    {"Byte", std::uint8_t{255}, "255", "255"},
    {"True", true, "True", "True"},
    {"False", false, "False", "False"},
    {"Text", "1.5", "1.5", "1.5"},

    // Single: seven significant digits.
    {"SingleTenth", 0.1f, "0.1", "0,1"},
    {"SingleThird", 1.0f / 3, "0.3333333", "0,3333333"},
    {"SingleTwelveAndHalf", 12.5f, "12.5", "12,5"},
    {"SingleSevenDigits", 1234567.0f, "1234567", "1234567"},
    {"SingleEightDigitsGoExponent", 12345678.0f, "1.234568E+07", "1,234568E+07"},
    {"SingleTenMillion", 1e7f, "1E+07", "1E+07"},
    {"SingleSmallStaysFixed", 0.0001f, "0.0001", "0,0001"},
    {"SingleSmallerGoesExponent", 1e-5f, "1E-05", "1E-05"},
    {"SingleNegative", -2.75f, "-2.75", "-2,75"},
    {"SingleMinusZero", -0.0f, "0", "0"},

    // Double: fifteen significant digits.
    {"DoubleThird", 1.0 / 3, "0.333333333333333", "0,333333333333333"},
    {"DoubleTwoThirdsRoundsUp", 2.0 / 3, "0.666666666666667", "0,666666666666667"},
    {"DoubleSumShowsShort", 0.1 + 0.2, "0.3", "0,3"},
    {"DoubleTwelveAndHalf", 12.5, "12.5", "12,5"},
    {"DoubleNoGrouping", 1234567.891, "1234567.891", "1234567,891"},
    {"DoubleFifteenDigits", 123456789012345.0, "123456789012345", "123456789012345"},
    {"DoubleTenToFourteen", 1e14, "100000000000000", "100000000000000"},
    {"DoubleTenToFifteen", 1e15, "1E+15", "1E+15"},
    {"DoubleSmallExponent", 1.5e-5, "1.5E-05", "1,5E-05"},
    {"DoubleSmallFixed", 0.0001, "0.0001", "0,0001"},
    {"DoubleThreeDigitExponent", 1e100, "1E+100", "1E+100"},
    {"DoubleMax", 1.7976931348623157e308, "1.79769313486232E+308", "1,79769313486232E+308"},
    {"DoubleNegative", -1.25, "-1.25", "-1,25"},
    {"DoubleMinusZero", -0.0, "0", "0"},
    {"DoubleWhole", 100.0, "100", "100"},

    // Decimal: exact digits, trailing zeros dropped.
    {"DecimalTrailingZeros", Decimal::Parse("1234.5600"), "1234.56", "1234,56"},
    {"DecimalNegativeSmall", Decimal::Parse("-0.001"), "-0.001", "-0,001"},
    {"DecimalMax", Decimal::Parse("79228162514264337593543950335"),
     "79228162514264337593543950335", "79228162514264337593543950335"},
    {"DecimalSmallest", Decimal::Parse("0.0000000000000000000000000001"),
     "0.0000000000000000000000000001", "0,0000000000000000000000000001"},
    {"DecimalWhole", Decimal::Parse("42.000"), "42", "42"},
};

class ToStringConversion : public ::testing::TestWithParam<StringCase> {};

TEST_P(ToStringConversion, English) {
  EXPECT_EQ(GetParam().value.ToString(Locale::English()), GetParam().english);
}

TEST_P(ToStringConversion, German) {
  EXPECT_EQ(GetParam().value.ToString(Locale::German()), GetParam().german);
}

INSTANTIATE_TEST_SUITE_P(Table, ToStringConversion, ::testing::ValuesIn(kCases),
                         test::RowName());

TEST(ToStringErrors, NullAndNonTextSubtypes) {
  EXPECT_EQ(ErrorOf([] { Variant::Null().ToString(); }), vb::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Variant(ByteArray{65}).ToString(); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Variant(std::make_shared<Object>()).ToString(); }),
            vb::kTypeMismatch);
}

TEST(ToStringRoundTrip, TextReadsBackInTheSameLocale) {
  for (const Locale* locale : {&Locale::English(), &Locale::German()}) {
    EXPECT_EQ(Variant(Variant(1234.5678).ToString(*locale)).ToDouble(*locale), 1234.5678);
    EXPECT_EQ(Variant(Variant(1.5e-5).ToString(*locale)).ToDouble(*locale), 1.5e-5);
  }
}

}  // namespace
}  // namespace dtm::com
