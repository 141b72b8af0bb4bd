#pragma once
// A simulated model 4625 positioner: answers HART requests as the device
// does, from the memory a Profile gives it, and keeps what the requests
// change. Timed behaviour (the zero calibration and the initialisation, a
// busy spell) follows the Clock it is given; it never reads the system
// clock and posts nothing. Single-threaded, like the loop that asks it.
//
// Faults can be injected: they apply to the next answers, in the order
// line break, no response, busy, forced response code, then the command
// itself, then a short response.

#include <cstdint>
#include <optional>
#include <vector>

#include "host/device/profile.h"
#include "platform/loop/clock.h"
#include "platform/runtime/hart_frame.h"

namespace dtm::device {

// Response codes the device sends.
namespace rc {
inline constexpr std::uint8_t kSuccess = 0;
inline constexpr std::uint8_t kInvalidSelection = 2;
inline constexpr std::uint8_t kTooLarge = 3;
inline constexpr std::uint8_t kTooSmall = 4;
inline constexpr std::uint8_t kTooFewDataBytes = 5;
inline constexpr std::uint8_t kWriteProtected = 7;
inline constexpr std::uint8_t kInvalidDate = 9;
inline constexpr std::uint8_t kAccessDenied = 16;
inline constexpr std::uint8_t kBusy = 32;
inline constexpr std::uint8_t kNotImplemented = 64;
}  // namespace rc

// Bits of the device status byte.
inline constexpr std::uint8_t kConfigurationChanged = 0x40;
inline constexpr std::uint8_t kColdStart = 0x20;
inline constexpr std::uint8_t kMoreStatusAvailable = 0x10;

// States of a device action as command 134 reports them.
inline constexpr std::uint8_t kActionRunning = 1;
inline constexpr std::uint8_t kActionAborted = 2;
inline constexpr std::uint8_t kFindingStops = 17;
inline constexpr std::uint8_t kFindingPulses = 18;
inline constexpr std::uint8_t kFindingRunTimes = 19;
inline constexpr std::uint8_t kActionSucceeded = 254;

// Bits of status byte 1 (command 48, byte 1).
inline constexpr std::uint8_t kNotInitialised = 0x01;
inline constexpr std::uint8_t kInitialising = 0x02;
inline constexpr std::uint8_t kInitialisationFailed = 0x04;
inline constexpr std::uint8_t kZeroCalibrating = 0x08;
inline constexpr std::uint8_t kZeroPointError = 0x10;
inline constexpr std::uint8_t kActionAbortedBit = 0x20;

// How long an output test holds each state of its output: the output
// changes at the start and after each phase, and takes back its own state
// after kOutputTestPhases of them.
inline constexpr loop::Clock::Duration kOutputTestPhase = std::chrono::seconds(2);
inline constexpr int kOutputTestPhases = 5;

// How long the timed actions take in clock time.
struct ActionTiming {
  loop::Clock::Duration zero_calibration = std::chrono::seconds(5);  // state 1
  loop::Clock::Duration init_phase = std::chrono::seconds(5);  // each of the states 17, 18, 19
};

class SimDevice {
 public:
  // For the fault counts: the fault stays until ClearFaults.
  static constexpr int kUntilCleared = -1;

  explicit SimDevice(loop::Clock& clock, Profile profile = {}, ActionTiming timing = {});

  // The answer to one request; its command is the request's. An answer
  // without response code stands for a device that did not answer.
  runtime::HartResponse Handle(const runtime::HartRequest& request);

  // Switches the device off and on with a new memory: a running action
  // ends, the faults stay.
  void Load(const Profile& profile);

  // The memory as it stands now (a timed action brought up to the clock).
  Profile Memory() const;
  // The device status byte the next answer would carry.
  std::uint8_t DeviceStatus() const;
  std::uint8_t ActionState() const { return Memory().action_state; }
  bool ActionRunning() const;
  // The action (3, 4 or 5 of command 132) whose output test switches its
  // output now; 0 for none.
  std::uint8_t OutputTestRunning() const;
  // Between the actions 11 and 12 of command 132.
  bool CharacteristicTransferOpen() const { return characteristic_open_; }
  // The requests handled, in order: the latest kReceivedKept at least and
  // fewer than twice as many (the older half goes when the record is full),
  // so a device polled for days keeps a record of bounded size.
  static constexpr std::size_t kReceivedKept = 1000;
  const std::vector<runtime::HartRequest>& Received() const { return received_; }
  // How many requests were handled in all, the dropped ones too.
  std::size_t HandledCount() const { return handled_; }

  // State a test sets directly, as if the device had got there itself.
  void SetWriteProtected(bool on);                        // shown at byte 15 of command 15
  void SetStatusByte(std::size_t k, std::uint8_t value);  // command 48 byte k (0..3)
  void SetDeviceStatusBits(std::uint8_t bits);            // stored bits, see Profile::device_status
  void SetDynamicValues(const DynamicValues& values);

