#pragma once
// The runtime's private interfaces: what the runtime calls on the component
// (the data model, its elements, the function manager, the pages and the
// sinks of processes). Operations carry their interface's name.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/com/object.h"
#include "platform/com/property_bag.h"

namespace dtm::xml {
class Node;
}
namespace dtm::runtime {
class DTMContext;
class HartTransaction;
class OperationPhase;
class FunctionCall;
}  // namespace dtm::runtime

namespace dtm {

// One data element as the runtime sees it.
class IPrivateDataElement {
 public:
  virtual ~IPrivateDataElement() = default;
  virtual std::string IPrivateDataElement_Name() const = 0;
  virtual void IPrivateDataElement_Name(const std::string& value) = 0;
  virtual std::int32_t IPrivateDataElement_ValueType() const = 0;
  virtual void IPrivateDataElement_ValueType(std::int32_t value) = 0;
  virtual std::int32_t IPrivateDataElement_ValueTypeLength() const = 0;
  virtual void IPrivateDataElement_ValueTypeLength(std::int32_t value) = 0;
  virtual std::int32_t IPrivateDataElement_StatusFlags() const = 0;
  virtual void IPrivateDataElement_StatusFlags(std::int32_t value) = 0;
  virtual std::int32_t IPrivateDataElement_ElementMode() const = 0;
  virtual void IPrivateDataElement_ElementMode(std::int32_t value) = 0;
  virtual com::Variant IPrivateDataElement_TransientValue() const = 0;
  virtual void IPrivateDataElement_TransientValue(const com::Variant& value) = 0;
  virtual com::Variant IPrivateDataElement_PersistentValue() const = 0;
  virtual void IPrivateDataElement_PersistentValue(const com::Variant& value) = 0;
  virtual com::Variant IPrivateDataElement_DeviceValue() const = 0;
  virtual void IPrivateDataElement_DeviceValue(const com::Variant& value) = 0;
  virtual bool IPrivateDataElement_InitNew(const com::Variant& a, const com::Variant& b) = 0;
  virtual bool IPrivateDataElement_ReadFromPropBag(com::PropertyBag& bag,
                                                   runtime::DTMContext& context) = 0;
  virtual bool IPrivateDataElement_WriteToPropBag(com::PropertyBag& bag,
                                                  const com::Variant& b) = 0;
  virtual bool IPrivateDataElement_ReadFromDtmVariable(const xml::Node& node,
                                                       runtime::DTMContext& context) = 0;
  virtual bool IPrivateDataElement_WriteToDtmVariable(const xml::Node& node,
                                                      runtime::DTMContext& context) = 0;
  virtual bool IPrivateDataElement_WriteToDocVariable(const xml::Node& node,
                                                      runtime::DTMContext& context) = 0;
  virtual bool IPrivateDataElement_IsUploadParam(const com::Variant& a) = 0;
  virtual bool IPrivateDataElement_IsDownloadParam(runtime::DTMContext& context) = 0;
  virtual bool IPrivateDataElement_IsDeviceCommand(runtime::DTMContext& context) = 0;
  virtual std::int32_t IPrivateDataElement_NestProcessLevel() const = 0;
  virtual void IPrivateDataElement_NestProcessLevel(std::int32_t value) = 0;
};
using DataElementPtr = std::shared_ptr<IPrivateDataElement>;

// The device-specific side of the model: identity, model creation, language,
// change notices and the coding of HART transactions.
class IPrivateDataModel {
 public:
  virtual ~IPrivateDataModel() = default;
  virtual std::string IPrivateDataModel_DTMName() = 0;
  virtual std::string IPrivateDataModel_DTMVendor() = 0;
  virtual std::string IPrivateDataModel_DTMVersion() = 0;
  virtual com::DateValue IPrivateDataModel_DTMDate() = 0;
  virtual std::string IPrivateDataModel_DTMDescriptor() = 0;
  virtual void IPrivateDataModel_CreateModel(runtime::DTMContext& context) = 0;
  virtual void IPrivateDataModel_SetLanguage(runtime::DTMContext& context,
                                             std::int32_t language_id) = 0;
  virtual void IPrivateDataModel_DataChanged(const DataElementPtr& element,
                                             runtime::DTMContext& context) = 0;
  virtual void IPrivateDataModel_DataSetChanged(runtime::DTMContext& context) = 0;
  virtual bool IPrivateDataModel_BuildTransactionRequest(runtime::DTMContext& context,
                                                         runtime::HartTransaction& transaction,
                                                         bool write,
                                                         const DataElementPtr& element) = 0;
  virtual bool IPrivateDataModel_ReadTransactionResponse(runtime::DTMContext& context,
                                                         runtime::HartTransaction& transaction,
                                                         bool write,
                                                         const DataElementPtr& element) = 0;
};

// Request codes of IPrivateFunctions_OnGUIRequest.
enum GUIRequestCode : std::int32_t {
  drcNoRequest = 0,
  drcPrintRequest = 1,
  drcSaveRequest = 2,
};

// The component's DTM functions and pages.
class IPrivateFunctions {
 public:
  virtual ~IPrivateFunctions() = default;
  virtual bool IPrivateFunctions_OnGUIRequest(runtime::DTMContext& context,
                                              const std::string& text, GUIRequestCode code,
                                              const com::Variant& argument) = 0;
  virtual std::string IPrivateFunctions_GetFunctions(runtime::DTMContext& context,
                                                     runtime::OperationPhase& phase) = 0;
  virtual bool IPrivateFunctions_InvokeFunctionRequest(runtime::DTMContext& context,
                                                       const std::string& invoke_id,
                                                       runtime::FunctionCall& call) = 0;
  virtual std::string IPrivateFunctions_GetActiveXProgId(runtime::DTMContext& context,
                                                         runtime::FunctionCall& call) = 0;
  virtual std::string IPrivateFunctions_GetDocumentation(runtime::DTMContext& context,
                                                         runtime::FunctionCall& call) = 0;
};

// A page as the GUI manager drives it.
class IPrivateGUI {
 public:
  virtual ~IPrivateGUI() = default;
  virtual bool IPrivateGUI_CloseGUI() = 0;
  virtual void IPrivateGUI_LockStateChanged(bool locked) = 0;
  virtual void IPrivateGUI_ParameterChanged(const DataElementPtr& element) = 0;
  virtual void IPrivateGUI_ParameterSetChanged() = 0;
  virtual void IPrivateGUI_ValidateParameters() = 0;
  virtual void IPrivateGUI_SetLanguage(std::int32_t language_id) = 0;
};

// The sink of a runtime process: progress and the one end of each pass.
class IPrivateProcess {
 public:
  virtual ~IPrivateProcess() = default;
  virtual void IPrivateProcess_OnProcessProgress(const std::string& process_id,
                                                 const com::Variant& a, const com::Variant& b) = 0;
  virtual void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                 const std::optional<com::Variant>& success) = 0;
};

}  // namespace dtm
