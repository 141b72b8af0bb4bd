// The data element's own operations: the status word behind its masks, the
// range lists, typed values, the input check, list texts, units, the
// parent group, InitNew and the upload/download/command tests.

#include "component/datamodel/data_element.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/locale.h"
#include "platform/runtime/parameters.h"
#include "tests/component/datamodel/element_fixture.h"

namespace dtm::testing::element {
namespace {

using com::Variant;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// 2020-03-05 as a date serial (days since 1899-12-30).
constexpr double kMarch5th2020 = 43895;

// ---- Status word -----------------------------------------------------------------

enum class FlagOp { kSetFlags, kSetFlag, kClearFlag };

struct FlagCase {
  const char* name;
  std::uint32_t word_before;
  FlagOp op;
  std::uint32_t argument;
  std::uint32_t word_after;
  std::uint32_t visible_after;
};

void PrintTo(const FlagCase& c, std::ostream* os) { *os << c.name; }

const FlagCase kFlagCases[] = {
    {"SetFlagsZeroKeepsValidity", 0x01000004, FlagOp::kSetFlags, 0, 0x01000000, 0},
    {"SetFlagsCannotSetValidity", 0, FlagOp::kSetFlags, 0x01000008, 0x00000008, 0x00000008},
    {"SetFlagsKeepsReservedBits", 0x0E000000, FlagOp::kSetFlags, 0xFFFFFFFF, 0xFEFFFFFF,
     0xF0FFFFFF},
    {"SetFlagsReplacesErrorGroups", 0x0100F000 | 0x000F0000 | 0x00F00000, FlagOp::kSetFlags,
     0x00002000, 0x01002000, 0x00002000},
    {"SetFlagAddsBits", 0x01000001, FlagOp::kSetFlag, 0x00000024, 0x01000025, 0x00000025},
    {"SetFlagIgnoresValidity", 0, FlagOp::kSetFlag, 0x01000000, 0, 0},
    {"SetFlagIgnoresReservedBits", 0, FlagOp::kSetFlag, 0x0E000002, 0x00000002, 0x00000002},
    {"ClearFlagRemovesBits", 0x01000025, FlagOp::kClearFlag, 0x00000021, 0x01000004, 0x00000004},
    {"ClearFlagIgnoresValidity", 0x01000000, FlagOp::kClearFlag, 0x01000000, 0x01000000, 0},
    {"ClearFlagIgnoresReservedBits", 0x0E000000, FlagOp::kClearFlag, 0xFFFFFFFF, 0x0E000000, 0},
    {"HighBitIsAnOrdinaryFlag", 0, FlagOp::kSetFlag, 0x80000000, 0x80000000, 0x80000000},
};

class StatusWord : public ::testing::TestWithParam<FlagCase> {};

TEST_P(StatusWord, MasksPrivateBits) {
  const FlagCase& c = GetParam();
  clsDataElement element;
  element.SetRawStatusFlags(static_cast<std::int32_t>(c.word_before));
  const auto argument = static_cast<std::int32_t>(c.argument);
  switch (c.op) {
    case FlagOp::kSetFlags: element.SetStatusFlags(argument); break;
    case FlagOp::kSetFlag: element.SetStatusFlag(argument); break;
    case FlagOp::kClearFlag: element.ClearStatusFlag(argument); break;
  }
  EXPECT_EQ(static_cast<std::uint32_t>(element.RawStatusFlags()), c.word_after);
  EXPECT_EQ(static_cast<std::uint32_t>(element.StatusFlags()), c.visible_after);
  EXPECT_EQ(static_cast<std::uint32_t>(element.IPrivateDataElement_StatusFlags()), c.visible_after);
}

INSTANTIATE_TEST_SUITE_P(Table, StatusWord, ::testing::ValuesIn(kFlagCases), RowName());

TEST(StatusWordValidity, TogglesOnlyItsBit) {
  clsDataElement element;
  element.SetRawStatusFlags(0x0E00F024);
  EXPECT_FALSE(element.Validity());
  element.SetValidity(true);
  EXPECT_TRUE(element.Validity());
  EXPECT_EQ(element.RawStatusFlags(), 0x0F00F024);
  element.SetValidity(false);
  EXPECT_EQ(element.RawStatusFlags(), 0x0E00F024);
}

TEST(StatusWordInterface, ForwardsThroughTheSameMasks) {
  clsDataElement element;
  element.SetRawStatusFlags(0x01000000);
  element.IPrivateDataElement_StatusFlags(0);
  EXPECT_TRUE(element.Validity());
  EXPECT_EQ(element.IPrivateDataElement_StatusFlags(), 0);
}

// ---- Ranges ------------------------------------------------------------------------

TEST(RangeList, MissingRangeLeavesOutArguments) {
  clsDataElement element;
  Variant low("keep-low");
  Variant high("keep-high");
  EXPECT_FALSE(element.GetRange(0, low, high));
  EXPECT_EQ(low, Variant("keep-low"));
  EXPECT_EQ(high, Variant("keep-high"));
  element.SetRange(0, Long(1), Long(2));
  EXPECT_FALSE(element.GetRange(1, low, high));
  EXPECT_FALSE(element.GetRange(-1, low, high));
  EXPECT_EQ(low, Variant("keep-low"));
  EXPECT_EQ(high, Variant("keep-high"));
}

TEST(RangeList, StoresValuesUnconvertedAndGrowsTheLists) {
  clsDataElement element;
  element.SetRange(2, Variant("5"), Variant(2.5f));
  Variant low;
  Variant high;
  ASSERT_TRUE(element.GetRange(2, low, high));
  EXPECT_EQ(low, Variant("5"));
  EXPECT_EQ(high, Variant(2.5f));
  // The entries below were created empty: copied out, but no range.
  low = Variant("x");
  high = Variant("y");
  EXPECT_FALSE(element.GetRange(0, low, high));
  EXPECT_TRUE(low.IsEmpty());
  EXPECT_TRUE(high.IsEmpty());
}

TEST(RangeList, OneEndIsARange) {
  clsDataElement element;
  element.SetRange(0, Variant(), Long(10));
  element.SetRange(1, Long(20), Variant());
  Variant low;
  Variant high;
  EXPECT_TRUE(element.GetRange(0, low, high));
  EXPECT_TRUE(low.IsEmpty());
  EXPECT_EQ(high, Long(10));
  EXPECT_TRUE(element.GetRange(1, low, high));
  EXPECT_EQ(low, Long(20));
  EXPECT_TRUE(high.IsEmpty());
}

TEST(RangeList, NegativeIndexDoesNothing) {
  clsDataElement element;
  element.SetRange(-1, Long(1), Long(2));
  Variant low;
  Variant high;
  EXPECT_FALSE(element.GetRange(0, low, high));
}

class RangeRemoval : public ::testing::Test {
 protected:
  RangeRemoval() {
    element_.SetRange(0, Long(1), Long(2));
    element_.SetRange(1, Long(3), Long(4));
    element_.SetRange(2, Long(5), Long(6));
  }
  std::optional<std::pair<Variant, Variant>> Range(std::int32_t index) const {
    Variant low;
    Variant high;
    if (!element_.GetRange(index, low, high)) return std::nullopt;
    return std::make_pair(low, high);
  }
  clsDataElement element_;
};

TEST_F(RangeRemoval, FirstRangeMovesTheOthersDown) {
  element_.SetRange(0, Variant(), Variant());
  EXPECT_EQ(Range(0), std::make_pair(Long(3), Long(4)));
  EXPECT_EQ(Range(1), std::make_pair(Long(5), Long(6)));
  EXPECT_EQ(Range(2), std::nullopt);
}

TEST_F(RangeRemoval, MiddleRange) {
  element_.SetRange(1, Variant(), Variant());
  EXPECT_EQ(Range(0), std::make_pair(Long(1), Long(2)));
  EXPECT_EQ(Range(1), std::make_pair(Long(5), Long(6)));
  EXPECT_EQ(Range(2), std::nullopt);
}

TEST_F(RangeRemoval, BeyondTheListsChangesNothing) {
  element_.SetRange(7, Variant(), Variant());
  EXPECT_EQ(Range(0), std::make_pair(Long(1), Long(2)));
  EXPECT_EQ(Range(2), std::make_pair(Long(5), Long(6)));
  EXPECT_EQ(Range(3), std::nullopt);
}

// ---- Typed values --------------------------------------------------------------------

enum class Lang { kEnglish, kGerman };

struct TypedCase {
  const char* name;
  std::int32_t value_type;
  const char* format;
  Variant input;
  Variant expected;
  Lang lang = Lang::kEnglish;
};

void PrintTo(const TypedCase& c, std::ostream* os) { *os << c.name; }

const TypedCase kTypedCases[] = {
    {"EmptyStaysEmpty", kVtUInt8, "", Variant(), Variant()},
    {"NullIsNull", kVtUInt8, "", Variant::Null(), Variant::Null()},
    {"NoneIsEmpty", kVtNone, "", Long(5), Variant()},
    {"BytesKeepTheArray", kVtBytes, "", Variant(com::ByteArray{1, 2}),
     Variant(com::ByteArray{1, 2})},
    {"BytesFromHexText", kVtBytes, "", Variant("01AB"), Variant(com::ByteArray{0x01, 0xAB})},
    {"BytesFromBadHex", kVtBytes, "", Variant("XY"), Variant::Null()},
    {"BytesFromNumber", kVtBytes, "", Long(5), Variant::Null()},
    {"ByteTieToEvenDown", kVtUInt8, "", Variant(2.5), Byte(2)},
    {"ByteTieToEvenUp", kVtUInt8, "", Variant(3.5), Byte(4)},
    {"ByteOverflow", kVtUInt8, "", Long(256), Variant::Null()},
    {"ByteFromText", kVtUInt8, "", Variant("17"), Byte(17)},
    {"ByteFromLetters", kVtUInt8, "", Variant("1a"), Variant::Null()},
    {"UInt16IsLong", kVtUInt16, "", Int16(7), Long(7)},
    {"UInt24IsLong", kVtUInt24, "", Variant(16777215.0), Long(16777215)},
    {"Int16IsInteger", kVtInt16, "", Variant(-2.5), Int16(-2)},
    {"Int16Overflow", kVtInt16, "", Long(40000), Variant::Null()},
    {"Int24IsLong", kVtInt24, "", Variant("-5"), Long(-5)},
    {"Int32Overflow", kVtInt32, "", Variant(2147483648.0), Variant::Null()},
    {"SingleWithoutFormat", kVtSingle, "", Variant(1.25), Variant(1.25f)},
    // Half away from zero as the display rounds, not half to even.
    {"SingleRoundedToItsFormat", kVtSingle, "0.0", Variant(12.25), Variant(12.3f)},
    {"DoubleRoundedToItsFormat", kVtDouble, "0.00", Variant(2.675), Variant(2.68)},
    {"DoubleFormatWhole", kVtDouble, "0", Variant(-0.5), Variant(-1.0)},
    {"PointTextEnglish", kVtDouble, "", Variant("12.5"), Variant(12.5)},
    // The point is the mark even where the locale groups with it.
    {"PointTextGerman", kVtDouble, "", Variant("1.500"), Variant(1.5), Lang::kGerman},
    {"PointTextGermanFormatted", kVtDouble, "0.0", Variant("12.34"), Variant(12.3), Lang::kGerman},
    {"CommaTextGerman", kVtDouble, "0.0", Variant("12,36"), Variant(12.4), Lang::kGerman},
    {"PointTextNoNumber", kVtDouble, "0.0", Variant("1.2.3"), Variant::Null()},
    {"GermanGroupedTextIsNoPointNumber", kVtSingle, "", Variant("1.234,5"), Variant::Null(),
     Lang::kGerman},
    {"TextNoNumber", kVtDouble, "0.0", Variant("abc"), Variant::Null()},
    {"SingleOverflow", kVtSingle, "", Variant(1e39), Variant::Null()},
    {"BooleanFromText", kVtBoolean, "", Variant("True"), Variant(true)},
    {"BooleanFromZero", kVtBoolean, "", Long(0), Variant(false)},
    {"BooleanFromWord", kVtBoolean, "", Variant("maybe"), Variant::Null()},
    {"DictionaryDateEnglish", kVtDate, "", Variant("05.03.2020"), Variant::Date(kMarch5th2020)},
    {"DictionaryDateGerman", kVtDate12, "", Variant("05.03.2020"), Variant::Date(kMarch5th2020),
     Lang::kGerman},
    {"LocaleDateEnglish", kVtDate13, "", Variant("3/5/2020"), Variant::Date(kMarch5th2020)},
    {"LocaleShortDateGerman", kVtDate, "", Variant("5.3.2020"), Variant::Date(kMarch5th2020),
     Lang::kGerman},
    // Dotted dates read day first in every locale, short or not.
    {"ShortDottedDateReadsDayFirst", kVtDate, "", Variant("5.3.2020"),
     Variant::Date(kMarch5th2020)},
    {"DictionaryDateThatDoesNotExist", kVtDate, "", Variant("31.02.2020"), Variant::Null()},
    {"DateFromSerial", kVtDate, "", Variant(43895.5), Variant::Date(43895.5)},
    {"DateFromWord", kVtDate, "", Variant("abc"), Variant::Null()},
    {"TextFromNumber", kVtText, "", Long(12), Variant("12")},
    {"TextFromDoubleGerman", kVtText, "", Variant(1.5), Variant("1,5"), Lang::kGerman},
    {"TextFromBytes", kVtText, "", Variant(com::ByteArray{1}), Variant::Null()},
    {"Decimal", kVtDecimal, "", Variant("1.25"), Variant(com::Decimal::Parse("1.25"))},
    {"EnumIsDouble", kVtEnum, "", Variant("7"), Variant(7.0)},
    {"EnumAboveLong", kVtEnum, "", Variant(4294967295.0), Variant(4294967295.0)},
    {"TypeAbove16", 17, "", Long(1), Variant::Null()},
    {"NegativeType", -1, "", Long(1), Variant::Null()},
};

class TypedValue : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedValue, ConvertsOrGivesNull) {
  const TypedCase& c = GetParam();
  const com::Locale& locale =
      c.lang == Lang::kGerman ? com::Locale::German() : com::Locale::English();
  clsDataElement element;
  element.ValueType = c.value_type;
  element.ValueFormat = c.format;
  const Variant typed = element.GetTypedValue(c.input, locale);
  EXPECT_EQ(typed, c.expected) << Show(typed) << " instead of " << Show(c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, TypedValue, ::testing::ValuesIn(kTypedCases), RowName());

// ---- Invalid floats --------------------------------------------------------------------

struct InvalidFloatCase {
  const char* name;
  Variant value;
  bool invalid;
};

void PrintTo(const InvalidFloatCase& c, std::ostream* os) { *os << c.name; }

const InvalidFloatCase kInvalidFloatCases[] = {
    {"DoubleNaN", Variant(kNaN), true},
    {"DoubleInfinity", Variant(kInf), true},
    {"SingleMinusInfinity", Variant(-std::numeric_limits<float>::infinity()), true},
    {"SingleNaN", Variant(std::numeric_limits<float>::quiet_NaN()), true},
    {"DoubleMax", Variant(std::numeric_limits<double>::max()), false},
    {"Double", Variant(1.0), false},
    {"Long", Long(5), false},
    {"TextNaN", Variant("NaN"), false},
    {"Empty", Variant(), false},
};

class InvalidFloatValue : public ::testing::TestWithParam<InvalidFloatCase> {};

TEST_P(InvalidFloatValue, OnlyNonFiniteFloats) {
  EXPECT_EQ(IsInvalidFloat(GetParam().value), GetParam().invalid);
}

INSTANTIATE_TEST_SUITE_P(Table, InvalidFloatValue, ::testing::ValuesIn(kInvalidFloatCases),
                         RowName());

// ---- Input check -------------------------------------------------------------------------

using RangeList = std::vector<std::pair<Variant, Variant>>;

struct CheckCase {
  const char* name;
  std::int32_t value_type;
  std::int32_t length;
  RangeList ranges;
  Variant value;
  std::int32_t expected;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

// The dictionary's default character range of a text: " " to "_".
const RangeList kPrintableUpper = {{Long(' '), Long('_')}};

const CheckCase kCheckCases[] = {
    {"NoneAcceptsNull", kVtNone, 0, {}, Variant::Null(), 0},
    {"NullByte", kVtUInt8, 0, {}, Variant::Null(), 0x2000},
    {"NullText", kVtText, 10, {}, Variant::Null(), 0x2000},
    {"NullBytes", kVtBytes, 0, {}, Variant::Null(), 0x2000},
    {"NullBoolean", kVtBoolean, 0, {}, Variant::Null(), 0x2000},
    {"NullDate", kVtDate, 0, {}, Variant::Null(), 0x2000},
    {"TextUpperDigitsUnderscore", kVtText, 10, kPrintableUpper, Variant("AB_19 Z"), 0},
    {"TextLowerCaseAboveUnderscore", kVtText, 10, kPrintableUpper, Variant("ABc"), 0x6000},
    {"TextLengthBeforeCharacters", kVtText, 10, kPrintableUpper, Variant("abcdefghijk"), 0x5000},
    {"TextExactLength", kVtText, 10, kPrintableUpper, Variant("ABCDEFGHIJ"), 0},
    {"TextLengthCountsCharacters", kVtText, 3, {}, Variant("ÄÖÜ"), 0},
    {"TextUmlautByAnsiCode", kVtText, 0, {{Long(0xC0), Long(0xDF)}}, Variant("Ä"), 0},
    {"TextSmallUmlautOutside", kVtText, 0, {{Long(0xC0), Long(0xDF)}}, Variant("ä"), 0x6000},
    {"TextEuroSignIs128", kVtText, 0, {{Long(128), Long(128)}}, Variant("€"), 0},
    {"TextWithoutRangesAcceptsAll", kVtText, 0, {}, Variant("any~text{}"), 0},
    {"TextZeroLengthIsUnlimited", kVtText, 0, kPrintableUpper,
     Variant("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), 0},
    {"TextSecondRange",
     kVtText,
     0,
     {{Long('0'), Long('9')}, {Long('A'), Long('Z')}},
     Variant("A1"),
     0},
    {"TextInNoRange",
     kVtText,
     0,
     {{Long('0'), Long('9')}, {Long('A'), Long('Z')}},
     Variant("a"),
     0x6000},
    {"TextOpenLowerEnd", kVtText, 0, {{Variant(), Long('Z')}}, Variant("[Z"), 0x6000},
    {"TextNumberValue", kVtText, 2, {}, Long(123), 0x5000},
    {"BytesNotChecked", kVtBytes, 0, {{Long(0), Long(1)}}, Variant("zz"), 0},
    {"ByteAboveLimit", kVtUInt8, 0, {}, Long(256), 0x4000},
    {"ByteAtLimit", kVtUInt8, 0, {}, Long(255), 0},
    {"ByteNegative", kVtUInt8, 0, {}, Long(-1), 0x4000},
    {"DigitsWithLetter", kVtUInt16, 0, {}, Variant("12a4"), 0x2000},
    {"NumericText", kVtUInt16, 0, {}, Variant("1234"), 0},
    {"NotNumericBeforeRange", kVtUInt16, 0, {{Long(0), Long(10)}}, Variant("abc"), 0x2000},
    {"UInt16Limit", kVtUInt16, 0, {}, Long(65535), 0},
    {"UInt16AboveLimit", kVtUInt16, 0, {}, Long(65536), 0x4000},
    {"UInt24Limit", kVtUInt24, 0, {}, Long(16777215), 0},
    {"UInt24AboveLimit", kVtUInt24, 0, {}, Long(16777216), 0x4000},
    {"Int16Limit", kVtInt16, 0, {}, Long(-32768), 0},
    {"Int16BelowLimit", kVtInt16, 0, {}, Long(-32769), 0x4000},
    {"Int24Limit", kVtInt24, 0, {}, Long(-8388608), 0},
    {"Int24AboveLimit", kVtInt24, 0, {}, Long(8388608), 0x4000},
    {"Int32Limit", kVtInt32, 0, {}, Variant(2147483647.0), 0},
    {"Int32AboveLimit", kVtInt32, 0, {}, Variant(2147483648.0), 0x4000},
    {"SingleLimit", kVtSingle, 0, {}, Variant(3.402823E+38), 0},
    {"SingleAboveLimit", kVtSingle, 0, {}, Variant(3.4028231E+38), 0x4000},
    {"SingleBelowLimit", kVtSingle, 0, {}, Variant(-3.4028231E+38), 0x4000},
    {"SingleMaxAboveLimit", kVtSingle, 0, {}, Variant(std::numeric_limits<float>::max()), 0x4000},
    {"DoubleLimit", kVtDouble, 0, {}, Variant(1.79769313486231E+308), 0},
    {"DoubleAboveLimit", kVtDouble, 0, {}, Variant(1.797693134862311E+308), 0x4000},
    {"DoubleMaxAboveLimit", kVtDouble, 0, {}, Variant(std::numeric_limits<double>::max()), 0x4000},
    {"DecimalLimit", kVtDecimal, 0, {}, Variant(7.92281625142643E+28), 0},
    {"DecimalMaxAboveLimit",
     kVtDecimal,
     0,
     {},
     Variant(com::Decimal::Parse("79228162514264337593543950335")),
     0x4000},
    {"EnumLimitWhole", kVtEnum, 0, {}, Variant(4294967295.0), 0},
    {"EnumLimitFraction", kVtEnum, 0, {}, Variant(4294967295.9999), 0},
    {"EnumAboveLimit", kVtEnum, 0, {}, Variant(4294967296.0), 0x4000},
    {"EnumNegative", kVtEnum, 0, {}, Long(-1), 0x4000},
    {"NaNSkipsRangesAndLimits", kVtDouble, 0, {{Long(0), Long(1)}}, Variant(kNaN), 0},
    {"InfinitySkipsRanges",
     kVtSingle,
     0,
     {{Long(0), Long(1)}},
     Variant(std::numeric_limits<float>::infinity()),
     0},
    {"BooleanSkipsNumericCheck", kVtBoolean, 0, {}, Variant("maybe"), 0},
    {"DateSkipsNumericCheck", kVtDate, 0, {}, Variant("05.03.2020"), 0},
    {"InsideRange", kVtUInt16, 0, {{Long(10), Long(20)}}, Long(15), 0},
    {"RangeEndsIncluded", kVtUInt16, 0, {{Long(10), Long(20)}}, Long(20), 0},
    {"AboveRange", kVtUInt16, 0, {{Long(10), Long(20)}}, Long(21), 0x4000},
    {"BelowRange", kVtUInt16, 0, {{Long(10), Long(20)}}, Long(9), 0x4000},
    {"BetweenTwoRanges", kVtUInt16, 0, {{Long(0), Long(5)}, {Long(10), Long(20)}}, Long(7), 0x4000},
    {"InSecondRange", kVtUInt16, 0, {{Long(0), Long(5)}, {Long(10), Long(20)}}, Long(12), 0},
    {"OpenUpperEnd", kVtInt32, 0, {{Long(10), Variant()}}, Long(1000000), 0},
    {"NumericTextAgainstRange", kVtUInt16, 0, {{Long(0), Long(255)}}, Variant("100"), 0},
    // The walk ends at the first range without ends: range 2 is never tried.
    {"GapEndsTheRangeWalk",
     kVtUInt16,
     0,
     {{Long(0), Long(5)}, {Variant(), Variant()}, {Long(10), Long(20)}},
     Long(12),
     0x4000},
    {"DateRange",
     kVtDate,
     0,
     {{Variant::Date(43800), Variant::Date(43900)}},
     Variant::Date(43950),
     0x4000},
};

class InputCheck : public ElementFixture, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(InputCheck, FirstFailedCheckGivesTheCode) {
  const CheckCase& c = GetParam();
  element_.ValueType = c.value_type;
  element_.ValueTypeLength = c.length;
  for (std::size_t i = 0; i < c.ranges.size(); ++i) {
    element_.SetRange(static_cast<std::int32_t>(i), c.ranges[i].first, c.ranges[i].second);
  }
  EXPECT_EQ(element_.CalcParamErrorFlags(Context(), c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, InputCheck, ::testing::ValuesIn(kCheckCases), RowName());

struct UnitCheckCase {
  const char* name;
  std::int32_t value_type;
  std::uint8_t init_unit;
  std::uint8_t unit;
  std::pair<Variant, Variant> range;
  Variant value;
  std::int32_t expected;
};

void PrintTo(const UnitCheckCase& c, std::ostream* os) { *os << c.name; }

constexpr std::uint8_t kMm = 49;
constexpr std::uint8_t kCm = 48;
constexpr std::uint8_t kMetre = 45;
constexpr std::uint8_t kKPa = 12;
constexpr std::uint8_t kBar = 7;
constexpr std::uint8_t kAnyUnit = 252;

const UnitCheckCase kUnitCheckCases[] = {
    {"SameUnit", kVtDouble, kMm, kMm, {Long(0), Long(40)}, Long(30), 0},
    {"CentimetresAboveRangeInMillimetres",
     kVtDouble,
     kMm,
     kCm,
     {Long(0), Long(40)},
     Long(5),
     0x4000},
    {"CentimetresInsideRangeInMillimetres", kVtDouble, kMm, kCm, {Long(0), Long(40)}, Long(3), 0},
    {"BarAboveRangeInKilopascal", kVtDouble, kKPa, kBar, {Long(0), Long(50)}, Long(1), 0x4000},
    {"BarInsideRangeInKilopascal", kVtDouble, kKPa, kBar, {Long(0), Long(50)}, Variant(0.4), 0},
    {"AnyUnitIsNotConverted", kVtDouble, kMm, kAnyUnit, {Long(0), Long(40)}, Long(30), 0},
    {"AnyInitUnitIsNotConverted", kVtDouble, kAnyUnit, kCm, {Long(0), Long(40)}, Long(30), 0},
    // 256 m is 256000 mm, inside the range; the byte limit sees 256.
    {"TypeLimitOnUnconvertedValue",
     kVtUInt8,
     kMm,
     kMetre,
     {Long(0), Long(300000)},
     Long(256),
     0x4000},
    {"TypeLimitUnconvertedInside", kVtUInt8, kMm, kMetre, {Long(0), Long(300000)}, Long(255), 0},
    // 100 cm is 1000 mm, above the byte limit, but the limit sees 100.
    {"ConvertedAboveTypeLimitPasses", kVtUInt8, kMm, kCm, {Long(0), Long(2000)}, Long(100), 0},
};

class InputCheckUnits : public ElementFixture,
                        public ::testing::WithParamInterface<UnitCheckCase> {};

TEST_P(InputCheckUnits, RangesInTheInitialUnit) {
  const UnitCheckCase& c = GetParam();
  element_.ValueType = c.value_type;
  element_.nInitUnit = c.init_unit;
  element_.nUnit = c.unit;
  element_.SetRange(0, c.range.first, c.range.second);
  EXPECT_EQ(element_.CalcParamErrorFlags(Context(), c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, InputCheckUnits, ::testing::ValuesIn(kUnitCheckCases), RowName());

class InputCheckWithoutTable : public ElementFixture {
 protected:
  InputCheckWithoutTable() {
    element_.ValueType = kVtDouble;
    element_.nInitUnit = kMm;
    element_.nUnit = kCm;
    element_.SetRange(0, Long(0), Long(40));
  }
};

// 30 cm would be 300 mm, outside; without a table the value is tested as given.
TEST_F(InputCheckWithoutTable, NoDataModelTestsTheValueAsGiven) {
  EXPECT_EQ(element_.CalcParamErrorFlags(BareContext(), Long(30)), 0);
}

TEST_F(InputCheckWithoutTable, ModelWithoutUnitTableTestsTheValueAsGiven) {
  EXPECT_EQ(element_.CalcParamErrorFlags(TablelessContext(), Long(30)), 0);
}

TEST_F(InputCheckWithoutTable, UnknownUnitCodeIsAnError) {
  element_.nUnit = 200;
  EXPECT_NE(ErrorOf([&] { element_.CalcParamErrorFlags(Context(), Long(30)); }), 0);
}

// ---- List texts --------------------------------------------------------------------------

struct ListCase {
  const char* name;
  const char* list;
  bool bits;
  std::uint32_t value;
  const char* expected;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

const ListCase kListCases[] = {
    {"ValueListHit", "0:Off|1:On", false, 1, "On"},
    {"ValueListMiss", "0:Off|1:On", false, 2, ""},
    {"FirstMatchingEntry", "1:A|1:B", false, 1, "A"},
    {"TextAfterTheFirstColon", "3:a:b", false, 3, "a:b"},
    {"EntryWithoutColonSkipped", "5|5:five", false, 5, "five"},
    {"NonNumericKeyIsMinusOne", "x:bad|0:zero", false, 0xFFFFFFFF, "bad"},
    {"EmptyList", "", false, 0, ""},
    {"BitListEveryBit", "0:A|1:B|31:C", true, 0x80000001, "[x] A, [ ] B, [x] C"},
    {"BitListKey40AddsNothing", "0:A|40:Z|1:B", true, 3, "[x] A, [x] B"},
    {"BitListNegativeKeyAddsNothing", "-1:N|0:A", true, 0, "[ ] A"},
    {"BitListInListOrder", "2:C|0:A", true, 4, "[x] C, [ ] A"},
    {"BitListEmpty", "", true, 0xFFFFFFFF, ""},
};

class ListText : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListText, ValueList) {
  const ListCase& c = GetParam();
  clsDataElement element;
  element.ValueList = c.list;
  element.bBitEncoding = c.bits;
  EXPECT_EQ(element.GetStrValueFromIdxList(static_cast<std::int32_t>(c.value)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ListText, ::testing::ValuesIn(kListCases), RowName());

TEST(CommandErrorText, IsAlwaysAValueList) {
  clsDataElement element;
  element.bBitEncoding = true;
  element.ValueList = "0:A|2:C";
  element.CmdErrList = "5:Busy|6:Locked";
  EXPECT_EQ(element.GetStrCommandErrorFromIndex(6), "Locked");
  EXPECT_EQ(element.GetStrCommandErrorFromIndex(1), "");
  EXPECT_EQ(element.GetStrValueFromIdxList(5), "[x] A, [x] C");
}

// ---- Units -----------------------------------------------------------------------------------

class UnitText : public ElementFixture {};

TEST_F(UnitText, TextOfTheUnitTable) {
  element_.nUnit = 0;
  EXPECT_EQ(element_.UnitString(Context()), "");
  element_.nUnit = kMm;
  EXPECT_EQ(element_.UnitString(Context()), "mm");
  element_.nUnit = 200;
  EXPECT_EQ(element_.UnitString(Context()), "#200");
}

TEST_F(UnitText, WithoutTableTheCodeIsShown) {
  element_.nUnit = kMm;
  EXPECT_EQ(element_.UnitString(BareContext()), "#49");
  EXPECT_EQ(element_.UnitString(TablelessContext()), "#49");
}

TEST_F(UnitText, SetByText) {
  element_.SetUnitString(Context(), "bar");
  EXPECT_EQ(element_.nUnit, kBar);
  element_.SetUnitString(Context(), "");
  EXPECT_EQ(element_.nUnit, 0);
}

TEST_F(UnitText, SetByCodeNeedsNoTable) {
  element_.SetUnitString(BareContext(), "#57");
  EXPECT_EQ(element_.nUnit, 57);
}

TEST_F(UnitText, RefusedTextsKeepTheUnit) {
  element_.nUnit = kMm;
  EXPECT_EQ(ErrorOf([&] { element_.SetUnitString(Context(), "furlong"); }), com::vb::kOverflow);
  EXPECT_EQ(ErrorOf([&] { element_.SetUnitString(Context(), "#abc"); }), com::vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { element_.SetUnitString(Context(), "#300"); }), com::vb::kOverflow);
  EXPECT_EQ(ErrorOf([&] { element_.SetUnitString(BareContext(), "mm"); }),
            com::vb::kObjectVariableNotSet);
  EXPECT_EQ(element_.nUnit, kMm);
}

// ---- Parent group --------------------------------------------------------------------------

class ParentParameter : public ElementFixture {
 protected:
  ParentParameter() {
    for (const char* path : {"XX130Tr1/", "XX130Tr1/Par2", "~/", "~/Tag", "XX131/Par"}) {
      auto element = std::make_shared<clsDataElement>();
      element->Name = path;
      BareContext().Parameters().Add(element);
    }
  }
  std::string ParentOf(const std::string& name) {
    clsDataElement element;
    element.Name = name;
    const auto parent = element.GetParentParameter(BareContext().Parameters());
    return parent ? parent->Name : "(none)";
  }
};

TEST_F(ParentParameter, GroupOfAMember) {
  EXPECT_EQ(ParentOf("XX130Tr1/Par2"), "XX130Tr1/");
  EXPECT_EQ(ParentOf("~/Tag"), "~/");
}

TEST_F(ParentParameter, NoneForTheGroupItselfShortPathsAndMissingGroups) {
  EXPECT_EQ(ParentOf("XX130Tr1/"), "(none)");
  EXPECT_EQ(ParentOf("/Tag"), "(none)");
  EXPECT_EQ(ParentOf("XX131/Par"), "(none)");
  EXPECT_EQ(ParentOf("/"), "(none)");
  EXPECT_EQ(ParentOf(""), "(none)");
}

// ---- InitNew and the transfer tests ----------------------------------------------------------

TEST(ElementInitNew, TakesTheInitialValueAndUnitOnly) {
  clsDataElement element;
  element.InitialValue = Variant(12.5);
  element.TransientValue = Variant("old");
  element.PersistentValue = Variant("stored");
  element.DeviceValue = Variant("read");
  element.nInitUnit = kMm;
  element.nUnit = kCm;
  element.SetRawStatusFlags(0x0100F004);
  element.SetRange(0, Long(1), Long(2));
  element.Prompt = "Travel";
  EXPECT_TRUE(element.IPrivateDataElement_InitNew(Variant(), Variant()));
  EXPECT_EQ(element.TransientValue, Variant(12.5));
  EXPECT_TRUE(element.PersistentValue.IsEmpty());
  EXPECT_TRUE(element.DeviceValue.IsEmpty());
  EXPECT_EQ(element.nUnit, kMm);
  EXPECT_EQ(element.RawStatusFlags(), 0x0100F004);
  Variant low;
  Variant high;
  EXPECT_TRUE(element.GetRange(0, low, high));
  EXPECT_EQ(element.Prompt, "Travel");
}

struct TransferCase {
  const char* name;
  std::int32_t mode;
  bool dynamic;
  bool valid;
  std::int32_t required_level;
  std::int32_t user_level;
  bool upload;
  bool download;
  bool command;
};

void PrintTo(const TransferCase& c, std::ostream* os) { *os << c.name; }

const TransferCase kTransferCases[] = {
    {"UploadOnly", 0x1, false, true, 0, 2, true, false, false},
    {"DynamicIsNeitherUploadedNorDownloaded", 0x3, true, true, 0, 2, false, false, false},
    {"DownloadNeedsValidity", 0x2, false, false, 0, 2, false, false, false},
    {"DownloadAtTheRequiredLevel", 0x3, false, true, 2, 2, true, true, false},
    {"DownloadBelowTheRequiredLevel", 0x2, false, true, 3, 2, false, false, false},
    {"DeviceCommandAboveTheLevel", 0x4, false, true, 2, 3, false, false, true},
    {"DeviceCommandBelowTheLevel", 0x4, false, true, 4, 3, false, false, false},
    {"DeviceCommandIgnoresValidityAndDynamic", 0x4, true, false, 0, 0, false, false, true},
    {"StoredBitAlone", 0x10, false, true, 0, 5, false, false, false},
};

class TransferTests : public ElementFixture, public ::testing::WithParamInterface<TransferCase> {};

TEST_P(TransferTests, ModeFlagsAndUserLevel) {
  const TransferCase& c = GetParam();
  element_.ElementMode = c.mode;
  element_.SetStatusFlags(c.dynamic ? flags::kDynamic : 0);
  element_.SetValidity(c.valid);
  element_.RequiredUserLevel = c.required_level;
  Context().User().SetUserLevel(c.user_level);
  EXPECT_EQ(element_.IPrivateDataElement_IsUploadParam(Variant()), c.upload);
  EXPECT_EQ(element_.IPrivateDataElement_IsDownloadParam(Context()), c.download);
  EXPECT_EQ(element_.IPrivateDataElement_IsDeviceCommand(Context()), c.command);
}

INSTANTIATE_TEST_SUITE_P(Table, TransferTests, ::testing::ValuesIn(kTransferCases), RowName());

}  // namespace
}  // namespace dtm::testing::element
