#pragma once
// The language dictionary: sections ("keys", "parameters", "units",
// "DTMFunctions", "DTMruntime", ...) of entries keyed by name, each entry
// holding attributes ("text", "tooltip", "label", ...) in the selected
// language. Loaded from the data folder (XMLMan.DataFolder); the file layout
// is documented in data/XMLData/README.md.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/object.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {

class DTMContext;

class DTMDictionary : public com::Object {
 public:
  DTMDictionary();
  ~DTMDictionary() override;

  // Reads the dictionary `name` from the context's data folder. False (and
  // nothing loaded) when the files are missing or damaged.
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

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dtm::runtime
