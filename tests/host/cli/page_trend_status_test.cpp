// vd4625 page 5 and 6 as a user meets them: the trend's curves after a
// recording, as text and as SVG, and the status tabs after the opening
// read; each run judged by its exit status, standard output and standard
// error.

#include <gtest/gtest.h>

#include "host/cli/exit_status.h"
#include "host/cli/page_command.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kReleasedAfterReads =
    "[frame] CommunicationReleased(VD4625)\n[frame] SaveRequest(VD4625)\n"
    "[frame] PreparedToRelease(VD4625)\n";
constexpr const char* kReleased =
    "[frame] CommunicationReleased(VD4625)\n[frame] PreparedToRelease(VD4625)\n";

class TrendAndStatusPages : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args, DeviceHook hook = {}) {
    return RunCli(args, folder_, std::move(hook));
  }
  TempFolder folder_;
};

// Lines from `first` on that start with `prefix`.
std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

TEST_F(TrendAndStatusPages, TheTrendPageOpensStoppedWithItsEmptyCurves) {
  const CliRun run = Run({"page", "5"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "Page 5 ctlTrend (VD4625FDT.ctlTrend)");
  EXPECT_EQ(lines[1], "Headline: Trend");
  EXPECT_TRUE(lines[2].starts_with("Trend Trend1 \"Time\": ")) << lines[2];
  EXPECT_FALSE(lines[2].ends_with(", following")) << lines[2];
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.begin() + 8),
            (std::vector<std::string>{
                "  Curve 0 \"Setpoint w [%]\" -10 .. 120: 0 values, 0 gaps",
                "  Curve 1 \"Actual position x [%]\" -10 .. 120: 0 values, 0 gaps",
                "  Curve 2 \"Zero point error\" -1.5 .. 7.5: 0 values, 0 gaps",
                "  Curve 3 \"Control loop fault\" 0 .. 9: 0 values, 0 gaps",
                "Check chkCycle \"Cyclic refresh\": off",
            }));
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(TrendAndStatusPages, ARecordingDrawsItsSamplesAndGapsAsText) {
  // The first status read goes unanswered.
  const CliRun run = Run({"page", "5", "--do", "click chkCycle", "--do", "wait 60s"},
                         [](device::SimDevice& device, frame::ChannelStandIn&) { device.InjectNoResponse(1, 48); });
  EXPECT_EQ(run.status, status::kIncomplete);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_TRUE(lines[2].ends_with(", following")) << lines[2];
  // The click settles for two minutes, then 60 s more: a read every 4 s
  // from 0 s to 180 s, the first of them a gap as the start is. The view
  // carries the 120 s window the chart follows: 31 reads in it and the
  // one before, where the line enters; the gaps are older.
  EXPECT_EQ(Starting(lines, "  Curve "), (std::vector<std::string>{
                                             "  Curve 0 \"Setpoint w [%]\" -10 .. 120: 32 values, 0 gaps",
                                             "  Curve 1 \"Actual position x [%]\" -10 .. 120: 32 values, 0 gaps",
                                             "  Curve 2 \"Zero point error\" -1.5 .. 7.5: 32 values, 0 gaps",
                                             "  Curve 3 \"Control loop fault\" 0 .. 9: 32 values, 0 gaps",
                                         }));
  EXPECT_EQ(Starting(lines, "Check "), (std::vector<std::string>{"Check chkCycle \"Cyclic refresh\": on"}));
  EXPECT_EQ(run.err, kReleasedAfterReads);
}

TEST_F(TrendAndStatusPages, TheHtmlFileDrawsTheCurvesAsSvg) {
  const std::filesystem::path file = folder_.Path() / "t.html";
  const CliRun run = Run({"page", "5", "--do", "click chkCycle", "--do", "wait 60s", "--html", file.string()});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(Lines(run.out).front(), "Page 5 ctlTrend (VD4625FDT.ctlTrend)");
  EXPECT_EQ(run.err, kReleasedAfterReads);
  const std::string html = ReadText(file);
  for (const char* part : {"<div class=\"trend\" data-name=\"Trend1\"", "<svg ",
                           "<text class=\"axis-title\" x=\"340\" y=\"302\" text-anchor=\"middle\">Time</text>",
                           ">Setpoint w [%] (-10 .. 120)</text>", ">Control loop fault (0 .. 9)</text>"}) {
    EXPECT_NE(html.find(part), std::string::npos) << part;
  }
  // The start gap opens each curve; after it one unbroken line per curve.
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(Occurrences(html, "<polyline class=\"curve-" + std::to_string(c) + "\""), 1u) << c;
  }
}

