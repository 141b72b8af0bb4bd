#pragma once
// The DTM object the frame creates for each instance: it builds the
// instance's objects on the runtime, answers the frame's FDT calls and
// takes the instance down again in the frame's order.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "component/interfaces/fdt.h"
#include "component/interfaces/private.h"
#include "platform/com/object.h"
#include "platform/runtime/context.h"
#include "platform/runtime/services.h"

namespace dtm {

class DTMMain : public com::Object,
                public IDtm,
                public IDtmInformation,
                public IDtmParameter,
                public IDtmOnlineParameter,
                public IDtmDocumentation,
                public IDtmActiveXInformation,
                public IFdtCommunicationEvents,
                public IFdtEvents,
                public IPrivateProcess,
                public IPersistPropertyBag {
 public:
  explicit DTMMain(const runtime::Services& services);
  ~DTMMain() override;

  // Builds the object graph; the class factory calls it right after
  // construction (the object must already be shared).
  void Class_Initialize();

  // ---- _DTMMain: read by name through DTMContext.DTM as well ----
  const std::string& MonitorInvokeID() const { return monitor_invoke_id_; }
  void SetMonitorInvokeID(std::string id) { monitor_invoke_id_ = std::move(id); }
  bool UpDownloadAll() const { return up_download_all_; }
  void SetUpDownloadAll(bool value) { up_download_all_ = value; }
  std::int16_t ParamBusyCounter() const { return param_busy_counter_; }
  void SetParamBusyCounter(std::int16_t value) { param_busy_counter_ = value; }
  // The runtime context, as a generic object.
  com::ObjectPtr DTMContext() const { return m_Context; }
  runtime::DTMContext& Context() const { return *m_Context; }

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;

  // ---- IDtm ----
  bool IDtm_Environment(const std::string& system_tag, const com::ObjectPtr& container) override;
  bool IDtm_InitNew(const std::string& device_type) override;
  bool IDtm_SetLanguage(std::int32_t language_id) override;
  bool IDtm_SetCommunication(const com::ObjectPtr& communication) override;
  bool IDtm_Config(const std::string& user_info) override;
  bool IDtm_PrivateDialogEnabled(bool enabled) override;
  std::string IDtm_GetFunctions(const std::string& operation_phase) override;
  bool IDtm_InvokeFunctionRequest(const std::string& invoke_id,
                                  const std::string& function_call) override;
  bool IDtm_PrepareToReleaseCommunication() override;
  bool IDtm_ReleaseCommunication() override;
  bool IDtm_PrepareToRelease() override;
  bool IDtm_PrepareToDelete() override;

  // ---- IDtmInformation ----
  std::string IDtmInformation_GetInformation() override;

  // ---- IDtmParameter, IDtmOnlineParameter ----
  std::string IDtmParameter_GetParameters(const std::string& parameter_path) override;
  bool IDtmParameter_SetParameters(const std::string& parameter_path,
                                   const std::string& document) override;
  bool IDtmOnlineParameter_UploadRequest(const std::string& invoke_id,
                                         const std::string& parameter_path) override;
  bool IDtmOnlineParameter_DownloadRequest(const std::string& invoke_id,
                                           const std::string& parameter_path) override;
  bool IDtmOnlineParameter_CancelAction(const std::string& invoke_id) override;

  // ---- IDtmDocumentation, IDtmActiveXInformation ----
  std::string IDtmDocumentation_GetDocumentation(const std::string& function_call) override;
  std::string IDtmActiveXInformation_GetActiveXProgId(const std::string& function_call) override;
  std::string IDtmActiveXInformation_GetActiveXGuid(const std::string& function_call) override;

  // ---- IFdtCommunicationEvents, IFdtEvents ----
  void IFdtCommunicationEvents_OnAbort(const std::string& invoke_id) override;
  void IFdtCommunicationEvents_OnConnectResponse(const std::string& invoke_id,
                                                 const std::string& response) override;
  void IFdtCommunicationEvents_OnDisconnectResponse(const std::string& invoke_id,
                                                    const std::string& response) override;
  void IFdtCommunicationEvents_OnTransactionResponse(const std::string& invoke_id,
                                                     const std::string& response) override;
  void IFdtEvents_OnChildParameterChanged(const std::string& system_tag) override;
  void IFdtEvents_OnLockDataSet(const std::string& system_tag,
                                const std::string& parameter_path) override;
  void IFdtEvents_OnParameterChanged(const std::string& system_tag,
                                     const std::string& parameter_path) override;
  bool IFdtEvents_OnUnlockDataSet(const std::string& system_tag,
                                  const std::string& parameter_path) override;

  // ---- IPrivateProcess ----
  void IPrivateProcess_OnProcessProgress(const std::string& process_id, const com::Variant& a,
                                         const com::Variant& b) override;
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& success) override;

  // ---- Persistence ----
  void Class_InitProperties() override;
  void Class_ReadProperties(com::PropertyBag& bag) override;
  void Class_WriteProperties(com::PropertyBag& bag) override;

 private:
  void m_CommObj_ConnectionIsValidated(bool& accept);
  // The instance's device type against the supported ones.
  void CheckDeviceType(const std::shared_ptr<runtime::DeviceType>& device_type);
  // The last step of a shut-down started by IDtm_PrepareToReleaseCommunication.
  void FinishShutdown();
  void TellFrameCommunicationReleased();
  // The common start of an upload or a download of all parameters.
  bool StartWholeTransfer(const std::string& invoke_id, const std::string& parameter_path,
                          bool download);
  // The end of a whole transfer: the frame's notice, the busy count, the
  // transfer flag and, for a success, "DataStatus".
  void EndWholeTransfer(const std::string& process_id, bool download, bool succeeded);
  // Ends the whole transfers still running, each with a failed notice.
  void EndRunningTransfers();
  // "DataStatus" tells the pages where the values come from.
  void SetDataStatus(std::int16_t status);
  // One protocol line per element of the stored data set.
  void WriteDataSetLines(const std::string& phrase);

  runtime::Services services_;
  std::string monitor_invoke_id_;
  bool up_download_all_ = false;
  std::int16_t param_busy_counter_ = 0;

  std::shared_ptr<IPrivateDataModel> m_DataModel;
  std::shared_ptr<runtime::CommObject> m_CommObj;
  std::shared_ptr<IPrivateFunctions> m_FunctionMan;
  std::shared_ptr<runtime::DTMContext> m_Context;
  std::string m_ShutdownInvokeID;
  bool m_CommAttached = false;
};

}  // namespace dtm
