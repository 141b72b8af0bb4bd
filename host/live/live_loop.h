#pragma once
// The DTM's one thread in a live frame. Timers run on the real clock; the
// web server's threads never touch the DTM: they hand work to the inbox,
// which the loop's thread drains between its own tasks. The board tells the
// browsers' event streams that something may have changed.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/loop/clock.h"
#include "platform/loop/event_loop.h"

namespace dtm::live {

// The system clock, whose wait ends early when the inbox gets work.
class LiveClock final : public loop::Clock {
 public:
  TimePoint Now() const override;
  WallTime WallNow() const override;
  void WaitUntil(TimePoint deadline) override;  // returns at the deadline or on Wake()
  void Wake();                                   // any thread

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
  bool wake_ = false;
};

// Work from other threads for the loop's thread.
class Inbox {
 public:
  explicit Inbox(LiveClock& clock) : clock_(clock) {}
  void Post(std::function<void()> task);  // any thread; wakes the clock
  // Loop thread: posts what arrived to `loop`, in arrival order; false when
  // nothing had arrived.
  bool Drain(loop::EventLoop& loop);

 private:
  LiveClock& clock_;
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

// A counter the loop's thread raises after work that may change what the
// browser shows; the event streams wait on it.
class VersionBoard {
 public:
  void Bump();
  std::uint64_t Version() const;
  // Waits until the version is beyond `seen`, or `timeout`, or Close();
  // answers the version then.
  std::uint64_t WaitBeyond(std::uint64_t seen, std::chrono::milliseconds timeout);
  void Close();  // ends every wait, now and later
  bool Closed() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t version_ = 0;
  bool closed_ = false;
};

// Runs the loop's thread: drains the inbox, runs what is due, raises the
// board when anything ran, and waits for the next timer or the inbox.
class LivePump {
 public:
  LivePump(loop::EventLoop& loop, LiveClock& clock, Inbox& inbox, VersionBoard& board)
      : loop_(loop), clock_(clock), inbox_(inbox), board_(board) {}
  // One round; it waits at most `longest` when nothing is due.
  void RunOnce(std::chrono::milliseconds longest = std::chrono::milliseconds(250));
  // Rounds until `done` holds (a message box waiting for its answer, the
  // main loop waiting for the stop).
  void RunUntil(const std::function<bool()>& done);

 private:
  loop::EventLoop& loop_;
  LiveClock& clock_;
  Inbox& inbox_;
  VersionBoard& board_;
};

}  // namespace dtm::live
