// The element in the instance data set (the frame's property bag), in the
// DTM variable nodes of the FDT parameter document and in the variable
// nodes of the documentation document.

#include "component/datamodel/data_element_persistence.h"

#include <cctype>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <string>

#include "component/common/conv_str.h"
#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "platform/com/error.h"
#include "platform/com/format.h"
#include "platform/runtime/context.h"
#include "platform/xml/dom.h"

namespace dtm {

namespace {

constexpr const char* kDefaultDocFormat = "0.0##";

std::shared_ptr<runtime::HartUnits> UnitTable(runtime::DTMContext& context) {
  const auto model = std::dynamic_pointer_cast<clsDataModel>(context.Parameters().DataModel());
  return model ? model->HartUnits() : nullptr;
}

// A value as an attribute can carry it: a byte array as its hex text (which
// reads back through GetTypedValue), Null as no text.
com::Variant AttributeValue(const com::Variant& value) {
  if (value.IsNull()) return com::Variant("");
  if (value.IsByteArray()) return com::Variant(ConvStr::BytesToHex(value));
  return value;
}

std::string StatusText(bool valid) { return valid ? "ok" : "invalid"; }

// "N<id>" or "N<id>.<copy>": the id and, when present, the copy count.
// False for a text of any other form.
bool ParseNodeId(const std::string& text, std::int32_t& id, std::optional<std::int32_t>& copy) {
  if (text.size() < 2) return false;
  const std::string rest = text.substr(1);
  const std::size_t dot = rest.find('.');
  try {
    id = com::Variant(rest.substr(0, dot)).ToLong();
    copy.reset();
    if (dot != std::string::npos) copy = com::Variant(rest.substr(dot + 1)).ToLong();
  } catch (const com::ComError&) {
    return false;
  }
  return true;
}

bool InDataSet(std::int32_t element_mode) { return (element_mode & mode::kStored) != 0; }

// A default no stored entry can equal tells a missing entry from a stored
// Empty, in a bag that answers the default rather than an error.
std::optional<com::Variant> ReadEntry(com::PropertyBag& bag, const std::string& key) {
  const com::ObjectPtr missing = std::make_shared<com::Object>();
  com::Variant value = bag.ReadProperty(key, com::Variant(missing));
  if (value.IsObject() && value.ToObject() == missing) return std::nullopt;
  return value;
}

// ---- Judging stored entries ----

const char* SubtypeName(const com::Variant& value) {
  switch (value.Type()) {
    case com::VarType::Empty: return "Empty";
    case com::VarType::Null: return "Null";
    case com::VarType::Integer: return "Integer";
    case com::VarType::Long: return "Long";
    case com::VarType::Single: return "Single";
    case com::VarType::Double: return "Double";
    case com::VarType::Date: return "Date";
    case com::VarType::String: return "String";
    case com::VarType::Object: return "Object";
    case com::VarType::Boolean: return "Boolean";
    case com::VarType::Decimal: return "Decimal";
    case com::VarType::Byte: return "Byte";
    case com::VarType::ByteArray: return "Byte array";
  }
  return "Variant";
}

// The value as a message shows it: subtype and value, a long text cut.
std::string Shown(const com::Variant& value) {
  constexpr std::size_t kMaxShown = 40;
  std::string text;
  try {
    if (value.IsByteArray()) {
      text = ConvStr::BytesToHex(value);
    } else if (value.IsString()) {
      text = value.ToString();
      if (text.size() > kMaxShown) text = text.substr(0, kMaxShown) + "...";
      text = "\"" + text + "\"";
    } else if (value.IsNumeric() && !value.IsEmpty()) {
      text = com::InvariantNumberText(value);
    } else if (!value.IsObject() && !value.IsNull() && !value.IsEmpty()) {
      text = value.ToString();
    }
  } catch (const com::ComError&) {
    text.clear();
  }
  if (text.size() > kMaxShown + 2) text = text.substr(0, kMaxShown) + "...";
  return text.empty() ? SubtypeName(value) : std::string(SubtypeName(value)) + " " + text;
}

struct WholeRange {
  double low;
  double high;
};

std::optional<WholeRange> WholeNumberRange(std::int32_t value_type) {
  switch (value_type) {
    case kVtUInt8: return WholeRange{0, 255};
    case kVtUInt16: return WholeRange{0, 65535};
    case kVtUInt24: return WholeRange{0, 16777215};
    case kVtInt16: return WholeRange{-32768, 32767};
    case kVtInt24: return WholeRange{-8388608, 8388607};
    case kVtInt32: return WholeRange{-2147483648.0, 2147483647.0};
    case kVtEnum: return WholeRange{0, 4294967295.0};
    default: return std::nullopt;
  }
}

std::string WholeText(double number) { return std::to_string(static_cast<long long>(number)); }

// A number of the value's own, not one read from a text or a date.
bool IsNumberSubtype(const com::Variant& value) {
  switch (value.Type()) {
    case com::VarType::Integer:
    case com::VarType::Long:
    case com::VarType::Single:
    case com::VarType::Double:
    case com::VarType::Decimal:
    case com::VarType::Byte:
    case com::VarType::Boolean: return true;
    default: return false;
  }
}

std::optional<double> NumberOf(const com::Variant& value) {
  if (!IsNumberSubtype(value) && !value.IsString()) return std::nullopt;
  try {
    return value.ToDouble();
  } catch (const com::ComError&) {
    return std::nullopt;
  }
}

std::size_t CodePoints(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// What is wrong with `value` as the element's stored value, or nullopt.
// `marked`: the stored flags carry an input-error mark, as the DTM saves a
// value it keeps rather than cuts (a tag longer than the device holds).
std::optional<std::string> ValueFault(const clsDataElement& element, const com::Variant& value,
                                      bool marked) {
  if (value.IsEmpty() || value.IsNull()) return std::nullopt;
  if (value.IsObject()) return " is no value";
  const std::int32_t type = element.ValueType;
  // Read back as Empty.
  if (type != kVtText && value.IsString() && value.ToString().empty()) return std::nullopt;
  const std::int32_t length = element.ValueTypeLength;

  if (type == kVtNone) return std::nullopt;
  if (type == kVtBytes) {
    std::size_t size = 0;
    if (value.IsByteArray()) {
      size = value.Bytes().size();
    } else {
      const std::string text = value.IsString() ? value.ToString() : std::string();
      bool hex = value.IsString() && text.size() % 2 == 0;
      for (const char c : text) hex = hex && std::isxdigit(static_cast<unsigned char>(c)) != 0;
      if (!hex) return " is no bytes as hex text";
      size = text.size() / 2;
    }
    if (length > 0 && size > static_cast<std::size_t>(length)) {
      return " has " + std::to_string(size) + " bytes, more than the " + std::to_string(length) +
             " of the element";
    }
    return std::nullopt;
  }
  if (const std::optional<WholeRange> range = WholeNumberRange(type)) {
    const std::optional<double> number = NumberOf(value);
    // Whole-number conversions round half to even, as the reader's do.
    const double whole = number ? std::nearbyint(*number) : 0;
    if (!number || !(whole >= range->low && whole <= range->high)) {
      return " is no whole number from " + WholeText(range->low) + " to " +
             WholeText(range->high);
    }
    return std::nullopt;
  }
  if (type == kVtSingle || type == kVtDouble) {
    const std::optional<double> number = NumberOf(value);
    const double limit = type == kVtSingle ? std::numeric_limits<float>::max()
                                           : std::numeric_limits<double>::max();
    // Not-a-number and infinities are what a device may have sent.
    const bool fits = number && (!std::isfinite(*number) ? !value.IsString()
                                                         : std::fabs(*number) <= limit);
    if (!fits) return type == kVtSingle ? " is no Single number" : " is no Double number";
    return std::nullopt;
  }
  if (type == kVtDecimal) {
    try {
      if (IsNumberSubtype(value) || value.IsString()) {
        (void)value.ToDecimal();
        return std::nullopt;
      }
    } catch (const com::ComError&) {
    }
    return " is no decimal number";
  }
  if (type == kVtBoolean) {
    try {
      if (IsNumberSubtype(value) || value.IsString()) {
        (void)value.ToBoolean();
        return std::nullopt;
      }
    } catch (const com::ComError&) {
    }
    return " is no Boolean";
  }
  if (type == kVtDate || type == kVtDate12 || type == kVtDate13) {
    if (value.IsByteArray() || element.GetTypedValue(value).IsNull()) return " is no date";
    return std::nullopt;
  }
  if (type == kVtText) {
    if (value.IsByteArray()) return " is no text";
    std::string text;
    try {
      text = value.ToString();
    } catch (const com::ComError&) {
      return " is no text";
    }
    const std::size_t characters = CodePoints(text);
    if (length > 0 && characters > static_cast<std::size_t>(length) && !marked) {
      return " has " + std::to_string(characters) + " characters, more than the " +
             std::to_string(length) + " of the element";
    }
    return std::nullopt;
  }
  return element.GetTypedValue(value).IsNull() ? std::optional<std::string>(" does not convert")
                                              : std::nullopt;
}

// What the reader cannot take: a code beyond a byte, a unit text the
// table does not know. Any other subtype stands for the element's own unit.
std::optional<std::string> UnitFault(const com::Variant& unit, runtime::DTMContext& context) {
  if (unit.Type() == com::VarType::Integer) {
    if (unit.ToInteger() >= 0 && unit.ToInteger() <= 255) return std::nullopt;
    return " is no unit code";
  }
  if (unit.IsString() && !unit.ToString().empty()) {
    const auto units = UnitTable(context);
    const std::int32_t code = units ? units->UnitCode(unit.ToString()) : -1;
    if (code < 0 || code > 255) return " is no known unit";
  }
  return std::nullopt;
}

std::optional<std::string> FlagsFault(const com::Variant& stored) {
  try {
    (void)stored.ToLong();
    return std::nullopt;
  } catch (const com::ComError&) {
    return " is no flag word";
  }
}

}  // namespace

DataSetEntriesCheck CheckDataSetEntries(const clsDataElement& element, com::PropertyBag& bag,
                                        runtime::DTMContext& context) {
  DataSetEntriesCheck check;
  if (!InDataSet(element.ElementMode)) return check;
  struct Judged {
    std::string key;
    std::function<std::optional<std::string>(const com::Variant&)> fault;
  };
  bool marked = false;
  try {
    if (const std::optional<com::Variant> stored = ReadEntry(bag, element.Name + ".Flags")) {
      marked = !FlagsFault(*stored) && (stored->ToLong() & flags::kInputErrorMask) != 0;
    }
  } catch (const com::ComError&) {
    marked = false;  // judged below, with its own fault
  }
  const Judged judged[] = {
      {element.Name, [&](const com::Variant& v) { return ValueFault(element, v, marked); }},
      {element.Name + ".Unit", [&](const com::Variant& v) { return UnitFault(v, context); }},
      {element.Name + ".Flags", [](const com::Variant& v) { return FlagsFault(v); }},
  };
  for (const Judged& entry : judged) {
    std::optional<com::Variant> value;
    try {
      value = ReadEntry(bag, entry.key);
    } catch (const com::ComError& error) {
      check.fault = "entry " + entry.key + " cannot be read: " + error.Description();
      return check;
    }
    if (!value) continue;
    check.present = true;
    if (const std::optional<std::string> fault = entry.fault(*value)) {
      check.fault = "entry " + entry.key + ": " + Shown(*value) + *fault;
      return check;
    }
  }
  return check;
}

// ---- Instance data set ----------------------------------------------------------

namespace {

// The input-error mark a loaded value carries: a not-a-number or an
// infinity is never a value to send, whatever the file says; a value saved
// with a mark is judged again by the element, so the mark it gets back is
// the one its value deserves (none for a value that fits after all).
std::int32_t LoadedInputError(const clsDataElement& element, const com::Variant& value,
                              std::int32_t stored_flags, runtime::DTMContext& context) {
  if ((element.ValueType == kVtSingle || element.ValueType == kVtDouble) &&
      IsInvalidFloat(value)) {
    return std::isnan(value.ToDouble()) ? flags::kNotNumeric : flags::kOutOfRange;
  }
  if ((stored_flags & flags::kInputErrorMask) == 0 || value.IsEmpty()) return 0;
  try {
    return element.CalcParamErrorFlags(context, value) & flags::kInputErrorMask;
  } catch (const com::ComError&) {
    return 0;  // a value the element cannot judge is not marked on its word
  }
}

}  // namespace

// Only the data set's elements take part: the others read as if the bag
// held nothing of them (their initial state), whatever it says.
bool clsDataElement::IPrivateDataElement_ReadFromPropBag(com::PropertyBag& stored_bag,
                                                         runtime::DTMContext& context) {
  com::MemoryPropertyBag nothing;
  com::PropertyBag& bag = InDataSet(ElementMode) ? stored_bag : nothing;
  // A default no stored entry can equal tells a missing entry from a
  // stored Empty, in a bag that answers the default rather than an error.
  const com::ObjectPtr missing = std::make_shared<com::Object>();
  bool taken = false;
  com::Variant value;
  try {
    value = bag.ReadProperty(Name, com::Variant(missing));
    if (!(value.IsObject() && value.ToObject() == missing)) {
      if (ValueType == kVtBytes && !value.IsByteArray()) {
        value = ConvStr::HexToBytes(value.ToString());
      }
      taken = true;
    }
  } catch (const com::ComError&) {
    taken = false;  // unreadable or damaged: the dictionary's default
  }
  if (!taken) {
    TransientValue = InitialValue;
  } else {
    if (ValueType != kVtText && value.IsString() && value.ToString().empty()) {
      value = com::Variant();
    }
    TransientValue = value;
    PersistentValue = TransientValue;
  }

  try {
    const com::Variant unit = bag.ReadProperty(Name + ".Unit", com::Variant(nInitUnit));
    switch (unit.Type()) {
      case com::VarType::Byte:
      case com::VarType::Integer: nUnit = unit.ToByte(); break;
      case com::VarType::String:
        if (!unit.ToString().empty()) {
          // Older data sets kept the unit's text.
          const auto units = UnitTable(context);
          if (!units) com::ThrowObjectVariableNotSet("clsDataElement");
          nUnit = com::Variant(units->UnitCode(unit.ToString())).ToByte();
          break;
        }
        nUnit = nInitUnit;
        break;
      default: nUnit = nInitUnit; break;
    }

    const std::int32_t stored =
        bag.ReadProperty(Name + ".Flags", com::Variant(flags::kValidity)).ToLong();
    const std::int32_t mark =
        taken ? LoadedInputError(*this, TransientValue, stored, context) : 0;
    SetWord((((stored & flags::kPersistedMask) | (status_word_ & ~flags::kPersistedMask)) &
             ~flags::kClearedOnLoad) |
            mark);
  } catch (const com::ComError&) {
    return false;
  }
  return true;
}

bool clsDataElement::IPrivateDataElement_WriteToPropBag(com::PropertyBag& bag,
                                                        const com::Variant&) {
  if (!InDataSet(ElementMode)) return true;
  try {
    bag.WriteProperty(Name, ValueType == kVtBytes
                                ? com::Variant(ConvStr::BytesToHex(TransientValue))
                                : TransientValue);
    bag.WriteProperty(Name + ".Unit", com::Variant(nUnit));
    // The input-error mark goes with the value it marks, so a value kept
    // rather than cut loads back as it was saved.
    bag.WriteProperty(Name + ".Flags",
                      com::Variant(status_word_ & (flags::kPersistedMask | flags::kInputErrorMask)));
  } catch (const com::ComError&) {
    return false;
  }
  PersistentValue = TransientValue;
  return true;
}

// ---- FDT parameter document -------------------------------------------------------

std::string clsDataElement::DtmVariableDisplay(runtime::DTMContext& context) const {
  const com::Locale& locale = context.Locale();
  if (ValueType != kVtSingle && ValueType != kVtDouble) {
    return AttributeValue(TransientValue).ToString(locale);
  }
  std::string number;
  if (TransientValue.IsNumeric(locale)) {
    number = com::InvariantNumberText(TransientValue, locale);
  } else {
    // No number to write: the value's own text, so nothing is lost.
    number = AttributeValue(TransientValue).ToString(locale);
  }
  return number + "[" + UnitString(context) + "]";
}

bool clsDataElement::IPrivateDataElement_ReadFromDtmVariable(const xml::Node& node,
                                                             runtime::DTMContext& context) {
  const runtime::XMLMan& xml = context.XMLMan();
  std::string name = xml.GetAttribute("name", node).ToString();
  if (Name.size() > name.size()) name = "/" + name;
  // The node's name is the last part of the path, after its "/".
  if (!Name.ends_with(name)) return false;

  if (const com::Variant descriptor = xml.GetAttribute("descriptor", node); !descriptor.IsEmpty()) {
    Description = descriptor.ToString();
  }

  bool taken = false;
  const xml::Node value_node = node.FirstChild("fdt:Value");
  const xml::Node display = value_node ? value_node.FirstChild("fdt:Display") : xml::Node();
  if (display) {
    if (const com::Variant shown = xml.GetAttribute("string", display); !shown.IsEmpty()) {
      std::string text = shown.ToString();
      if ((ValueType == kVtSingle || ValueType == kVtDouble) && text.ends_with("]")) {
        if (const std::size_t open = text.rfind('['); open != std::string::npos) {
          SetUnitString(context, text.substr(open + 1, text.size() - open - 2));
          text.erase(open);
        }
      }
      const com::Variant typed = GetTypedValue(com::Variant(text), context.Locale());
      if (!typed.IsNull()) {
        TransientValue = typed;
        taken = true;
      }
    }
  }

  const std::string status = xml.GetAttribute("statusFlag", node).ToString();
  if (status == "ok") SetValidity(true);
  if (status == "invalid") SetValidity(false);
  return taken;
}

bool clsDataElement::IPrivateDataElement_WriteToDtmVariable(const xml::Node& node,
                                                            runtime::DTMContext& context) {
  const runtime::XMLMan& xml = context.XMLMan();
  const std::string display = DtmVariableDisplay(context);
  xml.SetAttribute("descriptor", com::Variant(Description), node);
  const xml::Node value_node = xml.AddChildNode("fdt:Value", node);
  xml.SetAttribute("readAccess", com::Variant(HARTParamReadCommand >= 0), value_node);
  xml.SetAttribute("writeAccess", com::Variant(HARTParamWriteCommand >= 0), value_node);
  const xml::Node display_node = xml.AddChildNode("fdt:Display", value_node);
  xml.SetAttribute("string", com::Variant(display), display_node);
  xml.SetAttribute("statusFlag", com::Variant(StatusText(Validity())), node);
  return true;
}

// ---- Documentation document ---------------------------------------------------------

std::string clsDataElement::DocumentationDisplay(runtime::DTMContext& context) const {
  if (TransientValue.IsNull()) return {};
  const com::Locale& locale = context.Locale();
  if (ValueType == kVtSingle || ValueType == kVtDouble) {
    std::string text = com::Format(TransientValue,
                                   ValueFormat.empty() ? kDefaultDocFormat : ValueFormat, locale);
    if (nUnit != 0) text += " [" + UnitString(context) + "]";
    return text;
  }
  if (!ValueList.empty() && ValueType >= kVtUInt8 && ValueType <= kVtInt32) {
    return GetStrValueFromIdxList(TransientValue.ToLong(locale));
  }
  if (!ValueList.empty() && ValueType == kVtEnum) {
    // The unsigned 32-bit value looked up as the signed Long of its bits.
    double value = TransientValue.ToDouble(locale);
    if (value > 2147483647.0) value -= 4294967296.0;
    return GetStrValueFromIdxList(com::Variant(value).ToLong());
  }
  return AttributeValue(TransientValue).ToString(locale);
}

bool clsDataElement::PlaceDocVariable(xml::Node& node, runtime::DTMContext& context) const {
  const runtime::XMLMan& xml = context.XMLMan();
  const xml::Node root = node.OwnerDocument().DocumentElement();
  xml::Node variables = root ? root.FirstChild("DocumentVariables") : xml::Node();
  if (!variables) return false;

  // Copies of one number are counted on: N5, N5.1, N5.2, ...
  std::int32_t count = 0;
  xml::Node before;
  for (const xml::Node& child : variables.Children()) {
    if (child.Name() != "DocumentVariable") continue;
    const com::Variant id_text = xml.GetAttribute("fdt:nodeId", child);
    if (id_text.IsEmpty()) {
      before = child;
      break;
    }
    std::int32_t id = 0;
    std::optional<std::int32_t> copy;
    if (!ParseNodeId(id_text.ToString(), id, copy)) return false;
    if (id == SortOrder) count = copy.value_or(count) + 1;
    if (id > SortOrder) {
      before = child;
      break;
    }
  }
  if (!before) return false;

  xml::Node placed = variables.InsertBefore(node.CloneNode(true), before);
  std::string id = "N" + std::to_string(SortOrder);
  if (count >= 1) id += "." + std::to_string(count);
  xml.PutAttribute("fdt:nodeId", com::Variant(id), placed);
  if (xml::Node parent = node.Parent()) parent.RemoveChild(node);
  node = placed;
  return true;
}

bool clsDataElement::IPrivateDataElement_WriteToDocVariable(const xml::Node& node,
                                                            runtime::DTMContext& context) {
  const runtime::XMLMan& xml = context.XMLMan();
  const std::string display = DocumentationDisplay(context);
  xml::Node target = node;
  if (SortOrder >= 1 && !PlaceDocVariable(target, context)) return false;
  xml.PutAttribute("fdt:name", com::Variant(Prompt), target);
  xml.SetAttribute("fdt:descriptor", com::Variant(Description), target);
  xml.SetAttribute("fdt:display", com::Variant(display), target);
  xml.SetAttribute("fdt:statusFlag", com::Variant(StatusText(Validity())), target);
  return true;
}

}  // namespace dtm
