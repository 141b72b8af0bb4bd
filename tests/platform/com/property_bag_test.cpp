#include "platform/com/property_bag.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace dtm::com {
namespace {

class MemoryBag : public ::testing::Test {
 protected:
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& [name, value] : bag_.Entries()) names.push_back(name);
    return names;
  }
  MemoryPropertyBag bag_;
};

TEST_F(MemoryBag, MissingEntryReadsAsDefaultOrEmpty) {
  EXPECT_TRUE(bag_.ReadProperty("Tag").IsEmpty());
  EXPECT_EQ(bag_.ReadProperty("Tag", Variant(std::int32_t{7})), Variant(std::int32_t{7}));
}

TEST_F(MemoryBag, StoredValueWinsOverTheReadDefault) {
  bag_.WriteProperty("Tag", "PT-101");
  EXPECT_EQ(bag_.ReadProperty("Tag", Variant("default")), Variant("PT-101"));
}

TEST_F(MemoryBag, PassedEmptyDefaultIsStillADefault) {
  bag_.WriteProperty("Tag", Variant(), Variant());
  EXPECT_FALSE(bag_.Contains("Tag"));
  bag_.WriteProperty("Tag", Variant());
  EXPECT_TRUE(bag_.Contains("Tag"));
}

TEST_F(MemoryBag, ValueEqualToDefaultIsLeftOut) {
  bag_.WriteProperty("Range", 100.0, Variant(100.0));
  EXPECT_FALSE(bag_.Contains("Range"));
  EXPECT_TRUE(bag_.Entries().empty());
  EXPECT_EQ(bag_.ReadProperty("Range", Variant(100.0)), Variant(100.0));
}

TEST_F(MemoryBag, WritingTheDefaultRemovesAnEarlierValue) {
  bag_.WriteProperty("Range", 250.0, Variant(100.0));
  EXPECT_TRUE(bag_.Contains("Range"));
  bag_.WriteProperty("Range", 100.0, Variant(100.0));
  EXPECT_FALSE(bag_.Contains("Range"));
  // The stale 250 must not come back.
  EXPECT_EQ(bag_.ReadProperty("Range", Variant(100.0)), Variant(100.0));
}

TEST_F(MemoryBag, RewriteReplacesInPlaceKeepingFirstWriteOrder) {
  bag_.WriteProperty("B", std::int32_t{1});
  bag_.WriteProperty("A", std::int32_t{2});
  bag_.WriteProperty("C", std::int32_t{3});
  bag_.WriteProperty("B", std::int32_t{4});
  EXPECT_EQ(Names(), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(bag_.ReadProperty("B"), Variant(std::int32_t{4}));
}

TEST_F(MemoryBag, DefaultOfAnotherValueStores) {
  bag_.WriteProperty("Units", "kPa", Variant("bar"));
  EXPECT_EQ(bag_.ReadProperty("Units"), Variant("kPa"));
}

TEST_F(MemoryBag, ClearEmptiesTheBag) {
  bag_.WriteProperty("A", true);
  bag_.Clear();
  EXPECT_FALSE(bag_.Contains("A"));
  EXPECT_TRUE(bag_.ReadProperty("A").IsEmpty());
}


}  // namespace
}  // namespace dtm::com
