#include "host/device/sim_device.h"

#include <algorithm>
#include <utility>

#include "host/device/parameters.h"
#include "host/device/wire.h"

namespace dtm::device {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kPercent = 57;
constexpr std::size_t kMaxRecords = 4;  // parameter records of one 128 or 130 answer

// The commands the device knows.
struct CommandInfo {
  std::uint8_t command;
  std::size_t request_length;  // bytes the request needs at least
  // Write protection refuses it, and carried out it sets "configuration
  // changed" (but 38, which clears that bit).
  bool changes_configuration;
};

// clang-format off
constexpr CommandInfo kCommands[] = {
    {0, 0, false},    {1, 0, false},    {6, 1, true},     {12, 0, false},   {13, 0, false},
    {15, 0, false},   {16, 0, false},   {17, 24, true},   {18, 21, true},   {19, 3, true},
    {38, 0, true},    {48, 0, false},   {128, 1, false},  {129, 5, true},   {130, 1, false},
    {131, 2, true},   {132, 1, true},   {133, 1, true},   {134, 1, false},  {135, 0, false},
    {136, 0, false},  {138, 1, false},  {139, 25, true},
};
// clang-format on

const CommandInfo* FindCommand(std::uint8_t command) {
  for (const CommandInfo& info : kCommands) {
    if (info.command == command) return &info;
  }
  return nullptr;
}

std::uint8_t CodeOf(Fit fit) {
  switch (fit) {
    case Fit::kInside:
      return rc::kSuccess;
    case Fit::kTooLarge:
      return rc::kTooLarge;
    case Fit::kTooSmall:
      return rc::kTooSmall;
    case Fit::kNotAllowed:
      break;
  }
  return rc::kInvalidSelection;
}

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

std::span<const std::uint8_t> Slice(const Bytes& bytes, std::size_t at, std::size_t count) {
  return std::span<const std::uint8_t>(bytes).subspan(at, count);
}

}  // namespace

SimDevice::SimDevice(loop::Clock& clock, Profile profile, ActionTiming timing)
    : clock_(clock), timing_(timing), memory_(std::move(profile)) {
  StartOperation();
}

void SimDevice::Load(const Profile& profile) {
  memory_ = profile;
  running_.reset();
  characteristic_open_ = false;
  cold_start_after_answer_ = false;
  StartOperation();
  output_test_.reset();
}

runtime::HartResponse SimDevice::Handle(const runtime::HartRequest& request) {
  if (received_.size() >= 2 * kReceivedKept) {
    received_.erase(received_.begin(), received_.end() - static_cast<std::ptrdiff_t>(kReceivedKept));
  }
  received_.push_back(request);
  ++handled_;
  Settle();
  Operate();
  SettleOutputTest();
  ApplyScriptedFaults();
  const std::uint8_t command = request.command;
  runtime::HartResponse response;
  response.command = command;

  if (line_break_ && (!*line_break_ || **line_break_ == command)) {
    line_break_.reset();
    line_broken_ = true;
    return response;
  }
  if (TakeFault(Fault::Kind::kNoResponse, command)) return response;

  if (const std::optional<Fault> busy = TakeFault(Fault::Kind::kBusy, command)) {
    response.response_code = busy->code;
  } else if (const std::optional<Fault> forced = TakeFault(Fault::Kind::kForcedCode, command)) {
    if (forced->execute) Execute(request, response.data);
    response.response_code = forced->code;
  } else {
    response.response_code = Execute(request, response.data);
  }
  if (const std::optional<Fault> cut = TakeFault(Fault::Kind::kShortResponse, command)) {
    response.data.resize(response.data.size() - std::min(cut->drop, response.data.size()));
  }

  response.device_status = StatusFor(memory_);
  memory_.device_status &= static_cast<std::uint8_t>(~kColdStart);  // reported once
  if (cold_start_after_answer_) {
    cold_start_after_answer_ = false;
    memory_.device_status |= kColdStart;
  }
  return response;
}

