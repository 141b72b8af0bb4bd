#pragma once
// The device's parameter dictionary as data: one row per element, in build
// order. CreateDictionary turns each row into an element; nothing else is
// meant to read the rows (the elements in the collection are the truth).

#include <cstdint>
#include <span>

namespace dtm {

// A literal of the table, typed as the element will hold it: an Integer
// (16-bit), a Double, a String, Empty, or the build day's date as text.
struct DictionaryValue {
  enum class Kind : std::uint8_t { kNone, kEmpty, kInteger, kDouble, kString, kToday };
  Kind kind = Kind::kNone;
  std::int16_t integer = 0;
  double number = 0;
  const char* text = nullptr;
};

// Range 0 of a row. Both ends kNone: no assignment (text elements keep the
// range they receive at creation); both kEmpty: the range is cleared.
struct DictionaryRange {
  DictionaryValue min;
  DictionaryValue max;
};

// The assorted settings of a row; each member left as it is keeps the
// element's default.
struct DictionaryOther {
  std::int16_t access_mask = -1;   // -1 keeps 255 (whole byte)
  const char* format = nullptr;    // ValueFormat
  bool invalid = false;            // starts with Validity False
  bool bit_list = false;           // ValueList keys are bit numbers
  std::int32_t user_level = -1;    // RequiredUserLevel; -1 keeps 1
};

// Numeric columns hold -1 where the element keeps its default. Texts are
// the German defaults; nullptr leaves the text unset.
struct DictionaryRow {
  std::int16_t number;            // place in the build order, 1-based
  const char* path;               // Name
  std::int32_t value_type;        // ValueType
  std::int32_t length;            // passed to AddDataElement; -1 = the type's default
  DictionaryValue initial;        // InitialValue
  std::int16_t read_command;      // HARTParamReadCommand
  std::int16_t write_command;     // HARTParamWriteCommand
  std::int16_t read_response;     // ReadResponsePosition
  std::int16_t write_request;     // WriteRequestPosition
  std::int16_t write_response;    // WriteResponsePosition
  std::int16_t index_request;     // IndexRequestPosition
  std::int16_t index_write;       // IndexWritePosition
  std::int16_t param_index;       // nParamIndex
  std::uint32_t mode;             // ElementMode, always set
  std::int32_t status_flags;      // StatusFlags
  std::int16_t unit;              // nInitUnit
  DictionaryRange range;          // SetRange index 0
  DictionaryOther other;
  std::int16_t sort;              // SortOrder
  const char* description;
  const char* value_list;
  const char* help_text;
  const char* cmd_err_list;
};

// All 195 rows in build order.
std::span<const DictionaryRow> DictionaryRows();

}  // namespace dtm
