#include "component/dtm/dtm_main.h"

#include <exception>
#include <unordered_set>

#include "component/common/api_helpers.h"
#include "component/common/identity.h"
#include "component/common/lang_supp.h"
#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "component/datamodel/data_element_persistence.h"
#include "component/datamodel/data_model.h"
#include "component/dtm/dtm_state.h"
#include "component/dtm/function_man.h"
#include "component/ui/framework/ctl_monitor.h"
#include "platform/com/error.h"
#include "platform/com/property_bag.h"
#include "platform/runtime/services.h"

namespace dtm {

DTMMain::DTMMain(const runtime::Services& services) : services_(services) {}

DTMMain::~DTMMain() = default;

void DTMMain::Class_Initialize() {
  m_DataModel = std::make_shared<clsDataModel>(services_);

  m_CommObj = std::make_shared<runtime::CommObject>();
  std::weak_ptr<DTMMain> weak_self =
      std::static_pointer_cast<DTMMain>(shared_from_this());
  m_CommObj->ConnectionIsValidated = [weak_self](bool& accept) {
    if (auto self = weak_self.lock()) self->m_CommObj_ConnectionIsValidated(accept);
  };

  m_FunctionMan = std::make_shared<clsFunctionMan>();

  m_Context = std::make_shared<runtime::DTMContext>(services_);
  m_Context->Init(shared_from_this(), m_DataModel, m_CommObj, m_FunctionMan);
  m_Context->CommMan().SetSupportedIdentity(kSupportedManufacturerCode, kSupportedDeviceTypeCode);

  // The runtime reads its dictionary files from the installation's XMLData folder.
  m_Context->XMLMan().SetDataFolder((services_.install_folder / "XMLData" / "").string());

  m_Context->SetDTMState(std::make_shared<DTMState>());
  const com::ObjectPtr state = m_Context->DTMState();
  const com::Variant context_arg{com::ObjectPtr(m_Context)};
  state->Invoke("Init", std::span<const com::Variant>(&context_arg, 1));

  m_CommObj->SetEnabled(true);
}

// ---- _DTMMain by name ------------------------------------------------------

com::Variant DTMMain::GetProperty(std::string_view name) {
  if (name == "MonitorInvokeID") return monitor_invoke_id_;
  if (name == "UpDownloadAll") return up_download_all_;
  if (name == "ParamBusyCounter") return param_busy_counter_;
  if (name == "DTMContext") return com::Variant(DTMContext());
  return Object::GetProperty(name);
}

void DTMMain::SetProperty(std::string_view name, const com::Variant& value) {
  if (name == "MonitorInvokeID") {
    monitor_invoke_id_ = value.ToString();
  } else if (name == "UpDownloadAll") {
    up_download_all_ = value.ToBoolean();
  } else if (name == "ParamBusyCounter") {
    param_busy_counter_ = value.ToInteger();
  } else {
    Object::SetProperty(name, value);
  }
}

// ---- Set-up ------------------------------------------------------------------

bool DTMMain::IDtm_InitNew(const std::string& device_type) {
  auto type = std::make_shared<runtime::DeviceType>();
  if (!type->Parse(device_type, *m_Context)) return false;
  m_DataModel->IPrivateDataModel_CreateModel(*m_Context);
  CheckDeviceType(type);
  m_Context->InitNew(type);
  return true;
}

bool DTMMain::IDtm_Environment(const std::string& system_tag, const com::ObjectPtr& container) {
  if (system_tag.empty() || !container) return false;
  auto frame_container = com::QueryInterface<FrameContainer>(container);
  if (!frame_container) return false;
  m_Context->SetSystemTag(system_tag);
  m_Context->SetContainer(frame_container);
  const std::shared_ptr<runtime::DeviceType>& type = m_Context->DeviceType();
  if (!type->IdValue(1).empty() && !type->IdValue(2).empty()) CheckDeviceType(type);
  return true;
}

void DTMMain::CheckDeviceType(const std::shared_ptr<runtime::DeviceType>& device_type) {
  const std::shared_ptr<runtime::DeviceType> supported = device_type->FindSupported(*m_Context);
  if (!supported) {
    m_Context->ShowError(LanguageHelpers::GetLangText(
        *m_Context, "devtype_not_supported", com::Variant(device_type->IdValue(1)),
        com::Variant(device_type->IdValue(2)), com::Variant(device_type->IdValue(3))));
    return;
  }
  device_type->CopyDescriptionFrom(*supported);
}

void DTMMain::m_CommObj_ConnectionIsValidated(bool& accept) {
  if (m_CommObj->ManufacturerCode() == kSupportedManufacturerCode &&
      m_CommObj->DeviceTypeCode() == kSupportedDeviceTypeCode) {
    return;
  }
  const std::string question = LanguageHelpers::GetLangText(
      *m_Context, "devicetype_not_supported", com::Variant(m_CommObj->ManufacturerCode()),
      com::Variant(m_CommObj->DeviceTypeCode()));
  if (m_Context->MessageBox(question, 20) != runtime::kIdNo) accept = true;
}

bool DTMMain::IDtm_SetLanguage(std::int32_t language_id) {
  m_Context->GUIMan().SetLanguage(language_id);
  return m_Context->GUIMan().Language() == language_id;
}

bool DTMMain::IDtm_SetCommunication(const com::ObjectPtr& communication) {
  runtime::CommMan& comm = m_Context->CommMan();
  if (!communication || comm.ConnectionOpen()) return false;
  comm.SetCommunication(communication);
  m_ShutdownInvokeID.clear();
  m_CommAttached = comm.Attach();
  return true;
}

bool DTMMain::IDtm_Config(const std::string& user_info) {
  return m_Context->User().Config(user_info, *m_Context);
}

bool DTMMain::IDtm_PrivateDialogEnabled(bool enabled) {
  m_Context->SetPrivateDialogEnabled(enabled);
  return true;
}

std::string DTMMain::IDtmInformation_GetInformation() {
  runtime::DTMDictionary& dictionary = m_Context->Dictionary();
  if (!dictionary.Document()) {
    dictionary.Load(*m_Context, "DTMDictionary");
    const std::int32_t language = m_Context->GUIMan().Language();
    if (!dictionary.SelectLanguage(language, true)) {
      dictionary.SelectLanguage(
          LangSupp::MakeLcid(LangSupp::PrimaryLangId(language), 0, 0));
    }
  }
  runtime::InformationBuilder builder;
  return builder.Build(*m_Context);
}

// ---- Shut-down -----------------------------------------------------------------

void DTMMain::TellFrameCommunicationReleased() {
  if (const auto& container = m_Context->Container()) {
    container->CommunicationReleased(m_Context->SystemTag());
  }
}

bool DTMMain::IDtm_PrepareToReleaseCommunication() {
  runtime::CommMan& comm = m_Context->CommMan();
  if (comm.ConnectionOpen()) {
    m_ShutdownInvokeID = APIHelpers::CreateGuidString(services_.guids, false);
    auto sink = std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this());
    if (!comm.StartDisconnect(m_ShutdownInvokeID, sink)) {
      m_ShutdownInvokeID.clear();
      m_Context->ShowError("Cannot shut down communication.");
      return false;
    }
    return true;
  }
  m_ShutdownInvokeID.clear();
  comm.SetCommunication(nullptr);
  TellFrameCommunicationReleased();
  return true;
}

void DTMMain::FinishShutdown() {
  runtime::CommMan& comm = m_Context->CommMan();
  m_ShutdownInvokeID.clear();
  if (comm.ConnectionOpen()) {
    m_Context->ShowError("Error shutting down communication");
    if (!comm.Disconnect()) m_Context->ShowError("Error terminating communication.");
  }
  comm.SetCommunication(nullptr);
  TellFrameCommunicationReleased();
}

bool DTMMain::IDtm_ReleaseCommunication() {
  runtime::CommMan& comm = m_Context->CommMan();
  if (comm.ConnectionOpen()) return false;
  if (m_CommAttached) {
    m_CommAttached = false;
    comm.Detach();
  }
  comm.SetCommunication(nullptr);
  m_ShutdownInvokeID.clear();
  return true;
}

bool DTMMain::IDtm_PrepareToRelease() {
  runtime::GUIMan& gui = m_Context->GUIMan();
  runtime::CommMan& comm = m_Context->CommMan();
  if (gui.HasGUIs() && !gui.CloseAllGUIs()) {
    m_Context->ShowError("Error closing user interaces.");
    return false;
  }
  if (comm.ConnectionOpen() && !comm.Disconnect()) {
    m_Context->ShowError("Error terminating communication.");
    return false;
  }
  // A shut-down whose disconnect was still pending is complete now: the
  // frame hears of it here, and its late end is dropped.
  if (!m_ShutdownInvokeID.empty()) FinishShutdown();
  if (!IDtm_ReleaseCommunication()) return false;
  // Nothing may reach the frame after PreparedToRelease.
  EndRunningTransfers();
  runtime::Parameters& parameters = m_Context->Parameters();
  if (parameters.DataChangedState() == 1) {
    if (auto storage = m_Context->FrameStorage()) storage->SaveRequest(m_Context->SystemTag());
  }
  parameters.SetDataSetState(4);
  if (const auto& container = m_Context->Container()) {
    container->PreparedToRelease(m_Context->SystemTag());
  }
  return true;
}

bool DTMMain::IDtm_PrepareToDelete() {
  if (m_Context->CommMan().ConnectionOpen() || m_Context->GUIMan().HasGUIs()) return false;
  m_Context->Parameters().SetDataSetState(4);
  return true;
}

// ---- Functions, pages and documentation ---------------------------------------

std::string DTMMain::IDtm_GetFunctions(const std::string& operation_phase) {
  runtime::OperationPhase phase;
  if (!phase.Parse(operation_phase, *m_Context)) return {};
  return m_FunctionMan->IPrivateFunctions_GetFunctions(*m_Context, phase);
}

bool DTMMain::IDtm_InvokeFunctionRequest(const std::string& invoke_id,
                                         const std::string& function_call) {
  runtime::FunctionCall call;
  if (!call.Parse(function_call, *m_Context)) return false;
  return m_FunctionMan->IPrivateFunctions_InvokeFunctionRequest(*m_Context, invoke_id, call);
}

std::string DTMMain::IDtmActiveXInformation_GetActiveXProgId(const std::string& function_call) {
  runtime::FunctionCall call;
  if (!call.Parse(function_call, *m_Context)) return {};
  return m_FunctionMan->IPrivateFunctions_GetActiveXProgId(*m_Context, call);
}

std::string DTMMain::IDtmActiveXInformation_GetActiveXGuid(const std::string& function_call) {
  const std::string prog_id = IDtmActiveXInformation_GetActiveXProgId(function_call);
  com::Guid clsid;
  if (prog_id.empty() || !APIHelpers::ProgIdToClsid(services_.registry, prog_id, clsid)) return {};
  return APIHelpers::GuidToString(clsid);
}

std::string DTMMain::IDtmDocumentation_GetDocumentation(const std::string& function_call) {
  m_Context->GUIMan().ValidateGUIs();
  runtime::FunctionCall call;
  if (!call.Parse(function_call, *m_Context)) return {};
  return m_FunctionMan->IPrivateFunctions_GetDocumentation(*m_Context, call);
}

// ---- Parameters and transfers ---------------------------------------------------

std::string DTMMain::IDtmParameter_GetParameters(const std::string& parameter_path) {
  m_Context->GUIMan().ValidateGUIs();
  runtime::ParameterDocument document;
  return document.GetXML(*m_Context, parameter_path, runtime::ParameterDocument::kDataSet);
}

bool DTMMain::IDtmParameter_SetParameters(const std::string& parameter_path,
                                          const std::string& document) {
  runtime::Parameters& parameters = m_Context->Parameters();
  parameters.BeginChange();
  bool applied = false;
  try {
    runtime::ParameterDocument parameter_document;
    applied = parameter_document.SetXML(document, *m_Context, parameter_path,
                                        runtime::ParameterDocument::kDataSet);
  } catch (const com::ComError&) {
    applied = false;
  }
  parameters.EndChange();
  return applied;
}

bool DTMMain::StartWholeTransfer(const std::string& invoke_id, const std::string& parameter_path,
                                 bool download) {
  m_Context->GUIMan().ValidateGUIs();
  // A refused request must not disturb a transfer that runs: its flag and
  // busy count are given back.
  const bool other_running = (m_Context->ProcessMan().State() & 3) != 0;
  const bool previous_flag = up_download_all_;
  const std::int16_t previous_count = param_busy_counter_;
  auto undo = [&] {
    up_download_all_ = other_running && previous_flag;
    param_busy_counter_ = other_running ? previous_count : std::int16_t{0};
  };
  up_download_all_ = true;
  if (const auto monitor = ctlMonitor::Find(*m_Context)) {
    monitor->MonitorHeading("IFDT: " +
                            monitor->GetText(download ? "Download all parameters"
                                                      : "Upload all parameters") +
                            " (" + m_Context->SystemTag() + ")");
  }
  param_busy_counter_ = 0;

  if (download) {
    const std::int32_t state = m_Context->Parameters().DataSetState();
    if (state == 2 || state == 4) {
      // Nothing runs, so nothing would ever clear the transfer flag: later
      // page reads would count busy replies silently and lose their headings.
      undo();
      m_Context->MessageBox(m_Context->GetKeyText("cannot_start_incon_param_download"), 0);
      return false;
    }
  }
  auto sink = std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this());
  const bool started = m_Context->ProcessMan().StartProcess(invoke_id, parameter_path, download,
                                                            0, true, true, sink);
  if (!started) {
    undo();
    m_Context->MessageBox(m_Context->GetKeyText(download ? "cannot_start_param_download"
                                                         : "cannot_start_param_upload"),
                          0);
  }
  return started;
}

bool DTMMain::IDtmOnlineParameter_UploadRequest(const std::string& invoke_id,
                                                const std::string& parameter_path) {
  return StartWholeTransfer(invoke_id, parameter_path, false);
}

bool DTMMain::IDtmOnlineParameter_DownloadRequest(const std::string& invoke_id,
                                                  const std::string& parameter_path) {
  return StartWholeTransfer(invoke_id, parameter_path, true);
}

bool DTMMain::IDtmOnlineParameter_CancelAction(const std::string& invoke_id) {
  runtime::ProcessMan& processes = m_Context->ProcessMan();
  const std::int32_t kind = processes.StateOf(invoke_id);
  const bool cancelled = processes.CancelProcess(invoke_id);
  // The result class is a code, not a set of bits: only the busy class is
  // withdrawn, so write protection (0x300000) and the others stay as they are.
  constexpr std::int32_t kBusyClass = 0x200000;
  for (const DataElementPtr& element : m_Context->Parameters().Elements()) {
    const std::int32_t flags = element->IPrivateDataElement_StatusFlags();
    if ((flags & flags::kResponseClassMask) == kBusyClass) {
      element->IPrivateDataElement_StatusFlags(flags & ~flags::kResponseClassMask);
    }
  }
  m_Context->GUIMan().NotifyParameterSetChanged("");
  // The runtime reports no end of a cancelled process: the frame's comes from here.
  if (cancelled && kind != 0) EndWholeTransfer(invoke_id, kind == 2, false);
  return cancelled;
}

// ---- Frame events -------------------------------------------------------------

void DTMMain::IFdtCommunicationEvents_OnAbort(const std::string& invoke_id) {
  m_Context->CommMan().OnAbort(invoke_id);
}

void DTMMain::IFdtCommunicationEvents_OnConnectResponse(const std::string& invoke_id,
                                                        const std::string& response) {
  const com::Variant previous(std::int16_t{1});
  if (const auto monitor = ctlMonitor::Find(*m_Context)) {
    monitor->MonitorLine(
        monitor->GetText("*** Connect ***") + " (" + m_Context->SystemTag() + ")", previous);
  }
  m_Context->CommMan().OnConnectResponse(invoke_id, response);
  if (const auto monitor = ctlMonitor::Find(*m_Context);
      monitor && !m_Context->CommMan().ConnectOk()) {
    monitor->MonitorLine(monitor->GetText("*** Connect failed - repeat connect ***"), previous);
  }
}

void DTMMain::IFdtCommunicationEvents_OnDisconnectResponse(const std::string& invoke_id,
                                                           const std::string& response) {
  if (const auto monitor = ctlMonitor::Find(*m_Context)) {
    monitor->MonitorLine(
        monitor->GetText("*** Disconnect ***") + " (" + m_Context->SystemTag() + ")",
        com::Variant(std::int16_t{1}));
  }
  m_Context->CommMan().OnDisconnectResponse(invoke_id, response);
}

