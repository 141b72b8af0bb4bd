#pragma once
// The table of HART engineering-unit codes: code, conversion to the base
// unit (factor, offset), text in the current language and dictionary key.

#include <cstdint>
#include <map>
#include <string>

#include "platform/com/object.h"

namespace dtm::runtime {

class HartUnits : public com::Object {
 public:
  HartUnits();  // holds the standard HART unit codes with their keys

  // Adds or replaces a unit. An empty key keeps the standard one.
  void Add(std::int32_t code, double factor, double offset, const std::string& text,
           const std::string& key);
  bool Has(std::int32_t code) const;
  std::string UnitText(std::int32_t code) const;  // "" for an unknown code
  // The code of a unit text; -1 when none has it.
  std::int32_t UnitCode(const std::string& text) const;
  // value in unit `from` expressed in unit `to` (same quantity); raises
  // ComError when either code is unknown.
  double Convert(double value, std::int32_t from, std::int32_t to) const;
  std::string KeyOf(std::int32_t code) const;  // dictionary key; "" for unknown codes
  void SetText(std::int32_t code, const std::string& text);

 private:
  struct Unit {
    double factor = 1;
    double offset = 0;
    std::string text;
    std::string key;
    std::int32_t quantity = 0;  // units convert only within one quantity
  };
  std::map<std::int32_t, Unit> units_;
};

}  // namespace dtm::runtime
