#pragma once
// A Variant as subtype and value, for failure messages: two values that
// print alike are equal, so a mismatch always shows where they differ.

#include <cstdio>
#include <string>

#include "platform/com/hex.h"
#include "platform/com/variant.h"

namespace dtm::testing {

inline std::string Show(const com::Variant& value) {
  char number[48];
  switch (value.Type()) {
    case com::VarType::Empty: return "Empty";
    case com::VarType::Null: return "Null";
    case com::VarType::Integer: return "Integer " + std::to_string(value.ToInteger());
    case com::VarType::Long: return "Long " + std::to_string(value.ToLong());
    case com::VarType::Byte: return "Byte " + std::to_string(value.ToByte());
    case com::VarType::Boolean: return value.ToBoolean() ? "Boolean True" : "Boolean False";
    case com::VarType::Single:
      std::snprintf(number, sizeof number, "Single %.9g", static_cast<double>(value.ToSingle()));
      return number;
    case com::VarType::Double:
      std::snprintf(number, sizeof number, "Double %.17g", value.ToDouble());
      return number;
    case com::VarType::Date:
      std::snprintf(number, sizeof number, "Date %.17g", value.ToDate().serial);
      return number;
    case com::VarType::Decimal: return "Decimal " + value.ToDecimal().ToString();
    case com::VarType::String: return "String \"" + value.ToString() + "\"";
    case com::VarType::ByteArray: {
      std::string text = "Bytes";
      if (!value.Bytes().empty()) text += " " + com::HexBytes(value.Bytes(), " ");
      return text;
    }
    default: return "Object";
  }
}

}  // namespace dtm::testing
