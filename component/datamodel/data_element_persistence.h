#pragma once
// Checking a stored data set against the elements before anything is taken
// from it, so a load either takes a whole set or changes nothing.

#include <optional>
#include <string>

#include "component/datamodel/data_element.h"
#include "platform/com/property_bag.h"

namespace dtm {

struct DataSetEntriesCheck {
  bool present = false;  // the bag holds at least one of the element's entries
  // Why an entry cannot be taken, as "entry UC013/Date: Long 16777216 is no
  // date"; nullopt when every entry present can be (missing ones take their
  // defaults).
  std::optional<std::string> fault;
};

// The element's entries (value, ".Unit", ".Flags") in `bag`, judged as
// ReadFromPropBag would take them: the value's subtype converts to the
// element's type and fits the type's range and length; the unit is a code
// or a known unit text; the flags are a number. Changes nothing; an element
// outside the data set has no entries to judge.
DataSetEntriesCheck CheckDataSetEntries(const clsDataElement& element, com::PropertyBag& bag,
                                        runtime::DTMContext& context);

}  // namespace dtm
