#include "host/cli/params_command.h"

#include <cstdio>
#include <vector>

#include "component/datamodel/data_element.h"
#include "host/cli/text_table.h"
#include "platform/com/error.h"
#include "platform/com/hex.h"
#include "platform/runtime/context.h"

namespace dtm::host {
namespace {

std::string Hex(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<std::uint32_t>(value));
  return text;
}

// A value as text; values that have no text form show their kind.
std::string Text(const com::Variant& value) {
  if (value.IsEmpty()) return "";
  if (value.IsByteArray()) {
    return com::HexBytes(value.Bytes());
  }
  try {
    return value.ToString();
  } catch (const com::ComError&) {
    return "?";
  }
}

std::string Range(const clsDataElement& element) {
  std::string out;
  for (std::int32_t i = 0;; ++i) {
    com::Variant min_value, max_value;
    if (!element.GetRange(i, min_value, max_value)) break;
    if (!out.empty()) out += " ";
    out += Text(min_value) + ".." + Text(max_value);
  }
  return out;
}

}  // namespace

void WriteParams(runtime::DTMContext& context, ParamsFormat format, std::ostream& out) {
  const std::vector<std::string> header = {"path",   "type",  "length", "read",  "write",
                                           "mode",   "flags", "label",  "unit",  "range",
                                           "value",  "description"};
  std::vector<std::vector<std::string>> rows = {header};
  for (const DataElementPtr& item : context.Parameters().Elements()) {
    const auto element = std::dynamic_pointer_cast<clsDataElement>(item);
    if (!element) continue;
    rows.push_back({element->Name, std::to_string(element->ValueType),
                    std::to_string(element->ValueTypeLength),
                    std::to_string(element->HARTParamReadCommand),
                    std::to_string(element->HARTParamWriteCommand), Hex(element->ElementMode),
                    Hex(element->StatusFlags()), CleanCell(element->Prompt),
                    CleanCell(element->UnitString(context)), Range(*element),
                    CleanCell(Text(element->TransientValue)), CleanCell(element->Description)});
  }

  // The description, the longest column, stays unpadded at the end.
  WriteCells(rows, format == ParamsFormat::kTsv, out);
}

}  // namespace dtm::host
