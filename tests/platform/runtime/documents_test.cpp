// The FDT documents: device type, information, function call, operation
// phase, function list and user information.

#include "platform/runtime/documents.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com/error.h"
#include "platform/runtime/user.h"
#include "tests/platform/runtime/test_context.h"

namespace dtm::runtime {
namespace {

using testing::ContextFixture;

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// --- DeviceType ---

struct DeviceTypeText {
  const char* name;
  const char* document;
  const char* ids[3];
};

const DeviceTypeText kDeviceTypeTexts[] = {
    {"Decimal", R"(<FDT><DtmDeviceType manufacturerId="165" deviceTypeId="70" deviceRevision="1"/></FDT>)",
     {"165", "70", "1"}},
    {"Hexadecimal", R"(<FDT><DtmDeviceType manufacturerId="0xA5" deviceTypeId="0x46" deviceRevision="0x01"/></FDT>)",
     {"165", "70", "1"}},
    {"LeadingZerosAndBlanks", R"(<FDT><DtmDeviceType manufacturerId=" 0165" deviceTypeId="070" deviceRevision="1 "/></FDT>)",
     {"165", "70", "1"}},
    {"AbsentRevision", R"(<FDT><DtmDeviceType manufacturerId="165" deviceTypeId="70"/></FDT>)",
     {"165", "70", ""}},
    {"InTheFdtNamespaces",
     R"(<FDT xmlns="x-schema:DTMDeviceTypeSchema.xml" xmlns:fdt="x-schema:FDTDataTypesSchema.xml">)"
     R"(<fdt:DtmDeviceType manufacturerId="38" deviceTypeId="12" deviceRevision="3"/></FDT>)",
     {"38", "12", "3"}},
    {"Nested", R"(<FDT><DtmDeviceTypes><DtmDeviceType manufacturerId="1" deviceTypeId="2" deviceRevision="3"/></DtmDeviceTypes></FDT>)",
     {"1", "2", "3"}},
};

class DeviceTypeParse : public ContextFixture,
                        public ::testing::WithParamInterface<DeviceTypeText> {};

TEST_P(DeviceTypeParse, ReadsTheIdsAsDecimalTexts) {
  DeviceType type;
  ASSERT_TRUE(type.Parse(GetParam().document, *context_));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(type.IdValue(i + 1), GetParam().ids[i]) << "id " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Table, DeviceTypeParse, ::testing::ValuesIn(kDeviceTypeTexts),
                         [](const auto& i) { return std::string(i.param.name); });

struct BadDocument {
  const char* name;
  const char* document;
};

const BadDocument kNotDeviceTypes[] = {
    {"NotXml", "<FDT><DtmDeviceType manufacturerId=\"165\"></FDT>"},
    {"Empty", ""},
    {"NoDeviceTypeElement", R"(<FDT><DeviceType manufacturerId="165" deviceTypeId="70"/></FDT>)"},
    {"IdNoNumber", R"(<FDT><DtmDeviceType manufacturerId="VELDAR" deviceTypeId="70"/></FDT>)"},
    {"IdNegative", R"(<FDT><DtmDeviceType manufacturerId="-1" deviceTypeId="70"/></FDT>)"},
    {"HexWithoutDigits", R"(<FDT><DtmDeviceType manufacturerId="0x" deviceTypeId="70"/></FDT>)"},
};

class DeviceTypeRejects : public ContextFixture,
                          public ::testing::WithParamInterface<BadDocument> {};

TEST_P(DeviceTypeRejects, AnswersFalseAndKeepsItsValues) {
  DeviceType type;
  type.SetIdValue(1, "165");
  type.SetIdValue(2, "70");
  type.SetIdValue(3, "1");
  type.Model = "4625";
  EXPECT_FALSE(type.Parse(GetParam().document, *context_));
  EXPECT_EQ(type.IdValue(1), "165");
  EXPECT_EQ(type.IdValue(2), "70");
  EXPECT_EQ(type.IdValue(3), "1");
  EXPECT_EQ(type.Model, "4625");
}

INSTANTIATE_TEST_SUITE_P(Table, DeviceTypeRejects, ::testing::ValuesIn(kNotDeviceTypes),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(DeviceTypeIds, OutOfRangeIndexesAnswerEmptyAndAreIgnored) {
  DeviceType type;
  type.SetIdValue(0, "x");
  type.SetIdValue(4, "x");
  EXPECT_EQ(type.IdValue(0), "");
  EXPECT_EQ(type.IdValue(1), "");
  EXPECT_EQ(type.IdValue(4), "");
}

class DeviceTypeDocuments : public ContextFixture {};

TEST_F(DeviceTypeDocuments, BuildXmlWritesTheParseFormat) {
  DeviceType type;
  type.SetIdValue(1, "165");
  type.SetIdValue(2, "70");
  type.SetIdValue(3, "1");
  type.Manufacturer = "VELDAR AG";
  type.Model = "4625";
  type.Description = "Stellungsregler & \"HART\"";
  type.Version = "1";
  EXPECT_EQ(type.BuildXML(),
            std::string(kDeclaration) +
                R"(<FDT><DtmDeviceType manufacturerId="165" deviceTypeId="70" deviceRevision="1")"
                R"( manufacturer="VELDAR AG" model="4625" description="Stellungsregler &amp; &quot;HART&quot;")"
                R"( version="1"/></FDT>)"
                "\n");

  DeviceType again;
  ASSERT_TRUE(again.Parse(type.BuildXML(), *context_));
  EXPECT_EQ(again.IdValue(1), "165");
  EXPECT_EQ(again.IdValue(3), "1");
  EXPECT_EQ(again.Description, "Stellungsregler & \"HART\"");
  EXPECT_EQ(again.Version, "1");
}

TEST_F(DeviceTypeDocuments, BuildXmlLeavesOutWhatIsEmpty) {
  DeviceType type;
  type.SetIdValue(1, "165");
  EXPECT_EQ(type.BuildXML(),
            std::string(kDeclaration) + R"(<FDT><DtmDeviceType manufacturerId="165"/></FDT>)" "\n");
}

// FindSupported against the shipped dictionary (English).
class SupportedDeviceType : public ContextFixture {
 protected:
  void SetUp() override { LoadShippedDictionary(); }
  std::shared_ptr<DeviceType> Find(const char* m, const char* d, const char* r) {
    DeviceType type;
    type.SetIdValue(1, m);
    type.SetIdValue(2, d);
    type.SetIdValue(3, r);
    return type.FindSupported(*context_);
  }
};

TEST_F(SupportedDeviceType, TheVeldar4625IsFoundWithItsDescription) {
  auto found = Find("165", "70", "1");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->IdValue(1), "165");
  EXPECT_EQ(found->IdValue(2), "70");
  EXPECT_EQ(found->IdValue(3), "1");
  EXPECT_EQ(found->Manufacturer, "VELDAR AG");
  EXPECT_EQ(found->Model, "4625");
  EXPECT_EQ(found->Description, "Electro-pneumatic positioner 4625 with HART");
  EXPECT_EQ(found->Version, "1");
}

TEST_F(SupportedDeviceType, TheDescriptionFollowsTheSelectedLanguage) {
  ASSERT_TRUE(context_->Dictionary().SelectLanguage(7));
  auto found = Find("165", "70", "1");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Description, "Elektropneumatischer Stellungsregler 4625 mit HART");
}

TEST_F(SupportedDeviceType, EveryIdMustMatch) {
  EXPECT_FALSE(Find("165", "70", "2"));
  EXPECT_FALSE(Find("166", "70", "1"));
  EXPECT_FALSE(Find("165", "71", "1"));
  EXPECT_FALSE(Find("", "", ""));
}

TEST_F(SupportedDeviceType, AnEntryWithoutRevisionTakesEveryRevision) {
  ASSERT_TRUE(context_->Dictionary().LoadXml(
      R"(<dictionary language="9"><section name="DTMDeviceTypes">)"
      R"(<entry key="any" manufacturerId="0xA5" deviceTypeId="70" model="4625 any"/>)"
      R"(</section></dictionary>)"));
  auto found = Find("165", "70", "7");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->IdValue(1), "165");
  EXPECT_EQ(found->IdValue(3), "7");
  EXPECT_EQ(found->Model, "4625 any");
}

