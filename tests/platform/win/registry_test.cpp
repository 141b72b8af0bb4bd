#include "platform/win/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/win/registry_reading.h"

namespace dtm::win {
namespace {

using test::AllValues;

constexpr const char* kSettings = "Software\\VELDAR AG\\DTM4625_FDT12";

TEST(RegistryValueHelpers, TextEndsInNulAndDwordIsLittleEndian) {
  EXPECT_EQ(StringValue("BusyWait", "20"),
            (RegValue{"BusyWait", kRegSz, {0x32, 0x30, 0x00}}));
  EXPECT_EQ(StringValue("", ""), (RegValue{"", kRegSz, {0x00}}));
  EXPECT_EQ(DwordValue("Debug", 0x12345678u),
            (RegValue{"Debug", kRegDword, {0x78, 0x56, 0x34, 0x12}}));
}

class RegistryEnumeration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(registry_.SetValue(kHkeyLocalMachine, kSettings, StringValue("BusyWait", "20")),
              kErrorSuccess);
    ASSERT_EQ(registry_.SetValue(kHkeyLocalMachine, kSettings, DwordValue("Debug", 1)),
              kErrorSuccess);
  }
  MemoryRegistry registry_;
};

TEST_F(RegistryEnumeration, ValuesComeInOrderOfFirstWrite) {
  registry_.SetValue(kHkeyLocalMachine, kSettings, StringValue("Apple", "a"));
  // Rewriting keeps the place and the first spelling of the name.
  registry_.SetValue(kHkeyLocalMachine, kSettings, StringValue("BUSYWAIT", "30"));
  EXPECT_EQ(AllValues(registry_, kHkeyLocalMachine, kSettings),
            (std::vector<RegValue>{{"BusyWait", kRegSz, {0x33, 0x30, 0x00}},
                                   {"Debug", kRegDword, {0x01, 0x00, 0x00, 0x00}},
                                   {"Apple", kRegSz, {0x61, 0x00}}}));
}

TEST_F(RegistryEnumeration, PastTheLastValueIsNoMoreItems) {
  KeyHandle key = 0;
  ASSERT_EQ(registry_.OpenKey(kHkeyLocalMachine, kSettings, kKeyQueryValue, key), kErrorSuccess);
  RegValue value;
  EXPECT_EQ(registry_.EnumValue(key, 2, 255, 255, value), kErrorNoMoreItems);
  EXPECT_EQ(registry_.EnumValue(key, 1000, 255, 255, value), kErrorNoMoreItems);
  registry_.CloseKey(key);
}

struct CapacityCase {
  const char* name;
  std::uint32_t index;
  std::size_t name_capacity;
  std::size_t data_capacity;
  std::int32_t result;
};
// "BusyWait" is 8 characters with 3 data bytes ("20" and NUL); "Debug" is 5
// characters with 4 data bytes.
const CapacityCase kCapacityCases[] = {
    {"TextFitsExactly", 0, 9, 3, kErrorSuccess},
    {"NameNeedsRoomForItsNul", 0, 8, 3, kErrorMoreData},
    {"TextNulCountsAsData", 0, 9, 2, kErrorMoreData},
    {"DwordFitsExactly", 1, 6, 4, kErrorSuccess},
    {"DwordOneByteShort", 1, 6, 3, kErrorMoreData},
    {"NoRoomAtAll", 1, 0, 0, kErrorMoreData},
};

class RegistryEnumCapacity : public RegistryEnumeration,
                             public ::testing::WithParamInterface<CapacityCase> {};

TEST_P(RegistryEnumCapacity, MoreDataLeavesTheValueUntouched) {
  const auto& c = GetParam();
  KeyHandle key = 0;
  ASSERT_EQ(registry_.OpenKey(kHkeyLocalMachine, kSettings, kKeyQueryValue, key), kErrorSuccess);
  const RegValue untouched{"untouched", 99, {0xEE}};
  RegValue value = untouched;
  EXPECT_EQ(registry_.EnumValue(key, c.index, c.name_capacity, c.data_capacity, value), c.result);
  if (c.result == kErrorSuccess) {
    EXPECT_EQ(value.name, c.index == 0 ? "BusyWait" : "Debug");
  } else {
    EXPECT_EQ(value, untouched);
  }
  registry_.CloseKey(key);
}

INSTANTIATE_TEST_SUITE_P(Table, RegistryEnumCapacity, ::testing::ValuesIn(kCapacityCases),
                         [](const auto& i) { return std::string(i.param.name); });

class RegistryKeys : public ::testing::Test {
 protected:
  MemoryRegistry registry_;
};

TEST_F(RegistryKeys, PathsMatchWithoutRegardToCase) {
  registry_.SetValue(kHkeyLocalMachine, kSettings, DwordValue("Debug", 1));
  KeyHandle key = 0;
  ASSERT_EQ(registry_.OpenKey(kHkeyLocalMachine, "SOFTWARE\\veldar ag\\dtm4625_fdt12",
                              kKeyQueryValue, key),
            kErrorSuccess);
  EXPECT_NE(key, 0u);
  registry_.CloseKey(key);
  // Another spelling writes to the same key, not a second one.
  registry_.SetValue(kHkeyLocalMachine, "software\\VELDAR AG\\dtm4625_FDT12",
                     StringValue("BusyWait", "20"));
  EXPECT_EQ(AllValues(registry_, kHkeyLocalMachine, kSettings).size(), 2u);
}

