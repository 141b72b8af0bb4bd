#include "component/datamodel/monitor_sink.h"

#include "component/common/conv_str.h"
#include "platform/com/error.h"
#include "platform/com/format.h"
#include "platform/runtime/context.h"

namespace dtm {

std::shared_ptr<MonitorSink> MonitorSink::Find(runtime::DTMContext& context) {
  const com::ObjectPtr dtm = context.DTM();
  if (!dtm) return nullptr;
  const std::string id = dtm->GetProperty("MonitorInvokeID").ToString();
  return std::dynamic_pointer_cast<MonitorSink>(context.GUIMan().GetGUIObject(id));
}

std::string MonitorSink::ValueText(const com::Variant& value, const std::string& format) {
  switch (value.Type()) {
    case com::VarType::Empty: return {};
    case com::VarType::Null: return "Null";
    case com::VarType::ByteArray: return ConvStr::BytesToHex(value);
    case com::VarType::Object: return "Object";
    case com::VarType::Single:
    case com::VarType::Double:
    case com::VarType::Date:
      if (const std::optional<std::string> word = com::NonFiniteWord(value)) return *word;
      break;
    default: break;
  }
  // A line of the protocol must not cost the work it records.
  try {
    return format.empty() ? value.ToString() : com::Format(value, format);
  } catch (const com::ComError&) {
  }
  try {
    return value.ToString();
  } catch (const com::ComError&) {
  }
  try {
    return com::InvariantNumberText(value);  // a date beyond the calendar: its serial
  } catch (const com::ComError&) {
  }
  return {};
}

}  // namespace dtm
