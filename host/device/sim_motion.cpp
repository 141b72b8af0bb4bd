// The device in operation: the values of command 136 move over clock time,
// and the profile's script injects its faults when their time has come.

#include <algorithm>
#include <chrono>
#include <cmath>

#include "host/device/parameters.h"
#include "host/device/sim_device.h"

namespace dtm::device {
namespace {

using Ms = std::chrono::milliseconds;

// The motion is followed in steps no longer than this, so the lag of x
// and the triangle of w stay smooth whenever the device is asked.
constexpr Ms kStep{100};

constexpr std::uint8_t kSetPointStartIndex = 13;  // mA
constexpr std::uint8_t kSetPointEndIndex = 14;    // mA
constexpr std::uint8_t kLimit1PointIndex = 48;    // %
constexpr std::uint8_t kLimit2PointIndex = 49;    // %
constexpr std::uint8_t kMonitoringBandIndex = 58;  // %
constexpr std::uint8_t kMonitoringTimeIndex = 59;  // s

float FloatOf(const Profile& memory, std::uint8_t index, float otherwise) {
  const auto found = memory.floats.find(index);
  return found == memory.floats.end() ? otherwise : found->second;
}

// The current input at `t` since the switch-on: up from w_low to w_high in
// the first half of the period, down in the second.
float CurrentAt(const Motion& motion, Ms t) {
  if (motion.period_ms == 0) return motion.w_low;
  const double phase = static_cast<double>(t.count() % motion.period_ms) / motion.period_ms;
  const double share = phase < 0.5 ? 2.0 * phase : 2.0 - 2.0 * phase;
  return static_cast<float>(motion.w_low + (motion.w_high - motion.w_low) * share);
}

}  // namespace

void SimDevice::StartOperation() {
  switched_on_ = clock_.Now();
  moved_at_ = switched_on_;
  off_band_since_.reset();
  script_done_.assign(memory_.script.size(), false);
}

void SimDevice::Operate() {
  const loop::Clock::TimePoint now = clock_.Now();
  RunScript(now);
  if (memory_.motion.enabled) Move(now);
}

void SimDevice::RunScript(loop::Clock::TimePoint now) {
  for (std::size_t i = 0; i < memory_.script.size() && i < script_done_.size(); ++i) {
    const ScriptedFault& fault = memory_.script[i];
    const loop::Clock::TimePoint due = switched_on_ + Ms(fault.at_ms);
    if (script_done_[i] || now < due) continue;
    script_done_[i] = true;
    const std::optional<std::uint8_t> command =
        fault.command < 0 ? std::nullopt : std::optional<std::uint8_t>(static_cast<std::uint8_t>(fault.command));
    switch (fault.kind) {
      case ScriptedFault::Kind::kBusy: {
        // The spell is counted from its due time, not from the request that found it.
        const loop::Clock::TimePoint until = due + Ms(fault.span_ms);
        if (until > now) InjectBusyFor(until - now, fault.code);
        break;
      }
      case ScriptedFault::Kind::kLostConnection:
        InjectLineBreak();
        InjectNoResponse(kUntilCleared);
        break;
      case ScriptedFault::Kind::kResponseCode:
        if (command) {
          ForceResponseCode(*command, fault.code, fault.replies);
        } else {
          // Any command: the forced answer of a busy fault carries the code.
          InjectBusy(fault.replies, fault.code);
        }
        break;
    }
  }
}

void SimDevice::Move(loop::Clock::TimePoint now) {
  const Motion& motion = memory_.motion;
  DynamicValues& d = memory_.dynamic;
  const float start = FloatOf(memory_, kSetPointStartIndex, 4.0f);
  const float end = FloatOf(memory_, kSetPointEndIndex, 20.0f);
  const auto percent_of = [&](float current) {
    return end > start ? (current - start) / (end - start) * 100.0f : 0.0f;
  };
  while (moved_at_ < now) {
    const loop::Clock::Duration dt = std::min<loop::Clock::Duration>(kStep, now - moved_at_);
    moved_at_ += dt;
    const Ms since = std::chrono::duration_cast<Ms>(moved_at_ - switched_on_);
    d.w_analog = CurrentAt(motion, since);
    const std::uint8_t mode = ByteValue(kOperatingModeIndex);
    float w = motion.safety_w;
    if (mode == 0) w = percent_of(d.w_analog);
    if (mode == 1) w = percent_of(FloatValue(kManualSetPointIndex));
    w = std::clamp(w, -10.0f, 120.0f);
    const double seconds = std::chrono::duration<double>(dt).count();
    const double follow =
        motion.lag_ms == 0 ? 1.0 : 1.0 - std::exp(-seconds * 1000.0 / motion.lag_ms);
    const float x = static_cast<float>(d.position + (w - d.position) * follow);
    d.total_travel = std::min(16500000.0f, d.total_travel + std::fabs(x - d.position));
    d.position = std::clamp(x, -10.0f, 120.0f);
    d.w_digit = w;
    d.deviation = w - d.position;
  }
  memory_.bytes[kLimit1Index] = d.position < FloatOf(memory_, kLimit1PointIndex, 2.0f) ? 1 : 0;
  memory_.bytes[kLimit2Index] = d.position > FloatOf(memory_, kLimit2PointIndex, 98.0f) ? 1 : 0;
  if (std::fabs(d.deviation) > FloatOf(memory_, kMonitoringBandIndex, 5.0f)) {
    if (!off_band_since_) off_band_since_ = now;
  } else {
    off_band_since_.reset();
  }
  const auto band_time = std::chrono::duration<double>(FloatOf(memory_, kMonitoringTimeIndex, 10.0f));
  memory_.bytes[kFaultAlarmIndex] =
      off_band_since_ && std::chrono::duration<double>(now - *off_band_since_) >= band_time ? 1 : 0;
}

}  // namespace dtm::device
