// The element texts of the current language: the shipped German and English
// dictionaries, the rotary-actuator keys, and the failures that stop the walk.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "component/datamodel/data_model_helpers.h"
#include "component/ui/framework/ctl_monitor.h"
#include "platform/com/error.h"
#include "platform/com/variant.h"
#include "platform/runtime/dictionary.h"
#include "platform/runtime/parameters.h"
#include "platform/xml/dom.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

constexpr std::int32_t kGerman = 7;
constexpr std::int32_t kEnglish = 9;

enum class Field { kLabel, kDescription, kHelp, kValueList, kCmdErrList };

const std::string& FieldOf(const clsDataElement& element, Field field) {
  switch (field) {
    case Field::kLabel:
      return element.Prompt;
    case Field::kDescription:
      return element.Description;
    case Field::kHelp:
      return element.HelpText;
    case Field::kValueList:
      return element.ValueList;
    case Field::kCmdErrList:
      break;
  }
  return element.CmdErrList;
}

// A DTM instance with its 195 elements built, on the shipped data folder.
class LanguageTextsFixture : public DtmFixture {
 protected:
  void SetUp() override { SetUpInstance(); }

  clsDataElement& Element(const std::string& path) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(path));
    EXPECT_NE(element, nullptr) << path;
    return *element;
  }

  std::shared_ptr<clsDataModel> Model() {
    return std::dynamic_pointer_cast<clsDataModel>(Context().DataModel());
  }

  void SetActuatorType(const com::Variant& value) {
    Element("SC130Tr1/Par2").TransientValue = value;
  }

  // The texts of the dictionary's language `language`, applied directly.
  void ApplyShipped(std::int32_t language) {
    ASSERT_TRUE(Context().Dictionary().SelectLanguage(language));
    DataModelHelpers::ApplyLanguageTexts(Context());
  }

  // A one-language dictionary holding only `entries` in "parameters".
  void LoadTestDictionary(const std::string& entries, std::int32_t language = kEnglish) {
    const std::string text = "<dictionary name=\"DTMDictionary\" language=\"" +
                             std::to_string(language) + "\"><section name=\"parameters\">" +
                             entries + "</section></dictionary>";
    ASSERT_TRUE(Context().Dictionary().LoadXml(text));
  }
};

// The same DTM's elements as its data model's CreateModel builds them, without
// InitNew: no dependency rule has run, so every element still holds the texts
// of the build (German descriptions and lists, empty labels). After InitNew
// the actuator-type rule has already applied the selected language's texts,
// and a test that applies texts itself could not tell those from its own.
class BuildTextsFixture : public LanguageTextsFixture {
 protected:
  void SetUp() override {
    ASSERT_NE(Model(), nullptr);
    Model()->IPrivateDataModel_CreateModel(Context());
  }
};

// Failure messages name the case instead of dumping its bytes.
template <class Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

bool IsGroup(const std::string& path) { return !path.empty() && path.back() == '/'; }

// ---- The shipped files, per language ---------------------------------------

class ShippedLanguage : public LanguageTextsFixture,
                        public ::testing::WithParamInterface<std::int32_t> {};

// The slots that fill a transaction up to four parameters describe nothing.
const std::set<std::string> kFillerSlots = {
    "SC130Tr3/Par2", "SC130Tr3/Par3",  "SC130Tr3/Par4",  "SC128Tr1/Par4",
    "SC130Tr8/Par3", "SC130Tr8/Par4", "SC128Tr15/Par3", "SC128Tr15/Par4"};

TEST_P(ShippedLanguage, EveryValueElementGetsALabelAndADescriptionButTheFillers) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(GetParam()));
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  int value_elements = 0;
  for (const DataElementPtr& item : Context().Parameters().Elements()) {
    const std::string path = item->IPrivateDataElement_Name();
    if (IsGroup(path)) continue;
    ++value_elements;
    const clsDataElement& element = Element(path);
    EXPECT_NE(element.Prompt, "") << path;
    EXPECT_EQ(element.Description.empty(), kFillerSlots.count(path) == 1) << path;
  }
  EXPECT_EQ(value_elements, 166);
}

TEST_P(ShippedLanguage, GroupElementsHaveNoEntry) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(GetParam()));
  for (const char* path : {"UC000/", "SC128Tr2/", "SC130Tr8/", "SC136/", "CC048/"}) {
    EXPECT_EQ(Element(path).Prompt, "") << path;
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, ::testing::Values(kGerman, kEnglish),
                         [](const auto& i) {
                           return i.param == kGerman ? std::string("German")
                                                     : std::string("English");
                         });

// ---- Chosen texts of the shipped files -------------------------------------

struct TextCase {
  const char* name;
  std::int32_t language;
  const char* path;
  Field field;
  const char* text;
};

