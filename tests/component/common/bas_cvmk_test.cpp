#include "component/common/bas_cvmk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/com/error.h"

namespace dtm::basCVMK {
namespace {

struct CvlCase {
  const char* name;
  std::string text;
  std::int32_t expected;
};
const CvlCase kCvlCases[] = {
    {"Twenty", std::string("\x14\0\0\0", 4), 20},
    {"LowByteFirst", "\x78\x56\x34\x12", 0x12345678},
    {"AllBitsIsMinusOne", "\xFF\xFF\xFF\xFF", -1},
    {"HighBitOnly", std::string("\0\0\0\x80", 4), std::numeric_limits<std::int32_t>::min()},
    {"HighBytesAboveAscii", std::string("\x80\0\0\0", 4), 128},
};

class CvlTable : public ::testing::TestWithParam<CvlCase> {};

TEST_P(CvlTable, ReadsFourLittleEndianBytes) {
  EXPECT_EQ(CVL(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CvlTable, ::testing::ValuesIn(kCvlCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Cvl, AnyOtherLengthIsInvalid) {
  for (const std::string text : {"abc", "abcde", ""}) {
    try {
      CVL(text);
      ADD_FAILURE() << "no error for \"" << text << '"';
    } catch (const com::ComError& e) {
      EXPECT_EQ(e.Number(), 1000);
      EXPECT_EQ(e.Source(), "CVL");
      EXPECT_EQ(e.Description(), "Invalid string argument");
    }
  }
}

TEST(ByteToHexStr, BlankAndTwoUpperCaseDigits) {
  EXPECT_EQ(ByteToHexStr(0), " 00");
  EXPECT_EQ(ByteToHexStr(10), " 0A");
  EXPECT_EQ(ByteToHexStr(0xAB), " AB");
  EXPECT_EQ(ByteToHexStr(255), " FF");
}

TEST(PipeToBlank, EachPipeBecomesOneBlank) {
  EXPECT_EQ(PipeToBlank("Travel|limit||low"), "Travel limit  low");
  EXPECT_EQ(PipeToBlank("|"), " ");
  EXPECT_EQ(PipeToBlank("no pipes"), "no pipes");
  EXPECT_EQ(PipeToBlank(""), "");
}

// Values arrive as Singles, so each case reasons from the Single nearest the
// written number (12.341f is 12.3409996..., 12.34f is 12.3400001...).
struct RoundCase {
  const char* name;
  const char* path;
  com::Variant value;
  const char* fmt;
  com::Variant expected;
};
constexpr const char* kGeneral = "SC128Tr3/Par1";
const RoundCase kRoundCases[] = {
    // Everything else: up to the next hundredth, then to the format, a Single.
    {"BelowTheHundredthGoesUp", kGeneral, 12.341f, "0.00", 12.35f},
    {"OnTheHundredthStays", kGeneral, 12.34f, "0.00", 12.34f},
    {"AboveTheMidpointRoundsUp", kGeneral, 12.346f, "0.00", 12.35f},
    {"TenthsAfterGoingUp", kGeneral, 12.341f, "0.0", 12.4f},
    {"WholeAfterGoingUp", kGeneral, 12.341f, "0", 12.0f},
    {"OtherFormatKeepsHundredths", kGeneral, 12.341f, "0.0 ", 12.35f},
    {"ExactTieToEvenIsThenBelowAndGoesUp", kGeneral, 0.125f, "0.00", 0.13f},
    {"SingleJustBelowTheMidpointGoesUp", kGeneral, 1.005f, "0.00", 1.01f},
    {"NegativeGoesTowardZero", kGeneral, -0.016f, "0.00", -0.01f},
    {"NegativeOnTheHundredth", kGeneral, -0.014f, "0.00", -0.01f},
    {"TinyNegativeIsPlainZero", kGeneral, -0.004f, "0.00", 0.0f},
    {"LongValueBecomesSingle", kGeneral, std::int32_t{7}, "0.00", 7.0f},
    {"PathsMatchExactly", "sc136/tottravel", 2.5f, "0.00", 2.5f},
    {"PathsMatchWithoutBlanks", "SC136/TotTravel ", 2.5f, "0.00", 2.5f},
    // Never below zero.
    {"NonNegativeDropsANegative", "SC128Tr15/Par2", -0.014f, "0.00", 0.0f},
    {"NonNegativeGoesUpFromTiny", "SC128Tr15/Par2", 0.004f, "0.00", 0.01f},
    {"NonNegativeNeverMinusZero", "SC128Tr15/Par2", -0.004f, "0.00", 0.0f},
    // Counters: a Long, half to even.
    {"CounterHalfDown", "SC136/TotTravel", 2.5f, "0.00", std::int32_t{2}},
    {"CounterHalfUp", "SC136/TotTravel", 3.5f, "0.00", std::int32_t{4}},
    {"CounterNegativeHalf", "SC128Tr13/Par2", -1.5f, "0", std::int32_t{-2}},
    {"CounterLargest", "SC128Tr10/Par4", 2147483647.0, "0", std::int32_t{2147483647}},
    {"CounterSmallestFromHalf", "SC128Tr10/Par4", -2147483648.5, "0",
     std::numeric_limits<std::int32_t>::min()},
    // Counters beyond a Long stay whole, as a Double.
    {"CounterFromTwoToThe31", "SC136/TotTravel", 2147483648.0f, "0", 2147483648.0},
    {"CounterTwoToThe32", "SC128Tr13/Par2", 4294967296.0f, "0", 4294967296.0},
    {"CounterRoundsOutOfRange", "SC128Tr10/Par4", 2147483647.5, "0", 2147483648.0},
    {"CounterFarBelow", "SC136/TotTravel", -3e9f, "0", -3e9},
    // Not-a-number and infinities pass every path.
    {"CounterInfinity", "SC128Tr13/Par2", std::numeric_limits<float>::infinity(), "0",
     std::numeric_limits<float>::infinity()},
    {"CounterMinusInfinity", "SC136/TotTravel", -std::numeric_limits<float>::infinity(), "0",
     -std::numeric_limits<float>::infinity()},
    {"TenthsInfinity", "SC128Tr1/Par1", std::numeric_limits<float>::infinity(), "0.0",
     std::numeric_limits<double>::infinity()},
    {"GeneralInfinity", kGeneral, -std::numeric_limits<float>::infinity(), "0.00",
     -std::numeric_limits<float>::infinity()},
    // Tenths when the format has one decimal, else whole, a Double.
    {"TenthsTieToEven", "SC128Tr1/Par1", 45.25f, "0.0", 45.2},
    {"WholeForOtherFormats", "SC128Tr1/Par1", 45.25f, "0.00", 45.0},
    {"SingleAboveTheTieGoesUp", "SC128Tr1/Par3", 0.05f, "0.0", 0.1},
    {"WholeTieToEven", "SC128Tr2/Par1", 44.5f, "0.00", 44.0},
    {"SecondOfTheTenthPaths", "SC128Tr1/Par2", 1.26f, "0.0", 1.3},
    // Hundredths to nearest, a Double.
    {"HundredthsToNearest", "SC128Tr14/Par1", 1.005f, "0.0", 1.0},
    {"HundredthsTieToEven", "SC128Tr14/Par4", 0.125f, "0.00", 0.12},
};

class RoundParamValueTable : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundParamValueTable, RoundsByPathAndFormat) {
  const auto& c = GetParam();
  const com::Variant result = RoundParamValue(c.path, c.value, c.fmt);
  ASSERT_EQ(result.Type(), c.expected.Type());
  EXPECT_EQ(result, c.expected) << result.ToDouble();
  if (result.Type() == com::VarType::Single || result.Type() == com::VarType::Double) {
    EXPECT_EQ(std::signbit(result.ToDouble()), std::signbit(c.expected.ToDouble()));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, RoundParamValueTable, ::testing::ValuesIn(kRoundCases),
                         [](const auto& i) { return std::string(i.param.name); });

// Not-a-number equals nothing, so the table cannot hold it.
struct NaNCase {
  const char* name;
  const char* path;
  com::VarType type;
};
const NaNCase kNaNCases[] = {
    {"Counter", "SC136/TotTravel", com::VarType::Single},
    {"SecondCounter", "SC128Tr10/Par4", com::VarType::Single},
    {"Tenths", "SC128Tr1/Par1", com::VarType::Double},
    {"Hundredths", "SC128Tr14/Par1", com::VarType::Double},
    {"General", kGeneral, com::VarType::Single},
    {"NonNegative", "SC128Tr15/Par2", com::VarType::Single},
};

class RoundParamValueNaN : public ::testing::TestWithParam<NaNCase> {};

TEST_P(RoundParamValueNaN, StaysNotANumber) {
  const auto& c = GetParam();
  const com::Variant result =
      RoundParamValue(c.path, com::Variant(std::numeric_limits<float>::quiet_NaN()), "0.0");
  EXPECT_EQ(result.Type(), c.type);
  EXPECT_TRUE(std::isnan(result.ToDouble()));
}

INSTANTIATE_TEST_SUITE_P(Table, RoundParamValueNaN, ::testing::ValuesIn(kNaNCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(IsCountPath, NamesTheThreeCounters) {
  EXPECT_TRUE(IsCountPath("SC136/TotTravel"));
  EXPECT_TRUE(IsCountPath("SC128Tr10/Par4"));
  EXPECT_TRUE(IsCountPath("SC128Tr13/Par2"));
  EXPECT_FALSE(IsCountPath("SC128Tr13/Par3"));
  EXPECT_FALSE(IsCountPath("sc136/tottravel"));
}

struct RoundErrorCase {
  const char* name;
  const char* path;
  com::Variant value;
  std::int32_t error;
};
const RoundErrorCase kRoundErrorCases[] = {
    {"BeyondASingle", kGeneral, 1e300, com::vb::kOverflow},
    {"TextIsNoNumber", kGeneral, "abc", com::vb::kTypeMismatch},
    {"CounterTextIsNoNumber", "SC136/TotTravel", "abc", com::vb::kTypeMismatch},
    {"TenthsTextIsNoNumber", "SC128Tr1/Par1", "abc", com::vb::kTypeMismatch},
};

class RoundParamValueErrors : public ::testing::TestWithParam<RoundErrorCase> {};

TEST_P(RoundParamValueErrors, Raise) {
  const auto& c = GetParam();
  try {
    RoundParamValue(c.path, c.value, "0.00");
    ADD_FAILURE() << "no error raised";
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.Number(), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, RoundParamValueErrors, ::testing::ValuesIn(kRoundErrorCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::basCVMK
