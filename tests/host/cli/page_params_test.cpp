// vd4625 page 7 and page 1: the online parameters and identification pages
// against the simulated positioner, each run judged by its exit status, its
// standard output and its standard error.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kReleased =
    "[frame] CommunicationReleased(VD4625)\n[frame] SaveRequest(VD4625)\n"
    "[frame] PreparedToRelease(VD4625)\n";

// The line of a field in the text rendering, "" when there is none.
std::string FieldLine(const std::string& out, const std::string& field) {
  for (const std::string& line : Lines(out)) {
    if (line.find("Field " + field + " ") != std::string::npos) return line;
  }
  return "";
}

class ParameterPages : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args) { return RunCli(args, folder_); }
  std::string WriteProtectedProfile() {
    const std::filesystem::path file = folder_.Path() / "protected.xml";
    std::ofstream(file) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<DeviceProfile version=\"1\">\n  <WriteProtect>1</WriteProtect>\n"
                           "</DeviceProfile>\n";
    return file.string();
  }
  TempFolder folder_;
};

TEST_F(ParameterPages, OnlineParametersOpenWithTheDevicesValues) {
  const CliRun run = Run({"page", "7"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Page 7 ctlOnlineParams (VD4625FDT.ctlOnlineParams)");
  EXPECT_EQ(lines[2], "Frame frmIdentOperUnit \"Identification of the operating unit\"");
  EXPECT_EQ(lines[3], "  Field ctlParameter(0) \"Tag\": 4625_1 [OnlineValue]");
  EXPECT_EQ(FieldLine(run.out, "ctlParameter(13)"),
            "  Field ctlParameter(13) \"KP_Y1 supply air\": 1.2 [OnlineValue]");
  EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
            (std::vector<std::string>{"Button cmdReadDynPars \"Read\" enabled",
                                      "Button cmdWriteDynPars \"Write\" enabled"}));
  EXPECT_EQ(run.err, kReleased);
}

// What field 13 shows after the steps.
struct StepsCase {
  const char* name;
  std::vector<std::string> steps;
  const char* field;
};

class OnlineSteps : public ParameterPages, public ::testing::WithParamInterface<StepsCase> {};

TEST_P(OnlineSteps, FieldShowsWhereItsValueStands) {
  std::vector<std::string> args = {"page", "7"};
  for (const std::string& step : GetParam().steps) {
    args.push_back("--do");
    args.push_back(step);
  }
  const CliRun run = Run(args);
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(FieldLine(run.out, "ctlParameter(13)"), GetParam().field);
  EXPECT_EQ(run.out.find("Message boxes:"), std::string::npos);
  EXPECT_EQ(run.err, kReleased);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OnlineSteps,
    ::testing::Values(
        StepsCase{"Typed", {"set ctlParameter(13)=2.5"},
                  "  Field ctlParameter(13) \"KP_Y1 supply air\": 2.5 [Changed]"},
        // Read again without a write: the device still holds its value.
        StepsCase{"TypedThenRead", {"set ctlParameter(13)=2.5", "click cmdReadDynPars"},
                  "  Field ctlParameter(13) \"KP_Y1 supply air\": 1.2 [OnlineValue]"},
        StepsCase{"WrittenThenRead",
                  {"set ctlParameter(13)=2.5", "click cmdWriteDynPars", "click cmdReadDynPars"},
                  "  Field ctlParameter(13) \"KP_Y1 supply air\": 2.5 [OnlineValue]"}),
    [](const ::testing::TestParamInfo<StepsCase>& c) { return std::string(c.param.name); });

TEST_F(ParameterPages, ATagWriteSendsTheDescriptorAndDateTheDeviceHolds) {
  const CliRun run = Run({"page", "7", "--trace", "--do", "set ctlParameter(0)=NEWTAG", "--do",
                          "click cmdWriteDynPars"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(FieldLine(run.out, "ctlParameter(0)"), "  Field ctlParameter(0) \"Tag\": NEWTAG [OnlineValue]");
  // The tag goes with the descriptor "LINEAR VALVE" and the date 12.05.2025
  // that command 13 brought.
  EXPECT_NE(run.err.find("HART < cmd=13 rc=00 ds=00 data=D3 6C B5 7F 18 20 30 93 85 05 28 16 04 C5 85 82 08 20 "
                         "0C 05 7D\n"),
            std::string::npos);
  EXPECT_NE(run.err.find("HART > cmd=18 data=38 55 D4 04 78 20 30 93 85 05 28 16 04 C5 85 82 08 20 0C 05 7D\n"),
            std::string::npos);
  EXPECT_TRUE(run.err.ends_with(kReleased));
}

TEST_F(ParameterPages, ARefusedTagReadMarksTheTagFieldAndEndsWithStatus3) {
  const std::filesystem::path profile = folder_.Path() / "refuses13.xml";
  std::ofstream(profile) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DeviceProfile version=\"1\">\n"
                            "  <Script><Fault at=\"0s\" kind=\"responseCode\" command=\"13\" code=\"2\" "
                            "replies=\"1000\"/></Script>\n</DeviceProfile>\n";
  const CliRun run = Run({"page", "7", "--device-profile", profile.string()});
  EXPECT_EQ(run.status, status::kIncomplete);
  EXPECT_EQ(FieldLine(run.out, "ctlParameter(0)"), "  Field ctlParameter(0) \"Tag\": 4625_1 [CommErr]");
  EXPECT_EQ(FieldLine(run.out, "ctlParameter(13)"),
            "  Field ctlParameter(13) \"KP_Y1 supply air\": 1.2 [OnlineValue]");
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(ParameterPages, AWriteTheDeviceRefusesIsToldAndLeavesItsFieldMarked) {
  const CliRun run = Run({"page", "7", "--device-profile", WriteProtectedProfile(), "--do",
                          "set ctlParameter(13)=2.5", "--do", "click cmdWriteDynPars"});
  EXPECT_EQ(run.status, status::kIncomplete);
  EXPECT_EQ(FieldLine(run.out, "ctlParameter(13)"),
            "  Field ctlParameter(13) \"KP_Y1 supply air\": 2.5 [CommErr]");
  // The tag was read and not written: it shows what the device said.
  EXPECT_EQ(FieldLine(run.out, "ctlParameter(0)"), "  Field ctlParameter(0) \"Tag\": 4625_1 [OnlineValue]");
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
            (std::vector<std::string>{
                "Message boxes:",
                "  \"The device is write-protected: the parameter was not written.\" (style 16): OK"}));
  EXPECT_EQ(run.err, std::string("[box] The device is write-protected: the parameter was not written. -> OK\n") +
                         kReleased);
}

TEST_F(ParameterPages, IdentificationShowsItsTabsAndTheFirstTabsFields) {
  const CliRun run = Run({"page", "1"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6),
            (std::vector<std::string>{
                "Page 1 ctlIdent (VD4625FDT.ctlIdent)",
                "Tabs TabStrip: 1 Ident. operating unit (selected) | 2 Ident. positioner | 3 Ident. actuator / valve",
                "Frame frmIdentOperUnit \"Identification of the operating unit\"",
                "  Frame frmSeparator \"\"",
                "  Button cmdSetPollAddr \"Write polling address\" enabled",
                "  Field ctlParameter(0) \"Polling address\": 0 (0) [Initial]"}));
  EXPECT_EQ(FieldLine(run.out, "ctlParameter(20)"), "");
  EXPECT_EQ(run.err, "[frame] CommunicationReleased(VD4625)\n[frame] PreparedToRelease(VD4625)\n");
}

TEST_F(ParameterPages, BothPagesRenderInHtml) {
  struct Case {
    const char* function;
    std::vector<const char*> parts;
  };
  const Case cases[] = {
      {"7",
       {"<h1>Online parameters (*)</h1>",
        "<div class=\"field\" data-name=\"ctlParameter(13)\"><label>KP_Y1 supply air</label>"
        "<span class=\"value\">1.2</span>"}},
      {"1",
       {"Ident. operating unit</span><span class=\"tab\">Ident. positioner</span>",
        "data-name=\"cmdSetPollAddr\" title=\"Write the polling address entered to the device\">"
        "Write polling address<"}},
  };
  for (const Case& c : cases) {
    const std::filesystem::path file = folder_.Path() / (std::string(c.function) + ".html");
    const CliRun run = Run({"page", c.function, "--html", file.string()});
    EXPECT_EQ(run.status, status::kOk) << c.function;
    EXPECT_FALSE(run.out.empty()) << c.function;
    const std::string html = ReadText(file);
    for (const char* part : c.parts) EXPECT_NE(html.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace dtm::testing
