#include "platform/runtime/comm.h"

#include <algorithm>
#include <charconv>

#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/hart_frame.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {

namespace {

constexpr const char* kConnectRequest = "<FDT><ConnectRequest/></FDT>";
constexpr const char* kDisconnectRequest = "<FDT><DisconnectRequest/></FDT>";

// What a connect response says. The frame answers
//   <FDT><ConnectResponse result="ok" manufacturerCode="165" deviceTypeCode="70"/></FDT>
// or result="error"; a response that cannot be read is an error too.
struct ConnectAnswer {
  bool ok = false;
  std::int32_t manufacturer_code = -1;
  std::int32_t device_type_code = -1;
};

std::int32_t CodeOf(const xml::Node& node, const char* name) {
  const std::optional<std::string> text = node.Attribute(name);
  std::int32_t code = -1;
  if (!text) return code;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), code);
  if (error != std::errc() || end != text->data() + text->size()) return -1;
  return code;
}

ConnectAnswer ParseConnectResponse(const std::string& response) {
  ConnectAnswer answer;
  xml::Document document;
  if (!document.LoadXml(response)) return answer;
  const xml::Node node = document.SelectSingleNode("//*[local-name()='ConnectResponse']");
  if (!node || node.Attribute("result").value_or("") != "ok") return answer;
  answer.ok = true;
  answer.manufacturer_code = CodeOf(node, "manufacturerCode");
  answer.device_type_code = CodeOf(node, "deviceTypeCode");
  return answer;
}

std::shared_ptr<IFdtCommunication> ChannelOf(const com::ObjectPtr& communication, bool attached) {
  return attached ? com::QueryInterface<IFdtCommunication>(communication) : nullptr;
}

// The end of an asynchronous disconnect reaches its sink from the loop,
// never inside the frame's call that brought it.
void PostDisconnectEnd(loop::EventLoop& loop, const std::string& invoke_id,
                       std::weak_ptr<IPrivateProcess> weak_sink) {
  if (weak_sink.expired()) return;
  loop.Post([invoke_id, weak_sink = std::move(weak_sink)] {
    const auto sink = weak_sink.lock();
    if (sink) sink->IPrivateProcess_OnProcessFinished(invoke_id, com::Variant(true));
  });
}

std::string NewInvokeId(const Services& services) {
  com::Guid guid;
  services.guids.CreateGuid(guid);
  return guid.ToString();
}

// The elements' flags that say their last transaction found no line.
constexpr std::int32_t kCommunicationErrorBits = 0xF0000;

// The request the data model filled; nullopt when it holds no command of
// 0..255 (the model then has nothing to send). RequestData that is neither
// Empty nor a byte array raises Type mismatch.
std::optional<HartRequest> RequestOf(const HartTransaction& transaction) {
  if (transaction.Command.IsEmpty()) return std::nullopt;
  const std::int32_t command = transaction.Command.ToLong();
  if (command < 0 || command > 255) return std::nullopt;
  HartRequest request;
  request.command = static_cast<std::uint8_t>(command);
  if (!transaction.RequestData.IsEmpty()) request.data = transaction.RequestData.Bytes();
  return request;
}

// The frame's answer into the transaction; a document that cannot be read
// counts as an answer without response code (the device said nothing).
void ReadResponseInto(TransactionDocumentReader& reader, const std::string& document,
                      HartTransaction& transaction) {
  transaction.ResponseCode = com::Variant();
  transaction.DeviceStatus = com::Variant();
  transaction.CommStatus = com::Variant(std::uint8_t{0});
  transaction.ResponseData = com::Variant();
  HartResponse response;
  if (!reader.ReadResponse(document, response)) return;
  transaction.CommStatus = com::Variant(response.comm_status);
  if (response.response_code) {
    transaction.ResponseCode = com::Variant(*response.response_code);
    transaction.DeviceStatus = com::Variant(response.device_status);
  }
  if (!response.data.empty()) transaction.ResponseData = com::Variant(response.data);
}

}  // namespace

void CommObject::SetIdentity(std::int32_t manufacturer_code, std::int32_t device_type_code) {
  manufacturer_code_ = manufacturer_code;
  device_type_code_ = device_type_code;
}

bool CommObject::RaiseConnectionIsValidated() {
  bool accept = false;
  if (ConnectionIsValidated) ConnectionIsValidated(accept);
  return accept;
}

