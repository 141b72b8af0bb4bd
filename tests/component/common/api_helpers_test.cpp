#include "component/common/api_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace dtm::APIHelpers {
namespace {

// Answers one scripted identifier, or fails.
class ScriptedGuidSource final : public win::GuidSource {
 public:
  std::int32_t CreateGuid(com::Guid& guid) override {
    guid = next;
    return result;
  }
  com::Guid next{0x0123ABCDu, 0x4567, 0x89EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  std::int32_t result = 0;
};

class GuidText : public ::testing::Test {
 protected:
  ScriptedGuidSource source_;
};

TEST_F(GuidText, BracedUpperCase) {
  EXPECT_EQ(GuidToString(source_.next), "{0123ABCD-4567-89EF-0123-456789ABCDEF}");
  EXPECT_EQ(CreateGuidString(source_, true), "{0123ABCD-4567-89EF-0123-456789ABCDEF}");
}

TEST_F(GuidText, WithoutBracesIsTheBare36Characters) {
  EXPECT_EQ(CreateGuidString(source_, false), "0123ABCD-4567-89EF-0123-456789ABCDEF");
}

TEST_F(GuidText, NoTextWhenNoIdentifierCouldBeMade) {
  source_.result = static_cast<std::int32_t>(0x80004005u);
  EXPECT_EQ(CreateGuidString(source_, true), "");
  EXPECT_EQ(CreateGuidString(source_, false), "");
  com::Guid guid;
  EXPECT_FALSE(NewGuid(source_, guid));
}

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

TEST(CreateGuidString, NewIdentifiersHaveTheRegistryForm) {
  win::RandomGuidSource source;
  for (int i = 0; i < 20; ++i) {
    const std::string bare = CreateGuidString(source, false);
    ASSERT_EQ(bare.size(), 36u) << bare;
    for (std::size_t k = 0; k < bare.size(); ++k) {
      if (k == 8 || k == 13 || k == 18 || k == 23) {
        EXPECT_EQ(bare[k], '-') << bare;
      } else {
        EXPECT_TRUE(IsUpperHex(bare[k])) << bare;
      }
    }
    const std::string braced = CreateGuidString(source, true);
    ASSERT_EQ(braced.size(), 38u) << braced;
    EXPECT_EQ(braced.front(), '{');
    EXPECT_EQ(braced.back(), '}');
    EXPECT_NE(braced.substr(1, 36), bare);
  }
}

TEST(ProgIdToClsid, FindsTheRegisteredClassId) {
  win::MemoryRegistry registry;
  registry.SetValue(win::kHkeyClassesRoot, "Vd.Device\\CLSID",
                    win::StringValue("", "{0123ABCD-4567-89EF-0123-456789ABCDEF}"));
  com::Guid clsid;
  EXPECT_TRUE(ProgIdToClsid(registry, "Vd.Device", clsid));
  EXPECT_EQ(clsid,
            (com::Guid{0x0123ABCDu, 0x4567, 0x89EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}}));
  EXPECT_FALSE(ProgIdToClsid(registry, "Vd.Unknown", clsid));
}

struct SameTextCase {
  const char* name;
  const char* a;
  const char* b;
  bool same;
};
const SameTextCase kSameTextCases[] = {
    {"Equal", "Device", "Device", true},
    {"OtherCase", "DEVICE", "device", true},
    {"DigitsAndMarks", "Tr-1.a", "TR-1.A", true},
    {"BothEmpty", "", "", false},
    {"FirstEmpty", "", "a", false},
    {"SecondEmpty", "a", "", false},
    {"Prefix", "Device", "Dev", false},
    {"Longer", "Dev", "Device", false},
    {"AtIsNoLetter", "@", "`", false},
    {"BracketIsNoLetter", "[", "{", false},
    {"OnlyAsciiLettersFold", "\xC4", "\xE4", false},
};

class IsSameTextTable : public ::testing::TestWithParam<SameTextCase> {};

TEST_P(IsSameTextTable, ComparesIgnoringAsciiCase) {
  EXPECT_EQ(IsSameText(GetParam().a, GetParam().b), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(Table, IsSameTextTable, ::testing::ValuesIn(kSameTextCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::APIHelpers
