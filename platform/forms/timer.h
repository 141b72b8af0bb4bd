#pragma once
// The window timer: while it is enabled with an Interval above 0 it raises
// "Timer" every Interval milliseconds on the event loop's clock. Setting the
// Interval starts the count again; Interval 0 or Enabled False stops it.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/forms/control.h"
#include "platform/loop/event_loop.h"

namespace dtm::forms {

class Timer : public Control {
 public:
  Timer(std::string name, loop::EventLoop& loop, std::optional<std::int16_t> index = std::nullopt);
  ~Timer() override;

  std::int32_t Interval() const { return interval_ms_; }
  // Milliseconds, 0 to 65535; raises 380 ("Invalid property value") outside.
  void SetInterval(std::int32_t milliseconds);
  void SetEnabled(bool enabled) override;
  // A tick is pending.
  bool Running() const { return pending_ != 0; }
  // Stops the timer for good: neither Enabled nor Interval starts it again.
  void Stop();

  void Describe(ControlState& state) const override;

 private:
  void Arm();
  void Disarm();
  void Tick();

  loop::EventLoop& loop_;
  std::int32_t interval_ms_ = 0;
  loop::EventLoop::TaskId pending_ = 0;
  bool stopped_ = false;
};

}  // namespace dtm::forms