const TextCase kTextCases[] = {
    {"GermanDeadBandLabel", kGerman, "SC128Tr3/Par4", Field::kLabel, "Tote Zone"},
    {"EnglishDeadBandLabel", kEnglish, "SC128Tr3/Par4", Field::kLabel, "Dead band"},
    {"GermanDeadBandDescription", kGerman, "SC128Tr3/Par4", Field::kDescription,
     "Tote Zone der Ansteuerungskennlinie (0,01...10%)"},
    {"EnglishDeadBandDescription", kEnglish, "SC128Tr3/Par4", Field::kDescription,
     "Dead band of the actuation characteristic (0.01...10%)"},
    {"GermanRatedTravelLabel", kGerman, "SC128Tr2/Par2", Field::kLabel, "Nennhub"},
    {"EnglishRatedTravelLabel", kEnglish, "SC128Tr2/Par2", Field::kLabel, "Rated travel"},
    {"EnglishActualPositionLabel", kEnglish, "SC136/x", Field::kLabel, "Actual position x"},
    {"GermanZeroPointErrorLabel", kGerman, "CC048/F24", Field::kLabel, "Nullpunktfehler"},
    {"GermanAddressHelp", kGerman, "~/Address", Field::kHelp,
     "Kurzadresse des Stellungsreglers für Punkt-zu-Punkt-Betrieb (0) oder Multidrop-Betrieb "
     "(1..15)"},
    {"EnglishAddressHelp", kEnglish, "~/Address", Field::kHelp,
     "Polling address of the positioner for point-to-point operation (0) or multidrop "
     "operation (1..15)"},
    {"EnglishNoHelp", kEnglish, "SC128Tr2/Par2", Field::kHelp, ""},
    {"GermanDeviceStatusBits", kGerman, "DevState", Field::kValueList,
     "7:Fehlfunktion des Feldgeräts|6:Konfiguration geändert|5:Kaltstart|"
     "4:Erweiterte Statusinformation|3:Fester analoger Stromausgang|"
     "2:Analoger Ausgang übersteuert|1:Bereichsüberschreitung (SV-FV)|"
     "0:Bereichsüberschreitung (PV)"},
    {"EnglishDeviceStatusBits", kEnglish, "DevState", Field::kValueList,
     "7:Field device malfunction|6:Configuration changed|5:Cold start|4:More status available|"
     "3:Loop current fixed|2:Loop current saturated|1:Non-primary variable out of limits|"
     "0:Primary variable out of limits"},
    {"EnglishManufacturers", kEnglish, "UC000/ManuId", Field::kValueList, "0:Unknown|165:VELDAR"},
    {"GermanDeviceTypes", kGerman, "UC000/DevId", Field::kValueList, "0:Unbekannt|70:4625"},
    {"EnglishActuatorTypes", kEnglish, "SC130Tr1/Par2", Field::kValueList,
     "0:Linear actuator|1:Rotary actuator"},
    {"EnglishEscapedDirections", kEnglish, "SC130Tr5/Par1", Field::kValueList,
     "0:>> increasing/increasing|1:<> increasing/decreasing"},
    {"EnglishResponseCodes", kEnglish, "~/Tag", Field::kCmdErrList,
     "2:Invalid selection|3:Passed parameter too large|4:Passed parameter too small|"
     "5:Too few data bytes received|6:Device-specific command error|"
     "7:Device is write-protected|16:Access restricted|32:Device is busy|"
     "64:Command not implemented in the device"},
    {"GermanFillerLabel", kGerman, "SC130Tr3/Par2", Field::kLabel, "Reserve"},
    {"GermanFillerDescription", kGerman, "SC130Tr3/Par2", Field::kDescription, ""},
    {"EnglishFillerLabel", kEnglish, "SC128Tr15/Par4", Field::kLabel, "Spare"},
    {"EnglishFillerDescription", kEnglish, "SC128Tr15/Par4", Field::kDescription, ""},
};

class ShippedText : public LanguageTextsFixture, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ShippedText, IsSetBySetLanguage) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(GetParam().language));
  EXPECT_EQ(FieldOf(Element(GetParam().path), GetParam().field), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, ShippedText, ::testing::ValuesIn(kTextCases),
                         [](const auto& i) { return std::string(i.param.name); });

using LanguageSwitchTexts = LanguageTextsFixture;

TEST_F(LanguageSwitchTexts, ReplacesTheTextsOfTheLastLanguage) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(kEnglish));
  clsDataElement& open_time = Element("SC128Tr10/Par3");
  clsDataElement& mode = Element("SC130Tr8/Par2");
  EXPECT_EQ(open_time.Prompt, "Travel time OPEN");
  EXPECT_EQ(open_time.Description, "Travel time for opening the valve (0...240 s)");
  EXPECT_EQ(mode.ValueList, "0:Automatic|1:Manual|2:Fail-safe position");

  ASSERT_TRUE(dtm_->IDtm_SetLanguage(kGerman));
  EXPECT_EQ(open_time.Prompt, "Laufzeit AUF");
  EXPECT_EQ(open_time.Description, "Laufzeit zum öffnen des Ventils (0...240s)");
  EXPECT_EQ(mode.ValueList, "0:Automatik|1:Hand|2:Sicherheitsstellung");
  EXPECT_EQ(Model()->LanguageId(), kGerman);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
}

// ---- One dictionary for every instance --------------------------------------

// A second instance from the same class object, as a frame holds many.
class TwoInstances : public LanguageTextsFixture {
 protected:
  void SetUp() override {
    LanguageTextsFixture::SetUp();
    std::shared_ptr<com::ClassFactory> factory;
    ASSERT_EQ(library_.DllGetClassObject(Library::Classes()[0].clsid, factory), com::kSOk);
    other_ = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
    ASSERT_NE(other_, nullptr);
    ASSERT_TRUE(other_->IDtm_InitNew(SupportedDeviceTypeXml()));
    ASSERT_TRUE(other_->IDtm_Environment("TAG2", container_));
  }

  clsDataElement& OtherElement(const std::string& path) {
    auto element =
        std::dynamic_pointer_cast<clsDataElement>(other_->Context().Parameters().Item(path));
    EXPECT_NE(element, nullptr) << path;
    return *element;
  }

  std::shared_ptr<DTMMain> other_;
};

TEST_F(TwoInstances, ShareOneDictionaryTableButSelectTheirOwnLanguage) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(kGerman));
  ASSERT_TRUE(other_->IDtm_SetLanguage(kEnglish));
  const runtime::DTMDictionary& mine = Context().Dictionary();
  const runtime::DTMDictionary& theirs = other_->Context().Dictionary();
  ASSERT_NE(mine.Tables(), nullptr);
  EXPECT_EQ(mine.Tables(), theirs.Tables());
  EXPECT_EQ(&mine.Tables()->languages.at(kEnglish), theirs.Selected());
  EXPECT_EQ(mine.Language(), kGerman);
  EXPECT_EQ(theirs.Language(), kEnglish);
  EXPECT_EQ(Element("SC128Tr3/Par4").Prompt, "Tote Zone");
  EXPECT_EQ(OtherElement("SC128Tr3/Par4").Prompt, "Dead band");
  EXPECT_EQ(Model()->HartUnits()->UnitText(252), "Unbekannt");
  EXPECT_EQ(std::dynamic_pointer_cast<clsDataModel>(other_->Context().DataModel())
                ->HartUnits()
                ->UnitText(252),
            "Unknown");
}

