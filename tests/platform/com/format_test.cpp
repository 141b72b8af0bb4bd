// Format with numeric patterns: half away from zero on the digits CStr
// shows, placeholders, the locale's marks; the locale-independent number
// text and its reader.

#include "platform/com/format.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>

#include "platform/com/locale.h"
#include "tests/platform/com/com_test_util.h"

namespace dtm::com {
namespace {

struct FormatCase {
  const char* name;
  Variant value;
  const char* pattern;
  const char* english;
  const char* german;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

const FormatCase kFormatCases[] = {
    {"TieToWholeAwayFromZero", Variant(2.5), "0", "3", "3"},
    {"NegativeTieAwayFromZero", Variant(-2.5), "0", "-3", "-3"},
    {"OddTieUp", Variant(3.5), "0", "4", "4"},
    // Round would give 12.2 (half to even); Format gives 12.3.
    {"TieToOneDecimal", Variant(12.25), "0.0", "12.3", "12,3"},
    {"ExactBinaryTie", Variant(0.125), "0.00", "0.13", "0,13"},
    // Stored just below the tie, shown as 2.675: rounded from what is shown.
    {"RoundsShownDigitsNotBinary", Variant(2.675), "0.00", "2.68", "2,68"},
    {"BelowTieDown", Variant(1.2449), "0.00", "1.24", "1,24"},
    {"PadsFractionZeros", Variant(1.5), "0.000", "1.500", "1,500"},
    {"CarryIntoInteger", Variant(9.96), "0.0", "10.0", "10,0"},
    {"CarryAddsDigit", Variant(99.95), "0.0", "100.0", "100,0"},
    {"MoreDigitsThanPlaceholders", Variant(std::int32_t{12345}), "0", "12345", "12345"},
    {"LeadingZeroPlaceholders", Variant(std::int16_t{7}), "000", "007", "007"},
    {"HashShowsNothingForZero", Variant(0.0), "#", "", ""},
    {"HashShowsDigits", Variant(1234.4), "#", "1234", "1234"},
    {"HashBeforeZeroKeepsOneDigit", Variant(0.25), "#0.0", "0.3", "0,3"},
    {"OptionalDecimalsDropTrailingZeros", Variant(1.5), "0.0##", "1.5", "1,5"},
    {"OptionalDecimalsRound", Variant(1.23456), "0.0##", "1.235", "1,235"},
    {"OptionalDecimalsKeepRequiredZero", Variant(2.0), "0.0##", "2.0", "2,0"},
    {"PointWithoutIntegerPlaceholder", Variant(0.5), ".00", ".50", ",50"},
    {"Grouping", Variant(1234567.891), "#,##0.00", "1,234,567.89", "1.234.567,89"},
    {"GroupingShortNumber", Variant(12.0), "#,##0", "12", "12"},
    {"NegativeRoundedToZeroHasNoSign", Variant(-0.04), "0.0", "0.0", "0,0"},
    {"NegativeValue", Variant(-12.345), "0.00", "-12.35", "-12,35"},
    {"LiteralSuffix", Variant(12.5), "0.0 bar", "12.5 bar", "12,5 bar"},
    {"QuotedAndEscapedLiterals", Variant(5.0), "\"x=\"0\\%", "x=5%", "x=5%"},
    {"SignBeforePrefix", Variant(-5.0), "$0", "-$5", "-$5"},
    // A Single shows 7 digits: 1.005 (its binary value lies below the tie).
    {"SingleShownDigits", Variant(1.005f), "0.00", "1.01", "1,01"},
    {"SingleTenth", Variant(0.1f), "0.00", "0.10", "0,10"},
    {"ByteValue", Variant(std::uint8_t{200}), "0.0", "200.0", "200,0"},
    {"DecimalValue", Variant(Decimal::Parse("2.345")), "0.00", "2.35", "2,35"},
    {"BooleanTrueIsMinusOne", Variant(true), "0", "-1", "-1"},
    {"DateIsItsSerial", Variant::Date(43895.25), "0.00", "43895.25", "43895,25"},
    {"EmptyIsZero", Variant(), "0.0", "0.0", "0,0"},
    {"LargeDouble", Variant(1e20), "0", "100000000000000000000", "100000000000000000000"},
    {"TinyDouble", Variant(1e-20), "0.00", "0.00", "0,00"},
    {"NonNumericTextUnchanged", Variant("abc"), "0.0", "abc", "abc"},
    {"EmptyPatternIsCStr", Variant(12.5), "", "12.5", "12,5"},
};

class FormatTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTable, English) {
  EXPECT_EQ(Format(GetParam().value, GetParam().pattern, Locale::English()), GetParam().english);
}

TEST_P(FormatTable, German) {
  EXPECT_EQ(Format(GetParam().value, GetParam().pattern, Locale::German()), GetParam().german);
}

TEST_P(FormatTable, WithoutALocaleFormatsAsEnglish) {
  EXPECT_EQ(Format(GetParam().value, GetParam().pattern), GetParam().english);
}

INSTANTIATE_TEST_SUITE_P(Table, FormatTable, ::testing::ValuesIn(kFormatCases), test::RowName());

TEST(FormatText, NumericTextIsReadInTheGivenLocale) {
  EXPECT_EQ(Format(Variant("12,5"), "0.00", Locale::German()), "12,50");
  EXPECT_EQ(Format(Variant("12.5"), "0.00", Locale::English()), "12.50");
  EXPECT_EQ(Format(Variant("12,5"), "0.00", Locale::English()), "125.00");
}

struct FormatErrorCase {
  const char* name;
  Variant value;
  const char* pattern;
  std::int32_t error;
};

void PrintTo(const FormatErrorCase& c, std::ostream* os) { *os << c.name; }

const FormatErrorCase kFormatErrors[] = {
    {"Null", Variant::Null(), "0.0", vb::kInvalidUseOfNull},
    {"ByteArray", Variant(ByteArray{1, 2}), "0", vb::kTypeMismatch},
    {"NotANumber", Variant(test::kNaN), "0.0", vb::kOverflow},
    {"Infinity", Variant(test::kInf), "0", vb::kOverflow},
    {"SingleInfinity", Variant(-std::numeric_limits<float>::infinity()), "0", vb::kOverflow},
    {"Sections", Variant(1.0), "0.0;-0.0", vb::kInvalidProcedureCall},
    {"Percent", Variant(1.0), "0%", vb::kInvalidProcedureCall},
    {"Exponent", Variant(1.0), "0.00E+00", vb::kInvalidProcedureCall},
    {"SecondPoint", Variant(1.0), "0.0.0", vb::kInvalidProcedureCall},
    {"LiteralBetweenDigits", Variant(1.0), "0-0", vb::kInvalidProcedureCall},
    {"ScalingComma", Variant(1.0), "0,", vb::kInvalidProcedureCall},
};

class FormatErrors : public ::testing::TestWithParam<FormatErrorCase> {};

TEST_P(FormatErrors, Raise) {
  EXPECT_EQ(test::ErrorOf([this] { Format(GetParam().value, GetParam().pattern); }),
            GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Table, FormatErrors, ::testing::ValuesIn(kFormatErrors), test::RowName());

struct InvariantCase {
  const char* name;
  Variant value;
  const char* text;
};

void PrintTo(const InvariantCase& c, std::ostream* os) { *os << c.name; }

const InvariantCase kInvariantCases[] = {
    {"Double", Variant(12.5), "12.5"},
    {"NegativeDouble", Variant(-0.25), "-0.25"},
    {"DoubleFifteenDigits", Variant(0.1 + 0.2), "0.3"},
    {"SingleSevenDigits", Variant(0.1f), "0.1"},
    {"LargeDoubleExponent", Variant(1e20), "1E+20"},
    {"Long", Variant(std::int32_t{-5}), "-5"},
    {"Decimal", Variant(Decimal::Parse("1.25")), "1.25"},
    {"Empty", Variant(), "0"},
};

class InvariantText : public ::testing::TestWithParam<InvariantCase> {};

TEST_P(InvariantText, UsesPointInEveryLocale) {
  for (const Locale* locale : {&Locale::English(), &Locale::German()}) {
    EXPECT_EQ(InvariantNumberText(GetParam().value, *locale), GetParam().text);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, InvariantText, ::testing::ValuesIn(kInvariantCases),
                         test::RowName());

TEST(InvariantTextOfText, ReadsTheTextInTheGivenLocale) {
  const Locale& german = Locale::German();
  EXPECT_EQ(InvariantNumberText(Variant("12,5"), german), "12.5");
  EXPECT_EQ(InvariantNumberText(Variant("12,5")), "125");
  EXPECT_EQ(test::ErrorOf([&] { InvariantNumberText(Variant("abc"), german); }),
            vb::kTypeMismatch);
  EXPECT_EQ(test::ErrorOf([&] { InvariantNumberText(Variant::Null(), german); }),
            vb::kInvalidUseOfNull);
}

struct ParseCase {
  const char* name;
  const char* text;
  bool ok;
  double value;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

const ParseCase kParseCases[] = {
    {"Point", "12.5", true, 12.5},
    {"BlanksSignExponent", " -1.5E2 ", true, -150},
    {"Whole", "42", true, 42},
    {"CommaIsNoMark", "12,5", false, 0},
    {"NoGrouping", "1,234.5", false, 0},
    {"GermanGroupingRejected", "1.234,5", false, 0},
    {"TrailingText", "12.5abc", false, 0},
    {"Empty", "", false, 0},
    {"PointOnly", ".", false, 0},
};

class InvariantParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(InvariantParse, TakesOnlyThePointForm) {
  double value = 0;
  ASSERT_EQ(TryParseInvariantNumber(GetParam().text, value), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(value, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, InvariantParse, ::testing::ValuesIn(kParseCases), test::RowName());

}  // namespace
}  // namespace dtm::com
