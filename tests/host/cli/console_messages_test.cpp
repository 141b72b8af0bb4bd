// Message boxes on the terminal: answers, runs of one box, and questions
// that keep coming back.

#include <gtest/gtest.h>

#include <sstream>

#include "host/cli/console_messages.h"

namespace dtm::testing {
namespace {

using Answers = host::ConsoleMessages::Answers;

constexpr std::int32_t kOkOnly = 0x10;      // OK, critical icon
constexpr std::int32_t kYesNo = 0x34;       // Yes/No, exclamation; default Yes
constexpr std::int32_t kYesNoSecond = 0x124;  // Yes/No, default No
constexpr std::int32_t kOkCancel = 0x1;

struct AnswerCase {
  Answers answers;
  std::int32_t style;
  std::int32_t expected;
};

TEST(ConsoleMessages, AnswersAsTheDefaultOrAsTheUserSaid) {
  const AnswerCase cases[] = {
      {Answers::kDefault, kOkOnly, 1},      {Answers::kDefault, kYesNo, 6},
      {Answers::kDefault, kYesNoSecond, 7}, {Answers::kYes, kYesNoSecond, 6},
      {Answers::kNo, kYesNo, 7},            {Answers::kNo, kOkCancel, 2},
      {Answers::kNo, kOkOnly, 1},
  };
  for (const AnswerCase& c : cases) {
    std::ostringstream err;
    host::ConsoleMessages messages(err, c.answers);
    EXPECT_EQ(messages.MessageBox("Go on?", c.style, ""), c.expected) << c.style;
  }
}

TEST(ConsoleMessages, ARunOfOneBoxPrintsOnceWithItsCount) {
  std::ostringstream err;
  {
    host::ConsoleMessages messages(err);
    for (int i = 0; i < 63; ++i) EXPECT_EQ(messages.MessageBox("Write-protected.", kOkOnly, ""), 1);
    messages.MessageBox("Other.", kOkOnly, "Title");
    messages.Report("done");
    messages.MessageBox("Write-protected.", kOkOnly, "");
  }  // the last run is printed when the console goes
  EXPECT_EQ(err.str(),
            "[box] Write-protected. -> OK (\u00d763)\n"
            "[box: Title] Other. -> OK\n"
            "[report] done\n"
            "[box] Write-protected. -> OK\n");
}

TEST(ConsoleMessages, AQuestionAskedMoreThanThreeTimesInARowGetsNo) {
  std::ostringstream err;
  host::ConsoleMessages messages(err);
  std::vector<std::int32_t> answers;
  for (int i = 0; i < 5; ++i) answers.push_back(messages.MessageBox("Busy. Retry?", kYesNo, ""));
  EXPECT_EQ(answers, (std::vector<std::int32_t>{6, 6, 6, 7, 7}));
  EXPECT_EQ(messages.CutShort(), std::vector<std::string>{"Busy. Retry?"});

  // Another box between two questions starts the count again.
  messages.MessageBox("Something else.", kOkOnly, "");
  EXPECT_EQ(messages.MessageBox("Busy. Retry?", kYesNo, ""), 6);
  // A box without a No button is answered as it is, however often.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(messages.MessageBox("Note.", kOkOnly, ""), 1);
  messages.Flush();
  EXPECT_NE(err.str().find("[box] Busy. Retry? -> Yes (\u00d73)\n"
                           "[box] Busy. Retry? -> No (asked more than 3 times in a row: No) "
                           "(\u00d72)\n"),
            std::string::npos)
      << err.str();
}

}  // namespace
}  // namespace dtm::testing
