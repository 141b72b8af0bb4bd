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
#include <optional>
#include <string>

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

// A counter the loop's thread raises when what the browser shows changed;
// the event streams wait on it.
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

// When a change of what the browser shows is told: once it has settled
// (no further change for kSettle), or kLongest after the first change not
// yet told, whichever comes first. A cyclic page's several answers, a
// line time apart, are then one event, not one each.
class ViewAnnouncer {
 public:
  using TimePoint = loop::Clock::TimePoint;
  static constexpr std::chrono::milliseconds kSettle{300};
  static constexpr std::chrono::milliseconds kLongest{1000};

  // The view after work that may have changed it, at `now`.
  void Look(std::string view, TimePoint now);
  // True once per change, when it is to be told.
  bool Due(TimePoint now);
  // When the change waiting is to be told; none when none waits.
  std::optional<TimePoint> NextDue() const;

 private:
  std::string shown_;
  bool waiting_ = false;
  TimePoint first_{}, last_{};
};

// Runs the loop's thread: drains the inbox, runs what is due, raises the
// board when what the browser shows changed, and waits for the next timer
// or the inbox.
class LivePump {
 public:
  // What the browser would show now, as text (the state and the page shown).
  using View = std::function<std::string()>;

  LivePump(loop::EventLoop& loop, LiveClock& clock, Inbox& inbox, VersionBoard& board)
      : loop_(loop), clock_(clock), inbox_(inbox), board_(board) {}
  // From now on the board rises only when the view changed (as the
  // announcer tells): a read changes nothing, so it announces nothing.
  // Without a view, every round that ran anything raises it.
  void SetView(View view);
  // Something shown changed inside a task that still runs (a box opened
  // and waits): the next round looks, though it may run nothing.
  void Touch() { touched_ = true; }
  // One round; it waits at most `longest` when nothing is due.
  void RunOnce(std::chrono::milliseconds longest = std::chrono::milliseconds(250));
  // Rounds until `done` holds (a message box waiting for its answer, the
  // main loop waiting for the stop).
  void RunUntil(const std::function<bool()>& done);

 private:
  void Announce();

  loop::EventLoop& loop_;
  LiveClock& clock_;
  Inbox& inbox_;
  VersionBoard& board_;
  View view_;
  ViewAnnouncer announcer_;
  bool touched_ = false;
};

}  // namespace dtm::live