TEST_F(SupportedDeviceType, NoSectionNoMatch) {
  ASSERT_TRUE(context_->Dictionary().LoadXml(R"(<dictionary language="9"/>)"));
  EXPECT_FALSE(Find("165", "70", "1"));
}

// --- InformationBuilder ---

class Information : public ContextFixture {};

TEST_F(Information, NamesTheDtmItsDeviceTypesAndLanguages) {
  BindModel();
  LoadShippedDictionary();
  EXPECT_EQ(InformationBuilder().Build(*context_),
            std::string(kDeclaration) +
                R"(<FDT><DtmInfo name="VD 4625 DTM" vendor="VELDAR AG" version="1.0.0")"
                R"( date="2024-05-31" descriptor="HART positioner 4625"/>)"
                R"(<DtmDeviceTypes><DtmDeviceType manufacturerId="165" deviceTypeId="70")"
                R"( deviceRevision="1" manufacturer="VELDAR AG" model="4625")"
                R"( description="Electro-pneumatic positioner 4625 with HART" version="1"/>)"
                R"(</DtmDeviceTypes><Languages><Language languageId="7"/>)"
                R"(<Language languageId="9"/></Languages></FDT>)"
                "\n");
}

struct DateCase {
  const char* name;
  double serial;
  const char* iso;
};

