#pragma once
// The one event loop of the apartment: every call runs on the thread that
// runs the loop. Asynchronous work (a device's answer, the end of a process,
// a window timer) is posted here and runs later, never inside the call that
// started it.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "platform/loop/clock.h"

namespace dtm::loop {

class EventLoop {
 public:
  using Task = std::function<void()>;
  using TaskId = std::uint64_t;

  explicit EventLoop(Clock& clock) : clock_(clock) {}
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  Clock& GetClock() const { return clock_; }

  // Runs `task` after everything already due; returns an id for Cancel.
  TaskId Post(Task task) { return PostAt(clock_.Now(), std::move(task)); }
  TaskId PostAfter(Clock::Duration delay, Task task) {
    return PostAt(clock_.Now() + delay, std::move(task));
  }
  TaskId PostAt(Clock::TimePoint when, Task task);
  // True when the task was still pending.
  bool Cancel(TaskId id);

  // Runs every task that is due now, including those they post for now.
  // Returns how many ran.
  std::size_t RunUntilIdle();
  // Runs tasks in time order, letting the clock wait for the next one, until
  // `done` holds or nothing is pending. Returns `done()`.
  bool RunUntil(const std::function<bool()>& done);
  // Runs until nothing is pending or `limit` of clock time has passed.
  void RunFor(Clock::Duration limit);

  bool HasPending() const { return !tasks_.empty(); }
  // When the earliest pending task is due (it may be past); none when
  // nothing is pending. A loop driven from outside waits until then.
  std::optional<Clock::TimePoint> NextDue() const {
    if (tasks_.empty()) return std::nullopt;
    return tasks_.begin()->first.first;
  }
  std::size_t PendingCount() const { return tasks_.size(); }

 private:
  bool RunOneDue();

  Clock& clock_;
  // Ordered by due time, then by posting order.
  std::map<std::pair<Clock::TimePoint, TaskId>, Task> tasks_;
  TaskId next_id_ = 1;
};

}  // namespace dtm::loop