Profile SimDevice::Memory() const {
  Profile memory = memory_;
  if (running_) Progress(memory, *running_, clock_.Now());
  return memory;
}

std::uint8_t SimDevice::DeviceStatus() const { return StatusFor(Memory()); }

bool SimDevice::ActionRunning() const {
  Profile memory = memory_;
  return running_ && Progress(memory, *running_, clock_.Now());
}

std::uint8_t SimDevice::StatusFor(const Profile& memory) const {
  std::uint8_t status = memory.device_status & static_cast<std::uint8_t>(~kMoreStatusAvailable);
  const bool more = std::any_of(memory.status.begin(), memory.status.end(),
                                [](std::uint8_t byte) { return byte != 0; });
  if (more) status |= kMoreStatusAvailable;
  return status;
}

void SimDevice::SetWriteProtected(bool on) { memory_.write_protect = on; }

void SimDevice::SetStatusByte(std::size_t k, std::uint8_t value) { memory_.status.at(k) = value; }

void SimDevice::SetDeviceStatusBits(std::uint8_t bits) { memory_.device_status = bits; }

void SimDevice::SetDynamicValues(const DynamicValues& values) { memory_.dynamic = values; }

// ---- Faults ----

void SimDevice::InjectBusy(int replies, std::uint8_t code) {
  faults_.push_back({Fault::Kind::kBusy, std::nullopt, replies, std::nullopt, code});
}

void SimDevice::InjectBusyFor(loop::Clock::Duration span, std::uint8_t code) {
  faults_.push_back({Fault::Kind::kBusy, std::nullopt, kUntilCleared, clock_.Now() + span, code});
}

void SimDevice::ForceResponseCode(std::uint8_t command, std::uint8_t code, int replies,
                                  bool execute) {
  faults_.push_back({Fault::Kind::kForcedCode, command, replies, std::nullopt, code, execute});
}

void SimDevice::InjectNoResponse(int replies, std::optional<std::uint8_t> command) {
  faults_.push_back({Fault::Kind::kNoResponse, command, replies, std::nullopt});
}

void SimDevice::InjectShortResponse(std::uint8_t command, std::size_t drop, int replies) {
  Fault fault{Fault::Kind::kShortResponse, command, replies, std::nullopt};
  fault.drop = drop;
  faults_.push_back(fault);
}

void SimDevice::InjectLineBreak(std::optional<std::uint8_t> command) { line_break_ = command; }

bool SimDevice::TakeLineBreak() { return std::exchange(line_broken_, false); }

void SimDevice::FailNextAction(std::uint8_t state) { next_action_failure_ = state; }

void SimDevice::ClearFaults() {
  faults_.clear();
  line_break_.reset();
  line_broken_ = false;
  next_action_failure_.reset();
}

std::optional<SimDevice::Fault> SimDevice::TakeFault(Fault::Kind kind, std::uint8_t command) {
  const loop::Clock::TimePoint now = clock_.Now();
  std::erase_if(faults_, [&](const Fault& fault) { return fault.until && now >= *fault.until; });
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->kind != kind || (it->command && *it->command != command)) continue;
    if (it->replies == 0) continue;
    const Fault taken = *it;
    if (it->replies != kUntilCleared && --it->replies == 0) faults_.erase(it);
    return taken;
  }
  return std::nullopt;
}

// ---- Timed actions ----

