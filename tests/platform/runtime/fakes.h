#pragma once
// Stand-ins for the component side of the runtime: a data model, data
// elements, pages, process sinks, a DTM that hands the frame's answers on,
// and a frame channel. They record what the runtime calls them with; fakes
// that share one CallLog show the order across objects.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/interfaces/fdt.h"
#include "component/interfaces/private.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/services.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"
#include "tests/testing/surroundings.h"

namespace dtm::runtime::fakes {

using CallLog = std::vector<std::string>;

inline std::string Text(bool value) { return value ? "true" : "false"; }

// A data element with plain fields. Its bag entry is its name holding the
// persistent value.
class FakeElement final : public IPrivateDataElement {
 public:
  explicit FakeElement(std::string name, CallLog* log = nullptr)
      : name_(std::move(name)), log_(log) {}

  std::string IPrivateDataElement_Name() const override { return name_; }
  void IPrivateDataElement_Name(const std::string& value) override { name_ = value; }
  std::int32_t IPrivateDataElement_ValueType() const override { return value_type; }
  void IPrivateDataElement_ValueType(std::int32_t value) override { value_type = value; }
  std::int32_t IPrivateDataElement_ValueTypeLength() const override { return value_length; }
  void IPrivateDataElement_ValueTypeLength(std::int32_t value) override { value_length = value; }
  std::int32_t IPrivateDataElement_StatusFlags() const override { return status_flags; }
  void IPrivateDataElement_StatusFlags(std::int32_t value) override { status_flags = value; }
  std::int32_t IPrivateDataElement_ElementMode() const override { return element_mode; }
  void IPrivateDataElement_ElementMode(std::int32_t value) override { element_mode = value; }
  com::Variant IPrivateDataElement_TransientValue() const override { return transient; }
  void IPrivateDataElement_TransientValue(const com::Variant& value) override { transient = value; }
  com::Variant IPrivateDataElement_PersistentValue() const override { return persistent; }
  void IPrivateDataElement_PersistentValue(const com::Variant& value) override {
    persistent = value;
  }
  com::Variant IPrivateDataElement_DeviceValue() const override { return device; }
  void IPrivateDataElement_DeviceValue(const com::Variant& value) override { device = value; }

  bool IPrivateDataElement_InitNew(const com::Variant&, const com::Variant&) override {
    Log("InitNew");
    persistent = initial;
    return true;
  }
  bool IPrivateDataElement_ReadFromPropBag(com::PropertyBag& bag, DTMContext&) override {
    Log("Read");
    if (fail_read) throw com::ComError(321, "Invalid file format", name_);
    persistent = bag.ReadProperty(name_);
    return true;
  }
  bool IPrivateDataElement_WriteToPropBag(com::PropertyBag& bag, const com::Variant&) override {
    Log("Write");
    bag.WriteProperty(name_, persistent);
    return true;
  }
  bool IPrivateDataElement_ReadFromDtmVariable(const xml::Node&, DTMContext&) override {
    return false;
  }
  bool IPrivateDataElement_WriteToDtmVariable(const xml::Node&, DTMContext&) override {
    return false;
  }
  bool IPrivateDataElement_WriteToDocVariable(const xml::Node&, DTMContext&) override {
    return false;
  }
  bool IPrivateDataElement_IsUploadParam(const com::Variant&) override { return upload; }
  bool IPrivateDataElement_IsDownloadParam(DTMContext&) override { return download; }
  bool IPrivateDataElement_IsDeviceCommand(DTMContext&) override { return device_command; }
  std::int32_t IPrivateDataElement_NestProcessLevel() const override { return nest_level; }
  void IPrivateDataElement_NestProcessLevel(std::int32_t value) override { nest_level = value; }

  std::int32_t value_type = 0;
  std::int32_t value_length = 0;
  std::int32_t status_flags = 0;
  std::int32_t element_mode = 0;
  std::int32_t nest_level = 0;
  com::Variant transient, persistent, device;
  com::Variant initial;  // what InitNew gives the persistent value
  bool fail_read = false;
  // What the element answers a process asking whether it takes part.
  bool upload = false;
  bool download = false;
  bool device_command = false;

