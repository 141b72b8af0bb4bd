// The output tests of command 132 (3, 4, 5) and what a cold start resets.

#include "host/device/parameters.h"
#include "host/device/sim_device.h"

namespace dtm::device {
namespace {

std::uint8_t OutputIndexOf(std::uint8_t action) {
  static constexpr std::uint8_t kOutputs[] = {kFaultAlarmIndex, kLimit1Index, kLimit2Index};
  return kOutputs[action - 3];
}

// The output's state `elapsed` into a test; nullopt once the test is over.
std::optional<std::uint8_t> OutputAt(loop::Clock::Duration elapsed, std::uint8_t own_state) {
  const auto phase = elapsed / kOutputTestPhase;
  if (phase >= kOutputTestPhases) return std::nullopt;
  const std::uint8_t switched = own_state ? 0 : 1;
  return phase % 2 == 0 ? switched : own_state;
}

}  // namespace

std::uint8_t SimDevice::StartOutputTest(std::uint8_t action) {
  SettleOutputTest();
  // One output test at a time: a new one ends the one before.
  if (output_test_) StopOutputTest(output_test_->action);
  const std::uint8_t index = OutputIndexOf(action);
  output_test_ = OutputTest{action, clock_.Now(), ByteValue(index)};
  SettleOutputTest();
  return rc::kSuccess;
}

std::uint8_t SimDevice::StopOutputTest(std::uint8_t which) {
  // 6 stops the position transmitter's test, which holds nothing.
  if (output_test_ && output_test_->action == which) {
    memory_.bytes[OutputIndexOf(which)] = output_test_->own_state;
    output_test_.reset();
  }
  return rc::kSuccess;
}

void SimDevice::SettleOutputTest() {
  if (!output_test_) return;
  const std::optional<std::uint8_t> state = OutputAt(clock_.Now() - output_test_->start, output_test_->own_state);
  memory_.bytes[OutputIndexOf(output_test_->action)] = state.value_or(output_test_->own_state);
  if (!state) output_test_.reset();
}

std::uint8_t SimDevice::OutputTestRunning() const {
  if (!output_test_ || !OutputAt(clock_.Now() - output_test_->start, output_test_->own_state)) return 0;
  return output_test_->action;
}

void SimDevice::ColdStartReset() {
  if (output_test_) StopOutputTest(output_test_->action);
  memory_.dynamic.operating_state = 0;
  memory_.dynamic.total_travel = 0.0f;
  // Faults found while running are found again after the restart; what
  // the device stores (not initialised, a faulty characteristic) stays.
  memory_.status[0] = 0;
  memory_.status[1] &= kNotInitialised;
  memory_.status[2] &= 0x80;
  memory_.status[3] = 0;
}

}  // namespace dtm::device
