// vd4625 page for the start-up settings page, the offline container and the
// search page: each run judged by its exit status, its standard output and
// its standard error; the container also on a loaded data set, without a
// device.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;
using Texts = std::vector<std::string>;

constexpr const char* kReleased =
    "[frame] CommunicationReleased(VD4625)\n[frame] PreparedToRelease(VD4625)\n";

const Texts kStartUpEnglish = {
    "Tabs TabStrip: 1 Start-up (selected) | 2 Error supervision",
    "Frame frmStartUp \"Start-up\"",
    "  Field ctlParameter(0) \"Valve type\": 0 (Linear actuator) [Initial]",
    "  Field ctlParameter(1) \"Mounting\": 0 (Integrated) [Initial]",
    "  Field ctlParameter(2) \"Rated travel\": 15 mm [Initial]",
    "  Field ctlParameter(4) \"Max. travel/angle\": 0 % [Initial] locked",
    "  Field ctlParameter(5) \"Initialization type\": 0 (Maximum range) [Initial]",
    "  Field ctlParameter(6) \"Actuator design\": 0 (Single-acting) [Initial]",
    "  Field ctlParameter(7) \"Transmission code\": 1 (D1) [Initial]",
    "  Field ctlParameter(10) \"Mounting position\": 1 (Arrow points towards the actuator) [Initial]",
    "Frame frmDiagnosis \"Diagnosis\"",
    "  Field ctlParameter(11) \"Fail-safe position\": 2 (Unknown) [Initial] locked",
    "  Field ctlParameter(12) \"Initialization warning\": 0 (Undefined) [Initial] locked",
    "  Field ctlParameter(13) \"Min. travel time OPEN\": 0 s [Initial] locked",
    "  Field ctlParameter(14) \"Min. travel time CLOSE\": 0 s [Initial] locked",
    "Picture picSearch",
};

class StartUpPages : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args) { return RunCli(args, folder_); }
  TempFolder folder_;
};

TEST_F(StartUpPages, StartUpPageShowsItsFirstTab) {
  const CliRun run = Run({"page", "3"});
  EXPECT_EQ(run.status, status::kOk);
  Texts expected = {"Page 3 ctlStartUp (VD4625FDT.ctlStartUp)"};
  expected.insert(expected.end(), kStartUpEnglish.begin(), kStartUpEnglish.end());
  EXPECT_EQ(Lines(run.out), expected);
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(StartUpPages, StartUpPageShowsItsSecondTab) {
  const CliRun run = Run({"page", "3", "--do", "tab 2"});
  EXPECT_EQ(run.status, status::kOk);
  const Texts lines = Lines(run.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "Tabs TabStrip: 1 Start-up | 2 Error supervision (selected)");
  EXPECT_EQ(lines[2], "Frame frmErrCtrl \"Error supervision\"");
  for (const std::string& line : lines) EXPECT_EQ(line.find("frmStartUp"), std::string::npos);
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(StartUpPages, ContainerShowsTheFirstChildsTab) {
  const CliRun run = Run({"page", "12"});
  EXPECT_EQ(run.status, status::kOk);
  const Texts lines = Lines(run.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Page 12 ctlOffline (VD4625FDT.ctlOffline)");
  EXPECT_EQ(lines[1], "Headline: Offline parameterization");
  EXPECT_EQ(lines[2], "Tabs TabStrip: 1 Identification (selected) | 2 Parameters | 3 Start-up");
  // The start-up page lies on the third tab, hidden.
  for (const std::string& line : lines) EXPECT_EQ(line.find("ctlStartUp"), std::string::npos);
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(StartUpPages, ContainerWorksOnALoadedDataSetWithoutADevice) {
  const std::filesystem::path set = folder_.Path() / "set.xml";
  ASSERT_EQ(Run({"upload", "--save", set.string()}).status, status::kOk);
  const CliRun run = Run({"page", "12", "--load", set.string(), "--lang", "de", "--do", "tab 3"});
  EXPECT_EQ(run.status, status::kOk);
  const Texts lines = Lines(run.out);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(Texts(lines.begin(), lines.begin() + 8),
            (Texts{"Page 12 ctlOffline (VD4625FDT.ctlOffline)",
                   "Headline: Offline-Parametrierung",
                   "Tabs TabStrip: 1 Identifikation | 2 Parameter | 3 Inbetriebnahme (selected)",
                   "Control ctlStartUp",
                   "  Tabs TabStrip: 1 Inbetriebnahme (selected) | 2 Fehlerüberwachung",
                   "  Frame frmStartUp \"Inbetriebnahme\"",
                   "    Field ctlParameter(0) \"Ventilart\": 0 (Hubantrieb) [SavedValue]",
                   "    Field ctlParameter(1) \"Anbau\": 0 (Integriert) [SavedValue]"}));
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(StartUpPages, SearchPageShowsItsTitle) {
  const CliRun run = Run({"page", "14"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(Lines(run.out),
            (Texts{"Page 14 ctlSearch (VD4625FDT.ctlSearch)", "Headline: Parameter search"}));
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(StartUpPages, EachPageRendersAsHtml) {
  struct Case {
    const char* function;
    const char* page_line;
    const char* title;
    const char* shown;
  };
  const Case cases[] = {
      {"3", "Page 3 ctlStartUp (VD4625FDT.ctlStartUp)",
       "<title>ctlStartUp - VD4625FDT.ctlStartUp</title>", "Rated travel"},
      {"12", "Page 12 ctlOffline (VD4625FDT.ctlOffline)",
       "<title>Offline parameterization - VD4625FDT.ctlOffline</title>", "Identification"},
      {"14", "Page 14 ctlSearch (VD4625FDT.ctlSearch)",
       "<title>Parameter search - VD4625FDT.ctlSearch</title>", "Parameter search"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    const std::filesystem::path file = folder_.Path() / (std::string(c.function) + ".html");
    const CliRun run = Run({"page", c.function, "--html", file.string()});
    EXPECT_EQ(run.status, status::kOk);
    EXPECT_EQ(Lines(run.out).front(), c.page_line);
    EXPECT_EQ(run.err, kReleased);
    const std::string html = ReadText(file);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find(c.title), std::string::npos);
    EXPECT_NE(html.find(c.shown), std::string::npos);
  }
}

}  // namespace
}  // namespace dtm::testing
