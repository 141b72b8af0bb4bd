#include "host/device/profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/com/error.h"
#include "tests/host/device/device_fixture.h"
#include "tests/testing/temp_folder.h"

namespace dtm::device {
namespace {

using test::DefaultProfile;
using test::DefaultProfilePath;

std::vector<int> Keys(const auto& map) {
  std::vector<int> keys;
  for (const auto& [key, value] : map) keys.push_back(key);
  return keys;
}

TEST(BuiltInProfile, HoldsEveryParameterOfBothTables) {
  const Profile profile;
  EXPECT_EQ(Keys(profile.floats),
            (std::vector<int>{6,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
                              24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38,
                              39, 40, 41, 42, 43, 44, 45, 46, 48, 49, 50, 51, 52, 53, 54,
                              55, 56, 58, 59, 60, 61, 62, 63, 66, 67, 68, 69}));
  EXPECT_EQ(Keys(profile.bytes),
            (std::vector<int>{65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78,
                              79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 91, 92, 98}));
}

TEST(BuiltInProfile, StartsWithTheFactoryValues) {
  const Profile profile;
  EXPECT_EQ(profile.tag, "4625_1");
  EXPECT_EQ(profile.texts[4], "VELDAR BUTTERFLY VALVE EQ. PERC.");
  EXPECT_EQ(profile.texts[0], "-/-");
  EXPECT_EQ(profile.product_number, "0");
  EXPECT_EQ(profile.identity.manufacturer_code, 165);
  EXPECT_EQ(profile.identity.device_type_code, 70);
  EXPECT_EQ(profile.identity.device_revision, 1);
  EXPECT_EQ(profile.floats.at(46), 42.0f);
  EXPECT_EQ(profile.floats.at(60), 1000000.0f);
  EXPECT_EQ(profile.floats.at(21), 0.12f);
  EXPECT_EQ(profile.floats.at(66), 0.0f);  // float 66: maximum travel
  EXPECT_EQ(profile.bytes.at(66), 2);      // byte 66: fail-safe position "unknown"
  EXPECT_EQ(profile.bytes.at(70), 1);
  EXPECT_EQ(profile.bytes.at(69), 1);
}

TEST(DefaultProfileFile, DescribesAnInitialisedLinearPositioner) {
  const Profile profile = DefaultProfile();
  EXPECT_EQ(profile.identity, (Identity{165, 70, 5, 5, 1, 3, 1, 0, 123456}));
  EXPECT_EQ(profile.tag, "4625_1");
  EXPECT_EQ(profile.descriptor, "LINEAR VALVE");
  EXPECT_EQ(profile.date, (wire::Date{12, 5, 2025}));
  EXPECT_EQ(profile.message, "SIMULATED POSITIONER 4625");
  EXPECT_EQ(profile.product_number, "4625-0001");
  EXPECT_EQ(profile.texts[4], "VELDAR BUTTERFLY VALVE EQ. PERC.");
  EXPECT_EQ(profile.bytes.at(72), 0);    // linear actuator
  EXPECT_EQ(profile.bytes.at(98), 254);  // initialised without warnings
  EXPECT_EQ(profile.floats.at(66), 104.5f);
  EXPECT_EQ(profile.floats.at(50), 4.02f);
  EXPECT_EQ(profile.dynamic, (DynamicValues{12.0f, 50.0f, 0.2f, 49.8f, 0, 48210.0f}));
  EXPECT_EQ(profile.status, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(profile.action_state, 254);
  EXPECT_FALSE(profile.write_protect);
  // Every parameter is listed: nothing is left at the factory value by omission.
  EXPECT_EQ(profile.floats.size(), Profile{}.floats.size());
  EXPECT_EQ(profile.bytes.size(), Profile{}.bytes.size());
}

TEST(ProfileText, AnEmptyProfileIsTheFactoryDevice) {
  EXPECT_EQ(ParseProfile(R"(<DeviceProfile version="1"/>)", "empty"), Profile{});
}

TEST(ProfileText, WhatItNamesOverridesTheRest) {
  const Profile profile = ParseProfile(R"(<DeviceProfile version="1">
      <Identity deviceId="0xABCDEF" softwareRevision="9"/>
      <FloatParameters><Parameter index="10" value="+20.5"/></FloatParameters>
      <ByteParameters><Parameter index="72" value="1"/></ByteParameters>
      <Dynamic x="-3.25"/>
      <Status deviceStatus="0x40" st1="0x01" actionState="31"/>
      <Tag>TV-101   </Tag>
    </DeviceProfile>)",
                                       "partial");
  Profile expected;
  expected.identity.device_id = 0xABCDEF;
  expected.identity.software_revision = 9;
  expected.floats[10] = 20.5f;
  expected.bytes[72] = 1;
  expected.dynamic.position = -3.25f;
  expected.device_status = 0x40;
  expected.status[1] = 0x01;
  expected.action_state = 31;
  expected.tag = "TV-101";  // trailing blanks are padding
  EXPECT_EQ(profile, expected);
}

TEST(ProfileText, MoreStatusBitIsNotStored) {
  EXPECT_EQ(
      ParseProfile(R"(<DeviceProfile version="1"><Status deviceStatus="0x90"/></DeviceProfile>)",
                   "status")
          .device_status,
      0x80);
}

struct DamagedCase {
  const char* name;
  const char* body;  // inside <DeviceProfile version="1">, unless it starts with '<?' or is a root
  const char* complaint;
};

const DamagedCase kDamaged[] = {
    {"NotWellFormed", "<Tag>4625_1</Tga>", "line 1"},
    {"UnknownElement", "<Colour/>", "unknown element <Colour>"},
    {"RepeatedElement", "<Tag>A</Tag><Tag>B</Tag>", "<Tag> appears twice"},
    {"UnknownAttribute", R"(<Identity colour="red"/>)", "unknown attribute colour"},
    {"AttributeOnTextElement", R"(<Tag lang="de">A</Tag>)", "unknown attribute lang"},
    {"ElementInsideText", "<Tag><B/></Tag>", "<Tag> holds elements"},
    {"CodeNotANumber", R"(<Identity manufacturerCode="VELDAR"/>)",
     "<Identity> manufacturerCode 'VELDAR' is no whole number"},
    {"CodeWithTrailingText", R"(<Identity deviceTypeCode="70a"/>)", "'70a' is no whole number"},
    {"CodeTooLarge", R"(<Identity manufacturerCode="256"/>)", "256 lies outside 0..255"},
    {"NegativeCode", R"(<Identity preambles="-1"/>)", "-1 lies outside 0..255"},
    {"DeviceIdTooLarge", R"(<Identity deviceId="0x1000000"/>)", "lies outside 0..16777215"},
    {"PollingAddressAbove15", "<PollingAddress>16</PollingAddress>", "16 lies outside 0..15"},
    {"EmptyNumber", "<FinalAssemblyNumber></FinalAssemblyNumber>", "'' is no whole number"},
    {"FinalAssemblyNumberTooLarge", "<FinalAssemblyNumber>16777216</FinalAssemblyNumber>",
     "lies outside 0..16777215"},
    {"WriteProtectTwo", "<WriteProtect>2</WriteProtect>", "2 lies outside 0..1"},
    {"TagTooLong", "<Tag>ABCDEFGHI</Tag>", "'ABCDEFGHI' is longer than 8 characters"},
    {"TagLowerCase", "<Tag>valve</Tag>", "'valve' holds a character that packed ASCII cannot"},
    {"DescriptorNotAscii", "<Descriptor>VENTIL \xC3\x84</Descriptor>", "packed ASCII cannot"},
    {"MessageTooLong", "<Message>ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456</Message>",
     "longer than 32 characters"},
    {"ProductNumberTooLong", "<ProductNumber>ABCDEFGHIJKLMNOPQ</ProductNumber>",
     "longer than 16 characters"},
    {"DateIso", "<Date>2025-05-12</Date>", "'2025-05-12' is no date dd.mm.yyyy"},
    {"DateNoCalendarDay", "<Date>31.02.2025</Date>", "'31.02.2025' is no date"},
    {"DateBefore1900", "<Date>31.12.1899</Date>", "is no date"},
    {"TextIndexFive", R"(<Texts><Text index="5">A</Text></Texts>)", "5 lies outside 0..4"},
    {"TextWithoutIndex", "<Texts><Text>A</Text></Texts>", "a <Text> has no index"},
    {"TextRepeated", R"(<Texts><Text index="1">A</Text><Text index="1">B</Text></Texts>)",
     "<Text index=\"1\"> appears twice"},
    {"TextsHoldOther", "<Texts><Line/></Texts>", "<Texts> holds <Line>, not <Text>"},
    {"FloatUnknownIndex", R"(<FloatParameters><Parameter index="7" value="1"/></FloatParameters>)",
     "<Parameter index=\"7\">: the device has no such float parameter"},
    {"FloatIndexOfTheByteTable",
     R"(<FloatParameters><Parameter index="72" value="1"/></FloatParameters>)",
     "no such float parameter"},
    {"FloatAboveRange", R"(<FloatParameters><Parameter index="10" value="256"/></FloatParameters>)",
     "<Parameter index=\"10\"> value 256 lies outside 0..255.9"},
    {"FloatBelowRange",
     R"(<FloatParameters><Parameter index="17" value="-20.5"/></FloatParameters>)",
     "-20.5 lies outside -20..99.9"},
    {"FloatWithComma", R"(<FloatParameters><Parameter index="10" value="1,5"/></FloatParameters>)",
     "'1,5' is no number"},
    {"FloatNotFinite", R"(<FloatParameters><Parameter index="10" value="nan"/></FloatParameters>)",
     "'nan' is no number"},
    {"FloatWithoutValue", R"(<FloatParameters><Parameter index="10"/></FloatParameters>)",
     "has no value"},
    {"FloatWithoutIndex", R"(<FloatParameters><Parameter value="1"/></FloatParameters>)",
     "has no index"},
    {"FloatRepeated",
     R"(<FloatParameters><Parameter index="10" value="1"/>)"
     R"(<Parameter index="10" value="2"/></FloatParameters>)",
     "<Parameter index=\"10\"> appears twice"},
    {"FloatRowMisnamed", R"(<FloatParameters><Value index="10" value="1"/></FloatParameters>)",
     "<FloatParameters> holds <Value>, not <Parameter>"},
    {"ByteUnknownIndex", R"(<ByteParameters><Parameter index="99" value="0"/></ByteParameters>)",
     "no such byte parameter"},
    {"ByteIndexOfTheFloatTable",
     R"(<ByteParameters><Parameter index="46" value="0"/></ByteParameters>)",
     "no such byte parameter"},
    {"ByteNotInTheList", R"(<ByteParameters><Parameter index="69" value="3"/></ByteParameters>)",
     "value 3 is none of 0, 1, 2, 4"},
    {"ByteAbove255", R"(<ByteParameters><Parameter index="69" value="300"/></ByteParameters>)",
     "300 lies outside 0..255"},
    {"DynamicOutOfRange", R"(<Dynamic wAnalog="30"/>)",
     "<Dynamic> wAnalog 30 lies outside 3.8..22"},
    {"DynamicUnknownValue", R"(<Dynamic opMode="1"/>)", "unknown attribute opMode"},
    {"OperatingStateSix", R"(<Dynamic opStat="6"/>)", "6 lies outside 0..5"},
    {"StatusByteTooLarge", R"(<Status st1="256"/>)", "256 lies outside 0..255"},
};

std::string Document(const char* body) {
  return std::string(R"(<DeviceProfile version="1">)") + body + "</DeviceProfile>";
}

class DamagedProfile : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedProfile, IsRefusedWithTheReason) {
  try {
    ParseProfile(Document(GetParam().body), "test.xml");
    FAIL() << "accepted";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 321);
    EXPECT_TRUE(std::string(error.what()).starts_with("device profile test.xml: ")) << error.what();
    EXPECT_NE(std::string(error.what()).find(GetParam().complaint), std::string::npos)
        << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedProfile, ::testing::ValuesIn(kDamaged),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(DamagedProfile, NamesTheLineOfTheElement) {
  try {
    ParseProfile("<DeviceProfile version=\"1\">\n  <Tag>A</Tag>\n\n  <Date>31.02.2025</Date>\n"
                 "</DeviceProfile>\n",
                 "test.xml");
    FAIL() << "accepted";
  } catch (const com::ComError& error) {
    EXPECT_STREQ(error.what(),
                 "device profile test.xml: line 4: <Date> '31.02.2025' is no date dd.mm.yyyy of "
                 "the years 1900..2155");
  }
}

struct RootCase {
  const char* name;
  const char* text;
  const char* complaint;
};

const RootCase kRoots[] = {
    {"OtherRoot", R"(<PropertyBag version="1"/>)", "the document element is not DeviceProfile"},
    {"NoVersion", "<DeviceProfile/>", "DeviceProfile version '(none)' is not known"},
    {"LaterVersion", R"(<DeviceProfile version="2"/>)", "DeviceProfile version '2' is not known"},
    {"RootAttribute", R"(<DeviceProfile version="1" model="4625"/>)", "unknown attribute model"},
    {"NoXmlAtAll", "VD4625", "line 1"},
};

class DamagedRoot : public ::testing::TestWithParam<RootCase> {};

TEST_P(DamagedRoot, IsRefusedWithTheReason) {
  try {
    ParseProfile(GetParam().text, "test.xml");
    FAIL() << "accepted";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 321);
    EXPECT_NE(std::string(error.what()).find(GetParam().complaint), std::string::npos)
        << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedRoot, ::testing::ValuesIn(kRoots),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(ProfileFile, MissingFileIsError53WithThePath) {
  dtm::testing::TempFolder folder;
  const std::filesystem::path file = folder.Path() / "absent.xml";
  try {
    LoadProfile(file);
    FAIL() << "loaded";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 53);
    EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos) << error.what();
  }
}

TEST(ProfileFile, DamagedFileIsNamedInTheMessage) {
  dtm::testing::TempFolder folder;
  const std::filesystem::path file = folder.Path() / "broken.xml";
  dtm::testing::WriteText(file, Document("<Tag>valve</Tag>"));
  try {
    LoadProfile(file);
    FAIL() << "loaded";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 321);
    EXPECT_TRUE(std::string(error.what()).starts_with("device profile " + file.string() + ": "))
        << error.what();
  }
}

TEST(ProfileFile, ReadsTheSameAsItsText) {
  dtm::testing::TempFolder folder;
  const std::filesystem::path file = folder.Path() / "copy.xml";
  dtm::testing::WriteText(file, dtm::testing::ReadText(DefaultProfilePath()));
  EXPECT_EQ(LoadProfile(file), ParseProfile(dtm::testing::ReadText(DefaultProfilePath()), "text"));
}

}  // namespace
}  // namespace dtm::device
