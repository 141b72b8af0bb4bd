// Decimal: exact text in and out, the 96-bit and 28-place limits.

#include "platform/com/decimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "tests/platform/com/com_test_util.h"

namespace dtm::com {
namespace {

using test::ErrorOf;
using test::kNoError;

struct ParseCase {
  const char* name;
  const char* text;
  const char* shown;  // ToString('.')
  int scale;
  std::int32_t error = kNoError;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name << " \"" << c.text << '"'; }

const ParseCase kParseCases[] = {
    {"Whole", "42", "42", 0},
    {"KeepsWrittenScale", "1.50", "1.5", 2},
    {"Negative", "-0.001", "-0.001", 3},
    {"NegativeZeroIsZero", "-0.0", "0", 1},
    {"Max", "79228162514264337593543950335", "79228162514264337593543950335", 0},
    {"MaxPlusOneOverflows", "79228162514264337593543950336", nullptr, 0, vb::kOverflow},
    {"ThirtyDigitsOverflow", "100000000000000000000000000000", nullptr, 0, vb::kOverflow},
    {"TwentyEightPlaces", "0.0000000000000000000000000001", "0.0000000000000000000000000001",
     28},
    {"TwentyNinthPlaceTieToEvenUp", "0.00000000000000000000000000015",
     "0.0000000000000000000000000002", 28},
    {"TwentyNinthPlaceTieToEvenDown", "0.00000000000000000000000000025",
     "0.0000000000000000000000000002", 28},
    {"TwentyNinthPlaceAboveTie", "0.000000000000000000000000000251",
     "0.0000000000000000000000000003", 28},
    // The mantissa is full with one place; the rounding gives that place up.
    {"FullMantissaRoundsAway", "7922816251426433759354395033.55",
     "7922816251426433759354395034", 0},
    {"FullMantissaAtTwentyEightPlaces", "7.9228162514264337593543950335999",
     "7.922816251426433759354395034", 27},
    {"LeadingZeros", "000123.4", "123.4", 1},
    {"TrailingMark", "1.", nullptr, 0, vb::kTypeMismatch},
    {"LeadingMark", ".5", nullptr, 0, vb::kTypeMismatch},
    {"PlusSign", "+1", nullptr, 0, vb::kTypeMismatch},
    {"Exponent", "1e5", nullptr, 0, vb::kTypeMismatch},
    {"Blank", " 1", nullptr, 0, vb::kTypeMismatch},
    {"TwoMarks", "1.2.3", nullptr, 0, vb::kTypeMismatch},
    {"Comma", "1,5", nullptr, 0, vb::kTypeMismatch},
    {"SignOnly", "-", nullptr, 0, vb::kTypeMismatch},
    {"Empty", "", nullptr, 0, vb::kTypeMismatch},
};

class DecimalParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DecimalParse, ReadsExactDigits) {
  const ParseCase& c = GetParam();
  if (c.error == kNoError) {
    const Decimal d = Decimal::Parse(c.text);
    EXPECT_EQ(d.ToString(), c.shown);
    EXPECT_EQ(d.Scale(), c.scale);
  } else {
    EXPECT_EQ(ErrorOf([&] { Decimal::Parse(c.text); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DecimalParse, ::testing::ValuesIn(kParseCases),
                         test::RowName());

TEST(DecimalParts, MaxFillsNinetySixBits) {
  const Decimal max = Decimal::Parse("79228162514264337593543950335");
  EXPECT_EQ(max.Hi(), 0xFFFFFFFFu);
  EXPECT_EQ(max.Lo(), 0xFFFFFFFFFFFFFFFFu);
  EXPECT_FALSE(max.Negative());

  const Decimal d = Decimal::Parse("-18446744073709551.616");  // 2^64 / 1000
  EXPECT_EQ(d.Hi(), 1u);
  EXPECT_EQ(d.Lo(), 0u);
  EXPECT_EQ(d.Scale(), 3);
  EXPECT_TRUE(d.Negative());
}

TEST(DecimalText, UsesTheGivenMark) {
  EXPECT_EQ(Decimal::Parse("-1234.50").ToString(','), "-1234,5");
  EXPECT_EQ(Decimal::Parse("0.05").ToString(','), "0,05");
}

TEST(DecimalEquality, IgnoresScaleAndSignOfZero) {
  EXPECT_EQ(Decimal::Parse("1.5"), Decimal::Parse("1.500"));
  EXPECT_EQ(Decimal::Parse("-0.00"), Decimal());
  EXPECT_FALSE(Decimal::Parse("1.5") == Decimal::Parse("-1.5"));
  EXPECT_FALSE(Decimal::Parse("1.5") == Decimal::Parse("15"));
  EXPECT_FALSE(Decimal::Parse("0.1") == Decimal::Parse("0.10000000000000000000000001"));
}

TEST(DecimalFromInt64, CoversTheWholeRange) {
  EXPECT_EQ(Decimal::FromInt64(std::numeric_limits<std::int64_t>::min()).ToString(),
            "-9223372036854775808");
  EXPECT_EQ(Decimal::FromInt64(std::numeric_limits<std::int64_t>::max()).ToString(),
            "9223372036854775807");
  EXPECT_EQ(Decimal::FromInt64(0).ToString(), "0");
}

struct FromDoubleCase {
  const char* name;
  double value;
  int digits;
  const char* shown;
  std::int32_t error = kNoError;
};

void PrintTo(const FromDoubleCase& c, std::ostream* os) { *os << c.name; }

const FromDoubleCase kFromDoubleCases[] = {
    {"Tenth", 0.1, 15, "0.1"},
    {"Third", 1.0 / 3, 15, "0.333333333333333"},
    {"SevenDigits", 1.0 / 3, 7, "0.3333333"},
    {"Negative", -2.5, 15, "-2.5"},
    {"Whole", 1e20, 15, "100000000000000000000"},
    {"NearMax", 7.9e28, 15, "79000000000000000000000000000"},
    {"BeyondMax", 8e28, 15, nullptr, vb::kOverflow},
    {"TinyBecomesZero", 1e-30, 15, "0"},
    {"SmallRoundsToTwentyEightPlaces", 1.2346e-25, 15, "0.0000000000000000000000001235"},
    {"Infinity", test::kInf, 15, nullptr, vb::kOverflow},
    {"NaN", test::kNaN, 15, nullptr, vb::kOverflow},
};

class DecimalFromDouble : public ::testing::TestWithParam<FromDoubleCase> {};

TEST_P(DecimalFromDouble, KeepsTheSignificantDigits) {
  const FromDoubleCase& c = GetParam();
  if (c.error == kNoError) {
    EXPECT_EQ(Decimal::FromDouble(c.value, c.digits).ToString(), c.shown);
  } else {
    EXPECT_EQ(ErrorOf([&] { Decimal::FromDouble(c.value, c.digits); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DecimalFromDouble, ::testing::ValuesIn(kFromDoubleCases),
                         test::RowName());

TEST(DecimalToDouble, GivesTheNearestDouble) {
  EXPECT_EQ(Decimal::Parse("0.1").ToDouble(), 0.1);
  EXPECT_EQ(Decimal::Parse("-123.456").ToDouble(), -123.456);
  EXPECT_EQ(Decimal::Parse("79228162514264337593543950335").ToDouble(), 7.922816251426434e28);
}

}  // namespace
}  // namespace dtm::com