TEST_F(TwoInstances, KeepTheirOwnElementState) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(kEnglish));
  ASSERT_TRUE(other_->IDtm_SetLanguage(kEnglish));
  const com::Variant other_tag = OtherElement("~/Tag").TransientValue;
  ASSERT_NE(other_tag, com::Variant(std::string("PV_101")));

  Element("~/Tag").TransientValue = com::Variant(std::string("PV_101"));
  EXPECT_EQ(OtherElement("~/Tag").TransientValue, other_tag);

  // The actuator rule of one instance gives only that instance angle texts.
  Element("SC130Tr1/Par2").TransientValue = com::Variant(std::int16_t{1});
  Context().Parameters().NotifyChanged(Context().Parameters().Item("SC130Tr1/Par2"), "");
  EXPECT_EQ(Element("SC128Tr11/Par1").Description, "Upper angle limit (0...120%)");
  EXPECT_EQ(OtherElement("SC128Tr11/Par1").Description, "Upper travel limit (0...120%)");
  EXPECT_EQ(OtherElement("SC130Tr1/Par2").TransientValue, com::Variant(std::int16_t{0}));
}

// Instances whose services name their own cache share that one instead.
TEST_F(TwoInstances, ACacheOfTheirOwnReadsTheFilesForItself) {
  runtime::Services services = services_;
  services.dictionaries = std::make_shared<runtime::DictionaryCache>();
  Library library{services};
  std::shared_ptr<com::ClassFactory> factory;
  ASSERT_EQ(library.DllGetClassObject(Library::Classes()[0].clsid, factory), com::kSOk);
  std::shared_ptr<DTMMain> first = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
  std::shared_ptr<DTMMain> second = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
  ASSERT_TRUE(first->IDtm_InitNew(SupportedDeviceTypeXml()));
  ASSERT_TRUE(second->IDtm_InitNew(SupportedDeviceTypeXml()));

  EXPECT_EQ(services.dictionaries->Reads(), 1u);
  EXPECT_EQ(first->Context().Dictionary().Tables(), second->Context().Dictionary().Tables());
  EXPECT_NE(first->Context().Dictionary().Tables(), Context().Dictionary().Tables());
  ASSERT_TRUE(first->IDtm_SetLanguage(kGerman));
  EXPECT_EQ(std::dynamic_pointer_cast<clsDataElement>(
                first->Context().Parameters().Item("SC128Tr10/Par3"))
                ->Prompt,
            "Laufzeit AUF");
}

// ---- Shipped unit texts ----------------------------------------------------

struct UnitCase {
  const char* name;
  std::int32_t language;
  std::int32_t code;
  const char* text;
};

const UnitCase kUnitCases[] = {
    {"GermanMilliampere", kGerman, 39, "mA"},     {"EnglishMillimetre", kEnglish, 49, "mm"},
    {"GermanSecond", kGerman, 51, "s"},           {"EnglishPercent", kEnglish, 57, "%"},
    {"GermanDegree", kGerman, 245, "°"},          {"EnglishDegree", kEnglish, 245, "°"},
    {"GermanUnknown", kGerman, 252, "Unbekannt"}, {"EnglishUnknown", kEnglish, 252, "Unknown"},
    {"GermanNone", kGerman, 251, "Keine"},        {"EnglishPressure", kEnglish, 7, "bar"},
};

class ShippedUnitText : public LanguageTextsFixture,
                        public ::testing::WithParamInterface<UnitCase> {};