TEST_F(TrendAndStatusPages, TheStatusPageShowsItsFirstTabAfterTheOpeningRead) {
  const CliRun run = Run({"page", "6"}, [](device::SimDevice& device, frame::ChannelStandIn&) {
    device.SetDeviceStatusBits(0x01);
  });
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                "Page 6 ctlStatus (VD4625FDT.ctlStatus)",
                                "Headline: Diagnosis (*)",
                                "Tabs TabStrip: 1 Standard (selected) | 2 Critical | 3 Information | 4 Device",
                                "Frame frmStdStatus \"Standard device status\"",
                                "  Image imgStatus(0): on",
                                "  Label lblStatus(0) \"Primary variable out of limits\"",
                                "  Image imgStatus(1): off",
                                "  Label lblStatus(1) \"Non-primary variable out of limits\"",
                                "  Image imgStatus(2): off",
                                "  Label lblStatus(2) \"Analog output saturated\"",
                                "  Image imgStatus(3): off",
                                "  Label lblStatus(3) \"Current output fixed\"",
                                "  Image imgStatus(5): off",
                                "  Label lblStatus(5) \"Cold start performed\"",
                                "  Image imgStatus(6): off",
                                "  Label lblStatus(6) \"Configuration changed\"",
                                "  Image imgStatus(7): off",
                                "  Label lblStatus(7) \"Field device malfunction\"",
                                "Button cmdRefresh \"Refresh\" enabled",
                            }));
  EXPECT_EQ(run.err, kReleasedAfterReads);
}

TEST_F(TrendAndStatusPages, TheCriticalTabShowsTheExtendedStatusBits) {
  const CliRun run = Run({"page", "6", "--do", "tab 2"}, [](device::SimDevice& device, frame::ChannelStandIn&) {
    device.SetStatusByte(1, 0x10);
    device.SetStatusByte(3, 0x08);
  });
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2], "Tabs TabStrip: 1 Standard | 2 Critical (selected) | 3 Information | 4 Device");
  EXPECT_EQ(lines[3], "Frame frmCritStatus \"Critical device status\"");
  EXPECT_EQ(Starting(lines, "  Image imgStatus"),
            (std::vector<std::string>{
                "  Image imgStatus(10): off", "  Image imgStatus(11): off",
                "  Image imgStatus(12): off", "  Image imgStatus(13): off",
                "  Image imgStatus(14): off", "  Image imgStatus(15): off",
                "  Image imgStatus(20): off", "  Image imgStatus(22): off",
                "  Image imgStatus(24): on",  "  Image imgStatus(26): off",
                "  Image imgStatus(34): off", "  Image imgStatus(35): off",
                "  Image imgStatus(40): off", "  Image imgStatus(43): on",
            }));
  EXPECT_EQ(run.err, kReleasedAfterReads);
}

TEST_F(TrendAndStatusPages, TheDeviceTabShowsTheIdentificationAndTheVersion) {
  const CliRun run = Run({"page", "6", "--do", "tab 4"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_EQ(Starting(lines, "Frame "),
            (std::vector<std::string>{"Frame frmPositioner \"Positioner\"", "Frame frameDtm \"DTM\""}));
  EXPECT_EQ(Starting(lines, "  Label lblCDtm"),
            (std::vector<std::string>{"  Label lblCDtm \"VELDAR DTM 4625 FDT 1.2        Version 1.0.32\""}));
  EXPECT_EQ(Starting(lines, "  Field ctlParameter(6)"),
            (std::vector<std::string>{"  Field ctlParameter(6) \"Tag\": 4625_1 [OnlineValue] locked"}));
  EXPECT_EQ(run.err, kReleasedAfterReads);
}

TEST_F(TrendAndStatusPages, AStatusReadWithoutAnswerShowsEveryPictureUnreadAndItsBox) {
  const CliRun run = Run({"page", "6"}, [](device::SimDevice& device, frame::ChannelStandIn&) {
    device.InjectNoResponse(1, 48);
  });
  EXPECT_EQ(run.status, status::kIncomplete);
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_EQ(Starting(lines, "  Image imgStatus(0)"),
            (std::vector<std::string>{"  Image imgStatus(0): not read"}));
  EXPECT_EQ(Starting(lines, "  \"A communication error"),
            (std::vector<std::string>{
                "  \"A communication error occurred while the device status was read.\" (style 0): OK"}));
  EXPECT_EQ(run.err, std::string("[box] A communication error occurred while the device status was read. -> OK\n") +
                         kReleasedAfterReads);
}

}  // namespace
}  // namespace dtm::testing
