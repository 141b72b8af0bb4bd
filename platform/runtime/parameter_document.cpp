// The parameter document of the instance data set (ParameterDocument).
// Written without a default namespace, with the FDT data types namespace
// bound to the prefix "fdt" on the root, UTF-8, with an XML declaration:
//
//   <FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml">
//     <DtmParameter path="SC130Tr1/" systemTag="TAG1">
//       <fdt:DtmVariable name="Par2" path="SC130Tr1/Par2" descriptor="..." statusFlag="ok">
//         <fdt:Value readAccess="True" writeAccess="True">
//           <fdt:Display string="1"/>
//         </fdt:Value>
//       </fdt:DtmVariable>
//     </DtmParameter>
//   </FDT>
//
// `path` of DtmParameter is the path asked for ("" for the whole data set).
// Per variable the document writes "name" (the last part of the element's
// path; "Tag" for "~/Tag") and "path" (the whole path); the element writes
// the rest (IPrivateDataElement_WriteToDtmVariable). One variable per
// selected element of the data set (ElementMode bit 0x10), in collection
// order.
//
// Reading (SetXML): DtmParameter and DtmVariable are found by local name,
// in any namespace; below a variable the element reads "fdt:Value" and
// "fdt:Display", so those keep the prefix "fdt". A variable belongs to the
// element of its "path"; without one, to the one element of the selection
// whose last path part is its "name" (a name that several elements share
// names none). In both cases the name must be the element's.

#include <string>
#include <vector>

#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {

namespace {

void CheckKind(std::int32_t kind) {
  if (kind != ParameterDocument::kDataSet) {
    throw com::ComError(com::vb::kInvalidProcedureCall,
                        "Invalid procedure call or argument: parameter document kind " +
                            std::to_string(kind),
                        "ParameterDocument");
  }
}

bool InDataSet(const DataElementPtr& element) {
  return (element->IPrivateDataElement_ElementMode() & ParameterDocument::kDataSetMode) != 0;
}

// The data-set elements of `path`, in collection order.
std::vector<DataElementPtr> Select(const Parameters& parameters, const std::string& path) {
  std::vector<DataElementPtr> selected;
  if (path.empty() || path == "/") {
    for (const DataElementPtr& element : parameters.Elements()) {
      if (InDataSet(element)) selected.push_back(element);
    }
  } else if (path.back() == '/') {
    for (const DataElementPtr& element : parameters.GetGroupMembers(path)) {
      if (InDataSet(element)) selected.push_back(element);
    }
  } else if (DataElementPtr element = parameters.Find(path); element && InDataSet(element)) {
    selected.push_back(element);
  }
  return selected;
}

// The last part of a path: "Par2" for "SC130Tr1/Par2", "Tag" for "~/Tag".
// A group's path keeps its own last part ("SC130Tr1" for "SC130Tr1/").
std::string LastPart(std::string path) {
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The element's own test of a variable's name: the name, after a "/" when
// the path is longer, ends the path.
bool NameBelongsTo(const std::string& element_path, std::string name) {
  if (element_path.size() > name.size()) name = "/" + name;
  return element_path.ends_with(name);
}

DataElementPtr ElementOf(const xml::Node& variable, const std::vector<DataElementPtr>& selection) {
  const std::string name = variable.Attribute("name").value_or("");
  if (const auto path = variable.Attribute("path")) {
    for (const DataElementPtr& element : selection) {
      const std::string element_path = element->IPrivateDataElement_Name();
      if (element_path == *path) return NameBelongsTo(element_path, name) ? element : nullptr;
    }
    return nullptr;
  }
  DataElementPtr found;
  for (const DataElementPtr& element : selection) {
    if (!NameBelongsTo(element->IPrivateDataElement_Name(), name)) continue;
    if (found) return nullptr;  // several elements share the name
    found = element;
  }
  return found;
}

}  // namespace

std::string ParameterDocument::GetXML(DTMContext& context, const std::string& path,
                                      std::int32_t kind) {
  CheckKind(kind);
  xml::Document document;
  xml::Node root = document.CreateElement("FDT");
  document.SetDocumentElement(root);
  root.SetAttribute("xmlns:fdt", xml::kFdtNamespace);
  xml::Node parameter = root.AddElement("DtmParameter");
  parameter.SetAttribute("path", path);
  parameter.SetAttribute("systemTag", context.SystemTag());

  for (const DataElementPtr& element : Select(context.Parameters(), path)) {
    const std::string element_path = element->IPrivateDataElement_Name();
    xml::Node variable = parameter.AddElement("fdt:DtmVariable");
    variable.SetAttribute("name", LastPart(element_path));
    variable.SetAttribute("path", element_path);
    element->IPrivateDataElement_WriteToDtmVariable(variable, context);
  }
  return document.Xml();
}

bool ParameterDocument::SetXML(const std::string& document, DTMContext& context,
                               const std::string& path, std::int32_t kind) {
  CheckKind(kind);
  xml::Document doc;
  if (!doc.LoadXml(document)) {
    throw com::ComError(com::kEFail, "The parameter document cannot be read: " + doc.ParseError(),
                        "ParameterDocument");
  }
  const xml::Node parameter = doc.SelectSingleNode("//*[local-name()='DtmParameter']");
  if (!parameter) return false;

  const std::vector<DataElementPtr> selection = Select(context.Parameters(), path);
  bool all_found = true;
  for (const xml::Node& variable : parameter.SelectNodes(".//*[local-name()='DtmVariable']")) {
    const DataElementPtr element = ElementOf(variable, selection);
    if (!element) {
      all_found = false;
      continue;
    }
    if (element->IPrivateDataElement_ReadFromDtmVariable(variable, context)) {
      context.Parameters().NotifyChanged(element, "");
    }
  }
  return all_found;
}

}  // namespace dtm::runtime
