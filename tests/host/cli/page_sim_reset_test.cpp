// vd4625 page 10 and page 9 as a user meets them: an output test run to
// its end, and a cold start with its question and warning; each run
// judged by its exit status, its standard output and its standard error.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kQuestion =
    "Fault alarm test will be started: the output does not follow the positioner while the test "
    "runs. Continue?";
constexpr const char* kEnd =
    "[frame] CommunicationReleased(VD4625)\n[frame] SaveRequest(VD4625)\n[frame] PreparedToRelease(VD4625)\n";

class ActionPagesCli : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args) { return RunCli(args, folder_); }
  TempFolder folder_;
};

TEST_F(ActionPagesCli, AnOutputTestRunsItsWatchToTheEnd) {
  const CliRun run =
      Run({"page", "10", "--answer", "yes", "--do", "click cmdTestFaultAlarm", "--do", "wait 30s"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(Lines(run.out),
            (std::vector<std::string>{
                "Page 10 ctlSimulation (VD4625FDT.ctlSimulation)",
                "Headline: Simulation (*)",
                "Frame frmSimulation \"Simulation\"",
                "  Field ctlParameter(0) \"Fault alarm\": 0 [Dynamic1] locked",
                "  Field ctlParameter(1) \"Position transmitter test x\": 0 % [Dynamic2]",
                "  Button cmdTestFaultAlarm \"Test fault alarm\" enabled",
                "  Button cmdTestPositTrans \"Test position transmitter\" enabled",
                "Message boxes:",
                std::string("  \"") + kQuestion + "\" (style 289): OK",
                "  \"Fault alarm test finished.\" (style 64): OK",
            }));
  EXPECT_EQ(run.err, std::string("[box: Fault alarm test] ") + kQuestion + " -> OK\n" +
                         "[box: Fault alarm test] Fault alarm test finished. -> OK\n" + kEnd);
}

TEST_F(ActionPagesCli, AnOutputTestDeclinedAtItsQuestionSendsNothing) {
  // The question's default button is Cancel.
  const CliRun run = Run({"page", "10", "--do", "click cmdTestFaultAlarm", "--do", "wait 30s"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), std::string("  \"") + kQuestion + "\" (style 289): Cancel");
  EXPECT_EQ(run.err, std::string("[box: Fault alarm test] ") + kQuestion + " -> Cancel\n" + kEnd);
}

TEST_F(ActionPagesCli, AColdStartIsAskedWarnedAndItsValuesReadAgain) {
  struct Case {
    const char* answer;
    const char* command_answer;
    const char* travel;  // read again after the command
  };
  const Case cases[] = {{"yes", "Yes", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    const CliRun run =
        Run({"page", "9", "--answer", c.answer, "--do", "click ctlParameter(5)", "--do", "wait 5s"});
    EXPECT_EQ(run.status, status::kOk);
    EXPECT_EQ(Lines(run.out),
              (std::vector<std::string>{
                  "Page 9 ctlReset (VD4625FDT.ctlReset)",
                  "Headline: Cold start (*)",
                  "Frame frmReset \"Reset\"",
                  "  Field ctlParameter(0) \"Operating state\": 0 (Normal operation) [Dynamic1] locked",
                  std::string("  Field ctlParameter(1) \"Abs. travel integral\": ") + c.travel +
                      " [Dynamic1] locked",
                  "  Field ctlParameter(2) \"Reset travel integral\": 7 [Blank]",
                  "  Field ctlParameter(3) \"Reset control loop fault\": 10 [Blank]",
                  "  Field ctlParameter(4) \"Reset 'configuration changed'\":  [Blank]",
                  "  Field ctlParameter(5) \"Perform cold start\": 254 [Blank]",
                  "Message boxes:",
                  std::string("  \"Execute the command \"Perform cold start\" now?\" (style 292): ") +
                      c.command_answer,
                  "  \"The device restarts. Its values are read again afterwards.\" (style 64): OK",
              }));
    EXPECT_EQ(run.err, std::string("[box] Execute the command \"Perform cold start\" now? -> ") +
                           c.command_answer +
                           "\n[box] The device restarts. Its values are read again afterwards. -> OK\n" +
                           kEnd);
  }
}

}  // namespace
}  // namespace dtm::testing
