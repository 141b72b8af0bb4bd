#pragma once
// The communication side of the runtime: the communication object that
// checks the connected device, and the communication manager that holds
// the frame's communication channel and the connection over it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/interfaces/fdt.h"
#include "component/interfaces/private.h"
#include "platform/com/object.h"
#include "platform/loop/clock.h"
#include "platform/runtime/hart_frame.h"
#include "platform/runtime/hart_transaction.h"

namespace dtm::runtime {

class DTMContext;

// Created by the DTM; raises ConnectionIsValidated once a connection has
// identified the device (its manufacturer and device type codes), so the
// DTM can accept or refuse another device.
class CommObject : public com::Object {
 public:
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  std::int32_t ManufacturerCode() const { return manufacturer_code_; }
  std::int32_t DeviceTypeCode() const { return device_type_code_; }
  void SetIdentity(std::int32_t manufacturer_code, std::int32_t device_type_code);

  // The event. The argument starts false; a handler that sets it true
  // accepts a device whose codes differ from the supported ones.
  std::function<void(bool& accept)> ConnectionIsValidated;
  // Raises the event; answers the handler's verdict (false without handler).
  bool RaiseConnectionIsValidated();

 private:
  bool enabled_ = false;
  std::int32_t manufacturer_code_ = -1;
  std::int32_t device_type_code_ = -1;
};

// How the device took one transaction of a transfer.
enum class ResultOutcome {
  kAccepted,     // answered; the value was taken (or written)
  kRefused,      // answered with a refusal: write protection, access denied, invalid selection, ...
  kBusy,         // the device was still busy when the retries ran out
  kNotAnswered,  // no answer: refused by the frame, timed out, or the connection was lost
};

// A finished transaction of a process, in transaction order.
struct ProcessResult {
  DataElementPtr Element;
  std::int32_t Status = 0;  // 0 done; -5 communication failure
  ResultOutcome Outcome = ResultOutcome::kAccepted;
};

// One element of a transfer: read it (write false) or write it.
struct TransferItem {
  DataElementPtr element;
  bool write = false;
};

// The communication manager also runs the transfers of the processes: each
// element is one HART transaction that the data model builds and reads
// (IPrivateDataModel_BuildTransactionRequest / _ReadTransactionResponse).
// Transfers queue; one transaction at a time crosses the channel, and a
// transfer runs to its end before the next one sends.
class CommMan {
 public:
  using TransferId = std::uint64_t;
  static constexpr std::int32_t kCommunicationFailure = -5;

  explicit CommMan(DTMContext& context) : context_(context) {}
  ~CommMan();  // withdraws what it posted
  CommMan(const CommMan&) = delete;
  CommMan& operator=(const CommMan&) = delete;

  // The frame's communication object (IFdtCommunication); nullptr = Nothing.
  const com::ObjectPtr& Communication() const { return communication_; }
  void SetCommunication(const com::ObjectPtr& communication);

  // Attaches the manager to the communication set last; false when there is
  // none or it is no IFdtCommunication. Detach undoes it.
  bool Attach();
  void Detach();
  bool Attached() const { return attached_; }

  // Connection state. ConnectionOpen: a connection is open or being opened;
  // IsConnected: it stands (a connect the frame accepted for a device the
  // DTM takes, not yet ended). ConnectOk is the same member under the name
  // other callers use.
  bool ConnectionOpen() const { return state_ != State::kClosed; }
  bool IsConnected() const { return state_ == State::kOpen; }
  bool ConnectOk() const { return IsConnected(); }
  // The channel while connected, else nullptr.
  std::shared_ptr<IFdtCommunication> Online() const;

  // Opens a connection through the frame (asynchronous; the frame answers
  // with OnConnectResponse). False when no communication is attached, a
  // connection is already open, or the frame refuses the request.
  bool Connect(const std::string& invoke_id);
  // Ends the connection at once: asks the frame to disconnect and treats the
  // connection as closed. False when the frame refuses.
  bool Disconnect();
  // Ends the connection asynchronously; `sink` hears
  // IPrivateProcess_OnProcessFinished(invoke_id) once the frame answered.
  // False when no connection is open or the frame refuses the request.
  bool StartDisconnect(const std::string& invoke_id, std::shared_ptr<IPrivateProcess> sink);