CommMan::~CommMan() {
  // The posted tasks hold this manager.
  CancelTask(pump_task_);
  CancelTask(timeout_task_);
  CancelTask(connect_timeout_task_);
}

void CommMan::SetCommunication(const com::ObjectPtr& communication) {
  if (attached_ && communication != communication_) Detach();
  communication_ = communication;
}

bool CommMan::Attach() {
  attached_ = com::QueryInterface<IFdtCommunication>(communication_) != nullptr;
  return attached_;
}

void CommMan::Detach() {
  // Without the channel no connection can stand; it ends as if lost.
  if (state_ != State::kClosed) OnAbort(connect_id_);
  attached_ = false;
}

void CommMan::SetSupportedIdentity(std::int32_t manufacturer_code, std::int32_t device_type_code) {
  supported_manufacturer_ = manufacturer_code;
  supported_device_type_ = device_type_code;
}

std::shared_ptr<IFdtCommunication> CommMan::Online() const {
  return IsConnected() ? ChannelOf(communication_, attached_) : nullptr;
}

bool CommMan::Connect(const std::string& invoke_id) {
  const auto channel = ChannelOf(communication_, attached_);
  if (!channel || state_ != State::kClosed) return false;
  // The frame answers the DTM, which hands the answer back to us.
  const auto callback = std::dynamic_pointer_cast<IFdtCommunicationEvents>(context_.DTM());
  if (!callback) return false;
  state_ = State::kConnecting;
  connect_id_ = invoke_id;
  if (!channel->ConnectRequest(callback, invoke_id, kConnectRequest)) {
    state_ = State::kClosed;
    connect_id_.clear();
    return false;
  }
  return true;
}

bool CommMan::Disconnect() {
  if (state_ == State::kClosed) return true;
  if (state_ == State::kDisconnecting) {
    // The frame already has our request; stop waiting for its answer.
    state_ = State::kClosed;
    PostDisconnectEnd(context_.GetServices().loop, disconnect_id_, std::move(disconnect_sink_));
    disconnect_id_.clear();
    ConnectionEnded();
    return true;
  }
  const auto channel = ChannelOf(communication_, attached_);
  if (!channel ||
      !channel->DisconnectRequest(NewInvokeId(context_.GetServices()), kDisconnectRequest)) {
    return false;
  }
  state_ = State::kClosed;
  connect_id_.clear();  // a late connect answer finds nothing to complete
  ConnectionEnded();
  return true;
}

bool CommMan::StartDisconnect(const std::string& invoke_id, std::shared_ptr<IPrivateProcess> sink) {
  const auto channel = ChannelOf(communication_, attached_);
  if (!channel || state_ != State::kOpen) return false;
  state_ = State::kDisconnecting;
  disconnect_id_ = invoke_id;
  disconnect_sink_ = std::move(sink);
  if (!channel->DisconnectRequest(invoke_id, kDisconnectRequest)) {
    state_ = State::kOpen;
    disconnect_id_.clear();
    disconnect_sink_.reset();
    return false;
  }
  return true;
}

void CommMan::OnConnectResponse(const std::string& invoke_id, const std::string& response) {
  if (state_ != State::kConnecting || invoke_id != connect_id_) return;
  if (invoke_id == demand_connect_id_) {
    CancelTask(connect_timeout_task_);
    demand_connect_id_.clear();
  }
  ApplyConnectResponse(response);
  // A transfer may be waiting for this connection.
  if (!transfers_.empty()) SchedulePump();
}

void CommMan::ApplyConnectResponse(const std::string& response) {
  const ConnectAnswer answer = ParseConnectResponse(response);
  if (!answer.ok) {
    state_ = State::kClosed;
    connect_id_.clear();
    return;
  }
  state_ = State::kOpen;

  bool accepted = false;
  if (const auto& comm_object = context_.CommObject()) {
    comm_object->SetIdentity(answer.manufacturer_code, answer.device_type_code);
    accepted = comm_object->RaiseConnectionIsValidated();
  }
  // The handler may have ended the connection itself.
  if (state_ != State::kOpen) return;
  const bool any_device = supported_manufacturer_ < 0 && supported_device_type_ < 0;
  const bool supported = answer.manufacturer_code == supported_manufacturer_ &&
                         answer.device_type_code == supported_device_type_;
  if (any_device || supported || accepted) return;

  // Another device, and the DTM did not take it: no connection to it stands.
  if (const auto channel = ChannelOf(communication_, attached_)) {
    channel->DisconnectRequest(NewInvokeId(context_.GetServices()), kDisconnectRequest);
  }
  state_ = State::kClosed;
  connect_id_.clear();
}