TEST_P(ShippedUnitText, IsSetBySetLanguage) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(GetParam().language));
  EXPECT_EQ(Model()->HartUnits()->UnitText(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, ShippedUnitText, ::testing::ValuesIn(kUnitCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Rotary-actuator keys --------------------------------------------------

struct ActuatorCase {
  const char* name;
  com::Variant actuator_type;
  const char* path;
  Field field;
  const char* text;
};

const ActuatorCase kActuatorCases[] = {
    {"LinearLowerLimit", com::Variant(std::int16_t{0}), "SC128Tr11/Par2", Field::kDescription,
     "Lower travel limit (-20...99.9%)"},
    {"RotaryLowerLimit", com::Variant(std::int16_t{1}), "SC128Tr11/Par2", Field::kDescription,
     "Lower angle limit (-20...99.9%)"},
    {"LinearUpperLimit", com::Variant(std::int16_t{0}), "SC128Tr11/Par1", Field::kDescription,
     "Upper travel limit (0...120%)"},
    {"RotaryUpperLimit", com::Variant(std::int16_t{1}), "SC128Tr11/Par1", Field::kDescription,
     "Upper angle limit (0...120%)"},
    {"RotaryFailSafePosition", com::Variant(std::int16_t{1}), "SC130Tr6/Par1", Field::kValueList,
     "0:Counter-clockwise|1:Clockwise|2:Unknown|3:None"},
    {"LinearFailSafePosition", com::Variant(std::int16_t{0}), "SC130Tr6/Par1", Field::kValueList,
     "0:Stem retracting|1:Stem extending|2:Unknown|3:None"},
    {"RotaryPickOff", com::Variant(std::int16_t{1}), "SC130Tr2/Par1", Field::kDescription,
     "Design of the angle pick-off (cam disc) with integrated mounting"},
    {"RotaryMaximumLabel", com::Variant(std::int16_t{1}), "SC128Tr14/Par2", Field::kLabel,
     "Max. angle"},
    {"LinearMaximumLabel", com::Variant(std::int16_t{0}), "SC128Tr14/Par2", Field::kLabel,
     "Max. travel/angle"},
    {"EmptyCountsAsLinear", com::Variant(), "SC128Tr11/Par1", Field::kDescription,
     "Upper travel limit (0...120%)"},
    {"TwoIsNotRotary", com::Variant(std::int16_t{2}), "SC128Tr11/Par1", Field::kDescription,
     "Upper travel limit (0...120%)"},
    {"TextOneIsRotary", com::Variant(std::string("1")), "SC128Tr11/Par1", Field::kDescription,
     "Upper angle limit (0...120%)"},
    {"RotaryRatedTravelKeepsItsKey", com::Variant(std::int16_t{1}), "SC128Tr2/Par2",
     Field::kDescription,
     "Rated working range within the travel range of the valve (0...255.9 mm)"},
    {"RotaryDelayTimeKeepsItsKey", com::Variant(std::int16_t{1}), "SC128Tr11/Par3",
     Field::kDescription, "Reset criterion for the running control loop monitoring (0...240 s)"},
};

class ActuatorKey : public LanguageTextsFixture,
                    public ::testing::WithParamInterface<ActuatorCase> {};

TEST_P(ActuatorKey, FollowsTheActuatorType) {
  SetActuatorType(GetParam().actuator_type);
  ApplyShipped(kEnglish);
  EXPECT_EQ(FieldOf(Element(GetParam().path), GetParam().field), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, ActuatorKey, ::testing::ValuesIn(kActuatorCases),
                         [](const auto& i) { return std::string(i.param.name); });

using RotaryTexts = LanguageTextsFixture;

TEST_F(RotaryTexts, GermanOnesSpeakOfAngles) {
  SetActuatorType(com::Variant(std::int16_t{1}));
  ApplyShipped(kGerman);
  EXPECT_EQ(Element("SC128Tr11/Par2").Description, "Untere Drehwinkelbegrenzung (-20...99,9%)");
  EXPECT_EQ(Element("SC128Tr14/Par2").Prompt, "Max. Drehwinkel");
}

TEST_F(RotaryTexts, ActuatorTypeIsSampledOncePerCall) {
  SetActuatorType(com::Variant(std::int16_t{1}));
  ApplyShipped(kEnglish);
  SetActuatorType(com::Variant(std::int16_t{0}));
  EXPECT_EQ(Element("SC128Tr11/Par1").Description, "Upper angle limit (0...120%)");
  DataModelHelpers::ApplyLanguageTexts(Context());
  EXPECT_EQ(Element("SC128Tr11/Par1").Description, "Upper travel limit (0...120%)");
}

struct BadTypeCase {
  const char* name;
  com::Variant actuator_type;
};

const BadTypeCase kBadTypeCases[] = {
    {"Text", com::Variant(std::string("rotary"))},
    {"BeyondSixteenBits", com::Variant(std::int32_t{70000})},
    {"Null", com::Variant::Null()},
    {"NotANumber", com::Variant(std::numeric_limits<float>::quiet_NaN())},
};

// A type that names no actuator (a data set or a caller may set any value)
// is no rotary one: the texts speak of stroke, and no error ends the call.
class UnconvertibleActuatorType : public BuildTextsFixture,
                                  public ::testing::WithParamInterface<BadTypeCase> {};

TEST_P(UnconvertibleActuatorType, GivesTheStrokeTexts) {
  SetActuatorType(GetParam().actuator_type);
  ASSERT_TRUE(Context().Dictionary().SelectLanguage(kEnglish));
  EXPECT_NO_THROW(DataModelHelpers::ApplyLanguageTexts(Context()));
  EXPECT_EQ(Element("~/Tag").Prompt, "Instance tag");
  EXPECT_EQ(Element("SC128Tr11/Par1").Description, "Upper travel limit (0...120%)");
}

INSTANTIATE_TEST_SUITE_P(Table, UnconvertibleActuatorType, ::testing::ValuesIn(kBadTypeCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Entries of a test dictionary -------------------------------------------

using TextsFromTestDictionary = BuildTextsFixture;

TEST_F(TextsFromTestDictionary, ElementWithoutEntryKeepsTheBuildTexts) {
  LoadTestDictionary(
      R"(<entry key="SC128Tr3/Par4" label="Dead band" description="Band" help=""/>)");
  DataModelHelpers::ApplyLanguageTexts(Context());
  EXPECT_EQ(Element("SC128Tr3/Par4").Prompt, "Dead band");
  EXPECT_EQ(Element("SC128Tr11/Par1").Prompt, "");
  EXPECT_EQ(Element("SC128Tr11/Par1").Description, "Obere Hubbegrenzung (0...120%)");
}

TEST_F(TextsFromTestDictionary, AbsentListsKeepTheBuildLists) {
  LoadTestDictionary(
      R"(<entry key="SC130Tr8/Par1" label="Forced venting" description="Venting" help="h"/>)"
      R"(<entry key="~/Tag" label="Tag" description="Instance" help=""/>)");
  DataModelHelpers::ApplyLanguageTexts(Context());
  const clsDataElement& venting = Element("SC130Tr8/Par1");
  EXPECT_EQ(venting.Prompt, "Forced venting");
  EXPECT_EQ(venting.HelpText, "h");
  EXPECT_EQ(venting.ValueList, "0:Aus|1:Ein");
  EXPECT_EQ(Element("~/Tag").CmdErrList,
            "2:Unzulässige Auswahl|3:Parameter zu groß|4:Parameter zu klein|"
            "5:Zu wenige Datenbytes empfangen|6:Gerätespezifischer Fehler|"
            "7:Gerät ist schreibgeschützt|16:Zugriff verweigert|"
            "32:Gerät ist momentan beschäftigt|64:Kommando ist nicht im Gerät implementiert");
}

TEST_F(TextsFromTestDictionary, ListsAndEmptyTextsAreTakenAsTheyStand) {
  ApplyShipped(kEnglish);
  ASSERT_EQ(Element("SC130Tr8/Par1").Prompt, "Forced venting");
  LoadTestDictionary(
      R"(<entry key="SC130Tr8/Par1" label="" description="d" help="" valueList="0:0|1:1"/>)"
      R"(<entry key="~/Tag" label="t" description="d" help="" cmdErrList="7:Locked"/>)");
  DataModelHelpers::ApplyLanguageTexts(Context());
  EXPECT_EQ(Element("SC130Tr8/Par1").Prompt, "");
  EXPECT_EQ(Element("SC130Tr8/Par1").ValueList, "0:0|1:1");
  EXPECT_EQ(Element("~/Tag").CmdErrList, "7:Locked");
}

// An entry without a mandatory attribute: the walk stops there. "~/Tag"
// comes first in the build order, "UC000/ManuId" fourth, "UC000/SerNum" sixth.
struct MissingCase {
  const char* name;
  const char* broken_entry;
  const char* label;        // of "UC000/ManuId" afterwards
  const char* description;  // of "UC000/ManuId" afterwards
};

const MissingCase kMissingCases[] = {
    {"Label", R"(description="Maker of the positioner" help="x" valueList="0:None")", "",
     "Hersteller des Stellungsreglers"},
    {"Description", R"(label="Maker" help="x" valueList="0:None")", "Maker",
     "Hersteller des Stellungsreglers"},
    {"Help", R"(label="Maker" description="Maker of the positioner" valueList="0:None")", "Maker",
     "Maker of the positioner"},
};

// On the build's texts: the entries after the broken one would change them.
class MissingAttribute : public BuildTextsFixture,
                         public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingAttribute, StopsTheWalkAtThatElement) {
  LoadTestDictionary(std::string(R"(<entry key="~/Tag" label="Instance tag" description="I" )"
                                 R"(help=""/><entry key="UC000/ManuId" )") +
                     GetParam().broken_entry +
                     R"(/><entry key="UC000/SerNum" label="Serial number" description="S" )"
                     R"(help=""/>)");
  EXPECT_THROW(DataModelHelpers::ApplyLanguageTexts(Context()), com::ComError);

  EXPECT_EQ(Element("~/Tag").Prompt, "Instance tag");
  const clsDataElement& maker = Element("UC000/ManuId");
  EXPECT_EQ(maker.Prompt, GetParam().label);
  EXPECT_EQ(maker.Description, GetParam().description);
  EXPECT_EQ(maker.HelpText, "");
  EXPECT_EQ(maker.ValueList, "0:Unbekannt|165:VELDAR");
  EXPECT_EQ(Element("UC000/SerNum").Prompt, "");
  EXPECT_EQ(Element("UC000/SerNum").Description, "Seriennummer des Stellungsreglers");
}

INSTANTIATE_TEST_SUITE_P(Table, MissingAttribute, ::testing::ValuesIn(kMissingCases),
                         [](const auto& i) { return std::string(i.param.name); });

using LanguageSwitchFailure = LanguageTextsFixture;

TEST_F(LanguageSwitchFailure, ReportsTheIdAndKeepsTheOldLanguage) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(kEnglish));
  ASSERT_EQ(Model()->LanguageId(), kEnglish);
  LoadTestDictionary(R"(<entry key="~/Tag" label="Instanzbezeichnung" description="I" help=""/>)"
                     R"(<entry key="UC000/ManuId" description="H" help=""/>)",
                     kGerman);

  dtm_->IDtm_SetLanguage(kGerman);
  EXPECT_EQ(Errors(), std::vector<std::string>{"Error setting LanguageId 7"});
  EXPECT_EQ(Model()->LanguageId(), kEnglish);
  EXPECT_EQ(Element("~/Tag").Prompt, "Instanzbezeichnung");
  EXPECT_EQ(Element("UC000/SerNum").Prompt, "Serial number");

  // The language was not recorded, so the next call tries again.
  dtm_->IDtm_SetLanguage(kGerman);
  EXPECT_EQ(Errors(),
            (std::vector<std::string>{"Error setting LanguageId 7", "Error setting LanguageId 7"}));
}

// ---- Consistency of the shipped files ----------------------------------------

struct FileEntry {
  std::string key;
  xml::Node node;
};

std::vector<FileEntry> SectionEntries(std::int32_t language, const std::string& section) {
  const std::filesystem::path file =
      SourceDir() / "data" / "XMLData" /
      (language == kGerman ? "DTMDictionary_007.xml" : "DTMDictionary_009.xml");
  xml::Document document;
  EXPECT_TRUE(document.Load(file)) << document.ParseError();
  std::vector<FileEntry> entries;
  for (const xml::Node& child : document.DocumentElement().Children()) {
    if (child.Attribute("name") != section) continue;
    for (const xml::Node& entry : child.Children()) {
      entries.push_back({entry.Attribute("key").value_or(""), entry});
    }
  }
  return entries;
}

std::vector<std::string> KeysOf(const std::vector<FileEntry>& entries) {
  std::vector<std::string> keys;
  for (const FileEntry& entry : entries) keys.push_back(entry.key);
  return keys;
}

// "0:Aus|1:Ein" gives {"0", "1"}.
std::vector<std::string> ListKeys(const std::string& list) {
  std::vector<std::string> keys;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find('|', start), list.size());
    const std::string item = list.substr(start, end - start);
    keys.push_back(item.substr(0, item.find(':')));
    start = end + 1;
  }
  return keys;
}

// The files against the build: its elements and its German descriptions.
using ShippedDictionaryFiles = BuildTextsFixture;

TEST_F(ShippedDictionaryFiles, EveryParameterKeyNamesAnElement) {
  const std::set<std::string> rotary_keys = {"SC128Tr11/Par2A", "SC128Tr11/Par1A", "SC130Tr6/Par1A",
                                             "SC130Tr2/Par1A", "SC128Tr14/Par2A"};
  for (std::int32_t language : {kGerman, kEnglish}) {
    for (const FileEntry& entry : SectionEntries(language, "parameters")) {
      if (rotary_keys.count(entry.key)) continue;
      const DataElementPtr element = Context().Parameters().Find(entry.key);
      EXPECT_NE(element, nullptr) << language << " " << entry.key;
      EXPECT_FALSE(IsGroup(entry.key)) << language << " " << entry.key;
    }
    const std::vector<std::string> keys = KeysOf(SectionEntries(language, "parameters"));
    for (const std::string& key : rotary_keys) {
      EXPECT_EQ(std::count(keys.begin(), keys.end(), key), 1) << language << " " << key;
    }
  }
}

TEST_F(ShippedDictionaryFiles, EveryEntryHasTheMandatoryTexts) {
  for (std::int32_t language : {kGerman, kEnglish}) {
    for (const FileEntry& entry : SectionEntries(language, "parameters")) {
      EXPECT_NE(entry.node.Attribute("label").value_or(""), "") << entry.key;
      EXPECT_TRUE(entry.node.Attribute("description").has_value()) << entry.key;
      EXPECT_TRUE(entry.node.Attribute("help").has_value()) << entry.key;
    }
    for (const FileEntry& entry : SectionEntries(language, "units")) {
      EXPECT_NE(entry.node.Attribute("text").value_or(""), "") << entry.key;
    }
  }
}

TEST_F(ShippedDictionaryFiles, BothLanguagesHaveTheSameKeys) {
  for (const char* section : {"parameters", "units"}) {
    const std::vector<std::string> german = KeysOf(SectionEntries(kGerman, section));
    EXPECT_FALSE(german.empty()) << section;
    EXPECT_EQ(german, KeysOf(SectionEntries(kEnglish, section))) << section;
  }
}

TEST_F(ShippedDictionaryFiles, ListsKeepTheirValuesInBothLanguages) {
  const std::vector<FileEntry> german = SectionEntries(kGerman, "parameters");
  const std::vector<FileEntry> english = SectionEntries(kEnglish, "parameters");
  ASSERT_EQ(german.size(), english.size());
  for (std::size_t i = 0; i < german.size(); ++i) {
    for (const char* list : {"valueList", "cmdErrList"}) {
      const auto de = german[i].node.Attribute(list);
      const auto en = english[i].node.Attribute(list);
      ASSERT_EQ(de.has_value(), en.has_value()) << german[i].key << " " << list;
      if (de) {
        EXPECT_EQ(ListKeys(*de), ListKeys(*en)) << german[i].key << " " << list;
      }
    }
  }
}

TEST_F(ShippedDictionaryFiles, GermanDescriptionsAreTheBuildTexts) {
  // The German file repeats the build's description wherever the build has
  // one, so switching to German restores it exactly.
  std::vector<std::pair<std::string, std::string>> built;
  for (const DataElementPtr& item : Context().Parameters().Elements()) {
    const std::string path = item->IPrivateDataElement_Name();
    if (!IsGroup(path)) built.emplace_back(path, Element(path).Description);
  }
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(kEnglish));
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(kGerman));
  for (const auto& [path, description] : built) {
    EXPECT_EQ(Element(path).Description, description) << path;
  }
}


