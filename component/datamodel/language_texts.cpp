// The element texts of the current language: label, description, help text,
// value list and command error list of every data element, taken from the
// dictionary section "parameters". An element without an entry keeps what it
// has (the German texts of the build, an empty label).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model_helpers.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/dictionary.h"
#include "platform/runtime/parameters.h"
#include "platform/xml/dom.h"

namespace dtm::DataModelHelpers {

namespace {

constexpr char kSource[] = "DataModelHelpers";
constexpr char kActuatorTypePath[] = "SC130Tr1/Par2";
constexpr std::int16_t kRotaryActuator = 1;

// Travel limits, fail-safe position, travel pick-off and maximum travel:
// with a rotary actuator their texts speak of angles, under the key with
// "A" appended.
constexpr std::array<std::string_view, 5> kActuatorDependent = {
    "SC128Tr11/Par2", "SC128Tr11/Par1", "SC130Tr6/Par1", "SC130Tr2/Par1", "SC128Tr14/Par2"};

bool IsActuatorDependent(const std::string& name) {
  for (std::string_view path : kActuatorDependent) {
    if (name == path) return true;
  }
  return false;
}

// A mandatory attribute. An absent one reads as Null, which no text takes:
// the walk stops at this entry.
std::string RequiredText(const xml::Node& entry, const std::string& key, const char* attribute) {
  std::optional<std::string> text = entry.Attribute(attribute);
  if (!text) {
    throw com::ComError(com::vb::kInvalidUseOfNull,
                        "Invalid use of Null: parameter text \"" + key + "\" has no attribute \"" +
                            attribute + "\"",
                        kSource);
  }
  return std::move(*text);
}

// An optional list: absent leaves the field as it is.
void TakeOptionalText(const xml::Node& entry, const char* attribute, std::string& field) {
  if (std::optional<std::string> text = entry.Attribute(attribute)) field = std::move(*text);
}

}  // namespace

void ApplyLanguageTexts(runtime::DTMContext& context) {
  const xml::Node section = context.Dictionary().GetNode("parameters");
  // Sampled once per call, before any text changes. A change of the actuator
  // type applies the texts again at once, through its dependency rule.
  // A type that is no number (set by any route) names no rotary actuator.
  const com::Variant type =
      context.Parameters().Item(kActuatorTypePath)->IPrivateDataElement_TransientValue();
  const bool rotary =
      type.IsNumeric() && com::RoundHalfEven(type.ToDouble(), 0) == kRotaryActuator;

  for (const DataElementPtr& item : context.Parameters().Elements()) {
    const std::string name = item->IPrivateDataElement_Name();
    const std::string key =
        rotary && IsActuatorDependent(name) ? name + "A" : name;
    const xml::Node entry = context.Dictionary().GetChildNode(section, key);
    if (!entry) continue;

    const auto element = std::dynamic_pointer_cast<clsDataElement>(item);
    if (!element) com::ThrowTypeMismatch(kSource);
    element->Prompt = RequiredText(entry, key, "label");
    element->Description = RequiredText(entry, key, "description");
    element->HelpText = RequiredText(entry, key, "help");
    TakeOptionalText(entry, "valueList", element->ValueList);
    TakeOptionalText(entry, "cmdErrList", element->CmdErrList);
  }
}

}  // namespace dtm::DataModelHelpers