const DateCase kDates[] = {
    {"DayZero", 0, "1899-12-30"},
    {"TimeOfDayIgnored", 45443.99, "2024-05-31"},
    {"LeapDay", 45351, "2024-02-29"},
    {"BeforeDayZeroTruncates", -1.5, "1899-12-29"},
    {"Y2K", 36526, "2000-01-01"},
};

class InformationDate : public ContextFixture, public ::testing::WithParamInterface<DateCase> {};

TEST_P(InformationDate, IsTheDayOfTheSerial) {
  BindModel();
  model_->date = com::DateValue{GetParam().serial};
  xml::Document doc = xml::Document::Parse(InformationBuilder().Build(*context_));
  EXPECT_EQ(doc.DocumentElement().FirstChild("DtmInfo").Attribute("date"), GetParam().iso);
}

INSTANTIATE_TEST_SUITE_P(Table, InformationDate, ::testing::ValuesIn(kDates),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Information, TextsAreEscapedAndUtf8) {
  BindModel();
  model_->name = "Größe <4625> & \"Co\"";
  xml::Document doc = xml::Document::Parse(InformationBuilder().Build(*context_));
  EXPECT_EQ(doc.DocumentElement().FirstChild("DtmInfo").Attribute("name"), "Größe <4625> & \"Co\"");
}

TEST_F(Information, WithoutADictionaryTheListsAreEmpty) {
  BindModel();
  const std::string text = InformationBuilder().Build(*context_);
  EXPECT_NE(text.find("<DtmDeviceTypes/><Languages/>"), std::string::npos) << text;
}

TEST_F(Information, WithoutADataModelRaises) {
  EXPECT_THROW(InformationBuilder().Build(*context_), com::ComError);
}

// --- FunctionCall ---

struct CallText {
  const char* name;
  const char* document;
  std::int32_t id;
  const char* argument;  // nullptr: absent
};

