#include "platform/com/hex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/com/com_test_util.h"

namespace dtm::com::test {
namespace {

struct HexCase {
  std::string name;
  std::vector<std::uint8_t> bytes;
  std::string separator;
  HexDigits digits;
  std::string text;
};

const HexCase kHexCases[] = {
    {"NoBytes", {}, " ", HexDigits::kUpper, ""},
    {"OneByteHasNoSeparator", {0x0A}, ",", HexDigits::kUpper, "0A"},
    {"HighNibbleFirst", {0x00, 0xAB, 0x0F, 0xFF}, "", HexDigits::kUpper, "00AB0FFF"},
    {"SeparatorBetweenBytesOnly", {0x82, 0x01, 0x7F}, " ", HexDigits::kUpper, "82 01 7F"},
    {"LowerCaseDigits", {0xDE, 0xAD, 0x01}, ",", HexDigits::kLower, "de,ad,01"},
};

class HexBytesTable : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexBytesTable, WritesTwoDigitsPerByte) {
  const HexCase& c = GetParam();
  EXPECT_EQ(HexBytes(c.bytes, c.separator, c.digits), c.text);
}

INSTANTIATE_TEST_SUITE_P(Table, HexBytesTable, ::testing::ValuesIn(kHexCases), RowName{});

}  // namespace
}  // namespace dtm::com::test
