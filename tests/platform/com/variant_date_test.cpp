// CDate and CStr of dates: serials, the locales' short dates, times.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/com/locale.h"
#include "platform/com/variant.h"
#include "tests/platform/com/com_test_util.h"

namespace dtm::com {
namespace {

using test::ErrorOf;
using test::kNaN;
using test::kNoError;

// Serials worked out by hand: 2000-01-01 is 36526, 2024-01-01 is 45292.
constexpr double kJan1st2000 = 36526;
constexpr double kJan15th2024 = 45306;
constexpr double kFeb29th2024 = 45351;
constexpr double kJul15th2024 = 45488;
constexpr double k13h05m09s = (13 * 3600 + 5 * 60 + 9) / 86400.0;

struct FormatCase {
  const char* name;
  double serial;
  const char* english;
  const char* german;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

const FormatCase kFormatCases[] = {
    {"DateOnly", kJan1st2000, "1/1/2000", "01.01.2000"},
    {"DateAndTime", kJan1st2000 + 0.75, "1/1/2000 18:00:00", "01.01.2000 18:00:00"},
    {"TwoDigitFields", kJul15th2024 + k13h05m09s, "7/15/2024 13:05:09", "15.07.2024 13:05:09"},
    {"LeapDay", 36585, "2/29/2000", "29.02.2000"},
    {"NoLeapDayIn1900", 60, "2/28/1900", "28.02.1900"},
    {"MarchFirst1900", 61, "3/1/1900", "01.03.1900"},
    {"DayAfterEpoch", 1, "12/31/1899", "31.12.1899"},
    {"TimeOnly", 0.5, "12:00:00", "12:00:00"},
    {"UnsetDateShowsMidnight", 0, "00:00:00", "00:00:00"},
    // Before the epoch the fraction still counts forward from midnight.
    {"BeforeEpochWithTime", -1.25, "12/29/1899 06:00:00", "29.12.1899 06:00:00"},
    {"LongBefore", -36522.25, "1/1/1800 06:00:00", "01.01.1800 06:00:00"},
    {"TenthBeforeMidnightRoundsIntoNextDay", kJan1st2000 - 0.1 / 86400, "1/1/2000", "01.01.2000"},
    {"LastDay", 2958465.5, "12/31/9999 12:00:00", "31.12.9999 12:00:00"},
};

class DateToString : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DateToString, English) {
  EXPECT_EQ(Variant::Date(GetParam().serial).ToString(Locale::English()), GetParam().english);
}

TEST_P(DateToString, German) {
  EXPECT_EQ(Variant::Date(GetParam().serial).ToString(Locale::German()), GetParam().german);
}

INSTANTIATE_TEST_SUITE_P(Table, DateToString, ::testing::ValuesIn(kFormatCases),
                         test::RowName());

struct ParseCase {
  const char* name;
  const char* text;
  double serial;
  std::int32_t error = kNoError;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name << " \"" << c.text << '"'; }

const ParseCase kEnglishCases[] = {
    {"ShortDate", "1/15/2024", kJan15th2024},
    {"PaddedShortDate", "01/15/2024", kJan15th2024},
    {"Iso", "2024-01-15", kJan15th2024},
    {"DateAndTime", "7/15/2024 13:05:09", kJul15th2024 + k13h05m09s},
    {"DateAndShortTime", "1/1/2000 18:00", kJan1st2000 + 0.75},
    {"LeapDay", "2/29/2024", kFeb29th2024},
    {"NoLeapDay", "2/29/2023", 0, vb::kTypeMismatch},
    {"DayFirstIsWrongHere", "15/1/2024", 0, vb::kTypeMismatch},
    {"TwoDigitYearLate", "1/1/30", 10959},
    {"TwoDigitYearEarly", "1/1/29", 47119},
    {"BeforeEpoch", "1/1/1800 06:00", -36522.25},
    {"TimeOnly", "12:00", 0.5},
    {"TimeOnlyWithSeconds", " 06:00:00 ", 0.25},
    {"BadHour", "25:00", 0, vb::kTypeMismatch},
    {"GermanForm", "15.01.2024", 0, vb::kTypeMismatch},
    {"Word", "today", 0, vb::kTypeMismatch},
    {"Number", "1.5", 0, vb::kTypeMismatch},
    {"Empty", "", 0, vb::kTypeMismatch},
};

const ParseCase kGermanCases[] = {
    {"ShortDate", "15.01.2024", kJan15th2024},
    {"UnpaddedShortDate", "15.1.2024", kJan15th2024},
    {"Iso", "2024-01-15", kJan15th2024},
    {"DateAndTime", "15.07.2024 13:05:09", kJul15th2024 + k13h05m09s},
    {"LeapDay", "29.02.2024", kFeb29th2024},
    {"DayThirteen", "13.01.2024", 45304},
    {"MonthThirteen", "01.13.2024", 0, vb::kTypeMismatch},
    {"EnglishForm", "1/15/2024", 0, vb::kTypeMismatch},
    {"TwoFieldsAreNoDate", "1.5", 0, vb::kTypeMismatch},
    {"TimeOnly", "18:00", 0.75},
};

class TextToDate : public ::testing::TestWithParam<ParseCase> {
 protected:
  static void Check(const ParseCase& c, const Locale& locale) {
    if (c.error == kNoError) {
      EXPECT_DOUBLE_EQ(Variant(c.text).ToDate(locale).serial, c.serial);
    } else {
      EXPECT_EQ(ErrorOf([&] { Variant(c.text).ToDate(locale); }), c.error);
    }
  }
};

class EnglishTextToDate : public TextToDate {};
class GermanTextToDate : public TextToDate {};

TEST_P(EnglishTextToDate, ReadsMonthFirst) { Check(GetParam(), Locale::English()); }
TEST_P(GermanTextToDate, ReadsDayFirst) { Check(GetParam(), Locale::German()); }

INSTANTIATE_TEST_SUITE_P(Table, EnglishTextToDate, ::testing::ValuesIn(kEnglishCases),
                         test::RowName());
INSTANTIATE_TEST_SUITE_P(Table, GermanTextToDate, ::testing::ValuesIn(kGermanCases),
                         test::RowName());

struct SerialCase {
  const char* name;
  Variant value;
  double serial;
  std::int32_t error = kNoError;
};

void PrintTo(const SerialCase& c, std::ostream* os) { *os << c.name; }

const SerialCase kSerialCases[] = {
    {"Date", Variant::Date(kJan1st2000), kJan1st2000},
    {"Double", 36526.5, 36526.5},
    {"Long", std::int32_t{2}, 2},
    {"TrueIsTheDayBefore", true, -1},
    {"Empty", Variant(), 0},
    {"Decimal", Decimal::Parse("36526.25"), 36526.25},
    {"PastYear9999", 3e6, 0, vb::kOverflow},
    {"BeforeYear100", -700000.0, 0, vb::kOverflow},
    {"NaN", kNaN, 0, vb::kOverflow},
    {"Null", Variant::Null(), 0, vb::kInvalidUseOfNull},
    {"ByteArray", ByteArray{1}, 0, vb::kTypeMismatch},
};

class NumberToDate : public ::testing::TestWithParam<SerialCase> {};

TEST_P(NumberToDate, TakesTheNumberAsSerial) {
  const SerialCase& c = GetParam();
  if (c.error == kNoError) {
    EXPECT_EQ(c.value.ToDate().serial, c.serial);
  } else {
    EXPECT_EQ(ErrorOf([&] { c.value.ToDate(); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, NumberToDate, ::testing::ValuesIn(kSerialCases),
                         test::RowName());

TEST(DateToNumber, UsesTheSerial) {
  EXPECT_EQ(Variant::Date(kJan1st2000 + 0.75).ToDouble(), 36526.75);
  EXPECT_EQ(Variant::Date(kJan1st2000 + 0.5).ToLong(), 36526);
  EXPECT_TRUE(Variant::Date(0.25).ToBoolean());
}

}  // namespace
}  // namespace dtm::com