// ---- Every text key the code asks for ----------------------------------------
// The source tree is read for the keys its text lookups name, so that a key
// added to the code without its German and English entry fails here. A key
// held in a variable is followed to the literals assigned to it, and a key
// passed in as a parameter to the literals its callers pass; a lookup whose
// key cannot be told that way must be listed below, or the scan fails.

// The lookups and the argument that names the key. All read the "text" of
// section "keys" but two: the monitor's phrases are English texts that its
// phrase table translates, and GetValue names section and attribute itself.
struct Lookup {
  const char* name;
  std::size_t key_argument;
  bool phrase;
};

constexpr Lookup kLookups[] = {
    {"GetLangText", 1, false},
    {"GetKeyText", 0, false},
    {"GetText", 0, true},
    {"GetValue", 1, false},
};

struct KeyUse {
  std::string file;
  std::size_t line = 0;
  std::string section;    // "" for a monitor phrase
  std::string key;        // the key, or the phrase
  std::string attribute;
  bool operator==(const KeyUse&) const = default;
};

struct Unresolved {
  std::string file;
  std::size_t line = 0;
  std::string argument;
};

struct ScanResult {
  std::vector<KeyUse> uses;
  std::vector<Unresolved> unresolved;
};

struct SourceFile {
  std::string name;  // relative to the source tree
  std::string text;  // comments blanked, literals kept
};

