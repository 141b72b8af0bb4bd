// The element texts of the current language: label, description, help text,
// value list and command error list of every data element, taken from the
// dictionary section "parameters". An element without an entry keeps what it
// has (the German texts of the build, an empty label).

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model_helpers.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/dictionary.h"
#include "platform/runtime/parameters.h"

namespace dtm::DataModelHelpers {

namespace {

constexpr char kSource[] = "DataModelHelpers";
constexpr char kActuatorTypePath[] = "SC130Tr1/Par2";
constexpr std::int16_t kRotaryActuator = 1;

// Travel limits, fail-safe position, travel pick-off and maximum travel:
// with a rotary actuator their texts speak of angles, under the key with
// "A" appended.
struct ActuatorDependent {
  std::string_view path;
  std::string rotary_key;
};
const std::array<ActuatorDependent, 5>& ActuatorDependentKeys() {
  static const std::array<ActuatorDependent, 5> keys = {{{"SC128Tr11/Par2", "SC128Tr11/Par2A"},
                                                         {"SC128Tr11/Par1", "SC128Tr11/Par1A"},
                                                         {"SC130Tr6/Par1", "SC130Tr6/Par1A"},
                                                         {"SC130Tr2/Par1", "SC130Tr2/Par1A"},
                                                         {"SC128Tr14/Par2", "SC128Tr14/Par2A"}}};
  return keys;
}

// The key of an element's entry: its name, or the rotary actuator's key.
const std::string& KeyOf(const std::string& name, bool rotary) {
  if (rotary) {
    for (const ActuatorDependent& dependent : ActuatorDependentKeys()) {
      if (name == dependent.path) return dependent.rotary_key;
    }
  }
  return name;
}

// A mandatory attribute. An absent one reads as Null, which no text takes:
// the walk stops at this entry.
const std::string& RequiredText(const runtime::LanguageTable::Entry& entry,
                                const std::string& key, const char* attribute) {
  const std::string* text = entry.Attribute(attribute);
  if (!text) {
    throw com::ComError(com::vb::kInvalidUseOfNull,
                        "Invalid use of Null: parameter text \"" + key + "\" has no attribute \"" +
                            attribute + "\"",
                        kSource);
  }
  return *text;
}

// An optional list: absent leaves the field as it is.
void TakeOptionalText(const runtime::LanguageTable::Entry& entry, const char* attribute,
                      std::string& field) {
  if (const std::string* text = entry.Attribute(attribute)) field = *text;
}

}  // namespace

void ApplyLanguageTexts(runtime::DTMContext& context) {
  // Sampled once per call, before any text changes. A change of the actuator
  // type applies the texts again at once, through its dependency rule.
  // A type that is no number (set by any route) names no rotary actuator.
  const com::Variant type =
      context.Parameters().Item(kActuatorTypePath)->IPrivateDataElement_TransientValue();
  const bool rotary =
      type.IsNumeric() && com::RoundHalfEven(type.ToDouble(), 0) == kRotaryActuator;
  const runtime::LanguageTable* language = context.Dictionary().Selected();
  const runtime::LanguageTable::Section* section =
      language ? language->FindSection("parameters") : nullptr;
  if (!section) return;

  // The elements come in about the order of the file's entries.
  std::size_t next = 0;
  for (const DataElementPtr& item : context.Parameters().Elements()) {
    // The collection holds our own elements; a cast that cannot fail is cheap.
    IPrivateDataElement* const held = item.get();
    clsDataElement* element = typeid(*held) == typeid(clsDataElement)
                                  ? static_cast<clsDataElement*>(held)
                                  : dynamic_cast<clsDataElement*>(held);
    if (!element) {
      // Only an element the texts are meant for must be one of ours.
      if (section->Find(KeyOf(item->IPrivateDataElement_Name(), rotary))) {
        com::ThrowTypeMismatch(kSource);
      }
      continue;
    }
    const std::string& key = KeyOf(element->Name, rotary);
    const runtime::LanguageTable::Entry* entry = section->Find(key, next);
    if (!entry) continue;

    element->Prompt = RequiredText(*entry, key, "label");
    element->Description = RequiredText(*entry, key, "description");
    element->HelpText = RequiredText(*entry, key, "help");
    TakeOptionalText(*entry, "valueList", element->ValueList);
    TakeOptionalText(*entry, "cmdErrList", element->CmdErrList);
  }
}

}  // namespace dtm::DataModelHelpers
