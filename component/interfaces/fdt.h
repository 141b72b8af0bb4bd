#pragma once
// The FDT 1.2 interfaces between a frame application and a DTM: those the
// DTM implements (IDtm and its companions, the event interfaces, the page
// control interface) and those of the frame that the DTM calls. Documents
// are FDT XML documents passed as strings.

#include <memory>
#include <string>

#include "platform/com/object.h"
#include "platform/com/property_bag.h"

namespace dtm {

class IDtm {
 public:
  virtual ~IDtm() = default;
  virtual bool IDtm_Environment(const std::string& system_tag,
                                const com::ObjectPtr& container) = 0;
  virtual bool IDtm_InitNew(const std::string& device_type) = 0;
  virtual bool IDtm_SetLanguage(std::int32_t language_id) = 0;
  virtual bool IDtm_SetCommunication(const com::ObjectPtr& communication) = 0;
  virtual bool IDtm_Config(const std::string& user_info) = 0;
  virtual bool IDtm_PrivateDialogEnabled(bool enabled) = 0;
  virtual std::string IDtm_GetFunctions(const std::string& operation_phase) = 0;
  virtual bool IDtm_InvokeFunctionRequest(const std::string& invoke_id,
                                          const std::string& function_call) = 0;
  virtual bool IDtm_PrepareToReleaseCommunication() = 0;
  virtual bool IDtm_ReleaseCommunication() = 0;
  virtual bool IDtm_PrepareToRelease() = 0;
  virtual bool IDtm_PrepareToDelete() = 0;
};

class IDtmInformation {
 public:
  virtual ~IDtmInformation() = default;
  virtual std::string IDtmInformation_GetInformation() = 0;
};

class IDtmParameter {
 public:
  virtual ~IDtmParameter() = default;
  virtual std::string IDtmParameter_GetParameters(const std::string& parameter_path) = 0;
  virtual bool IDtmParameter_SetParameters(const std::string& parameter_path,
                                           const std::string& document) = 0;
};

class IDtmOnlineParameter {
 public:
  virtual ~IDtmOnlineParameter() = default;
  virtual bool IDtmOnlineParameter_UploadRequest(const std::string& invoke_id,
                                                 const std::string& parameter_path) = 0;
  virtual bool IDtmOnlineParameter_DownloadRequest(const std::string& invoke_id,
                                                   const std::string& parameter_path) = 0;
  virtual bool IDtmOnlineParameter_CancelAction(const std::string& invoke_id) = 0;
};

class IDtmDocumentation {
 public:
  virtual ~IDtmDocumentation() = default;
  virtual std::string IDtmDocumentation_GetDocumentation(const std::string& function_call) = 0;
};

class IDtmActiveXInformation {
 public:
  virtual ~IDtmActiveXInformation() = default;
  virtual std::string IDtmActiveXInformation_GetActiveXProgId(
      const std::string& function_call) = 0;
  virtual std::string IDtmActiveXInformation_GetActiveXGuid(const std::string& function_call) = 0;
};

// The frame's answers to the DTM's communication requests.
class IFdtCommunicationEvents {
 public:
  virtual ~IFdtCommunicationEvents() = default;
  virtual void IFdtCommunicationEvents_OnAbort(const std::string& invoke_id) = 0;
  virtual void IFdtCommunicationEvents_OnConnectResponse(const std::string& invoke_id,
                                                         const std::string& response) = 0;
  virtual void IFdtCommunicationEvents_OnDisconnectResponse(const std::string& invoke_id,
                                                            const std::string& response) = 0;
  virtual void IFdtCommunicationEvents_OnTransactionResponse(const std::string& invoke_id,
                                                             const std::string& response) = 0;
};

// The frame's notices about the data set.
class IFdtEvents {
 public:
  virtual ~IFdtEvents() = default;
  virtual void IFdtEvents_OnChildParameterChanged(const std::string& system_tag) = 0;
  virtual void IFdtEvents_OnLockDataSet(const std::string& system_tag,
                                        const std::string& parameter_path) = 0;
  virtual void IFdtEvents_OnParameterChanged(const std::string& system_tag,
                                             const std::string& parameter_path) = 0;
  virtual bool IFdtEvents_OnUnlockDataSet(const std::string& system_tag,
                                          const std::string& parameter_path) = 0;
};

// A page control (ActiveX) of the DTM.
class IDtmActiveXControl {
 public:
  virtual ~IDtmActiveXControl() = default;
  virtual bool IDtmActiveXControl_Init(const std::string& invoke_id,
                                       const std::string& function_call,
                                       const com::ObjectPtr& dtm) = 0;
  virtual bool IDtmActiveXControl_PrepareToRelease() = 0;
};

// Persistence of an object through the frame's property bag.
class IPersistPropertyBag {
 public:
  virtual ~IPersistPropertyBag() = default;
  virtual void Class_InitProperties() = 0;
  virtual void Class_ReadProperties(com::PropertyBag& bag) = 0;
  virtual void Class_WriteProperties(com::PropertyBag& bag) = 0;
};

// ---- The frame's side ------------------------------------------------------

// The frame's container of a DTM instance (its notices; answers are ignored).
class FrameContainer {
 public:
  virtual ~FrameContainer() = default;
  virtual bool CommunicationReleased(const std::string& system_tag) = 0;
  virtual bool PreparedToRelease(const std::string& system_tag) = 0;
  virtual bool UploadFinished(const std::string& invoke_id, bool success) = 0;
  virtual bool DownloadFinished(const std::string& invoke_id, bool success) = 0;
  virtual bool OpenFunctionRequest(const std::string& system_tag,
                                   const std::string& function_call) = 0;
};

// The frame's storage of the instance data set.
class FrameStorage {
 public:
  virtual ~FrameStorage() = default;
  virtual bool SaveRequest(const std::string& system_tag) = 0;
};

// The frame's communication channel to the device (HART).
class IFdtCommunication {
 public:
  virtual ~IFdtCommunication() = default;
  virtual bool ConnectRequest(const std::shared_ptr<IFdtCommunicationEvents>& callback,
                              const std::string& invoke_id, const std::string& request) = 0;
  virtual bool DisconnectRequest(const std::string& invoke_id, const std::string& request) = 0;
  virtual bool TransactionRequest(const std::string& invoke_id, const std::string& request) = 0;
  virtual bool Abort(const std::string& invoke_id) = 0;
};

}  // namespace dtm
