#include "component/common/registry_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/error.h"

namespace dtm::Registry {
namespace {

constexpr const char* kSubKey = "Settings";
constexpr const char* kSettingsKey = "Software\\VELDAR AG\\DTM4625_FDT12\\Settings";

win::RegValue Bytes(std::string name, std::uint32_t type, std::size_t count) {
  return win::RegValue{std::move(name), type, std::vector<std::uint8_t>(count, 0x41)};
}

TEST(RegistryPath, IsTheComponentsKey) {
  EXPECT_STREQ(kRegistryPath, "Software\\VELDAR AG\\DTM4625_FDT12");
}

class SettingsReading : public ::testing::Test {
 protected:
  void Put(const std::vector<win::RegValue>& values) {
    for (const auto& value : values) {
      ASSERT_EQ(registry_.SetValue(win::kHkeyLocalMachine, kSettingsKey, value),
                win::kErrorSuccess);
    }
  }
  void TearDown() override { EXPECT_EQ(registry_.OpenKeyCount(), 0u) << "a key was left open"; }

  win::MemoryRegistry registry_;
};

struct ReadCase {
  const char* name;
  std::vector<win::RegValue> values;  // none: the key does not exist
  const char* value_name;
  const char* default_text;
  const char* expected;
};
const ReadCase kReadCases[] = {
    {"DwordGivesItsDecimalText", {win::DwordValue("BusyWait", 20)}, "BusyWait", "5", "20"},
    {"TextGivesTheText", {win::StringValue("BusyWait", "20")}, "BusyWait", "5", "20"},
    {"NegativeDword", {win::DwordValue("Offset", 0xFFFFFFFFu)}, "Offset", "0", "-1"},
    {"NameInOtherCaseIsNotTheSetting", {win::StringValue("BusyWait", "20")}, "busywait", "5", "5"},
    {"MissingValue", {win::StringValue("BusyWait", "20")}, "Debug", "0", "0"},
    {"MissingKey", {}, "BusyWait", "5", "5"},
    {"FoundAfterOtherValues",
     {win::StringValue("A", "a"), win::StringValue("B", "b"), win::DwordValue("Debug", 1)},
     "Debug", "0", "1"},
    {"LongDataEndsTheSearch",
     {Bytes("Blob", win::kRegBinary, 300), win::DwordValue("Debug", 1)}, "Debug", "0", "0"},
    {"DataOf255BytesStillFits",
     {Bytes("Blob", win::kRegBinary, 255), win::DwordValue("Debug", 1)}, "Debug", "0", "1"},
    {"LongValueItselfIsMissing", {Bytes("Blob", win::kRegSz, 256)}, "Blob", "none", "none"},
    {"NameOf255CharactersEndsTheSearch",
     {win::StringValue(std::string(255, 'N'), "x"), win::DwordValue("Debug", 1)}, "Debug", "0",
     "0"},
    {"NameOf254CharactersStillFits",
     {win::StringValue(std::string(254, 'N'), "x"), win::DwordValue("Debug", 1)}, "Debug", "0",
     "1"},
    {"TextIsCutAtTheFirstNul",
     {win::RegValue{"Name", win::kRegSz, {'a', 'b', 0, 'c', 0}}}, "Name", "", "ab"},
    {"TextWithoutNul", {win::RegValue{"Name", win::kRegSz, {'a', 'b'}}}, "Name", "", "ab"},
    {"BinaryReadsAsText", {win::RegValue{"Raw", win::kRegBinary, {'h', 'i', 0, 'x'}}}, "Raw", "",
     "hi"},
    {"DefaultValueByEmptyName", {win::StringValue("", "dflt")}, "", "none", "dflt"},
};

class SettingsReadingTable : public SettingsReading,
                             public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsReadingTable, GetRegStringGivesTheTextOrTheDefault) {
  const auto& c = GetParam();
  Put(c.values);
  EXPECT_EQ(GetRegString(registry_, kRegistryPath, kSubKey, c.value_name, c.default_text),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsReadingTable, ::testing::ValuesIn(kReadCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(SettingsReading, DwordComesAsALongAndTextAsAString) {
  Put({win::DwordValue("BusyWait", 20), win::StringValue("Name", "20")});
  const com::Variant dword = QueryRegValue(registry_, win::kHkeyLocalMachine, kRegistryPath,
                                           kSubKey, "BusyWait", com::Variant());
  EXPECT_EQ(dword, com::Variant(std::int32_t{20}));
  const com::Variant text = QueryRegValue(registry_, win::kHkeyLocalMachine, kRegistryPath,
                                          kSubKey, "Name", com::Variant());
  EXPECT_EQ(text, com::Variant(std::string("20")));
}

TEST_F(SettingsReading, MissingValueGivesTheDefaultUnchanged) {
  Put({win::DwordValue("BusyWait", 20)});
  EXPECT_EQ(QueryRegValue(registry_, win::kHkeyLocalMachine, kRegistryPath, kSubKey, "Debug",
                          com::Variant(std::int16_t{7})),
            com::Variant(std::int16_t{7}));
  EXPECT_TRUE(QueryRegValue(registry_, win::kHkeyLocalMachine, kRegistryPath, "Other", "Debug",
                            com::Variant())
                  .IsEmpty());
}

TEST_F(SettingsReading, ReadsTheHiveAskedFor) {
  ASSERT_EQ(registry_.SetValue(win::kHkeyCurrentUser, kSettingsKey, win::DwordValue("Debug", 1)),
            win::kErrorSuccess);
  EXPECT_EQ(GetRegString(registry_, kRegistryPath, kSubKey, "Debug", "0"), "0");
  EXPECT_EQ(GetRegString(registry_, kRegistryPath, kSubKey, "Debug", "0", win::kHkeyCurrentUser),
            "1");
}

TEST_F(SettingsReading, KeyIsClosedWhenTheValueCannotBeConverted) {
  // A DWORD with 3 bytes of data is no Long; the error travels on.
  Put({win::RegValue{"BusyWait", win::kRegDword, {20, 0, 0}}});
  try {
    GetRegString(registry_, kRegistryPath, kSubKey, "BusyWait", "5");
    ADD_FAILURE() << "no error raised";
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.Number(), 1000);
    EXPECT_EQ(e.Source(), "CVL");
  }
}

TEST(TrimNull, KeepsTheTextBeforeTheFirstNul) {
  EXPECT_EQ(TrimNull(std::string("ab\0cd\0", 6)), "ab");
  EXPECT_EQ(TrimNull(std::string("\0x", 2)), "");
  EXPECT_EQ(TrimNull("plain"), "plain");
  EXPECT_EQ(TrimNull(""), "");
}

}  // namespace
}  // namespace dtm::Registry
