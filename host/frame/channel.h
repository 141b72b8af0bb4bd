#pragma once
// The frame's communication channel to one HART device. Every answer comes
// later, posted to the event loop, never inside the request that asked for
// it. The channel holds one connection at a time. What stands behind it
// decides the answers: the identity the connect answer reports (the
// supported device's unless set), and a transaction handler (a simulated
// device) for HART transactions.
//
// The line carries one transaction at a time: with a latency set, each
// transaction's answer is due that long after the line has become free
// (after the request, or after the answer before it). The device works on
// the request when its answer is due; a connection that has ended by then
// gets no answer.
//
// Answers, as the runtime's communication manager reads them:
//   <FDT><ConnectResponse result="ok" manufacturerCode="165" deviceTypeCode="70"/></FDT>
//   <FDT><ConnectResponse result="error"/></FDT>
//   <FDT><DisconnectResponse result="ok"/></FDT>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/common/identity.h"
#include "component/interfaces/fdt.h"
#include "platform/com/object.h"
#include "platform/loop/event_loop.h"

namespace dtm::frame {

class ChannelStandIn final : public com::Object, public IFdtCommunication {
 public:
  // The device's answer to one transaction request; nullopt when the device
  // stays silent (the frame then sends no answer).
  using TransactionHandler = std::function<std::optional<std::string>(const std::string& request)>;

  // The codes a connect answer reports.
  struct DeviceCodes {
    std::int32_t manufacturer_code = 0;
    std::int32_t device_type_code = 0;
  };
  // Asked at each connect: the device behind the channel may have changed
  // since the last one.
  using IdentitySource = std::function<DeviceCodes()>;

  struct Request {
    std::string kind;  // "ConnectRequest", "DisconnectRequest", "TransactionRequest", "Abort"
    std::string invoke_id;
    std::string document;
  };

  explicit ChannelStandIn(loop::EventLoop& loop) : loop_(loop) {}
  ~ChannelStandIn() override;

  // False when refused, when a connection stands or is being opened, or
  // without a callback.
  bool ConnectRequest(const std::shared_ptr<IFdtCommunicationEvents>& callback,
                      const std::string& invoke_id, const std::string& request) override;
  // Ends the connection (or the attempt) at once and answers later. False
  // when refused or when there is no connection.
  bool DisconnectRequest(const std::string& invoke_id, const std::string& request) override;
  // Passed to the transaction handler while connected; false without one.
  bool TransactionRequest(const std::string& invoke_id, const std::string& request) override;
  // Withdraws the answer still due for `invoke_id`; true.
  bool Abort(const std::string& invoke_id) override;

  // The line to the device breaks: the connection ends and the DTM hears
  // OnAbort with the connection's invoke id (posted). False when no
  // connection stood.
  bool DropConnection();

  bool Connected() const { return state_ == State::kOpen; }
  // The requests, oldest first: the latest kRequestsKept at least and fewer
  // than twice as many (the older half goes when the record is full), so a
  // frame polling for days keeps a record of bounded size.
  static constexpr std::size_t kRequestsKept = 1000;
  const std::deque<Request>& Requests() const { return requests_; }

  // What the connect answer reports as the device's identity: these codes,
  // or what `source` answers at each connect (an empty source: the
  // supported device's codes).
  void SetDeviceIdentity(std::int32_t manufacturer_code, std::int32_t device_type_code);
  void SetIdentitySource(IdentitySource source) { identity_source_ = std::move(source); }
  // The device does not answer: connects end with result="error".
  void SetConnectFails(bool fails) { connect_fails_ = fails; }
  void SetRefuseConnect(bool refuse) { refuse_connect_ = refuse; }
  void SetRefuseDisconnect(bool refuse) { refuse_disconnect_ = refuse; }
  // Requests are accepted and never answered (a frame that hangs).
  void SetSilent(bool silent) { silent_ = silent; }
  void SetTransactionHandler(TransactionHandler handler) {
    transaction_handler_ = std::move(handler);
  }
  // Clock time each transaction takes on the line; zero by default.
  void SetTransactionLatency(loop::Clock::Duration latency) { latency_ = latency; }

 private:
  enum class State { kClosed, kConnecting, kOpen };

  // Posts an answer for `invoke_id`, due at `due` (now when omitted); it
  // reaches the callback only if the channel and the callback still exist then.
  void PostAnswer(const std::string& invoke_id,
                  std::function<void(ChannelStandIn&, IFdtCommunicationEvents&)> deliver,
                  std::optional<loop::Clock::TimePoint> due = std::nullopt);
  void WithdrawAnswers(const std::string& invoke_id);

  loop::EventLoop& loop_;
  State state_ = State::kClosed;
  std::string connect_id_;
  std::weak_ptr<IFdtCommunicationEvents> callback_;  // the DTM holds us: no cycle
  std::vector<std::pair<std::string, loop::EventLoop::TaskId>> pending_;  // answers due
  void Record(Request request);

  // A deque: a long session appends and drops at the front, never moves
  // what it keeps.
  std::deque<Request> requests_;

  IdentitySource identity_source_;
  bool connect_fails_ = false;
  bool refuse_connect_ = false;
  bool refuse_disconnect_ = false;
  bool silent_ = false;
  TransactionHandler transaction_handler_;
  loop::Clock::Duration latency_{};
  loop::Clock::TimePoint line_free_at_{};  // when the last transaction's answer is due
};

}  // namespace dtm::frame
