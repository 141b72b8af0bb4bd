#include "component/common/lang_supp.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/com/error.h"

namespace dtm::LangSupp {
namespace {

struct SplitCase {
  const char* name;
  std::int32_t lcid;
  std::int16_t primary;
  std::int16_t sub;
};
const SplitCase kSplitCases[] = {
    {"German", 0x0407, 7, 1},
    {"EnglishUk", 0x0809, 9, 2},
    {"SpanishModern", 0x0C0A, 10, 3},
    {"Neutral", 0x0000, 0, 0},
    {"SortOrderIsIgnored", 0x10407, 7, 1},
    {"HighestSubLanguage", 0xFC00, 0, 63},
    {"HighestPrimary", 0x03FF, 1023, 0},
    {"NegativeKeepsTheSignOfMod", -1, -1, 0},
};

class LcidSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LcidSplit, GivesPrimaryAndSubLanguage) {
  EXPECT_EQ(PrimaryLangId(GetParam().lcid), GetParam().primary);
  EXPECT_EQ(SubLangId(GetParam().lcid), GetParam().sub);
}

INSTANTIATE_TEST_SUITE_P(Table, LcidSplit, ::testing::ValuesIn(kSplitCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct MakeCase {
  const char* name;
  std::int16_t primary, sub, sort;
  std::int32_t lcid;
};
const MakeCase kMakeCases[] = {
    {"PrimaryOnly", 7, 0, 0, 7},
    {"EnglishUk", 9, 2, 0, 0x0809},
    {"WithSortOrder", 7, 1, 1, 0x10407},
    {"JustFitsAbove", -1, 64, 32767, 2147483647},
    {"JustFitsBelow", 0, 0, -32768, std::numeric_limits<std::int32_t>::min()},
};

class MakeLcidTable : public ::testing::TestWithParam<MakeCase> {};

TEST_P(MakeLcidTable, AddsThePartsInPlace) {
  const auto& c = GetParam();
  EXPECT_EQ(MakeLcid(c.primary, c.sub, c.sort), c.lcid);
}

INSTANTIATE_TEST_SUITE_P(Table, MakeLcidTable, ::testing::ValuesIn(kMakeCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(MakeLcid, BeyondALongIsOverflow) {
  struct Args {
    std::int16_t primary, sub, sort;
  };
  for (const Args p : {Args{0, 64, 32767}, Args{-1, 0, -32768}, Args{32767, 32767, 32767}}) {
    try {
      MakeLcid(p.primary, p.sub, p.sort);
      ADD_FAILURE() << "no error for " << p.primary << ", " << p.sub << ", " << p.sort;
    } catch (const com::ComError& e) {
      EXPECT_EQ(e.Number(), com::vb::kOverflow);
    }
  }
}

}  // namespace
}  // namespace dtm::LangSupp