void CommMan::OnDisconnectResponse(const std::string& invoke_id, const std::string&) {
  if (state_ != State::kDisconnecting || invoke_id != disconnect_id_) return;
  state_ = State::kClosed;
  connect_id_.clear();
  disconnect_id_.clear();
  PostDisconnectEnd(context_.GetServices().loop, invoke_id, std::move(disconnect_sink_));
  ConnectionEnded();
}

void CommMan::OnAbort(const std::string&) {
  // The frame lost the connection, whatever request the id names.
  if (state_ == State::kClosed) return;
  const std::string pending_id = std::move(disconnect_id_);
  std::weak_ptr<IPrivateProcess> pending_sink = std::move(disconnect_sink_);
  state_ = State::kClosed;
  connect_id_.clear();
  disconnect_id_.clear();
  disconnect_sink_.reset();
  PostDisconnectEnd(context_.GetServices().loop, pending_id, std::move(pending_sink));
  // A connection that breaks while nobody ends it is worth telling the user.
  if (pending_id.empty()) {
    const com::Variant text = context_.Dictionary().GetValue("DTMruntime", "comm_con_aborted", "text");
    context_.ShowError(text.IsEmpty() ? std::string("comm_con_aborted") : text.ToString());
  }
  ConnectionEnded();
}

void CommMan::OnTransactionResponse(const std::string& invoke_id, const std::string& response) {
  if (in_flight_id_.empty() || invoke_id != in_flight_id_ || transfers_.empty() || !prepared_) {
    return;
  }
  CancelTask(timeout_task_);
  in_flight_id_.clear();
  Transfer& transfer = transfers_.front();
  const TransferItem item = transfer.items[transfer.next];
  const std::shared_ptr<HartTransaction> transaction = prepared_->transaction;
  ReadResponseInto(reader_, response, *transaction);
  // A reply without a response code means the device said nothing: that is
  // a communication failure, not an answer.
  const bool answered = !transaction->ResponseCode.IsEmpty();
  const std::int32_t status = answered ? 0 : kCommunicationFailure;
  // The line worked: whatever a page marked as a communication failure is over.
  if (item.element && answered) {
    item.element->IPrivateDataElement_StatusFlags(item.element->IPrivateDataElement_StatusFlags() &
                                                  ~kCommunicationErrorBits);
  }
  SchedulePump();

  repeat_requested_ = false;
  reading_ = true;
  // Until the read returns, the value counts as not taken.
  read_outcome_ = ResultOutcome::kRefused;
  reported_outcome_ = ResultOutcome::kAccepted;
  try {
    if (const auto model = context_.DataModel()) {
      // What the model changes while it decodes comes from the device: the
      // data model's rules read the state flag to tell it from an edit.
      Parameters& parameters = context_.Parameters();
      const std::int32_t previous_flag = parameters.StateFlag();
      parameters.SetStateFlag(1);
      try {
        model->IPrivateDataModel_ReadTransactionResponse(context_, *transaction, item.write,
                                                         item.element);
      } catch (...) {
        parameters.SetStateFlag(previous_flag);
        throw;
      }
      parameters.SetStateFlag(previous_flag);
    }
    read_outcome_ = reported_outcome_;
  } catch (const std::exception& error) {
    // The error ends this transaction, refused (the value was not taken);
    // the transfer goes on with the next element.
    reading_ = false;
    prepared_.reset();
    read_outcome_ = ResultOutcome::kRefused;
    ReportTransactionError(item, error);
    EndElement(transfer, status);
    SchedulePump();
    return;
  }
  reading_ = false;
  SchedulePump();
  // A repeat keeps the prepared request: the pump sends it again.
  if (repeat_requested_ && !transfer.cancelled) return;
  prepared_.reset();
  EndElement(transfer, status);
}

