// The element in the instance data set (the frame's property bag), in the
// DTM variable nodes of the FDT parameter document and in the variable
// nodes of the documentation document.

#include <cstddef>
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

}  // namespace

// ---- Instance data set ----------------------------------------------------------

bool clsDataElement::IPrivateDataElement_ReadFromPropBag(com::PropertyBag& bag,
                                                         runtime::DTMContext& context) {
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
    status_word_ = (stored & flags::kPersistedMask) | (status_word_ & ~flags::kPersistedMask);
    status_word_ &= ~flags::kClearedOnLoad;
  } catch (const com::ComError&) {
    return false;
  }
  return true;
}

bool clsDataElement::IPrivateDataElement_WriteToPropBag(com::PropertyBag& bag,
                                                        const com::Variant&) {
  try {
    bag.WriteProperty(Name, ValueType == kVtBytes
                                ? com::Variant(ConvStr::BytesToHex(TransientValue))
                                : TransientValue);
    bag.WriteProperty(Name + ".Unit", com::Variant(nUnit));
    bag.WriteProperty(Name + ".Flags", com::Variant(status_word_ & flags::kPersistedMask));
  } catch (const com::ComError&) {
    return false;
  }
  PersistentValue = TransientValue;
  return true;
}

// ---- FDT parameter document -------------------------------------------------------

std::string clsDataElement::DtmVariableDisplay(runtime::DTMContext& context) const {
  if (ValueType != kVtSingle && ValueType != kVtDouble) {
    return AttributeValue(TransientValue).ToString();
  }
  std::string number;
  if (TransientValue.IsNumeric()) {
    number = com::InvariantNumberText(TransientValue);
  } else {
    // No number to write: the value's own text, so nothing is lost.
    number = AttributeValue(TransientValue).ToString();
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
      const com::Variant typed = GetTypedValue(com::Variant(text));
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
  if (ValueType == kVtSingle || ValueType == kVtDouble) {
    std::string text =
        com::Format(TransientValue, ValueFormat.empty() ? kDefaultDocFormat : ValueFormat);
    if (nUnit != 0) text += " [" + UnitString(context) + "]";
    return text;
  }
  if (!ValueList.empty() && ValueType >= kVtUInt8 && ValueType <= kVtInt32) {
    return GetStrValueFromIdxList(TransientValue.ToLong());
  }
  if (!ValueList.empty() && ValueType == kVtEnum) {
    // The unsigned 32-bit value looked up as the signed Long of its bits.
    double value = TransientValue.ToDouble();
    if (value > 2147483647.0) value -= 4294967296.0;
    return GetStrValueFromIdxList(com::Variant(value).ToLong());
  }
  return AttributeValue(TransientValue).ToString();
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
