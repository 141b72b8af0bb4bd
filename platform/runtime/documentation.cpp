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
//
// The documentation of the whole data set (DocumentationBuilder::GetDocument)
// has the same root with the date of the build (UTC, "yyyy-mm-dd hh:mm") and
// the device (manufacturer and model of the instance's device type), and in
// place of one DocumentVariables a group per documentation mask:
//
//   <FDT xmlns:fdt="..." name="..." systemTag="TAG1" kind="DTMDoc13"
//        date="2026-03-04 00:00" device="VELDAR 4625">
//     <DTMStyleForCompleteDocument/>
//     <DocumentGroup mask="33554432" title="Offline parameters">
//       <DocumentVariables>...as above...</DocumentVariables>
//     </DocumentGroup>
//     ...
//   </FDT>
//
// The groups follow kGroups; a group without a variable that no earlier
// group has (by number and label) is left out. The
// title is the "text" of the group's function in the dictionary section
// "DTMFunctions", in the current language.

#include <chrono>
#include <cstdio>
#include <set>
#include <string>

#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {
namespace {

struct Group {
  std::int32_t mask;
  const char* function;  // its key in "DTMFunctions"
};

// Where the groups' titles are: the texts of their functions.
constexpr const char* kFunctionsSection = "DTMFunctions";

// The data set first, then what the device reports of its operation and
// its state, then the remaining documentation masks.
constexpr Group kGroups[] = {
    {0x2000000, "ctlOfflineParams"}, {0x8000000, "OnlineParameterize"},
    {0x100000, "ctlStatus"},         {0x200000, "ctlSimulation"},
    {0x800000, "ctlMeasureDialog"},
};

std::string DateText(std::chrono::system_clock::time_point when) {
  const auto day = std::chrono::floor<std::chrono::days>(when);
  const std::chrono::year_month_day ymd{day};
  const std::chrono::hh_mm_ss time{std::chrono::floor<std::chrono::minutes>(when - day)};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
  return text;
}

// A variable as the reader tells it from the others: its number and label.
std::string Identity(const xml::Node& variable) {
  return variable.Attribute("fdt:nodeId").value_or("") + "\n" + variable.Attribute("fdt:name").value_or("");
}

}  // namespace

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

std::string DocumentationBuilder::GetDocument(DTMContext& context, const std::string& kind) {
  if (!context.DataModel()) return {};
  xml::Document document;
  xml::Node root = document.CreateElement("FDT");
  document.SetDocumentElement(root);
  root.SetAttribute("xmlns:fdt", xml::kFdtNamespace);
  root.SetAttribute("name", context.DataModel()->IPrivateDataModel_DTMName());
  root.SetAttribute("systemTag", context.SystemTag());
  root.SetAttribute("kind", kind);
  root.SetAttribute("date", DateText(context.GetServices().loop.GetClock().WallNow()));
  const auto& type = *context.DeviceType();
  std::string device = type.Manufacturer;
  if (!type.Model.empty()) device += (device.empty() ? "" : " ") + type.Model;
  root.SetAttribute("device", device);
  root.AddElement("DTMStyleForCompleteDocument");

  bool any = false;
  std::set<std::string> seen;
  for (const Group& group : kGroups) {
    // Each group is built on its own, so its elements place their nodes
    // among their own group's variables.
    xml::Document part;
    if (!part.LoadXml(Build(context, kind, group.mask, ""))) continue;
    const xml::Node variables = part.DocumentElement().FirstChild("DocumentVariables");
    if (!variables) continue;
    // The tag belongs to every documentation: a group that would show
    // nothing an earlier group does not show is left out.
    bool adds = false;
    for (const xml::Node& variable : variables.Children()) {
      adds = seen.insert(Identity(variable)).second || adds;
    }
    if (!adds) continue;
    xml::Node node = root.AddElement("DocumentGroup");
    node.SetAttribute("mask", std::to_string(group.mask));
    const com::Variant title = context.Dictionary().GetValue(kFunctionsSection, group.function, "text");
    node.SetAttribute("title", title.IsEmpty() ? std::string(group.function) : title.ToString());
    node.AppendChild(variables);
    any = true;
  }
  return any ? document.Xml() : std::string();
}

}  // namespace dtm::runtime
