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
  using WallTime = std::chrono::system_clock::time_point;
  virtual ~Clock() = default;
  virtual TimePoint Now() const = 0;
  // The calendar time (for dates shown to the user); it moves with Now().
  virtual WallTime WallNow() const = 0;
  // Called by the loop when it has nothing to run before `deadline`.
  virtual void WaitUntil(TimePoint deadline) = 0;
};

class SystemClock final : public Clock {
 public:
  TimePoint Now() const override;
  WallTime WallNow() const override;
  void WaitUntil(TimePoint deadline) override;
};

// Jumps instead of sleeping: a 30 s device timeout costs no test time.
class VirtualClock final : public Clock {
 public:
  TimePoint Now() const override { return now_; }
  WallTime WallNow() const override {
    return wall_origin_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                              now_.time_since_epoch());
  }
  void WaitUntil(TimePoint deadline) override { now_ = std::max(now_, deadline); }
  void Advance(Duration by) { now_ += by; }
  // The calendar time at virtual time zero; by default 2026-03-04 00:00 UTC.
  void SetWallOrigin(WallTime origin) { wall_origin_ = origin; }

 private:
  TimePoint now_{};
  WallTime wall_origin_ = std::chrono::sys_days{std::chrono::year{2026} / 3 / 4};
};

}  // namespace dtm::loop
