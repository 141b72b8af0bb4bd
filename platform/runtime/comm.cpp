#include "platform/runtime/comm.h"

#include <charconv>

#include "platform/runtime/context.h"
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
                       std::shared_ptr<IPrivateProcess> sink) {
  if (!sink) return;
  loop.Post([invoke_id, sink = std::move(sink)] {
    sink->IPrivateProcess_OnProcessFinished(invoke_id, com::Variant(true));
  });
}

std::string NewInvokeId(const Services& services) {
  com::Guid guid;
  services.guids.CreateGuid(guid);
  return guid.ToString();
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
  connect_ok_ = false;
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
    return true;
  }
  const auto channel = ChannelOf(communication_, attached_);
  if (!channel ||
      !channel->DisconnectRequest(NewInvokeId(context_.GetServices()), kDisconnectRequest)) {
    return false;
  }
  state_ = State::kClosed;
  connect_id_.clear();  // a late connect answer finds nothing to complete
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
  const ConnectAnswer answer = ParseConnectResponse(response);
  if (!answer.ok) {
    state_ = State::kClosed;
    connect_id_.clear();
    connect_ok_ = false;
    return;
  }
  state_ = State::kOpen;
  connect_ok_ = true;

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
  connect_ok_ = false;
}

void CommMan::OnDisconnectResponse(const std::string& invoke_id, const std::string&) {
  if (state_ != State::kDisconnecting || invoke_id != disconnect_id_) return;
  state_ = State::kClosed;
  connect_id_.clear();
  disconnect_id_.clear();
  PostDisconnectEnd(context_.GetServices().loop, invoke_id, std::move(disconnect_sink_));
}

void CommMan::OnAbort(const std::string&) {
  // The frame lost the connection, whatever request the id names.
  if (state_ == State::kClosed) return;
  if (state_ == State::kConnecting) connect_ok_ = false;
  const std::string pending_id = std::move(disconnect_id_);
  std::shared_ptr<IPrivateProcess> pending_sink = std::move(disconnect_sink_);
  state_ = State::kClosed;
  connect_id_.clear();
  disconnect_id_.clear();
  disconnect_sink_.reset();
  PostDisconnectEnd(context_.GetServices().loop, pending_id, std::move(pending_sink));
}

void CommMan::OnTransactionResponse(const std::string&, const std::string&) {}

}  // namespace dtm::runtime