TEST_F(RegistryKeys, WritingCreatesTheParents) {
  registry_.SetValue(kHkeyLocalMachine, kSettings, DwordValue("Debug", 1));
  for (const char* parent : {"Software", "Software\\VELDAR AG"}) {
    KeyHandle key = 0;
    EXPECT_EQ(registry_.OpenKey(kHkeyLocalMachine, parent, kKeyQueryValue, key), kErrorSuccess)
        << parent;
    registry_.CloseKey(key);
  }
}

TEST_F(RegistryKeys, MissingKeyOrOtherHiveIsNotFound) {
  registry_.SetValue(kHkeyLocalMachine, kSettings, DwordValue("Debug", 1));
  KeyHandle key = 77;
  EXPECT_EQ(registry_.OpenKey(kHkeyLocalMachine, "Software\\Nobody", kKeyQueryValue, key),
            kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(registry_.OpenKey(kHkeyCurrentUser, kSettings, kKeyQueryValue, key),
            kErrorFileNotFound);
  EXPECT_EQ(registry_.OpenKeyCount(), 0u);
}

TEST_F(RegistryKeys, OpenHandlesAreCountedUntilClosed) {
  registry_.SetValue(kHkeyLocalMachine, kSettings, DwordValue("Debug", 1));
  KeyHandle first = 0;
  KeyHandle second = 0;
  registry_.OpenKey(kHkeyLocalMachine, kSettings, kKeyQueryValue, first);
  registry_.OpenKey(kHkeyLocalMachine, kSettings, kKeyQueryValue, second);
  EXPECT_NE(first, second);
  EXPECT_EQ(registry_.OpenKeyCount(), 2u);
  EXPECT_EQ(registry_.CloseKey(first), kErrorSuccess);
  EXPECT_EQ(registry_.OpenKeyCount(), 1u);
  EXPECT_EQ(registry_.CloseKey(first), kErrorInvalidHandle);
  RegValue value;
  EXPECT_EQ(registry_.EnumValue(first, 0, 255, 255, value), kErrorInvalidHandle);
  registry_.CloseKey(second);
  EXPECT_EQ(registry_.OpenKeyCount(), 0u);
}

TEST_F(RegistryKeys, DeleteTakesSubKeysButNotSiblingsWithTheSameStart) {
  registry_.SetValue(kHkeyClassesRoot, "Vd.Device\\CLSID", StringValue("", "{1}"));
  registry_.SetValue(kHkeyClassesRoot, "Vd.Device\\CurVer", StringValue("", "Vd.Device.1"));
  // " " and "." sort between "vd.device" and "vd.device\", so a careless
  // range delete would stop at these.
  registry_.SetValue(kHkeyClassesRoot, "Vd.Device 2", StringValue("", "keep"));
  registry_.SetValue(kHkeyClassesRoot, "Vd.Device.1", StringValue("", "keep"));
  EXPECT_EQ(registry_.DeleteKey(kHkeyClassesRoot, "VD.DEVICE"), kErrorSuccess);

  KeyHandle key = 0;
  for (const char* gone : {"Vd.Device", "Vd.Device\\CLSID", "Vd.Device\\CurVer"}) {
    EXPECT_EQ(registry_.OpenKey(kHkeyClassesRoot, gone, kKeyQueryValue, key), kErrorFileNotFound)
        << gone;
  }
  for (const char* kept : {"Vd.Device 2", "Vd.Device.1"}) {
    EXPECT_EQ(registry_.OpenKey(kHkeyClassesRoot, kept, kKeyQueryValue, key), kErrorSuccess)
        << kept;
    registry_.CloseKey(key);
  }
  EXPECT_EQ(registry_.DeleteKey(kHkeyClassesRoot, "Vd.Device"), kErrorFileNotFound);
}

TEST_F(RegistryKeys, EnumeratingADeletedKeyFails) {
  registry_.SetValue(kHkeyLocalMachine, kSettings, DwordValue("Debug", 1));
  KeyHandle key = 0;
  ASSERT_EQ(registry_.OpenKey(kHkeyLocalMachine, kSettings, kKeyQueryValue, key), kErrorSuccess);
  registry_.DeleteKey(kHkeyLocalMachine, "Software");
  RegValue value;
  EXPECT_EQ(registry_.EnumValue(key, 0, 255, 255, value), kErrorKeyDeleted);
  EXPECT_EQ(registry_.CloseKey(key), kErrorSuccess);
}

TEST_F(RegistryKeys, QueryValueFindsTheNameInAnyCase) {
  registry_.SetValue(kHkeyClassesRoot, "Vd.Device\\CLSID", StringValue("", "{1}"));
  registry_.SetValue(kHkeyClassesRoot, "Vd.Device\\CLSID", DwordValue("Flags", 3));
  RegValue value;
  ASSERT_EQ(registry_.QueryValue(kHkeyClassesRoot, "vd.device\\clsid", "", value), kErrorSuccess);
  EXPECT_EQ(value, (RegValue{"", kRegSz, {0x7B, 0x31, 0x7D, 0x00}}));
  ASSERT_EQ(registry_.QueryValue(kHkeyClassesRoot, "Vd.Device\\CLSID", "FLAGS", value),
            kErrorSuccess);
  EXPECT_EQ(value.name, "Flags");
  EXPECT_EQ(registry_.QueryValue(kHkeyClassesRoot, "Vd.Device\\CLSID", "Other", value),
            kErrorFileNotFound);
  EXPECT_EQ(registry_.QueryValue(kHkeyClassesRoot, "Vd.Other", "", value), kErrorFileNotFound);
}

}  // namespace
}  // namespace dtm::win