CommMan::TransferId CommMan::StartTransfer(const std::string& process_id,
                                           std::vector<TransferItem> items,
                                           std::function<void(bool success)> done) {
  Transfer transfer;
  transfer.id = next_transfer_id_++;
  transfer.process_id = process_id;
  transfer.items = std::move(items);
  transfer.results = std::make_shared<std::vector<ProcessResult>>();
  transfer.done = std::move(done);
  results_[process_id] = transfer.results;
  transfers_.push_back(std::move(transfer));
  SchedulePump();
  return transfers_.back().id;
}

bool CommMan::CancelTransfer(TransferId transfer) {
  const auto it = std::find_if(transfers_.begin(), transfers_.end(),
                               [&](const Transfer& t) { return t.id == transfer; });
  if (it == transfers_.end() || it->cancelled) return false;
  if (it != transfers_.begin()) {
    transfers_.erase(it);
    return true;
  }
  // The one sending: a transaction in flight ends first, the pump drops it then.
  it->cancelled = true;
  if (in_flight_id_.empty()) SchedulePump();
  return true;
}

std::vector<ProcessResult> CommMan::GetResults(const std::string& process_id) const {
  const auto it = results_.find(process_id);
  return it == results_.end() ? std::vector<ProcessResult>{} : *it->second;
}

void CommMan::ClearResults(const std::string& process_id) { results_.erase(process_id); }

std::vector<CommMan::QueuedTransfer> CommMan::QueuedTransfers() const {
  std::vector<QueuedTransfer> queued;
  for (const Transfer& transfer : transfers_) {
    if (transfer.cancelled) continue;
    queued.push_back({transfer.id, transfer.process_id, std::min(transfer.next, transfer.items.size()),
                      transfer.items.size()});
  }
  return queued;
}

void CommMan::RepeatTransaction() {
  if (reading_) repeat_requested_ = true;
}

void CommMan::OnResultClass(std::int32_t result_class) {
  if (!reading_) return;
  constexpr std::int32_t kBusyClass = 0x200000;
  constexpr std::int32_t kStillDecodedClass = 0xF00000;
  ResultOutcome outcome = ResultOutcome::kRefused;
  if (result_class == 0 || result_class == kStillDecodedClass) {
    outcome = ResultOutcome::kAccepted;
  } else if (result_class == kBusyClass) {
    outcome = ResultOutcome::kBusy;
  }
  // A refusal outweighs busy, busy outweighs an acceptance.
  auto weight = [](ResultOutcome o) {
    return o == ResultOutcome::kRefused ? 2 : o == ResultOutcome::kBusy ? 1 : 0;
  };
  if (weight(outcome) > weight(reported_outcome_)) reported_outcome_ = outcome;
}

void CommMan::OnWriteProtected() { write_protected_ = true; }

void CommMan::SchedulePump() {
  if (pump_task_ != 0) return;
  pump_task_ = context_.GetServices().loop.Post([this] {
    pump_task_ = 0;
    Pump();
  });
}

void CommMan::Pump() {
  // A read that waits in a message box runs the loop: the element it reads
  // is not over yet, and the pump goes on once the read has returned.
  if (reading_) return;
  while (!transfers_.empty() && in_flight_id_.empty()) {
    Transfer& transfer = transfers_.front();
    if (transfer.cancelled) {
      prepared_.reset();
      transfers_.pop_front();
      continue;
    }
    if (transfer.next >= transfer.items.size()) {
      Finish();  // one end a task; the next transfer gets its own
      return;
    }
    if (!IsConnected()) {
      if (state_ == State::kConnecting && !transfer.began) {
        transfer.connect_tried = true;  // its answer pumps again
        return;
      }
      if (transfer.began || transfer.connect_tried || state_ != State::kClosed) {
        FailRemaining(transfer);
        continue;
      }
      transfer.connect_tried = true;
      const std::string invoke_id = NewInvokeId(context_.GetServices());
      if (!Connect(invoke_id)) {
        FailRemaining(transfer);
        continue;
      }
      demand_connect_id_ = invoke_id;
      connect_timeout_task_ = context_.GetServices().loop.PostAfter(timeout_, [this] {
        connect_timeout_task_ = 0;
        OnConnectTimeout();
      });
      return;
    }
    if (!transfer.began) {
      transfer.began = true;
      write_protected_ = false;
    }
    Send(transfer);
  }
}