 private:
  void Log(const std::string& what) {
    if (log_) log_->push_back(name_ + "." + what);
  }
  std::string name_;
  CallLog* log_;
};

inline std::shared_ptr<FakeElement> MakeElement(const std::string& name, CallLog* log = nullptr) {
  return std::make_shared<FakeElement>(name, log);
}

// The data model: records each call as "Model.<Call>(<argument>)".
class FakeDataModel final : public IPrivateDataModel {
 public:
  explicit FakeDataModel(CallLog& log) : log_(log) {}

  std::string IPrivateDataModel_DTMName() override { return "Fake DTM"; }
  std::string IPrivateDataModel_DTMVendor() override { return "Fake vendor"; }
  std::string IPrivateDataModel_DTMVersion() override { return "1.0"; }
  com::DateValue IPrivateDataModel_DTMDate() override { return {}; }
  std::string IPrivateDataModel_DTMDescriptor() override { return "Fake"; }
  void IPrivateDataModel_CreateModel(DTMContext&) override { log_.push_back("Model.CreateModel"); }
  void IPrivateDataModel_SetLanguage(DTMContext&, std::int32_t language_id) override {
    log_.push_back("Model.SetLanguage(" + std::to_string(language_id) + ")");
  }
  void IPrivateDataModel_DataChanged(const DataElementPtr& element, DTMContext& context) override {
    log_.push_back("Model.DataChanged(" + element->IPrivateDataElement_Name() + ")");
    if (on_data_changed) on_data_changed(element, context);
  }
  void IPrivateDataModel_DataSetChanged(DTMContext& context) override {
    log_.push_back("Model.DataSetChanged");
    if (on_data_set_changed) on_data_set_changed(context);
  }
  bool IPrivateDataModel_BuildTransactionRequest(DTMContext& context, HartTransaction& transaction,
                                                 bool write,
                                                 const DataElementPtr& element) override {
    return on_build && on_build(context, transaction, write, element);
  }
  bool IPrivateDataModel_ReadTransactionResponse(DTMContext& context, HartTransaction& transaction,
                                                 bool write,
                                                 const DataElementPtr& element) override {
    return on_read && on_read(context, transaction, write, element);
  }

  // Run inside DataChanged and DataSetChanged, as the model's rules do.
  std::function<void(const DataElementPtr&, DTMContext&)> on_data_changed;
  std::function<void(DTMContext&)> on_data_set_changed;
  // The coding of transactions; without them nothing is built or read.
  using TransactionHook =
      std::function<bool(DTMContext&, HartTransaction&, bool write, const DataElementPtr&)>;
  TransactionHook on_build;
  TransactionHook on_read;

 private:
  CallLog& log_;
};

// A page: records each call as "<name>.<Call>(<argument>)".
class FakePage final : public IPrivateGUI {
 public:
  FakePage(std::string name, CallLog& log) : name_(std::move(name)), log_(log) {}

  bool IPrivateGUI_CloseGUI() override {
    Log("CloseGUI");
    if (on_close) on_close();
    return close_answer;
  }
  void IPrivateGUI_LockStateChanged(bool locked) override {
    Log("LockStateChanged(" + Text(locked) + ")");
  }
  void IPrivateGUI_ParameterChanged(const DataElementPtr& element) override {
    Log("ParameterChanged(" + element->IPrivateDataElement_Name() + ")");
    if (on_notice) on_notice();
    if (on_element) on_element(element);
  }
  void IPrivateGUI_ParameterSetChanged() override {
    Log("ParameterSetChanged");
    if (on_notice) on_notice();
  }
  void IPrivateGUI_ValidateParameters() override { Log("ValidateParameters"); }
  void IPrivateGUI_SetLanguage(std::int32_t language_id) override {
    Log("SetLanguage(" + std::to_string(language_id) + ")");
  }

  bool close_answer = true;
  std::function<void()> on_close;   // runs inside CloseGUI, before it answers
  std::function<void()> on_notice;  // runs inside a parameter notice
  // Runs inside an element's notice, after on_notice.
  std::function<void(const DataElementPtr&)> on_element;

 private:
  void Log(const std::string& what) { log_.push_back(name_ + "." + what); }
  std::string name_;
  CallLog& log_;
};

// A process sink: records "<name>.Finished(<id>,<success>)".
class FakeProcessSink final : public IPrivateProcess {
 public:
  FakeProcessSink(std::string name, CallLog& log) : name_(std::move(name)), log_(log) {}

  void IPrivateProcess_OnProcessProgress(const std::string& process_id, const com::Variant&,
                                         const com::Variant&) override {
    log_.push_back(name_ + ".Progress(" + process_id + ")");
  }
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& success) override {
    const std::string result = !success ? "missing" : success->ToString();
    log_.push_back(name_ + ".Finished(" + process_id + "," + result + ")");
    if (on_finished) on_finished();
  }

  std::function<void()> on_finished;

 private:
  std::string name_;
  CallLog& log_;
};

// The frame's channel: records the requests and answers them as scripted.
// Tests play the frame's answers themselves, through the DTM.
class FakeChannel final : public com::Object, public IFdtCommunication {
 public:
  explicit FakeChannel(CallLog& log) : log_(log) {}

  bool ConnectRequest(const std::shared_ptr<IFdtCommunicationEvents>& events,
                      const std::string& invoke_id, const std::string&) override {
    log_.push_back("Channel.ConnectRequest(" + invoke_id + ")");
    callback = events;
    return connect_answer;
  }
  bool DisconnectRequest(const std::string& invoke_id, const std::string&) override {
    log_.push_back("Channel.DisconnectRequest");
    disconnect_ids.push_back(invoke_id);
    return disconnect_answer;
  }
  bool TransactionRequest(const std::string& invoke_id, const std::string&) override {
    log_.push_back("Channel.TransactionRequest(" + invoke_id + ")");
    return false;
  }
  bool Abort(const std::string& invoke_id) override {
    log_.push_back("Channel.Abort(" + invoke_id + ")");
    return true;
  }

  bool connect_answer = true;
  bool disconnect_answer = true;
  std::shared_ptr<IFdtCommunicationEvents> callback;
  std::vector<std::string> disconnect_ids;

 private:
  CallLog& log_;
};

// The DTM as far as the runtime needs one: it hands the frame's
// communication answers to its context's CommMan, as the real DTM does.
class FakeDtm final : public com::Object, public IFdtCommunicationEvents {
 public:
  void IFdtCommunicationEvents_OnAbort(const std::string& invoke_id) override {
    context->CommMan().OnAbort(invoke_id);
  }
  void IFdtCommunicationEvents_OnConnectResponse(const std::string& invoke_id,
                                                 const std::string& response) override {
    context->CommMan().OnConnectResponse(invoke_id, response);
  }
  void IFdtCommunicationEvents_OnDisconnectResponse(const std::string& invoke_id,
                                                    const std::string& response) override {
    context->CommMan().OnDisconnectResponse(invoke_id, response);
  }
  void IFdtCommunicationEvents_OnTransactionResponse(const std::string& invoke_id,
                                                     const std::string& response) override {
    context->CommMan().OnTransactionResponse(invoke_id, response);
  }

  DTMContext* context = nullptr;
};

// One DTM instance's runtime on fake surroundings: the virtual clock and
// loop, recording messages and shell, an in-memory registry. The context is
// bound to a FakeDtm, a FakeDataModel writing to log_ and a CommObject.
class RuntimeFixture : public ::testing::Test, protected dtm::testing::FakeSurroundings {
 protected:
  RuntimeFixture() : FakeSurroundings(std::filesystem::path()) {
    dtm_->context = context_.get();
    context_->Init(dtm_, model_, comm_object_, nullptr);
  }

  CallLog log_;
  std::shared_ptr<FakeDataModel> model_ = std::make_shared<FakeDataModel>(log_);
  std::shared_ptr<CommObject> comm_object_ = std::make_shared<CommObject>();
  std::shared_ptr<FakeDtm> dtm_ = std::make_shared<FakeDtm>();
  std::shared_ptr<DTMContext> context_ = std::make_shared<DTMContext>(services_);
};

}  // namespace dtm::runtime::fakes
