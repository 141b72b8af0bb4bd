// The parameter dictionary as the data model builds it for a new instance of
// the supported device: how many elements of each kind, where they stand, what
// every field of a sample of rows holds, and the defaults of the element
// constructor.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "component/datamodel/data_model_helpers.h"
#include "platform/com/error.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/testing/show.h"

namespace dtm {
namespace {

using com::Variant;

Variant Int16(int value) { return Variant(static_cast<std::int16_t>(value)); }
Variant Long(std::uint32_t bits) { return Variant(static_cast<std::int32_t>(bits)); }

using testing::Show;

// One field of an element by its name. Whole-number fields come back as
// Long whatever their width; range 0 reads as Null when it is absent.
Variant FieldOf(const clsDataElement& e, std::string_view field) {
  if (field == "Name") return e.Name;
  if (field == "ValueType") return e.ValueType;
  if (field == "ValueFormat") return e.ValueFormat;
  if (field == "ValueTypeLength") return e.ValueTypeLength;
  if (field == "ElementMode") return e.ElementMode;
  if (field == "ValueList") return e.ValueList;
  if (field == "Prompt") return e.Prompt;
  if (field == "Description") return e.Description;
  if (field == "HelpText") return e.HelpText;
  if (field == "RequiredUserLevel") return e.RequiredUserLevel;
  if (field == "HARTParamReadCommand") return std::int32_t{e.HARTParamReadCommand};
  if (field == "HARTParamWriteCommand") return std::int32_t{e.HARTParamWriteCommand};
  if (field == "WriteRequestPosition") return std::int32_t{e.WriteRequestPosition};
  if (field == "WriteResponsePosition") return std::int32_t{e.WriteResponsePosition};
  if (field == "ReadResponsePosition") return std::int32_t{e.ReadResponsePosition};
  if (field == "WriteUnitRequestPosition") return std::int32_t{e.WriteUnitRequestPosition};
  if (field == "WriteUnitResponsePosition") return std::int32_t{e.WriteUnitResponsePosition};
  if (field == "ReadUnitResponsePosition") return std::int32_t{e.ReadUnitResponsePosition};
  if (field == "IndexRequestPosition") return std::int32_t{e.IndexRequestPosition};
  if (field == "IndexWritePosition") return std::int32_t{e.IndexWritePosition};
  if (field == "bPackedCoding") return e.bPackedCoding;
  if (field == "bBitEncoding") return e.bBitEncoding;
  if (field == "AccessMask") return std::int32_t{e.AccessMask};
  if (field == "InitialValue") return e.InitialValue;
  if (field == "nUnit") return std::int32_t{e.nUnit};
  if (field == "nInitUnit") return std::int32_t{e.nInitUnit};
  if (field == "nParamIndex") return std::int32_t{e.nParamIndex};
  if (field == "CmdErrList") return e.CmdErrList;
  if (field == "IgnoreUpdate") return e.IgnoreUpdate;
  if (field == "SortOrder") return std::int32_t{e.SortOrder};
  if (field == "StatusFlags") return e.StatusFlags();
  if (field == "Validity") return e.Validity();
  if (field == "RangeMin" || field == "RangeMax") {
    Variant min = Variant::Null();
    Variant max = Variant::Null();
    if (!e.GetRange(0, min, max)) return Variant::Null();
    return field == "RangeMin" ? min : max;
  }
  ADD_FAILURE() << "no such field " << field;
  return Variant::Null();
}

std::string Hex(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

// The elements of a DTM as its data model's CreateModel builds them; the wall
// clock stands at noon so that the local calendar day is 4 March 2026 in
// nearly every time zone. No InitNew: it runs the dependency rules over the
// new data set, which set the validities of the configuration and apply the
// texts of the selected language, while these tests check the build itself.
class Dictionary : public testing::DtmFixture {
 protected:
  void SetUp() override {
    clock_.SetWallOrigin(std::chrono::sys_days{std::chrono::year{2026} / 3 / 4} +
                         std::chrono::hours{12});
    ASSERT_NE(Model(), nullptr);
    Model()->IPrivateDataModel_CreateModel(Context());
  }

  runtime::Parameters& Collection() { return Context().Parameters(); }

  std::shared_ptr<clsDataElement> Element(const std::string& path) {
    return std::dynamic_pointer_cast<clsDataElement>(Collection().Find(path));
  }

  std::vector<std::shared_ptr<clsDataElement>> All() {
    std::vector<std::shared_ptr<clsDataElement>> out;
    for (const DataElementPtr& element : Collection().Elements()) {
      out.push_back(std::dynamic_pointer_cast<clsDataElement>(element));
    }
    return out;
  }

  std::set<std::string> PathsWhere(bool (*selects)(const clsDataElement&)) {
    std::set<std::string> paths;
    for (const auto& element : All()) {
      if (selects(*element)) paths.insert(element->Name);
    }
    return paths;
  }

  std::shared_ptr<clsDataModel> Model() {
    return std::dynamic_pointer_cast<clsDataModel>(Context().DataModel());
  }
};

// ---- Counts ---------------------------------------------------------------------

bool IsGroup(const clsDataElement& e) { return !e.Name.starts_with("~/") && e.Name.ends_with("/"); }

std::string FamilyOf(const clsDataElement& e) {
  if (e.Name.starts_with("~/")) return "~/";
  const std::string prefix = e.Name.substr(0, 2);
  if (prefix == "UC" || prefix == "CC" || prefix == "SC") return e.Name.substr(0, 5);
  return e.Name;
}

struct CensusCase {
  const char* name;
  std::string (*key)(const clsDataElement&);
  std::map<std::string, int> expected;
};

const CensusCase kCensus[] = {
    {"ByFamily", FamilyOf, {{"~/", 2},       {"UC000", 4},      {"UC001", 1},  {"UC006", 1},
                            {"UC012", 1},    {"UC013", 4},      {"UC015", 2},  {"UC016", 1},
                            {"DevState", 1}, {"DataStatus", 1}, {"CC038", 1},  {"CC048", 25},
                            {"SC128", 75},   {"SC130", 40},     {"SC132", 11}, {"SC133", 3},
                            {"SC134", 1},    {"SC135", 1},      {"SC136", 15}, {"SC138", 5}}},
    {"ByValueType",
     [](const clsDataElement& e) { return std::to_string(e.ValueType); },
     {{"0", 30}, {"2", 86}, {"4", 2}, {"8", 66}, {"11", 1}, {"14", 10}}},
    {"ByReadCommand",
     [](const clsDataElement& e) { return std::to_string(e.HARTParamReadCommand); },
     {{"128", 75},
      {"130", 40},
      {"48", 25},
      {"136", 15},
      {"138", 5},
      {"0", 4},
      {"13", 4},
      {"15", 2},
      {"1", 1},
      {"12", 1},
      {"16", 1},
      {"135", 1},
      {"-1", 21}}},
    {"ByWriteCommand",
     [](const clsDataElement& e) { return std::to_string(e.HARTParamWriteCommand); },
     {{"129", 52},
      {"131", 19},
      {"132", 11},
      {"48", 5},
      {"139", 5},
      {"18", 4},
      {"133", 3},
      {"6", 1},
      {"17", 1},
      {"19", 1},
      {"38", 1},
      {"134", 1},
      {"-1", 91}}},
    {"ByElementMode",
     [](const clsDataElement& e) { return Hex(e.ElementMode); },
     {{"0x1", 27},
      {"0x3", 2},
      {"0x4", 15},
      {"0x10", 6},
      {"0x12", 2},
      {"0x14", 3},
      {"0x0", 15},
      {"0x100080", 20},
      {"0x100090", 3},
      {"0x100092", 1},
      {"0x2000090", 3},
      {"0x2000091", 1},
      {"0x2000092", 64},
      {"0x2000093", 7},
      {"0x2080090", 17},
      {"0x8000090", 6},
      {"0x8000092", 1},
      {"0x8000094", 1},
      {"0xFFFF0090", 1}}},
    // The configuration parameters: read with 128 and written with 129, or 130 and 131.
    {"ConfigurationByCommands",
     [](const clsDataElement& e) {
       if (e.ElementMode != 0x2000092) return std::string("other");
       return std::to_string(e.HARTParamReadCommand) + "/" +
              std::to_string(e.HARTParamWriteCommand);
     },
     {{"128/129", 48}, {"130/131", 16}, {"other", 131}}},
    {"ByStatusFlags",
     [](const clsDataElement& e) { return Hex(e.StatusFlags()); },
     {{"0x0", 130}, {"0x1", 28}, {"0x3", 35}, {"0x2", 2}}},
    {"Groups",
     [](const clsDataElement& e) { return std::string(IsGroup(e) ? "group" : "value"); },
     {{"group", 29}, {"value", 166}}},
};

class DictionaryCensus : public Dictionary, public ::testing::WithParamInterface<CensusCase> {};

TEST_P(DictionaryCensus, CountsMatch) {
  std::map<std::string, int> counts;
  for (const auto& element : All()) ++counts[GetParam().key(*element)];
  EXPECT_EQ(counts, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, DictionaryCensus, ::testing::ValuesIn(kCensus),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Dictionary, HoldsOneHundredNinetyFiveElements) { EXPECT_EQ(Collection().Count(), 195u); }

// ---- Who carries which mode and flags -------------------------------------------

struct MembersCase {
  const char* name;
  std::uint32_t mode;
  std::set<std::string> paths;
};

const MembersCase kModeMembers[] = {
    {"UploadAndDownload", 0x3, {"UC013/", "CC048/"}},
    {"DeviceCommand",
     0x4,
     {"UC006", "CC038", "SC133", "SC132Inx1", "SC132Inx2", "SC132Inx3", "SC132Inx4", "SC132Inx5",
      "SC132Inx6", "SC132Inx7", "SC132Inx10", "SC132Inx254", "SC136FaultAl", "SC136GW1",
      "SC136GW2"}},
    {"StoredOnly",
     0x10,
     {"UC013/Tag", "SC136/OpMode", "SC136/wHand", "SC136/FaultAl", "SC136/GW1", "SC136/GW2"}},
    {"StoredDownload", 0x12, {"SC132Inx11", "SC132Inx12"}},
    {"StoredDeviceCommand", 0x14, {"SC128Tr15/Par2", "SC133Inx1", "SC133Inx2"}},
    {"Nothing",
     0x0,
     {"DevState", "DataStatus", "CC048/St0", "CC048/St1", "CC048/St2", "CC048/St3", "SC134",
      "SC130Tr3/Par2", "SC130Tr3/Par3", "SC130Tr3/Par4", "SC128Tr1/Par4", "SC130Tr8/Par3",
      "SC130Tr8/Par4", "SC128Tr15/Par3", "SC128Tr15/Par4"}},
    {"StatusBits", 0x100080, {"CC048/F10", "CC048/F11", "CC048/F12", "CC048/F13", "CC048/F14",
                              "CC048/F15", "CC048/F20", "CC048/F21", "CC048/F22", "CC048/F23",
                              "CC048/F24", "CC048/F26", "CC048/F30", "CC048/F32", "CC048/F33",
                              "CC048/F34", "CC048/F35", "CC048/F37", "CC048/F40", "CC048/F43"}},
    {"SwitchStates", 0x100090, {"SC130Tr7/Par2", "SC130Tr7/Par3", "SC130Tr7/Par4"}},
    {"SolenoidValve", 0x100092, {"SC130Tr8/Par1"}},
    {"ReadOnlyStates", 0x2000090, {"SC128Tr14/Par2", "SC130Tr6/Par1", "SC130Tr7/Par1"}},
    {"ProductNumber", 0x2000091, {"SC135"}},
    {"IdentificationTexts",
     0x2000093,
     {"UC012", "UC016", "SC138T1", "SC138T2", "SC138T3", "SC138T4", "SC138T5"}},
    {"ConstructorDefault",
     0x2080090,
     {"~/Address", "UC000/ManuId", "UC000/DevId", "UC000/SerNum", "UC015/WrProtect",
      "SC130Tr1/Par4", "SC128Tr13/Par1", "SC128Tr13/Par3", "SC128Tr13/Par4", "UC013/Descr",
      "UC013/Date", "SC128Tr14/Par1", "SC128Tr14/Par3", "SC128Tr14/Par4", "SC130Tr6/Par2",
      "SC130Tr6/Par3", "SC130Tr6/Par4"}},
    {"CyclicValues",
     0x8000090,
     {"SC136/wAnalog", "SC136/wDigit", "SC136/e", "SC136/x", "SC136/OpStat", "SC136/TotTravel"}},
    {"OperatingMode", 0x8000092, {"SC130Tr8/Par2"}},
    {"ManualSetPoint", 0x8000094, {"SC128Tr15/Par1"}},
    {"InstanceTag", 0xFFFF0090, {"~/Tag"}},
};

class DictionaryModeMembers : public Dictionary,
                              public ::testing::WithParamInterface<MembersCase> {};

TEST_P(DictionaryModeMembers, AreTheListedElements) {
  std::set<std::string> paths;
  for (const auto& element : All()) {
    if (element->ElementMode == static_cast<std::int32_t>(GetParam().mode)) {
      paths.insert(element->Name);
    }
  }
  EXPECT_EQ(paths, GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(Table, DictionaryModeMembers, ::testing::ValuesIn(kModeMembers),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Dictionary, EveryGroupButTwoIsUploadedOnly) {
  std::set<std::string> expected = PathsWhere(IsGroup);
  expected.erase("UC013/");
  expected.erase("CC048/");
  EXPECT_EQ(PathsWhere([](const clsDataElement& e) { return e.ElementMode == 0x1; }), expected);
}

// A group's transaction takes its members from the collection's map of them:
// for every group it must hold what the paths say, in build order.
TEST_F(Dictionary, EveryGroupHasTheElementsBelowItsPathAsMembers) {
  for (const auto& group : All()) {
    if (!group->Name.ends_with("/")) continue;
    std::vector<std::string> below;
    for (const auto& element : All()) {
      if (element->Name.size() > group->Name.size() && element->Name.starts_with(group->Name)) {
        below.push_back(element->Name);
      }
    }
    std::vector<std::string> members;
    for (const DataElementPtr& member : Collection().GetGroupMembers(group->Name)) {
      members.push_back(member->IPrivateDataElement_Name());
    }
    EXPECT_EQ(members, below) << group->Name;
  }
  std::vector<std::string> actuator;
  for (const DataElementPtr& member : Collection().GetGroupMembers("SC130Tr1/")) {
    actuator.push_back(member->IPrivateDataElement_Name());
  }
  EXPECT_EQ(actuator, (std::vector<std::string>{"SC130Tr1/Par2", "SC130Tr1/Par1", "SC130Tr1/Par4",
                                                "SC130Tr1/Par3"}));
}

TEST_F(Dictionary, GroupsHoldNoValue) {
  for (const auto& element : All()) {
    if (!IsGroup(*element)) continue;
    EXPECT_EQ(element->ValueType, 0) << element->Name;
    EXPECT_EQ(element->ValueTypeLength, 0) << element->Name;
    EXPECT_TRUE(element->InitialValue.IsEmpty()) << element->Name;
  }
}

TEST_F(Dictionary, InformationValuesAreTheListedElements) {
  const std::set<std::string> expected = {
      "UC000/ManuId",   "UC000/DevId",    "UC000/SerNum",   "DevState",       "UC015/WrProtect",
      "SC130Tr1/Par4",  "SC128Tr13/Par1", "SC128Tr13/Par3", "SC128Tr13/Par4", "SC135",
      "SC128Tr14/Par1", "SC128Tr14/Par2", "SC128Tr14/Par3", "SC128Tr14/Par4", "SC130Tr6/Par1",
      "SC130Tr6/Par2",  "SC130Tr6/Par3",  "SC130Tr6/Par4",  "SC130Tr7/Par1",  "SC130Tr7/Par2",
      "SC130Tr7/Par3",  "SC130Tr7/Par4",  "CC048/St0",      "CC048/St1",      "CC048/St2",
      "CC048/St3",      "SC134",          "DataStatus"};
  EXPECT_EQ(PathsWhere([](const clsDataElement& e) { return e.StatusFlags() == 0x1; }), expected);
}

TEST_F(Dictionary, DynamicValuesAreTheCyclicOnes) {
  EXPECT_EQ(PathsWhere([](const clsDataElement& e) { return e.StatusFlags() == 0x2; }),
            (std::set<std::string>{"SC128Tr15/Par1", "SC130Tr8/Par2"}));
  // Every value of command 136, every status bit of 48, and the solenoid valve.
  EXPECT_EQ(PathsWhere([](const clsDataElement& e) { return e.StatusFlags() == 0x3; }),
            PathsWhere([](const clsDataElement& e) {
              return (e.Name.starts_with("SC136") && e.Name != "SC136/") ||
                     e.Name.starts_with("CC048/F") || e.Name == "SC130Tr8/Par1";
            }));
}

// Lengths differ from the type's own only where a row says so.
TEST_F(Dictionary, LengthsAreTheTypesExceptTheListedTexts) {
  const std::map<std::string, std::int32_t> exceptions = {
      {"DevState", 16}, {"UC013/Tag", 8}, {"UC013/Descr", 16}, {"SC135", 16},   {"UC012", 32},
      {"SC138T1", 32},  {"SC138T2", 32},  {"SC138T3", 32},     {"SC138T4", 32}, {"SC138T5", 32}};
  const std::map<std::int32_t, std::int32_t> by_type = {{0, 0}, {2, 1},  {4, 3},
                                                        {8, 4}, {11, 8}, {14, 10}};
  for (const auto& element : All()) {
    const auto exception = exceptions.find(element->Name);
    const std::int32_t expected =
        exception != exceptions.end() ? exception->second : by_type.at(element->ValueType);
    EXPECT_EQ(element->ValueTypeLength, expected) << element->Name;
  }
}

// ---- Where values lie in the frames -----------------------------------------------

// Command 128 answers four records of an index byte and a Single, 130 four of
// an index byte and a Byte; 129 and 131 send the index at 0 and the value at 1.
TEST_F(Dictionary, TransactionMembersFollowTheRecordLayout) {
  for (const auto& element : All()) {
    const std::string& name = element->Name;
    const bool of128 = name.starts_with("SC128Tr") && !name.ends_with("/");
    const bool of130 = name.starts_with("SC130Tr") && !name.ends_with("/");
    if (!of128 && !of130) continue;
    const int member = name.back() - '0';  // Par1 .. Par4
    ASSERT_GE(member, 1) << name;
    ASSERT_LE(member, 4) << name;
    EXPECT_EQ(element->ValueType, of128 ? 8 : 2) << name;
    EXPECT_EQ(element->HARTParamReadCommand, of128 ? 128 : 130) << name;
    EXPECT_EQ(element->IndexRequestPosition, member - 1) << name;
    EXPECT_EQ(element->ReadResponsePosition, of128 ? 1 + 5 * (member - 1) : 1 + 2 * (member - 1))
        << name;
    if (element->HARTParamWriteCommand == -1) continue;
    EXPECT_EQ(element->HARTParamWriteCommand, of128 ? 129 : 131) << name;
    EXPECT_EQ(element->IndexWritePosition, 0) << name;
    EXPECT_EQ(element->WriteRequestPosition, 1) << name;
    EXPECT_EQ(element->WriteResponsePosition, 1) << name;
  }
}

// One index for two parameters would read or write the wrong one.
TEST_F(Dictionary, ParameterIndicesAreUniquePerCommand) {
  std::map<std::pair<int, int>, std::string> owner;
  for (const auto& element : All()) {
    const int command = element->HARTParamReadCommand;
    if ((command != 128 && command != 130) || IsGroup(*element) || element->ElementMode == 0) {
      continue;  // filler slots repeat the last index on purpose
    }
    const auto [it, added] =
        owner.emplace(std::pair{command, int{element->nParamIndex}}, element->Name);
    EXPECT_TRUE(added) << element->Name << " and " << it->second << " share index "
                       << int{element->nParamIndex} << " of " << command;
  }
  EXPECT_EQ(owner.size(), 57u + 27u);  // the real members of 128 and of 130
}

TEST_F(Dictionary, StatusBitsArePickedFromTheirBytes) {
  int bits = 0;
  for (const auto& element : All()) {
    if (!element->Name.starts_with("CC048/F")) continue;
    ++bits;
    const int byte = element->Name[7] - '1';
    const int bit = element->Name[8] - '0';
    EXPECT_EQ(element->ReadResponsePosition, byte) << element->Name;
    EXPECT_EQ(int{element->AccessMask}, 1 << bit) << element->Name;
    EXPECT_EQ(element->HARTParamReadCommand, 48) << element->Name;
  }
  EXPECT_EQ(bits, 20);
}

struct LayoutCase {
  const char* path;
  std::int32_t type;
  std::int16_t position;
};

// The 29 bytes of the answer to command 136.
const LayoutCase kCyclicLayout[] = {
    {"SC136/wAnalog", 8, 0},  {"SC136/OpMode", 2, 4},     {"SC136/wDigit", 8, 5},
    {"SC136/wHand", 8, 9},    {"SC136/e", 8, 13},         {"SC136/x", 8, 17},
    {"SC136/FaultAl", 2, 21}, {"SC136/GW1", 2, 22},       {"SC136/GW2", 2, 23},
    {"SC136/OpStat", 2, 24},  {"SC136/TotTravel", 8, 25}, {"SC136FaultAl", 2, 21},
    {"SC136GW1", 2, 22},      {"SC136GW2", 2, 23},
};

TEST_F(Dictionary, CyclicValuesFollowTheirAnswer) {
  for (const LayoutCase& expected : kCyclicLayout) {
    const auto element = Element(expected.path);
    ASSERT_NE(element, nullptr) << expected.path;
    EXPECT_EQ(element->ValueType, expected.type) << expected.path;
    EXPECT_EQ(element->ReadResponsePosition, expected.position) << expected.path;
    EXPECT_EQ(element->HARTParamReadCommand, 136) << expected.path;
    EXPECT_EQ(element->HARTParamWriteCommand, -1) << expected.path;
  }
}

struct CurvePoint {
  const char* path;
  double initial;
  int param_index;
  int sort;
};

// The user characteristic as a new instance starts it: x0..x10 of the set
// point, then y0..y10 of the travel, all percent in 0..100.
const CurvePoint kCurve[] = {
    {"SC128Tr4/Par2", 0.0, 24, 130},   {"SC128Tr4/Par3", 17.7, 25, 134},
    {"SC128Tr4/Par4", 31.4, 26, 138},  {"SC128Tr5/Par1", 50.2, 27, 142},
    {"SC128Tr5/Par2", 65.5, 28, 146},  {"SC128Tr5/Par3", 72.6, 29, 150},
    {"SC128Tr5/Par4", 78.7, 30, 154},  {"SC128Tr6/Par1", 90.6, 31, 158},
    {"SC128Tr6/Par2", 93.5, 32, 162},  {"SC128Tr6/Par3", 96.1, 33, 166},
    {"SC128Tr6/Par4", 100.0, 34, 170}, {"SC128Tr7/Par1", 0.0, 35, 132},
    {"SC128Tr7/Par2", 10.5, 36, 136},  {"SC128Tr7/Par3", 18.4, 37, 140},
    {"SC128Tr7/Par4", 30.9, 38, 144},  {"SC128Tr8/Par1", 43.8, 39, 148},
    {"SC128Tr8/Par2", 50.7, 40, 152},  {"SC128Tr8/Par3", 58.2, 41, 156},
    {"SC128Tr8/Par4", 75.7, 42, 160},  {"SC128Tr9/Par1", 81.3, 43, 164},
    {"SC128Tr9/Par2", 87.9, 44, 168},  {"SC128Tr9/Par3", 100.0, 45, 172},
};

TEST_F(Dictionary, UserCharacteristicStartsAsShipped) {
  for (const CurvePoint& point : kCurve) {
    const auto element = Element(point.path);
    ASSERT_NE(element, nullptr) << point.path;
    EXPECT_EQ(Show(element->InitialValue), Show(point.initial)) << point.path;
    EXPECT_EQ(int{element->nParamIndex}, point.param_index) << point.path;
    EXPECT_EQ(element->SortOrder, point.sort) << point.path;
    EXPECT_EQ(int{element->nInitUnit}, 57) << point.path;
    EXPECT_EQ(Show(FieldOf(*element, "RangeMin")), Show(0.0)) << point.path;
    EXPECT_EQ(Show(FieldOf(*element, "RangeMax")), Show(100.0)) << point.path;
    EXPECT_EQ(element->ElementMode, 0x2000092) << point.path;
  }
}

// ---- Build order ----------------------------------------------------------------

TEST_F(Dictionary, ElementsStandInBuildOrder) {
  const std::map<std::size_t, std::string> expected = {
      {1, "~/Tag"},          {2, "~/Address"},       {3, "UC000/"},         {7, "UC001/"},
      {8, "UC006"},          {9, "DevState"},        {12, "SC130Tr1/"},     {13, "SC130Tr1/Par2"},
      {15, "SC128Tr2/"},     {16, "SC128Tr2/Par1"},  {25, "SC128Tr1/"},     {32, "SC128Tr1/Par4"},
      {41, "SC128Tr15/"},    {45, "SC128Tr15/Par4"}, {52, "SC128Tr4/Par1"}, {53, "SC132Inx11"},
      {54, "SC128Tr4/Par2"}, {80, "SC128Tr9/Par3"},  {81, "SC132Inx12"},    {82, "SC130Tr1/Par3"},
      {83, "SC128Tr9/Par4"}, {97, "SC138T5"},        {113, "UC016"},        {116, "UC012"},
      {121, "UC013/"},       {124, "UC013/Date"},    {125, "SC135"},        {141, "SC136/"},
      {155, "SC136GW2"},     {156, "CC048/"},        {180, "CC048/F43"},    {181, "CC038"},
      {185, "SC134"},        {190, "SC132Inx254"},   {194, "SC132Inx5"},    {195, "DataStatus"}};
  const auto all = All();
  ASSERT_EQ(all.size(), 195u);
  for (const auto& [number, path] : expected) {
    EXPECT_EQ(all[number - 1]->Name, path) << "#" << number;
  }
}

// ---- Whole rows, field by field -------------------------------------------------

// Every field a row can set, with the value the element ends up with
// (defaults written out where the row keeps them).
struct FullRow {
  const char* name;
  std::size_t number;
  const char* path;
  std::int32_t type;
  std::int32_t length;
  Variant initial;
  std::int32_t read, write, read_response, write_request, write_response, index_request,
      index_write, param_index;
  std::uint32_t mode;
  std::int32_t flags, unit;
  Variant range_min, range_max;
  const char* format;
  bool valid, bits;
  std::int32_t mask, level, sort;
  const char *description, *value_list, *help, *cmd_errors;
};

const Variant kNull = Variant::Null();

// clang-format off
const FullRow kFullRows[] = {
    {"InstanceTag", 1, "~/Tag", 14, 10, "4625_1", -1, -1, -1, -1, -1, -1, -1, 0, 0xFFFF0090, 0, 0, Int16(32), Int16(95), "", true, false, 255, 1, 8,
     "Bezeichnung der Geräte-Instanz", "", "",
     "2:Unzulässige Auswahl|3:Parameter zu groß|4:Parameter zu klein|5:Zu wenige Datenbytes empfangen|6:Gerätespezifischer Fehler|7:Gerät ist schreibgeschützt|16:Zugriff verweigert|32:Gerät ist momentan beschäftigt|64:Kommando ist nicht im Gerät implementiert"},
    {"PollingAddress", 2, "~/Address", 2, 1, Int16(0), -1, -1, -1, -1, -1, -1, -1, 0, 0x2080090, 0, 0, kNull, kNull, "", true, false, 255, 1, 10,
     "Polling-Adresse des Geräts", "0:0|1:1|2:2|3:3|4:4|5:5|6:6|7:7|8:8|9:9|10:10|11:11|12:12|13:13|14:14|15:15",
     "Kurzadresse des Stellungsreglers für Punkt-zu-Punkt-Betrieb (0) oder Multidrop-Betrieb (1..15)", ""},
    {"Manufacturer", 4, "UC000/ManuId", 2, 1, Int16(165), 0, -1, 1, -1, -1, -1, -1, 0, 0x2080090, 1, 0, kNull, kNull, "", true, false, 255, 1, 20,
     "Hersteller des Stellungsreglers", "0:Unbekannt|165:VELDAR", "", ""},
    {"NewPollingAddress", 8, "UC006", 2, 1, Int16(0), -1, 6, -1, 0, 0, -1, -1, 0, 0x4, 0, 0, kNull, kNull, "", true, false, 255, 2, 0,
     "Neue Polling-Adresse des Geräts", "", "", ""},
    {"DeviceStatusByte", 9, "DevState", 2, 16, Int16(256), -1, -1, -1, -1, -1, -1, -1, 0, 0x0, 1, 0, kNull, kNull, "", true, true, 255, 1, 0,
     "Zeigt den Gerätezustand nach HART",
     "7:Fehlfunktion des Feldgeräts|6:Konfiguration geändert|5:Kaltstart|4:Erweiterte Statusinformation|3:Fester analoger Stromausgang|2:Analoger Ausgang übersteuert|1:Bereichsüberschreitung (SV-FV)|0:Bereichsüberschreitung (PV)",
     "", ""},
    {"UserCurveText", 97, "SC138T5", 14, 32, "VELDAR BUTTERFLY VALVE EQ. PERC.", 138, 139, 1, 1, 1, 0, -1, 4, 0x2000093, 0, 0, Int16(32), Int16(95), "", true, false, 255, 1, 128,
     "Freier Text zur Beschreibung der benutzerdefinierten Kennlinie (max. 32 Zeichen)", "", "", ""},
    {"Date", 124, "UC013/Date", 11, 8, "04.03.2026", 13, 18, 18, 18, 18, -1, -1, 0, 0x2080090, 0, 0, kNull, kNull, "", true, false, 255, 1, 28,
     "Eingabe des Datums im europäischen Datumsformat [TT.MM.JJJJ]", "", "", ""},
    {"PinPosition", 18, "SC130Tr3/Par1", 2, 1, Int16(0), 130, 131, 1, 1, 1, 0, 0, 85, 0x2000092, 0, 0, kNull, kNull, "", false, false, 255, 1, 212,
     "Position des Stiftes am Hebel des Stellungsreglers", "0:A|1:B", "", ""},
    {"RatedAngle", 26, "SC128Tr1/Par1", 8, 4, 90.0, 128, 129, 1, 1, 1, 0, 0, 61, 0x2000092, 0, 245, 0.0, 360.0, "0.0", false, false, 255, 1, 216,
     "Nennarbeitsbereich im Drehwinkelbereich des Ventils (0...360°)", "", "", ""},
    {"SolenoidValve", 37, "SC130Tr8/Par1", 2, 1, Int16(0), 130, -1, 1, -1, -1, 0, 0, 83, 0x100092, 3, 0, kNull, kNull, "", true, false, 255, 1, 356,
     "Zustand der optionalen Zwangsentlüftung. Bei Ausfall des Steuersignals wird die Sicherheitsstellung angefahren", "0:Aus|1:Ein", "", ""},
    {"ManualSetPoint", 42, "SC128Tr15/Par1", 8, 4, 4.0, 128, 129, 1, 1, 1, 0, 0, 6, 0x8000094, 2, 39, 3.8, 22.0, "0.0", false, false, 255, 1, 318,
     "Führungsgrösse w in mA, änderbar in der Betriebsart 'Hand' (3,8...22mA)", "", "", ""},
    {"CurveTransferStart", 53, "SC132Inx11", 2, 1, Int16(11), -1, 132, -1, 0, 0, -1, -1, 0, 0x12, 0, 0, kNull, kNull, "", true, false, 255, 1, 0,
     "Starten der Kennlinienübertragung", "", "", ""},
    {"LowerCutOff", 105, "SC128Tr12/Par2", 8, 4, 1.0, 128, 129, 6, 1, 1, 1, 0, 15, 0x2000092, 0, 57, -2.5, Int16(100), "0.0", true, false, 255, 1, 106,
     "Unterschreitet die Führungsgrösse den Grenzwert, fährt das Ventil in seine absolute Endlage entsprechend 0% der Führungsgrösse (-2,5...100%)", "", "", ""},
    {"MaximumTravel", 128, "SC128Tr14/Par2", 8, 4, Int16(0), 128, -1, 6, -1, -1, 1, 0, 66, 0x2000090, 1, 57, 0.0, 127.0, "0.0", true, false, 255, 1, 218,
     "Maximal erreichter Hub in % vom Nennhub, ermittelt während der Initialisierung", "", "", ""},
    {"TravelTotal", 152, "SC136/TotTravel", 8, 4, 0.0, 136, -1, 25, -1, -1, -1, -1, 0, 0x8000090, 3, 0, 0.0, 16500000.0, "0", true, false, 255, 1, 320,
     "Summe der Nennlastspiele", "", "", ""},
    {"StatusByte1", 158, "CC048/St1", 2, 1, Int16(0), 48, 48, 1, -1, 1, -1, -1, 0, 0x0, 1, 0, kNull, kNull, "", true, false, 255, 1, 0,
     "Gerätestatus 1",
     "0:Unbestimmt|1:Gerät nicht initialisiert|2:Initialisierung in Bearbeitung|4:Initialisierung fehlerhaft|8:Nullpunktabgleich in Bearbeitung|16:Nullpunktfehler|32:Aktion abgebrochen|512:Erfolgreich",
     "", ""},
    {"SupplyTooLow", 176, "CC048/F34", 2, 1, Int16(0), 48, -1, 2, -1, -1, -1, -1, 0, 0x100080, 3, 0, kNull, kNull, "", true, false, 0x10, 1, 376,
     "Hilfsenergie zu gering", "0:Aus|1:Ein", "", ""},
    {"CalibrationState", 185, "SC134", 2, 1, Int16(0), -1, 134, -1, -1, 0, 0, -1, 0, 0x0, 1, 0, kNull, kNull, "", true, false, 255, 1, 0,
     "Status Kalibrierung",
     "0:Unbestimmt|1:Läuft|2:Abgebrochen|3:Bereich fehlerhaft|4:Mechanik oder Pneumatik fehlerhaft|5:Verstärkungsfehler|6:Offsetfehler|7:Reihenfolge Difftrafo-Abgleich vertauscht|8:Test Nullpunkt-Taste - Taste gedrückt|9:Test fortsetzen|10:Default|11:Zeitfehler|12:Proportionalbereich zu stark eingeschränkt|13:Nennhub oder Übersetzung falsch gewählt|14:Mechanisches System klemmt|15:Pneumatisches System undicht|16:Abgebrochen, kein erfolgreicher Fertigungstest|17:Ermittlung der mechanischen Anschläge|18:Ermittlung der minimalen Stellimpulse|19:Ermittlung der minimalen Laufzeiten|20:Abgebrochen, Zwangsentlüftung aktiv|30:Nullpunktfehler|31:Gerät nicht initialisiert|254:Erfolgreich|255:Keine aktuellen Daten von der Applikation",
     "", ""},
};
// clang-format on

class DictionaryFullRow : public Dictionary, public ::testing::WithParamInterface<FullRow> {};

TEST_P(DictionaryFullRow, HoldsEveryFieldOfItsRow) {
  const FullRow& row = GetParam();
  const auto all = All();
  ASSERT_EQ(all.size(), 195u);
  const auto& element = all[row.number - 1];
  ASSERT_EQ(element->Name, row.path) << "#" << row.number;
  const std::vector<std::pair<const char*, Variant>> fields = {
      {"ValueType", row.type},
      {"ValueTypeLength", row.length},
      {"InitialValue", row.initial},
      {"HARTParamReadCommand", row.read},
      {"HARTParamWriteCommand", row.write},
      {"ReadResponsePosition", row.read_response},
      {"WriteRequestPosition", row.write_request},
      {"WriteResponsePosition", row.write_response},
      {"IndexRequestPosition", row.index_request},
      {"IndexWritePosition", row.index_write},
      {"nParamIndex", row.param_index},
      {"ElementMode", Long(row.mode)},
      {"StatusFlags", row.flags},
      {"nInitUnit", row.unit},
      {"RangeMin", row.range_min},
      {"RangeMax", row.range_max},
      {"ValueFormat", row.format},
      {"Validity", row.valid},
      {"bBitEncoding", row.bits},
      {"AccessMask", row.mask},
      {"RequiredUserLevel", row.level},
      {"SortOrder", row.sort},
      {"Description", row.description},
      {"ValueList", row.value_list},
      {"HelpText", row.help},
      {"CmdErrList", row.cmd_errors},
      {"Prompt", ""},
      {"bPackedCoding", true},
  };
  for (const auto& [field, expected] : fields) {
    EXPECT_EQ(Show(FieldOf(*element, field)), Show(expected)) << row.path << " " << field;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DictionaryFullRow, ::testing::ValuesIn(kFullRows),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Single fields worth a look ---------------------------------------------------

struct FieldCase {
  const char* name;
  const char* path;
  const char* field;
  Variant expected;
};

// clang-format off
const FieldCase kFieldCases[] = {
    {"TagStartsLikeInstanceTag", "UC013/Tag", "InitialValue", "4625_1"},
    {"TagHoldsEightCharacters", "UC013/Tag", "ValueTypeLength", 8},
    {"DeviceTypeStartsSupported", "UC000/DevId", "InitialValue", Int16(70)},
    {"DeviceTypeListsSupported", "UC000/DevId", "ValueList", "0:Unbekannt|70:4625"},
    {"SerialNumberWithoutDecimals", "UC000/SerNum", "ValueFormat", "0"},
    {"FirstInfoTextStartsEmpty", "SC138T1", "InitialValue", "-/-"},
    {"FourthInfoTextIndex", "SC138T4", "nParamIndex", 3},
    {"ProductNumberStartsAtZeroText", "SC135", "InitialValue", "0"},
    {"UnitLimitFirst", "UC016", "RangeMin", Int16(0)},
    {"UnitLimit24Bit", "UC016", "RangeMax", 16777215.0},
    {"AssemblyNumberWithoutDecimals", "UC016", "ValueFormat", "0"},
    {"DateIsADateType", "UC013/Date", "ValueType", 11},
    {"WriteProtectAtByte15", "UC015/WrProtect", "ReadResponsePosition", 15},
    {"SingleWithoutOwnFormat", "SC128Tr2/Par1", "ValueFormat", "0.0"},
    {"SingleWithOwnFormat", "SC128Tr3/Par1", "ValueFormat", "0.00"},
    {"DerivativeGainMin", "SC128Tr3/Par3", "RangeMin", 0.0},
    {"DerivativeGainMaxIsOne", "SC128Tr3/Par3", "RangeMax", 1.0},
    {"LowerTravelLimitMin", "SC128Tr11/Par2", "RangeMin", -20.0},
    {"LowerTravelLimitMax", "SC128Tr11/Par2", "RangeMax", 99.9},
    {"TravelIntegralLimitStart", "SC128Tr10/Par4", "InitialValue", 1000000.0},
    {"TravelIntegralLimitMin", "SC128Tr10/Par4", "RangeMin", 1.0},
    {"TravelIntegralLimitMax", "SC128Tr10/Par4", "RangeMax", 16500000.0},
    {"TravelIntegralLimitFormat", "SC128Tr10/Par4", "ValueFormat", "0"},
    {"ResetTimeStartsAtIntegerTen", "SC128Tr11/Par3", "InitialValue", Int16(10)},
    {"ResetTimeIntegerMin", "SC128Tr11/Par3", "RangeMin", Int16(0)},
    {"ResetTimeIntegerMax", "SC128Tr11/Par3", "RangeMax", Int16(240)},
    {"ResetTimeFormat", "SC128Tr11/Par3", "ValueFormat", "0"},
    {"LowerWorkingRangeStartsAtIntegerZero", "SC128Tr1/Par2", "InitialValue", Int16(0)},
    {"LowerWorkingRangeStaysSingle", "SC128Tr1/Par2", "ValueType", 8},
    {"ClosingTimeStartsAtIntegerZero", "SC128Tr10/Par2", "InitialValue", Int16(0)},
    {"ElectronicsRevisionStartsAtIntegerZero", "SC128Tr13/Par1", "InitialValue", Int16(0)},
    {"FillerRepeatsLastIndex", "SC128Tr1/Par4", "nParamIndex", 63},
    {"FillerWithoutText", "SC128Tr1/Par4", "Description", ""},
    {"LastFillerRepeatsIndex", "SC128Tr15/Par4", "nParamIndex", 51},
    {"PositionTransmitterTestValueUnit", "SC128Tr15/Par2", "nInitUnit", 57},
    {"CharacteristicWithoutThree", "SC130Tr1/Par3", "ValueList", "0:Benutzerdefiniert|1:Linear|2:Gleichprozentig|4:Gleichprozentig invers"},
    {"PickOffStartsAtOne", "SC130Tr2/Par1", "InitialValue", Int16(1)},
    {"PickOffWithoutZero", "SC130Tr2/Par1", "ValueList", "1:D1|2:D2|3:S90|4:S120"},
    {"SafetyPositionStartsUnknown", "SC130Tr6/Par1", "InitialValue", Int16(2)},
    {"InitWarningsListed", "SC130Tr7/Par1", "ValueList", "0:Unbestimmt|12:Proportionalbereich zu stark eingeschränkt|13:Nennhub oder Übersetzung falsch gewählt|15:Pneumatisches System undicht|254:Keine Meldungen|255:Keine Daten verfügbar"},
    {"SolenoidValveHasNoWriteCommand", "SC130Tr8/Par1", "HARTParamWriteCommand", -1},
    {"SetPointDirection", "SC130Tr5/Par1", "ValueList", "0:>> steigend/steigend|1:<> steigend/fallend"},
    {"TransmitterDirection", "SC130Tr5/Par2", "ValueList", "0:>> steigend/steigend|1:<> steigend/fallend"},
    {"FillerSlotOfTransactionThree", "SC130Tr3/Par4", "nParamIndex", 85},
    {"AbortActionStartsInvalid", "SC133", "Validity", false},
    {"AbortZeroStartsInvalid", "SC133Inx1", "Validity", false},
    {"AbortInitStartsInvalid", "SC133Inx2", "Validity", false},
    {"AbortInitIsStoredCommand", "SC133Inx2", "ElementMode", 0x14},
    {"ColdStartNumber", "SC132Inx254", "InitialValue", Int16(254)},
    {"CalibrationStateHasNoReadCommand", "SC134", "HARTParamReadCommand", -1},
    {"CalibrationStateWrittenWith134", "SC134", "HARTParamWriteCommand", 134},
    {"ManualSetPointStartsInvalid", "SC136/wHand", "Validity", false},
    {"DeviationMin", "SC136/e", "RangeMin", -120.0},
    {"DeviationMax", "SC136/e", "RangeMax", 120.0},
    {"ControlledVariableMin", "SC136/x", "RangeMin", -10.0},
    {"ControlledVariableMax", "SC136/x", "RangeMax", 120.0},
    {"DigitalSetPointMin", "SC136/wDigit", "RangeMin", -10.0},
    {"DigitalSetPointMax", "SC136/wDigit", "RangeMax", 120.0},
    {"FaultAlarmCommandAtByte21", "SC136FaultAl", "ReadResponsePosition", 21},
    {"OperatingStateAtByte24", "SC136/OpStat", "ReadResponsePosition", 24},
    {"TopBitOfByte2", "CC048/F37", "AccessMask", 0x80},
    {"StatusByte3Position", "CC048/St3", "WriteResponsePosition", 3},
    {"DataSourceStartsAtProject", "DataStatus", "InitialValue", Int16(0)},
    {"DataSourceList", "DataStatus", "ValueList", "0:Projekt|1:Gerät|2:Geändert"},
};
// clang-format on

class DictionaryField : public Dictionary, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(DictionaryField, HoldsItsValue) {
  const auto element = Element(GetParam().path);
  ASSERT_NE(element, nullptr) << GetParam().path;
  EXPECT_EQ(Show(FieldOf(*element, GetParam().field)), Show(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Table, DictionaryField, ::testing::ValuesIn(kFieldCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Dictionary, CharacteristicPointsAreFramedByTheTransfer) {
  const auto all = All();
  ASSERT_EQ(all.size(), 195u);
  std::map<std::string, std::size_t> position;
  for (std::size_t i = 0; i < all.size(); ++i) position[all[i]->Name] = i;
  EXPECT_EQ(position.at("SC132Inx11") + 1, position.at("SC128Tr4/Par2"));
  EXPECT_EQ(position.at("SC128Tr9/Par3") + 1, position.at("SC132Inx12"));
}

TEST_F(Dictionary, ActionNumbersSkipEightAndNine) {
  EXPECT_EQ(PathsWhere([](const clsDataElement& e) { return e.Name.starts_with("SC132Inx"); }),
            (std::set<std::string>{"SC132Inx1", "SC132Inx2", "SC132Inx3", "SC132Inx4", "SC132Inx5",
                                   "SC132Inx6", "SC132Inx7", "SC132Inx10", "SC132Inx11",
                                   "SC132Inx12", "SC132Inx254"}));
}

TEST_F(Dictionary, IdentificationGroupWithoutMembers) {
  ASSERT_NE(Element("UC001/"), nullptr);
  EXPECT_EQ(Element("UC001/")->HARTParamReadCommand, 1);
  EXPECT_TRUE(Collection().GetGroupMembers("UC001/").empty());
}

TEST_F(Dictionary, DeviceStatusShowsBitsUnderTheirTexts) {
  const auto element = Element("DevState");
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(element->GetStrValueFromIdxList(0x81),
            "[x] Fehlfunktion des Feldgeräts, [ ] Konfiguration geändert, [ ] Kaltstart, "
            "[ ] Erweiterte Statusinformation, [ ] Fester analoger Stromausgang, "
            "[ ] Analoger Ausgang übersteuert, [ ] Bereichsüberschreitung (SV-FV), "
            "[x] Bereichsüberschreitung (PV)");
}

TEST_F(Dictionary, AddsTheAngleDegree) {
  ASSERT_NE(Model(), nullptr);
  EXPECT_EQ(Model()->HartUnits()->UnitText(245), "°");
}

// ---- Rebuilding -------------------------------------------------------------------

TEST_F(Dictionary, SecondBuildReplacesEveryElement) {
  const auto before = Element("SC136/x");
  ASSERT_NE(before, nullptr);
  before->SetStatusFlags(0x4);
  before->Description = "edited";
  Model()->HartUnits()->Add(245, 2.0, 0.0, "deg", "");

  DataModelHelpers::CreateDictionary(Collection(), clock_);

  EXPECT_EQ(Collection().Count(), 195u);
  const auto after = Element("SC136/x");
  ASSERT_NE(after, nullptr);
  EXPECT_NE(after, before);
  EXPECT_EQ(after->StatusFlags(), 0x3);
  EXPECT_EQ(after->Description, "Regelgrösse in % bezogen auf den Hub-/Drehwinkelbereich");
  EXPECT_EQ(Model()->HartUnits()->UnitText(245), "°");
}

TEST_F(Dictionary, DateIsTheDayOfTheBuild) {
  clock_.Advance(std::chrono::hours{24 * 280});  // 9 December 2026
  DataModelHelpers::CreateDictionary(Collection(), clock_);
  EXPECT_EQ(Show(Element("UC013/Date")->InitialValue), Show("09.12.2026"));
}

// ---- The element constructor ---------------------------------------------------------

TEST_F(Dictionary, NewElementCarriesTheDefaults) {
  const DataElement element =
      DataModelHelpers::AddDataElement(Collection(), "XX001/Test", Int16(7), 2, -1);
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(Collection().Elements().back(), element);
  const std::pair<const char*, Variant> defaults[] = {
      {"Name", "XX001/Test"},
      {"ValueType", 2},
      {"ValueTypeLength", 1},
      {"InitialValue", Int16(7)},
      {"ElementMode", 0x2080090},
      {"HARTParamReadCommand", -1},
      {"HARTParamWriteCommand", -1},
      {"ReadResponsePosition", -1},
      {"WriteRequestPosition", -1},
      {"WriteResponsePosition", -1},
      {"ReadUnitResponsePosition", -1},
      {"WriteUnitRequestPosition", -1},
      {"WriteUnitResponsePosition", -1},
      {"IndexRequestPosition", -1},
      {"IndexWritePosition", -1},
      {"RequiredUserLevel", 1},
      {"bPackedCoding", true},
      {"bBitEncoding", false},
      {"AccessMask", 255},
      {"Validity", true},
      {"IgnoreUpdate", false},
      {"SortOrder", 0},
      {"StatusFlags", 0},
      {"ValueFormat", ""},
      {"nParamIndex", 0},
      {"nInitUnit", 0},
      {"Prompt", ""},
      {"Description", ""},
      {"HelpText", ""},
      {"ValueList", ""},
      {"CmdErrList", ""},
      {"RangeMin", kNull},
  };
  for (const auto& [field, expected] : defaults) {
    EXPECT_EQ(Show(FieldOf(*element, field)), Show(expected)) << field;
  }
}

TEST_F(Dictionary, DuplicatePathIsRefused) {
  try {
    DataModelHelpers::AddDataElement(Collection(), "~/Tag", "x", 14, -1);
    FAIL() << "a second ~/Tag was added";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 457);
  }
  EXPECT_EQ(Collection().Count(), 195u);
}

struct LengthCase {
  const char* name;
  std::int32_t type;
  std::int32_t length_argument;
  std::int32_t length;
  const char* format;
};

const LengthCase kLengths[] = {
    {"None", 0, -1, 0, ""},      {"Bytes", 1, -1, 0, ""},      {"UInt8", 2, -1, 1, ""},
    {"UInt16", 3, -1, 2, ""},    {"UInt24", 4, -1, 3, ""},     {"Int16", 5, -1, 2, ""},
    {"Int24", 6, -1, 3, ""},     {"Int32", 7, -1, 4, ""},      {"Single", 8, -1, 4, "0.0"},
    {"Double", 9, -1, 8, ""},    {"Boolean", 10, -1, 1, ""},   {"Date", 11, -1, 8, ""},
    {"Date12", 12, -1, 8, ""},   {"Date13", 13, -1, 17, ""},   {"Text", 14, -1, 10, ""},
    {"Decimal", 15, -1, 0, ""},  {"Enum", 16, -1, 4, ""},      {"Unknown17", 17, -1, 0, ""},
    {"Negative", -3, -1, 0, ""}, {"GivenLength", 2, 7, 7, ""}, {"GivenZero", 8, 0, 0, "0.0"},
};

class AddDataElementLength : public Dictionary, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(AddDataElementLength, TakesTheTypesDefault) {
  const DataElement element = DataModelHelpers::AddDataElement(
      Collection(), "XX001/Length", Variant(), GetParam().type, GetParam().length_argument);
  EXPECT_EQ(element->ValueTypeLength, GetParam().length);
  EXPECT_EQ(element->ValueFormat, GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(Table, AddDataElementLength, ::testing::ValuesIn(kLengths),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Dictionary, TextElementAcceptsSpaceToUnderscore) {
  const DataElement text =
      DataModelHelpers::AddDataElement(Collection(), "XX001/Text", "A", 14, -1);
  EXPECT_EQ(Show(FieldOf(*text, "RangeMin")), "Integer 32");
  EXPECT_EQ(Show(FieldOf(*text, "RangeMax")), "Integer 95");
  const DataElement number =
      DataModelHelpers::AddDataElement(Collection(), "XX001/Number", Int16(1), 2, -1);
  EXPECT_EQ(Show(FieldOf(*number, "RangeMin")), "Null");
}

struct ByteArrayCase {
  const char* name;
  Variant initial;
  std::int32_t length;
  Variant expected;
};

const ByteArrayCase kByteArrays[] = {
    {"ScalarFillsEveryByte", Int16(0), 4, com::ByteArray{0, 0, 0, 0}},
    {"ScalarValueRepeated", Int16(0x5A), 3, com::ByteArray{0x5A, 0x5A, 0x5A}},
    {"EmptyStaysEmpty", Variant(), 4, Variant()},
    {"ArrayKept", com::ByteArray{1, 2}, 4, com::ByteArray{1, 2}},
    {"NoLengthKeepsScalar", Int16(9), -1, Int16(9)},
};

class AddDataElementBytes : public Dictionary,
                            public ::testing::WithParamInterface<ByteArrayCase> {};

TEST_P(AddDataElementBytes, StartsAsByteArray) {
  const DataElement element = DataModelHelpers::AddDataElement(
      Collection(), "XX001/Bytes", GetParam().initial, 1, GetParam().length);
  EXPECT_EQ(Show(element->InitialValue), Show(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Table, AddDataElementBytes, ::testing::ValuesIn(kByteArrays),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Floats whose arithmetic fails ------------------------------------------------

struct FloatCase {
  const char* name;
  Variant value;
  bool invalid;
};

const FloatCase kFloats[] = {
    {"SingleNaN", std::numeric_limits<float>::quiet_NaN(), true},
    {"SingleInfinity", std::numeric_limits<float>::infinity(), true},
    {"DoubleNaN", std::numeric_limits<double>::quiet_NaN(), true},
    {"DoubleMinusInfinity", -std::numeric_limits<double>::infinity(), true},
    {"SingleLargest", std::numeric_limits<float>::max(), false},
    {"DoubleOrdinary", 1.5, false},
    {"IntegerZero", Int16(0), false},
    {"TextNaN", "NaN", false},
    {"Empty", Variant(), false},
};

class InvalidFloat : public ::testing::TestWithParam<FloatCase> {};

TEST_P(InvalidFloat, FlagsOnlyNaNAndInfinity) {
  EXPECT_EQ(DataModelHelpers::IsInvalidFloat(GetParam().value), GetParam().invalid);
}

INSTANTIATE_TEST_SUITE_P(Table, InvalidFloat, ::testing::ValuesIn(kFloats),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm
