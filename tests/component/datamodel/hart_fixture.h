#pragma once
// A DTM instance whose data model codes and reads HART transactions: the
// dictionary's elements by path, elements of the tests' own, transactions
// built and answered by hand, the monitor page, a page that records the
// change notices, and whole transfers through the frame's channel.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "component/datamodel/data_model_helpers.h"
#include "component/ui/framework/ctl_monitor.h"
#include "platform/com/variant.h"
#include "platform/runtime/context.h"
#include "platform/runtime/hart_frame.h"
#include "platform/runtime/hart_transaction.h"
#include "tests/component/datamodel/element_fixture.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing::hart {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;
using element::Show;

// Request or response data as the tests write it: nullopt stands for Empty.
inline std::optional<Bytes> DataOf(const com::Variant& data) {
  if (data.IsEmpty()) return std::nullopt;
  return data.Bytes();
}

inline com::Variant AsData(const std::optional<Bytes>& bytes) {
  return bytes ? com::Variant(*bytes) : com::Variant();
}

// Records the paths of the elements the open pages hear of.
class NoticePage final : public com::Object, public IPrivateGUI {
 public:
  bool IPrivateGUI_CloseGUI() override { return true; }
  void IPrivateGUI_LockStateChanged(bool) override {}
  void IPrivateGUI_ParameterChanged(const DataElementPtr& element) override {
    notices.push_back(element->IPrivateDataElement_Name());
  }
  void IPrivateGUI_ParameterSetChanged() override {}
  void IPrivateGUI_ValidateParameters() override {}
  void IPrivateGUI_SetLanguage(std::int32_t) override {}

  std::vector<std::string> notices;
};

class HartFixture : public DtmFixture {
 protected:
  void SetUp() override {
    SetUpInstance();
    Context().GUIMan().RegisterGUI("notices", notices_, true);
  }

  clsDataModel& Model() {
    auto model = std::dynamic_pointer_cast<clsDataModel>(Context().DataModel());
    EXPECT_NE(model, nullptr);
    return *model;
  }

  DataElementPtr Ptr(const std::string& path) { return Context().Parameters().Item(path); }

