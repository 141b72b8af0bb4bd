// The element in the instance data set (property bag), in the DTM variable
// nodes of the FDT parameter document and in the documentation document.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_element_persistence.h"
#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "platform/com/property_bag.h"
#include "platform/xml/dom.h"
#include "tests/component/datamodel/element_fixture.h"

namespace dtm::testing::element {
namespace {

using com::Variant;


constexpr const char* kPath = "XX130Tr1/Par2";

// A bag whose every call fails, as a frame's broken storage does.
class FailingBag final : public com::PropertyBag {
 public:
  Variant ReadProperty(const std::string& name, const std::optional<Variant>&) override {
    throw com::ComError(321, "Invalid file format", name);
  }
  void WriteProperty(const std::string& name, const Variant&,
                     const std::optional<Variant>&) override {
    throw com::ComError(75, "Path/File access error", name);
  }
};

// ---- Property bag round trip -----------------------------------------------------

struct RoundTripCase {
  const char* name;
  std::int32_t value_type;
  Variant value;
  Variant stored;  // the bag entry as written
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

const RoundTripCase kRoundTrips[] = {
    {"Byte", kVtUInt8, Byte(200), Byte(200)},
    {"Integer", kVtInt16, Int16(-300), Int16(-300)},
    {"Long", kVtInt32, Long(-70000), Long(-70000)},
    {"Single", kVtSingle, Variant(12.5f), Variant(12.5f)},
    {"Double", kVtDouble, Variant(0.1), Variant(0.1)},
    {"EnumDouble", kVtEnum, Variant(4294967295.0), Variant(4294967295.0)},
    {"Boolean", kVtBoolean, Variant(true), Variant(true)},
    {"Date", kVtDate, Variant::Date(43895.5), Variant::Date(43895.5)},
    {"Text", kVtText, Variant("TV-101"), Variant("TV-101")},
    {"EmptyText", kVtText, Variant(""), Variant("")},
    {"Decimal", kVtDecimal, Variant(com::Decimal::Parse("1.25")),
     Variant(com::Decimal::Parse("1.25"))},
    {"BytesAsUpperHex", kVtBytes, Variant(com::ByteArray{0x01, 0xAB}), Variant("01AB")},
    {"EmptyValue", kVtDouble, Variant(), Variant()},
};

class PropertyBagRoundTrip : public ElementFixture,
                             public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(PropertyBagRoundTrip, KeepsValueSubtypeUnitAndFlags) {
  const RoundTripCase& c = GetParam();
  element_.Name = kPath;
  element_.ElementMode = mode::kStored;
  element_.ValueType = c.value_type;
  element_.TransientValue = c.value;
  element_.nUnit = 57;
  element_.SetRawStatusFlags(0x0F0FF02F);
  com::MemoryPropertyBag bag;
  ASSERT_TRUE(element_.IPrivateDataElement_WriteToPropBag(bag, Variant()));
  EXPECT_EQ(element_.PersistentValue, c.value);

  using Entries = std::vector<std::pair<std::string, Variant>>;
  const Entries expected = {{"XX130Tr1/Par2", c.stored},
                            {"XX130Tr1/Par2.Unit", Byte(57)},
                            {"XX130Tr1/Par2.Flags", Long(0x0F00F008)}};
  EXPECT_EQ(bag.Entries(), expected);

  clsDataElement read;
  read.Name = kPath;
  read.ElementMode = mode::kStored;
  read.ValueType = c.value_type;
  read.InitialValue = Variant("initial");
  ASSERT_TRUE(read.IPrivateDataElement_ReadFromPropBag(bag, Context()));
  EXPECT_EQ(read.TransientValue, c.value) << Show(read.TransientValue);
  EXPECT_EQ(read.PersistentValue, c.value) << Show(read.PersistentValue);
  EXPECT_EQ(read.nUnit, 57);
  // The saved mark is no input error the element finds in its value.
  EXPECT_EQ(read.RawStatusFlags(), 0x0F000008);
}

INSTANTIATE_TEST_SUITE_P(Table, PropertyBagRoundTrip, ::testing::ValuesIn(kRoundTrips), RowName());

class PropertyBagRead : public ElementFixture {
 protected:
  PropertyBagRead() {
    element_.Name = kPath;
    element_.ElementMode = mode::kStored;
    element_.ValueType = kVtDouble;
    element_.InitialValue = Variant(5.0);
    element_.TransientValue = Variant(1.0);
    element_.PersistentValue = Variant("previous");
    element_.nInitUnit = 12;
    element_.nUnit = 7;
  }
  bool Read() { return element_.IPrivateDataElement_ReadFromPropBag(bag_, Context()); }
  com::MemoryPropertyBag bag_;
};

TEST_F(PropertyBagRead, MissingEntriesTakeTheDefaults) {
  element_.SetRawStatusFlags(0x00F0F004);
  EXPECT_TRUE(Read());
  EXPECT_EQ(element_.TransientValue, Variant(5.0));
  EXPECT_EQ(element_.PersistentValue, Variant("previous"));
  EXPECT_EQ(element_.nUnit, 12);
  // Valid; Changed kept; errors and response class cleared.
  EXPECT_EQ(element_.RawStatusFlags(), 0x01000004);
}

TEST_F(PropertyBagRead, StoredFlagsRestoreOnlyThePersistedBits) {
  element_.SetRawStatusFlags(0x0100F024);
  bag_.WriteProperty(std::string(kPath) + ".Flags", Long(0x00F00008));
  EXPECT_TRUE(Read());
  // Needed from the data set, online edit and Changed kept, validity from
  // the data set (cleared), the input error cleared.
  EXPECT_EQ(element_.RawStatusFlags(), 0x0000002C);
  EXPECT_FALSE(element_.Validity());
}

TEST_F(PropertyBagRead, StoredReservedBitsComeBackHidden) {
  bag_.WriteProperty(std::string(kPath) + ".Flags", Long(0x0F00F00F));
  EXPECT_TRUE(Read());
  EXPECT_EQ(element_.RawStatusFlags(), 0x0F000008);
  EXPECT_EQ(element_.StatusFlags(), 0x00000008);
}

TEST_F(PropertyBagRead, EmptyTextOfANumberIsEmpty) {
  bag_.WriteProperty(kPath, Variant(""));
  EXPECT_TRUE(Read());
  EXPECT_TRUE(element_.TransientValue.IsEmpty());
  EXPECT_TRUE(element_.PersistentValue.IsEmpty());
}

TEST_F(PropertyBagRead, EmptyTextOfATextStaysText) {
  element_.ValueType = kVtText;
  bag_.WriteProperty(kPath, Variant(""));
  EXPECT_TRUE(Read());
  EXPECT_EQ(element_.TransientValue, Variant(""));
}

TEST_F(PropertyBagRead, StoredEmptyIsNoMissingEntry) {
  bag_.WriteProperty(kPath, Variant());
  EXPECT_TRUE(Read());
  EXPECT_TRUE(element_.TransientValue.IsEmpty());
  EXPECT_TRUE(element_.PersistentValue.IsEmpty());
}

TEST_F(PropertyBagRead, DamagedHexTakesTheInitialValue) {
  element_.ValueType = kVtBytes;
  element_.InitialValue = Variant(com::ByteArray{0xFF});
  bag_.WriteProperty(kPath, Variant("0G"));
  EXPECT_TRUE(Read());
  EXPECT_EQ(element_.TransientValue, Variant(com::ByteArray{0xFF}));
  EXPECT_EQ(element_.PersistentValue, Variant("previous"));
}

struct UnitEntryCase {
  const char* name;
  Variant stored;
  bool result;
  std::uint8_t unit;
};

void PrintTo(const UnitEntryCase& c, std::ostream* os) { *os << c.name; }

const UnitEntryCase kUnitEntries[] = {
    {"Byte", Byte(49), true, 49},
    {"Integer", Int16(57), true, 57},
    {"TextOfAnOlderDataSet", Variant("bar"), true, 7},
    {"EmptyTextTakesInitUnit", Variant(""), true, 12},
    {"LongTakesInitUnit", Long(57), true, 12},
    {"DoubleTakesInitUnit", Variant(57.0), true, 12},
    {"UnknownTextFails", Variant("furlong"), false, 7},
    {"IntegerBeyondAByteFails", Int16(300), false, 7},
};

class PropertyBagUnit : public PropertyBagRead,
                        public ::testing::WithParamInterface<UnitEntryCase> {};

TEST_P(PropertyBagUnit, TakesTheCodeOrTheInitUnit) {
  const UnitEntryCase& c = GetParam();
  element_.SetRawStatusFlags(0x00002000);
  bag_.WriteProperty(kPath, Variant(2.5));
  bag_.WriteProperty(std::string(kPath) + ".Unit", c.stored);
  EXPECT_EQ(Read(), c.result);
  EXPECT_EQ(element_.nUnit, c.unit);
  // The value is taken before the unit; the flags only after it.
  EXPECT_EQ(element_.TransientValue, Variant(2.5));
  EXPECT_EQ(element_.RawStatusFlags(), c.result ? 0x01000000 : 0x00002000);
}

INSTANTIATE_TEST_SUITE_P(Table, PropertyBagUnit, ::testing::ValuesIn(kUnitEntries), RowName());

TEST_F(PropertyBagRead, UnitTextWithoutTableFails) {
  bag_.WriteProperty(std::string(kPath) + ".Unit", Variant("bar"));
  EXPECT_FALSE(element_.IPrivateDataElement_ReadFromPropBag(bag_, BareContext()));
  EXPECT_EQ(element_.nUnit, 7);
}

TEST_F(PropertyBagRead, DamagedFlagsFailAfterValueAndUnit) {
  element_.SetRawStatusFlags(0x00002000);
  bag_.WriteProperty(kPath, Variant(2.5));
  bag_.WriteProperty(std::string(kPath) + ".Unit", Byte(49));
  bag_.WriteProperty(std::string(kPath) + ".Flags", Variant("damaged"));
  EXPECT_FALSE(Read());
  EXPECT_EQ(element_.TransientValue, Variant(2.5));
  EXPECT_EQ(element_.nUnit, 49);
  EXPECT_EQ(element_.RawStatusFlags(), 0x00002000);
}

TEST_F(PropertyBagRead, BrokenBagGivesInitialValueAndFails) {
  FailingBag bag;
  EXPECT_FALSE(element_.IPrivateDataElement_ReadFromPropBag(bag, Context()));
  EXPECT_EQ(element_.TransientValue, Variant(5.0));
  EXPECT_EQ(element_.PersistentValue, Variant("previous"));
}

TEST_F(PropertyBagRead, BrokenBagFailsTheWriteAndKeepsThePersistentValue) {
  FailingBag bag;
  EXPECT_FALSE(element_.IPrivateDataElement_WriteToPropBag(bag, Variant()));
  EXPECT_EQ(element_.PersistentValue, Variant("previous"));
}

TEST_F(PropertyBagRead, ElementOutsideTheDataSetIgnoresItsEntriesAndWritesNone) {
  // A device command: whatever a bag says of it, it reads as a missing entry.
  element_.ElementMode = mode::kDeviceCommand;
  element_.SetRawStatusFlags(0x00002000);
  bag_.WriteProperty(kPath, Variant(254.0));
  bag_.WriteProperty(std::string(kPath) + ".Unit", Byte(49));
  bag_.WriteProperty(std::string(kPath) + ".Flags", Long(0));
  EXPECT_TRUE(Read());
  EXPECT_EQ(element_.TransientValue, Variant(5.0));
  EXPECT_EQ(element_.PersistentValue, Variant("previous"));
  EXPECT_EQ(element_.nUnit, 12);
  EXPECT_EQ(element_.RawStatusFlags(), 0x01000000);

  com::MemoryPropertyBag written;
  EXPECT_TRUE(element_.IPrivateDataElement_WriteToPropBag(written, Variant()));
  EXPECT_TRUE(written.Entries().empty());
  EXPECT_EQ(element_.PersistentValue, Variant("previous"));
}

// ---- Judging stored entries before a load ---------------------------------------

struct EntryCheckCase {
  const char* name;
  std::int32_t value_type;
  std::int32_t length;
  const char* key_suffix;  // "" for the value, ".Unit", ".Flags"
  Variant stored;
  const char* fault;  // "" when the entry can be taken
};

void PrintTo(const EntryCheckCase& c, std::ostream* os) { *os << c.name; }

const EntryCheckCase kEntryChecks[] = {
    {"DateFromALongBeyondTheCalendar", kVtDate, -1, "", Long(16777216),
     "entry XX130Tr1/Par2: Long 16777216 is no date"},
    {"Date", kVtDate, -1, "", Variant::Date(45000.0), ""},
    {"DottedDateText", kVtDate, -1, "", Variant("12.05.2025"), ""},
    {"DateFromText", kVtDate, -1, "", Variant("soon"), "entry XX130Tr1/Par2: String \"soon\" is no date"},
    {"ByteBeyondItsRange", kVtUInt8, -1, "", Long(300),
     "entry XX130Tr1/Par2: Long 300 is no whole number from 0 to 255"},
    {"ByteFromText", kVtUInt8, -1, "", Variant("hello"),
     "entry XX130Tr1/Par2: String \"hello\" is no whole number from 0 to 255"},
    {"ByteAtItsTop", kVtUInt8, -1, "", Byte(255), ""},
    {"UInt16FromALongBeyondIt", kVtUInt16, -1, "", Long(70000),
     "entry XX130Tr1/Par2: Long 70000 is no whole number from 0 to 65535"},
    {"NegativeInt24", kVtInt24, -1, "", Long(-8388608), ""},
    {"NegativeUInt24", kVtUInt24, -1, "", Long(-1),
     "entry XX130Tr1/Par2: Long -1 is no whole number from 0 to 16777215"},
    {"EnumAtItsTop", kVtEnum, -1, "", Variant(4294967295.0), ""},
    {"SingleFromText", kVtSingle, -1, "", Variant("x1"),
     "entry XX130Tr1/Par2: String \"x1\" is no Single number"},
    {"SingleNotANumberAsSent", kVtSingle, -1, "", Variant(std::numeric_limits<float>::quiet_NaN()),
     ""},
    {"DoubleFromBytes", kVtDouble, -1, "", Variant(com::ByteArray{1}),
     "entry XX130Tr1/Par2: Byte array 01 is no Double number"},
    {"EmptyTextOfANumber", kVtDouble, -1, "", Variant(""), ""},
    {"EmptyValue", kVtDouble, -1, "", Variant(), ""},
    {"TextTooLong", kVtText, 8, "", Variant("ABCDEFGHIJ"),
     "entry XX130Tr1/Par2: String \"ABCDEFGHIJ\" has 10 characters, more than the 8 of the "
     "element"},
    {"TextCountsCharactersNotBytes", kVtText, 8, "", Variant("\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA9"), ""},
    {"BytesNotHex", kVtBytes, -1, "", Variant("0G"),
     "entry XX130Tr1/Par2: String \"0G\" is no bytes as hex text"},
    {"BytesMoreThanTheElementHolds", kVtBytes, 2, "", Variant("010203"),
     "entry XX130Tr1/Par2: String \"010203\" has 3 bytes, more than the 2 of the element"},
    {"BooleanFromText", kVtBoolean, -1, "", Variant("maybe"),
     "entry XX130Tr1/Par2: String \"maybe\" is no Boolean"},
    {"DecimalFromText", kVtDecimal, -1, "", Variant("1/2"),
     "entry XX130Tr1/Par2: String \"1/2\" is no decimal number"},
    {"UnitTextTheTableKnows", kVtDouble, -1, ".Unit", Variant("bar"), ""},
    {"UnitTextTheTableDoesNotKnow", kVtDouble, -1, ".Unit", Variant("furlong"),
     "entry XX130Tr1/Par2.Unit: String \"furlong\" is no known unit"},
    {"UnitBeyondAByte", kVtDouble, -1, ".Unit", Int16(300),
     "entry XX130Tr1/Par2.Unit: Integer 300 is no unit code"},
    {"UnitAsLongMeansTheInitUnit", kVtDouble, -1, ".Unit", Long(57), ""},
    {"FlagsFromText", kVtDouble, -1, ".Flags", Variant("damaged"),
     "entry XX130Tr1/Par2.Flags: String \"damaged\" is no flag word"},
};

class DataSetEntryCheck : public PropertyBagRead,
                          public ::testing::WithParamInterface<EntryCheckCase> {};

TEST_P(DataSetEntryCheck, NamesTheFirstEntryItsElementCannotTake) {
  const EntryCheckCase& c = GetParam();
  element_.ValueType = c.value_type;
  element_.ValueTypeLength = c.length;
  bag_.WriteProperty(std::string(kPath) + c.key_suffix, c.stored);
  const DataSetEntriesCheck check = CheckDataSetEntries(element_, bag_, Context());
  EXPECT_TRUE(check.present);
  EXPECT_EQ(check.fault.value_or(""), c.fault);
  // Judging takes nothing.
  EXPECT_EQ(element_.TransientValue, Variant(1.0));
  EXPECT_EQ(element_.nUnit, 7);
}

INSTANTIATE_TEST_SUITE_P(Table, DataSetEntryCheck, ::testing::ValuesIn(kEntryChecks), RowName());

// A text longer than its element is what the DTM saves only with the
// input error it keeps it under: with that mark it is taken, and loads
// back marked; without one it is no set the DTM wrote.
TEST_F(PropertyBagRead, OverlongTextIsTakenWithItsMarkOnly) {
  element_.Name = kPath;
  element_.ElementMode = mode::kStored;
  element_.ValueType = kVtText;
  element_.ValueTypeLength = 8;
  bag_.WriteProperty(kPath, Variant("ABCDEFGHIJ"));
  bag_.WriteProperty(std::string(kPath) + ".Flags", Long(0x1005000));
  EXPECT_EQ(CheckDataSetEntries(element_, bag_, Context()).fault, std::nullopt);
  ASSERT_TRUE(element_.IPrivateDataElement_ReadFromPropBag(bag_, Context()));
  EXPECT_EQ(element_.TransientValue, Variant("ABCDEFGHIJ"));
  EXPECT_EQ(element_.StatusFlags() & 0xF000, 0x5000);

  bag_.WriteProperty(std::string(kPath) + ".Flags", Long(0x1000000));
  EXPECT_EQ(CheckDataSetEntries(element_, bag_, Context()).fault.value_or(""),
            "entry XX130Tr1/Par2: String \"ABCDEFGHIJ\" has 10 characters, more than the 8 of "
            "the element");
}

TEST_F(PropertyBagRead, CheckSeesNoEntriesOfAnElementOutsideTheDataSet) {
  bag_.WriteProperty(kPath, Variant("hello"));
  element_.ElementMode = mode::kDeviceCommand;
  DataSetEntriesCheck check = CheckDataSetEntries(element_, bag_, Context());
  EXPECT_FALSE(check.present);
  EXPECT_FALSE(check.fault);

  com::MemoryPropertyBag empty;
  element_.ElementMode = mode::kStored;
  check = CheckDataSetEntries(element_, empty, Context());
  EXPECT_FALSE(check.present);
  EXPECT_FALSE(check.fault);
}

// ---- DTM variable fragment -------------------------------------------------------------

constexpr const char* kParameterDocument =
    "<fdt:DtmVariables xmlns:fdt=\"x-schema:FDTDataTypesSchema.xml\">"
    "<fdt:DtmVariable name=\"Par2\"/></fdt:DtmVariables>";

class DtmVariable : public ElementFixture {
 protected:
  DtmVariable() {
    element_.Name = kPath;
    element_.ValueType = kVtDouble;
    element_.Description = "Travel";
    element_.HARTParamReadCommand = 130;
    element_.HARTParamWriteCommand = -1;
  }
  xml::Node Node() { return document_.DocumentElement().FirstChild("fdt:DtmVariable"); }
  xml::Node Display() { return Node().FirstChild("fdt:Value").FirstChild("fdt:Display"); }
  std::string Attr(const xml::Node& node, const std::string& name) {
    return node.Attribute(name).value_or("(absent)");
  }
  // A variable node as the frame hands it over for reading.
  xml::Node Given(const std::string& markup) {
    document_ =
        xml::Document::Parse("<fdt:DtmVariables xmlns:fdt=\"x-schema:FDTDataTypesSchema.xml\">" +
                             markup + "</fdt:DtmVariables>");
    return Node();
  }
  bool Read(const xml::Node& node) {
    return element_.IPrivateDataElement_ReadFromDtmVariable(node, Context());
  }
  xml::Document document_ = xml::Document::Parse(kParameterDocument);
};

TEST_F(DtmVariable, WritesValueAccessAndStatus) {
  element_.TransientValue = Variant(12.5);
  element_.nUnit = 57;
  element_.SetValidity(true);
  services_.locale->Set(com::Locale::German());
  EXPECT_TRUE(element_.IPrivateDataElement_WriteToDtmVariable(Node(), Context()));
  EXPECT_EQ(Attr(Node(), "descriptor"), "Travel");
  EXPECT_EQ(Attr(Node(), "statusFlag"), "ok");
  const xml::Node value = Node().FirstChild("fdt:Value");
  EXPECT_EQ(Attr(value, "readAccess"), "True");
  EXPECT_EQ(Attr(value, "writeAccess"), "False");
  // A point whatever the locale, the unit right behind it.
  EXPECT_EQ(Attr(Display(), "string"), "12.5[%]");
}

struct DisplayCase {
  const char* name;
  std::int32_t value_type;
  Variant value;
  std::uint8_t unit;
  const char* display;
};

void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.name; }

const DisplayCase kDtmDisplays[] = {
    {"DoubleWithoutUnit", kVtDouble, Variant(-0.25), 0, "-0.25[]"},
    {"SingleSevenDigits", kVtSingle, Variant(0.1f), 49, "0.1[mm]"},
    {"DoubleLarge", kVtDouble, Variant(1e20), 0, "1E+20[]"},
    {"Text", kVtText, Variant("ABC"), 0, "ABC"},
    {"Integer", kVtInt16, Int16(-3), 0, "-3"},
    {"BytesAsHex", kVtBytes, Variant(com::ByteArray{0x01, 0xAB}), 0, "01AB"},
    {"NullAsNothing", kVtUInt16, Variant::Null(), 0, ""},
};

class DtmVariableDisplay : public DtmVariable, public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(DtmVariableDisplay, DisplayText) {
  const DisplayCase& c = GetParam();
  services_.locale->Set(com::Locale::German());
  element_.ValueType = c.value_type;
  element_.TransientValue = c.value;
  element_.nUnit = c.unit;
  element_.IPrivateDataElement_WriteToDtmVariable(Node(), Context());
  EXPECT_EQ(Attr(Display(), "string"), c.display);
  EXPECT_EQ(Attr(Node(), "statusFlag"), "invalid");
}

INSTANTIATE_TEST_SUITE_P(Table, DtmVariableDisplay, ::testing::ValuesIn(kDtmDisplays), RowName());

TEST_F(DtmVariable, ReadsValueUnitDescriptorAndStatus) {
  services_.locale->Set(com::Locale::German());
  const xml::Node node = Given(
      "<fdt:DtmVariable name=\"Par2\" descriptor=\"Stroke\" statusFlag=\"ok\">"
      "<fdt:Value><fdt:Display string=\"12.5[%]\"/></fdt:Value></fdt:DtmVariable>");
  EXPECT_TRUE(Read(node));
  EXPECT_EQ(element_.TransientValue, Variant(12.5));
  EXPECT_EQ(element_.nUnit, 57);
  EXPECT_EQ(element_.Description, "Stroke");
  EXPECT_TRUE(element_.Validity());
}

TEST_F(DtmVariable, ReadRoundsToTheFormat) {
  element_.ValueFormat = "0.0";
  const xml::Node node = Given(
      "<fdt:DtmVariable name=\"Par2\"><fdt:Value><fdt:Display string=\"12.25[mm]\"/>"
      "</fdt:Value></fdt:DtmVariable>");
  EXPECT_TRUE(Read(node));
  EXPECT_EQ(element_.TransientValue, Variant(12.3));
  EXPECT_EQ(element_.nUnit, 49);
}

TEST_F(DtmVariable, NodeOfAnotherElementChangesNothing) {
  element_.Name = "XX130Tr1/XPar2";
  element_.TransientValue = Variant(1.0);
  const xml::Node node = Given(
      "<fdt:DtmVariable name=\"Par2\" descriptor=\"Stroke\" statusFlag=\"ok\">"
      "<fdt:Value><fdt:Display string=\"12.5[%]\"/></fdt:Value></fdt:DtmVariable>");
  EXPECT_FALSE(Read(node));
  EXPECT_EQ(element_.TransientValue, Variant(1.0));
  EXPECT_EQ(element_.Description, "Travel");
  EXPECT_FALSE(element_.Validity());
}

TEST_F(DtmVariable, WithoutDisplayOnlyDescriptorAndStatusAreTaken) {
  element_.TransientValue = Variant(1.0);
  element_.SetValidity(true);
  const xml::Node node = Given(
      "<fdt:DtmVariable name=\"Par2\" descriptor=\"\" statusFlag=\"invalid\"><fdt:Value/>"
      "</fdt:DtmVariable>");
  EXPECT_FALSE(Read(node));
  EXPECT_EQ(element_.TransientValue, Variant(1.0));
  EXPECT_EQ(element_.Description, "");
  EXPECT_FALSE(element_.Validity());
}

TEST_F(DtmVariable, UnconvertibleTextAndUnknownStatusChangeNothing) {
  element_.ValueType = kVtUInt16;
  element_.TransientValue = Long(3);
  element_.SetValidity(true);
  const xml::Node node = Given(
      "<fdt:DtmVariable name=\"Par2\" statusFlag=\"maybe\"><fdt:Value>"
      "<fdt:Display string=\"abc\"/></fdt:Value></fdt:DtmVariable>");
  EXPECT_FALSE(Read(node));
  EXPECT_EQ(element_.TransientValue, Long(3));
  EXPECT_TRUE(element_.Validity());
}

TEST_F(DtmVariable, MissingStringAttributeChangesNothing) {
  element_.TransientValue = Variant(1.0);
  const xml::Node node = Given(
      "<fdt:DtmVariable name=\"Par2\"><fdt:Value><fdt:Display/></fdt:Value></fdt:DtmVariable>");
  EXPECT_FALSE(Read(node));
  EXPECT_EQ(element_.TransientValue, Variant(1.0));
}

struct DtmRoundTripCase {
  const char* name;
  std::int32_t value_type;
  Variant value;
  std::uint8_t unit;
};

void PrintTo(const DtmRoundTripCase& c, std::ostream* os) { *os << c.name; }

const DtmRoundTripCase kDtmRoundTrips[] = {
    {"FloatWithUnit", kVtSingle, Variant(0.1f), 49},
    // Written as "12.5[]": reads back without a unit instead of failing.
    {"FloatWithoutUnit", kVtDouble, Variant(12.5), 0},
    {"Bytes", kVtBytes, Variant(com::ByteArray{0x01, 0xAB}), 0},
    {"Text", kVtText, Variant("TV-101"), 0},
    {"Long", kVtInt32, Long(-70000), 0},
    {"Date", kVtDate, Variant::Date(43895), 0},
};

class DtmVariableRoundTrip : public DtmVariable,
                             public ::testing::WithParamInterface<DtmRoundTripCase> {};

TEST_P(DtmVariableRoundTrip, WrittenNodeReadsBack) {
  const DtmRoundTripCase& c = GetParam();
  for (const com::Locale* locale : {&com::Locale::English(), &com::Locale::German()}) {
    services_.locale->Set(*locale);
    document_ = xml::Document::Parse(kParameterDocument);
    element_.ValueType = c.value_type;
    element_.TransientValue = c.value;
    element_.nUnit = c.unit;
    element_.IPrivateDataElement_WriteToDtmVariable(Node(), Context());
    element_.TransientValue = Variant();
    element_.nUnit = 200;
    EXPECT_TRUE(Read(Node()));
    EXPECT_EQ(element_.TransientValue, c.value) << Show(element_.TransientValue);
    if (c.value_type == kVtSingle || c.value_type == kVtDouble) {
      EXPECT_EQ(element_.nUnit, c.unit);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DtmVariableRoundTrip, ::testing::ValuesIn(kDtmRoundTrips),
                         RowName());

// ---- Documentation fragment ---------------------------------------------------------------

class DocVariable : public ElementFixture {
 protected:
  DocVariable() {
    element_.Name = kPath;
    element_.ValueType = kVtDouble;
    element_.Prompt = "Stroke";
    element_.Description = "Valve stroke";
    element_.TransientValue = Variant(12.5);
  }
  // A documentation document whose variables carry these ids.
  void Load(const std::vector<std::string>& ids) {
    std::string markup =
        "<Documentation xmlns:fdt=\"x-schema:FDTDataTypesSchema.xml\"><DocumentVariables>";
    for (const std::string& id : ids) markup += "<DocumentVariable fdt:nodeId=\"" + id + "\"/>";
    markup += "</DocumentVariables></Documentation>";
    document_ = xml::Document::Parse(markup);
  }
  xml::Node Variables() { return document_.DocumentElement().FirstChild("DocumentVariables"); }
  // The node the runtime hands over: new, at the end of the list.
  xml::Node NewNode() { return Variables().AddElement("DocumentVariable"); }
  bool Write(clsDataElement& element) {
    return element.IPrivateDataElement_WriteToDocVariable(NewNode(), Context());
  }
  std::vector<std::string> Ids() {
    std::vector<std::string> ids;
    for (const xml::Node& node : Variables().Children()) {
      ids.push_back(node.Attribute("fdt:nodeId").value_or("-"));
    }
    return ids;
  }
  xml::Node ById(const std::string& id) {
    for (const xml::Node& node : Variables().Children()) {
      if (node.Attribute("fdt:nodeId") == id) return node;
    }
    return {};
  }
  xml::Document document_;
};

TEST_F(DocVariable, CopiesOfOneNumberAreCountedOn) {
  Load({"N3", "N5", "N7"});
  element_.SortOrder = 5;
  ASSERT_TRUE(Write(element_));
  clsDataElement second;
  second.SortOrder = 5;
  second.ValueType = kVtText;
  second.TransientValue = Variant("second");
  ASSERT_TRUE(Write(second));
  EXPECT_EQ(Ids(), (std::vector<std::string>{"N3", "N5", "N5.1", "N5.2", "N7"}));
  EXPECT_EQ(ById("N5.2").Attribute("fdt:display"), "second");
}

TEST_F(DocVariable, NewNumberGoesBeforeTheNextHigher) {
  Load({"N3", "N7"});
  element_.SortOrder = 6;
  ASSERT_TRUE(Write(element_));
  EXPECT_EQ(Ids(), (std::vector<std::string>{"N3", "N6", "N7"}));
  const xml::Node node = ById("N6");
  EXPECT_EQ(node.Attribute("fdt:name"), "Stroke");
  EXPECT_EQ(node.Attribute("fdt:descriptor"), "Valve stroke");
  EXPECT_EQ(node.Attribute("fdt:display"), "12.5");
  EXPECT_EQ(node.Attribute("fdt:statusFlag"), "invalid");
}

TEST_F(DocVariable, HighestNumberGoesToTheEnd) {
  Load({"N3", "N5"});
  element_.SortOrder = 9;
  element_.SetValidity(true);
  ASSERT_TRUE(Write(element_));
  EXPECT_EQ(Ids(), (std::vector<std::string>{"N3", "N5", "N9"}));
  EXPECT_EQ(ById("N9").Attribute("fdt:statusFlag"), "ok");
}

TEST_F(DocVariable, WithoutPlaceTheNodeIsWrittenWhereItIs) {
  Load({"N3"});
  element_.SortOrder = 0;
  const xml::Node node = NewNode();
  ASSERT_TRUE(element_.IPrivateDataElement_WriteToDocVariable(node, Context()));
  EXPECT_EQ(Ids(), (std::vector<std::string>{"N3", "-"}));
  EXPECT_EQ(node.Attribute("fdt:name"), "Stroke");
  EXPECT_EQ(node.Attribute("fdt:display"), "12.5");
}

TEST_F(DocVariable, NodeOutsideTheListFindsNoPlace) {
  Load({"N3", "N5"});
  element_.SortOrder = 9;
  const xml::Node node = document_.DocumentElement().AddElement("DocumentVariable");
  EXPECT_FALSE(element_.IPrivateDataElement_WriteToDocVariable(node, Context()));
  EXPECT_EQ(Ids(), (std::vector<std::string>{"N3", "N5"}));
  EXPECT_EQ(node.Attribute("fdt:name"), std::nullopt);
}

TEST_F(DocVariable, EmptyListFindsNoPlace) {
  Load({});
  element_.SortOrder = 1;
  const xml::Node node = document_.DocumentElement().AddElement("DocumentVariable");
  EXPECT_FALSE(element_.IPrivateDataElement_WriteToDocVariable(node, Context()));
  EXPECT_EQ(node.Attribute("fdt:name"), std::nullopt);
}

TEST_F(DocVariable, MalformedIdFindsNoPlace) {
  Load({"N3", "Nx"});
  element_.SortOrder = 5;
  EXPECT_FALSE(Write(element_));
  EXPECT_EQ(Ids(), (std::vector<std::string>{"N3", "Nx", "-"}));
}

struct DocDisplayCase {
  const char* name;
  std::int32_t value_type;
  const char* format;
  const char* list;
  bool bits;
  std::uint8_t unit;
  Variant value;
  const char* english;
  const char* german;
};

void PrintTo(const DocDisplayCase& c, std::ostream* os) { *os << c.name; }

const DocDisplayCase kDocDisplays[] = {
    {"FloatDefaultFormat", kVtDouble, "", "", false, 0, Variant(12.5), "12.5", "12,5"},
    {"FloatDefaultFormatRounds", kVtDouble, "", "", false, 0, Variant(1.23456), "1.235", "1,235"},
    {"FloatDefaultFormatOneDecimal", kVtSingle, "", "", false, 0, Variant(2.0f), "2.0", "2,0"},
    {"FloatOwnFormatAndUnit", kVtDouble, "0.00", "", false, 57, Variant(12.5), "12.50 [%]",
     "12,50 [%]"},
    {"FloatHalfAwayFromZero", kVtSingle, "0.0", "", false, 49, Variant(12.25f), "12.3 [mm]",
     "12,3 [mm]"},
    {"ValueListText", kVtUInt8, "", "0:Off|1:On", false, 0, Byte(1), "On", "On"},
    {"BitList", kVtUInt16, "", "0:A|1:B", true, 0, Long(2), "[ ] A, [x] B", "[ ] A, [x] B"},
    {"EnumAboveLongAsSignedBits", kVtEnum, "", "0:A|31:Top", true, 0, Variant(2147483648.0),
     "[ ] A, [x] Top", "[ ] A, [x] Top"},
    {"EnumAllBitsIsMinusOne", kVtEnum, "", "-1:All|0:None", false, 0, Variant(4294967295.0), "All",
     "All"},
    {"EnumWithinLong", kVtEnum, "", "0:None|5:Five", false, 0, Variant(5.0), "Five", "Five"},
    {"IntegerWithoutList", kVtInt16, "", "", false, 0, Int16(-3), "-3", "-3"},
    {"TextWithListShowsText", kVtText, "", "0:Off", false, 0, Variant("ABC"), "ABC", "ABC"},
    {"BytesAsHex", kVtBytes, "", "", false, 0, Variant(com::ByteArray{0x01, 0xAB}), "01AB", "01AB"},
    {"NullShowsNothing", kVtDouble, "", "", false, 57, Variant::Null(), "", ""},
};

class DocVariableDisplay : public DocVariable,
                           public ::testing::WithParamInterface<DocDisplayCase> {};

TEST_P(DocVariableDisplay, DisplayText) {
  const DocDisplayCase& c = GetParam();
  element_.ValueType = c.value_type;
  element_.ValueFormat = c.format;
  element_.ValueList = c.list;
  element_.bBitEncoding = c.bits;
  element_.nUnit = c.unit;
  element_.TransientValue = c.value;
  element_.SortOrder = 0;
  for (const auto& [locale, expected] : {std::pair{&com::Locale::English(), c.english},
                                         std::pair{&com::Locale::German(), c.german}}) {
    services_.locale->Set(*locale);
    Load({});
    const xml::Node node = NewNode();
    ASSERT_TRUE(element_.IPrivateDataElement_WriteToDocVariable(node, Context()));
    EXPECT_EQ(node.Attribute("fdt:display"), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DocVariableDisplay, ::testing::ValuesIn(kDocDisplays), RowName());

}  // namespace
}  // namespace dtm::testing::element