// Blanks comments (lines stay where they were) and keeps literals whole.
std::string WithoutComments(const std::string& text) {
  std::string out = text;
  std::size_t i = 0;
  while (i < out.size()) {
    const char c = out[i];
    if (c == '"' || c == '\'') {
      for (++i; i < out.size() && out[i] != c; ++i) {
        if (out[i] == '\\') ++i;
      }
      ++i;
    } else if (out.compare(i, 2, "//") == 0) {
      while (i < out.size() && out[i] != '\n') out[i++] = ' ';
    } else if (out.compare(i, 2, "/*") == 0) {
      const std::size_t end = std::min(out.find("*/", i + 2), out.size() - 2) + 2;
      for (; i < end; ++i) {
        if (out[i] != '\n') out[i] = ' ';
      }
    } else {
      ++i;
    }
  }
  return out;
}

bool IdentifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

std::string Trim(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// The literals of an expression; literals side by side are one text.
std::vector<std::string> Literals(const std::string& expression) {
  std::vector<std::string> literals;
  bool joined = false;
  for (std::size_t i = 0; i < expression.size(); ++i) {
    const char c = expression[i];
    if (c == '\'') {
      for (++i; i < expression.size() && expression[i] != '\''; ++i) {
        if (expression[i] == '\\') ++i;
      }
      joined = false;
    } else if (c == '"') {
      std::string literal;
      for (++i; i < expression.size() && expression[i] != '"'; ++i) {
        if (expression[i] == '\\') ++i;
        literal += expression[i];
      }
      if (joined) {
        literals.back() += literal;
      } else {
        literals.push_back(literal);
      }
      joined = true;
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      joined = false;
    }
  }
  return literals;
}

// The arguments of the call whose "(" is at `open`.
std::vector<std::string> Arguments(const std::string& text, std::size_t open) {
  std::vector<std::string> arguments(1);
  int depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const std::size_t start = i;
      for (++i; i < text.size() && text[i] != c; ++i) {
        if (text[i] == '\\') ++i;
      }
      arguments.back() += text.substr(start, i - start + 1);
      continue;
    }
    if (c == '(' || c == '[' || c == '{') {
      if (depth++ == 0) continue;
    } else if (c == ')' || c == ']' || c == '}') {
      if (--depth == 0) break;
    } else if (c == ',' && depth == 1) {
      arguments.emplace_back();
      continue;
    }
    arguments.back() += c;
  }
  for (std::string& argument : arguments) argument = Trim(argument);
  return arguments;
}

// Positions of the calls of `name` (not its declarations: see IsDeclared).
std::vector<std::size_t> CallsOf(const std::string& text, const std::string& name) {
  std::vector<std::size_t> opens;
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    if (at > 0 && IdentifierChar(text[at - 1])) continue;
    std::size_t open = at + name.size();
    while (open < text.size() && std::isspace(static_cast<unsigned char>(text[open]))) ++open;
    if (open < text.size() && text[open] == '(') opens.push_back(open);
  }
  return opens;
}