  clsDataElement& Element(const std::string& path) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(Ptr(path));
    EXPECT_NE(element, nullptr) << path;
    return *element;
  }

  // An element of the test's own, with the dictionary's defaults (no
  // commands, no positions, whole-byte mask, packed text).
  clsDataElement& Add(const std::string& path, std::int32_t value_type,
                      std::int32_t value_type_length = -1) {
    return *DataModelHelpers::AddDataElement(Context().Parameters(), path, com::Variant(),
                                             value_type, value_type_length);
  }

  // "T/Probe" of `value_type`: read command 200 and write command 201, the
  // index byte 0x07 at request byte 0 and the value at response byte 1 of
  // either; its values start as texts no response gives.
  clsDataElement& Probe(std::int32_t value_type = kVtUInt8, std::int32_t length = -1) {
    clsDataElement& element = Add("T/Probe", value_type, length);
    element.HARTParamReadCommand = 200;
    element.HARTParamWriteCommand = 201;
    element.IndexRequestPosition = 0;
    element.nParamIndex = 0x07;
    element.ReadResponsePosition = 1;
    element.WriteResponsePosition = 1;
    element.Prompt = "Probe";
    element.TransientValue = "before";
    element.DeviceValue = "device";
    element.PersistentValue = "stored";
    return element;
  }

  // The request the data model builds for `path`; the test fails when it is
  // not built.
  std::shared_ptr<runtime::HartTransaction> Request(const std::string& path, bool write) {
    auto transaction = std::make_shared<runtime::HartTransaction>();
    EXPECT_TRUE(Model().IPrivateDataModel_BuildTransactionRequest(Context(), *transaction, write,
                                                                  Ptr(path)))
        << path;
    return transaction;
  }

  // A transaction for `path` as the runtime hands it back with the device's
  // answer.
  static std::shared_ptr<runtime::HartTransaction> Answered(std::int32_t command,
                                                            std::int32_t response_code,
                                                            std::int32_t device_status,
                                                            const std::optional<Bytes>& data) {
    auto transaction = std::make_shared<runtime::HartTransaction>();
    transaction->Command = com::Variant(static_cast<std::int16_t>(command));
    transaction->ResponseCode = com::Variant(static_cast<std::uint8_t>(response_code));
    transaction->DeviceStatus = com::Variant(static_cast<std::uint8_t>(device_status));
    transaction->CommStatus = com::Variant(std::uint8_t{0});
    transaction->ResponseData = AsData(data);
    return transaction;
  }

  // Reads the device's answer into `path`, its read command for a read and
  // its write command for a write.
  bool Respond(const std::string& path, bool write, std::int32_t response_code,
               const std::optional<Bytes>& data, std::int32_t device_status = 0) {
    const clsDataElement& element = Element(path);
    const auto transaction =
        Answered(write ? element.HARTParamWriteCommand : element.HARTParamReadCommand,
                 response_code, device_status, data);
    return Respond(path, write, *transaction);
  }
  bool Respond(const std::string& path, bool write, runtime::HartTransaction& transaction) {
    return Model().IPrivateDataModel_ReadTransactionResponse(Context(), transaction, write,
                                                             Ptr(path));
  }

  // Opens the monitor page, in English.
  ctlMonitor& OpenMonitor() {
    EXPECT_TRUE(dtm_->IDtm_SetLanguage(1033));
    Context().GUIMan().RegisterGUI("monitor", monitor_, true);
    dtm_->SetMonitorInvokeID("monitor");
    monitor_->FillPhraseTable(Context());
    return *monitor_;
  }
  Lines MonitorLines() const { return {monitor_->Lines().begin(), monitor_->Lines().end()}; }

  std::vector<runtime::RecordingMessageSink::Entry> Boxes() const {
    std::vector<runtime::RecordingMessageSink::Entry> boxes;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) boxes.push_back(entry);
    }
    return boxes;
  }

  // The device behind the channel answers every request with
  // `answer(command, request data)`; each answer takes `latency` on the line.
  void ConnectDevice(std::function<runtime::HartResponse(const runtime::HartRequest&)> answer,
                     loop::Clock::Duration latency = {}) {
    OpenConnection();
    channel_->SetTransactionLatency(latency);
    channel_->SetTransactionHandler(
        [answer = std::move(answer)](const std::string& document) -> std::optional<std::string> {
          runtime::HartRequest request;
          if (!runtime::ParseTransactionRequestXml(document, request)) return std::nullopt;
          return runtime::BuildTransactionResponseXml(answer(request));
        });
  }

  // Runs `path` as one transfer to its end; the results' statuses.
  std::vector<std::int32_t> Transfer(const std::string& path, bool write) {
    bool finished = false;
    Context().CommMan().StartTransfer("transfer", {runtime::TransferItem{Ptr(path), write}},
                                      [&](bool) { finished = true; });
    loop_.RunUntil([&] { return finished; });
    EXPECT_TRUE(finished);
    std::vector<std::int32_t> statuses;
    for (const auto& result : Context().CommMan().GetResults("transfer")) {
      statuses.push_back(result.Status);
    }
    return statuses;
  }

  std::size_t TransactionRequests() const {
    std::size_t count = 0;
    for (const auto& request : channel_->Requests()) {
      if (request.kind == "TransactionRequest") ++count;
    }
    return count;
  }

  std::shared_ptr<NoticePage> notices_ = std::make_shared<NoticePage>();
  std::shared_ptr<ctlMonitor> monitor_ = std::make_shared<ctlMonitor>();
};

inline runtime::HartResponse Reply(std::uint8_t command, std::uint8_t code, Bytes data = {},
                                   std::uint8_t device_status = 0) {
  runtime::HartResponse response;
  response.command = command;
  response.response_code = code;
  response.device_status = device_status;
  response.data = std::move(data);
  return response;
}

}  // namespace dtm::testing::hart
