// HART requests built from element values: the command families of the
// device's dictionary, every value type, index and unit bytes, bytes shared
// by masked values, the refused commands, and the request's monitor lines.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/error.h"
#include "tests/component/datamodel/hart_fixture.h"

namespace dtm::testing::hart {
namespace {

template <class Case>
  requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

using Assignments = std::vector<std::pair<std::string, com::Variant>>;

// ---- The dictionary's command families ---------------------------------------

struct RowCase {
  const char* name;
  const char* path;
  bool write;
  Assignments values;  // TransientValue of elements before the request
  std::int16_t command;
  std::optional<Bytes> data;  // nullopt: Empty
};

const RowCase kRowCases[] = {
    {"UC000GroupReadCarriesNoData", "UC000/", false, {}, 0, std::nullopt},
    {"UC013GroupReadCarriesNoData", "UC013/", false, {}, 13, std::nullopt},
    {"UC013GroupWritePacksTextsAndDate",
     "UC013/",
     true,
     {{"UC013/Tag", "4625_1"}, {"UC013/Descr", "-/-"}, {"UC013/Date", "23.06.2003"}},
     18,
     Bytes{0xD3, 0x6C, 0xB5, 0x7F, 0x18, 0x20,                                      // tag
           0xB6, 0xFB, 0x60, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20,  // descriptor
           0x17, 0x06, 0x67}},                                                      // date
    {"UC012ReadCarriesNoData", "UC012", false, {}, 12, std::nullopt},
    {"UC012WritePacks32Characters",
     "UC012",
     true,
     {{"UC012", "-/-"}},
     17,
     Bytes{0xB6, 0xFB, 0x60, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20,
           0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20}},
    {"UC016ReadCarriesNoData", "UC016", false, {}, 16, std::nullopt},
    {"UC019WritesThreeBytes", "UC016", true, {{"UC016", 1193046.0}}, 19, Bytes{0x12, 0x34, 0x56}},
    {"SC135ReadCarriesNoData", "SC135", false, {}, 135, std::nullopt},
    {"SC138ReadCarriesTheTextIndex", "SC138T3", false, {}, 138, Bytes{0x02}},
    {"SC139WritesIndexAndPackedText",
     "SC138T3",
     true,
     {{"SC138T3", "ab"}},
     139,
     Bytes{0x02, 0x04, 0x28, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82,
           0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20}},
    {"SC128GroupReadCarriesFourIndices", "SC128Tr2/", false, {}, 128, Bytes{0x2E, 0x0A, 0x0B, 0x0C}},
    {"SC128GroupReadRepeatsTheFillerIndex", "SC128Tr1/", false, {}, 128,
     Bytes{0x3D, 0x3E, 0x3F, 0x3F}},
    {"SC128SingleReadPutsTheIndexAtItsRequestPosition", "SC128Tr2/Par2", false, {}, 128,
     Bytes{0x00, 0x0A}},
    {"SC129WritesIndexAndFloat", "SC128Tr2/Par1", true, {{"SC128Tr2/Par1", 42.0}}, 129,
     Bytes{0x2E, 0x42, 0x28, 0x00, 0x00}},
    {"SC129PutsTheIndexAtItsWritePositionOnly", "SC128Tr2/Par2", true, {{"SC128Tr2/Par2", 12.5f}},
     129, Bytes{0x0A, 0x41, 0x48, 0x00, 0x00}},
    {"SC130GroupReadCarriesIndicesInMemberOrder", "SC130Tr1/", false, {}, 130,
     Bytes{0x43, 0x48, 0x45, 0x54}},
    {"SC131WritesIndexAndByte", "SC130Tr1/Par2", true, {{"SC130Tr1/Par2", std::int16_t{1}}}, 131,
     Bytes{0x48, 0x01}},
    {"SC132WritesTheActionNumber", "SC132Inx1", true, {{"SC132Inx1", std::int16_t{1}}}, 132,
     Bytes{0x01}},
    {"SC132ColdStart", "SC132Inx254", true, {{"SC132Inx254", std::int16_t{254}}}, 132,
     Bytes{0xFE}},
    {"SC133AbortsTheInitialisation", "SC133Inx2", true, {{"SC133Inx2", std::int16_t{2}}}, 133,
     Bytes{0x02}},
    {"SC134SendsOnlyItsIndex", "SC134", true, {{"SC134", std::int16_t{9}}}, 134, Bytes{0x00}},
    {"CC048GroupReadCarriesNoData", "CC048/", false, {}, 48, std::nullopt},
    {"CC048GroupWriteCarriesNoData", "CC048/", true, {}, 48, std::nullopt},
    {"SC136GroupReadCarriesNoData", "SC136/", false, {}, 136, std::nullopt},
    {"UC006WritesTheAddress", "UC006", true, {{"UC006", std::int16_t{3}}}, 6, Bytes{0x03}},
    {"CC038WritesNoValue", "CC038", true, {}, 38, std::nullopt},
};

class RowRequest : public HartFixture, public ::testing::WithParamInterface<RowCase> {};

TEST_P(RowRequest, CodesTheRowsPositions) {
  const RowCase& c = GetParam();
  for (const auto& [path, value] : c.values) Element(path).TransientValue = value;
  const auto transaction = Request(c.path, c.write);
  EXPECT_EQ(transaction->Command, com::Variant(c.command));
  EXPECT_EQ(DataOf(transaction->RequestData), c.data) << Show(transaction->RequestData);
}

INSTANTIATE_TEST_SUITE_P(Table, RowRequest, ::testing::ValuesIn(kRowCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Commands that are not sent ------------------------------------------------

struct RefusedCase {
  const char* name;
  const char* path;
  bool write;
};

const RefusedCase kRefusedCases[] = {
    {"ReadOfAWriteOnlyCommand", "UC006", false},
    {"WriteOfAReadOnlyGroup", "SC130Tr1/", true},
    {"WriteOfAReadOnlyText", "SC135", true},
    {"ElementWithoutCommands", "DevState", false},
    {"CommandAbove255", "T/Wide", false},
};

class RefusedRequest : public HartFixture, public ::testing::WithParamInterface<RefusedCase> {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    Add("T/Wide", kVtUInt8).HARTParamReadCommand = 256;
  }
};

TEST_P(RefusedRequest, LeavesTheTransactionUntouched) {
  OpenMonitor();
  runtime::HartTransaction transaction;
  transaction.Command = com::Variant(std::int16_t{7});
  transaction.RequestData = com::Variant(Bytes{0x99});
  EXPECT_FALSE(Model().IPrivateDataModel_BuildTransactionRequest(Context(), transaction,
                                                                 GetParam().write,
                                                                 Ptr(GetParam().path)));
  EXPECT_EQ(transaction.Command, com::Variant(std::int16_t{7}));
  EXPECT_EQ(DataOf(transaction.RequestData), Bytes{0x99});
  EXPECT_EQ(MonitorLines(), Lines{});
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedRequest, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Every value type ---------------------------------------------------------

// One element of the test's own: index byte 0x07 first, the value behind it.
struct TypeCase {
  const char* name;
  std::int32_t value_type;
  std::int32_t length;
  bool packed;
  com::Variant value;
  Bytes value_bytes;  // behind the index byte; empty: nothing coded
};

const TypeCase kTypeCases[] = {
    {"ByteArray", kVtBytes, 3, true, Bytes{0xDE, 0xAD, 0x01}, {0xDE, 0xAD, 0x01}},
    {"ShortByteArrayIsPadded", kVtBytes, 3, true, Bytes{0xDE}, {0xDE, 0x00, 0x00}},
    {"Byte", kVtUInt8, 1, true, std::int16_t{0xB7}, {0xB7}},
    {"UInt16", kVtUInt16, 2, true, std::int32_t{0xBEEF}, {0xBE, 0xEF}},
    {"UInt24", kVtUInt24, 3, true, std::int32_t{0x123456}, {0x12, 0x34, 0x56}},
    {"Int16", kVtInt16, 2, true, std::int16_t{-2}, {0xFF, 0xFE}},
    {"Int24TwosComplement", kVtInt24, 3, true, std::int32_t{-2}, {0xFF, 0xFF, 0xFE}},
    {"Int32", kVtInt32, 4, true, std::int32_t{-100000}, {0xFF, 0xFE, 0x79, 0x60}},
    {"Single", kVtSingle, 4, true, 12.3456f, {0x41, 0x45, 0x87, 0x94}},
    {"SingleFromADouble", kVtSingle, 4, true, 1.5, {0x3F, 0xC0, 0x00, 0x00}},
    {"BooleanAsOneByte", kVtBoolean, 1, true, std::int16_t{1}, {0x01}},
    {"DateFromItsText", kVtDate, 8, true, "23.06.2003", {0x17, 0x06, 0x67}},
    {"DateFromADate", kVtDate, 8, true, com::Variant::Date(44958), {0x01, 0x02, 0x7B}},
    {"PackedTextOf8CharactersIn6Bytes", kVtText, 8, true, "ab", {0x04, 0x28, 0x20, 0x82, 0x08, 0x20}},
    {"PackedTextOf10CharactersIn8Bytes", kVtText, 10, true, "TAG1",
     {0x50, 0x11, 0xF1, 0x82, 0x08, 0x20, 0x82, 0x00}},
    {"PlainText", kVtText, 4, false, "Hi", {0x48, 0x69, 0x20, 0x20}},
    {"PlainTextIsCut", kVtText, 2, false, "Hello", {0x48, 0x65}},
    {"Enumeration", kVtEnum, 4, true, 3000000000.0, {0xB2, 0xD0, 0x5E, 0x00}},
    {"NoTypeCodesNothing", kVtNone, 0, true, std::int16_t{1}, {}},
    {"DoubleCodesNothing", kVtDouble, 8, true, 1.5, {}},
    {"Date12CodesNothing", kVtDate12, 8, true, "23.06.2003", {}},
    {"Date13CodesNothing", kVtDate13, 17, true, "23.06.2003", {}},
    {"DecimalCodesNothing", kVtDecimal, 8, true, 1.5, {}},
};

class TypeRequest : public HartFixture, public ::testing::WithParamInterface<TypeCase> {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    const TypeCase& c = GetParam();
    clsDataElement& element = Add("T/Value", c.value_type, c.length);
    element.HARTParamReadCommand = 200;
    element.HARTParamWriteCommand = 201;
    element.IndexRequestPosition = 0;
    element.nParamIndex = 0x07;
    element.WriteRequestPosition = 1;
    element.bPackedCoding = c.packed;
    element.TransientValue = c.value;
    element.Prompt = "Probe";
  }
};

TEST_P(TypeRequest, WriteCodesTheValueBehindTheIndex) {
  const auto transaction = Request("T/Value", true);
  EXPECT_EQ(transaction->Command, com::Variant(std::int16_t{201}));
  Bytes expected{0x07};
  expected.insert(expected.end(), GetParam().value_bytes.begin(), GetParam().value_bytes.end());
  EXPECT_EQ(DataOf(transaction->RequestData), expected) << Show(transaction->RequestData);
}

TEST_P(TypeRequest, ReadCarriesOnlyTheIndex) {
  const auto transaction = Request("T/Value", false);
  EXPECT_EQ(transaction->Command, com::Variant(std::int16_t{200}));
  EXPECT_EQ(DataOf(transaction->RequestData), Bytes{0x07});
}

// A member's own line is written only when its value was coded.
TEST_P(TypeRequest, GroupMemberLineOnlyForACodedValue) {
  clsDataElement& group = Add("T/", kVtNone);
  group.HARTParamWriteCommand = 201;
  OpenMonitor();
  Request("T/", true);
  const Lines lines = MonitorLines();
  ASSERT_GE(lines.size(), 2u);
  const bool coded = !GetParam().value_bytes.empty();
  EXPECT_EQ(lines.size(), coded ? 5u : 4u);
  if (coded) {
    EXPECT_EQ(lines[2].rfind("Download Probe = ", 0), 0u) << lines[2];
  }
}

INSTANTIATE_TEST_SUITE_P(Table, TypeRequest, ::testing::ValuesIn(kTypeCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Index and unit bytes -------------------------------------------------------

class RequestPositions : public HartFixture {
 protected:
  clsDataElement& Probe() {
    clsDataElement& element = Add("T/Probe", kVtUInt8);
    element.HARTParamReadCommand = 200;
    element.HARTParamWriteCommand = 201;
    element.TransientValue = std::int16_t{0x5A};
    element.nParamIndex = 0x07;
    element.nUnit = 0x31;
    return element;
  }
};

TEST_F(RequestPositions, IndexAndUnitBytes) {
  struct Case {
    const char* name;
    std::int16_t index_request, index_write, unit_request, value_request;
    bool write;
    std::optional<Bytes> data;
  };
  const Case cases[] = {
      {"ReadWithoutIndexIsEmpty", -1, -1, 2, 1, false, std::nullopt},
      {"ReadIndexAtRequestPosition", 2, 0, -1, -1, false, Bytes{0x00, 0x00, 0x07}},
      {"WriteIndexAtWritePositionOnly", 2, 0, -1, 1, true, Bytes{0x07, 0x5A}},
      {"WriteFallsBackToTheRequestPosition", 1, -1, -1, 0, true, Bytes{0x5A, 0x07}},
      {"WriteUnitBeforeTheValue", -1, -1, 0, 1, true, Bytes{0x31, 0x5A}},
      {"WriteUnitWithoutValue", -1, 0, 1, -1, true, Bytes{0x07, 0x31}},
      {"WriteWithoutAnyPosition", -1, -1, -1, -1, true, std::nullopt},
  };
  clsDataElement& element = Probe();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    element.IndexRequestPosition = c.index_request;
    element.IndexWritePosition = c.index_write;
    element.WriteUnitRequestPosition = c.unit_request;
    element.WriteRequestPosition = c.value_request;
    EXPECT_EQ(DataOf(Request("T/Probe", c.write)->RequestData), c.data);
  }
}

// ---- Bytes shared by masked values ---------------------------------------------

struct MaskMember {
  std::uint8_t mask;
  std::int16_t value;
};

struct MaskCase {
  const char* name;
  std::vector<MaskMember> members;  // all at request byte 0, in this order
  std::uint8_t byte;
};

const MaskCase kMaskCases[] = {
    {"HighThenLowNibble", {{0xF0, 3}, {0x0F, 5}}, 0x35},
    {"LowThenHighNibble", {{0x0F, 5}, {0xF0, 3}}, 0x35},
    {"TwoBitsAloneInANewByte", {{0x0C, 1}}, 0x04},
    {"ValueWiderThanItsFieldIsCut", {{0x0C, 7}}, 0x0C},
    {"WideValueLeavesItsNeighbour", {{0x0F, 5}, {0xF0, 0x1F}}, 0xF5},
    {"TopBitOfAFullByteValue", {{0x80, 0xFF}}, 0x80},
    {"MaskZeroContributesNothing", {{0x0F, 5}, {0x00, 0xFF}}, 0x05},
    {"MaskedBitsOverAWholeByte", {{0xFF, 0xFF}, {0xF0, 3}}, 0x3F},
    {"WholeByteOverwritesTheBitsBefore", {{0xF0, 3}, {0xFF, 0x5A}}, 0x5A},
    {"ThreeFields", {{0xC0, 2}, {0x30, 1}, {0x01, 1}}, 0x91},
};

class MaskedRequest : public HartFixture, public ::testing::WithParamInterface<MaskCase> {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    Add("TM/", kVtNone).HARTParamWriteCommand = 201;
    int n = 0;
    for (const MaskMember& member : GetParam().members) {
      clsDataElement& element = Add("TM/M" + std::to_string(n++), kVtUInt8);
      element.HARTParamWriteCommand = 201;
      element.WriteRequestPosition = 0;
      element.AccessMask = member.mask;
      element.TransientValue = member.value;
    }
  }
};

TEST_P(MaskedRequest, MembersMergeTheirBits) {
  EXPECT_EQ(DataOf(Request("TM/", true)->RequestData), Bytes{GetParam().byte});
}

INSTANTIATE_TEST_SUITE_P(Table, MaskedRequest, ::testing::ValuesIn(kMaskCases),
                         [](const auto& i) { return std::string(i.param.name); });

// The masked byte lands behind bytes other members wrote, merged into none of them.
TEST_F(RequestPositions, MaskedByteBehindOtherValues) {
  Add("TM/", kVtNone).HARTParamWriteCommand = 201;
  clsDataElement& word = Add("TM/Word", kVtUInt16);
  word.HARTParamWriteCommand = 201;
  word.WriteRequestPosition = 0;
  word.TransientValue = std::int32_t{0xFFFF};
  clsDataElement& bits = Add("TM/Bits", kVtUInt8);
  bits.HARTParamWriteCommand = 201;
  bits.WriteRequestPosition = 2;
  bits.AccessMask = 0x0C;
  bits.TransientValue = std::int16_t{2};
  EXPECT_EQ(DataOf(Request("TM/", true)->RequestData), (Bytes{0xFF, 0xFF, 0x08}));
}

// ---- Group members of another command --------------------------------------

TEST_F(RequestPositions, MemberOfAnotherCommandIsSkippedWithoutALine) {
  Add("TG/", kVtNone).HARTParamReadCommand = 200;
  clsDataElement& same = Add("TG/Same", kVtUInt8);
  same.HARTParamReadCommand = 200;
  same.IndexRequestPosition = 0;
  same.nParamIndex = 0x11;
  same.Prompt = "Same";
  clsDataElement& other = Add("TG/Other", kVtUInt8);
  other.HARTParamReadCommand = 202;
  other.IndexRequestPosition = 1;
  other.nParamIndex = 0x22;
  other.Prompt = "Other";
  OpenMonitor();
  EXPECT_EQ(DataOf(Request("TG/", false)->RequestData), Bytes{0x11});
  EXPECT_EQ(MonitorLines(), (Lines{"", "Upload parametergroup ", "Same", "HART Command: 200",
                                   "     Send:    11 "}));
}

// ---- The request on the monitor -------------------------------------------------

class RequestMonitor : public HartFixture {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    OpenMonitor();
  }
  void Prompts(const std::vector<std::pair<std::string, std::string>>& prompts) {
    for (const auto& [path, prompt] : prompts) Element(path).Prompt = prompt;
  }
};

TEST_F(RequestMonitor, SingleReadNamesTheElementOnce) {
  Prompts({{"SC128Tr2/Par2", "Travel"}});
  Request("SC128Tr2/Par2", false);
  EXPECT_EQ(MonitorLines(),
            (Lines{"", "Upload Travel", "HART Command: 128", "     Send:    00 0A "}));
}

TEST_F(RequestMonitor, SingleWriteShowsTheValue) {
  Prompts({{"SC128Tr2/Par2", "Travel"}});
  Element("SC128Tr2/Par2").TransientValue = 12.5f;
  Request("SC128Tr2/Par2", true);
  EXPECT_EQ(MonitorLines(), (Lines{"", "Download Travel = 12.5", "HART Command: 129",
                                   "     Send:    0A 41 48 00 00 "}));
}

TEST_F(RequestMonitor, SingleWriteOfAnEmptyValue) {
  Prompts({{"SC130Tr1/Par2", "Actuator"}});
  Element("SC130Tr1/Par2").TransientValue = com::Variant();
  Request("SC130Tr1/Par2", true);
  EXPECT_EQ(MonitorLines(), (Lines{"", "Download Actuator = Empty", "HART Command: 131",
                                   "     Send:    48 00 "}));
}

TEST_F(RequestMonitor, GroupReadListsThePromptsOneALine) {
  Prompts({{"SC128Tr2/Par1", "P1"}, {"SC128Tr2/Par2", "P2"}, {"SC128Tr2/Par3", "P3"},
           {"SC128Tr2/Par4", "P4"}});
  Request("SC128Tr2/", false);
  EXPECT_EQ(MonitorLines(),
            (Lines{"", "Upload parametergroup ", "P1 ,", "P2 ,", "P3 ,", "P4",
                   "HART Command: 128", "     Send:    2E 0A 0B 0C "}));
}

TEST_F(RequestMonitor, EmptyRequestDumpsOneZeroByte) {
  Prompts({{"UC000/ManuId", "Maker"}, {"UC000/DevId", "Type"}, {"UC000/SerNum", "Serial"}});
  const auto transaction = Request("UC000/", false);
  EXPECT_TRUE(transaction->RequestData.IsEmpty());
  EXPECT_EQ(MonitorLines(), (Lines{"", "Upload parametergroup ", "Maker ,", "Type ,", "Serial",
                                   "HART Command: 0", "     Send:    00 "}));
}

TEST_F(RequestMonitor, GroupWriteShowsEveryValue) {
  Prompts({{"UC013/Tag", "Tag"}, {"UC013/Descr", "Descr"}, {"UC013/Date", "Date"}});
  Element("UC013/Tag").TransientValue = "TAG1";
  Element("UC013/Descr").TransientValue = "VALVE 7";
  Element("UC013/Date").TransientValue = "01.02.2023";
  Request("UC013/", true);
  EXPECT_EQ(MonitorLines(),
            (Lines{"", "Download parametergroup ", "Download Tag = TAG1",
                   "Download Descr = VALVE 7", "Download Date = 01.02.2023", "HART Command: 18",
                   "     Send:    50 11 F1 82 08 20 58 13 16 16 0D E0 82 08 20 82 ",
                   "              08 20 01 02 7B "}));
}

TEST_F(RequestMonitor, GroupWriteOfAnEmptyValueShowsNothingBehindTheSign) {
  Prompts({{"UC013/Tag", "Tag"}, {"UC013/Descr", "Descr"}, {"UC013/Date", "Date"}});
  Element("UC013/Tag").TransientValue = com::Variant();
  Element("UC013/Date").TransientValue = "01.02.2023";
  Request("UC013/", true);
  const Lines lines = MonitorLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2], "Download Tag = ");
}

