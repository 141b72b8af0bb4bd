// CInt, CLng and CByte: half to even, Overflow at the limits, the special
// subtypes (Boolean, Empty, Null, objects, byte arrays).

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
using test::kInf;
using test::kNaN;
using test::kNoError;

enum class To { kInteger, kLong, kByte };

struct IntegralCase {
  const char* name;
  To to;
  Variant value;
  std::int64_t expected;
  std::int32_t error = kNoError;
};

void PrintTo(const IntegralCase& c, std::ostream* os) { *os << c.name; }

std::int64_t Convert(To to, const Variant& value) {
  switch (to) {
    case To::kInteger: return value.ToInteger();
    case To::kLong: return value.ToLong();
    case To::kByte: return value.ToByte();
  }
  return 0;
}

constexpr std::int32_t kOverflow = vb::kOverflow;
constexpr std::int32_t kMismatch = vb::kTypeMismatch;
constexpr std::int32_t kNull = vb::kInvalidUseOfNull;

const IntegralCase kCases[] = {
    // CInt: ties go to the even neighbour, in both directions.
    {"CIntHalfDownToEven", To::kInteger, 2.5, 2},
    {"CIntHalfUpToEven", To::kInteger, 3.5, 4},
    {"CIntNegativeHalfToEven", To::kInteger, -2.5, -2},
    {"CIntNegativeHalfAwayToEven", To::kInteger, -3.5, -4},
    {"CIntZeroPointFive", To::kInteger, 0.5, 0},
    {"CIntOnePointFive", To::kInteger, 1.5, 2},
    {"CIntMinusZeroPointFive", To::kInteger, -0.5, 0},
    {"CIntJustBelowHalf", To::kInteger, 2.4999999, 2},
    {"CIntJustAboveHalf", To::kInteger, 2.5000001, 3},
    {"CIntSingleHalf", To::kInteger, 2.5f, 2},
    {"CIntSingleOddHalf", To::kInteger, 3.5f, 4},
    {"CIntMax", To::kInteger, 32767.0, 32767},
    {"CIntMaxPlusFraction", To::kInteger, 32767.4, 32767},
    {"CIntMaxPlusHalfOverflows", To::kInteger, 32767.5, 0, kOverflow},
    {"CIntBelowMaxHalf", To::kInteger, 32766.5, 32766},
    {"CIntMinMinusHalf", To::kInteger, -32768.5, -32768},
    {"CIntMinMinusMoreOverflows", To::kInteger, -32768.6, 0, kOverflow},
    {"CIntMinMinusOneOverflows", To::kInteger, -32769.0, 0, kOverflow},
    {"CIntLongTooBig", To::kInteger, std::int32_t{32768}, 0, kOverflow},
    {"CIntLongMin", To::kInteger, std::int32_t{-32768}, -32768},
    {"CIntHugeDouble", To::kInteger, 1e300, 0, kOverflow},
    {"CIntNaN", To::kInteger, kNaN, 0, kOverflow},
    {"CIntInfinity", To::kInteger, kInf, 0, kOverflow},
    {"CIntMinusInfinity", To::kInteger, -kInf, 0, kOverflow},
    {"CIntByte", To::kInteger, std::uint8_t{255}, 255},
    {"CIntTrue", To::kInteger, true, -1},
    {"CIntFalse", To::kInteger, false, 0},
    {"CIntEmpty", To::kInteger, Variant(), 0},
    {"CIntNull", To::kInteger, Variant::Null(), 0, kNull},
    {"CIntDecimalHalf", To::kInteger, Decimal::Parse("2.5"), 2},
    {"CIntDecimalOddHalf", To::kInteger, Decimal::Parse("3.5"), 4},
    {"CIntDecimalNegativeHalf", To::kInteger, Decimal::Parse("-2.5"), -2},
    // A double would see exactly 2.5 here; the Decimal rounds on its own digits.
    {"CIntDecimalAboveHalfBeyondDouble", To::kInteger,
     Decimal::Parse("2.5000000000000000000000000001"), 3},
    {"CIntDecimalOverflow", To::kInteger, Decimal::Parse("32767.5"), 0, kOverflow},
    {"CIntDateSerial", To::kInteger, Variant::Date(2.5), 2},
    {"CIntText", To::kInteger, "2.5", 2},
    {"CIntTextOddHalf", To::kInteger, " 3.5 ", 4},
    {"CIntTextOverflow", To::kInteger, "32767.5", 0, kOverflow},
    {"CIntHexAllBits", To::kInteger, "&HFFFF", -1},
    {"CIntHexSignBit", To::kInteger, "&H8000", -32768},
    {"CIntHexBeyondSixteenBits", To::kInteger, "&H10000", 0, kOverflow},
    {"CIntWord", To::kInteger, "abc", 0, kMismatch},
    {"CIntEmptyText", To::kInteger, "", 0, kMismatch},
    {"CIntByteArray", To::kInteger, ByteArray{1}, 0, kMismatch},
    {"CIntObject", To::kInteger, std::make_shared<Object>(), 0, kMismatch},

    // CLng
    {"CLngMax", To::kLong, 2147483647.0, 2147483647},
    {"CLngMaxPlusHalfOverflows", To::kLong, 2147483647.5, 0, kOverflow},
    {"CLngBelowMaxHalf", To::kLong, 2147483646.5, 2147483646},
    {"CLngMinMinusHalf", To::kLong, -2147483648.5, -2147483648LL},
    {"CLngMinMinusOneOverflows", To::kLong, -2147483649.0, 0, kOverflow},
    {"CLngHalfToEven", To::kLong, 100000.5, 100000},
    {"CLngOddHalf", To::kLong, -100001.5, -100002},
    {"CLngSingle", To::kLong, 16777216.0f, 16777216},
    {"CLngInteger", To::kLong, std::int16_t{-5}, -5},
    {"CLngTrue", To::kLong, true, -1},
    {"CLngDecimalMinMinusHalf", To::kLong, Decimal::Parse("-2147483648.5"), -2147483648LL},
    {"CLngDecimalMaxPlusHalf", To::kLong, Decimal::Parse("2147483647.5"), 0, kOverflow},
    {"CLngHexAllBits", To::kLong, "&HFFFFFFFF", -1},
    {"CLngHexMax", To::kLong, "&H7FFFFFFF", 2147483647},
    {"CLngHexSixteenBitsIsInteger", To::kLong, "&HFFFF", -1},
    {"CLngHexSeventeenBits", To::kLong, "&H10000", 65536},
    {"CLngHexBeyondThirtyTwoBits", To::kLong, "&H100000000", 0, kOverflow},
    {"CLngOctalSixteenBits", To::kLong, "&O177777", -1},
    {"CLngOctalThirtyTwoBits", To::kLong, "&O37777777777", -1},
    {"CLngOctalSeventeenBits", To::kLong, "&O200000", 65536},
    {"CLngTextOverflow", To::kLong, "2147483647.5", 0, kOverflow},
    {"CLngNaN", To::kLong, kNaN, 0, kOverflow},
    {"CLngEmpty", To::kLong, Variant(), 0},
    {"CLngNull", To::kLong, Variant::Null(), 0, kNull},
    {"CLngByteArray", To::kLong, ByteArray{}, 0, kMismatch},

    // CByte
    {"CByteHalfToEven", To::kByte, 254.5, 254},
    {"CByteMaxPlusFraction", To::kByte, 255.4, 255},
    {"CByteMaxPlusHalfOverflows", To::kByte, 255.5, 0, kOverflow},
    {"CByteMinusHalfIsZero", To::kByte, -0.5, 0},
    {"CByteBelowMinusHalfOverflows", To::kByte, -0.6, 0, kOverflow},
    {"CByteOnePointFive", To::kByte, 1.5, 2},
    {"CByteIntegerNegative", To::kByte, std::int16_t{-1}, 0, kOverflow},
    {"CByteIntegerTooBig", To::kByte, std::int16_t{256}, 0, kOverflow},
    {"CByteLong", To::kByte, std::int32_t{255}, 255},
    // True is all bits set; a Byte keeps the low eight.
    {"CByteTrue", To::kByte, true, 255},
    {"CByteFalse", To::kByte, false, 0},
    {"CByteText", To::kByte, "255", 255},
    {"CByteHex", To::kByte, "&HFF", 255},
    {"CByteNegativeText", To::kByte, "-1", 0, kOverflow},
    {"CByteInfinity", To::kByte, kInf, 0, kOverflow},
    {"CByteEmpty", To::kByte, Variant(), 0},
    {"CByteNull", To::kByte, Variant::Null(), 0, kNull},
    {"CByteObject", To::kByte, std::make_shared<Object>(), 0, kMismatch},
};

