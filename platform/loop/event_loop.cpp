#include "platform/loop/event_loop.h"

#include <thread>

namespace dtm::loop {

Clock::TimePoint SystemClock::Now() const { return std::chrono::steady_clock::now(); }

Clock::WallTime SystemClock::WallNow() const { return std::chrono::system_clock::now(); }

void SystemClock::WaitUntil(TimePoint deadline) { std::this_thread::sleep_until(deadline); }

EventLoop::TaskId EventLoop::PostAt(Clock::TimePoint when, Task task) {
  const TaskId id = next_id_++;
  tasks_.emplace(std::make_pair(when, id), std::move(task));
  return id;
}

bool EventLoop::Cancel(TaskId id) {
  for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
    if (it->first.second == id) {
      tasks_.erase(it);
      return true;
    }
  }
  return false;
}

bool EventLoop::RunOneDue() {
  if (tasks_.empty()) return false;
  auto it = tasks_.begin();
  if (it->first.first > clock_.Now()) return false;
  Task task = std::move(it->second);
  tasks_.erase(it);
  task();
  return true;
}

std::size_t EventLoop::RunUntilIdle() {
  std::size_t ran = 0;
  while (RunOneDue()) ++ran;
  return ran;
}

bool EventLoop::RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    if (tasks_.empty()) return done();
    if (!RunOneDue()) clock_.WaitUntil(tasks_.begin()->first.first);
  }
  return true;
}

void EventLoop::RunFor(Clock::Duration limit) {
  const Clock::TimePoint end = clock_.Now() + limit;
  while (!tasks_.empty()) {
    const Clock::TimePoint next = tasks_.begin()->first.first;
    if (next > end) break;
    if (!RunOneDue()) clock_.WaitUntil(next);
  }
  if (clock_.Now() < end) clock_.WaitUntil(end);
}

}  // namespace dtm::loop
