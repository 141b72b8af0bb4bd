#include "component/datamodel/data_model_helpers.h"

#include <chrono>
#include <ctime>
#include <memory>

#include "component/datamodel/data_model.h"
#include "component/datamodel/dictionary_table.h"
#include "platform/com/error.h"
#include "platform/loop/clock.h"
#include "platform/runtime/parameters.h"

namespace dtm::DataModelHelpers {
namespace {

constexpr std::int32_t kDefaultElementMode = 0x2080090;
constexpr std::int16_t kNone = -1;  // absent command or position; in a row, "keep the default"

// Bytes the HART frame gives a value of each type when the row names none.
std::int32_t DefaultLength(std::int32_t value_type) {
  switch (value_type) {
    case kVtUInt8:
    case kVtBoolean:
      return 1;
    case kVtUInt16:
    case kVtInt16:
      return 2;
    case kVtUInt24:
    case kVtInt24:
      return 3;
    case kVtInt32:
    case kVtSingle:
    case kVtEnum:
      return 4;
    case kVtDouble:
    case kVtDate:
    case kVtDate12:
      return 8;
    case kVtDate13:
      return 17;
    case kVtText:
      return 10;
    default:
      return 0;
  }
}

// The build day in the local calendar, as the date element shows it.
std::string TodayText(const loop::Clock& clock) {
  const std::time_t now = std::chrono::system_clock::to_time_t(clock.WallNow());
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) {
    throw com::ComError(com::vb::kInvalidProcedureCall, "The date of today is not available",
                        "DataModelHelpers");
  }
  char text[16] = {};
  std::strftime(text, sizeof text, "%d.%m.%Y", &local);
  return text;
}

com::Variant ToVariant(const DictionaryValue& value, const loop::Clock& clock) {
  switch (value.kind) {
    case DictionaryValue::Kind::kInteger:
      return com::Variant(value.integer);
    case DictionaryValue::Kind::kDouble:
      return com::Variant(value.number);
    case DictionaryValue::Kind::kString:
      return com::Variant(std::string(value.text));
    case DictionaryValue::Kind::kToday:
      return com::Variant(TodayText(clock));
    case DictionaryValue::Kind::kNone:
    case DictionaryValue::Kind::kEmpty:
      break;
  }
  return com::Variant();
}

void SetIfGiven(std::int16_t& field, std::int16_t value) {
  if (value != kNone) field = value;
}

void SetIfGiven(std::string& field, const char* text) {
  if (text != nullptr) field = text;
}

// The row's assignments on top of AddDataElement's defaults; a -1 or a
// missing text keeps the default.
void ApplyRow(clsDataElement& element, const DictionaryRow& row, const loop::Clock& clock) {
  SetIfGiven(element.HARTParamReadCommand, row.read_command);
  SetIfGiven(element.HARTParamWriteCommand, row.write_command);
  SetIfGiven(element.ReadResponsePosition, row.read_response);
  SetIfGiven(element.WriteRequestPosition, row.write_request);
  SetIfGiven(element.WriteResponsePosition, row.write_response);
  SetIfGiven(element.IndexRequestPosition, row.index_request);
  SetIfGiven(element.IndexWritePosition, row.index_write);
  if (row.param_index != kNone) element.nParamIndex = static_cast<std::uint8_t>(row.param_index);
  element.ElementMode = static_cast<std::int32_t>(row.mode);
  if (row.status_flags != kNone) element.SetStatusFlags(row.status_flags);
  if (row.unit != kNone) element.nInitUnit = static_cast<std::uint8_t>(row.unit);
  if (row.range.min.kind != DictionaryValue::Kind::kNone ||
      row.range.max.kind != DictionaryValue::Kind::kNone) {
    element.SetRange(0, ToVariant(row.range.min, clock), ToVariant(row.range.max, clock));
  }
  if (row.other.access_mask != kNone) {
    element.AccessMask = static_cast<std::uint8_t>(row.other.access_mask);
  }
  SetIfGiven(element.ValueFormat, row.other.format);
  if (row.other.invalid) element.SetValidity(false);
  if (row.other.bit_list) element.bBitEncoding = true;
  if (row.other.user_level != kNone) element.RequiredUserLevel = row.other.user_level;
  SetIfGiven(element.SortOrder, row.sort);
  SetIfGiven(element.Description, row.description);
  SetIfGiven(element.ValueList, row.value_list);
  SetIfGiven(element.HelpText, row.help_text);
  SetIfGiven(element.CmdErrList, row.cmd_err_list);
}

}  // namespace

DataElement AddDataElement(runtime::Parameters& collection, const std::string& path,
                           const com::Variant& initial_value, std::int32_t value_type,
                           std::int32_t value_type_length) {
  auto element = std::make_shared<clsDataElement>();
  element->Name = path;
  element->InitialValue = initial_value;
  element->ValueType = value_type;

  const std::int32_t length =
      value_type_length < 0 ? DefaultLength(value_type) : value_type_length;
  // Text elements accept the characters " " to "_" until a row says otherwise.
  if (value_type == kVtText) element->SetRange(0, std::int16_t{32}, std::int16_t{95});
  element->ValueTypeLength = length;
  // A scalar start value of a byte array fills every byte of it.
  if (value_type == kVtBytes && !initial_value.IsEmpty() && !initial_value.IsByteArray() &&
      length >= 1) {
    element->InitialValue =
        com::ByteArray(static_cast<std::size_t>(length), initial_value.ToByte());
  }

  element->ElementMode = kDefaultElementMode;
  element->HARTParamReadCommand = kNone;
  element->HARTParamWriteCommand = kNone;
  element->ReadResponsePosition = kNone;
  element->WriteRequestPosition = kNone;
  element->WriteResponsePosition = kNone;
  element->ReadUnitResponsePosition = kNone;
  element->WriteUnitRequestPosition = kNone;
  element->WriteUnitResponsePosition = kNone;
  element->RequiredUserLevel = 1;
  element->IndexRequestPosition = kNone;
  element->IndexWritePosition = kNone;
  element->bPackedCoding = true;
  element->bBitEncoding = false;
  element->AccessMask = 255;
  element->SetValidity(true);
  element->IgnoreUpdate = false;
  element->SortOrder = 0;
  if (value_type == kVtSingle) element->ValueFormat = "0.0";

  collection.Add(element);
  return element;
}

void CreateDictionary(runtime::Parameters& collection, const loop::Clock& clock) {
  const auto model = std::dynamic_pointer_cast<clsDataModel>(collection.DataModel());
  if (!model || !model->HartUnits()) {
    throw com::ComError(com::vb::kObjectVariableNotSet, "Object variable not set",
                        "DataModelHelpers");
  }
  // The angle degree of the travel ranges converts one to one.
  model->HartUnits()->Add(245, 1.0, 0.0, "°", "");

  collection.Clear();
  for (const DictionaryRow& row : DictionaryRows()) {
    const DataElement element = AddDataElement(collection, row.path, ToVariant(row.initial, clock),
                                               row.value_type, row.length);
    ApplyRow(*element, row, clock);
  }
}

bool IsInvalidFloat(const com::Variant& value) { return dtm::IsInvalidFloat(value); }

}  // namespace dtm::DataModelHelpers
