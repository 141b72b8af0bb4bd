// The language dictionary. One file per language in the data folder,
// "<name>_<NNN>.xml" with NNN the primary language id in three decimal
// digits (DTMDictionary_007.xml German, DTMDictionary_009.xml English):
//
//   <dictionary name="DTMDictionary" language="7" default="9">
//     <section name="keys">
//       <entry key="device_busy" text="..." tooltip="..."/>
//     </section>
//   </dictionary>
//
// Sections and entries are found by their name and key attributes, never
// by element name or a composed XPath: keys hold any characters. The first
// section or entry of a name wins. data/XMLData/README.md has the details.

#include "platform/runtime/dictionary.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <unordered_map>

#include "platform/runtime/context.h"

namespace dtm::runtime {

namespace {

constexpr std::int32_t kPrimaryMask = 0x3FF;

std::optional<std::int32_t> ParseLanguageId(const std::string& text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value <= 0) return std::nullopt;
  return value & kPrimaryMask;
}

// A parsed dictionary document, or nullopt when it is not one.
// `file_language` stands in for a missing language attribute.
std::optional<LanguageTable> ReadLanguage(xml::Document document, std::int32_t file_language) {
  xml::Node root = document.DocumentElement();
  if (!root || root.LocalName() != "dictionary") return std::nullopt;
  LanguageTable language;
  if (auto id = root.Attribute("language")) {
    auto parsed = ParseLanguageId(*id);
    if (!parsed) return std::nullopt;
    language.id = *parsed;
  } else if (file_language > 0) {
    language.id = file_language;
  } else {
    return std::nullopt;
  }
  if (auto id = root.Attribute("default")) {
    language.default_id = ParseLanguageId(*id).value_or(0);
  }
  for (const xml::Node& section : root.Children()) {
    auto name = section.Attribute("name");
    if (!name || language.sections.count(*name)) continue;
    LanguageTable::Section& table = language.sections[*name];
    table.node = section;
    for (const xml::Node& entry : section.Children()) {
      auto key = entry.Attribute("key");
      if (!key || table.index.count(*key)) continue;
      table.index.emplace(*key, table.entries.size());
      table.entries.push_back(LanguageTable::Entry{std::move(*key), entry, entry.Attributes()});
    }
  }
  language.document = std::move(document);
  return language;
}

bool SameText(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The language number of a file "<name>_NNN.xml" (letter case ignored, as
// on the system the data folder comes from), 0 for any other file.
std::int32_t FileLanguage(const std::string& file_name, const std::string& name) {
  const std::string prefix = name + "_";
  const std::string suffix = ".xml";
  if (file_name.size() <= prefix.size() + suffix.size()) return 0;
  if (!SameText(file_name.substr(0, prefix.size()), prefix)) return 0;
  if (!SameText(file_name.substr(file_name.size() - suffix.size()), suffix)) return 0;
  const std::string digits =
      file_name.substr(prefix.size(), file_name.size() - prefix.size() - suffix.size());
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  return ParseLanguageId(digits).value_or(0);
}

// The data folder as the context gives it: either separator, with or
// without a trailing one.
std::filesystem::path FolderPath(std::string folder) {
  std::replace(folder.begin(), folder.end(), '\\', '/');
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder);
}

}  // namespace

const std::string* LanguageTable::Entry::Attribute(std::string_view name) const {
  for (const auto& [attribute, value] : attributes) {
    if (attribute == name) return &value;
  }
  return nullptr;
}

const LanguageTable::Entry* LanguageTable::Section::Find(const std::string& key) const {
  auto it = index.find(key);
  return it == index.end() ? nullptr : &entries[it->second];
}

const LanguageTable::Entry* LanguageTable::Section::Find(const std::string& key,
                                                         std::size_t& next) const {
  if (next < entries.size() && entries[next].key == key) return &entries[next++];
  auto it = index.find(key);
  if (it == index.end()) return nullptr;
  next = it->second + 1;
  return &entries[it->second];
}

const LanguageTable::Section* LanguageTable::FindSection(const std::string& name) const {
  auto it = sections.find(name);
  return it == sections.end() ? nullptr : &it->second;
}

namespace {

// The tables of a complete set of languages, with the default chosen: the
// first language (by id) naming a present one, else the lowest.
std::shared_ptr<const DictionaryTables> MakeTables(std::map<std::int32_t, LanguageTable> loaded) {
  auto tables = std::make_shared<DictionaryTables>();
  tables->languages = std::move(loaded);
  for (const auto& [id, language] : tables->languages) {
    if (language.default_id && tables->languages.count(language.default_id)) {
      tables->default_id = language.default_id;
      break;
    }
  }
  if (!tables->default_id) tables->default_id = tables->languages.begin()->first;
  return tables;
}

}  // namespace

std::shared_ptr<DictionaryCache> ProcessDictionaryCache() {
  static const std::shared_ptr<DictionaryCache> cache = std::make_shared<DictionaryCache>();
  return cache;
}

std::shared_ptr<const DictionaryTables> DictionaryCache::Load(const std::filesystem::path& folder,
                                                              const std::string& name) {
  // The files of the dictionary, by name, with what tells a changed file.
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return nullptr;
  std::vector<Stamp> stamps;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) return nullptr;
    std::string file_name = it->path().filename().string();
    if (!FileLanguage(file_name, name) || !it->is_regular_file(ec)) continue;
    Stamp stamp{std::move(file_name), it->file_size(ec), it->last_write_time(ec)};
    if (ec) return nullptr;
    stamps.push_back(std::move(stamp));
  }
  if (stamps.empty()) return nullptr;
  std::sort(stamps.begin(), stamps.end(),
            [](const Stamp& a, const Stamp& b) { return a.file < b.file; });

  const auto key = std::make_pair(folder.lexically_normal().string(), name);
  if (auto found = cached_.find(key); found != cached_.end() && found->second.stamps == stamps) {
    return found->second.tables;
  }

  ++reads_;
  std::map<std::int32_t, LanguageTable> loaded;
  for (const Stamp& stamp : stamps) {
    xml::Document document;
    if (!document.Load(folder / stamp.file)) return nullptr;
    auto language = ReadLanguage(std::move(document), FileLanguage(stamp.file, name));
    // A damaged file spoils the set.
    if (!language || loaded.count(language->id)) return nullptr;
    const std::int32_t id = language->id;
    loaded.emplace(id, std::move(*language));
  }
  std::shared_ptr<const DictionaryTables> tables = MakeTables(std::move(loaded));
  cached_[key] = Cached{std::move(stamps), tables};
  return tables;
}