void CommMan::Send(Transfer& transfer) {
  const TransferItem& item = transfer.items[transfer.next];
  if (!prepared_) {
    auto transaction = std::make_shared<HartTransaction>();
    std::optional<HartRequest> request;
    try {
      const auto model = context_.DataModel();
      if (model && item.element &&
          model->IPrivateDataModel_BuildTransactionRequest(context_, *transaction, item.write,
                                                           item.element)) {
        request = RequestOf(*transaction);
      }
    } catch (const std::exception& error) {
      // A request that cannot be built is not sent: the element counts as
      // refused, and the rest still goes.
      ReportTransactionError(item, error);
      transfer.results->push_back(ProcessResult{item.element, 0, ResultOutcome::kRefused});
      ++transfer.next;
      return;
    }
    if (!request) {
      ++transfer.next;  // nothing to send: no transaction, no result
      return;
    }
    prepared_ = Prepared{std::move(transaction), BuildTransactionRequestXml(*request)};
  }

  const auto channel = Online();
  const std::string invoke_id = NewInvokeId(context_.GetServices());
  // Set before the request: a frame may answer inside it.
  in_flight_id_ = invoke_id;
  const bool accepted = channel && channel->TransactionRequest(invoke_id, prepared_->request);
  if (in_flight_id_ != invoke_id) return;  // answered already
  if (!accepted) {
    in_flight_id_.clear();
    prepared_.reset();
    EndElement(transfer, kCommunicationFailure);
    return;
  }
  timeout_task_ = context_.GetServices().loop.PostAfter(timeout_, [this] {
    timeout_task_ = 0;
    OnTransactionTimeout();
  });
}

void CommMan::ReportTransactionError(const TransferItem& item, const std::exception& error) {
  const auto* com_error = dynamic_cast<const com::ComError*>(&error);
  const std::string description = com_error ? com_error->Description() : error.what();
  const std::string name = item.element ? item.element->IPrivateDataElement_Name() : std::string();
  context_.Report(name.empty() ? description : name + ": " + description);
}

void CommMan::EndElement(Transfer& transfer, std::int32_t status) {
  const ResultOutcome outcome = status == 0 ? read_outcome_ : ResultOutcome::kNotAnswered;
  transfer.results->push_back(ProcessResult{transfer.items[transfer.next].element, status, outcome});
  if (outcome != ResultOutcome::kAccepted) ++unaccepted_results_;
  ++transfer.next;
}

void CommMan::FailRemaining(Transfer& transfer) {
  prepared_.reset();
  while (transfer.next < transfer.items.size()) EndElement(transfer, kCommunicationFailure);
}

void CommMan::Finish() {
  Transfer finished = std::move(transfers_.front());
  transfers_.pop_front();
  prepared_.reset();
  const bool success =
      std::all_of(finished.results->begin(), finished.results->end(),
                  [](const ProcessResult& r) { return r.Outcome == ResultOutcome::kAccepted; });
  if (!transfers_.empty()) SchedulePump();
  if (finished.done) finished.done(success);
}

void CommMan::OnTransactionTimeout() {
  if (in_flight_id_.empty() || transfers_.empty()) return;
  // The frame must not deliver the answer later.
  if (const auto channel = ChannelOf(communication_, attached_)) channel->Abort(in_flight_id_);
  in_flight_id_.clear();
  prepared_.reset();
  EndElement(transfers_.front(), kCommunicationFailure);
  SchedulePump();
}

void CommMan::OnConnectTimeout() {
  if (state_ != State::kConnecting || connect_id_ != demand_connect_id_) return;
  if (const auto channel = ChannelOf(communication_, attached_)) channel->Abort(connect_id_);
  state_ = State::kClosed;
  connect_id_.clear();
  demand_connect_id_.clear();
  SchedulePump();
}

void CommMan::ConnectionEnded() {
  CancelTask(connect_timeout_task_);
  demand_connect_id_.clear();
  if (!in_flight_id_.empty() && !transfers_.empty()) {
    CancelTask(timeout_task_);
    if (const auto channel = ChannelOf(communication_, attached_)) channel->Abort(in_flight_id_);
    in_flight_id_.clear();
    prepared_.reset();
    EndElement(transfers_.front(), kCommunicationFailure);
  }
  if (!transfers_.empty()) SchedulePump();
}

void CommMan::CancelTask(std::uint64_t& task) {
  if (task == 0) return;
  context_.GetServices().loop.Cancel(task);
  task = 0;
}

}  // namespace dtm::runtime