void DTMMain::IFdtCommunicationEvents_OnTransactionResponse(const std::string& invoke_id,
                                                            const std::string& response) {
  m_Context->CommMan().OnTransactionResponse(invoke_id, response);
}

void DTMMain::IFdtEvents_OnChildParameterChanged(const std::string& system_tag) {
  m_Context->Parameters().OnChildParameterChanged(system_tag);
}

void DTMMain::IFdtEvents_OnLockDataSet(const std::string& system_tag,
                                       const std::string& parameter_path) {
  m_Context->Parameters().OnLockDataSet(system_tag, parameter_path);
}

void DTMMain::IFdtEvents_OnParameterChanged(const std::string& system_tag,
                                            const std::string& parameter_path) {
  m_Context->Parameters().OnParameterChanged(system_tag, parameter_path);
}

bool DTMMain::IFdtEvents_OnUnlockDataSet(const std::string& system_tag,
                                         const std::string& parameter_path) {
  return m_Context->Parameters().OnUnlockDataSet(system_tag, parameter_path);
}

// ---- Process ends ---------------------------------------------------------------

void DTMMain::IPrivateProcess_OnProcessProgress(const std::string&, const com::Variant&,
                                                const com::Variant&) {}

void DTMMain::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                const std::optional<com::Variant>& success) {
  if (APIHelpers::IsSameText(process_id, m_ShutdownInvokeID)) {
    FinishShutdown();
    return;
  }
  // Only the whole transfers this instance runs end at the frame; any other
  // end (that of a shut-down the release has completed, or a second one) is
  // dropped.
  const std::int32_t kind = m_Context->ProcessMan().StateOf(process_id);
  if (kind == 0) return;
  bool succeeded = false;
  if (success.has_value()) {
    try {
      succeeded = success->ToBoolean();
    } catch (const com::ComError&) {
      succeeded = false;
    }
  }
  EndWholeTransfer(process_id, kind == 2, succeeded);
}

void DTMMain::EndRunningTransfers() {
  runtime::ProcessMan& processes = m_Context->ProcessMan();
  for (const std::string& id : processes.RunningTransfers()) {
    const bool download = processes.StateOf(id) == 2;
    if (processes.CancelProcess(id)) EndWholeTransfer(id, download, false);
  }
}

void DTMMain::EndWholeTransfer(const std::string& process_id, bool download, bool succeeded) {
  const char* busy_key = download ? "device_busy_download" : "device_busy_upload";

  // A frame that fails its notice must not leave the transfer flag set and
  // the busy count unreported: the rest runs, then the error goes on.
  std::exception_ptr frame_error;
  if (const auto& container = m_Context->Container()) {
    try {
      if (download) {
        container->DownloadFinished(process_id, succeeded);
      } else {
        container->UploadFinished(process_id, succeeded);
      }
    } catch (...) {
      frame_error = std::current_exception();
    }
  }
  if (param_busy_counter_ != 0) {
    m_Context->MessageBox(LanguageHelpers::GetLangText(*m_Context, busy_key,
                                                       com::Variant(param_busy_counter_)),
                          0);
    param_busy_counter_ = 0;
  }
  up_download_all_ = false;
  if (succeeded) SetDataStatus(std::int16_t{1});
  if (frame_error) std::rethrow_exception(frame_error);
}

void DTMMain::SetDataStatus(std::int16_t status) {
  const DataElementPtr element = m_Context->Parameters().Item("DataStatus");
  element->IPrivateDataElement_TransientValue(com::Variant(status));
  m_Context->GUIMan().NotifyParameterChanged(element, "");
}

// ---- Persistence ----------------------------------------------------------------

