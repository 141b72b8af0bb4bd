#include "platform/forms/timer.h"

#include <chrono>

namespace dtm::forms {

Timer::Timer(std::string name, loop::EventLoop& loop, std::optional<std::int16_t> index)
    : Control(ControlKind::kTimer, std::move(name), index), loop_(loop) {}

Timer::~Timer() { Disarm(); }

void Timer::SetInterval(std::int32_t milliseconds) {
  if (milliseconds < 0 || milliseconds > 65535) {
    throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", Name());
  }
  interval_ms_ = milliseconds;
  Arm();
}

void Timer::SetEnabled(bool enabled) {
  const bool was = Enabled();
  Control::SetEnabled(enabled);
  if (enabled != was) Arm();
}

void Timer::Stop() {
  stopped_ = true;
  Disarm();
}

void Timer::Disarm() {
  if (pending_ != 0) loop_.Cancel(pending_);
  pending_ = 0;
}

void Timer::Arm() {
  Disarm();
  if (stopped_ || !Enabled() || interval_ms_ == 0) return;
  pending_ = loop_.PostAfter(std::chrono::milliseconds(interval_ms_), [this] { Tick(); });
}

void Timer::Describe(ControlState& state) const {
  Control::Describe(state);
  state.attributes.emplace_back("interval", std::to_string(interval_ms_));
}

void Timer::Tick() {
  pending_ = 0;
  // The next tick is due one interval after this one, whatever the handler
  // takes; a handler that changes Interval or Enabled re-arms it itself.
  Arm();
  Raise("Timer");
}

}  // namespace dtm::forms