bool SimDevice::Progress(Profile& memory, const RunningAction& action,
                         loop::Clock::TimePoint now) const {
  const loop::Clock::Duration elapsed = now - action.start;
  std::uint8_t& status1 = memory.status[1];
  if (action.action == 1) {
    if (elapsed < timing_.zero_calibration) {
      memory.action_state = kActionRunning;
      return true;
    }
    status1 &= static_cast<std::uint8_t>(~kZeroCalibrating);
    if (action.outcome == kActionSucceeded) {
      status1 &= static_cast<std::uint8_t>(~kZeroPointError);
    } else {
      status1 |= kZeroPointError;
    }
  } else {
    const auto phase = timing_.init_phase.count() > 0 ? elapsed / timing_.init_phase : 3;
    if (phase < 3) {
      memory.action_state = static_cast<std::uint8_t>(kFindingStops + phase);
      return true;
    }
    status1 &= static_cast<std::uint8_t>(~kInitialising);
    if (action.outcome == kActionSucceeded) {
      status1 &= static_cast<std::uint8_t>(~(kNotInitialised | kInitialisationFailed));
      memory.bytes[kInitWarningsIndex] = 254;  // no warnings
    } else {
      status1 |= kInitialisationFailed;
    }
  }
  memory.action_state = action.outcome;
  return false;
}

void SimDevice::Settle() {
  if (running_ && !Progress(memory_, *running_, clock_.Now())) running_.reset();
}

std::uint8_t SimDevice::StartAction(std::uint8_t action) {
  std::uint8_t& status1 = memory_.status[1];
  switch (action) {
    case 1:
    case 2: {
      if (running_) return rc::kAccessDenied;  // one timed action at a time
      TakeScriptedAction(action);
      running_ =
          RunningAction{action, clock_.Now(), next_action_failure_.value_or(kActionSucceeded)};
      next_action_failure_.reset();
      status1 &= static_cast<std::uint8_t>(~kActionAbortedBit);
      if (action == 1) {
        status1 = static_cast<std::uint8_t>((status1 & ~kZeroPointError) | kZeroCalibrating);
      } else {
        status1 = static_cast<std::uint8_t>((status1 & ~kInitialisationFailed) | kInitialising);
      }
      Settle();
      return rc::kSuccess;
    }
    case 3:
    case 4:
    case 5:
      return StartOutputTest(action);
    case 6:  // the position transmitter shows the test value; nothing to keep
      return rc::kSuccess;
    case 7:
      memory_.dynamic.total_travel = 0.0f;
      memory_.status[2] &= static_cast<std::uint8_t>(~0x01u);  // travel integral limit
      return rc::kSuccess;
    case 10:
      memory_.status[0] &= static_cast<std::uint8_t>(~0x20u);  // control loop fault
      return rc::kSuccess;
    case 11:
      characteristic_open_ = true;
      return rc::kSuccess;
    case 12:
      CloseCharacteristic();
      return rc::kSuccess;
    case 254:
      // The device restarts after this answer: a running action is lost.
      running_.reset();
      memory_.action_state = 0;
      memory_.status[1] &= static_cast<std::uint8_t>(~(kZeroCalibrating | kInitialising));
      characteristic_open_ = false;
      cold_start_after_answer_ = true;
      ColdStartReset();
      return rc::kSuccess;
    default:
      return rc::kInvalidSelection;
  }
}

void SimDevice::CloseCharacteristic() {
  characteristic_open_ = false;
  // x0..x10 must rise, y0..y10 must not fall; otherwise the device flags
  // the characteristic as faulty (status byte 2, bit 7).
  bool valid = true;
  for (std::uint8_t i = kFirstCharacteristicIndex; i < kFirstCharacteristicIndex + 10; ++i) {
    if (memory_.floats[i + 1] <= memory_.floats[i]) valid = false;
    if (memory_.floats[i + 12] < memory_.floats[i + 11]) valid = false;
  }
  if (valid) {
    memory_.status[2] &= static_cast<std::uint8_t>(~0x80u);
  } else {
    memory_.status[2] |= 0x80;
  }
}

std::uint8_t SimDevice::AbortAction(std::uint8_t which) {
  if (which >= 3 && which <= 6) return StopOutputTest(which);
  if (which > 2) return rc::kInvalidSelection;
  if (running_ && (which == 0 || which == running_->action)) {
    const std::uint8_t bit = running_->action == 1 ? kZeroCalibrating : kInitialising;
    memory_.status[1] = static_cast<std::uint8_t>((memory_.status[1] & ~bit) | kActionAbortedBit);
    memory_.action_state = kActionAborted;
    running_.reset();
  }
  return rc::kSuccess;
}

