// The element texts of the current language: the shipped German and English
// dictionaries, the rotary-actuator keys, and the failures that stop the walk.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "component/datamodel/data_model_helpers.h"
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

TEST_P(ShippedLanguage, EveryValueElementGetsALabelAndADescription) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(GetParam()));
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  int value_elements = 0;
  for (const DataElementPtr& item : Context().Parameters().Elements()) {
    const std::string path = item->IPrivateDataElement_Name();
    if (IsGroup(path)) continue;
    ++value_elements;
    const clsDataElement& element = Element(path);
    EXPECT_NE(element.Prompt, "") << path;
    EXPECT_NE(element.Description, "") << path;
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
    {"GermanFillerDescription", kGerman, "SC130Tr3/Par2", Field::kDescription, "Reserviert"},
    {"EnglishFillerLabel", kEnglish, "SC128Tr15/Par4", Field::kLabel, "Spare"},
    {"EnglishFillerDescription", kEnglish, "SC128Tr15/Par4", Field::kDescription, "Reserved"},
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
};

// On the build's texts, so that any text the failed call wrote would show.
class UnconvertibleActuatorType : public BuildTextsFixture,
                                  public ::testing::WithParamInterface<BadTypeCase> {};

TEST_P(UnconvertibleActuatorType, FailsBeforeAnyTextChanges) {
  SetActuatorType(GetParam().actuator_type);
  ASSERT_TRUE(Context().Dictionary().SelectLanguage(kEnglish));
  EXPECT_THROW(DataModelHelpers::ApplyLanguageTexts(Context()), com::ComError);
  EXPECT_EQ(Element("~/Tag").Prompt, "");
  EXPECT_EQ(Element("~/Tag").Description, "Bezeichnung der Geräte-Instanz");
  EXPECT_EQ(Element("SC128Tr11/Par1").Description, "Obere Hubbegrenzung (0...120%)");
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
      EXPECT_NE(entry.node.Attribute("description").value_or(""), "") << entry.key;
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
    if (description.empty()) continue;  // the filler slots get "Reserviert"
    EXPECT_EQ(Element(path).Description, description) << path;
  }
}

}  // namespace
}  // namespace dtm::testing
