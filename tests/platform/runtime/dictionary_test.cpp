// The language dictionary: lookups, language selection, loading from the
// data folder, and the shipped dictionary files.

#include "platform/runtime/dictionary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/platform/runtime/test_context.h"

namespace dtm::runtime {
namespace {

using testing::ContextFixture;

constexpr const char* kEnglish = R"(<dictionary name="DTMDictionary" language="9" default="9">
  <section name="keys">
    <entry key="device_busy" text="The device is busy." tooltip="Try later"/>
    <entry key="~/Tag" text="Tag"/>
    <entry key="UC000/ManuId" text="Manufacturer"/>
    <entry key="it's &quot;quoted&quot;" text="quotes"/>
    <entry key="a]/b[1]" text="brackets"/>
    <entry key="   padded " text="  blanks  "/>
    <entry key="device_busy" text="second of the name: ignored"/>
  </section>
  <section name="units"><item key="bar" text="bar"/></section>
</dictionary>)";

struct Lookup {
  const char* name;
  const char* section;
  const char* key;
  const char* attribute;
  const char* expected;  // nullptr: Empty
};

const Lookup kLookups[] = {
    {"Text", "keys", "device_busy", "text", "The device is busy."},
    {"OtherAttribute", "keys", "device_busy", "tooltip", "Try later"},
    {"KeyWithSlashAndTilde", "keys", "~/Tag", "text", "Tag"},
    {"KeyWithSlash", "keys", "UC000/ManuId", "text", "Manufacturer"},
    {"KeyWithQuotes", "keys", "it's \"quoted\"", "text", "quotes"},
    {"KeyWithBrackets", "keys", "a]/b[1]", "text", "brackets"},
    {"BlanksKept", "keys", "   padded ", "text", "  blanks  "},
    {"AnyElementNameCounts", "units", "bar", "text", "bar"},
    {"AbsentAttribute", "keys", "~/Tag", "tooltip", nullptr},
    {"AbsentKey", "keys", "nothing", "text", nullptr},
    {"KeyIsNotTrimmed", "keys", "padded", "text", nullptr},
    {"AbsentSection", "parameters", "device_busy", "text", nullptr},
    {"SectionNameIsExact", "Keys", "device_busy", "text", nullptr},
};

class DictionaryLookup : public ::testing::TestWithParam<Lookup> {
 protected:
  void SetUp() override { ASSERT_TRUE(dictionary_.LoadXml(kEnglish)); }
  DTMDictionary dictionary_;
};

TEST_P(DictionaryLookup, GetValueAnswersAStringOrEmpty) {
  const Lookup& c = GetParam();
  const com::Variant value = dictionary_.GetValue(c.section, c.key, c.attribute);
  if (c.expected) {
    EXPECT_EQ(value, com::Variant(std::string(c.expected)));
  } else {
    EXPECT_TRUE(value.IsEmpty());
  }
}

TEST_P(DictionaryLookup, TheSectionNodeAnswersTheSame) {
  const Lookup& c = GetParam();
  const com::Variant value = dictionary_.GetValue(dictionary_.GetNode(c.section), c.key, c.attribute);
  EXPECT_EQ(value, dictionary_.GetValue(c.section, c.key, c.attribute));
}

INSTANTIATE_TEST_SUITE_P(Table, DictionaryLookup, ::testing::ValuesIn(kLookups),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(DictionaryNodes, SectionAndEntryNodes) {
  DTMDictionary dictionary;
  EXPECT_FALSE(dictionary.Document());
  EXPECT_FALSE(dictionary.Root());
  EXPECT_FALSE(dictionary.GetNode("keys"));
  EXPECT_TRUE(dictionary.GetValue("keys", "device_busy", "text").IsEmpty());

  ASSERT_TRUE(dictionary.LoadXml(kEnglish));
  EXPECT_EQ(dictionary.Root().Name(), "dictionary");
  EXPECT_EQ(dictionary.Document().Name(), "#document");
  xml::Node keys = dictionary.GetNode("keys");
  ASSERT_TRUE(keys);
  EXPECT_EQ(dictionary.GetChildNode(keys, "~/Tag").Attribute("text"), "Tag");
  EXPECT_FALSE(dictionary.GetChildNode(keys, "nothing"));
  EXPECT_FALSE(dictionary.GetChildNode(xml::Node(), "~/Tag"));
}

TEST(DictionaryNodes, ASectionNodeFromElsewhereIsSearchedDirectly) {
  DTMDictionary dictionary;
  ASSERT_TRUE(dictionary.LoadXml(kEnglish));
  xml::Document other = xml::Document::Parse(
      R"(<section name="keys"><entry key="~/Tag" text="from elsewhere"/></section>)");
  EXPECT_EQ(dictionary.GetValue(other.DocumentElement(), "~/Tag", "text"),
            com::Variant(std::string("from elsewhere")));
}

struct BadDictionary {
  const char* name;
  const char* text;
};

const BadDictionary kBadDictionaries[] = {
    {"NotXml", "<dictionary language=\"9\">"},
    {"OtherRoot", R"(<lexicon language="9"/>)"},
    {"NoLanguage", R"(<dictionary name="DTMDictionary"/>)"},
    {"LanguageNoNumber", R"(<dictionary language="en"/>)"},
};

class DamagedDictionaryText : public ::testing::TestWithParam<BadDictionary> {};

TEST_P(DamagedDictionaryText, IsRejectedAndThePreviousContentStays) {
  DTMDictionary dictionary;
  ASSERT_TRUE(dictionary.LoadXml(kEnglish));
  EXPECT_FALSE(dictionary.LoadXml(GetParam().text));
  EXPECT_EQ(dictionary.Language(), 9);
  EXPECT_EQ(dictionary.GetValue("keys", "~/Tag", "text"), com::Variant(std::string("Tag")));
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedDictionaryText, ::testing::ValuesIn(kBadDictionaries),
                         [](const auto& i) { return std::string(i.param.name); });

// A data folder of its own, with dictionary files written by each test.
class DictionaryFolder : public ContextFixture {
 protected:
  DictionaryFolder() {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    context_->XMLMan().SetDataFolder(folder_.string());
  }
  ~DictionaryFolder() override { std::filesystem::remove_all(folder_); }

  void Write(const std::string& file, const std::string& text) {
    std::ofstream(folder_ / file) << text;
  }
  void WriteLanguage(const std::string& file, int language, const std::string& busy) {
    Write(file, "<dictionary name=\"D\" language=\"" + std::to_string(language) +
                    "\" default=\"9\"><section name=\"keys\"><entry key=\"device_busy\" text=\"" +
                    busy + "\"/></section></dictionary>");
  }
  void WriteGermanAndEnglish() {
    WriteLanguage("D_007.xml", 7, "Gerät beschäftigt");
    WriteLanguage("D_009.xml", 9, "Device busy");
  }
  std::string Busy() const {
    const com::Variant text = context_->Dictionary().GetValue("keys", "device_busy", "text");
    return text.IsEmpty() ? "<empty>" : text.ToString();
  }

  const std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() /
      ("vd_dictionary_test_" + std::to_string(::getpid()));
};

TEST_F(DictionaryFolder, LoadSelectsTheDefaultLanguage) {
  WriteGermanAndEnglish();
  ASSERT_TRUE(context_->Dictionary().Load(*context_, "D"));
  EXPECT_EQ(context_->Dictionary().Language(), 9);
  EXPECT_EQ(Busy(), "Device busy");
  EXPECT_EQ(context_->Dictionary().Languages(), (std::vector<std::int32_t>{7, 9}));
}

TEST_F(DictionaryFolder, SelectLanguageTakesThePrimaryLanguage) {
  WriteGermanAndEnglish();
  ASSERT_TRUE(context_->Dictionary().Load(*context_, "D"));
  DTMDictionary& dictionary = context_->Dictionary();

  EXPECT_TRUE(dictionary.SelectLanguage(0x0407));  // de-DE
  EXPECT_EQ(dictionary.Language(), 7);
  EXPECT_EQ(Busy(), "Gerät beschäftigt");

  // French is not there: the selection stays...
  EXPECT_FALSE(dictionary.SelectLanguage(0x040C));
  EXPECT_EQ(dictionary.Language(), 7);
  // ...unless the default is asked for, which still answers false.
  EXPECT_FALSE(dictionary.SelectLanguage(0x040C, true));
  EXPECT_EQ(dictionary.Language(), 9);

  EXPECT_TRUE(dictionary.SelectLanguage(0x0C07));  // de-AT
  EXPECT_EQ(dictionary.Language(), 7);
}

TEST_F(DictionaryFolder, NothingSelectedBeforeALoad) {
  EXPECT_EQ(context_->Dictionary().Language(), 0);
  EXPECT_FALSE(context_->Dictionary().SelectLanguage(9, true));
  EXPECT_EQ(context_->Dictionary().Language(), 0);
}

TEST_F(DictionaryFolder, TheDefaultNeedsItsFileElseTheLowestLanguageIsSelected) {
  WriteLanguage("D_007.xml", 7, "Gerät beschäftigt");
  WriteLanguage("D_012.xml", 12, "Appareil occupé");
  ASSERT_TRUE(context_->Dictionary().Load(*context_, "D"));
  EXPECT_EQ(context_->Dictionary().Language(), 7);
}

struct FolderSpelling {
  const char* name;
  std::string (*spell)(const std::filesystem::path&);
};

std::string Replaced(std::string text, char from, char to) {
  for (char& c : text) {
    if (c == from) c = to;
  }
  return text;
}

const FolderSpelling kSpellings[] = {
    {"Plain", [](const std::filesystem::path& p) { return p.string(); }},
    {"TrailingSlash", [](const std::filesystem::path& p) { return p.string() + "/"; }},
    {"Backslashes", [](const std::filesystem::path& p) { return Replaced(p.string(), '/', '\\'); }},
    {"TrailingBackslash",
     [](const std::filesystem::path& p) { return Replaced(p.string(), '/', '\\') + "\\"; }},
};

class DictionaryFolderSpelling : public DictionaryFolder,
                                 public ::testing::WithParamInterface<FolderSpelling> {};

TEST_P(DictionaryFolderSpelling, FindsTheFiles) {
  WriteGermanAndEnglish();
  context_->XMLMan().SetDataFolder(GetParam().spell(folder_));
  ASSERT_TRUE(context_->Dictionary().Load(*context_, "D")) << context_->XMLMan().DataFolder();
  EXPECT_EQ(Busy(), "Device busy");
}

INSTANTIATE_TEST_SUITE_P(Table, DictionaryFolderSpelling, ::testing::ValuesIn(kSpellings),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(DictionaryFolder, OnlyFilesOfThatNameCount) {
  WriteGermanAndEnglish();
  WriteLanguage("Other_012.xml", 12, "other dictionary");
  WriteLanguage("D_0x9.xml", 12, "not a language number");
  Write("D_013.txt", "not xml at all");
  ASSERT_TRUE(context_->Dictionary().Load(*context_, "D"));
  EXPECT_EQ(context_->Dictionary().Languages(), (std::vector<std::int32_t>{7, 9}));
}

TEST_F(DictionaryFolder, FileNamesMatchWithoutRegardToCase) {
  WriteLanguage("d_009.XML", 9, "Device busy");
  ASSERT_TRUE(context_->Dictionary().Load(*context_, "D"));
  EXPECT_EQ(Busy(), "Device busy");
}

TEST_F(DictionaryFolder, ADamagedFileFailsTheLoadAndKeepsThePreviousContent) {
  WriteGermanAndEnglish();
  ASSERT_TRUE(context_->Dictionary().Load(*context_, "D"));
  ASSERT_TRUE(context_->Dictionary().SelectLanguage(7));

  WriteLanguage("D_009.xml", 9, "Changed");
  Write("D_012.xml", "<dictionary language=\"12\"><section name=\"keys\">");
  EXPECT_FALSE(context_->Dictionary().Load(*context_, "D"));
  EXPECT_EQ(context_->Dictionary().Language(), 7);
  EXPECT_EQ(Busy(), "Gerät beschäftigt");
  ASSERT_TRUE(context_->Dictionary().SelectLanguage(9));
  EXPECT_EQ(Busy(), "Device busy");
}

TEST_F(DictionaryFolder, MissingFilesFailTheLoadAndKeepThePreviousContent) {
  WriteGermanAndEnglish();
  ASSERT_TRUE(context_->Dictionary().Load(*context_, "D"));
  EXPECT_FALSE(context_->Dictionary().Load(*context_, "Absent"));
  context_->XMLMan().SetDataFolder((folder_ / "no_such_folder").string());
  EXPECT_FALSE(context_->Dictionary().Load(*context_, "D"));
  EXPECT_EQ(Busy(), "Device busy");
}

TEST_F(DictionaryFolder, TwoFilesForOneLanguageAreDamage) {
  WriteGermanAndEnglish();
  WriteLanguage("D_7.xml", 7, "again");
  EXPECT_FALSE(context_->Dictionary().Load(*context_, "D"));
}

// Contexts whose services share a cache share the tables of unchanged
// files; each keeps its own selection.
TEST_F(DictionaryFolder, UnchangedFilesAreReadOnceAndShared) {
  WriteGermanAndEnglish();
  Services services = services_;
  services.dictionaries = std::make_shared<DictionaryCache>();
  auto first = std::make_shared<DTMContext>(services);
  auto second = std::make_shared<DTMContext>(services);
  first->XMLMan().SetDataFolder(folder_.string());
  second->XMLMan().SetDataFolder(folder_.string() + "/");
  ASSERT_TRUE(first->Dictionary().Load(*first, "D"));
  ASSERT_TRUE(second->Dictionary().Load(*second, "D"));
  EXPECT_EQ(services.dictionaries->Reads(), 1u);
  EXPECT_EQ(first->Dictionary().Tables(), second->Dictionary().Tables());

  ASSERT_TRUE(first->Dictionary().SelectLanguage(7));
  EXPECT_EQ(first->Dictionary().GetValue("keys", "device_busy", "text"),
            com::Variant(std::string("Gerät beschäftigt")));
  EXPECT_EQ(second->Dictionary().GetValue("keys", "device_busy", "text"),
            com::Variant(std::string("Device busy")));

  // A changed file is read again; a context keeps its tables until it loads.
  WriteLanguage("D_009.xml", 9, "Device is busy now");
  ASSERT_TRUE(first->Dictionary().Load(*first, "D"));
  EXPECT_EQ(services.dictionaries->Reads(), 2u);
  EXPECT_NE(first->Dictionary().Tables(), second->Dictionary().Tables());
  EXPECT_EQ(first->Dictionary().GetValue("keys", "device_busy", "text"),
            com::Variant(std::string("Device is busy now")));
  EXPECT_EQ(second->Dictionary().GetValue("keys", "device_busy", "text"),
            com::Variant(std::string("Device busy")));
}

TEST_F(DictionaryFolder, LoadFileReadsOneLanguage) {
  WriteGermanAndEnglish();
  DTMDictionary dictionary;
  ASSERT_TRUE(dictionary.LoadFile(folder_ / "D_007.xml"));
  EXPECT_EQ(dictionary.Languages(), (std::vector<std::int32_t>{7}));
  EXPECT_EQ(dictionary.Language(), 7);
  EXPECT_FALSE(dictionary.LoadFile(folder_ / "absent.xml"));
  EXPECT_EQ(dictionary.Language(), 7);
}

// --- The shipped dictionary ---

class ShippedDictionary : public ContextFixture {
 protected:
  void SetUp() override { LoadShippedDictionary(); }

  // section name -> keys, for the selected language.
  std::map<std::string, std::set<std::string>> Keys() const {
    std::map<std::string, std::set<std::string>> keys;
    for (const xml::Node& section : context_->Dictionary().Root().Children()) {
      auto& entries = keys[section.Attribute("name").value_or("?")];
      for (const xml::Node& entry : section.Children()) {
        EXPECT_TRUE(entries.insert(entry.Attribute("key").value_or("?")).second)
            << "a key twice: " << entry.Xml();
      }
    }
    return keys;
  }
  std::string Text(const std::string& section, const std::string& key) const {
    const com::Variant text = context_->Dictionary().GetValue(section, key, "text");
    return text.IsEmpty() ? "<absent>" : text.ToString();
  }
};

TEST_F(ShippedDictionary, HasGermanAndEnglishWithEnglishAsDefault) {
  EXPECT_EQ(context_->Dictionary().Languages(), (std::vector<std::int32_t>{7, 9}));
  EXPECT_EQ(context_->Dictionary().Language(), 9);
}

TEST_F(ShippedDictionary, BothLanguagesHaveTheSameSectionsAndKeys) {
  ASSERT_TRUE(context_->Dictionary().SelectLanguage(9));
  const auto english = Keys();
  ASSERT_TRUE(context_->Dictionary().SelectLanguage(7));
  const auto german = Keys();
  EXPECT_EQ(german, english);
  for (const char* section : {"keys", "DTMDeviceTypes", "DTMFunctions", "parameters", "units",
                              "DTMruntime"}) {
    EXPECT_TRUE(english.count(section)) << section;
  }
}

TEST_F(ShippedDictionary, EveryEntryHasATextInBothLanguages) {
  for (std::int32_t language : {7, 9}) {
    ASSERT_TRUE(context_->Dictionary().SelectLanguage(language));
    for (const char* section : {"keys", "DTMFunctions", "DTMruntime"}) {
      for (const xml::Node& entry : context_->Dictionary().GetNode(section).Children()) {
        EXPECT_FALSE(entry.Attribute("text").value_or("").empty())
            << language << " " << entry.Xml();
      }
    }
  }
}

struct Phrase {
  const char* key;
  const char* english;
};

const Phrase kMonitorPhrases[] = {
    {"M_UPLOAD_ALL", "Upload all parameters"},
    {"M_UPLOAD_PARA", "Upload parameter"},
    {"M_UPLOAD_DYN", "Upload dynamic parameters"},
    {"M_UPLOAD_STATE", "Upload device state"},
    {"M_DOWNLOAD_ALL", "Download all parameters"},
    {"M_DOWNLOAD_PARA", "Download parameter"},
    {"M_READ_IDB", "Read instance database"},
    {"M_WRITE_IDB", "Write instance database"},
    {"M_START_FNCTN", "Start function"},
    {"M_LANGUAGE", "Language"},
    {"M_EXIT_FNCTN", "Exit function"},
    {"M_ERROR", "Error"},
    {"M_POLL_STATE", "Polling status"},
    {"M_UPLOAD", "Upload "},
    {"M_DOWNLOAD", "Download "},
    {"M_UPLOAD_GROUP", "Upload parametergroup "},
    {"M_UPLOAD_STATUS", "Upload device status"},
    {"M_DOWNLOAD_GROUP", "Download parametergroup "},
    {"M_DB_READ", "DB-read "},
    {"M_DB_WRITE", "DB-write "},
    {"M_FUNCTION_ID", "Function-ID = "},
    {"M_INVOKE_ID", "Invoke-ID = "},
    {"M_LANGUAGE_ID", "Language-ID = "},
    {"M_PRI_LANGUAGE_ID", "Primary language ID = "},
    {"M_SEC_LANGUAGE_ID", "Secondary language ID = "},
    {"M_PARA_VALUE", "Value "},
    {"M_COMMAND", "HART Command:"},
    {"M_SEND", "     Send:   "},
    {"M_STATUS", "     Status: "},
    {"M_RECEIVE", "     Receive:"},
    {"M_CONNECT", "*** Connect ***"},
    {"M_REP_CONNECT", "*** Connect failed - repeat connect ***"},
    {"M_DISCONNECT", "*** Disconnect ***"},
    {"M_LOCK", "*** Lock instance ***"},
    {"M_UNLOCK", "*** Unlock instance ***"},
    {"M_UPLOAD_ERR", "=== Upload error ==="},
    {"M_DOWNLOAD_ERR", "=== Download error ==="},
    {"M_DB_READ_ERR", "=== IDB read error ==="},
    {"M_DB_WRITE_ERR", "=== IDB write error ==="},
};

class MonitorPhrase : public ShippedDictionary, public ::testing::WithParamInterface<Phrase> {};

TEST_P(MonitorPhrase, HasTheExactEnglishText) {
  ASSERT_TRUE(context_->Dictionary().SelectLanguage(9));
  EXPECT_EQ(Text("keys", GetParam().key), GetParam().english);
}

TEST_P(MonitorPhrase, HasAGermanText) {
  ASSERT_TRUE(context_->Dictionary().SelectLanguage(7));
  EXPECT_NE(Text("keys", GetParam().key), "<absent>");
}

INSTANTIATE_TEST_SUITE_P(Table, MonitorPhrase, ::testing::ValuesIn(kMonitorPhrases),
                         [](const auto& i) { return std::string(i.param.key); });

// Characters, not bytes: a German text may hold umlauts.
std::size_t Characters(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

TEST_F(ShippedDictionary, TheMonitorColumnsAreThirteenWideInBothLanguages) {
  for (std::int32_t language : {7, 9}) {
    ASSERT_TRUE(context_->Dictionary().SelectLanguage(language));
    for (const char* key : {"M_SEND", "M_STATUS", "M_RECEIVE"}) {
      const std::string text = Text("keys", key);
      EXPECT_EQ(Characters(text), 13u) << language << " " << key << " '" << text << "'";
      EXPECT_EQ(text.rfind("     ", 0), 0u) << language << " " << key;
    }
  }
}

struct KeyText {
  const char* key;
  const char* german;
  const char* english;
};

const KeyText kMessages[] = {
    {"devtype_not_supported",
     "Der Gerätetyp %1/%2 (Revision %3) wird von diesem DTM nicht unterstützt.",
     "Device type %1/%2 (revision %3) is not supported by this DTM."},
    {"companyURL", "http://www.veldar.example", "http://www.veldar.example"},
};

TEST_F(ShippedDictionary, MessagesInBothLanguages) {
  for (const KeyText& message : kMessages) {
    ASSERT_TRUE(context_->Dictionary().SelectLanguage(7));
    EXPECT_EQ(Text("keys", message.key), message.german);
    ASSERT_TRUE(context_->Dictionary().SelectLanguage(9));
    EXPECT_EQ(Text("keys", message.key), message.english);
  }
  for (const char* key :
       {"devicetype_not_supported", "cannot_start_param_upload", "cannot_start_param_download",
        "cannot_start_incon_param_download", "device_busy_upload", "device_busy_download",
        "device_busy"}) {
    EXPECT_NE(Text("keys", key), "<absent>") << key;
  }
  EXPECT_NE(Text("keys", "device_busy_upload").find("%1"), std::string::npos);
  EXPECT_NE(Text("DTMruntime", "comm_con_aborted"), "<absent>");
}

TEST_F(ShippedDictionary, FunctionsHaveTheirNumbers) {
  const std::pair<const char*, const char*> kFunctions[] = {
      {"ctlIdent", "1"},     {"ctlOfflineParams", "2"},    {"ctlStartUp", "3"},
      {"ctlMeasureDialog", "4"}, {"ctlTrend", "5"},        {"ctlStatus", "6"},
      {"OnlineParameterize", "7"}, {"ctlCalib", "8"},      {"ctlReset", "9"},
      {"ctlSimulation", "10"}, {"ctlMonitor", "11"},       {"ctlOffline", "12"},
      {"ctlPrint", "13"},    {"ctlSearch", "14"},
  };
  // Beside the functions the section keeps texts of its own, without a number.
  std::size_t numbered = 0;
  for (const xml::Node& entry : context_->Dictionary().GetNode("DTMFunctions").Children()) {
    if (entry.Attribute("functionId")) ++numbered;
  }
  EXPECT_EQ(numbered, 14u);
  for (const auto& [name, id] : kFunctions) {
    EXPECT_EQ(context_->Dictionary().GetValue("DTMFunctions", name, "functionId"),
              com::Variant(std::string(id)))
        << name;
  }
  EXPECT_EQ(Text("DTMFunctions", "ctlMonitor"), "Communication monitor");
}

}  // namespace
}  // namespace dtm::runtime