  // Faults. `replies` counts the answers a fault spoils (kUntilCleared:
  // all); `command` limits it to one command (nullopt: any).
  // Busy: response code `code` (32, or 0xA0 with the high bit) and no data;
  // the request is not carried out.
  void InjectBusy(int replies, std::uint8_t code = rc::kBusy);
  // Busy for every request that arrives within `span` of clock time from now.
  void InjectBusyFor(loop::Clock::Duration span, std::uint8_t code = rc::kBusy);
  // The device answers `command` with `code`. Without `execute` the request
  // is not carried out and the answer has no data; with it the request is
  // carried out and its data come with the forced code (a warning).
  void ForceResponseCode(std::uint8_t command, std::uint8_t code, int replies = 1,
                         bool execute = false);
  // The device does not answer: the answer has no response code.
  void InjectNoResponse(int replies, std::optional<std::uint8_t> command = std::nullopt);
  // The answer to `command` loses its last `drop` data bytes.
  void InjectShortResponse(std::uint8_t command, std::size_t drop, int replies = 1);
  // The line breaks when the next request (of `command`) arrives: that
  // request gets no answer, and TakeLineBreak reports it once.
  void InjectLineBreak(std::optional<std::uint8_t> command = std::nullopt);
  bool TakeLineBreak();
  // The next zero calibration or initialisation ends with `state` (an
  // error state of command 134) instead of success.
  void FailNextAction(std::uint8_t state);
  void ClearFaults();

 private:
  struct RunningAction {
    std::uint8_t action;  // 1 zero calibration, 2 initialisation
    loop::Clock::TimePoint start;
    std::uint8_t outcome;  // kActionSucceeded or an error state
  };
  struct OutputTest {
    std::uint8_t action;  // 3 fault alarm, 4 limit switch 1, 5 limit switch 2
    loop::Clock::TimePoint start;
    std::uint8_t own_state;  // what the output showed before the test
  };
  struct Fault {
    enum class Kind { kNoResponse, kBusy, kForcedCode, kShortResponse } kind;
    std::optional<std::uint8_t> command;
    int replies;  // kUntilCleared, or how many answers are still spoilt
    std::optional<loop::Clock::TimePoint> until = std::nullopt;  // busy: a spell of clock time
    std::uint8_t code = 0;
    bool execute = false;
    std::size_t drop = 0;
  };

  // Brings `memory` to `now`. False when the action has ended by then.
  bool Progress(Profile& memory, const RunningAction& action, loop::Clock::TimePoint now) const;
  void Settle();
  // The first live fault of `kind` that applies to `command`, used up by one answer.
  std::optional<Fault> TakeFault(Fault::Kind kind, std::uint8_t command);
  std::uint8_t StatusFor(const Profile& memory) const;

  // The command itself: the response code, the data into `data`.
  std::uint8_t Execute(const runtime::HartRequest& request, std::vector<std::uint8_t>& data);
  std::uint8_t ReadFloats(const std::vector<std::uint8_t>& request,
                          std::vector<std::uint8_t>& data) const;
  std::uint8_t WriteFloat(const std::vector<std::uint8_t>& request,
                          std::vector<std::uint8_t>& data);
  std::uint8_t ReadBytes(const std::vector<std::uint8_t>& request,
                         std::vector<std::uint8_t>& data) const;
  std::uint8_t WriteByte(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>& data);
  std::uint8_t StartAction(std::uint8_t action);
  std::uint8_t AbortAction(std::uint8_t which);
  std::uint8_t ByteValue(std::uint8_t index) const;  // 0 for an unknown index
  float FloatValue(std::uint8_t index) const;
  void CloseCharacteristic();
  // The output tests (sim_outputs.cpp).
  std::uint8_t StartOutputTest(std::uint8_t action);
  std::uint8_t StopOutputTest(std::uint8_t which);
  // Brings the output of a running test to the clock; ends a test whose
  // phases are over.
  void SettleOutputTest();
  // What a cold start resets besides a running action.
  void ColdStartReset();

  // In operation (sim_motion.cpp): the clock of the switch-on, the motion
  // brought up to the clock and the script's faults armed when due, before
  // each answer.
  void StartOperation();
  void Operate();
  void RunScript(loop::Clock::TimePoint now);
  void Move(loop::Clock::TimePoint now);
  loop::Clock::TimePoint switched_on_{};
  loop::Clock::TimePoint moved_at_{};
  std::optional<loop::Clock::TimePoint> off_band_since_;  // |e| outside the monitoring band
  std::vector<bool> script_done_;
  // The script's entry for a timed action that starts now (sim_actions.cpp).
  void TakeScriptedAction(std::uint8_t action);
  // Arms the faults the script has made due by now.
  void ApplyScriptedFaults();

  loop::Clock& clock_;
  ActionTiming timing_;
  Profile memory_;
  std::optional<RunningAction> running_;
  std::optional<OutputTest> output_test_;
  bool characteristic_open_ = false;
  bool cold_start_after_answer_ = false;
  std::vector<Fault> faults_;
  std::optional<std::optional<std::uint8_t>> line_break_;  // armed; for which command
  bool line_broken_ = false;
  std::optional<std::uint8_t> next_action_failure_;
  std::vector<runtime::HartRequest> received_;
  std::size_t handled_ = 0;
  std::optional<loop::Clock::TimePoint> scripted_silence_at_;
  std::optional<loop::Clock::TimePoint> scripted_break_at_;
};

}  // namespace dtm::device
