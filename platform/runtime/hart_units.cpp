#include "platform/runtime/hart_units.h"

#include <cstdio>

#include "platform/com/error.h"

namespace dtm::runtime {

namespace {

// Quantities; a unit of quantity kNone converts only to itself.
enum Quantity : std::int32_t {
  kNone = 0,
  kPressure,     // base kPa
  kTemperature,  // base °C
  kLength,       // base mm
  kTime,         // base s
  kVoltage,      // base V
};

struct StandardUnit {
  std::int32_t code;
  const char* text;
  Quantity quantity;
  double factor;  // base = value * factor + offset
  double offset;
};

// The HART common-table codes the device and its host side show, plus 245,
// the device's own code for degrees of angle (valve travel).
constexpr StandardUnit kStandardUnits[] = {
    {1, "inH2O", kPressure, 0.2486408, 0},  // at 68 °F
    {2, "inHg", kPressure, 3.386389, 0},    // at 0 °C
    {3, "ftH2O", kPressure, 2.9836896, 0},  // at 68 °F
    {4, "mmH2O", kPressure, 0.009789008, 0},
    {5, "mmHg", kPressure, 0.1333224, 0},
    {6, "psi", kPressure, 6.894757293168361, 0},
    {7, "bar", kPressure, 100, 0},
    {8, "mbar", kPressure, 0.1, 0},
    {9, "g/cm²", kPressure, 0.0980665, 0},
    {10, "kg/cm²", kPressure, 98.0665, 0},
    {11, "Pa", kPressure, 0.001, 0},
    {12, "kPa", kPressure, 1, 0},
    {13, "torr", kPressure, 101.325 / 760, 0},
    {14, "atm", kPressure, 101.325, 0},
    {32, "°C", kTemperature, 1, 0},
    {33, "°F", kTemperature, 5.0 / 9.0, -160.0 / 9.0},
    {34, "°R", kTemperature, 5.0 / 9.0, -273.15},
    {35, "K", kTemperature, 1, -273.15},
    {36, "mV", kVoltage, 0.001, 0},
    {37, "Ohm", kNone, 1, 0},
    {38, "Hz", kNone, 1, 0},
    {39, "mA", kNone, 1, 0},
    {44, "ft", kLength, 304.8, 0},
    {45, "m", kLength, 1000, 0},
    {47, "in", kLength, 25.4, 0},
    {48, "cm", kLength, 10, 0},
    {49, "mm", kLength, 1, 0},
    {50, "min", kTime, 60, 0},
    {51, "s", kTime, 1, 0},
    {52, "h", kTime, 3600, 0},
    {53, "d", kTime, 86400, 0},
    {57, "%", kNone, 1, 0},
    {58, "V", kVoltage, 1, 0},
    {245, "°", kNone, 1, 0},
    {250, "Not used", kNone, 1, 0},
    {251, "None", kNone, 1, 0},
    {252, "Unknown", kNone, 1, 0},
    {253, "Special", kNone, 1, 0},
};

// "U" and the code in three digits: the unit's entry in the dictionary
// section "units".
std::string StandardKey(std::int32_t code) {
  char key[16];
  std::snprintf(key, sizeof key, "U%03d", static_cast<int>(code));
  return key;
}

[[noreturn]] void ThrowUnknownUnit(std::int32_t code) {
  throw com::ComError(com::vb::kInvalidProcedureCall, "Unknown unit code: " + std::to_string(code),
                      "HartUnits");
}

}  // namespace

HartUnits::HartUnits() {
  for (const StandardUnit& unit : kStandardUnits) {
    units_[unit.code] =
        Unit{unit.factor, unit.offset, unit.text, StandardKey(unit.code), unit.quantity};
  }
}

void HartUnits::Add(std::int32_t code, double factor, double offset, const std::string& text,
                    const std::string& key) {
  auto [it, added] = units_.try_emplace(code);
  Unit& unit = it->second;
  unit.factor = factor;
  unit.offset = offset;
  unit.text = text;
  if (!key.empty()) {
    unit.key = key;
  } else if (added) {
    unit.key = StandardKey(code);
  }
  // A replaced unit keeps its quantity; a new one converts only to itself.
}

bool HartUnits::Has(std::int32_t code) const { return units_.count(code) != 0; }

std::string HartUnits::UnitText(std::int32_t code) const {
  const auto it = units_.find(code);
  return it == units_.end() ? std::string() : it->second.text;
}

std::int32_t HartUnits::UnitCode(const std::string& text) const {
  for (const auto& [code, unit] : units_) {
    if (unit.text == text) return code;
  }
  return -1;
}

double HartUnits::Convert(double value, std::int32_t from, std::int32_t to) const {
  const auto source = units_.find(from);
  if (source == units_.end()) ThrowUnknownUnit(from);
  const auto target = units_.find(to);
  if (target == units_.end()) ThrowUnknownUnit(to);
  if (from == to) return value;
  const Unit& a = source->second;
  const Unit& b = target->second;
  if (a.quantity == kNone || a.quantity != b.quantity) {
    throw com::ComError(com::vb::kInvalidProcedureCall,
                        "Units " + std::to_string(from) + " and " + std::to_string(to) +
                            " measure different quantities",
                        "HartUnits");
  }
  const double base = value * a.factor + a.offset;
  return (base - b.offset) / b.factor;
}

std::string HartUnits::KeyOf(std::int32_t code) const {
  const auto it = units_.find(code);
  return it == units_.end() ? std::string() : it->second.key;
}

void HartUnits::SetText(std::int32_t code, const std::string& text) {
  // Texts come from the dictionary, which may name codes this table does
  // not hold; those are of no use and are dropped.
  const auto it = units_.find(code);
  if (it != units_.end()) it->second.text = text;
}

}  // namespace dtm::runtime
