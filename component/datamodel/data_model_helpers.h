#pragma once
// The parameter dictionary built in code, the language texts of its
// elements, and the rules that keep related elements consistent.

#include <cstdint>
#include <string>

#include "component/datamodel/data_element.h"
#include "platform/com/variant.h"

namespace dtm::loop {
class Clock;
}
namespace dtm::runtime {
class DTMContext;
class Parameters;
}  // namespace dtm::runtime

namespace dtm::DataModelHelpers {

// Creates an element with the dictionary's defaults and adds it to the
// collection. `value_type_length` -1 takes the type's default length.
DataElement AddDataElement(runtime::Parameters& collection, const std::string& path,
                           const com::Variant& initial_value, std::int32_t value_type,
                           std::int32_t value_type_length);

// Clears the collection and builds every element of the device, in build
// order. `clock` gives the day for the date that starts as "today".
void CreateDictionary(runtime::Parameters& collection, const loop::Clock& clock);

// NaN and infinite Single or Double values.
bool IsInvalidFloat(const com::Variant& value);

// Label, description, help text and lists of every element from the
// dictionary section "parameters" in the current language.
void ApplyLanguageTexts(runtime::DTMContext& context);

// The rules that make related elements follow `element` after it changed;
// every element a rule changes is announced with `parameters.NotifyChanged`,
// which runs the rules again for it. `depth` is only read: 1 for a change
// from outside the rules, above 1 inside a nested run; the mirrors of the
// tag and polling address and the group rules act at depth 1 only. A
// runtime error (a path the collection does not hold) ends the run and
// reaches the caller; rules already applied stay applied.
void OnElementChanged(const DataElementPtr& element, runtime::Parameters& parameters,
                      runtime::DTMContext& context, std::int32_t& depth);

}  // namespace dtm::DataModelHelpers
