// vd4625 page 8: an action on the calibration page run to its end against
// the simulated device, judged by exit status, standard output and
// standard error each on its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"
#include "tests/testing/surroundings.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kAsk =
    "The initialisation moves the valve over its whole travel. Make sure the process allows it. "
    "Start the initialisation now?";
constexpr const char* kReleased =
    "[frame] CommunicationReleased(VD4625)\n[frame] SaveRequest(VD4625)\n[frame] PreparedToRelease(VD4625)\n";

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class CalibPageCli : public ::testing::Test {
 protected:
  // The shipped profile with an action script added.
  std::string ProfileWith(const std::string& script) {
    std::ifstream in(SourceDir() / "data" / "profiles" / "default.xml", std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    text.insert(text.rfind("</DeviceProfile>"), "<ActionScript>" + script + "</ActionScript>\n");
    const std::string file = (folder_.Path() / "scripted.xml").string();
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
  CliRun Run(std::vector<std::string> args) { return RunCli(args, folder_); }
  TempFolder folder_;
};

TEST_F(CalibPageCli, AnInitialisationRunsToItsEndAndLeavesThePageIdle) {
  const CliRun run = Run({"--answer", "yes", "page", "8", "--do", "click cmdInitialization", "--do", "wait 3min"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "Page 8 ctlCalib (VD4625FDT.ctlCalib)");
  EXPECT_TRUE(Has(lines, "  Button cmdInitialization \"Initialisation\" enabled"));
  EXPECT_TRUE(Has(lines, "  Button cmdZeroPointCalib \"Zero-point calibration\" enabled"));
  EXPECT_TRUE(Has(lines, "  Button cmdReadDynPars \"Read\" enabled"));
  EXPECT_TRUE(Has(lines, "  Field ctlParameter(0) \"Calibration status\": 254 (Successful) [OnlineValue] locked"));
  EXPECT_TRUE(Has(lines, "  Label lblComm \"Communication not active.\""));
  EXPECT_TRUE(Has(lines, "  Label lblProt \"\""));
  const std::vector<std::string> boxes = {"Message boxes:", std::string("  \"") + kAsk + "\" (style 289): OK",
                                          "  \"Initialisation finished.\" (style 64): OK"};
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()), boxes);
  EXPECT_EQ(run.err, std::string("[box] ") + kAsk + " -> OK\n" +
                         "[box: Initialisation] Initialisation finished. -> OK\n" + kReleased);
}

TEST_F(CalibPageCli, AConnectionLostMidActionEndsWithItsMessageAndTheButtonsUsable) {
  const std::string profile = ProfileWith("<Action action=\"2\" lineBreakAfter=\"7\"/>");
  const CliRun run = Run({"--answer", "yes", "page", "8", "--device-profile", profile, "--do",
                          "click cmdInitialization", "--do", "wait 3min"});
  // The transactions the lost line took went unanswered.
  EXPECT_EQ(run.status, status::kIncomplete);
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_TRUE(Has(lines, "  Button cmdInitialization \"Initialisation\" enabled"));
  EXPECT_TRUE(Has(lines, "  Button cmdZeroPointCalib \"Zero-point calibration\" enabled"));
  EXPECT_TRUE(Has(lines, "  Button cmdWriteDynPars \"Write\" enabled"));
  EXPECT_TRUE(Has(lines, "  Label lblComm \"Communication not active.\""));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"Message boxes:", std::string("  \"") + kAsk + "\" (style 289): OK",
                                      "  \"The connection to the device was lost.\" (style 0): OK"}));
  EXPECT_EQ(run.err, std::string("[box] ") + kAsk + " -> OK\n" + "[error] The connection to the device was lost.\n" +
                         "[box] The connection to the device was lost. -> OK\n" + kReleased);
}

TEST_F(CalibPageCli, AFailedInitialisationShowsTheDevicesResult) {
  const std::string profile = ProfileWith("<Action action=\"2\" result=\"4\"/>");
  const CliRun run = Run({"--answer", "yes", "page", "8", "--device-profile", profile, "--do",
                          "click cmdInitialization", "--do", "wait 3min"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_TRUE(Has(lines, "  Field ctlParameter(0) \"Calibration status\": 4 (Mechanics or pneumatics faulty) [OnlineValue] locked"));
  EXPECT_TRUE(Has(lines, "  Button cmdInitialization \"Initialisation\" enabled"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "  \"Initialisation was cancelled.\" (style 16): OK");
  EXPECT_EQ(run.err, std::string("[box] ") + kAsk + " -> OK\n" +
                         "[box: Initialisation] Initialisation was cancelled. -> OK\n" + kReleased);
}

TEST_F(CalibPageCli, ADamagedActionScriptIsRefused) {
  const std::string profile = ProfileWith("<Action action=\"3\"/>");
  const CliRun run = Run({"page", "8", "--device-profile", profile});
  EXPECT_EQ(run.status, status::kError);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("<Action> action 3 lies outside 1..2"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace dtm::testing