const CallText kCalls[] = {
    {"WithArgument", R"(<FDT><FunctionCall functionId="3"><Argument>text</Argument></FunctionCall></FDT>)", 3, "text"},
    {"EmptyArgumentIsGiven", R"(<FDT><FunctionCall functionId="11"><Argument/></FunctionCall></FDT>)", 11, ""},
    {"NoArgument", R"(<FDT><FunctionCall functionId="7"/></FDT>)", 7, nullptr},
    {"EscapedArgument", R"(<FDT><FunctionCall functionId="1"><Argument>a &lt; b &amp; c</Argument></FunctionCall></FDT>)", 1, "a < b & c"},
    {"Namespaced",
     R"(<FDT xmlns="x-schema:DTMFunctionCallSchema.xml"><FunctionCall functionId="2"><Argument>x</Argument></FunctionCall></FDT>)",
     2, "x"},
};

class FunctionCallParse : public ContextFixture, public ::testing::WithParamInterface<CallText> {};

TEST_P(FunctionCallParse, ReadsIdAndArgument) {
  FunctionCall call;
  ASSERT_TRUE(call.Parse(GetParam().document, *context_));
  EXPECT_EQ(call.FunctionID(), GetParam().id);
  if (GetParam().argument) {
    ASSERT_TRUE(call.Argument());
    EXPECT_EQ(*call.Argument(), com::Variant(std::string(GetParam().argument)));
  } else {
    EXPECT_FALSE(call.Argument());
  }
}

INSTANTIATE_TEST_SUITE_P(Table, FunctionCallParse, ::testing::ValuesIn(kCalls),
                         [](const auto& i) { return std::string(i.param.name); });

const BadDocument kNotCalls[] = {
    {"NotXml", "<FDT><FunctionCall functionId=\"3\">"},
    {"EmptyText", ""},
    {"NoFunctionCall", R"(<FDT><Call functionId="3"/></FDT>)"},
    {"MissingId", R"(<FDT><FunctionCall><Argument>x</Argument></FunctionCall></FDT>)"},
    {"IdNoNumber", R"(<FDT><FunctionCall functionId="three"/></FDT>)"},
    {"IdWithTail", R"(<FDT><FunctionCall functionId="3a"/></FDT>)"},
    {"IdEmpty", R"(<FDT><FunctionCall functionId=""/></FDT>)"},
};

class FunctionCallRejects : public ContextFixture,
                            public ::testing::WithParamInterface<BadDocument> {};

TEST_P(FunctionCallRejects, AnswersFalseAndKeepsItsValues) {
  FunctionCall call;
  call.SetFunctionID(5);
  call.SetArgument(com::Variant(std::string("kept")));
  EXPECT_FALSE(call.Parse(GetParam().document, *context_));
  EXPECT_EQ(call.FunctionID(), 5);
  EXPECT_EQ(call.Argument(), com::Variant(std::string("kept")));
}

INSTANTIATE_TEST_SUITE_P(Table, FunctionCallRejects, ::testing::ValuesIn(kNotCalls),
                         [](const auto& i) { return std::string(i.param.name); });

class FunctionCallBuild : public ContextFixture {};

TEST_F(FunctionCallBuild, WritesIdAndArgument) {
  FunctionCall call;
  call.SetFunctionID(3);
  call.SetArgument(com::Variant(std::string("a<b")));
  EXPECT_EQ(call.BuildXML(*context_),
            std::string(kDeclaration) +
                R"(<FDT><FunctionCall functionId="3"><Argument>a&lt;b</Argument></FunctionCall></FDT>)"
                "\n");
  call.SetArgument(std::nullopt);
  EXPECT_EQ(call.BuildXML(*context_),
            std::string(kDeclaration) + R"(<FDT><FunctionCall functionId="3"/></FDT>)" "\n");
}

TEST_F(FunctionCallBuild, ANumberArgumentIsWrittenAsText) {
  FunctionCall call;
  call.SetFunctionID(1);
  call.SetArgument(com::Variant(std::int32_t{42}));
  FunctionCall again;
  ASSERT_TRUE(again.Parse(call.BuildXML(*context_), *context_));
  EXPECT_EQ(again.FunctionID(), 1);
  EXPECT_EQ(again.Argument(), com::Variant(std::string("42")));
}

// --- OperationPhase ---

