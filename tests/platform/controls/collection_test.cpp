#include "platform/controls/collection.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/testing/raised.h"

namespace dtm::controls {
namespace {

using dtm::testing::ErrorOf;

class KeyedCollection : public ::testing::Test {
 protected:
  KeyedCollection() {
    items_.Add(com::Variant("first"), "Alpha");
    items_.Add(com::Variant("second"));
    items_.Add(com::Variant("third"), "gamma");
  }
  Collection items_;
};

TEST_F(KeyedCollection, KeysIgnoreCaseAndPositionsCountFromOne) {
  EXPECT_EQ(items_.Count(), 3u);
  EXPECT_EQ(items_.Item("ALPHA").ToString(), "first");
  EXPECT_EQ(items_.Item("Gamma").ToString(), "third");
  EXPECT_EQ(items_.Item(2).ToString(), "second");
  EXPECT_EQ(items_.KeyAt(2), "");
  EXPECT_EQ(items_.KeyAt(3), "gamma");
}

TEST_F(KeyedCollection, ErrorsAsTheLanguageRaisesThem) {
  struct Case {
    const char* name;
    std::function<void()> call;
    std::int32_t error;
  };
  const std::vector<Case> cases = {
      {"taken key, other case", [&] { items_.Add(com::Variant(1), "alpha"); }, 457},
      {"missing key", [&] { items_.Item("delta"); }, 5},
      {"position 0", [&] { items_.Item(0); }, 9},
      {"position past the end", [&] { items_.Item(4); }, 9},
      {"remove a missing key", [&] { items_.Remove("delta"); }, 5},
      {"remove past the end", [&] { items_.Remove(4); }, 9},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf(c.call), c.error) << c.name;
  }
  EXPECT_EQ(items_.Count(), 3u) << "a refused Add adds nothing";
}

TEST_F(KeyedCollection, RemovingAKeyFreesItAndClosesTheGap) {
  items_.Remove("ALPHA");
  EXPECT_EQ(items_.Count(), 2u);
  EXPECT_EQ(items_.Item(1).ToString(), "second");
  EXPECT_FALSE(items_.Exists("alpha"));
  items_.Add(com::Variant("again"), "alpha");
  EXPECT_EQ(items_.Item("Alpha").ToString(), "again");
}

TEST_F(KeyedCollection, ByNameATextIsAKeyAndANumberAPosition) {
  const com::Variant by_key[] = {com::Variant("gamma")};
  const com::Variant by_position[] = {com::Variant(std::int32_t{1})};
  const com::Variant number_text[] = {com::Variant("2")};
  EXPECT_EQ(items_.Invoke("Item", by_key).ToString(), "third");
  EXPECT_EQ(items_.Invoke("Item", by_position).ToString(), "first");
  // "2" is a key, not the second item.
  EXPECT_EQ(ErrorOf([&] { items_.Invoke("Item", number_text); }), 5);
  EXPECT_EQ(items_.GetProperty("Count").ToLong(), 3);
}

}  // namespace
}  // namespace dtm::controls
