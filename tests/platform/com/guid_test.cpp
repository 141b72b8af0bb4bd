#include "platform/com/guid.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/platform/com/com_test_util.h"

namespace dtm::com {
namespace {

TEST(GuidText, RoundTripsInUpperCase) {
  const auto guid = Guid::Parse("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}");
  ASSERT_TRUE(guid.has_value());
  EXPECT_EQ(guid->data1, 0x0A1B2C3Du);
  EXPECT_EQ(guid->data2, 0x4E5Fu);
  EXPECT_EQ(guid->data3, 0x6071u);
  EXPECT_EQ(guid->data4,
            (std::array<std::uint8_t, 8>{0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}));
  EXPECT_EQ(guid->ToString(), "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
  EXPECT_EQ(Guid::Parse(guid->ToString()), guid);
}

struct TextCase {
  const char* name;
  Guid guid;
  const char* text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

const TextCase kTexts[] = {
    {"Nil", Guid{}, "{00000000-0000-0000-0000-000000000000}"},
    {"AllOnes",
     Guid{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
     "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
    {"LeadingZerosKept",
     Guid{0x00000001, 0x0002, 0x0003, {0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05}},
     "{00000001-0002-0003-0004-000000000005}"},
    {"EachFieldInItsPlace",
     Guid{0x89ABCDEF, 0x0123, 0x4567, {0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67}},
     "{89ABCDEF-0123-4567-89AB-CDEF01234567}"},
};

class GuidToString : public ::testing::TestWithParam<TextCase> {};

TEST_P(GuidToString, WritesTheBracedUpperCaseForm) {
  EXPECT_EQ(GetParam().guid.ToString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, GuidToString, ::testing::ValuesIn(kTexts),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(GuidOrder, ComparesFieldByField) {
  const Guid a = *Guid::Parse("{00000001-0000-0000-0000-000000000000}");
  const Guid b = *Guid::Parse("{00000000-FFFF-0000-0000-000000000000}");
  EXPECT_LT(b, a);
  EXPECT_NE(a, b);
}

struct RejectCase {
  const char* name;
  const char* text;
};

void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name << " \"" << c.text << '"'; }

const RejectCase kRejects[] = {
    {"Empty", ""},
    {"NoBraces", "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"},
    {"NoClosingBrace", "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"},
    {"Parentheses", "(0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9)"},
    {"BlankAround", " {0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}"},
    {"DashMoved", "{0A1B2C3-D4E5F-6071-8293-A4B5C6D7E8F9}"},
    {"NoDashes", "{0A1B2C3D04E5F0607108293 A4B5C6D7E8F9}"},
    {"NotHex", "{0A1B2C3G-4E5F-6071-8293-A4B5C6D7E8F9}"},
    {"NotHexInLastGroup", "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FZ}"},
    {"SignInField", "{+A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}"},
    {"TooShort", "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F}"},
    {"TooLong", "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F90}"},
};

class GuidParse : public ::testing::TestWithParam<RejectCase> {};

TEST_P(GuidParse, RejectsAnythingButTheBracedForm) {
  EXPECT_FALSE(Guid::Parse(GetParam().text).has_value());
}

INSTANTIATE_TEST_SUITE_P(Table, GuidParse, ::testing::ValuesIn(kRejects),
                         test::RowName());

}  // namespace
}  // namespace dtm::com
