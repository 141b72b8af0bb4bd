// The live loop: work handed over from other threads, the clock's wait that
// a post ends, and the board the event streams wait on. These run on the
// system clock because a second thread is what they are about.

#include "host/live/live_loop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace dtm::live {
namespace {

using namespace std::chrono_literals;

// Long enough that reaching it means the wake was lost.
constexpr auto kLost = 60s;

class LiveLoop : public ::testing::Test {
 protected:
  // Pumps until `done` or until the wake was lost for good.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto give_up = clock_.Now() + kLost;
    pump_.RunUntil([&] { return done() || clock_.Now() > give_up; });
    return done();
  }

  LiveClock clock_;
  loop::EventLoop loop_{clock_};
  Inbox inbox_{clock_};
  VersionBoard board_;
  LivePump pump_{loop_, clock_, inbox_, board_};
};

TEST_F(LiveLoop, PostedTasksRunOnTheLoopThreadInOrder) {
  const std::thread::id loop_thread = std::this_thread::get_id();
  std::vector<std::pair<int, std::thread::id>> ran;  // the loop thread's alone
  std::thread poster([&] {
    for (int i = 1; i <= 5; ++i) {
      inbox_.Post([&ran, i] { ran.emplace_back(i, std::this_thread::get_id()); });
    }
  });
  ASSERT_TRUE(PumpUntil([&] { return ran.size() == 5; }));
  poster.join();
  for (std::size_t i = 0; i < ran.size(); ++i) {
    EXPECT_EQ(ran[i].first, static_cast<int>(i) + 1);
    EXPECT_EQ(ran[i].second, loop_thread);
  }
}

TEST_F(LiveLoop, PostedTasksRunAfterTheLoopsOwnDueTasks) {
  std::vector<std::string> ran;
  loop_.Post([&] { ran.push_back("timer"); });
  inbox_.Post([&] { ran.push_back("posted"); });
  pump_.RunOnce();
  EXPECT_EQ(ran, (std::vector<std::string>{"timer", "posted"}));
}

TEST_F(LiveLoop, WaitingClockWakesOnAPost) {
  const auto deadline = clock_.Now() + kLost;
  std::thread poster([&] { inbox_.Post([] {}); });
  clock_.WaitUntil(deadline);
  EXPECT_LT(clock_.Now(), deadline);
  poster.join();
  EXPECT_TRUE(inbox_.Drain(loop_));
  EXPECT_FALSE(inbox_.Drain(loop_));
}

TEST_F(LiveLoop, WakeBeforeTheWaitEndsOnlyTheNextWait) {
  clock_.Wake();
  const auto far = clock_.Now() + kLost;
  clock_.WaitUntil(far);
  EXPECT_LT(clock_.Now(), far);
  // The wake is used up: the next wait lasts until its deadline.
  const auto near = clock_.Now() + 20ms;
  clock_.WaitUntil(near);
  EXPECT_GE(clock_.Now(), near);
}

TEST_F(LiveLoop, PumpWaitsForTheNextTimerNotItsLongestWait) {
  bool fired = false;
  loop_.PostAfter(30ms, [&] { fired = true; });
  const auto start = clock_.Now();
  pump_.RunOnce(std::chrono::milliseconds(kLost));  // waits, runs nothing
  EXPECT_FALSE(fired);
  EXPECT_LT(clock_.Now(), start + kLost);
  pump_.RunOnce(std::chrono::milliseconds(kLost));
  EXPECT_TRUE(fired);
}

TEST_F(LiveLoop, BoardRisesOnlyWhenSomethingRan) {
  pump_.RunOnce(1ms);
  EXPECT_EQ(board_.Version(), 0u);
  inbox_.Post([] {});
  pump_.RunOnce(1ms);
  EXPECT_EQ(board_.Version(), 1u);
  loop_.Post([] {});
  pump_.RunOnce(1ms);
  EXPECT_EQ(board_.Version(), 2u);
}

