#include "platform/loop/event_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dtm::loop {
namespace {

using namespace std::chrono_literals;

class EventLoopOrder : public ::testing::Test {
 protected:
  VirtualClock clock_;
  EventLoop loop_{clock_};
  std::vector<std::string> log_;
};

TEST_F(EventLoopOrder, PostedTaskNeverRunsInsideThePost) {
  loop_.Post([&] { log_.push_back("task"); });
  log_.push_back("after post");
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (std::vector<std::string>{"after post", "task"}));
}

TEST_F(EventLoopOrder, DueTasksRunInTimeThenPostingOrder) {
  loop_.PostAfter(20ms, [&] { log_.push_back("20ms"); });
  loop_.PostAfter(10ms, [&] { log_.push_back("10ms-a"); });
  loop_.PostAfter(10ms, [&] { log_.push_back("10ms-b"); });
  loop_.Post([&] { log_.push_back("now"); });
  EXPECT_TRUE(loop_.RunUntil([&] { return log_.size() == 4; }));
  EXPECT_EQ(log_, (std::vector<std::string>{"now", "10ms-a", "10ms-b", "20ms"}));
  EXPECT_EQ(clock_.Now(), Clock::TimePoint{} + 20ms);
}

TEST_F(EventLoopOrder, RunUntilIdleLeavesFutureTasksAndTheClock) {
  loop_.PostAfter(5s, [&] { log_.push_back("later"); });
  EXPECT_EQ(loop_.RunUntilIdle(), 0u);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(clock_.Now(), Clock::TimePoint{});
}

TEST_F(EventLoopOrder, CancelledTaskDoesNotRun) {
  const auto id = loop_.PostAfter(1s, [&] { log_.push_back("cancelled"); });
  EXPECT_TRUE(loop_.Cancel(id));
  EXPECT_FALSE(loop_.Cancel(id));
  loop_.RunFor(2s);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(clock_.Now(), Clock::TimePoint{} + 2s);
}

TEST_F(EventLoopOrder, RunForStopsBeforeTasksPastTheLimit) {
  loop_.PostAfter(1s, [&] { log_.push_back("1s"); });
  loop_.PostAfter(3s, [&] { log_.push_back("3s"); });
  loop_.RunFor(2s);
  EXPECT_EQ(log_, (std::vector<std::string>{"1s"}));
  EXPECT_TRUE(loop_.HasPending());
}

TEST_F(EventLoopOrder, RunUntilReportsFalseWhenNothingIsLeft) {
  EXPECT_FALSE(loop_.RunUntil([] { return false; }));
}

}  // namespace
}  // namespace dtm::loop
