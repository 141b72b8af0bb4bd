// The FDT documents the runtime exchanges with the frame. Elements are read
// by local name wherever they sit and in any namespace, so documents with
// or without the FDT namespaces are understood; documents are written
// without namespaces, UTF-8, with an XML declaration. Ids are decimal; a
// reader also takes "0x" hexadecimal.
//
// Device type (DeviceType::Parse / BuildXML):
//   <FDT><DtmDeviceType manufacturerId="165" deviceTypeId="70" deviceRevision="1"
//                       manufacturer="VELDAR AG" model="4625" description="..." version="1"/></FDT>
//   The three ids identify; the four descriptive attributes are optional.
//
// Information (InformationBuilder::Build):
//   <FDT>
//     <DtmInfo name="..." vendor="..." version="..." date="2024-05-31" descriptor="..."/>
//     <DtmDeviceTypes><DtmDeviceType .../>...</DtmDeviceTypes>   one per supported type
//     <Languages><Language languageId="7"/>...</Languages>        the dictionary's languages
//   </FDT>
//
// Function call (FunctionCall::Parse / BuildXML):
//   <FDT><FunctionCall functionId="3"><Argument>text</Argument></FunctionCall></FDT>
//   Argument is optional.
//
// Operation phase (OperationPhase::Parse):
//   <FDT operationPhase="engineering"/>, or <OperationPhase phase="engineering"/> anywhere.
//
// Function list (FunctionList::BuildXML):
//   <FDT><Functions>
//     <Function key="ctlIdent" functionId="1" text="Identification" state="0" flags="0"/>
//   </Functions></FDT>
//   One Function per entry of the dictionary section that has a functionId,
//   then the added functions the section does not list (no functionId, their
//   name as text). An entry without a functionId is a text of the section,
//   no function.

#include "platform/runtime/documents.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {

namespace {

constexpr const char* kIdAttributes[3] = {"manufacturerId", "deviceTypeId", "deviceRevision"};

// The first element of that local name in the document, in document order.
xml::Node FindElement(const xml::Document& document, const std::string& local_name) {
  return document.SelectSingleNode("//*[local-name()='" + local_name + "']");
}

// An id as decimal text: "165" and "0xA5" give "165"; nullopt when no number.
std::optional<std::string> NormaliseId(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t");
  std::size_t end = text.find_last_not_of(" \t");
  if (begin == std::string::npos) return std::nullopt;
  const std::string trimmed = text.substr(begin, end - begin + 1);
  int base = 10;
  std::size_t offset = 0;
  if (trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X')) {
    base = 16;
    offset = 2;
  }
  std::uint32_t value = 0;
  const char* first = trimmed.data() + offset;
  const char* last = trimmed.data() + trimmed.size();
  auto [ptr, ec] = std::from_chars(first, last, value, base);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return std::to_string(value);
}

bool SameId(const std::optional<std::string>& entry_value, const std::string& own) {
  if (!entry_value || own.empty()) return false;
  auto normal = NormaliseId(*entry_value);
  return normal && *normal == own;
}

void SetIfNotEmpty(xml::Node& node, const char* name, const std::string& value) {
  if (!value.empty()) node.SetAttribute(name, value);
}

void WriteDeviceType(xml::Node element, const DeviceType& type) {
  for (int i = 0; i < 3; ++i) SetIfNotEmpty(element, kIdAttributes[i], type.IdValue(i + 1));
  SetIfNotEmpty(element, "manufacturer", type.Manufacturer);
  SetIfNotEmpty(element, "model", type.Model);
  SetIfNotEmpty(element, "description", type.Description);
  SetIfNotEmpty(element, "version", type.Version);
}

// A device type from a dictionary entry; nullptr when its ids are no numbers.
std::shared_ptr<DeviceType> FromEntry(const xml::Node& entry) {
  auto type = std::make_shared<DeviceType>();
  for (int i = 0; i < 3; ++i) {
    auto text = entry.Attribute(kIdAttributes[i]);
    if (!text || text->empty()) continue;
    auto id = NormaliseId(*text);
    if (!id) return nullptr;
    type->SetIdValue(i + 1, *id);
  }
  type->Manufacturer = entry.Attribute("manufacturer").value_or("");
  type->Model = entry.Attribute("model").value_or("");
  type->Description = entry.Attribute("description").value_or("");
  type->Version = entry.Attribute("version").value_or("");
  return type;
}

// An OLE date serial's day as yyyy-mm-dd. Day 0 is 1899-12-30; the whole
// number is the day and the fraction the time, before day 0 too (-1.5 is
// 1899-12-29 12:00), so the day is truncated, not floored.
std::string IsoDate(com::DateValue date) {
  using namespace std::chrono;
  if (!std::isfinite(date.serial) || std::abs(date.serial) > 3e6) {
    throw com::ComError(com::vb::kOverflow, "The DTM date is out of range");
  }
  const auto day = sys_days{year{1899} / December / 30} +
                   days{static_cast<int>(std::trunc(date.serial))};
  const year_month_day ymd{day};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return text;
}

std::optional<std::int32_t> ParseInt32(const std::string& text) {
  std::int32_t value = 0;
  const char* last = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

// A new document with an <FDT> root.
xml::Document NewFdtDocument(xml::Node& root) {
  xml::Document document;
  root = document.CreateElement("FDT");
  document.SetDocumentElement(root);
  return document;
}

}  // namespace

// --- DeviceType ---

bool DeviceType::Parse(const std::string& document, DTMContext& /*context*/) {
  xml::Document doc;
  if (!doc.LoadXml(document)) return false;
  xml::Node element = FindElement(doc, "DtmDeviceType");
  if (!element) return false;
  std::string ids[3];
  for (int i = 0; i < 3; ++i) {
    auto text = element.Attribute(kIdAttributes[i]);
    if (!text) continue;
    auto id = NormaliseId(*text);
    if (!id) return false;
    ids[i] = *id;
  }
  for (int i = 0; i < 3; ++i) ids_[i] = ids[i];
  Manufacturer = element.Attribute("manufacturer").value_or("");
  Model = element.Attribute("model").value_or("");
  Description = element.Attribute("description").value_or("");
  Version = element.Attribute("version").value_or("");
  return true;
}

std::shared_ptr<DeviceType> DeviceType::FindSupported(DTMContext& context) const {
  DTMDictionary& dictionary = context.Dictionary();
  xml::Node section = dictionary.GetNode("DTMDeviceTypes");
  if (!section) return nullptr;
  for (const xml::Node& entry : section.Children()) {
    if (!SameId(entry.Attribute(kIdAttributes[0]), ids_[0])) continue;
    if (!SameId(entry.Attribute(kIdAttributes[1]), ids_[1])) continue;
    // An entry without a revision takes every revision.
    auto revision = entry.Attribute(kIdAttributes[2]);
    if (revision && !revision->empty() && !SameId(revision, ids_[2])) continue;
    auto found = FromEntry(entry);
    if (!found) continue;
    if (found->IdValue(3).empty()) found->SetIdValue(3, ids_[2]);
    return found;
  }
  return nullptr;
}

std::string DeviceType::IdValue(int index) const {
  return index >= 1 && index <= 3 ? ids_[index - 1] : std::string();
}

void DeviceType::SetIdValue(int index, const std::string& value) {
  if (index >= 1 && index <= 3) ids_[index - 1] = value;
}

void DeviceType::CopyDescriptionFrom(const DeviceType& other) {
  Manufacturer = other.Manufacturer;
  Model = other.Model;
  Description = other.Description;
  Version = other.Version;
}

std::string DeviceType::BuildXML() const {
  xml::Node root;
  xml::Document document = NewFdtDocument(root);
  WriteDeviceType(root.AddElement("DtmDeviceType"), *this);
  return document.Xml();
}

// --- InformationBuilder ---

std::string InformationBuilder::Build(DTMContext& context) {
  const auto& model = context.DataModel();
  if (!model) {
    throw com::ComError(com::kEFail, "The DTM has no data model", "InformationBuilder");
  }
  xml::Node root;
  xml::Document document = NewFdtDocument(root);
  xml::Node info = root.AddElement("DtmInfo");
  info.SetAttribute("name", model->IPrivateDataModel_DTMName());
  info.SetAttribute("vendor", model->IPrivateDataModel_DTMVendor());
  info.SetAttribute("version", model->IPrivateDataModel_DTMVersion());
  info.SetAttribute("date", IsoDate(model->IPrivateDataModel_DTMDate()));
  info.SetAttribute("descriptor", model->IPrivateDataModel_DTMDescriptor());

  xml::Node types = root.AddElement("DtmDeviceTypes");
  if (xml::Node section = context.Dictionary().GetNode("DTMDeviceTypes")) {
    for (const xml::Node& entry : section.Children()) {
      if (auto type = FromEntry(entry)) WriteDeviceType(types.AddElement("DtmDeviceType"), *type);
    }
  }
  xml::Node languages = root.AddElement("Languages");
  for (std::int32_t id : context.Dictionary().Languages()) {
    languages.AddElement("Language").SetAttribute("languageId", std::to_string(id));
  }
  return document.Xml();
}

// --- FunctionCall ---

bool FunctionCall::Parse(const std::string& document, DTMContext& /*context*/) {
  xml::Document doc;
  if (!doc.LoadXml(document)) return false;
  xml::Node call = FindElement(doc, "FunctionCall");
  if (!call) return false;
  auto id_text = call.Attribute("functionId");
  if (!id_text) return false;
  auto id = ParseInt32(*id_text);
  if (!id) return false;
  xml::Node argument = call.SelectSingleNode("*[local-name()='Argument']");
  function_id_ = *id;
  argument_ = argument ? std::optional<com::Variant>(com::Variant(argument.Text())) : std::nullopt;
  return true;
}

std::string FunctionCall::BuildXML(DTMContext& /*context*/) const {
  xml::Node root;
  xml::Document document = NewFdtDocument(root);
  xml::Node call = root.AddElement("FunctionCall");
  call.SetAttribute("functionId", std::to_string(function_id_));
  if (argument_) call.AddElement("Argument").SetText(argument_->ToString());
  return document.Xml();
}

// --- OperationPhase ---

bool OperationPhase::Parse(const std::string& document, DTMContext& /*context*/) {
  xml::Document doc;
  if (!doc.LoadXml(document)) return false;
  if (auto phase = doc.DocumentElement().Attribute("operationPhase")) {
    phase_ = *phase;
    return true;
  }
  xml::Node element = FindElement(doc, "OperationPhase");
  phase_ = element ? element.Attribute("phase").value_or(element.Text()) : std::string();
  return true;
}

// --- FunctionList ---

void FunctionList::AddFunction(const std::string& name, std::int32_t state, std::int32_t flags) {
  for (Function& function : functions_) {
    if (function.name == name) {
      function.state = state;
      function.flags = flags;
      return;
    }
  }
  functions_.push_back({name, state, flags});
}

std::string FunctionList::BuildXML(DTMContext& context, const std::string& section) const {
  constexpr std::int32_t kNotAdded = 4;
  xml::Node entries = context.Dictionary().GetNode(section);
  if (!entries) return "";
  xml::Node root;
  xml::Document document = NewFdtDocument(root);
  xml::Node list = root.AddElement("Functions");
  std::vector<bool> listed(functions_.size(), false);

  auto write = [&list](const std::string& key, const std::optional<std::string>& id,
                       const std::string& text, std::int32_t state, std::int32_t flags) {
    xml::Node function = list.AddElement("Function");
    function.SetAttribute("key", key);
    if (id) function.SetAttribute("functionId", *id);
    function.SetAttribute("text", text);
    function.SetAttribute("state", std::to_string(state));
    function.SetAttribute("flags", std::to_string(flags));
  };

  for (const xml::Node& entry : entries.Children()) {
    auto key = entry.Attribute("key");
    if (!key || !entry.Attribute("functionId")) continue;
    std::int32_t state = kNotAdded;
    std::int32_t flags = 0;
    for (std::size_t i = 0; i < functions_.size(); ++i) {
      if (functions_[i].name == *key) {
        state = functions_[i].state;
        flags = functions_[i].flags;
        listed[i] = true;
        break;
      }
    }
    write(*key, entry.Attribute("functionId"), entry.Attribute("text").value_or(*key), state,
          flags);
  }
  for (std::size_t i = 0; i < functions_.size(); ++i) {
    if (!listed[i]) {
      write(functions_[i].name, std::nullopt, functions_[i].name, functions_[i].state,
            functions_[i].flags);
    }
  }
  return document.Xml();
}

}  // namespace dtm::runtime