// With a view, work that changes nothing shown (a read) raises nothing;
// a change is told once, after it settled.
TEST_F(LiveLoop, WithAViewTheBoardRisesOncePerChangeAndNeverForARead) {
  std::string shown = "page 1";
  pump_.SetView([&] { return shown; });
  ASSERT_TRUE(PumpUntil([&] { return board_.Version() == 1; })) << "the first view is told";
  for (int i = 0; i < 5; ++i) inbox_.Post([] {});
  pump_.RunOnce(1ms);
  pump_.RunOnce(1ms);
  inbox_.Post([&] { shown = "page 2"; });
  ASSERT_TRUE(PumpUntil([&] { return board_.Version() == 2; }));
  for (int i = 0; i < 5; ++i) inbox_.Post([] {});
  const auto quiet_until = clock_.Now() + ViewAnnouncer::kLongest + 200ms;
  pump_.RunUntil([&] { return clock_.Now() > quiet_until; });
  EXPECT_EQ(board_.Version(), 2u);
  // A change inside a task that still runs (a box that waits) is told
  // though nothing else runs.
  shown = "page 2 with a box";
  pump_.Touch();
  ASSERT_TRUE(PumpUntil([&] { return board_.Version() == 3; }));
}

TEST_F(LiveLoop, AViewThatFailsRaisesTheBoardAndTheLoopGoesOn) {
  pump_.SetView([]() -> std::string { throw std::runtime_error("cannot render"); });
  pump_.RunOnce(1ms);
  EXPECT_EQ(board_.Version(), 1u);
  bool ran = false;
  inbox_.Post([&] { ran = true; });
  ASSERT_TRUE(PumpUntil([&] { return ran; }));
  EXPECT_EQ(board_.Version(), 2u);
}

TEST(ViewAnnouncerTest, ABurstOfChangesIsToldOnceAfterItSettledOrAtTheLatest) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point t0{};
  ViewAnnouncer announcer;
  EXPECT_EQ(announcer.NextDue(), std::nullopt);
  announcer.Look("a", t0);
  announcer.Look("b", t0 + 100ms);
  announcer.Look("c", t0 + 300ms);
  EXPECT_EQ(announcer.NextDue(), t0 + 600ms);
  EXPECT_FALSE(announcer.Due(t0 + 599ms));
  EXPECT_TRUE(announcer.Due(t0 + 600ms));
  EXPECT_FALSE(announcer.Due(t0 + 700ms)) << "told once";
  announcer.Look("c", t0 + 800ms);
  EXPECT_EQ(announcer.NextDue(), std::nullopt) << "the same view is no change";
  // A view that keeps changing is still told within the longest wait.
  for (int i = 0; i <= 20; ++i) announcer.Look(std::to_string(i), t0 + 1s + i * 100ms);
  EXPECT_EQ(announcer.NextDue(), t0 + 2s);
}

// A modal wait inside a task: the loop's thread keeps taking posts, and
// the one that answers ends the wait, inside the task that waited.
TEST_F(LiveLoop, WaitInsideATaskTakesTheAnswerFromTheInbox) {
  std::vector<std::string> ran;
  bool answered = false;
  inbox_.Post([&] {
    ran.push_back("asks");
    std::thread answerer([&] {
      inbox_.Post([&] { ran.push_back("other"); });
      inbox_.Post([&] {
        ran.push_back("answer");
        answered = true;
      });
    });
    EXPECT_TRUE(PumpUntil([&] { return answered; }));
    answerer.join();
    ran.push_back("goes on");
  });
  ASSERT_TRUE(PumpUntil([&] { return ran.size() == 4; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"asks", "other", "answer", "goes on"}));
}

TEST(VersionBoard, WaitReturnsOnBump) {
  VersionBoard board;
  std::thread bumper([&] { board.Bump(); });
  EXPECT_EQ(board.WaitBeyond(0, kLost), 1u);
  bumper.join();
  // Already beyond: no wait.
  EXPECT_EQ(board.WaitBeyond(0, kLost), 1u);
}

TEST(VersionBoard, WaitReturnsOnCloseNowAndLater) {
  VersionBoard board;
  board.Bump();
  std::thread closer([&] { board.Close(); });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(board.WaitBeyond(1, kLost), 1u);
  closer.join();
  EXPECT_TRUE(board.Closed());
  EXPECT_EQ(board.WaitBeyond(1, kLost), 1u);
  EXPECT_LT(std::chrono::steady_clock::now(), start + kLost);
}

TEST(VersionBoard, WaitEndsAtItsTimeoutWithTheVersionUnchanged) {
  VersionBoard board;
  EXPECT_EQ(board.WaitBeyond(0, 10ms), 0u);
  EXPECT_FALSE(board.Closed());
}

}  // namespace
}  // namespace dtm::live