// "const std::string& key" declares a parameter; an expression never has a
// type and a name side by side.
bool IsDeclared(const std::string& argument) {
  static const std::regex declaration(R"(^[\w:<>]+(\s+[\w:<>]+)*[\s&*]+\w+(\s*=.*)?$)");
  return std::regex_match(argument, declaration) &&
         argument.find_first_of(" &*") != std::string::npos;
}

std::size_t LineOf(const std::string& text, std::size_t at) {
  const auto end = text.begin() + static_cast<std::ptrdiff_t>(at);
  return static_cast<std::size_t>(std::count(text.begin(), end, '\n')) + 1;
}

class KeyScanner {
 public:
  explicit KeyScanner(std::vector<SourceFile> files) : files_(std::move(files)) {}

  ScanResult Scan() const {
    ScanResult result;
    for (const SourceFile& file : files_) {
      for (const Lookup& lookup : kLookups) {
        for (const std::size_t open : CallsOf(file.text, lookup.name)) {
          ScanCall(file, lookup, open, result);
        }
      }
    }
    return result;
  }

 private:
  void ScanCall(const SourceFile& file, const Lookup& lookup, std::size_t open,
                ScanResult& result) const {
    const std::vector<std::string> arguments = Arguments(file.text, open);
    if (arguments.size() <= lookup.key_argument) return;
    if (std::any_of(arguments.begin(), arguments.end(), IsDeclared)) return;
    KeyUse use{file.name, LineOf(file.text, open), lookup.phrase ? "" : "keys", "", "text"};
    if (std::string(lookup.name) == "GetValue") {
      // Only a section named in the call says which dictionary part is read.
      const std::vector<std::string> section = Literals(arguments[0]);
      if (section.size() != 1 || arguments[0].front() != '"') return;
      use.section = section[0];
      if (arguments.size() > 2 && Literals(arguments[2]).size() == 1) {
        use.attribute = Literals(arguments[2])[0];
      }
    }
    const std::string& argument = arguments[lookup.key_argument];
    std::vector<std::string> keys = Literals(argument);
    if (keys.empty()) {
      std::optional<std::vector<std::string>> resolved = Resolve(file, open, argument);
      if (!resolved) return;  // a lookup routine passing its own key on
      keys = *resolved;
    }
    if (keys.empty()) result.unresolved.push_back({file.name, use.line, argument});
    for (const std::string& key : keys) {
      use.key = key;
      result.uses.push_back(use);
    }
  }

  // The literals a variable or parameter can hold; nullopt when the call
  // sits in a lookup routine and passes on that routine's own key.
  std::optional<std::vector<std::string>> Resolve(const SourceFile& file, std::size_t call,
                                                  const std::string& name) const {
    std::vector<std::string> keys;
    static const std::regex identifier(R"(^[A-Za-z_]\w*$)");
    if (!std::regex_match(name, identifier)) return keys;
    // Assignments: "name = ..." up to the statement's end.
    const std::regex assignment("\\b" + name + "\\s*=(?!=)([^;]*);");
    for (auto it = std::sregex_iterator(file.text.begin(), file.text.end(), assignment);
         it != std::sregex_iterator(); ++it) {
      for (const std::string& key : Literals((*it)[1].str())) keys.push_back(key);
    }
    if (!keys.empty()) return keys;
    // A parameter of the routine the call sits in: what its callers pass.
    const std::string before = file.text.substr(0, call);
    const std::regex header("(\\w+)\\s*\\(([^()]*\\b" + name + ")\\s*[,)][^;{}]*\\{");
    std::smatch last;
    for (auto it = std::sregex_iterator(before.begin(), before.end(), header);
         it != std::sregex_iterator(); ++it) {
      last = *it;
    }
    if (last.empty()) return keys;
    const std::string routine = last[1].str();
    for (const Lookup& lookup : kLookups) {
      if (routine == lookup.name) return std::nullopt;
    }
    const std::size_t index =
        static_cast<std::size_t>(std::count(last[2].first, last[2].second, ','));
    for (const SourceFile& other : files_) {
      for (const std::size_t open : CallsOf(other.text, routine)) {
        const std::vector<std::string> arguments = Arguments(other.text, open);
        if (arguments.size() <= index || IsDeclared(arguments[index])) continue;
        for (const std::string& key : Literals(arguments[index])) keys.push_back(key);
      }
    }
    return keys;
  }

  std::vector<SourceFile> files_;
};

std::vector<SourceFile> TreeSources() {
  std::vector<SourceFile> files;
  for (const char* folder : {"component", "platform"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(SourceDir() / folder)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".cpp" && extension != ".h") continue;
      std::ifstream stream(entry.path(), std::ios::binary);
      std::stringstream text;
      text << stream.rdbuf();
      files.push_back({std::filesystem::relative(entry.path(), SourceDir()).generic_string(),
                       WithoutComments(text.str())});
    }
  }
  std::sort(files.begin(), files.end(),
            [](const SourceFile& a, const SourceFile& b) { return a.name < b.name; });
  return files;
}

// Lookups whose key the scan cannot follow, and the keys they ask for. The
// monitor fills its phrase table from a table of keys in its own file; the
// page skeleton looks up each page's headline title and its buttons' tool
// tips under keys the pages spell out in their own files.
struct KnownForwarder {
  const char* file;
  const char* argument;
  std::regex keys;  // the literals that the lookup can be given
  const char* attribute;
  bool any_file;  // the literals come from every file, not only the lookup's
};

const std::vector<KnownForwarder>& KnownForwarders() {
  static const std::vector<KnownForwarder> forwarders = {
      {"component/ui/framework/ctl_monitor.cpp", "p.key", std::regex("^M_[A-Z_]+$"), "text", false},
      {"component/ui/framework/page_base.cpp", "design_.title_key",
       std::regex("^HeadlineTitle_[A-Za-z]+$"), "text", true},
      {"component/ui/framework/page_base.cpp", "tooltip_key",
       std::regex("^ctl[A-Za-z]+_cmd[A-Za-z0-9]+$"), "tooltip", true},
      {"component/ui/observation/ctl_status.cpp", "row.caption_key",
       std::regex("^ctlStatus_lblStatus[0-9]+$"), "caption", false},
  };
  return forwarders;
}

