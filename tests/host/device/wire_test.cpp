#include "host/device/wire.h"

#include <gtest/gtest.h>

#include <string>

namespace dtm::device::wire {
namespace {

struct PackCase {
  const char* name;
  std::string text;
  std::size_t bytes;
  Bytes wire;
};

const PackCase kPackCases[] = {
    {"FourLettersInThreeBytes", "ABCD", 3, {0x04, 0x20, 0xC4}},
    {"ShortTextPaddedWithBlanks", "A", 3, {0x06, 0x08, 0x20}},
    {"AllBlanks", "", 3, {0x82, 0x08, 0x20}},
    {"EdgesOfTheCharacterSet", "@_ ?", 3, {0x01, 0xF8, 0x3F}},
    {"LowerCaseGoesAsQuestionMark", "a", 3, {0xFE, 0x08, 0x20}},
    {"TooLongIsCut", "ABCDEFGH", 3, {0x04, 0x20, 0xC4}},
    {"Tag", "4625_1", 6, {0xD3, 0x6C, 0xB5, 0x7F, 0x18, 0x20}},
    {"Descriptor",
     "LINEAR VALVE",
     12,
     {0x30, 0x93, 0x85, 0x05, 0x28, 0x16, 0x04, 0xC5, 0x85, 0x82, 0x08, 0x20}},
};

class PackAsciiCase : public ::testing::TestWithParam<PackCase> {};

TEST_P(PackAsciiCase, PacksSixBitsACharacterHighFirst) {
  EXPECT_EQ(PackAscii(GetParam().text, GetParam().bytes), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(Table, PackAsciiCase, ::testing::ValuesIn(kPackCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct UnpackCase {
  const char* name;
  Bytes wire;
  std::string text;
};

const UnpackCase kUnpackCases[] = {
    {"Letters", {0x04, 0x20, 0xC4}, "ABCD"},
    {"TrailingBlanksDropped", {0xD3, 0x6C, 0xB5, 0x7F, 0x18, 0x20}, "4625_1"},
    {"CodesBelow32AreTheUpperHalf", {0x01, 0xF8, 0x3F}, "@_ ?"},
    {"LeadingBlanksKept", {0x82, 0x00, 0x01}, "  @A"},
    {"NothingForNoBytes", {}, ""},
};

class UnpackAsciiCase : public ::testing::TestWithParam<UnpackCase> {};

TEST_P(UnpackAsciiCase, ReadsFourCharactersFromThreeBytes) {
  EXPECT_EQ(UnpackAscii(GetParam().wire), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, UnpackAsciiCase, ::testing::ValuesIn(kUnpackCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(WireNumbers, SingleIsIeeeHighByteFirst) {
  Bytes out;
  PutSingle(out, 49.8f);
  PutSingle(out, -2.5f);
  EXPECT_EQ(out, (Bytes{0x42, 0x47, 0x33, 0x33, 0xC0, 0x20, 0x00, 0x00}));
  EXPECT_EQ(GetSingle(Bytes{0x00, 0x41, 0x70, 0x00, 0x00}, 1), 15.0f);
}

TEST(WireNumbers, UInt24IsThreeBytesHighFirst) {
  Bytes out;
  PutUInt24(out, 0xAB123456);  // the high byte is not sent
  EXPECT_EQ(out, (Bytes{0x12, 0x34, 0x56}));
  EXPECT_EQ(GetUInt24(Bytes{0x01, 0xE2, 0x40}, 0), 123456u);
}

TEST(WireDate, IsDayMonthAndYearSince1900) {
  Bytes out;
  PutDate(out, {12, 5, 2025});
  PutDate(out, {1, 1, 1900});
  EXPECT_EQ(out, (Bytes{0x0C, 0x05, 0x7D, 0x01, 0x01, 0x00}));
  EXPECT_EQ(GetDate(Bytes{0x1D, 0x02, 0xFF}, 0), (Date{29, 2, 2155}));
}

struct DateCase {
  const char* name;
  Date date;
  bool valid;
};

const DateCase kDateCases[] = {
    {"Ordinary", {12, 5, 2025}, true},         {"LeapDay", {29, 2, 2024}, true},
    {"NoLeapDay", {29, 2, 2025}, false},       {"ThirtyFirstOfApril", {31, 4, 2025}, false},
    {"DayZero", {0, 5, 2025}, false},          {"MonthThirteen", {1, 13, 2025}, false},
    {"MonthZero", {1, 0, 2025}, false},        {"FirstYear", {1, 1, 1900}, true},
    {"LastYear", {31, 12, 2155}, true},        {"BeforeTheFirstYear", {31, 12, 1899}, false},
    {"AfterTheLastYear", {1, 1, 2156}, false},
};

class DateValidity : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateValidity, AcceptsCalendarDatesThatThreeBytesCarry) {
  EXPECT_EQ(IsValidDate(GetParam().date), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Table, DateValidity, ::testing::ValuesIn(kDateCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::device::wire
