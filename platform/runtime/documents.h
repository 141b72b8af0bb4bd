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

}  // namespace dtm::runtime