struct HeadingCase {
  const char* name;
  const char* path;
  bool write;
  const char* heading;  // nullptr: none
};

const HeadingCase kHeadingCases[] = {
    {"DeviceStateGroup", "CC048/", false,
     "---- DTM: Upload device state (TAG1) ------------------------"},
    {"DeviceStateGroupWrite", "CC048/", true,
     "---- DTM: Upload device state (TAG1) ------------------------"},
    {"DeviceStateMemberHasNone", "CC048/St0", false, nullptr},
    {"ZeroCalibration", "SC132Inx1", true,
     "---- DTM: Polling status (TAG1) -----------------------------"},
    {"Initialisation", "SC132Inx2", true,
     "---- DTM: Polling status (TAG1) -----------------------------"},
    {"OtherActionHasNone", "SC132Inx7", true, nullptr},
    {"DynamicGroup", "SC136/", false,
     "---- DTM: Upload dynamic parameters (TAG1) ------------------"},
    {"AnyElementOf136", "SC136FaultAl", false,
     "---- DTM: Upload dynamic parameters (TAG1) ------------------"},
    {"IdentityHasNone", "UC000/", false, nullptr},
};

class RequestHeading : public RequestMonitor, public ::testing::WithParamInterface<HeadingCase> {};

TEST_P(RequestHeading, OutsideAWholeTransfer) {
  Request(GetParam().path, GetParam().write);
  const Lines lines = MonitorLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "");
  if (GetParam().heading) {
    EXPECT_EQ(lines[1], GetParam().heading);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "");
  } else {
    EXPECT_EQ(lines[1].rfind("---- ", 0), std::string::npos) << lines[1];
  }
}

