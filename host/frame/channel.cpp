#include "host/frame/channel.h"

#include <algorithm>

namespace dtm::frame {

namespace {

std::string ConnectAnswer(bool ok, const ChannelStandIn::DeviceCodes& codes) {
  if (!ok) return R"(<FDT><ConnectResponse result="error"/></FDT>)";
  return R"(<FDT><ConnectResponse result="ok" manufacturerCode=")" +
         std::to_string(codes.manufacturer_code) + R"(" deviceTypeCode=")" +
         std::to_string(codes.device_type_code) + R"("/></FDT>)";
}

constexpr const char* kDisconnectAnswer = R"(<FDT><DisconnectResponse result="ok"/></FDT>)";

}  // namespace

ChannelStandIn::~ChannelStandIn() {
  // The posted answers refer to this channel.
  for (const auto& [invoke_id, task] : pending_) loop_.Cancel(task);
}

void ChannelStandIn::SetDeviceIdentity(std::int32_t manufacturer_code,
                                       std::int32_t device_type_code) {
  identity_source_ = [codes = DeviceCodes{manufacturer_code, device_type_code}] { return codes; };
}

void ChannelStandIn::Record(Request request) {
  if (requests_.size() >= 2 * kRequestsKept) {
    requests_.erase(requests_.begin(), requests_.end() - static_cast<std::ptrdiff_t>(kRequestsKept));
  }
  requests_.push_back(std::move(request));
}

bool ChannelStandIn::ConnectRequest(const std::shared_ptr<IFdtCommunicationEvents>& callback,
                                    const std::string& invoke_id, const std::string& request) {
  Record({"ConnectRequest", invoke_id, request});
  if (refuse_connect_ || !callback || state_ != State::kClosed) return false;
  callback_ = callback;
  connect_id_ = invoke_id;
  state_ = State::kConnecting;
  if (silent_) return true;
  // Codes and outcome as they stand now: the device answered the request.
  const bool ok = !connect_fails_;
  const DeviceCodes codes = identity_source_
                                ? identity_source_()
                                : DeviceCodes{kSupportedManufacturerCode, kSupportedDeviceTypeCode};
  const std::string answer = ConnectAnswer(ok, codes);
  PostAnswer(invoke_id,
             [ok, invoke_id, answer](ChannelStandIn& self, IFdtCommunicationEvents& events) {
               self.state_ = ok ? State::kOpen : State::kClosed;
               events.IFdtCommunicationEvents_OnConnectResponse(invoke_id, answer);
             });
  return true;
}

bool ChannelStandIn::DisconnectRequest(const std::string& invoke_id, const std::string& request) {
  Record({"DisconnectRequest", invoke_id, request});
  if (refuse_disconnect_ || state_ == State::kClosed) return false;
  // The line is free at once; an attempt still being answered is withdrawn.
  WithdrawAnswers(connect_id_);
  state_ = State::kClosed;
  if (silent_) return true;
  PostAnswer(invoke_id, [invoke_id](ChannelStandIn&, IFdtCommunicationEvents& events) {
    events.IFdtCommunicationEvents_OnDisconnectResponse(invoke_id, kDisconnectAnswer);
  });
  return true;
}

bool ChannelStandIn::TransactionRequest(const std::string& invoke_id, const std::string& request) {
  Record({"TransactionRequest", invoke_id, request});
  if (!transaction_handler_ || state_ != State::kOpen) return false;
  if (silent_) return true;
  const loop::Clock::TimePoint due = std::max(loop_.GetClock().Now(), line_free_at_) + latency_;
  line_free_at_ = due;
  // The device works on the request when its answer is due, and only if
  // the connection still stands then.
  PostAnswer(
      invoke_id,
      [invoke_id, request](ChannelStandIn& self, IFdtCommunicationEvents& events) {
        if (self.state_ != State::kOpen) return;
        const std::optional<std::string> answer = self.transaction_handler_(request);
        if (answer) events.IFdtCommunicationEvents_OnTransactionResponse(invoke_id, *answer);
      },
      due);
  return true;
}

bool ChannelStandIn::Abort(const std::string& invoke_id) {
  Record({"Abort", invoke_id, {}});
  WithdrawAnswers(invoke_id);
  if (invoke_id == connect_id_) state_ = State::kClosed;
  return true;
}

bool ChannelStandIn::DropConnection() {
  if (state_ == State::kClosed) return false;
  WithdrawAnswers(connect_id_);
  state_ = State::kClosed;
  const std::string invoke_id = connect_id_;
  PostAnswer(invoke_id, [invoke_id](ChannelStandIn&, IFdtCommunicationEvents& events) {
    events.IFdtCommunicationEvents_OnAbort(invoke_id);
  });
  return true;
}

void ChannelStandIn::PostAnswer(
    const std::string& invoke_id,
    std::function<void(ChannelStandIn&, IFdtCommunicationEvents&)> deliver,
    std::optional<loop::Clock::TimePoint> due) {
  auto task = std::make_shared<loop::EventLoop::TaskId>(0);
  const loop::Clock::TimePoint when = due.value_or(loop_.GetClock().Now());
  *task = loop_.PostAt(when, [this, task, deliver = std::move(deliver)] {
    std::erase_if(pending_, [&](const auto& entry) { return entry.second == *task; });
    // The DTM may be gone; its answer then has nowhere to go.
    if (const auto events = callback_.lock()) deliver(*this, *events);
  });
  pending_.emplace_back(invoke_id, *task);
}

void ChannelStandIn::WithdrawAnswers(const std::string& invoke_id) {
  std::erase_if(pending_, [&](const auto& entry) {
    if (entry.first != invoke_id) return false;
    loop_.Cancel(entry.second);
    return true;
  });
}

}  // namespace dtm::frame