// ---- Parameters ----

std::uint8_t SimDevice::ByteValue(std::uint8_t index) const {
  const auto it = memory_.bytes.find(index);
  return it == memory_.bytes.end() ? 0 : it->second;
}

float SimDevice::FloatValue(std::uint8_t index) const {
  const auto it = memory_.floats.find(index);
  return it == memory_.floats.end() ? 0.0f : it->second;
}

std::uint8_t SimDevice::ReadFloats(const Bytes& request, Bytes& data) const {
  // One record per index byte, also for a filler byte or an unknown index.
  for (std::size_t i = 0; i < std::min(request.size(), kMaxRecords); ++i) {
    wire::PutByte(data, request[i]);
    wire::PutSingle(data, FloatValue(request[i]));
  }
  return rc::kSuccess;
}

std::uint8_t SimDevice::WriteFloat(const Bytes& request, Bytes& data) {
  const std::uint8_t index = request[0];
  const float value = wire::GetSingle(request, 1);
  const FloatParameter* parameter = FindFloatParameter(index);
  if (!parameter) return rc::kInvalidSelection;
  if (!parameter->writable) return rc::kAccessDenied;
  if (const std::uint8_t code = CodeOf(CheckValue(*parameter, value)); code != rc::kSuccess) {
    return code;
  }
  memory_.floats[index] = value;
  wire::PutByte(data, index);
  wire::PutSingle(data, value);
  return rc::kSuccess;
}

std::uint8_t SimDevice::ReadBytes(const Bytes& request, Bytes& data) const {
  for (std::size_t i = 0; i < std::min(request.size(), kMaxRecords); ++i) {
    wire::PutByte(data, request[i]);
    wire::PutByte(data, ByteValue(request[i]));
  }
  return rc::kSuccess;
}

std::uint8_t SimDevice::WriteByte(const Bytes& request, Bytes& data) {
  const std::uint8_t index = request[0];
  const std::uint8_t value = request[1];
  const ByteParameter* parameter = FindByteParameter(index);
  if (!parameter) return rc::kInvalidSelection;
  if (!parameter->writable) return rc::kAccessDenied;
  if (const std::uint8_t code = CodeOf(CheckValue(*parameter, value)); code != rc::kSuccess) {
    return code;
  }
  memory_.bytes[index] = value;
  wire::PutByte(data, index);
  wire::PutByte(data, value);
  return rc::kSuccess;
}

// ---- Commands ----