TEST_P(RequestHeading, NoneDuringAWholeTransfer) {
  dtm_->SetUpDownloadAll(true);
  Request(GetParam().path, GetParam().write);
  for (const std::string& line : MonitorLines()) {
    EXPECT_EQ(line.find("DTM: "), std::string::npos) << line;
  }
  const Lines lines = MonitorLines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[lines.size() - 2].rfind("HART Command: ", 0), 0u);
  EXPECT_EQ(lines.back().rfind("     Send:    ", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, RequestHeading, ::testing::ValuesIn(kHeadingCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(RequestMonitor, ClosedMonitorGetsNoLine) {
  dtm_->SetMonitorInvokeID("");
  const auto transaction = Request("CC048/", false);
  EXPECT_EQ(transaction->Command, com::Variant(std::int16_t{48}));
  EXPECT_EQ(MonitorLines(), Lines{});
}

TEST_F(RequestMonitor, GermanPhrases) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(1031));
  monitor_->FillPhraseTable(Context());
  monitor_->Clear();
  Prompts({{"SC128Tr2/Par2", "Hub"}});
  Request("SC128Tr2/Par2", false);
  EXPECT_EQ(MonitorLines(),
            (Lines{"", "Laden Hub", "HART-Kommando: 128", "     Senden:  00 0A "}));
}


// ---- Values that cannot be coded ------------------------------------------------------

// A value set by any route that does not fit its element: the request is
// not built, the error goes on to the runtime, and the element carries the
// input error of the value and a command error that names it.
struct UncodedCase {
  const char* name;
  const char* transaction;  // the element of the transaction
  const char* spoilt;       // the element whose value cannot be coded
  com::Variant value;
  std::int32_t error;
  std::int32_t input_error;
  const char* cmd_err;
};

const UncodedCase kUncodedCases[] = {
    {"DateAsALongBeyondTheCalendar", "UC013/", "UC013/Date", std::int32_t{5000000},
     com::vb::kOverflow, 0x4000, "UC013/Date: Overflow"},
    {"TextAsAGroupsDate", "UC013/", "UC013/Date", "hello", com::vb::kTypeMismatch, 0x2000,
     "UC013/Date: Type mismatch"},
    {"ByteAbove255", "SC130Tr1/Par2", "SC130Tr1/Par2", std::int16_t{300}, com::vb::kOverflow,
     0x4000, "SC130Tr1/Par2: Overflow"},
    {"TextInAByte", "SC130Tr1/Par2", "SC130Tr1/Par2", "hello", com::vb::kTypeMismatch, 0x2000,
     "SC130Tr1/Par2: Type mismatch"},
    {"NotANumberInAWord", "UC016", "UC016", std::numeric_limits<double>::quiet_NaN(),
     com::vb::kOverflow, 0x4000, "UC016: Overflow"},
    {"NotANumberInASingle", "SC128Tr2/Par2", "SC128Tr2/Par2",
     std::numeric_limits<float>::quiet_NaN(), com::vb::kTypeMismatch, 0x2000,
     "SC128Tr2/Par2: Type mismatch"},
    {"InfinityInASingle", "SC128Tr2/Par2", "SC128Tr2/Par2", std::numeric_limits<float>::infinity(),
     com::vb::kOverflow, 0x4000, "SC128Tr2/Par2: Overflow"},
    {"MinusInfinityInASingle", "SC128Tr2/Par2", "SC128Tr2/Par2",
     -std::numeric_limits<float>::infinity(), com::vb::kOverflow, 0x4000,
     "SC128Tr2/Par2: Overflow"},
};

class UncodedValue : public HartFixture, public ::testing::WithParamInterface<UncodedCase> {};

TEST_P(UncodedValue, MarksTheElementAndRaises) {
  const UncodedCase& c = GetParam();
  clsDataElement& spoilt = Element(c.spoilt);
  spoilt.TransientValue = c.value;
  spoilt.SetStatusFlags(0x300000);
  notices_->notices.clear();
  runtime::HartTransaction transaction;
  std::int32_t error = 0;
  try {
    Model().IPrivateDataModel_BuildTransactionRequest(Context(), transaction, true,
                                                      Ptr(c.transaction));
  } catch (const com::ComError& e) {
    error = e.Number();
  }
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(spoilt.StatusFlags(), 0x300000 | c.input_error);
  EXPECT_EQ(spoilt.CmdErr, c.cmd_err);
  EXPECT_EQ(Show(spoilt.TransientValue), Show(c.value));
  EXPECT_TRUE(transaction.RequestData.IsEmpty());
  ASSERT_FALSE(notices_->notices.empty());
  EXPECT_EQ(notices_->notices.back(), c.spoilt);
}

INSTANTIATE_TEST_SUITE_P(Table, UncodedValue, ::testing::ValuesIn(kUncodedCases),
                         [](const auto& i) { return std::string(i.param.name); });

// The same download with the monitor open: the line of the value shows it
// readably and nothing of the transaction follows it.
TEST_F(RequestMonitor, UncodedValueEndsTheRequestsLines) {
  Prompts({{"UC016", "Number"}});
  Element("UC016").TransientValue = std::numeric_limits<double>::infinity();
  runtime::HartTransaction transaction;
  EXPECT_THROW(Model().IPrivateDataModel_BuildTransactionRequest(Context(), transaction, true,
                                                                 Ptr("UC016")),
               com::ComError);
  EXPECT_EQ(MonitorLines(), (Lines{"", "Download Number = Inf"}));
}

}  // namespace
}  // namespace dtm::testing::hart
