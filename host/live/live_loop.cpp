#include "host/live/live_loop.h"

#include <algorithm>
#include <utility>

namespace dtm::live {

LiveClock::TimePoint LiveClock::Now() const { return std::chrono::steady_clock::now(); }

LiveClock::WallTime LiveClock::WallNow() const { return std::chrono::system_clock::now(); }

void LiveClock::WaitUntil(TimePoint deadline) {
  std::unique_lock lock(mutex_);
  woken_.wait_until(lock, deadline, [this] { return wake_; });
  // A wake that came before the wait ends the next wait at once, so a post
  // between the loop's last look and its wait is never slept through.
  wake_ = false;
}

void LiveClock::Wake() {
  {
    const std::lock_guard lock(mutex_);
    wake_ = true;
  }
  woken_.notify_all();
}

void Inbox::Post(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  clock_.Wake();
}

bool Inbox::Drain(loop::EventLoop& loop) {
  std::deque<std::function<void()>> arrived;
  {
    const std::lock_guard lock(mutex_);
    arrived.swap(tasks_);
  }
  for (auto& task : arrived) loop.Post(std::move(task));
  return !arrived.empty();
}

void VersionBoard::Bump() {
  {
    const std::lock_guard lock(mutex_);
    ++version_;
  }
  changed_.notify_all();
}

std::uint64_t VersionBoard::Version() const {
  const std::lock_guard lock(mutex_);
  return version_;
}

std::uint64_t VersionBoard::WaitBeyond(std::uint64_t seen, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return closed_ || version_ > seen; });
  return version_;
}

void VersionBoard::Close() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

bool VersionBoard::Closed() const {
  const std::lock_guard lock(mutex_);
  return closed_;
}

void ViewAnnouncer::Look(std::string view, TimePoint now) {
  if (view == shown_) return;
  shown_ = std::move(view);
  if (!waiting_) first_ = now;
  waiting_ = true;
  last_ = now;
}

bool ViewAnnouncer::Due(TimePoint now) {
  const std::optional<TimePoint> due = NextDue();
  if (!due || now < *due) return false;
  waiting_ = false;
  return true;
}

std::optional<ViewAnnouncer::TimePoint> ViewAnnouncer::NextDue() const {
  if (!waiting_) return std::nullopt;
  return std::min(last_ + kSettle, first_ + kLongest);
}

void LivePump::SetView(View view) {
  view_ = std::move(view);
  announcer_ = ViewAnnouncer();
  touched_ = true;
}

void LivePump::Announce() {
  if (!view_) {
    board_.Bump();
    return;
  }
  // A view that cannot be made says nothing of what changed: the browser
  // is told to look, and the loop goes on.
  try {
    announcer_.Look(view_(), clock_.Now());
  } catch (...) {
    board_.Bump();
  }
}

void LivePump::RunOnce(std::chrono::milliseconds longest) {
  const bool arrived = inbox_.Drain(loop_);
  const std::size_t ran = loop_.RunUntilIdle();
  if (arrived || ran > 0 || touched_) {
    touched_ = false;
    Announce();
  }
  if (announcer_.Due(clock_.Now())) board_.Bump();
  if (arrived || ran > 0) return;
  loop::Clock::TimePoint deadline = clock_.Now() + longest;
  if (const auto next = loop_.NextDue()) deadline = std::min(deadline, *next);
  if (const auto told = announcer_.NextDue()) deadline = std::min(deadline, *told);
  clock_.WaitUntil(deadline);
}

void LivePump::RunUntil(const std::function<bool()>& done) {
  while (!done()) RunOnce();
}

}  // namespace dtm::live