  // The device the DTM supports. A connection to a device with other codes
  // stands only when the ConnectionIsValidated handler accepts it; until
  // this is set, any device is accepted.
  void SetSupportedIdentity(std::int32_t manufacturer_code, std::int32_t device_type_code);

  // Settings of the data model (what they steer is the manager's business).
  std::int32_t SettingA() const { return setting_a_; }
  void SetSettingA(std::int32_t value) { setting_a_ = value; }
  std::int32_t SettingB() const { return setting_b_; }
  void SetSettingB(std::int32_t value) { setting_b_ = value; }

  // The frame's answers, handed on by the DTM.
  void OnConnectResponse(const std::string& invoke_id, const std::string& response);
  void OnDisconnectResponse(const std::string& invoke_id, const std::string& response);
  void OnAbort(const std::string& invoke_id);
  void OnTransactionResponse(const std::string& invoke_id, const std::string& response);

  // Transfers. Queues `items` under `process_id` and returns the transfer's
  // id (never 0). Sending starts from the loop, never inside this call;
  // without a standing connection the transfer first connects (under a new
  // invoke id) and every element ends with -5 when that fails. Per element:
  // - the data model builds the request; one it does not build (false, or
  //   a command outside 0..255) is not sent and leaves no result; one whose
  //   building raises is not sent and is refused (status 0);
  // - an answer of the frame with a response code gives status 0: the
  //   element's communication-error bits 0xF0000 are cleared, then the data
  //   model reads the response, and it may ask for RepeatTransaction and
  //   tells the result class (OnResultClass) that makes the Outcome;
  // - an error the data model raises while it reads ends that element as
  //   refused; neither kind of error leaves this manager (both are
  //   reported without a box, "<element>: <description>");
  // - an answer without response code (a response document that cannot be
  //   read counts as one) is read by the data model too, but gives -5;
  // - a request the frame refuses, no answer within the transaction
  //   timeout, or a lost connection gives -5; once the connection is lost
  //   every remaining element gets -5 at once.
  // `done(success)` runs once, from a task of the loop, after the last
  // element; success is true when every result's Outcome is kAccepted (also
  // when there is no result).
  TransferId StartTransfer(const std::string& process_id, std::vector<TransferItem> items,
                           std::function<void(bool success)> done);
  // Stops the transfer after the transaction in flight (whose answer the
  // data model still reads); `done` never runs. False when it is unknown,
  // ended or cancelled already.
  bool CancelTransfer(TransferId transfer);
  // The results of the last transfer started under `process_id`, in
  // transaction order (so far, while it runs); empty when there is none.
  std::vector<ProcessResult> GetResults(const std::string& process_id) const;
  void ClearResults(const std::string& process_id);

  // A transfer not yet ended, as far as it got: `done` counts the elements
  // worked through (each one transaction, or none when it was not built),
  // `queued` all of its elements.
  struct QueuedTransfer {
    TransferId id = 0;
    std::string process_id;
    std::size_t done = 0;
    std::size_t queued = 0;
  };
  // The transfers not yet ended and not cancelled, the one sending first.
  std::vector<QueuedTransfer> QueuedTransfers() const;

