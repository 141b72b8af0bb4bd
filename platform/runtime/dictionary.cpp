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

struct Section {
  xml::Node node;
  std::unordered_map<std::string, xml::Node> entries;
};

struct LanguageTexts {
  std::int32_t id = 0;
  std::int32_t default_id = 0;  // 0 when the file names none
  xml::Document document;
  std::unordered_map<std::string, Section> sections;
};

std::optional<std::int32_t> ParseLanguageId(const std::string& text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value <= 0) return std::nullopt;
  return value & kPrimaryMask;
}

// A parsed dictionary document, or nullopt when it is not one.
// `file_language` stands in for a missing language attribute.
std::optional<LanguageTexts> ReadLanguage(xml::Document document, std::int32_t file_language) {
  xml::Node root = document.DocumentElement();
  if (!root || root.LocalName() != "dictionary") return std::nullopt;
  LanguageTexts language;
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
    Section& entry_index = language.sections[*name];
    entry_index.node = section;
    for (const xml::Node& entry : section.Children()) {
      if (auto key = entry.Attribute("key")) entry_index.entries.emplace(*key, entry);
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

struct DTMDictionary::Impl {
  std::map<std::int32_t, LanguageTexts> languages;
  std::int32_t default_id = 0;
  const LanguageTexts* selected = nullptr;

  // Takes a complete set of languages and selects the default one.
  void Replace(std::map<std::int32_t, LanguageTexts> loaded) {
    languages = std::move(loaded);
    default_id = 0;
    for (const auto& [id, language] : languages) {
      if (language.default_id && languages.count(language.default_id)) {
        default_id = language.default_id;
        break;
      }
    }
    if (!default_id) default_id = languages.begin()->first;
    selected = &languages.at(default_id);
  }

  const Section* FindSection(const std::string& name) const {
    if (!selected) return nullptr;
    auto it = selected->sections.find(name);
    return it == selected->sections.end() ? nullptr : &it->second;
  }
};

DTMDictionary::DTMDictionary() : impl_(std::make_unique<Impl>()) {}
DTMDictionary::~DTMDictionary() = default;

bool DTMDictionary::Load(DTMContext& context, const std::string& name) {
  const std::filesystem::path folder = FolderPath(context.XMLMan().DataFolder());
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return false;

  std::map<std::int32_t, LanguageTexts> loaded;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) return false;
    const std::int32_t file_language = FileLanguage(it->path().filename().string(), name);
    if (!file_language || !it->is_regular_file(ec)) continue;
    xml::Document document;
    if (!document.Load(it->path())) return false;
    auto language = ReadLanguage(std::move(document), file_language);
    // A damaged file spoils the set: the previous dictionary stays.
    if (!language || loaded.count(language->id)) return false;
    const std::int32_t id = language->id;
    loaded.emplace(id, std::move(*language));
  }
  if (loaded.empty()) return false;
  impl_->Replace(std::move(loaded));
  return true;
}

bool DTMDictionary::LoadOne(xml::Document document) {
  auto language = ReadLanguage(std::move(document), 0);
  if (!language) return false;
  std::map<std::int32_t, LanguageTexts> loaded;
  loaded.emplace(language->id, std::move(*language));
  impl_->Replace(std::move(loaded));
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
  auto it = impl_->languages.find(language_id & kPrimaryMask);
  if (it != impl_->languages.end()) {
    impl_->selected = &it->second;
    return true;
  }
  if (use_default && impl_->default_id) impl_->selected = &impl_->languages.at(impl_->default_id);
  return false;
}

std::int32_t DTMDictionary::Language() const {
  return impl_->selected ? impl_->selected->id : 0;
}

std::vector<std::int32_t> DTMDictionary::Languages() const {
  std::vector<std::int32_t> ids;
  for (const auto& [id, language] : impl_->languages) ids.push_back(id);
  return ids;
}

xml::Node DTMDictionary::Document() const {
  return impl_->selected ? impl_->selected->document.AsNode() : xml::Node();
}

xml::Node DTMDictionary::Root() const {
  return impl_->selected ? impl_->selected->document.DocumentElement() : xml::Node();
}

xml::Node DTMDictionary::GetNode(const std::string& section) const {
  const Section* found = impl_->FindSection(section);
  return found ? found->node : xml::Node();
}

xml::Node DTMDictionary::GetChildNode(const xml::Node& section, const std::string& key) const {
  if (!section) return xml::Node();
  // A section of the selected language: its index answers.
  if (auto name = section.Attribute("name")) {
    const Section* found = impl_->FindSection(*name);
    if (found && found->node == section) {
      auto it = found->entries.find(key);
      return it == found->entries.end() ? xml::Node() : it->second;
    }
  }
  for (const xml::Node& entry : section.Children()) {
    if (entry.Attribute("key") == key) return entry;
  }
  return xml::Node();
}

com::Variant DTMDictionary::GetValue(const std::string& section, const std::string& key,
                                     const std::string& attribute) const {
  const Section* found = impl_->FindSection(section);
  if (!found) return com::Variant();
  auto it = found->entries.find(key);
  if (it == found->entries.end()) return com::Variant();
  auto value = it->second.Attribute(attribute);
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
