#pragma once
// The communication side of the runtime: the communication object that
// checks the connected device, and the communication manager that holds
// the frame's communication channel and the connection over it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "component/interfaces/fdt.h"
#include "component/interfaces/private.h"
#include "platform/com/object.h"

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

// A finished transaction of a process, in transaction order.
struct ProcessResult {
  DataElementPtr Element;
  std::int32_t Status = 0;  // 0 done; -5 communication failure
};

class CommMan {
 public:
  explicit CommMan(DTMContext& context) : context_(context) {}

  // The frame's communication object (IFdtCommunication); nullptr = Nothing.
  const com::ObjectPtr& Communication() const { return communication_; }
  void SetCommunication(const com::ObjectPtr& communication);

  // Attaches the manager to the communication set last; false when there is
  // none or it is no IFdtCommunication. Detach undoes it.
  bool Attach();
  void Detach();
  bool Attached() const { return attached_; }

  // Connection state. ConnectionOpen: a connection is open or being opened;
  // IsConnected: it stands; ConnectOk: the last connect attempt succeeded.
  bool ConnectionOpen() const { return state_ != State::kClosed; }
  bool IsConnected() const { return state_ == State::kOpen; }
  bool ConnectOk() const { return connect_ok_; }
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

 private:
  enum class State { kClosed, kConnecting, kOpen, kDisconnecting };

  DTMContext& context_;
  com::ObjectPtr communication_;
  bool attached_ = false;
  State state_ = State::kClosed;
  bool connect_ok_ = false;
  std::string connect_id_;
  std::string disconnect_id_;
  std::shared_ptr<IPrivateProcess> disconnect_sink_;
  std::int32_t supported_manufacturer_ = -1;  // -1: any device
  std::int32_t supported_device_type_ = -1;
  std::int32_t setting_a_ = 0;
  std::int32_t setting_b_ = 0;
};

}  // namespace dtm::runtime