  // Called by the data model inside ReadTransactionResponse: the same
  // request goes again once the call has returned. Ignored elsewhere.
  void RepeatTransaction();
  // Called by the data model inside ReadTransactionResponse, once for the
  // element or for each group member it answered, with the result class it
  // gave it (status flag bits 0xF00000). The transaction's Outcome follows
  // the worst class of its last read: 0, and 0xF00000 (a code whose value
  // is still decoded), accept; 0x200000 (busy to the end) is kBusy; every
  // other class refuses. A read that reports nothing accepts, one that
  // raises refuses (the value was not taken). Ignored outside a read.
  void OnResultClass(std::int32_t result_class);
  // Called by the data model when the device reported write protection.
  // The remaining writes are still sent.
  void OnWriteProtected();
  // How many transactions of all transfers so far ended other than
  // accepted (refused, busy to the end, not answered): a host tells from
  // it whether everything it ran went through.
  std::size_t UnacceptedResults() const { return unaccepted_results_; }
  // Whether the device reported write protection during the transfer that
  // runs (or ran last); cleared when a transfer starts sending.
  bool WriteProtected() const { return write_protected_; }

  // How long a transaction (and a connect a transfer opened) may wait for
  // the frame's answer; clock time of the loop. 5 s unless set.
  void SetTransactionTimeout(loop::Clock::Duration timeout) { timeout_ = timeout; }
  loop::Clock::Duration TransactionTimeout() const { return timeout_; }

 private:
  enum class State { kClosed, kConnecting, kOpen, kDisconnecting };

  struct Transfer {
    TransferId id = 0;
    std::string process_id;
    std::vector<TransferItem> items;
    std::size_t next = 0;  // the element being worked on
    std::shared_ptr<std::vector<ProcessResult>> results;
    std::function<void(bool)> done;
    bool cancelled = false;
    bool began = false;          // it found the connection standing
    bool connect_tried = false;  // it waited for a connect attempt
  };
  // The transaction of the current element, built once; a repeat sends it again.
  struct Prepared {
    std::shared_ptr<HartTransaction> transaction;
    std::string request;
  };

  void ApplyConnectResponse(const std::string& response);
  void SchedulePump();
  void Pump();
  void Send(Transfer& transfer);
  // The element's result: -5 is kNotAnswered, an answer takes the outcome
  // of its read.
  void EndElement(Transfer& transfer, std::int32_t status);
  // An error the building or reading of a transaction raised stays inside
  // it: reported without a box, named by the element.
  void ReportTransactionError(const TransferItem& item, const std::exception& error);
  void FailRemaining(Transfer& transfer);
  void Finish();
  void OnTransactionTimeout();
  void OnConnectTimeout();
  // The connection stopped standing: the transaction in flight fails.
  void ConnectionEnded();
  void CancelTask(std::uint64_t& task);

  DTMContext& context_;
  com::ObjectPtr communication_;
  bool attached_ = false;
  State state_ = State::kClosed;
  std::string connect_id_;
  std::string disconnect_id_;
  // Weak: the sink (the DTM) owns the context that owns this manager.
  std::weak_ptr<IPrivateProcess> disconnect_sink_;
  std::int32_t supported_manufacturer_ = -1;  // -1: any device
  std::int32_t supported_device_type_ = -1;
  std::int32_t setting_a_ = 0;
  std::int32_t setting_b_ = 0;

  std::list<Transfer> transfers_;  // front is the one sending
  TransferId next_transfer_id_ = 1;
  std::optional<Prepared> prepared_;
  TransactionDocumentReader reader_;  // the frame's answers
  std::string in_flight_id_;  // the transaction the frame has; empty: none
  std::map<std::string, std::shared_ptr<std::vector<ProcessResult>>> results_;
  bool reading_ = false;  // inside ReadTransactionResponse
  bool repeat_requested_ = false;
  // The outcome of the read that runs or ran last, and the worst class the
  // data model reported in it.
  ResultOutcome read_outcome_ = ResultOutcome::kAccepted;
  ResultOutcome reported_outcome_ = ResultOutcome::kAccepted;
  bool write_protected_ = false;
  std::size_t unaccepted_results_ = 0;
  std::string demand_connect_id_;  // a connect a transfer opened
  loop::Clock::Duration timeout_ = std::chrono::seconds(5);
  std::uint64_t pump_task_ = 0;  // loop task ids; 0: none
  std::uint64_t timeout_task_ = 0;
  std::uint64_t connect_timeout_task_ = 0;
};

}  // namespace dtm::runtime