struct PhaseText {
  const char* name;
  const char* document;
  const char* phase;
};

const PhaseText kPhases[] = {
    {"RootAttribute", R"(<FDT operationPhase="engineering"/>)", "engineering"},
    {"Element", R"(<FDT><OperationPhase phase="commissioning"/></FDT>)", "commissioning"},
    {"ElementText", R"(<FDT><OperationPhase>maintenance</OperationPhase></FDT>)", "maintenance"},
    {"NoneGiven", "<FDT/>", ""},
};

class OperationPhaseParse : public ContextFixture, public ::testing::WithParamInterface<PhaseText> {};

TEST_P(OperationPhaseParse, ReadsThePhase) {
  OperationPhase phase;
  ASSERT_TRUE(phase.Parse(GetParam().document, *context_));
  EXPECT_EQ(phase.Phase(), GetParam().phase);
}

INSTANTIATE_TEST_SUITE_P(Table, OperationPhaseParse, ::testing::ValuesIn(kPhases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(DeviceTypeDocuments, OperationPhaseRejectsANonDocument) {
  OperationPhase phase;
  ASSERT_TRUE(phase.Parse(R"(<FDT operationPhase="engineering"/>)", *context_));
  EXPECT_FALSE(phase.Parse("engineering", *context_));
  EXPECT_EQ(phase.Phase(), "engineering");
}

// --- FunctionList ---

class FunctionListBuild : public ContextFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(context_->Dictionary().LoadXml(
        R"(<dictionary language="9"><section name="fx">)"
        R"(<entry key="ctlIdent" functionId="1" text="Identification"/>)"
        R"(<entry key="ctlTrend" functionId="5" text="Trend &amp; more"/>)"
        R"(<entry key="noId" text="Without number"/>)"
        R"(</section></dictionary>)"));
  }
};

// "noId" has no number: a text kept in the section, not a function.
TEST_F(FunctionListBuild, ListsTheSectionWithTheAddedStates) {
  FunctionList list;
  list.AddFunction("ctlTrend", 1, 2);
  list.AddFunction("extra", 0, 0);
  EXPECT_EQ(list.BuildXML(*context_, "fx"),
            std::string(kDeclaration) + "<FDT><Functions>"
                R"(<Function key="ctlIdent" functionId="1" text="Identification" state="4" flags="0"/>)"
                R"(<Function key="ctlTrend" functionId="5" text="Trend &amp; more" state="1" flags="2"/>)"
                R"(<Function key="extra" text="extra" state="0" flags="0"/>)"
                "</Functions></FDT>\n");
}

TEST_F(FunctionListBuild, AddingANameAgainReplacesItsState) {
  FunctionList list;
  list.AddFunction("ctlIdent", 0, 0);
  list.AddFunction("ctlIdent", 3, 1);
  ASSERT_EQ(list.Functions().size(), 1u);
  xml::Document doc = xml::Document::Parse(list.BuildXML(*context_, "fx"));
  xml::Node ident = doc.DocumentElement().SelectSingleNode("Functions/Function[@key='ctlIdent']");
  ASSERT_TRUE(ident);
  EXPECT_EQ(ident.Attribute("state"), "3");
  EXPECT_EQ(ident.Attribute("flags"), "1");
}

TEST_F(FunctionListBuild, AMissingSectionGivesNothing) {
  FunctionList list;
  list.AddFunction("ctlIdent", 0, 0);
  EXPECT_EQ(list.BuildXML(*context_, "absent"), "");
}

TEST_F(FunctionListBuild, TheShippedFunctionsInGerman) {
  LoadShippedDictionary();
  ASSERT_TRUE(context_->Dictionary().SelectLanguage(7));
  FunctionList list;
  list.AddFunction("ctlMonitor", 0, 0);
  xml::Document doc = xml::Document::Parse(list.BuildXML(*context_, "DTMFunctions"));
  EXPECT_EQ(doc.DocumentElement().SelectNodes("Functions/Function").size(), 14u);
  xml::Node monitor = doc.DocumentElement().SelectSingleNode("Functions/Function[@key='ctlMonitor']");
  ASSERT_TRUE(monitor);
  EXPECT_EQ(monitor.Attribute("text"), "Kommunikationsmonitor");
  EXPECT_EQ(monitor.Attribute("functionId"), "11");
  EXPECT_EQ(monitor.Attribute("state"), "0");
}

