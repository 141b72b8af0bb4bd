#include "platform/runtime/byte_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "tests/testing/raised.h"

namespace dtm::runtime {
namespace {

using Bytes = std::vector<std::uint8_t>;

using dtm::testing::ErrorOf;

ByteBuffer Holding(const Bytes& bytes) { return ByteBuffer(com::Variant(bytes)); }

template <class Case>
std::string NameOf(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

// ---------------------------------------------------------------------------
// Writes into a new buffer: the bytes on the wire, written out by hand.

struct WriteCase {
  const char* name;
  std::function<void(ByteBuffer&)> write;
  Bytes wire;
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

const WriteCase kWrites[] = {
    {"Byte", [](ByteBuffer& b) { b.PutByte(0xA5); }, {0xA5}},
    {"UInt16HighByteFirst", [](ByteBuffer& b) { b.PutUInt16(0x1234); }, {0x12, 0x34}},
    {"UInt16KeepsLow16Bits", [](ByteBuffer& b) { b.PutUInt16(0x12345); }, {0x23, 0x45}},
    {"UInt16OfMinusOne", [](ByteBuffer& b) { b.PutUInt16(-1); }, {0xFF, 0xFF}},
    {"UInt24HighByteFirst", [](ByteBuffer& b) { b.PutUInt24(0x123456); }, {0x12, 0x34, 0x56}},
    {"UInt24KeepsLow24Bits", [](ByteBuffer& b) { b.PutUInt24(0x7F123456); }, {0x12, 0x34, 0x56}},
    {"Int16Negative", [](ByteBuffer& b) { b.PutInt16(-2); }, {0xFF, 0xFE}},
    {"Int16Lowest", [](ByteBuffer& b) { b.PutInt16(-32768); }, {0x80, 0x00}},
    {"Int16Highest", [](ByteBuffer& b) { b.PutInt16(32767); }, {0x7F, 0xFF}},
    {"Int24Negative", [](ByteBuffer& b) { b.PutInt24(-2); }, {0xFF, 0xFF, 0xFE}},
    {"Int24Lowest", [](ByteBuffer& b) { b.PutInt24(-8388608); }, {0x80, 0x00, 0x00}},
    {"Int24Highest", [](ByteBuffer& b) { b.PutInt24(8388607); }, {0x7F, 0xFF, 0xFF}},
    {"Int32HighByteFirst", [](ByteBuffer& b) { b.PutInt32(0x01020304); }, {0x01, 0x02, 0x03, 0x04}},
    {"Int32Negative", [](ByteBuffer& b) { b.PutInt32(-2); }, {0xFF, 0xFF, 0xFF, 0xFE}},
    {"SingleOne", [](ByteBuffer& b) { b.PutSingle(1.0f); }, {0x3F, 0x80, 0x00, 0x00}},
    {"SingleTwelveAndAHalf", [](ByteBuffer& b) { b.PutSingle(12.5f); }, {0x41, 0x48, 0x00, 0x00}},
    {"SingleMinusTwo", [](ByteBuffer& b) { b.PutSingle(-2.0f); }, {0xC0, 0x00, 0x00, 0x00}},
    {"UInt32Highest", [](ByteBuffer& b) { b.PutUInt32(4294967295.0); }, {0xFF, 0xFF, 0xFF, 0xFF}},
    {"UInt32HighByteFirst",
     [](ByteBuffer& b) { b.PutUInt32(305419896.0); },
     {0x12, 0x34, 0x56, 0x78}},
    {"UInt32RoundsHalfDownToEven",
     [](ByteBuffer& b) { b.PutUInt32(2.5); },
     {0x00, 0x00, 0x00, 0x02}},
    {"UInt32RoundsHalfUpToEven", [](ByteBuffer& b) { b.PutUInt32(3.5); }, {0x00, 0x00, 0x00, 0x04}},
    // Packed ASCII: six bits a character, the first in the top bits.
    {"PackedFourLetters", [](ByteBuffer& b) { b.PutText("ABCD", 3, 0); }, {0x04, 0x20, 0xC4}},
    {"PackedUpperCases", [](ByteBuffer& b) { b.PutText("abcd", 3, 0); }, {0x04, 0x20, 0xC4}},
    {"PackedPadsWithBlanks", [](ByteBuffer& b) { b.PutText("AB", 3, 0); }, {0x04, 0x28, 0x20}},
    {"PackedEmptyIsAllBlanks", [](ByteBuffer& b) { b.PutText("", 3, 0); }, {0x82, 0x08, 0x20}},
    {"PackedCutsLongerText", [](ByteBuffer& b) { b.PutText("ABCDE", 3, 0); }, {0x04, 0x20, 0xC4}},
    {"PackedDigits", [](ByteBuffer& b) { b.PutText("0123", 3, 0); }, {0xC3, 0x1C, 0xB3}},
    {"PackedRangeEnds", [](ByteBuffer& b) { b.PutText("@_", 3, 0); }, {0x01, 0xF8, 0x20}},
    {"PackedOutsideBecomesQuestionMark",
     [](ByteBuffer& b) { b.PutText("a~", 3, 0); },
     {0x07, 0xF8, 0x20}},
    {"PackedUmlautIsOneCharacter",
     [](ByteBuffer& b) { b.PutText("\xC3\xA4", 3, 0); },
     {0xFE, 0x08, 0x20}},
    {"PackedEightLetters",
     [](ByteBuffer& b) { b.PutText("ABCDEFGH", 6, 0); },
     {0x04, 0x20, 0xC4, 0x14, 0x61, 0xC8}},
    {"PackedTenLettersInEightBytes",
     [](ByteBuffer& b) { b.PutText("ABCDEFGHIJ", 8, 0); },
     {0x04, 0x20, 0xC4, 0x14, 0x61, 0xC8, 0x24, 0xA0}},
    {"PlainPadsWithBlanks", [](ByteBuffer& b) { b.PutText("Hi", 4, 1); }, {0x48, 0x69, 0x20, 0x20}},
    {"PlainCutsLongerText", [](ByteBuffer& b) { b.PutText("Hello", 3, 1); }, {0x48, 0x65, 0x6C}},
    {"PlainUmlautIsLatin1", [](ByteBuffer& b) { b.PutText("\xC3\xA4", 1, 1); }, {0xE4}},
    {"PlainBeyondLatin1IsQuestionMark",
     [](ByteBuffer& b) { b.PutText("\xE2\x82\xAC", 1, 1); },
     {0x3F}},
    {"PlainOfNoBytes", [](ByteBuffer& b) { b.PutText("Ab", 0, 1); }, {}},
    {"BytesPadWithZeros",
     [](ByteBuffer& b) {
       b.PutBytes({0x01, 0x02}, 4);
     },
     {0x01, 0x02, 0x00, 0x00}},
    {"BytesCutLongerArray",
     [](ByteBuffer& b) {
       b.PutBytes({0x01, 0x02, 0x03}, 2);
     },
     {0x01, 0x02}},
    // Date format 0: day, month, year - 1900.
    {"DateOfADate",
     [](ByteBuffer& b) { b.PutDate(com::Variant::Date(37795), 0); },
     {0x17, 0x06, 0x67}},
    {"DateOfASerialWithTime",
     [](ByteBuffer& b) { b.PutDate(com::Variant(37795.75), 0); },
     {0x17, 0x06, 0x67}},
    {"DateFirstYear",
     [](ByteBuffer& b) { b.PutDate(com::Variant("1.1.1900"), 0); },
     {0x01, 0x01, 0x00}},
    {"DateLastYear",
     [](ByteBuffer& b) { b.PutDate(com::Variant("31.12.2155"), 0); },
     {0x1F, 0x0C, 0xFF}},
    {"DateIsoText",
     [](ByteBuffer& b) { b.PutDate(com::Variant("2003-06-23"), 0); },
     {0x17, 0x06, 0x67}},
};

class ByteBufferWrites : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ByteBufferWrites, StoreTheWireBytesAndMoveBehindThem) {
  ByteBuffer buffer;
  GetParam().write(buffer);
  EXPECT_EQ(buffer.Bytes(), GetParam().wire);
  EXPECT_EQ(buffer.Position(), static_cast<std::int32_t>(GetParam().wire.size()));
}

INSTANTIATE_TEST_SUITE_P(Table, ByteBufferWrites, ::testing::ValuesIn(kWrites), NameOf<WriteCase>);

// ---------------------------------------------------------------------------
// Reads of wire bytes, each of the whole buffer.

struct ReadCase {
  const char* name;
  Bytes wire;
  std::function<double(ByteBuffer&)> read;
  double value;
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

const ReadCase kReads[] = {
    {"Byte", {0xA5}, [](ByteBuffer& b) { return b.Byte(); }, 165},
    {"UInt16", {0xFF, 0xFE}, [](ByteBuffer& b) { return b.UInt16(); }, 65534},
    {"UInt24", {0xFF, 0xFF, 0xFE}, [](ByteBuffer& b) { return b.UInt24(); }, 16777214},
    {"Int16Negative", {0xFF, 0xFE}, [](ByteBuffer& b) { return b.Int16(); }, -2},
    {"Int16Highest", {0x7F, 0xFF}, [](ByteBuffer& b) { return b.Int16(); }, 32767},
    {"Int24SignExtends", {0xFF, 0xFF, 0xFE}, [](ByteBuffer& b) { return b.Int24(); }, -2},
    {"Int24Lowest", {0x80, 0x00, 0x00}, [](ByteBuffer& b) { return b.Int24(); }, -8388608},
    {"Int24Highest", {0x7F, 0xFF, 0xFF}, [](ByteBuffer& b) { return b.Int24(); }, 8388607},
    {"Int32Negative", {0xFF, 0xFF, 0xFF, 0xFE}, [](ByteBuffer& b) { return b.Int32(); }, -2},
    {"Int32Lowest",
     {0x80, 0x00, 0x00, 0x00},
     [](ByteBuffer& b) { return b.Int32(); },
     -2147483648.0},
    {"UInt32Highest",
     {0xFF, 0xFF, 0xFF, 0xFF},
     [](ByteBuffer& b) { return b.UInt32(); },
     4294967295.0},
    {"UInt32TopBitIsNoSign",
     {0x80, 0x00, 0x00, 0x00},
     [](ByteBuffer& b) { return b.UInt32(); },
     2147483648.0},
    {"SingleOne", {0x3F, 0x80, 0x00, 0x00}, [](ByteBuffer& b) { return b.Single(); }, 1.0},
    {"SingleTwelveAndAHalf",
     {0x41, 0x48, 0x00, 0x00},
     [](ByteBuffer& b) { return b.Single(); },
     12.5},
    {"Date", {0x17, 0x06, 0x67}, [](ByteBuffer& b) { return b.Date(0).serial; }, 37795},
    {"DateFirstDay", {0x01, 0x01, 0x00}, [](ByteBuffer& b) { return b.Date(0).serial; }, 2},
    {"DateDayZeroIsTheDayBefore",
     {0x00, 0x01, 0x64},
     [](ByteBuffer& b) { return b.Date(0).serial; },
     36525},
    {"DateMonthThirteenIsNextJanuary",
     {0x01, 0x0D, 0x64},
     [](ByteBuffer& b) { return b.Date(0).serial; },
     36892},
};

class ByteBufferReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ByteBufferReads, DecodeTheWireBytesAndAdvance) {
  ByteBuffer buffer = Holding(GetParam().wire);
  EXPECT_EQ(GetParam().read(buffer), GetParam().value);
  EXPECT_EQ(buffer.Position(), static_cast<std::int32_t>(GetParam().wire.size()));
}

INSTANTIATE_TEST_SUITE_P(Table, ByteBufferReads, ::testing::ValuesIn(kReads), NameOf<ReadCase>);

struct TextCase {
  const char* name;
  Bytes wire;
  std::int32_t coding;
  std::string text;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

const TextCase kTexts[] = {
    {"PackedFourLetters", {0x04, 0x20, 0xC4}, 0, "ABCD"},
    {"PackedKeepsTrailingBlanks", {0x04, 0x28, 0x20}, 0, "AB  "},
    {"PackedBlanks", {0x82, 0x08, 0x20}, 0, "    "},
    {"PackedDigits", {0xC3, 0x1C, 0xB3}, 0, "0123"},
    {"PackedZeroCodesAreAt", {0x00, 0x00, 0x00}, 0, "@@@@"},
    {"PackedQuestionMark", {0x07, 0xF8, 0x20}, 0, "A?  "},
    {"PackedTenLettersInEightBytes",
     {0x04, 0x20, 0xC4, 0x14, 0x61, 0xC8, 0x24, 0xA0},
     0,
     "ABCDEFGHIJ"},
    {"PlainKeepsTrailingBlanks", {0x48, 0x69, 0x20, 0x20}, 1, "Hi  "},
    {"PlainLatin1BecomesUtf8", {0xE4}, 1, "\xC3\xA4"},
};

class ByteBufferTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(ByteBufferTexts, DecodeEveryByteOfTheField) {
  ByteBuffer buffer = Holding(GetParam().wire);
  const auto count = static_cast<std::int32_t>(GetParam().wire.size());
  EXPECT_EQ(buffer.Text(count, GetParam().coding), GetParam().text);
  EXPECT_EQ(buffer.Position(), count);
}

INSTANTIATE_TEST_SUITE_P(Table, ByteBufferTexts, ::testing::ValuesIn(kTexts), NameOf<TextCase>);

// ---------------------------------------------------------------------------
// Dates given as text keep "dd.mm.yyyy" day first, whatever the locale.

struct DateTextCase {
  const char* name;
  const com::Locale* locale;
  const char* text;
};
void PrintTo(const DateTextCase& c, std::ostream* os) { *os << c.name; }

const DateTextCase kDateTexts[] = {
    {"DottedUnderEnglish", &com::Locale::English(), "23.06.2003"},
    {"DottedUnderGerman", &com::Locale::German(), "23.06.2003"},
    {"DottedSingleDigitMonth", &com::Locale::English(), "23.6.2003"},
    {"DottedWithBlanks", &com::Locale::English(), " 23.06.2003 "},
    {"EnglishShortDate", &com::Locale::English(), "6/23/2003"},
};

class ByteBufferDateTexts : public ::testing::TestWithParam<DateTextCase> {};

TEST_P(ByteBufferDateTexts, WriteTheSameDay) {
  ByteBuffer buffer;
  buffer.PutDate(com::Variant(GetParam().text), 0, *GetParam().locale);
  EXPECT_EQ(buffer.Bytes(), (Bytes{0x17, 0x06, 0x67}));
}

INSTANTIATE_TEST_SUITE_P(Table, ByteBufferDateTexts, ::testing::ValuesIn(kDateTexts),
                         NameOf<DateTextCase>);

// ---------------------------------------------------------------------------
// Position, overwrite and growth.

TEST(ByteBufferPositions, WritesOverwriteAndExtend) {
  ByteBuffer buffer;
  buffer.PutInt32(0x01020304);
  buffer.SetPosition(1);
  buffer.PutUInt16(0xAABB);
  EXPECT_EQ(buffer.Bytes(), (Bytes{0x01, 0xAA, 0xBB, 0x04}));
  EXPECT_EQ(buffer.Position(), 3);
  buffer.PutUInt24(0x112233);  // overwrites one byte, appends two
  EXPECT_EQ(buffer.Bytes(), (Bytes{0x01, 0xAA, 0xBB, 0x11, 0x22, 0x33}));
  EXPECT_EQ(buffer.Length(), 6);
}

TEST(ByteBufferPositions, WriteBeyondTheEndFillsTheGapWithZeros) {
  ByteBuffer buffer;
  buffer.PutByte(0x11);
  buffer.SetPosition(3);
  buffer.PutByte(0x55);
  EXPECT_EQ(buffer.Bytes(), (Bytes{0x11, 0x00, 0x00, 0x55}));
  EXPECT_EQ(buffer.Position(), 4);
}

TEST(ByteBufferPositions, ReadsFollowEachOther) {
  ByteBuffer buffer = Holding({0x12, 0x34, 0x56, 0x04, 0x20, 0xC4, 0xFF});
  EXPECT_EQ(buffer.UInt24(), 0x123456);
  EXPECT_EQ(buffer.Text(3, 0), "ABCD");
  EXPECT_EQ(buffer.Byte(), 0xFF);
  buffer.SetPosition(1);
  EXPECT_EQ(buffer.ReadBytes(2), (Bytes{0x34, 0x56}));
  EXPECT_EQ(buffer.Position(), 3);
}

TEST(ByteBufferPositions, NegativePositionRaises) {
  ByteBuffer buffer;
  EXPECT_EQ(ErrorOf([&] { buffer.SetPosition(-1); }), com::vb::kSubscriptOutOfRange);
  EXPECT_EQ(buffer.Position(), 0);
}

// ---------------------------------------------------------------------------
// Data as a Variant.

TEST(ByteBufferData, IsEmptyUntilAByteIsWritten) {
  ByteBuffer buffer;
  EXPECT_TRUE(buffer.Data().IsEmpty());
  buffer.PutByte(0x07);
  EXPECT_EQ(buffer.Data(), com::Variant(Bytes{0x07}));
}

TEST(ByteBufferData, TakesAByteArrayOrEmpty) {
  ByteBuffer buffer(com::Variant(Bytes{0x01, 0x02}));
  EXPECT_EQ(buffer.Length(), 2);
  EXPECT_EQ(buffer.Position(), 0);
  buffer.SetPosition(2);
  buffer.SetData(com::Variant(Bytes{0x09}));
  EXPECT_EQ(buffer.Position(), 0);  // rewound
  EXPECT_EQ(buffer.Byte(), 0x09);
  buffer.SetData(com::Variant());
  EXPECT_EQ(buffer.Length(), 0);
  EXPECT_EQ(ErrorOf([] { ByteBuffer text(com::Variant("01")); }), com::vb::kTypeMismatch);
}

// ---------------------------------------------------------------------------
// Reads past the end raise and leave the position.

struct PastEndCase {
  const char* name;
  std::int32_t position;  // where the read starts in the two bytes 01 02
  std::function<void(ByteBuffer&)> read;
};
void PrintTo(const PastEndCase& c, std::ostream* os) { *os << c.name; }

const PastEndCase kPastEnd[] = {
    {"Byte", 2, [](ByteBuffer& b) { b.Byte(); }},
    {"UInt16", 1, [](ByteBuffer& b) { b.UInt16(); }},
    {"UInt24", 1, [](ByteBuffer& b) { b.UInt24(); }},
    {"Int16", 1, [](ByteBuffer& b) { b.Int16(); }},
    {"Int24", 0, [](ByteBuffer& b) { b.Int24(); }},
    {"Int32", 1, [](ByteBuffer& b) { b.Int32(); }},
    {"Single", 0, [](ByteBuffer& b) { b.Single(); }},
    {"UInt32", 1, [](ByteBuffer& b) { b.UInt32(); }},
    {"Date", 0, [](ByteBuffer& b) { b.Date(0); }},
    {"PlainText", 1, [](ByteBuffer& b) { b.Text(2, 1); }},
    {"PackedText", 0, [](ByteBuffer& b) { b.Text(3, 0); }},
    {"Bytes", 1, [](ByteBuffer& b) { b.ReadBytes(2); }},
    {"PositionBeyondTheEnd", 5, [](ByteBuffer& b) { b.Byte(); }},
};

class ByteBufferPastTheEnd : public ::testing::TestWithParam<PastEndCase> {};

TEST_P(ByteBufferPastTheEnd, RaisesSubscriptOutOfRangeAndKeepsThePosition) {
  ByteBuffer buffer = Holding({0x01, 0x02});
  buffer.SetPosition(GetParam().position);
  try {
    GetParam().read(buffer);
    ADD_FAILURE() << "no error raised";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 9);
    EXPECT_EQ(error.Description(), "Subscript out of range");
  }
  EXPECT_EQ(buffer.Position(), GetParam().position);
  EXPECT_EQ(buffer.Length(), 2);
}

INSTANTIATE_TEST_SUITE_P(Table, ByteBufferPastTheEnd, ::testing::ValuesIn(kPastEnd),
                         NameOf<PastEndCase>);

TEST(ByteBufferPastTheEnd, FailedReadKeepsThePosition) {
  ByteBuffer buffer = Holding({0x01, 0x02, 0x03});
  buffer.SetPosition(1);
  EXPECT_EQ(ErrorOf([&] { buffer.Int24(); }), 9);
  EXPECT_EQ(buffer.Position(), 1);
  EXPECT_EQ(buffer.UInt16(), 0x0203);  // what is there still reads
}

// ---------------------------------------------------------------------------
// Values the wire cannot carry, and arguments out of range.

struct RefusedCase {
  const char* name;
  std::function<void(ByteBuffer&)> call;
  std::int32_t error;
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

const RefusedCase kRefused[] = {
    {"UInt32Negative", [](ByteBuffer& b) { b.PutUInt32(-1.0); }, com::vb::kOverflow},
    {"UInt32TooLarge", [](ByteBuffer& b) { b.PutUInt32(4294967296.0); }, com::vb::kOverflow},
    {"UInt32NotANumber",
     [](ByteBuffer& b) { b.PutUInt32(std::numeric_limits<double>::quiet_NaN()); },
     com::vb::kOverflow},
    {"DateBefore1900", [](ByteBuffer& b) { b.PutDate(com::Variant("31.12.1899"), 0); },
     com::vb::kOverflow},
    {"DateAfter2155", [](ByteBuffer& b) { b.PutDate(com::Variant("1.1.2156"), 0); },
     com::vb::kOverflow},
    {"DateNoSuchDay", [](ByteBuffer& b) { b.PutDate(com::Variant("31.02.2003"), 0); },
     com::vb::kTypeMismatch},
    {"DateNoDateText", [](ByteBuffer& b) { b.PutDate(com::Variant("soon"), 0); },
     com::vb::kTypeMismatch},
    {"DateWriteOtherFormat", [](ByteBuffer& b) { b.PutDate(com::Variant::Date(37795), 1); },
     com::vb::kInvalidProcedureCall},
    {"DateReadOtherFormat",
     [](ByteBuffer& b) {
       b.PutBytes({1, 1, 1}, 3);
       b.SetPosition(0);
       b.Date(1);
     },
     com::vb::kInvalidProcedureCall},
    {"TextOtherCoding", [](ByteBuffer& b) { b.PutText("A", 1, 2); },
     com::vb::kInvalidProcedureCall},
    {"TextNegativeCount", [](ByteBuffer& b) { b.PutText("A", -1, 1); },
     com::vb::kInvalidProcedureCall},
    {"BytesNegativeCount", [](ByteBuffer& b) { b.PutBytes({1}, -1); },
     com::vb::kInvalidProcedureCall},
};

class ByteBufferRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ByteBufferRefuses, WithTheLanguagesError) {
  ByteBuffer buffer;
  EXPECT_EQ(ErrorOf([&] { GetParam().call(buffer); }), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Table, ByteBufferRefuses, ::testing::ValuesIn(kRefused),
                         NameOf<RefusedCase>);

TEST(ByteBufferRefuses, RefusedWriteLeavesTheBytes) {
  ByteBuffer buffer;
  buffer.PutByte(0x01);
  EXPECT_EQ(ErrorOf([&] { buffer.PutDate(com::Variant("1.1.2156"), 0); }), com::vb::kOverflow);
  EXPECT_EQ(buffer.Bytes(), (Bytes{0x01}));
  EXPECT_EQ(buffer.Position(), 1);
}

}  // namespace
}  // namespace dtm::runtime
