#include "platform/forms/timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "platform/forms/user_control.h"
#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using namespace std::chrono_literals;

// A timer on a page, with the time of every tick in milliseconds.
class TimerTicks : public ::testing::Test {
 protected:
  TimerTicks() {
    timer_ = page_->Add(std::make_shared<Timer>("Kommunikationstimer", loop_));
    timer_->On("Timer", [this](Args&) { ticks_.push_back(NowMs()); });
  }
  long NowMs() const {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now().time_since_epoch())
            .count());
  }
  loop::VirtualClock clock_;
  loop::EventLoop loop_{clock_};
  std::shared_ptr<UserControl> page_ = std::make_shared<UserControl>("ctlPage");
  std::shared_ptr<Timer> timer_;
  std::vector<long> ticks_;
};

TEST_F(TimerTicks, TwentySecondsAtFourHundredMillisecondsTickFiftyTimes) {
  timer_->SetInterval(400);
  loop_.RunFor(20s);
  ASSERT_EQ(ticks_.size(), 50u);
  EXPECT_EQ(ticks_.front(), 400);
  EXPECT_EQ(ticks_[1], 800);
  EXPECT_EQ(ticks_.back(), 20000);
}

TEST_F(TimerTicks, IntervalZeroOrDisabledNeverTicks) {
  loop_.RunFor(5s);
  timer_->SetInterval(100);
  timer_->SetEnabled(false);
  loop_.RunFor(5s);
  EXPECT_TRUE(ticks_.empty());
  EXPECT_FALSE(timer_->Running());
  EXPECT_FALSE(loop_.HasPending());
}

TEST_F(TimerTicks, StopsWhenTheHandlerSetsIntervalZero) {
  timer_->On("Timer", [this](Args&) {
    if (ticks_.size() == 3) timer_->SetInterval(0);
  });
  timer_->SetInterval(400);
  loop_.RunFor(20s);
  EXPECT_EQ(ticks_, (std::vector<long>{400, 800, 1200}));
}

TEST_F(TimerTicks, ChangingTheIntervalStartsTheCountAgain) {
  timer_->SetInterval(1000);
  loop_.RunFor(1500ms);
  timer_->SetInterval(300);
  loop_.RunFor(1000ms);
  EXPECT_EQ(ticks_, (std::vector<long>{1000, 1800, 2100, 2400}));
}

TEST_F(TimerTicks, EnablingAgainStartsAFullInterval) {
  timer_->SetInterval(1000);
  loop_.RunFor(700ms);
  timer_->SetEnabled(false);
  loop_.RunFor(100ms);
  timer_->SetEnabled(true);
  loop_.RunFor(2000ms);
  EXPECT_EQ(ticks_, (std::vector<long>{1800, 2800}));
}

TEST_F(TimerTicks, TerminatedPageTicksNoMore) {
  timer_->SetInterval(400);
  loop_.RunFor(1s);
  page_->Terminate();
  timer_->SetEnabled(false);
  timer_->SetEnabled(true);
  timer_->SetInterval(100);
  loop_.RunFor(5s);
  EXPECT_EQ(ticks_, (std::vector<long>{400, 800}));
}

TEST_F(TimerTicks, ErrorInTheHandlerGoesToTheSinkAndTicksGoOn) {
  CollectingErrorSink sink;
  page_->SetErrorSink(&sink);
  timer_->On("Timer", [](Args&) { throw com::ComError(6, "Overflow"); });
  timer_->SetInterval(500);
  EXPECT_NO_THROW(loop_.RunFor(2s));
  EXPECT_EQ(ticks_.size(), 4u);
  ASSERT_EQ(sink.Failures().size(), 4u);
  EXPECT_EQ(sink.Failures()[0].event, "Timer");
  EXPECT_EQ(sink.Failures()[0].number, 6);
}

TEST_F(TimerTicks, DestroyedTimerLeavesNothingPending) {
  auto loose = std::make_unique<Timer>("tmrLoose", loop_);
  loose->SetInterval(100);
  EXPECT_TRUE(loop_.HasPending());
  loose.reset();
  EXPECT_FALSE(loop_.HasPending());
}

TEST(TimerInterval, OutsideItsRangeRaises380) {
  loop::VirtualClock clock;
  loop::EventLoop loop{clock};
  Timer timer("tmr", loop);
  struct Case {
    std::int32_t interval;
    std::int32_t error;
  };
  for (const Case& c : {Case{-1, 380}, Case{0, 0}, Case{65535, 0}, Case{65536, 380}}) {
    EXPECT_EQ(testing::ErrorOf([&] { timer.SetInterval(c.interval); }), c.error) << c.interval;
  }
  EXPECT_EQ(timer.Interval(), 65535);
}

}  // namespace
}  // namespace dtm::forms
