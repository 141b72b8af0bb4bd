#pragma once
// Time as the system sees it. Nothing reads the system clock directly: the
// event loop and everything that measures a wait take a Clock&.

#include <algorithm>
#include <chrono>

namespace dtm::loop {

class Clock {
 public:
  using Duration = std::chrono::steady_clock::duration;
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~Clock() = default;
  virtual TimePoint Now() const = 0;
  // Called by the loop when it has nothing to run before `deadline`.
  virtual void WaitUntil(TimePoint deadline) = 0;
};

class SystemClock final : public Clock {
 public:
  TimePoint Now() const override;
  void WaitUntil(TimePoint deadline) override;
};

// Jumps instead of sleeping: a 30 s device timeout costs no test time.
class VirtualClock final : public Clock {
 public:
  TimePoint Now() const override { return now_; }
  void WaitUntil(TimePoint deadline) override { now_ = std::max(now_, deadline); }
  void Advance(Duration by) { now_ += by; }

 private:
  TimePoint now_{};
};

}  // namespace dtm::loop
