// HART responses read into the elements: the command families of the
// device's dictionary, every value type, masked bits and unit bytes, short
// responses, the response-code classes, command error texts, write
// protection, the busy series, the device status, float rounding and the
// response's monitor lines.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "component/common/language_helpers.h"
#include "component/common/registry_settings.h"
#include "platform/win/registry.h"
#include "tests/component/datamodel/hart_fixture.h"

namespace dtm::testing::hart {
namespace {

using namespace std::chrono_literals;

template <class Case>
  requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

using Values = std::vector<std::pair<std::string, com::Variant>>;

constexpr std::int32_t kYes = 6;
constexpr std::int32_t kNo = 7;
constexpr std::int32_t kBusyStyle = 52;

// The bits a response sets or clears: result class, "needed", communication error.
constexpr std::int32_t kAnswerBits = 0xFF0008;

// ---- The dictionary's command families ---------------------------------------

struct RowCase {
  const char* name;
  const char* path;
  bool write;
  Bytes data;
  Values expected;                  // DeviceValue and TransientValue afterwards
  std::vector<const char*> kept{};  // elements whose values the response leaves
};

const RowCase kRowCases[] = {
    {"UC000Group",
     "UC000/",
     false,
     {0xFE, 0xA5, 0x46, 0x05, 0x05, 0x01, 0x01, 0x00, 0x00, 0x12, 0x34, 0x56},
     {{"UC000/ManuId", std::uint8_t{0xA5}},
      {"UC000/DevId", std::uint8_t{0x46}},
      {"UC000/SerNum", std::int32_t{0x123456}}}},
    {"UC013GroupRead",
     "UC013/",
     false,
     {0x50, 0x11, 0xF1, 0x82, 0x08, 0x20,                                            // tag
      0x58, 0x13, 0x16, 0x16, 0x0D, 0xE0, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20,        // descriptor
      0x01, 0x02, 0x7B},                                                             // date
     {{"UC013/Tag", "TAG1"}, {"UC013/Descr", "VALVE 7"}, {"UC013/Date", com::Variant::Date(44958)}}},
    {"UC013GroupWriteEcho",
     "UC013/",
     true,
     {0xD3, 0x6C, 0xB5, 0x7F, 0x18, 0x20,
      0xB6, 0xFB, 0x60, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20,
      0x17, 0x06, 0x67},
     {{"UC013/Tag", "4625_1"}, {"UC013/Descr", "-/-"}, {"UC013/Date", com::Variant::Date(37795)}}},
    {"UC012Read",
     "UC012",
     false,
     {0x20, 0x53, 0x0C, 0x3E, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20,
      0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20},
     {{"UC012", "HELLO"}}},
    {"UC016Read", "UC016", false, {0x12, 0x34, 0x56}, {{"UC016", std::int32_t{0x123456}}}},
    {"UC019Echo", "UC016", true, {0x00, 0x00, 0x2A}, {{"UC016", std::int32_t{42}}}},
    {"SC135Read",
     "SC135",
     false,
     {0x40, 0xEB, 0x71, 0xCA, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20},
     {{"SC135", "PN-12"}}},
    {"SC138ReadTakesTheTextBehindTheIndex",
     "SC138T2",
     false,
     {0x01, 0x04, 0x28, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08,
      0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20},
     {{"SC138T2", "AB"}}},
    {"SC128GroupRecordsOfFiveBytes",
     "SC128Tr2/",
     false,
     {0x2E, 0x42, 0x28, 0x00, 0x00, 0x0A, 0x41, 0x48, 0x00, 0x00,
      0x0B, 0x3F, 0xC0, 0x00, 0x00, 0x0C, 0x40, 0x20, 0x00, 0x00},
     // The lever length is rounded to its format's decimals, as a Double.
     {{"SC128Tr2/Par1", 42.0}, {"SC128Tr2/Par2", 12.5f}, {"SC128Tr2/Par3", 1.5f},
      {"SC128Tr2/Par4", 2.5f}}},
    {"SC129Echo", "SC128Tr2/Par1", true, {0x2E, 0x41, 0x48, 0x00, 0x00},
     {{"SC128Tr2/Par1", 12.5}}},
    {"SC130GroupRecordsOfTwoBytes",
     "SC130Tr1/",
     false,
     {0x43, 0x00, 0x48, 0x01, 0x45, 0x02, 0x54, 0x01},
     {{"SC130Tr1/Par1", std::uint8_t{0}}, {"SC130Tr1/Par2", std::uint8_t{1}},
      {"SC130Tr1/Par3", std::uint8_t{2}}, {"SC130Tr1/Par4", std::uint8_t{1}}}},
    {"SC131Echo", "SC130Tr1/Par2", true, {0x48, 0x01}, {{"SC130Tr1/Par2", std::uint8_t{1}}}},
    {"SC130GroupReadLeavesTheOperatingMode",
     "SC130Tr8/",
     false,
     {0x53, 0x01, 0x41, 0x02, 0x41, 0x00, 0x41, 0x00},
     {{"SC130Tr8/Par1", std::uint8_t{1}}, {"SC130Tr8/Par3", std::uint8_t{0}},
      {"SC130Tr8/Par4", std::uint8_t{0}}},
     {"SC130Tr8/Par2"}},
    {"SC131EchoOfTheOperatingModeIsTaken", "SC130Tr8/Par2", true, {0x41, 0x02},
     {{"SC130Tr8/Par2", std::uint8_t{2}}}},
    {"SC132Echo", "SC132Inx2", true, {0x02}, {{"SC132Inx2", std::uint8_t{2}}}},
    {"SC133Echo", "SC133Inx1", true, {0x01}, {{"SC133Inx1", std::uint8_t{1}}}},
    {"SC134ReportsTheActionState", "SC134", true, {0xFE}, {{"SC134", std::uint8_t{254}}}},
    {"CC048GroupTakesBytesAndMaskedBits",
     "CC048/",
     false,
     {0x21, 0x52, 0x8D, 0x09},
     {{"CC048/St0", std::uint8_t{0x21}}, {"CC048/St1", std::uint8_t{0x52}},
      {"CC048/St2", std::uint8_t{0x8D}}, {"CC048/St3", std::uint8_t{0x09}},
      {"CC048/F10", std::uint8_t{1}},    {"CC048/F11", std::uint8_t{0}},
      {"CC048/F12", std::uint8_t{0}},    {"CC048/F13", std::uint8_t{0}},
      {"CC048/F14", std::uint8_t{0}},    {"CC048/F15", std::uint8_t{1}},
      {"CC048/F20", std::uint8_t{0}},    {"CC048/F21", std::uint8_t{1}},
      {"CC048/F22", std::uint8_t{0}},    {"CC048/F23", std::uint8_t{0}},
      {"CC048/F24", std::uint8_t{1}},    {"CC048/F26", std::uint8_t{1}},
      {"CC048/F30", std::uint8_t{1}},    {"CC048/F32", std::uint8_t{1}},
      {"CC048/F33", std::uint8_t{1}},    {"CC048/F34", std::uint8_t{0}},
      {"CC048/F35", std::uint8_t{0}},    {"CC048/F37", std::uint8_t{1}},
      {"CC048/F40", std::uint8_t{1}},    {"CC048/F43", std::uint8_t{1}}}},
    {"CC048GroupWriteTakesOnlyTheEchoedBytes",
     "CC048/",
     true,
     {0x01, 0x02, 0x03, 0x04},
     {{"CC048/St0", std::uint8_t{1}}, {"CC048/St1", std::uint8_t{2}},
      {"CC048/St2", std::uint8_t{3}}, {"CC048/St3", std::uint8_t{4}}},
     {"CC048/F10", "CC048/F21", "CC048/F43"}},
    {"SC136Group",
     "SC136/",
     false,
     {0x41, 0x40, 0x00, 0x00, 0x01, 0x42, 0x48, 0x00, 0x00, 0x40, 0x80, 0x00, 0x00, 0xC0, 0x00,
      0x00, 0x00, 0x42, 0x40, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x40, 0x20, 0x00, 0x00},
     {{"SC136/wAnalog", 12.0f},
      {"SC136/OpMode", std::uint8_t{1}},
      {"SC136/wDigit", 50.0f},
      {"SC136/wHand", 4.0f},
      {"SC136/e", -2.0f},
      {"SC136/x", 48.0f},
      {"SC136/FaultAl", std::uint8_t{0}},
      {"SC136/GW1", std::uint8_t{1}},
      {"SC136/GW2", std::uint8_t{0}},
      {"SC136/OpStat", std::uint8_t{2}},
      {"SC136/TotTravel", std::int32_t{2}}},  // a counter: 2.5 to even
     {"SC136FaultAl", "SC136GW1"}},            // not members
};

class RowResponse : public HartFixture, public ::testing::WithParamInterface<RowCase> {};

TEST_P(RowResponse, DecodesTheRowsPositions) {
  const RowCase& c = GetParam();
  for (const auto& [path, value] : c.expected) Element(path).PersistentValue = std::int16_t{9};
  for (const char* path : c.kept) {
    Element(path).TransientValue = std::int16_t{99};
    Element(path).DeviceValue = std::int16_t{99};
    Element(path).PersistentValue = std::int16_t{9};
  }
  ASSERT_TRUE(Respond(c.path, c.write, 0, c.data));
  for (const auto& [path, value] : c.expected) {
    SCOPED_TRACE(path);
    const clsDataElement& element = Element(path);
    EXPECT_EQ(element.TransientValue, value) << Show(element.TransientValue);
    EXPECT_EQ(element.DeviceValue, value) << Show(element.DeviceValue);
    EXPECT_TRUE(element.PersistentValue.IsEmpty());
    EXPECT_EQ(element.StatusFlags() & kAnswerBits, 0);
  }
  for (const char* path : c.kept) {
    SCOPED_TRACE(path);
    const clsDataElement& element = Element(path);
    EXPECT_EQ(element.TransientValue, com::Variant(std::int16_t{99}))
        << Show(element.TransientValue);
    EXPECT_EQ(element.DeviceValue, com::Variant(std::int16_t{99}));
    EXPECT_EQ(element.PersistentValue, com::Variant(std::int16_t{9}));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, RowResponse, ::testing::ValuesIn(kRowCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Every value type ---------------------------------------------------------

struct TypeCase {
  const char* name;
  std::int32_t value_type;
  std::int32_t length;
  bool packed;
  Bytes value_bytes;      // behind the index byte of the response
  com::Variant expected;  // Empty: nothing decodes (the value stays)
};

const TypeCase kTypeCases[] = {
    {"ByteArray", kVtBytes, 3, true, {0xDE, 0xAD, 0x01}, Bytes{0xDE, 0xAD, 0x01}},
    {"Byte", kVtUInt8, 1, true, {0xB7}, std::uint8_t{0xB7}},
    {"UInt16", kVtUInt16, 2, true, {0xBE, 0xEF}, std::int32_t{0xBEEF}},
    {"UInt24", kVtUInt24, 3, true, {0x12, 0x34, 0x56}, std::int32_t{0x123456}},
    {"Int16", kVtInt16, 2, true, {0xFF, 0xFE}, std::int16_t{-2}},
    {"Int24SignExtended", kVtInt24, 3, true, {0xFF, 0xFF, 0xFE}, std::int32_t{-2}},
    {"Int24Positive", kVtInt24, 3, true, {0x7F, 0xFF, 0xFF}, std::int32_t{0x7FFFFF}},
    {"Int32", kVtInt32, 4, true, {0xFF, 0xFE, 0x79, 0x60}, std::int32_t{-100000}},
    {"Single", kVtSingle, 4, true, {0x3F, 0xC0, 0x00, 0x00}, 1.5f},
    {"BooleanStaysAByte", kVtBoolean, 1, true, {0x01}, std::uint8_t{1}},
    {"Date", kVtDate, 8, true, {0x17, 0x06, 0x67}, com::Variant::Date(37795)},
    {"PackedTextWithoutTrailingBlanks", kVtText, 8, true, {0x04, 0x28, 0x20, 0x82, 0x08, 0x20},
     "AB"},
    {"PlainTextWithoutTrailingBlanks", kVtText, 4, false, {0x48, 0x69, 0x20, 0x20}, "Hi"},
    {"Enumeration", kVtEnum, 4, true, {0xB2, 0xD0, 0x5E, 0x00}, 3000000000.0},
    {"NoType", kVtNone, 0, true, {0x01, 0x02, 0x03, 0x04}, com::Variant()},
    {"Double", kVtDouble, 8, true, {0x01, 0x02, 0x03, 0x04}, com::Variant()},
    {"Date12", kVtDate12, 8, true, {0x01, 0x02, 0x03, 0x04}, com::Variant()},
    {"Date13", kVtDate13, 17, true, {0x01, 0x02, 0x03, 0x04}, com::Variant()},
    {"Decimal", kVtDecimal, 8, true, {0x01, 0x02, 0x03, 0x04}, com::Variant()},
};

class ProbeResponse : public HartFixture {
 protected:
  static Bytes Behind(std::uint8_t first, const Bytes& rest) {
    Bytes data{first};
    data.insert(data.end(), rest.begin(), rest.end());
    return data;
  }
};

class TypeResponse : public ProbeResponse, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TypeResponse, ReadDecodesTheValue) {
  const TypeCase& c = GetParam();
  clsDataElement& element = Probe(c.value_type, c.length);
  element.bPackedCoding = c.packed;
  ASSERT_TRUE(Respond("T/Probe", false, 0, Behind(0x07, c.value_bytes)));
  if (c.expected.IsEmpty()) {
    EXPECT_EQ(element.TransientValue, com::Variant("before"));
    EXPECT_EQ(element.DeviceValue, com::Variant("device"));
    EXPECT_EQ(element.PersistentValue, com::Variant("stored"));
    EXPECT_EQ(element.StatusFlags() & kAnswerBits, 0x500000);
  } else {
    EXPECT_EQ(element.TransientValue, c.expected) << Show(element.TransientValue);
    EXPECT_EQ(element.DeviceValue, c.expected) << Show(element.DeviceValue);
    EXPECT_TRUE(element.PersistentValue.IsEmpty());
    EXPECT_EQ(element.StatusFlags() & kAnswerBits, 0);
  }
}

TEST_P(TypeResponse, WriteTakesTheEcho) {
  const TypeCase& c = GetParam();
  clsDataElement& element = Probe(c.value_type, c.length);
  element.bPackedCoding = c.packed;
  element.ReadResponsePosition = -1;
  ASSERT_TRUE(Respond("T/Probe", true, 0, Behind(0x07, c.value_bytes)));
  EXPECT_EQ(element.DeviceValue, c.expected.IsEmpty() ? com::Variant("device") : c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, TypeResponse, ::testing::ValuesIn(kTypeCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ProbeResponse, MaskedByteTakesItsBitsDownToBitZero) {
  struct Case {
    const char* name;
    std::uint8_t mask, byte, value;
  };
  const Case cases[] = {
      {"TwoBitsInTheMiddle", 0x30, 0xB7, 3}, {"LowestBitClear", 0x01, 0xFE, 0},
      {"TopBit", 0x80, 0x80, 1},             {"TwoLowBitsOfAFullByte", 0x0C, 0xFF, 3},
      {"HighNibble", 0xF0, 0x5A, 5},         {"WholeByte", 0xFF, 0xB7, 0xB7},
      {"MaskZero", 0x00, 0xFF, 0},
  };
  clsDataElement& element = Probe(kVtUInt8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    element.AccessMask = c.mask;
    ASSERT_TRUE(Respond("T/Probe", false, 0, Bytes{0x07, c.byte}));
    EXPECT_EQ(element.TransientValue, com::Variant(c.value)) << Show(element.TransientValue);
  }
}

TEST_F(ProbeResponse, UnitByte) {
  struct Case {
    const char* name;
    bool write;
    std::int16_t read_unit, write_unit;
    Bytes data;
    std::uint8_t unit;
  };
  const Case cases[] = {
      {"ReadTakesTheUnit", false, 0, -1, {0x31, 0x05}, 0x31},
      {"ZeroLeavesTheUnit", false, 0, -1, {0x00, 0x05}, 0x0C},
      {"WriteTakesItsOwnPosition", true, 0, 2, {0x31, 0x05, 0x27}, 0x27},
      {"ReadIgnoresTheWritePosition", false, -1, 0, {0x31, 0x05}, 0x0C},
  };
  clsDataElement& element = Probe(kVtUInt8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    element.nUnit = 0x0C;
    element.ReadUnitResponsePosition = c.read_unit;
    element.WriteUnitResponsePosition = c.write_unit;
    ASSERT_TRUE(Respond("T/Probe", c.write, 0, c.data));
    EXPECT_EQ(element.nUnit, c.unit);
    EXPECT_EQ(element.DeviceValue, com::Variant(std::uint8_t{5}));
  }
}

// The unit is taken even where the value is not.
TEST_F(ProbeResponse, UnitWithoutValue) {
  struct Case {
    const char* name;
    bool ignore_update;
    std::int16_t value_position;
  };
  const Case cases[] = {{"IgnoreUpdate", true, 1}, {"NoValuePosition", false, -1}};
  clsDataElement& element = Probe(kVtUInt8);
  element.ReadUnitResponsePosition = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    element.nUnit = 0x0C;
    element.IgnoreUpdate = c.ignore_update;
    element.ReadResponsePosition = c.value_position;
    ASSERT_TRUE(Respond("T/Probe", false, 0, Bytes{0x31, 0x05}));
    EXPECT_EQ(element.nUnit, 0x31);
    EXPECT_EQ(element.TransientValue, com::Variant("before"));
    EXPECT_EQ(element.DeviceValue, com::Variant("device"));
    EXPECT_EQ(element.PersistentValue, com::Variant("stored"));
    EXPECT_EQ(element.StatusFlags() & kAnswerBits, 0);
  }
}

TEST_F(ProbeResponse, ReadOfTheOperatingModeTakesOnlyItsUnit) {
  clsDataElement& mode = Element("SC130Tr8/Par2");
  mode.ReadUnitResponsePosition = 0;
  mode.TransientValue = std::int16_t{1};
  ASSERT_TRUE(Respond("SC130Tr8/Par2", false, 0, Bytes{0x31, 0x00, 0x41, 0x02}));
  EXPECT_EQ(mode.nUnit, 0x31);
  EXPECT_EQ(mode.TransientValue, com::Variant(std::int16_t{1}));
}

// ---- Short responses --------------------------------------------------------

TEST_F(ProbeResponse, TooFewBytesGiveClass5) {
  struct Case {
    const char* name;
    const char* path;
    std::optional<Bytes> data;
    Values kept;     // values that stay and get the class
    Values decoded;  // values taken in the same response
  };
  Probe();
  const Case cases[] = {
      {"SingleValueCut", "UC016", Bytes{0x12, 0x34}, {{"UC016", std::int32_t{77}}}, {}},
      {"NoDataAtAll", "T/Probe", std::nullopt, {{"T/Probe", "kept"}}, {}},
      {"GroupWithTwoOfFourRecords",
       "SC128Tr2/",
       Bytes{0x2E, 0x42, 0x28, 0x00, 0x00, 0x0A, 0x41, 0x48, 0x00, 0x00},
       {{"SC128Tr2/Par3", 77.0f}, {"SC128Tr2/Par4", 77.0f}},
       {{"SC128Tr2/Par1", 42.0}, {"SC128Tr2/Par2", 12.5f}}},
      {"PackedTextCut", "UC012", Bytes(23, 0x82), {{"UC012", "kept"}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [path, value] : c.kept) Element(path).TransientValue = value;
    ASSERT_TRUE(Respond(c.path, false, 0, c.data));
    for (const auto& [path, value] : c.kept) {
      EXPECT_EQ(Element(path).TransientValue, value) << path;
      EXPECT_EQ(Element(path).StatusFlags() & kAnswerBits, 0x500000) << path;
    }
    for (const auto& [path, value] : c.decoded) {
      EXPECT_EQ(Element(path).TransientValue, value) << path;
      EXPECT_EQ(Element(path).StatusFlags() & kAnswerBits, 0) << path;
    }
  }
}

TEST_F(ProbeResponse, UnreadableUnitFailsTheDecoding) {
  clsDataElement& element = Probe(kVtUInt8);
  element.ReadUnitResponsePosition = 4;
  element.nUnit = 0x0C;
  ASSERT_TRUE(Respond("T/Probe", false, 0, Bytes{0x07, 0x05}));
  EXPECT_EQ(element.nUnit, 0x0C);
  EXPECT_EQ(element.TransientValue, com::Variant("before"));
  EXPECT_EQ(element.StatusFlags() & kAnswerBits, 0x500000);
}

// ---- No answer --------------------------------------------------------------

TEST_F(ProbeResponse, WithoutCommandOrResponseCodeNothingChanges) {
  struct Case {
    const char* name;
    bool write;
    bool command, response_code;
    const char* line;
  };
  const Case cases[] = {
      {"ReadWithoutCode", false, true, false, "=== Upload error ==="},
      {"WriteWithoutCode", true, true, false, "=== Download error ==="},
      {"ReadWithoutCommand", false, false, true, "=== Upload error ==="},
  };
  clsDataElement& element = Probe(kVtUInt8);
  element.SetStatusFlags(0x10008);
  element.CmdErr = "old";
  OpenMonitor();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    monitor_->Clear();
    notices_->notices.clear();
    auto transaction = Answered(200, 0, 0x40, Bytes{0x07, 0x05});
    if (!c.command) transaction->Command = com::Variant();
    if (!c.response_code) transaction->ResponseCode = com::Variant();
    EXPECT_FALSE(Respond("T/Probe", c.write, *transaction));
    EXPECT_EQ(MonitorLines(), (Lines{"", c.line}));
    EXPECT_EQ(element.TransientValue, com::Variant("before"));
    EXPECT_EQ(element.StatusFlags(), 0x10008);
    EXPECT_EQ(element.CmdErr, "old");
    EXPECT_EQ(notices_->notices, std::vector<std::string>{});
  }
}

// ---- Marks an answer clears -------------------------------------------------------

// The status flags of an element before and after the device answered it.
// Any answer clears the communication-error field 0xF0000 (a line failure
// 0x10000 as much as the whole field a page set), the result class of the
// last transaction and the bit 0x8; the answer's own class takes their place.
struct ClearCase {
  const char* name;
  std::int32_t before;
  std::uint8_t code;
  std::int32_t after;
};

const ClearCase kClearCases[] = {
    {"Clean", 0x000000, 0x00, 0x000000},
    {"LineFailure", 0x010000, 0x00, 0x000000},
    {"PageMarkedCommError", 0x0F0000, 0x00, 0x000000},
    {"HigherCommErrorBits", 0x0E0000, 0x00, 0x000000},
    {"EarlierResultClass", 0x700000, 0x00, 0x000000},
    {"Bit8", 0x000008, 0x00, 0x000000},
    {"EveryMarkAtOnce", 0xFF0008, 0x00, 0x000000},
    {"OtherBitsStay", 0x0F0092, 0x00, 0x000092},
    {"RefusalReplacesTheCommError", 0x0F0008, 0x07, 0x300000},
    {"UndefinedCodeStillClears", 0x0F0000, 0x01, 0xF00000},
};

class AnswerClearsMarks : public HartFixture, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(AnswerClearsMarks, LeavesTheAnswersClassOnly) {
  const ClearCase& c = GetParam();
  Probe().SetStatusFlags(c.before);
  ASSERT_TRUE(Respond("T/Probe", false, c.code, Bytes{0x07, 0x01}));
  EXPECT_EQ(Element("T/Probe").StatusFlags(), c.after);
}

INSTANTIATE_TEST_SUITE_P(Table, AnswerClearsMarks, ::testing::ValuesIn(kClearCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Response codes --------------------------------------------------------------

struct CodeCase {
  const char* name;
  std::uint8_t code;
  std::int32_t result_class;
  bool decoded;    // the value was read (neither flagged nor a pending retry)
  bool dev_state;  // "DevState" took the status byte (not flagged)
  bool busy_mark;  // "  (Busy)" on the status line
};

const CodeCase kCodeCases[] = {
    {"Success", 0x00, 0x000000, true, true, false},
    {"Undefined1", 0x01, 0xF00000, true, true, false},
    {"InvalidSelection", 0x02, 0x400000, false, false, false},
    {"TooLarge", 0x03, 0x400000, false, false, false},
    {"TooSmall", 0x04, 0x400000, false, false, false},
    {"TooFewDataBytes", 0x05, 0x500000, false, false, false},
    {"DeviceSpecific", 0x06, 0x600000, false, false, false},
    {"WriteProtected", 0x07, 0x300000, false, false, false},
    {"Code8", 0x08, 0x700000, false, false, false},
    {"Code15", 0x0F, 0x700000, false, false, false},
    {"AccessRestricted", 0x10, 0x300000, false, false, false},
    {"Undefined17", 0x11, 0xF00000, true, true, false},
    {"Undefined31", 0x1F, 0xF00000, true, true, false},
    {"BusyIsRetriedSilently", 0x20, 0x000000, false, true, true},
    {"Undefined33", 0x21, 0xF00000, true, true, true},
    {"Undefined63", 0x3F, 0xF00000, true, true, true},
    {"NotImplemented", 0x40, 0x100000, false, false, false},
    {"Undefined65", 0x41, 0xF00000, true, true, false},
    {"Code96ShownBusyButUndefined", 0x60, 0xF00000, true, true, true},
    {"Undefined127", 0x7F, 0xF00000, true, true, true},
    {"TopBitSuccess", 0x80, 0x000000, true, true, false},
    {"TopBitInvalidSelection", 0x82, 0x400000, false, false, false},
    {"TopBitBusy", 0xA0, 0x000000, false, true, true},
    {"TopBitNotImplemented", 0xC0, 0x100000, false, false, false},
};

class CodeResponse : public HartFixture, public ::testing::WithParamInterface<CodeCase> {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    clsDataElement& element = Probe();
    // Left by an earlier transaction: its class, "needed", a line failure.
    element.SetStatusFlags(0x92 | 0x700000 | 0x10000 | 0x8);
    clsDataElement& state = Element("DevState");
    state.TransientValue = std::uint8_t{0};
    state.DeviceValue = std::uint8_t{0};
  }
};

TEST_P(CodeResponse, ClassifiesIntoTheStatusFlags) {
  const CodeCase& c = GetParam();
  ASSERT_TRUE(Respond("T/Probe", false, c.code, Bytes{0x07, 0x01}, 0x40));
  const clsDataElement& element = Element("T/Probe");
  EXPECT_EQ(element.StatusFlags(), 0x92 | c.result_class);
  EXPECT_EQ(element.TransientValue,
            c.decoded ? com::Variant(std::uint8_t{1}) : com::Variant("before"));
  EXPECT_EQ(element.DeviceStatus, 0x40);
  EXPECT_EQ(Element("DevState").TransientValue,
            com::Variant(static_cast<std::uint8_t>(c.dev_state ? 0x40 : 0x00)));
}

TEST_P(CodeResponse, StatusLineShowsCodeAndDeviceStatus) {
  const CodeCase& c = GetParam();
  OpenMonitor();
  ASSERT_TRUE(Respond("T/Probe", false, c.code, Bytes{0x07, 0x01}, 0x40));
  char expected[40];
  std::snprintf(expected, sizeof expected, "     Status:  %02X 40%s", c.code,
                c.busy_mark ? "  (Busy)" : "");
  ASSERT_FALSE(monitor_->Lines().empty());
  EXPECT_EQ(monitor_->Lines().front(), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CodeResponse, ::testing::ValuesIn(kCodeCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Command error texts ------------------------------------------------------

class CommandErrors : public HartFixture {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    Element("~/Tag").CmdErrList = "1:Common undefined|2:Common selection|3:Common too large";
    Probe().CmdErrList = "6:Own failure|130:Own with top bit";
  }
};

TEST_F(CommandErrors, FromTheElementOrTheCommonList) {
  struct Case {
    const char* name;
    std::uint8_t code;
    const char* text;
  };
  const Case cases[] = {
      {"ElementsOwnText", 0x06, "Own failure"},
      {"CommonText", 0x02, "Common selection"},
      {"UnflaggedClassHasAText", 0x01, "Common undefined"},
      {"CodeIsNotMasked", 0x82, "Own with top bit"},
      {"NoTextAnywhere", 0x40, ""},
      {"SuccessClearsIt", 0x00, ""},
  };
  clsDataElement& element = Element("T/Probe");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    element.CmdErr = "old";
    ASSERT_TRUE(Respond("T/Probe", false, c.code, Bytes{0x07, 0x01}));
    EXPECT_EQ(element.CmdErr, c.text);
  }
}

TEST_F(CommandErrors, GroupMembersTakeTheGroupsText) {
  Element("SC130Tr1/").CmdErrList = "3:Group too large";
  const std::int32_t group_flags = Element("SC130Tr1/").StatusFlags();
  ASSERT_TRUE(Respond("SC130Tr1/", false, 0x03, Bytes{0x43, 0x00, 0x48, 0x01, 0x45, 0x02, 0x54, 0x01}));
  for (const char* path : {"SC130Tr1/Par1", "SC130Tr1/Par2", "SC130Tr1/Par3", "SC130Tr1/Par4"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Element(path).CmdErr, "Group too large");
    EXPECT_EQ(Element(path).StatusFlags() & kAnswerBits, 0x400000);
  }
  EXPECT_EQ(Element("SC130Tr1/").CmdErr, "Group too large");
  EXPECT_EQ(Element("SC130Tr1/").StatusFlags(), group_flags);
}

TEST_F(CommandErrors, GroupWithoutOwnTextUsesTheCommonList) {
  ASSERT_TRUE(Respond("SC130Tr1/", false, 0x03, Bytes{}));
  EXPECT_EQ(Element("SC130Tr1/Par3").CmdErr, "Common too large");
}

// ---- The answered element's flags -------------------------------------------------

TEST_F(ProbeResponse, AnAnswerClearsTheLineFailureNeededAndOldClass) {
  struct Case {
    const char* name;
    std::uint8_t code;
    std::int32_t flags;
  };
  const Case cases[] = {
      {"Success", 0x00, 0x92},
      {"FlaggedClass", 0x02, 0x92 | 0x400000},
  };
  Add("T/", kVtNone).HARTParamReadCommand = 200;
  clsDataElement& element = Probe(kVtUInt8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* path : {"T/Probe", "T/"}) {
      SCOPED_TRACE(path);
      element.SetStatusFlags(0x92 | 0x30000 | 0x500000 | 0x8);
      ASSERT_TRUE(Respond(path, false, c.code, Bytes{0x07, 0x05}));
      EXPECT_EQ(element.StatusFlags(), c.flags);
    }
  }
}

TEST_F(ProbeResponse, OnlyMembersOfTheCommandAreRead) {
  Add("T/", kVtNone).HARTParamWriteCommand = 201;
  clsDataElement& probe = Probe(kVtUInt8);
  clsDataElement& other = Add("T/Other", kVtUInt8);
  other.HARTParamWriteCommand = 202;
  other.WriteResponsePosition = 0;
  other.TransientValue = "other";
  other.SetStatusFlags(0x10008);
  ASSERT_TRUE(Respond("T/", true, 0, Bytes{0x07, 0x05}));
  EXPECT_EQ(probe.TransientValue, com::Variant(std::uint8_t{5}));
  EXPECT_EQ(other.TransientValue, com::Variant("other"));
  EXPECT_EQ(other.StatusFlags(), 0x10008);
  const auto& notices = notices_->notices;
  EXPECT_EQ(std::count(notices.begin(), notices.end(), "T/Probe"), 1);
  EXPECT_EQ(std::count(notices.begin(), notices.end(), "T/Other"), 0);
}

// ---- Write protection ---------------------------------------------------------

TEST_F(CommandErrors, WriteProtectionIsShownForEveryResponse) {
  struct Case {
    const char* name;
    std::int32_t language;
    const char* text;
  };
  const Case cases[] = {
      {"German", 1031, "Das Gerät ist schreibgeschützt: Der Parameter wurde nicht geschrieben."},
      {"English", 1033, "The device is write-protected: the parameter was not written."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(dtm_->IDtm_SetLanguage(c.language));
    messages_.entries.clear();
    ASSERT_TRUE(Respond("T/Probe", true, 0x07, Bytes{0x07, 0x01}));
    ASSERT_TRUE(Respond("SC128Tr2/Par1", true, 0x07, Bytes{0x2E, 0x41, 0x48, 0x00, 0x00}));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
      EXPECT_EQ(box.text, c.text);
      EXPECT_EQ(box.style, 16);
    }
    EXPECT_TRUE(Context().CommMan().WriteProtected());
    EXPECT_EQ(Element("T/Probe").StatusFlags() & kAnswerBits, 0x300000);
  }
}

TEST_F(CommandErrors, AccessRestrictedIsNoWriteProtection) {
  ASSERT_TRUE(Respond("T/Probe", true, 0x10, Bytes{0x07, 0x01}));
  EXPECT_EQ(Boxes().size(), 0u);
  EXPECT_FALSE(Context().CommMan().WriteProtected());
}

// ---- The busy series ---------------------------------------------------------

// Busy replies on the virtual clock.
class BusySeries : public HartFixture {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    Probe();
  }
  // The element's result class after a reply at `at` (from the start).
  std::int32_t ReplyAt(loop::Clock::Duration at, std::uint8_t code = 0x20,
                       clsDataModel* model = nullptr) {
    clock_.WaitUntil(loop::Clock::TimePoint{} + at);
    const auto transaction = Answered(200, code, 0, Bytes{0x07, 0x01});
    EXPECT_TRUE((model ? *model : Model())
                    .IPrivateDataModel_ReadTransactionResponse(Context(), *transaction, false,
                                                               Ptr("T/Probe")));
    return Element("T/Probe").StatusFlags() & 0xF00000;
  }
  std::size_t Questions() const {
    std::size_t count = 0;
    for (const auto& box : Boxes()) {
      if (box.style == kBusyStyle && box.text == "The device is busy.") ++count;
    }
    return count;
  }
  void English() { ASSERT_TRUE(dtm_->IDtm_SetLanguage(1033)); }
};

TEST_F(BusySeries, SilentInsideTheWindowThenTheQuestion) {
  English();
  messages_.answers = {kNo};
  EXPECT_EQ(ReplyAt(0s), 0);
  EXPECT_EQ(ReplyAt(5s), 0);
  EXPECT_EQ(ReplyAt(9s), 0);
  EXPECT_EQ(Questions(), 0u);
  EXPECT_EQ(ReplyAt(10s), 0x200000);
  EXPECT_EQ(Questions(), 1u);
  EXPECT_EQ(Element("T/Probe").TransientValue, com::Variant("before"));
  // No ended the series: the next busy reply opens a new window.
  EXPECT_EQ(ReplyAt(11s), 0);
  EXPECT_EQ(ReplyAt(20s), 0);
  EXPECT_EQ(Questions(), 1u);
  EXPECT_EQ(ReplyAt(21s), 0x200000);
  EXPECT_EQ(Questions(), 2u);
}

TEST_F(BusySeries, YesOpensANewWindow) {
  English();
  messages_.answers = {kYes, kNo};
  EXPECT_EQ(ReplyAt(0s), 0);
  EXPECT_EQ(ReplyAt(10s), 0x200000);
  EXPECT_EQ(ReplyAt(19s), 0);
  EXPECT_EQ(Questions(), 1u);
  EXPECT_EQ(ReplyAt(20s), 0x200000);
  EXPECT_EQ(Questions(), 2u);
}

TEST_F(BusySeries, AnyOtherReplyEndsTheSeries) {
  English();
  EXPECT_EQ(ReplyAt(0s), 0);
  EXPECT_EQ(ReplyAt(5s, 0x00), 0);
  EXPECT_EQ(Element("T/Probe").TransientValue, com::Variant(std::uint8_t{1}));
  EXPECT_EQ(ReplyAt(12s), 0);
  EXPECT_EQ(ReplyAt(21s), 0);
  EXPECT_EQ(ReplyAt(22s, 0x02), 0x400000);
  EXPECT_EQ(ReplyAt(30s), 0);
  EXPECT_EQ(Questions(), 0u);
}

TEST_F(BusySeries, TopBitBusyBelongsToTheSeries) {
  English();
  messages_.answers = {kNo};
  EXPECT_EQ(ReplyAt(0s, 0xA0), 0);
  EXPECT_EQ(ReplyAt(10s, 0x20), 0x200000);
  EXPECT_EQ(Questions(), 1u);
}

TEST_F(BusySeries, TheWindowIsMeasuredNotReadFromTheTimeOfDay) {
  English();
  using namespace std::chrono;
  clock_.SetWallOrigin(sys_days{year{2026} / 3 / 4} + 23h + 59min + 55s);
  EXPECT_EQ(ReplyAt(0s), 0);
  EXPECT_EQ(ReplyAt(9s), 0);
  EXPECT_EQ(Questions(), 0u);
}

TEST_F(BusySeries, CountedWithoutAQuestionDuringAWholeTransfer) {
  English();
  dtm_->SetUpDownloadAll(true);
  EXPECT_EQ(ReplyAt(0s), 0);
  EXPECT_EQ(ReplyAt(9s), 0);
  EXPECT_EQ(dtm_->ParamBusyCounter(), 0);
  EXPECT_EQ(ReplyAt(10s), 0x200000);
  EXPECT_EQ(dtm_->ParamBusyCounter(), 1);
  // The series goes on: every further busy reply counts at once.
  EXPECT_EQ(ReplyAt(10500ms), 0x200000);
  EXPECT_EQ(dtm_->ParamBusyCounter(), 2);
  EXPECT_EQ(Questions(), 0u);
  EXPECT_EQ(Boxes().size(), 0u);
  // Another reply ends the series; the count stays for the process end.
  EXPECT_EQ(ReplyAt(11s, 0x00), 0);
  EXPECT_EQ(ReplyAt(12s), 0);
  EXPECT_EQ(dtm_->ParamBusyCounter(), 2);
}

struct WindowCase {
  const char* name;
  std::optional<std::string> setting;  // nullopt: no value in the registry
  std::int64_t seconds;
};

const WindowCase kWindowCases[] = {
    {"Missing", std::nullopt, 10}, {"Thirty", "30", 30}, {"SixtyIsTooLong", "60", 10},
    {"Zero", "0", 10},             {"NoNumber", "abc", 10}, {"Empty", "", 10},
    {"FiftyNine", "59", 59},       {"One", "1", 1},      {"NegativeAsksAtOnce", "-5", 0},
};

class BusyWindow : public BusySeries, public ::testing::WithParamInterface<WindowCase> {
 protected:
  // A data model made after the setting was written.
  std::shared_ptr<clsDataModel> ModelWithSetting() {
    if (GetParam().setting) {
      EXPECT_EQ(registry_.SetValue(win::kHkeyLocalMachine, Registry::kRegistryPath,
                                   win::StringValue("BusyWait", *GetParam().setting)),
                win::kErrorSuccess);
    }
    return std::make_shared<clsDataModel>(services_);
  }
};

TEST_P(BusyWindow, FromTheRegistry) {
  EXPECT_EQ(ModelWithSetting()->BusyWait(), std::chrono::seconds(GetParam().seconds));
}

TEST_P(BusyWindow, SilentUntilItEnds) {
  English();
  messages_.answers = {kNo};
  const auto model = ModelWithSetting();
  const auto window = std::chrono::seconds(GetParam().seconds);
  if (window > 0s) {
    EXPECT_EQ(ReplyAt(0s, 0x20, model.get()), 0);
    EXPECT_EQ(ReplyAt(window - 1ms, 0x20, model.get()), 0);
    EXPECT_EQ(Questions(), 0u);
  }
  EXPECT_EQ(ReplyAt(window, 0x20, model.get()), 0x200000);
  EXPECT_EQ(Questions(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, BusyWindow, ::testing::ValuesIn(kWindowCases),
                         [](const auto& i) { return std::string(i.param.name); });

// Whole transactions through the channel: a retry is the same request again.
class BusyTransfer : public BusySeries {
 protected:
  // The device is busy for its first `busy` answers, then answers the read.
  void Device(std::size_t busy, loop::Clock::Duration latency) {
    ConnectDevice(
        [this, busy](const runtime::HartRequest& request) {
          ++answered_;
          requests_.push_back(request.data);
          if (answered_ <= busy) return Reply(request.command, 0x20);
          return Reply(request.command, 0x00, {0x07, 0x01});
        },
        latency);
  }
  std::size_t answered_ = 0;
  std::vector<Bytes> requests_;
};

TEST_F(BusyTransfer, SilentRetriesRepeatTheRequest) {
  English();
  Device(2, 0s);
  EXPECT_EQ(Transfer("T/Probe", false), std::vector<std::int32_t>{0});
  EXPECT_EQ(TransactionRequests(), 3u);
  EXPECT_EQ(requests_, (std::vector<Bytes>{{0x07}, {0x07}, {0x07}}));
  EXPECT_EQ(Element("T/Probe").TransientValue, com::Variant(std::uint8_t{1}));
  EXPECT_EQ(Questions(), 0u);
}

TEST_F(BusyTransfer, AfterTheWindowTheUserDecides) {
  English();
  messages_.answers = {kYes, kNo};
  // Answers at 4, 8, 12 s are retried silently, 16 s asks (Yes), 20 and 24 s
  // are silent again, 28 s asks (No).
  Device(100, 4s);
  EXPECT_EQ(Transfer("T/Probe", false), std::vector<std::int32_t>{0});
  EXPECT_EQ(TransactionRequests(), 7u);
  EXPECT_EQ(Questions(), 2u);
  EXPECT_EQ(Element("T/Probe").StatusFlags() & 0xF00000, 0x200000);
}

TEST_F(BusyTransfer, AWholeTransferCountsInsteadOfRetrying) {
  English();
  dtm_->SetUpDownloadAll(true);
  Device(100, 4s);
  EXPECT_EQ(Transfer("T/Probe", false), std::vector<std::int32_t>{0});
  EXPECT_EQ(TransactionRequests(), 4u);
  EXPECT_EQ(Questions(), 0u);
  EXPECT_EQ(dtm_->ParamBusyCounter(), 1);
}

TEST_F(BusyTransfer, NegativeWindowAsksAtTheFirstBusyReply) {
  English();
  ASSERT_EQ(registry_.SetValue(win::kHkeyLocalMachine, Registry::kRegistryPath,
                               win::StringValue("BusyWait", "-5")),
            win::kErrorSuccess);
  // The instance's data model reads the setting when it is made.
  std::shared_ptr<com::ClassFactory> factory;
  ASSERT_EQ(library_.DllGetClassObject(Library::Classes()[0].clsid, factory), com::kSOk);
  dtm_ = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
  SetUpInstance();
  Probe();
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(1033));
  messages_.answers = {kNo};
  Device(100, 0s);
  EXPECT_EQ(Transfer("T/Probe", false), std::vector<std::int32_t>{0});
  EXPECT_EQ(TransactionRequests(), 1u);
  EXPECT_EQ(Questions(), 1u);
}

// ---- Device status --------------------------------------------------------------

class DeviceState : public HartFixture {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    clsDataElement& state = Element("DevState");
    state.TransientValue = std::uint8_t{0};
    state.DeviceValue = std::uint8_t{0};
    state.PersistentValue = com::Variant();
    state.SetStatusFlags(0x1);
    Probe();
  }
  // Answers a read of the probe; whether "DevState" was announced.
  bool Answer(std::uint8_t code, std::uint8_t device_status) {
    notices_->notices.clear();
    EXPECT_TRUE(Respond("T/Probe", false, code, Bytes{0x07, 0x01}, device_status));
    return std::count(notices_->notices.begin(), notices_->notices.end(), "DevState") == 1;
  }
  clsDataElement& State() { return Element("DevState"); }
};

TEST_F(DeviceState, TakesTheStatusByteOnce) {
  EXPECT_TRUE(Answer(0x00, 0x40));
  EXPECT_EQ(State().TransientValue, com::Variant(std::uint8_t{0x40}));
  EXPECT_EQ(State().DeviceValue, com::Variant(std::uint8_t{0x40}));
  EXPECT_EQ(State().StatusFlags(), 0x1);
  EXPECT_FALSE(Answer(0x00, 0x40));
  EXPECT_TRUE(Answer(0x00, 0x41));
  EXPECT_EQ(State().TransientValue, com::Variant(std::uint8_t{0x41}));
}

TEST_F(DeviceState, UpdatesWhenAnyPartDiffers) {
  struct Case {
    const char* name;
    com::Variant transient, device, persistent;
  };
  const Case cases[] = {
      {"TransientEmpty", com::Variant(), std::uint8_t{0x40}, com::Variant()},
      {"TransientOther", std::int16_t{3}, std::uint8_t{0x40}, com::Variant()},
      {"DeviceEmpty", std::uint8_t{0x40}, com::Variant(), com::Variant()},
      {"DeviceOther", std::uint8_t{0x40}, std::int16_t{3}, com::Variant()},
      {"StoredValue", std::uint8_t{0x40}, std::uint8_t{0x40}, std::int16_t{0x40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    State().TransientValue = c.transient;
    State().DeviceValue = c.device;
    State().PersistentValue = c.persistent;
    EXPECT_TRUE(Answer(0x00, 0x40));
    EXPECT_EQ(State().TransientValue, com::Variant(std::uint8_t{0x40}));
    EXPECT_EQ(State().DeviceValue, com::Variant(std::uint8_t{0x40}));
    EXPECT_TRUE(State().PersistentValue.IsEmpty());
  }
}

TEST_F(DeviceState, TakesTheClassAndLineBitsOfTheElement) {
  State().SetStatusFlags(0x1 | 0x8 | 0x20);
  ASSERT_TRUE(Answer(0x00, 0x40));
  EXPECT_EQ(State().StatusFlags(), 0x1 | 0x8 | 0x20);
  // An unflagged class reaches "DevState", with the same byte.
  EXPECT_TRUE(Answer(0x01, 0x40));
  EXPECT_EQ(State().StatusFlags(), 0x1 | 0x8 | 0x20 | 0xF00000);
  EXPECT_FALSE(Answer(0x01, 0x40));
  EXPECT_TRUE(Answer(0x00, 0x40));
  EXPECT_EQ(State().StatusFlags(), 0x1 | 0x8 | 0x20);
}

TEST_F(DeviceState, LeftAloneByAFlaggedClassOrWithoutStatus) {
  State().PersistentValue = std::int16_t{5};
  EXPECT_FALSE(Answer(0x02, 0x80));
  EXPECT_EQ(State().TransientValue, com::Variant(std::uint8_t{0}));
  EXPECT_EQ(State().PersistentValue, com::Variant(std::int16_t{5}));

  const auto transaction = Answered(200, 0x00, 0x80, Bytes{0x07, 0x01});
  transaction->DeviceStatus = com::Variant();
  notices_->notices.clear();
  ASSERT_TRUE(Respond("T/Probe", false, *transaction));
  EXPECT_EQ(std::count(notices_->notices.begin(), notices_->notices.end(), "DevState"), 0);
  EXPECT_EQ(State().TransientValue, com::Variant(std::uint8_t{0}));
  EXPECT_EQ(Element("T/Probe").DeviceStatus, 0);
}

TEST_F(DeviceState, GroupMembersTakeTheStatusByteToo) {
  ASSERT_TRUE(Respond("SC130Tr1/", false, 0x00, Bytes{0x43, 0x00, 0x48, 0x01, 0x45, 0x02, 0x54, 0x01},
                      0x10));
  for (const char* path : {"SC130Tr1/Par1", "SC130Tr1/Par2", "SC130Tr1/Par3", "SC130Tr1/Par4"}) {
    EXPECT_EQ(Element(path).DeviceStatus, 0x10) << path;
  }
  EXPECT_EQ(State().TransientValue, com::Variant(std::uint8_t{0x10}));
}

TEST_F(DeviceState, TheCommonListIsOnlyRead) {
  clsDataElement& tag = Element("~/Tag");
  tag.TransientValue = "TAG";
  tag.SetStatusFlags(0x90);
  ASSERT_TRUE(Respond("T/Probe", false, 0x02, Bytes{}, 0x40));
  EXPECT_EQ(tag.TransientValue, com::Variant("TAG"));
  EXPECT_EQ(tag.StatusFlags(), 0x90);
}

// ---- Rounding of received floats --------------------------------------------------

class FloatResponse : public HartFixture {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    OpenMonitor();
    Element("SC128Tr3/Par1").Prompt = "Gain";  // format "0.00"
    Element("SC136/TotTravel").Prompt = "Total";
    monitor_->Clear();
  }
  static Bytes Gain(std::initializer_list<std::uint8_t> value) {
    Bytes data{0x14};
    data.insert(data.end(), value.begin(), value.end());
    return data;
  }
};

TEST_F(FloatResponse, ValueLineShowsTheReceivedValueAndTheCorrection) {
  ASSERT_TRUE(Respond("SC128Tr3/Par1", false, 0, Gain({0x41, 0x45, 0x87, 0x94})));
  EXPECT_EQ(Element("SC128Tr3/Par1").TransientValue, com::Variant(12.35f));
  EXPECT_EQ(Element("SC128Tr3/Par1").DeviceValue, com::Variant(12.35f));
  EXPECT_EQ(MonitorLines(), (Lines{"     Status:  00 00", "     Receive: 14 41 45 87 94 ",
                                   "Value Gain = 12.3456 Corrected 12.35"}));
}

TEST_F(FloatResponse, NoCorrectionForAValueThatNeedsNone) {
  ASSERT_TRUE(Respond("SC128Tr3/Par1", false, 0, Gain({0x41, 0x48, 0x00, 0x00})));
  EXPECT_EQ(Element("SC128Tr3/Par1").TransientValue, com::Variant(12.5f));
  EXPECT_EQ(MonitorLines().back(), "Value Gain = 12.5");
}

TEST_F(FloatResponse, CounterIsCorrectedToAWholeNumber) {
  Bytes data(29, 0x00);
  data[25] = 0x40;  // 2.5
  data[26] = 0x20;
  ASSERT_TRUE(Respond("SC136/", false, 0, data));
  EXPECT_EQ(Element("SC136/TotTravel").TransientValue, com::Variant(std::int32_t{2}));
  EXPECT_EQ(Element("SC136/TotTravel").DeviceValue, com::Variant(std::int32_t{2}));
  const Lines lines = MonitorLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Value Total = 2.5 Corrected 2"), lines.end());
}

TEST_F(FloatResponse, WriteEchoIsRoundedWithoutAValueLine) {
  clsDataElement& gain = Element("SC128Tr3/Par1");
  gain.SetStatusFlag(flags::kOnlineEdit);
  ASSERT_TRUE(Respond("SC128Tr3/Par1", true, 0, Gain({0x41, 0x45, 0x87, 0x94})));
  EXPECT_EQ(gain.TransientValue, com::Variant(12.35f));
  EXPECT_EQ(gain.DeviceValue, com::Variant(12.35f));
  EXPECT_EQ(MonitorLines(), (Lines{"     Status:  00 00", "     Receive: 14 41 45 87 94 "}));
}

// A value the user edits online keeps what the user typed; only the device
// value shows (rounded) what came.
TEST_F(FloatResponse, OnlineEditKeepsTheUsersValueUnrounded) {
  clsDataElement& gain = Element("SC128Tr3/Par1");
  gain.SetStatusFlag(flags::kOnlineEdit);
  gain.TransientValue = 7.777f;
  gain.PersistentValue = 7.0f;
  ASSERT_TRUE(Respond("SC128Tr3/Par1", false, 0, Gain({0x41, 0x45, 0x87, 0x94})));
  EXPECT_EQ(gain.TransientValue, com::Variant(7.777f)) << Show(gain.TransientValue);
  EXPECT_EQ(gain.DeviceValue, com::Variant(12.35f)) << Show(gain.DeviceValue);
  EXPECT_TRUE(gain.PersistentValue.IsEmpty());
  // The protocol shows what came from the device.
  EXPECT_EQ(MonitorLines().back(), "Value Gain = 12.3456 Corrected 12.35");
}

TEST_F(FloatResponse, ValueThatDidNotArriveIsNotRounded) {
  struct Case {
    const char* name;
    bool ignore_update;
    std::int16_t position;
  };
  const Case cases[] = {{"IgnoreUpdate", true, 1}, {"NoResponsePosition", false, -1}};
  clsDataElement& gain = Element("SC128Tr3/Par1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gain.IgnoreUpdate = c.ignore_update;
    gain.ReadResponsePosition = c.position;
    gain.TransientValue = 7.777f;
    gain.DeviceValue = 3.333f;
    ASSERT_TRUE(Respond("SC128Tr3/Par1", false, 0, Gain({0x41, 0x45, 0x87, 0x94})));
    EXPECT_EQ(gain.TransientValue, com::Variant(7.777f)) << Show(gain.TransientValue);
    EXPECT_EQ(gain.DeviceValue, com::Variant(3.333f)) << Show(gain.DeviceValue);
    EXPECT_EQ(gain.StatusFlags() & kAnswerBits, 0);
    EXPECT_EQ(MonitorLines().back(), "Value Gain = 7.777");
  }
}

TEST_F(FloatResponse, GroupReadShowsEachMembersValue) {
  for (const char* p : {"SC128Tr3/Par1", "SC128Tr3/Par2", "SC128Tr3/Par3", "SC128Tr3/Par4"}) {
    Element(p).Prompt = std::string("P") + p[std::string(p).size() - 1];
  }
  ASSERT_TRUE(Respond("SC128Tr3/", false, 0,
                      Bytes{0x14, 0x41, 0x45, 0x87, 0x94, 0x17, 0x3F, 0xC0, 0x00, 0x00,
                            0x15, 0x40, 0x20, 0x00, 0x00, 0x16, 0x40, 0x80, 0x00, 0x00},
                      0x40));
  EXPECT_EQ(MonitorLines(),
            (Lines{"     Status:  00 40",
                   "     Receive: 14 41 45 87 94 17 3F C0 00 00 15 40 20 00 00 16 ",
                   "              40 80 00 00 ", "Value P1 = 12.3456 Corrected 12.35",
                   "Value P2 = 1.5", "Value P3 = 2.5", "Value P4 = 4"}));
}

TEST_F(FloatResponse, FailureOrFlaggedClassWritesNoValueLine) {
  ASSERT_TRUE(Respond("SC128Tr3/Par1", false, 0, Gain({0x41, 0x45})));
  EXPECT_EQ(MonitorLines(), (Lines{"     Status:  00 00", "     Receive: 14 41 45 "}));
  monitor_->Clear();
  ASSERT_TRUE(Respond("SC128Tr3/Par1", false, 0x02, std::nullopt));
  EXPECT_EQ(MonitorLines(), (Lines{"     Status:  02 00", "     Receive: 00 "}));
}

TEST_F(FloatResponse, SecondStatusCodeTakesThePlaceOfTheResponseCode) {
  const auto transaction = Answered(128, 0x00, 0x40, std::nullopt);
  transaction->CommStatus = com::Variant(std::uint8_t{0x90});
  ASSERT_TRUE(Respond("SC128Tr3/Par1", false, *transaction));
  EXPECT_EQ(MonitorLines().front(), "     Status:  90 40");
}

TEST_F(FloatResponse, ClosedMonitorGetsNoLine) {
  dtm_->SetMonitorInvokeID("");
  ASSERT_TRUE(Respond("SC128Tr3/Par1", false, 0, Gain({0x41, 0x45, 0x87, 0x94})));
  EXPECT_EQ(MonitorLines(), Lines{});
  EXPECT_EQ(Element("SC128Tr3/Par1").TransientValue, com::Variant(12.35f));
}

// A full protocol: each line the response writes lets the first go, the
// dump's two lines let none go.
TEST_F(FloatResponse, DumpsLetNoLineOfAFullProtocolGo) {
  for (std::size_t i = 0; i < ctlMonitor::kMaxLines; ++i) monitor_->MonitorLine("x");
  ASSERT_TRUE(Respond("SC128Tr3/", false, 0x02, Bytes(20, 0x00)));
  EXPECT_EQ(monitor_->Lines().size(), 2002u);
  EXPECT_EQ(monitor_->Lines().back(), "              00 00 00 00 ");
}

// During an upload a value the user edits online is read like any other.
TEST_F(FloatResponse, UploadTakesTheOnlineValue) {
  clsDataElement& gain = Element("SC128Tr3/Par1");
  gain.SetStatusFlag(flags::kOnlineEdit);
  gain.TransientValue = 7.777f;
  ConnectDevice([](const runtime::HartRequest& request) {
    if (request.command == 128 && request.data == Bytes{0x14, 0x17, 0x15, 0x16}) {
      return Reply(128, 0x00,
                   {0x14, 0x41, 0x45, 0x87, 0x94, 0x17, 0x3F, 0xC0, 0x00, 0x00,
                    0x15, 0x40, 0x20, 0x00, 0x00, 0x16, 0x40, 0x80, 0x00, 0x00});
    }
    return Reply(request.command, 0x40);  // not implemented: nothing is read
  });
  ASSERT_TRUE(Context().ProcessMan().StartProcess("upload", "", false, 0, false, true, nullptr));
  loop_.RunUntil([&] { return Context().ProcessMan().State() == 0; });
  EXPECT_EQ(gain.TransientValue, com::Variant(12.35f)) << Show(gain.TransientValue);
  EXPECT_EQ(gain.DeviceValue, com::Variant(12.35f));
}


// ---- Corrected only when rounding changed the value -----------------------------------

// The received Single is compared with its rounded value at its own
// precision; the stored value keeps the subtype its rounding rule gives.
struct PrecisionCase {
  const char* name;
  const char* path;
  const char* format;
  Bytes value;  // the Single as sent
  const char* line;
  com::Variant stored;
};

const PrecisionCase kPrecisionCases[] = {
    {"TenthsOnTheTenth", "SC128Tr2/Par1", "0.0", {0x42, 0x29, 0x33, 0x33}, "Value X = 42.3", 42.3},
    {"TenthsChanged", "SC128Tr2/Par1", "0.0", {0x42, 0x29, 0x5C, 0x29},
     "Value X = 42.34 Corrected 42.3", 42.3},
    {"WholeChanged", "SC128Tr1/Par1", "0.00", {0x42, 0x29, 0x33, 0x33},
     "Value X = 42.3 Corrected 42.00", 42.0},
    {"HundredthsOnTheHundredth", "SC128Tr14/Par1", "0.00", {0x3F, 0x86, 0x66, 0x66},
     "Value X = 1.05", 1.05},
    {"GeneralOnTheHundredth", "SC128Tr3/Par1", "0.00", {0x41, 0x45, 0x70, 0xA4}, "Value X = 12.34",
     12.34f},
    {"CountWhole", "SC136/TotTravel", "0", {0x47, 0x3C, 0x52, 0x00}, "Value X = 48210",
     std::int32_t{48210}},
    {"GeneralNotANumber", "SC128Tr3/Par1", "0.00", {0x7F, 0xA0, 0x00, 0x00}, "Value X = NaN",
     std::numeric_limits<float>::quiet_NaN()},
    {"TenthsInfinity", "SC128Tr1/Par1", "0.0", {0x7F, 0x80, 0x00, 0x00}, "Value X = Inf",
     std::numeric_limits<double>::infinity()},
    {"GeneralMinusInfinity", "SC128Tr3/Par1", "0.0", {0xFF, 0x80, 0x00, 0x00}, "Value X = -Inf",
     -std::numeric_limits<float>::infinity()},
};

class ReceivedPrecision : public FloatResponse, public ::testing::WithParamInterface<PrecisionCase> {
};

TEST_P(ReceivedPrecision, CorrectedOnlyWhenTheValueChanged) {
  const PrecisionCase& c = GetParam();
  clsDataElement& element = Element(c.path);
  element.Prompt = "X";
  element.ValueFormat = c.format;
  Bytes data(static_cast<std::size_t>(element.ReadResponsePosition), 0x00);
  data.insert(data.end(), c.value.begin(), c.value.end());
  ASSERT_TRUE(Respond(c.path, false, 0, data));
  EXPECT_EQ(MonitorLines().back(), c.line);
  for (const com::Variant* value : {&element.TransientValue, &element.DeviceValue}) {
    EXPECT_EQ(value->Type(), c.stored.Type()) << Show(*value);
    if (std::isnan(c.stored.ToDouble())) {
      EXPECT_TRUE(std::isnan(value->ToDouble())) << Show(*value);
    } else {
      EXPECT_EQ(*value, c.stored) << Show(*value);
    }
  }
  EXPECT_EQ(element.StatusFlags() & kAnswerBits, 0);
}

INSTANTIATE_TEST_SUITE_P(Table, ReceivedPrecision, ::testing::ValuesIn(kPrecisionCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Values an element cannot take ------------------------------------------------------

// A count is a whole number of 32 bits: what else a device sends for it
// ends the element's part of the transaction with the class of a response
// it cannot read, and the element keeps what it held.
struct CountCase {
  const char* name;
  const char* path;
  Bytes value;
  const char* shown;
};

const CountCase kCountCases[] = {
    {"NotANumber", "SC136/TotTravel", {0x7F, 0xA0, 0x00, 0x00}, "NaN"},
    {"TwoToThe32", "SC136/TotTravel", {0x4F, 0x80, 0x00, 0x00}, "4.294967E+09"},
    {"TwoToThe31", "SC128Tr10/Par4", {0x4F, 0x00, 0x00, 0x00}, "2.147484E+09"},
    {"Infinity", "SC128Tr13/Par2", {0x7F, 0x80, 0x00, 0x00}, "Inf"},
    {"BelowALong", "SC128Tr13/Par2", {0xCF, 0x80, 0x00, 0x00}, "-4.294967E+09"},
};

class CountNotTaken : public FloatResponse, public ::testing::WithParamInterface<CountCase> {};

TEST_P(CountNotTaken, EndsWithTooFewDataBytesAndKeepsTheValues) {
  const CountCase& c = GetParam();
  clsDataElement& element = Element(c.path);
  element.Prompt = "X";
  element.TransientValue = std::int32_t{77};
  element.DeviceValue = std::int32_t{66};
  element.PersistentValue = std::int32_t{55};
  element.SetStatusFlags(0x8);
  Bytes data(static_cast<std::size_t>(element.ReadResponsePosition), 0x00);
  data.insert(data.end(), c.value.begin(), c.value.end());
  EXPECT_TRUE(Respond(c.path, false, 0, data));
  EXPECT_EQ(element.TransientValue, com::Variant(std::int32_t{77}));
  EXPECT_EQ(element.DeviceValue, com::Variant(std::int32_t{66}));
  EXPECT_EQ(element.PersistentValue, com::Variant(std::int32_t{55}));
  EXPECT_EQ(element.StatusFlags(), 0x500000);
  EXPECT_EQ(element.CmdErr, std::string(c.path) + ": Overflow");
  EXPECT_EQ(MonitorLines().back(), std::string("Value X = ") + c.shown);
  EXPECT_NE(std::find(notices_->notices.begin(), notices_->notices.end(), c.path),
            notices_->notices.end());
}

INSTANTIATE_TEST_SUITE_P(Table, CountNotTaken, ::testing::ValuesIn(kCountCases),
                         [](const auto& i) { return std::string(i.param.name); });

// In a group the other members take their values as usual.
TEST_F(FloatResponse, CountNotTakenLeavesTheOtherMembers) {
  clsDataElement& total = Element("SC136/TotTravel");
  total.TransientValue = std::int32_t{77};
  Bytes data(29, 0x00);
  data[17] = 0x42;  // x = 50.0
  data[18] = 0x48;
  data[25] = 0x7F;  // TotTravel: not-a-number
  data[26] = 0xA0;
  ASSERT_TRUE(Respond("SC136/", false, 0, data));
  EXPECT_EQ(total.TransientValue, com::Variant(std::int32_t{77}));
  EXPECT_EQ(total.StatusFlags() & 0xF00000, 0x500000);
  EXPECT_EQ(total.CmdErr, "SC136/TotTravel: Overflow");
  clsDataElement& x = Element("SC136/x");
  EXPECT_EQ(x.TransientValue, com::Variant(50.0f));
  EXPECT_EQ(x.StatusFlags() & 0xF00000, 0);
  EXPECT_EQ(x.CmdErr, "");
}

}  // namespace
}  // namespace dtm::testing::hart