class IntegralConversion : public ::testing::TestWithParam<IntegralCase> {};

TEST_P(IntegralConversion, RoundsHalfToEvenWithinRange) {
  const IntegralCase& c = GetParam();
  if (c.error == kNoError) {
    EXPECT_EQ(Convert(c.to, c.value), c.expected);
  } else {
    EXPECT_EQ(ErrorOf([&] { Convert(c.to, c.value); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, IntegralConversion, ::testing::ValuesIn(kCases),
                         test::RowName());

TEST(IntegralConversionText, FollowsTheLocalesDecimalMark) {
  const Locale& german = Locale::German();
  EXPECT_EQ(Variant("2,5").ToInteger(german), 2);
  EXPECT_EQ(Variant("3,5").ToLong(german), 4);
  EXPECT_EQ(Variant("1.000").ToLong(german), 1000);
  EXPECT_EQ(Variant("4,5").ToByte(german), 4);
  const Locale& english = Locale::English();
  EXPECT_EQ(Variant("2,5").ToInteger(english), 25);
  EXPECT_EQ(Variant("1.000").ToLong(english), 1);
  EXPECT_EQ(Variant("4,5").ToByte(english), 45);
}

TEST(IntegralConversionErrors, CarryTheirTexts) {
  try {
    Variant(40000.0).ToInteger();
    FAIL() << "no error";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Number(), 6);
    EXPECT_EQ(error.Description(), "Overflow");
  }
  try {
    Variant::Null().ToLong();
    FAIL() << "no error";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Number(), 94);
    EXPECT_EQ(error.Description(), "Invalid use of Null");
  }
  try {
    Variant("x").ToByte();
    FAIL() << "no error";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Number(), 13);
    EXPECT_EQ(error.Description(), "Type mismatch");
  }
}

}  // namespace
}  // namespace dtm::com