namespace {

[[noreturn]] void RefuseDataSet(const com::PropertyBag& bag, const std::string& why) {
  const std::string origin = bag.Origin();
  throw com::ComError(com::vb::kInvalidFileFormat,
                      (origin.empty() ? "data set" : origin) + ": " + why, "DTMMain");
}

// Refuses, before anything is taken, a bag that is no data set of this
// component (empty, or with entries none of its elements has) and one with
// an entry its element cannot take; names the first such entry.
void CheckDataSet(runtime::DTMContext& context, com::PropertyBag& bag) {
  const std::vector<DataElementPtr> elements = context.Parameters().Elements();
  // A bag that lists its entries is judged as a whole too, in one pass.
  if (const auto* listed = dynamic_cast<const com::MemoryPropertyBag*>(&bag)) {
    if (listed->Entries().empty()) RefuseDataSet(bag, "an empty data set, without any entry");
    std::unordered_set<std::string> keys;
    for (const DataElementPtr& item : elements) {
      const std::string name = item->IPrivateDataElement_Name();
      keys.insert({name, name + ".Unit", name + ".Flags"});
    }
    for (const auto& entry : listed->Entries()) {
      if (!keys.contains(entry.first)) {
        RefuseDataSet(bag, "a data set of another component (its entry " + entry.first +
                               " is none of this component's)");
      }
    }
  }
  bool any = false;
  for (const DataElementPtr& item : elements) {
    const auto element = std::dynamic_pointer_cast<clsDataElement>(item);
    if (!element) continue;
    const DataSetEntriesCheck check = CheckDataSetEntries(*element, bag, context);
    if (check.fault) RefuseDataSet(bag, *check.fault);
    any = any || check.present;
  }
  if (!any) {
    RefuseDataSet(bag, "a data set of another component (none of its entries belongs to this "
                       "component's data set)");
  }
}

}  // namespace

void DTMMain::Class_InitProperties() {}

void DTMMain::WriteDataSetLines(const std::string& phrase) {
  const auto monitor = ctlMonitor::Find(*m_Context);
  if (!monitor) return;
  for (const DataElementPtr& item : m_Context->Parameters().Elements()) {
    // A value that has no text form costs its own line only.
    try {
      if ((item->IPrivateDataElement_ElementMode() & mode::kStored) == 0) continue;
      const auto element = std::dynamic_pointer_cast<clsDataElement>(item);
      const std::string prompt = element ? element->Prompt : item->IPrivateDataElement_Name();
      const com::Variant value = item->IPrivateDataElement_PersistentValue();
      const std::string text =
          value.IsEmpty() ? std::string("Empty") : ctlMonitor::ValueText(value);
      monitor->MonitorLine(monitor->GetText(phrase) + prompt + " = " + text);
    } catch (const com::ComError&) {
    }
  }
}

void DTMMain::Class_ReadProperties(com::PropertyBag& bag) {
  // The check needs the elements; a model that already exists is judged
  // before it is built anew, so a refused set changes nothing.
  const bool built = m_Context->Parameters().Elements().empty();
  if (built) m_DataModel->IPrivateDataModel_CreateModel(*m_Context);
  CheckDataSet(*m_Context, bag);
  if (!built) m_DataModel->IPrivateDataModel_CreateModel(*m_Context);
  if (const auto monitor = ctlMonitor::Find(*m_Context)) {
    monitor->MonitorHeading("IFDT: " + monitor->GetText("Read instance database") + " (" +
                            m_Context->SystemTag() + ")");
  }
  m_Context->ReadProperties(bag);
  WriteDataSetLines("DB-read ");
  SetDataStatus(std::int16_t{0});
}

void DTMMain::Class_WriteProperties(com::PropertyBag& bag) {
  m_Context->GUIMan().ValidateGUIs();
  const std::string tag = " (" + m_Context->SystemTag() + ")";
  if (const auto monitor = ctlMonitor::Find(*m_Context)) {
    monitor->MonitorHeading("IFDT: " + monitor->GetText("Write instance database") + tag);
    monitor->MonitorLine(monitor->GetText("*** Lock instance ***") + tag);
  }
  // The bag is to hold the data set and nothing else: no entry of an
  // earlier save or load outlives it.
  if (auto* listed = dynamic_cast<com::MemoryPropertyBag*>(&bag)) listed->Clear();
  m_Context->WriteProperties(bag);
  WriteDataSetLines("DB-write ");
  if (const auto monitor = ctlMonitor::Find(*m_Context)) {
    monitor->MonitorLine(monitor->GetText("*** Unlock instance ***") + tag);
  }
  SetDataStatus(std::int16_t{0});
}

}  // namespace dtm
