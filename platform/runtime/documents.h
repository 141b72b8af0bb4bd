#pragma once
// The FDT XML documents the runtime reads from and writes for the frame.
// Their structure follows the FDT 1.2 documents (element and attribute
// names of the FDT namespace); formats are described in each builder.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/object.h"

namespace dtm::runtime {

class DTMContext;

// The device type of an instance: three identification values (the HART
// manufacturer id, device type id and device revision, as decimal texts)
// and four descriptive properties taken from the supported entry.
class DeviceType : public com::Object {
 public:
  // Reads the frame's device type document; false when it is not one.
  bool Parse(const std::string& document, DTMContext& context);
  // The supported device type that matches the identification values
  // (from the dictionary section "DTMDeviceTypes"), or nullptr.
  std::shared_ptr<DeviceType> FindSupported(DTMContext& context) const;

  // Identification value 1..3; "" when absent or out of range.
  std::string IdValue(int index) const;
  void SetIdValue(int index, const std::string& value);

  // The descriptive properties.
  std::string Manufacturer;   // vendor name
  std::string Model;          // device model name
  std::string Description;    // device description
  std::string Version;        // device type version text
  void CopyDescriptionFrom(const DeviceType& other);

  // A device type document for these values (the frame side uses it too).
  std::string BuildXML() const;

 private:
  std::string ids_[3];
};

// The DTM's information document (IDtmInformation): name, vendor, version,
// date and descriptor from the data model, and the supported device types.
class InformationBuilder {
 public:
  std::string Build(DTMContext& context);
};

// One FDT function call: the function number and an optional argument.
class FunctionCall : public com::Object {
 public:
  bool Parse(const std::string& document, DTMContext& context);
  std::int32_t FunctionID() const { return function_id_; }
  void SetFunctionID(std::int32_t id) { function_id_ = id; }
  // The argument as the document holds it (a String), nullopt when absent.
  const std::optional<com::Variant>& Argument() const { return argument_; }
  void SetArgument(std::optional<com::Variant> argument) { argument_ = std::move(argument); }
  std::string BuildXML(DTMContext& context) const;

 private:
  std::int32_t function_id_ = 0;
  std::optional<com::Variant> argument_;
};

// The operation phase the frame is in (engineering, commissioning, ...).
class OperationPhase : public com::Object {
 public:
  bool Parse(const std::string& document, DTMContext& context);
  const std::string& Phase() const { return phase_; }
  void SetPhase(std::string phase) { phase_ = std::move(phase); }

 private:
  std::string phase_;
};

// The DTM's function list: the functions of a dictionary section with the
// states the DTM gives them.
class FunctionList {
 public:
  void AddFunction(const std::string& name, std::int32_t state, std::int32_t flags);
  // The FDT functions document built from the dictionary section `section`
  // (texts and function numbers) and the states added; "" when the section
  // is missing.
  std::string BuildXML(DTMContext& context, const std::string& section) const;

  struct Function {
    std::string name;
    std::int32_t state;
    std::int32_t flags;
  };
  const std::vector<Function>& Functions() const { return functions_; }

 private:
  std::vector<Function> functions_;
};

// The documentation document of one documentation kind (IDtmDocumentation):
// the DTM's name and the instance's tag, and one variable node per data
// element whose ElementMode shares a bit with `mask`. Each element fills and
// places its own node (IPrivateDataElement_WriteToDocVariable); the format
// is described at the top of documentation.cpp.
class DocumentationBuilder {
 public:
  // `kind` names the documentation ("DTMDoc013"); `comment` is written to
  // the header when it is not empty. Mask 0 selects no element. Errors of
  // an element travel to the caller.
  std::string Build(DTMContext& context, const std::string& kind, std::int32_t mask,
                    const std::string& comment);
  // The documentation of the whole data set, kind `kind`: the header of
  // Build with the build's date and the device, an empty
  // DTMStyleForCompleteDocument (the place of style parts a style sheet
  // takes over), and one DocumentGroup per documentation group, in a fixed
  // order, each with its title and the
  // DocumentVariables of Build for its mask (a group that adds no variable
  // to the earlier ones is left out). "" without a data model or
  // when no group has a variable. The format is described at the top of
  // documentation.cpp.
  std::string GetDocument(DTMContext& context, const std::string& kind);
};

// The FDT parameter document of the instance data set (IDtmParameter): one
// variable node per element of the data set, written and read by the
// elements themselves (IPrivateDataElement_WriteToDtmVariable /
// _ReadFromDtmVariable). The format is described at the top of
// parameter_document.cpp.
class ParameterDocument {
 public:
  // The only document kind: the elements of the instance data set (those
  // with the element-mode bit 0x10). Any other value raises ComError 5.
  static constexpr std::int32_t kDataSet = 64;
  static constexpr std::int32_t kDataSetMode = 0x10;

  // `path` "" or "/" selects the whole data set; a path ending in "/" the
  // members of that group; any other path that one element. A path that
  // names nothing gives a document without variables.
  std::string GetXML(DTMContext& context, const std::string& path, std::int32_t kind);
  // Hands each variable node of `document` to its element within `path`
  // and notifies every element that took a value over (Parameters.NotifyChanged
  // with sender ""). True when the document is a parameter document and
  // every one of its variables found its element; a variable that names no
  // element of the selection makes the answer false, the others are still
  // applied. A value its element cannot take leaves that element's value as
  // it was and does not change the answer. Raises ComError when `document`
  // is no XML at all.
  bool SetXML(const std::string& document, DTMContext& context, const std::string& path,
              std::int32_t kind);
};

}  // namespace dtm::runtime
