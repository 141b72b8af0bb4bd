// vd4625 page 4, the measured values, as a user meets it: against the
// default device and against one that is lost while the cycle runs.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kPageLine = "Page 4 ctlMeasure (VD4625FDT.ctlMeasure)";
constexpr const char* kCycleBox =
    "The cyclic refresh is not possible: there is no connection to the device.";

// The lines of `text` without the headline (its change mark is the data
// set's business, not the page's).
std::vector<std::string> Body(const std::string& text) {
  std::vector<std::string> lines = Lines(text);
  if (lines.size() > 1 && lines[1].starts_with("Headline: ")) lines.erase(lines.begin() + 1);
  return lines;
}

bool Contains(const std::string& text, const std::string& line) {
  for (const std::string& l : Lines(text)) {
    if (l == line) return true;
  }
  return false;
}

std::vector<std::string> WithoutDynamicTurn(std::vector<std::string> lines) {
  for (std::string& line : lines) {
    for (const char* turn : {"[Dynamic1]", "[Dynamic2]"}) {
      for (std::size_t at; (at = line.find(turn)) != std::string::npos;) line.replace(at, 10, "[Dynamic]");
    }
  }
  return lines;
}

class MeasuredValues : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args) { return RunCli(args, folder_); }
  std::string Profile(const std::string& body) {
    const auto file = folder_.Path() / "device.xml";
    std::ofstream(file) << "<DeviceProfile version=\"1\">" << body << "</DeviceProfile>\n";
    return file.string();
  }
  TempFolder folder_;
};

TEST_F(MeasuredValues, TheDefaultDeviceIsShownWithTheCycleRunning) {
  const CliRun run = Run({"page", "4", "--do", "wait 20s"});
  EXPECT_EQ(run.status, status::kOk);
  // The two dynamic pictures take turns at each refresh; which one shows
  // depends on how many refreshes the run saw.
  EXPECT_EQ(WithoutDynamicTurn(Body(run.out)),
            (std::vector<std::string>{
                kPageLine,
                "Check chkCycle \"Cyclic refresh\": on",
                "Frame frmProcData \"Measured values\"",
                "  Field ctlParameter(1) \"Setpoint w\": 50 % [Dynamic] locked",
                "  Bar barW: 50 in -10 .. 120, marks 1 and 99",
                "  Field ctlParameter(0) \"Setpoint w\": 12 mA [Dynamic] locked",
                "  Field ctlParameter(2) \"Actual position x\": 49.8 % [Dynamic] locked",
                "  Bar barX: 49.8 in -10 .. 120, marks 0 and 100",
                "  Field ctlParameter(3) \"Control deviation e\": 0.2 % [Dynamic] locked",
                "  Bar barE: 0.2 in -10 .. 10, marks -20 and 20, from zero",
                "Frame frmStatus \"Status\"",
                "  Field ctlParameter(5) \"Fault alarm\": 0 (No) [Dynamic] locked",
                "  Picture picLED(5): off",
                "  Field ctlParameter(8) \"Abs. travel integral\": 48210 [Dynamic] locked",
                "  Field ctlParameter(9) \"Operating mode\": 0 (Automatic) [Dynamic]",
                "  Button cmdWriteOpMode \"Write operating mode\" enabled",
                "  Field ctlParameter(12) \"Operating state\": 0 (Normal operation) [Dynamic] locked",
            }));
  EXPECT_EQ(run.err.find("[error]"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("[box]"), std::string::npos) << run.err;
}

TEST_F(MeasuredValues, TheHtmlShowsTheSamePage) {
  const std::string html = (folder_.Path() / "m.html").string();
  const CliRun run = Run({"page", "4", "--do", "wait 20s", "--html", html});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_TRUE(run.out.starts_with(kPageLine));
  EXPECT_EQ(run.err.find("[error]"), std::string::npos) << run.err;
  std::stringstream content;
  content << std::ifstream(html).rdbuf();
  const std::string page = content.str();
  for (const char* part : {
           "data-class=\"ctlMeasure\"",
           "<input type=\"checkbox\" checked disabled> Cyclic refresh</label>",
           "<legend>Measured values</legend>",
           "<span class=\"value\">49.8</span>",
           "<div class=\"bar-control\" data-name=\"barE\"",
           "<span class=\"value\">No</span>",
           "<div class=\"picture\" data-name=\"picLED(5)\" data-picture=\"lamp\" data-state=\"off\"",
           "<button type=\"button\" data-name=\"cmdWriteOpMode\">Write operating mode</button>",
       }) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
}

TEST_F(MeasuredValues, ADeviceLostAfterTenSecondsStopsTheCycleWithItsMessage) {
  const std::string profile = Profile("<Script><Fault at=\"10s\" kind=\"lostConnection\"/></Script>");
  const CliRun run = Run({"page", "4", "--device-profile", profile, "--do", "wait 20s"});
  EXPECT_EQ(run.status, status::kIncomplete);
  EXPECT_EQ(Body(run.out),
            (std::vector<std::string>{
                kPageLine,
                "Check chkCycle \"Cyclic refresh\": off",
                "Frame frmProcData \"Measured values\"",
                "  Field ctlParameter(1) \"Setpoint w\": 0 % [CommErr] locked",
                "  Bar barW: 0 in -10 .. 120, marks 1 and 99",
                "  Field ctlParameter(0) \"Setpoint w\": 4 mA [CommErr] locked",
                "  Field ctlParameter(2) \"Actual position x\": 0 % [CommErr] locked",
                "  Bar barX: 0 in -10 .. 120, marks 0 and 100",
                "  Field ctlParameter(3) \"Control deviation e\": 0 % [CommErr] locked",
                "  Bar barE: 0 in -10 .. 10, marks -20 and 20, from zero",
                "Frame frmStatus \"Status\"",
                "  Field ctlParameter(5) \"Fault alarm\": 0 (No) [CommErr] locked",
                "  Picture picLED(5): off",
                "  Field ctlParameter(8) \"Abs. travel integral\": 0 [CommErr] locked",
                "  Field ctlParameter(9) \"Operating mode\": 0 (Automatic) [Dynamic2]",
                "  Button cmdWriteOpMode \"Write operating mode\" enabled",
                "  Field ctlParameter(12) \"Operating state\": 0 (Normal operation) [CommErr] locked",
                "Message boxes:",
                std::string("  \"") + kCycleBox + "\" (style 0): OK",
            }));
  EXPECT_TRUE(Contains(run.err, "[error] The connection to the device was lost.")) << run.err;
  EXPECT_TRUE(Contains(run.err, std::string("[box] ") + kCycleBox + " -> OK")) << run.err;
  EXPECT_TRUE(run.err.starts_with("[error] The connection to the device was lost.\n[box] ")) << run.err;
}

TEST_F(MeasuredValues, AProfileItCannotReadEndsTheRun) {
  const std::string profile = Profile("<Script><Fault at=\"soon\" kind=\"lostConnection\"/></Script>");
  const CliRun run = Run({"page", "4", "--device-profile", profile, "--do", "wait 20s"});
  EXPECT_EQ(run.status, status::kError);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("'soon' is no time such as 500ms, 10s or 2min"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace dtm::testing