std::uint8_t SimDevice::Execute(const runtime::HartRequest& request, Bytes& data) {
  const std::uint8_t command = request.command;
  const Bytes& in = request.data;
  const CommandInfo* info = FindCommand(command);
  if (!info) return rc::kNotImplemented;
  if (in.size() < info->request_length) return rc::kTooFewDataBytes;
  if (info->changes_configuration && memory_.write_protect) return rc::kWriteProtected;

  std::uint8_t code = rc::kSuccess;
  Profile& m = memory_;
  switch (command) {
    case 0: {
      const Identity& id = m.identity;
      data = {254,
              id.manufacturer_code,
              id.device_type_code,
              id.preambles,
              id.universal_revision,
              id.device_revision,
              id.software_revision,
              id.hardware_revision,
              id.flags};
      wire::PutUInt24(data, id.device_id);
      break;
    }
    case 1:
      wire::PutByte(data, kPercent);
      wire::PutSingle(data, m.dynamic.position);
      break;
    case 6:
      if (in[0] > 15) return rc::kInvalidSelection;
      m.polling_address = in[0];
      wire::PutByte(data, m.polling_address);
      break;
    case 12:
      data = wire::PackAscii(m.message, 24);
      break;
    case 13:
      data = wire::PackAscii(m.tag, 6);
      Append(data, wire::PackAscii(m.descriptor, 12));
      wire::PutDate(data, m.date);
      break;
    case 15:
      wire::PutByte(data, 0);         // alarm selection: high
      wire::PutByte(data, 0);         // transfer function: linear
      wire::PutByte(data, kPercent);  // range unit
      wire::PutSingle(data, 100.0f);  // upper range value
      wire::PutSingle(data, 0.0f);    // lower range value
      wire::PutSingle(data, 0.0f);    // damping, s
      wire::PutByte(data, m.write_protect ? 1 : 0);
      wire::PutByte(data, m.identity.manufacturer_code);  // private label distributor
      break;
    case 16:
      wire::PutUInt24(data, m.final_assembly_number);
      break;
    case 17:
      m.message = wire::UnpackAscii(Slice(in, 0, 24));
      data = wire::PackAscii(m.message, 24);
      break;
    case 18: {
      const wire::Date date = wire::GetDate(in, 18);
      if (!wire::IsValidDate(date)) return rc::kInvalidDate;
      m.tag = wire::UnpackAscii(Slice(in, 0, 6));
      m.descriptor = wire::UnpackAscii(Slice(in, 6, 12));
      m.date = date;
      data = wire::PackAscii(m.tag, 6);
      Append(data, wire::PackAscii(m.descriptor, 12));
      wire::PutDate(data, m.date);
      break;
    }
    case 19:
      m.final_assembly_number = wire::GetUInt24(in, 0);
      wire::PutUInt24(data, m.final_assembly_number);
      break;
    case 38:
      m.device_status &= static_cast<std::uint8_t>(~kConfigurationChanged);
      return rc::kSuccess;
    case 48:
      // Request bytes, if any, are ignored: a write of 48 reads as well.
      data.assign(m.status.begin(), m.status.end());
      break;
    case 128:
      code = ReadFloats(in, data);
      break;
    case 129:
      code = WriteFloat(in, data);
      break;
    case 130:
      code = ReadBytes(in, data);
      break;
    case 131:
      code = WriteByte(in, data);
      break;
    case 132:
      code = StartAction(in[0]);
      if (code == rc::kSuccess) wire::PutByte(data, in[0]);
      break;
    case 133:
      code = AbortAction(in[0]);
      if (code == rc::kSuccess) wire::PutByte(data, in[0]);
      break;
    case 134:
      // 0 the last action; 1 and 2 name it, as command 133 does.
      if (in[0] > 2) return rc::kInvalidSelection;
      wire::PutByte(data, m.action_state);
      break;
    case 135:
      data = wire::PackAscii(m.product_number, 12);
      break;
    case 136:
      wire::PutSingle(data, m.dynamic.w_analog);
      wire::PutByte(data, ByteValue(kOperatingModeIndex));
      wire::PutSingle(data, m.dynamic.w_digit);
      wire::PutSingle(data, FloatValue(kManualSetPointIndex));
      wire::PutSingle(data, m.dynamic.deviation);
      wire::PutSingle(data, m.dynamic.position);
      wire::PutByte(data, ByteValue(kFaultAlarmIndex));
      wire::PutByte(data, ByteValue(kLimit1Index));
      wire::PutByte(data, ByteValue(kLimit2Index));
      wire::PutByte(data, m.dynamic.operating_state);
      wire::PutSingle(data, m.dynamic.total_travel);
      break;
    case 138:
      if (in[0] > 4) return rc::kInvalidSelection;
      wire::PutByte(data, in[0]);
      Append(data, wire::PackAscii(m.texts[in[0]], 24));
      break;
    case 139:
      if (in[0] > 4) return rc::kInvalidSelection;
      m.texts[in[0]] = wire::UnpackAscii(Slice(in, 1, 24));
      wire::PutByte(data, in[0]);
      Append(data, wire::PackAscii(m.texts[in[0]], 24));
      break;
    default:
      return rc::kNotImplemented;
  }
  if (code == rc::kSuccess && info->changes_configuration) {
    m.device_status |= kConfigurationChanged;
  }
  if (code != rc::kSuccess) data.clear();
  return code;
}

}  // namespace dtm::device
