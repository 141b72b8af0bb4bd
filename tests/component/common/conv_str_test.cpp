#include "component/common/conv_str.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com/error.h"

namespace dtm::ConvStr {
namespace {

struct HexCase {
  const char* name;
  const char* text;
  com::ByteArray bytes;
};
const HexCase kHexCases[] = {
    {"OneByte", "0a", {0x0A}},
    {"TwoBytes", "FF10", {0xFF, 0x10}},
    {"MixedCase", "aBcD", {0xAB, 0xCD}},
    {"LastSingleDigitIsItsValue", "aBc", {0xAB, 0x0C}},
    {"SingleDigit", "7", {0x07}},
    {"Zeros", "0000", {0x00, 0x00}},
};

class HexToBytesTable : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexToBytesTable, TwoDigitsPerByte) {
  EXPECT_EQ(HexToBytes(GetParam().text), com::Variant(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(Table, HexToBytesTable, ::testing::ValuesIn(kHexCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(HexToBytes, EmptyTextIsEmpty) { EXPECT_TRUE(HexToBytes("").IsEmpty()); }

TEST(HexToBytes, AnythingButHexDigitsIsTypeMismatch) {
  for (const char* text : {"0G", " 1", "1 ", "+1", "-1", "0x10", "12 34", "g"}) {
    try {
      HexToBytes(text);
      ADD_FAILURE() << "no error for \"" << text << '"';
    } catch (const com::ComError& e) {
      EXPECT_EQ(e.Number(), com::vb::kTypeMismatch) << text;
    }
  }
}

TEST(BytesToHex, UpperCaseDigitsPerByte) {
  EXPECT_EQ(BytesToHex(com::Variant(com::ByteArray{0x00, 0xAB, 0x0F, 0xFF})), "00AB0FFF");
  EXPECT_EQ(BytesToHex(com::Variant(com::ByteArray{})), "");
}

TEST(BytesToHex, AnythingButAByteArrayIsEmptyText) {
  EXPECT_EQ(BytesToHex(com::Variant()), "");
  EXPECT_EQ(BytesToHex(com::Variant(std::int32_t{255})), "");
  EXPECT_EQ(BytesToHex(com::Variant("0A")), "");
  EXPECT_EQ(BytesToHex(com::Variant(std::uint8_t{10})), "");
}

TEST(HexRoundTrip, BytesToHexReadsBackWhatHexToBytesMade) {
  EXPECT_EQ(BytesToHex(HexToBytes("00ff7Fa1")), "00FF7FA1");
  EXPECT_EQ(HexToBytes(BytesToHex(com::Variant(com::ByteArray{0xDE, 0xAD, 0x01}))),
            com::Variant(com::ByteArray{0xDE, 0xAD, 0x01}));
}

}  // namespace
}  // namespace dtm::ConvStr