ScanResult ScanTheTree() {
  const std::vector<SourceFile> files = TreeSources();
  ScanResult result = KeyScanner(files).Scan();
  std::vector<Unresolved> unresolved;
  for (const Unresolved& item : result.unresolved) {
    const auto known = std::find_if(KnownForwarders().begin(), KnownForwarders().end(),
                                    [&](const KnownForwarder& k) {
                                      return item.file == k.file && item.argument == k.argument;
                                    });
    if (known == KnownForwarders().end()) {
      unresolved.push_back(item);
      continue;
    }
    for (const SourceFile& file : files) {
      if (!known->any_file && file.name != known->file) continue;
      for (const std::string& literal : Literals(file.text)) {
        if (std::regex_match(literal, known->keys)) {
          result.uses.push_back({file.name, item.line, "keys", literal, known->attribute});
        }
      }
    }
  }
  result.unresolved = unresolved;
  return result;
}

std::ostream& operator<<(std::ostream& os, const KeyUse& use) {
  return os << use.file << ":" << use.line << " [" << use.section << "] \"" << use.key << "\" "
            << use.attribute;
}

void PrintTo(const KeyUse& use, std::ostream* os) { *os << use; }

// The scan on sources of the test's own: each way a key reaches a lookup.
TEST(KeyScan, FollowsLiteralsVariablesAndParameters) {
  const std::vector<SourceFile> files = {
      {"a.cpp",
       "void F(bool b) {\n"
       "  GetLangText(c, \"plain_key\", x);\n"
       "  Box(ctx.GetKeyText(b ? \"when_true\" : \"when_\" \"false\"));\n"
       "  const char* chosen = b ? \"chosen_a\" : \"chosen_b\";\n"
       "  GetLangText(c, chosen);\n"
       "  m->GetText(\"     Status: \");\n"
       "  d.GetValue(\"DTMruntime\", \"runtime_key\", \"caption\");\n"
       "  d.GetValue(node, name, \"text\");\n"
       "  GetLangText(c, unknown);\n"
       "}\n"
       "void Lines(int n, const std::string& phrase) { m->GetText(phrase); }\n"
       "void G() { Lines(1, \"DB-read \"); }\n"},
      {"b.cpp",
       "std::string GetLangText(Context& c, const std::string& key) {\n"
       "  return c.GetValue(\"keys\", key, \"text\");\n"
       "}\n"
       "void H() { Lines(2, \"DB-write \"); }\n"},
  };
  const ScanResult result = KeyScanner(files).Scan();
  const std::vector<KeyUse> expected = {
      {"a.cpp", 2, "keys", "plain_key", "text"},
      {"a.cpp", 5, "keys", "chosen_a", "text"},
      {"a.cpp", 5, "keys", "chosen_b", "text"},
      {"a.cpp", 3, "keys", "when_true", "text"},
      {"a.cpp", 3, "keys", "when_false", "text"},
      {"a.cpp", 6, "", "     Status: ", "text"},
      {"a.cpp", 11, "", "DB-read ", "text"},
      {"a.cpp", 11, "", "DB-write ", "text"},
      {"a.cpp", 7, "DTMruntime", "runtime_key", "caption"},
  };
  EXPECT_EQ(result.uses, expected);
  ASSERT_EQ(result.unresolved.size(), 1u);
  EXPECT_EQ(result.unresolved[0].argument, "unknown");
  EXPECT_EQ(result.unresolved[0].line, 9u);
}


// The shipped files against the scan of the tree.
class KeysTheCodeAsksFor : public LanguageTextsFixture {
 protected:
  static const ScanResult& Scan() {
    static const ScanResult result = ScanTheTree();
    return result;
  }

  static std::string Describe(std::int32_t language, const KeyUse& use) {
    std::ostringstream text;
    text << (language == kGerman ? "German: " : "English: ") << use;
    return text.str();
  }
};

TEST_F(KeysTheCodeAsksFor, TheScanFollowsEveryLookup) {
  std::vector<std::string> unresolved;
  for (const Unresolved& item : Scan().unresolved) {
    unresolved.push_back(item.file + ":" + std::to_string(item.line) + " " + item.argument);
  }
  EXPECT_EQ(unresolved, std::vector<std::string>{});
  // A key reached each way the code passes one: literal, variable,
  // parameter, the phrase table, another section.
  std::set<std::string> keys;
  for (const KeyUse& use : Scan().uses) keys.insert(use.key);
  for (const char* key : {"devtype_not_supported", "device_write_protected",
                          "device_busy_download", "device_busy_upload",
                          "cannot_start_incon_param_download", "comm_con_aborted", "M_STATUS",
                          "     Status: ", "Polling status", "DB-read "}) {
    EXPECT_EQ(keys.count(key), 1u) << key;
  }
}

TEST_F(KeysTheCodeAsksFor, EachKeyHasAGermanAndAnEnglishText) {
  std::vector<std::string> missing;
  for (const std::int32_t language : {kGerman, kEnglish}) {
    for (const KeyUse& use : Scan().uses) {
      if (use.section.empty()) continue;
      const std::vector<FileEntry> entries = SectionEntries(language, use.section);
      const auto entry = std::find_if(entries.begin(), entries.end(),
                                      [&](const FileEntry& e) { return e.key == use.key; });
      if (entry == entries.end() || entry->node.Attribute(use.attribute).value_or("").empty()) {
        missing.push_back(Describe(language, use));
      }
    }
  }
  EXPECT_EQ(missing, std::vector<std::string>{});
}

// A phrase the monitor's table lacks, or whose key has no entry, would be
// written as "".
TEST_F(KeysTheCodeAsksFor, EachMonitorPhraseHasAGermanAndAnEnglishText) {
  ctlMonitor monitor;
  std::vector<std::string> missing;
  for (const std::int32_t language : {kGerman, kEnglish}) {
    ASSERT_TRUE(Context().Dictionary().SelectLanguage(language));
    monitor.FillPhraseTable(Context());
    for (const KeyUse& use : Scan().uses) {
      if (use.section.empty() && monitor.GetText(use.key).empty()) {
        missing.push_back(Describe(language, use));
      }
    }
  }
  EXPECT_EQ(missing, std::vector<std::string>{});
}

}  // namespace
}  // namespace dtm::testing
