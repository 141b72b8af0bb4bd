// XML helpers of the runtime: attribute access as Variants, child creation
// and loading, with the automation language's rules for Nothing.

#include "platform/runtime/xml_man.h"

#include "platform/com/error.h"

namespace dtm::runtime {

com::Variant XMLMan::GetAttribute(const std::string& name, const xml::Node& node) const {
  if (!node) return com::Variant();
  auto value = node.Attribute(name);
  return value ? com::Variant(*value) : com::Variant();
}

void XMLMan::SetAttribute(const std::string& name, const com::Variant& value,
                          const xml::Node& node) const {
  if (!node) com::ThrowObjectVariableNotSet("XMLMan");
  // Converted before the node is touched: a Null leaves it unchanged.
  const std::string text = value.ToString();
  xml::Node target = node;
  target.SetAttribute(name, text);
}

void XMLMan::PutAttribute(const std::string& name, const com::Variant& value,
                          const xml::Node& node) const {
  SetAttribute(name, value, node);
}

xml::Node XMLMan::AddChildNode(const std::string& name, const xml::Node& parent) const {
  if (!parent) com::ThrowObjectVariableNotSet("XMLMan");
  xml::Node target = parent;
  return target.AddElement(name);
}

bool XMLMan::LoadXML(xml::Document& document, const std::string& text) const {
  return document.LoadXml(text);
}

}  // namespace dtm::runtime
