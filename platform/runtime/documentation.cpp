// The documentation document (DocumentationBuilder::Build). Written without
// a default namespace, with the FDT data types namespace bound to the
// prefix "fdt" on the root, UTF-8, with an XML declaration:
//
//   <FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml" name="<DTM name>"
//        systemTag="TAG1" kind="DTMDoc013" mask="33554432" [comment="..."]>
//     <DocumentVariables>
//       <DocumentVariable fdt:nodeId="N8" fdt:name="Tag" fdt:descriptor="..."
//                         fdt:display="4625_1" fdt:statusFlag="ok"/>
//       <DocumentVariable fdt:nodeId="N8.1" .../>
//       <DocumentVariable fdt:name="..." .../>
//     </DocumentVariables>
//   </FDT>
//
// `mask` is decimal; `comment` is there only when the caller gave one.
// The elements are offered in collection order, each selected one (its
// ElementMode shares a bit with the mask) a new DocumentVariable appended
// after the others. The element writes its attributes and finds its own
// place: an element with a sort order of 1 or more moves to the end of the
// run of nodes whose numbers ("N<sort order>", copies ".1", ".2", ...) are
// not greater than its own, an element below 1 stays where it was given
// its node and carries no fdt:nodeId. So the numbered variables come first,
// ascending, ties in collection order, and the unnumbered ones follow in
// collection order. A node its element did not write is taken out again.

#include <string>

#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {

std::string DocumentationBuilder::Build(DTMContext& context, const std::string& kind,
                                        std::int32_t mask, const std::string& comment) {
  const auto& model = context.DataModel();
  if (!model) {
    throw com::ComError(com::kEFail, "The DTM has no data model", "DocumentationBuilder");
  }
  xml::Document document;
  xml::Node root = document.CreateElement("FDT");
  document.SetDocumentElement(root);
  root.SetAttribute("xmlns:fdt", xml::kFdtNamespace);
  root.SetAttribute("name", model->IPrivateDataModel_DTMName());
  root.SetAttribute("systemTag", context.SystemTag());
  root.SetAttribute("kind", kind);
  root.SetAttribute("mask", std::to_string(mask));
  if (!comment.empty()) root.SetAttribute("comment", comment);

  xml::Node variables = root.AddElement("DocumentVariables");
  if (mask == 0) return document.Xml();
  // A copy: the walk must not depend on what an element's call does to the collection.
  const std::vector<DataElementPtr> elements = context.Parameters().Elements();
  for (const DataElementPtr& element : elements) {
    if ((element->IPrivateDataElement_ElementMode() & mask) == 0) continue;
    xml::Node node = variables.AddElement("DocumentVariable");
    if (!element->IPrivateDataElement_WriteToDocVariable(node, context)) {
      if (xml::Node parent = node.Parent()) parent.RemoveChild(node);
    }
  }
  return document.Xml();
}

}  // namespace dtm::runtime