// --- User ---

struct UserText {
  const char* name;
  const char* document;
  std::int32_t level;
  const char* user;
};

const UserText kUsers[] = {
    {"Observer", R"(<FDT><UserInfo userLevel="Observer" userName="A"/></FDT>)", 0, "A"},
    {"Operator", R"(<FDT><UserInfo userLevel="Operator" userName="B"/></FDT>)", 1, "B"},
    {"Maintenance", R"(<FDT><UserInfo userLevel="Maintenance" userName="C"/></FDT>)", 2, "C"},
    {"PlanningEngineer", R"(<FDT><UserInfo userLevel="PlanningEngineer" userName="D"/></FDT>)", 3, "D"},
    {"OEMService", R"(<FDT><UserInfo userLevel="OEMService" userName="E"/></FDT>)", 4, "E"},
    {"Administrator", R"(<FDT><UserInfo userLevel="Administrator" userName="F"/></FDT>)", 5, "F"},
    {"LetterCaseIgnored", R"(<FDT><UserInfo userLevel="planningEngineer" userName="G"/></FDT>)", 3, "G"},
    {"Number", R"(<FDT><UserInfo userLevel="4"/></FDT>)", 4, ""},
    {"Namespaced", R"(<FDT xmlns="x-schema:DTMUserInformationSchema.xml"><UserInfo userLevel="0" userName="H"/></FDT>)", 0, "H"},
};

class UserConfig : public ContextFixture, public ::testing::WithParamInterface<UserText> {};

TEST_P(UserConfig, TakesLevelAndName) {
  User user;
  ASSERT_TRUE(user.Config(GetParam().document, *context_));
  EXPECT_EQ(user.UserLevel(), GetParam().level);
  EXPECT_EQ(user.UserName(), GetParam().user);
}

INSTANTIATE_TEST_SUITE_P(Table, UserConfig, ::testing::ValuesIn(kUsers),
                         [](const auto& i) { return std::string(i.param.name); });

const BadDocument kNotUsers[] = {
    {"NotXml", "<FDT><UserInfo userLevel=\"Observer\">"},
    {"NoUserInfo", R"(<FDT><User userLevel="Observer"/></FDT>)"},
    {"NoLevel", R"(<FDT><UserInfo userName="X"/></FDT>)"},
    {"UnknownName", R"(<FDT><UserInfo userLevel="Guest" userName="X"/></FDT>)"},
    {"NumberTooHigh", R"(<FDT><UserInfo userLevel="6" userName="X"/></FDT>)"},
    {"NumberNegative", R"(<FDT><UserInfo userLevel="-1" userName="X"/></FDT>)"},
    {"EmptyLevel", R"(<FDT><UserInfo userLevel="" userName="X"/></FDT>)"},
};

class UserConfigRejects : public ContextFixture,
                          public ::testing::WithParamInterface<BadDocument> {};

TEST_P(UserConfigRejects, AnswersFalseAndChangesNothing) {
  User user;
  ASSERT_TRUE(user.Config(R"(<FDT><UserInfo userLevel="Operator" userName="Before"/></FDT>)",
                          *context_));
  EXPECT_FALSE(user.Config(GetParam().document, *context_));
  EXPECT_EQ(user.UserLevel(), 1);
  EXPECT_EQ(user.UserName(), "Before");
}

INSTANTIATE_TEST_SUITE_P(Table, UserConfigRejects, ::testing::ValuesIn(kNotUsers),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(UserDefaults, MaintenanceBeforeConfig) { EXPECT_EQ(User().UserLevel(), 2); }

}  // namespace
}  // namespace dtm::runtime
