#pragma once
// The language dictionary: sections ("keys", "parameters", "units",
// "DTMFunctions", "DTMruntime", ...) of entries keyed by name, each entry
// holding attributes ("text", "tooltip", "label", ...) in the selected
// language. Loaded from the data folder (XMLMan.DataFolder); the file layout
// is documented in data/XMLData/README.md.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/com/object.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {

class DTMContext;

// The texts of one language as the file gives them, built when the file is
// read and never changed afterwards: every instance that loads the same
// files shares them. The document stays for the callers that walk nodes;
// it is read-only too.
class LanguageTable {
 public:
  // One entry: its attributes in file order.
  struct Entry {
    std::string key;
    xml::Node node;
    std::vector<std::pair<std::string, std::string>> attributes;
    // The value of `name`; nullptr when the entry has no such attribute.
    const std::string* Attribute(std::string_view name) const;
  };
  struct Section {
    xml::Node node;
    std::vector<Entry> entries;  // in file order, the first of each key
    std::unordered_map<std::string, std::size_t> index;
    const Entry* Find(const std::string& key) const;
    // The same for a walk in about the file's order: the entry at `next`
    // is tried first, and `next` moves on past the entry found.
    const Entry* Find(const std::string& key, std::size_t& next) const;
  };

  std::int32_t id = 0;
  std::int32_t default_id = 0;  // 0 when the file names none
  xml::Document document;
  std::unordered_map<std::string, Section> sections;

  const Section* FindSection(const std::string& name) const;
};

// All languages of one dictionary, immutable once built.
struct DictionaryTables {
  std::map<std::int32_t, LanguageTable> languages;
  std::int32_t default_id = 0;  // the language a load selects first
};

// Dictionaries read from data folders, each parsed once and handed out to
// every instance that loads it. A dictionary is read again only when its
// files changed (another set of files, another size or modification time).
// The process has one (ProcessDictionaryCache(), what the services hand out
// unless told otherwise); a test can give its instances their own.
class DictionaryCache {
 public:
  // The tables of the dictionary `name` in `folder`; nullptr when its files
  // are missing or damaged (nothing is kept of a failed read).
  std::shared_ptr<const DictionaryTables> Load(const std::filesystem::path& folder,
                                               const std::string& name);
  // How many times files were parsed (tests).
  std::size_t Reads() const { return reads_; }

 private:
  struct Stamp {
    std::string file;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
    bool operator==(const Stamp&) const = default;
  };
  struct Cached {
    std::vector<Stamp> stamps;
    std::shared_ptr<const DictionaryTables> tables;
  };
  std::map<std::pair<std::string, std::string>, Cached> cached_;
  std::size_t reads_ = 0;
};

class DTMDictionary : public com::Object {
 public:
  DTMDictionary();
  ~DTMDictionary() override;

  // Reads the dictionary `name` from the context's data folder, through the
  // dictionary cache of the context's services. False (and nothing loaded)
  // when the files are missing or damaged.
  bool Load(DTMContext& context, const std::string& name);
  // Loads from a file or a text directly (tests, tools).
  bool LoadFile(const std::filesystem::path& file);
  bool LoadXml(const std::string& text);

  // Switches to the language of `language_id` (its primary language; a
  // locale id works too). A load selects the dictionary's default language
  // first, so some language is always selected after a successful load.
  // False when the dictionary has no texts for the language: the selection
  // then stays, unless `use_default`, which selects the default language
  // (and still answers false).
  bool SelectLanguage(std::int32_t language_id, bool use_default = false);
  std::int32_t Language() const;  // the selected primary language id, 0 when none
  // The primary language ids the dictionary has texts for, ascending.
  std::vector<std::int32_t> Languages() const;

  // The shared tables of the loaded dictionary, null before a load.
  const std::shared_ptr<const DictionaryTables>& Tables() const;
  // The table of the selected language, null when none is selected.
  const LanguageTable* Selected() const;
  // The entry `key` of a section of the selected language; null when absent.
  const LanguageTable::Entry* FindEntry(const std::string& section, const std::string& key) const;

  // The loaded document, null Node before a load.
  xml::Node Document() const;
  xml::Node Root() const;
  // The section node of the selected language, null when absent.
  xml::Node GetNode(const std::string& section) const;
  // The entry `key` of a section node, null when absent. Keys may hold
  // any characters ("~/Tag", "UC000/ManuId").
  xml::Node GetChildNode(const xml::Node& section, const std::string& key) const;
  // An attribute of an entry; Empty when the section, entry or attribute is absent.
  com::Variant GetValue(const std::string& section, const std::string& key,
                        const std::string& attribute) const;
  com::Variant GetValue(const xml::Node& section, const std::string& key,
                        const std::string& attribute) const;

 private:
  // Replaces the content with the one language `document` holds.
  bool LoadOne(xml::Document document);
  // Takes a complete set of languages and selects its default one.
  void Replace(std::shared_ptr<const DictionaryTables> tables);

  std::shared_ptr<const DictionaryTables> tables_;
  const LanguageTable* selected_ = nullptr;
};

}  // namespace dtm::runtime