DTMDictionary::DTMDictionary() = default;
DTMDictionary::~DTMDictionary() = default;

void DTMDictionary::Replace(std::shared_ptr<const DictionaryTables> tables) {
  tables_ = std::move(tables);
  selected_ = &tables_->languages.at(tables_->default_id);
}

bool DTMDictionary::Load(DTMContext& context, const std::string& name) {
  const std::filesystem::path folder = FolderPath(context.XMLMan().DataFolder());
  std::shared_ptr<DictionaryCache> cache = context.GetServices().dictionaries;
  if (!cache) cache = ProcessDictionaryCache();
  std::shared_ptr<const DictionaryTables> tables = cache->Load(folder, name);
  // A damaged or missing file: the previous dictionary stays.
  if (!tables) return false;
  Replace(std::move(tables));
  return true;
}

bool DTMDictionary::LoadOne(xml::Document document) {
  auto language = ReadLanguage(std::move(document), 0);
  if (!language) return false;
  std::map<std::int32_t, LanguageTable> loaded;
  loaded.emplace(language->id, std::move(*language));
  Replace(MakeTables(std::move(loaded)));
  return true;
}

bool DTMDictionary::LoadFile(const std::filesystem::path& file) {
  xml::Document document;
  return document.Load(file) && LoadOne(std::move(document));
}

bool DTMDictionary::LoadXml(const std::string& text) {
  xml::Document document;
  return document.LoadXml(text) && LoadOne(std::move(document));
}

bool DTMDictionary::SelectLanguage(std::int32_t language_id, bool use_default) {
  if (!tables_) return false;
  auto it = tables_->languages.find(language_id & kPrimaryMask);
  if (it != tables_->languages.end()) {
    selected_ = &it->second;
    return true;
  }
  if (use_default) selected_ = &tables_->languages.at(tables_->default_id);
  return false;
}

std::int32_t DTMDictionary::Language() const { return selected_ ? selected_->id : 0; }

std::vector<std::int32_t> DTMDictionary::Languages() const {
  std::vector<std::int32_t> ids;
  if (!tables_) return ids;
  for (const auto& [id, language] : tables_->languages) ids.push_back(id);
  return ids;
}

const std::shared_ptr<const DictionaryTables>& DTMDictionary::Tables() const { return tables_; }

const LanguageTable* DTMDictionary::Selected() const { return selected_; }

const LanguageTable::Entry* DTMDictionary::FindEntry(const std::string& section,
                                                     const std::string& key) const {
  const LanguageTable::Section* found = selected_ ? selected_->FindSection(section) : nullptr;
  return found ? found->Find(key) : nullptr;
}

xml::Node DTMDictionary::Document() const {
  return selected_ ? selected_->document.AsNode() : xml::Node();
}

xml::Node DTMDictionary::Root() const {
  return selected_ ? selected_->document.DocumentElement() : xml::Node();
}

xml::Node DTMDictionary::GetNode(const std::string& section) const {
  const LanguageTable::Section* found = selected_ ? selected_->FindSection(section) : nullptr;
  return found ? found->node : xml::Node();
}

xml::Node DTMDictionary::GetChildNode(const xml::Node& section, const std::string& key) const {
  if (!section) return xml::Node();
  // A section of the selected language: its index answers.
  if (auto name = section.Attribute("name"); name && selected_) {
    const LanguageTable::Section* found = selected_->FindSection(*name);
    if (found && found->node == section) {
      const LanguageTable::Entry* entry = found->Find(key);
      return entry ? entry->node : xml::Node();
    }
  }
  for (const xml::Node& entry : section.Children()) {
    if (entry.Attribute("key") == key) return entry;
  }
  return xml::Node();
}

com::Variant DTMDictionary::GetValue(const std::string& section, const std::string& key,
                                     const std::string& attribute) const {
  const LanguageTable::Entry* entry = FindEntry(section, key);
  const std::string* value = entry ? entry->Attribute(attribute) : nullptr;
  return value ? com::Variant(*value) : com::Variant();
}

com::Variant DTMDictionary::GetValue(const xml::Node& section, const std::string& key,
                                     const std::string& attribute) const {
  xml::Node entry = GetChildNode(section, key);
  if (!entry) return com::Variant();
  auto value = entry.Attribute(attribute);
  return value ? com::Variant(*value) : com::Variant();
}

}  // namespace dtm::runtime
