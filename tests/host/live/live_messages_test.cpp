// The component's message boxes as the frame's dialogs: each waits, with
// the DTM's thread going on, until the user's answer for it arrives.

#include "host/live/live_messages.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace dtm::live {
namespace {

class Dialogs : public ::testing::Test {
 protected:
  // The wait runs the scripted steps, in order, until the box is done.
  void Wait(const std::function<bool()>& done) {
    ++waits_;
    while (!done()) {
      if (script_.empty()) {
        ADD_FAILURE() << "a box waits with nothing to answer it";
        messages_.CloseAll();
        return;
      }
      const std::function<void()> step = std::move(script_.front());
      script_.pop_front();
      step();
    }
  }

  std::ostringstream log_;
  std::deque<std::function<void()>> script_;
  int waits_ = 0;
  int changes_ = 0;
  LiveMessages messages_{log_, [this](const std::function<bool()>& done) { Wait(done); },
                         [this] { ++changes_; }};
};

TEST(DialogButtons, FollowTheStylesButtonSet) {
  struct Case {
    std::int32_t style;
    std::vector<std::int32_t> ids;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {0, {1}, {"OK"}},
      {0x21, {1, 2}, {"OK", "Cancel"}},
      {2, {3, 4, 5}, {"Abort", "Retry", "Ignore"}},
      {3, {6, 7, 2}, {"Yes", "No", "Cancel"}},
      {0x124, {6, 7}, {"Yes", "No"}},
      {5, {4, 2}, {"Retry", "Cancel"}},
      {6, {1}, {"OK"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    std::vector<std::int32_t> ids;
    std::vector<std::string> labels;
    for (const LiveMessages::Button& b : LiveMessages::ButtonsOf(c.style)) {
      ids.push_back(b.id);
      labels.push_back(b.label);
    }
    EXPECT_EQ(ids, c.ids);
    EXPECT_EQ(labels, c.labels);
  }
}

TEST_F(Dialogs, ABoxWaitsForItsAnswerAndIsLoggedWithIt) {
  script_.push_back([&] {
    const LiveMessages::Dialog* open = messages_.Open();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->id, 1u);
    EXPECT_EQ(open->text, "Go on?");
    EXPECT_EQ(open->title, "Reset");
    EXPECT_EQ(open->style, 0x124);
    EXPECT_EQ(open->default_button, 7);
    EXPECT_EQ(changes_, 1);
    EXPECT_FALSE(messages_.Answer(2, 6));  // another box
    EXPECT_FALSE(messages_.Answer(1, 1));  // no OK on it
  });
  script_.push_back([&] { EXPECT_TRUE(messages_.Answer(1, 6)); });
  EXPECT_EQ(messages_.MessageBox("Go on?", 0x124, "Reset"), 6);
  EXPECT_EQ(messages_.Open(), nullptr);
  EXPECT_EQ(changes_, 2);
  EXPECT_EQ(log_.str(), "[box: Reset] Go on? -> Yes\n");
  EXPECT_FALSE(messages_.Answer(1, 6));  // answered already
}

TEST_F(Dialogs, ABoxAskedInsideAWaitIsAnsweredFirst) {
  script_.push_back([&] {
    script_.push_front([&] {
      EXPECT_EQ(messages_.Open()->id, 2u);
      EXPECT_FALSE(messages_.Answer(1, 1));  // the outer box waits below the newest
      EXPECT_TRUE(messages_.Answer(2, 1));
    });
    EXPECT_EQ(messages_.MessageBox("Inner", 0, ""), 1);
    EXPECT_EQ(messages_.Open()->id, 1u);
    EXPECT_TRUE(messages_.Answer(1, 2));
  });
  EXPECT_EQ(messages_.MessageBox("Outer", 1, ""), 2);
  EXPECT_EQ(log_.str(), "[box] Inner -> OK\n[box] Outer -> Cancel\n");
}

TEST_F(Dialogs, ClosingAnswersTheOpenBoxAndEveryLaterOneAtOnce) {
  script_.push_back([&] { messages_.CloseAll(); });
  EXPECT_EQ(messages_.MessageBox("Save?", 3, ""), 2);   // Cancel where it has one
  EXPECT_EQ(messages_.MessageBox("Go on?", 0x124, ""), 7);  // else its default
  EXPECT_EQ(waits_, 1);
  EXPECT_EQ(log_.str(), "[box] Save? -> Cancel\n[box] Go on? -> No\n");
}

TEST_F(Dialogs, ErrorsAreBoxesWithOkAndReportsOnlyNotices) {
  script_.push_back([&] {
    EXPECT_EQ(messages_.Open()->text, "Lost.");
    EXPECT_EQ(messages_.Open()->style, 16);
    EXPECT_TRUE(messages_.Answer(messages_.Open()->id, 1));
  });
  messages_.ShowError("Lost.");
  messages_.Report("Done.");
  EXPECT_EQ(waits_, 1);
  EXPECT_EQ(messages_.Reports(), (std::vector<std::string>{"Lost.", "Done."}));
  EXPECT_EQ(log_.str(), "[error] Lost.\n[report] Done.\n");
}

}  // namespace
}  // namespace dtm::live
