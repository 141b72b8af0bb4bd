// vd4625 page 2, the offline parameters page, on a saved data set without a
// device: each run judged by its exit status, its standard output and its
// standard error.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kReleased =
    "[frame] CommunicationReleased(VD4625)\n[frame] PreparedToRelease(VD4625)\n";

class OfflinePageCommand : public ::testing::Test {
 protected:
  OfflinePageCommand() {
    EXPECT_EQ(RunCli({"upload", "--save", set_.string()}, folder_).status, status::kOk);
  }
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"page", "2", "--load", set_.string()});
    return RunCli(args, folder_);
  }
  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  TempFolder folder_;
  std::filesystem::path set_ = folder_.Path() / "set.xml";
};

TEST_F(OfflinePageCommand, OpensOnTheInputTab) {
  const CliRun run = Run({});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Page 2 ctlOfflineParams (VD4625FDT.ctlOfflineParams)");
  EXPECT_EQ(lines[1], "Tabs TabStrip: 1 Input (selected) | 2 Characteristic | 3 Control values");
  EXPECT_EQ(lines[2], "Frame frmInput \"Input variable\"");
  EXPECT_TRUE(Has(lines, "Frame frmRange \"Working range\""));
  EXPECT_FALSE(Has(lines, "Frame frmCharact \"Characteristic\""));
  EXPECT_FALSE(Has(lines, "Frame frmTimes \"Transit times\""));
  EXPECT_EQ(run.err, kReleased);
}

// A data set with an infinity where a number belongs: the page shows the
// word the listing and the protocol show, never the language's "-1.#INF".
TEST_F(OfflinePageCommand, NonFiniteValueShowsItsWord) {
  std::ofstream(set_, std::ios::trunc)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<PropertyBag version=\"1\" library=\"VD4625FDT\" deviceType=\"165/70\" format=\"1\">"
         "<Entry name=\"SC136/TotTravel\" type=\"Single\" value=\"-inf\"/></PropertyBag>";
  const CliRun run = RunCli({"page", "4", "--load", set_.string()}, folder_);
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_TRUE(Has(lines, "  Field ctlParameter(8) \"Abs. travel integral\": -Inf [CommErr] locked"))
      << run.out;
  EXPECT_EQ(run.out.find("#IN"), std::string::npos);
  EXPECT_EQ(run.err,
            "[box] The connection to the device could not be established. -> OK\n"
            "[frame] CommunicationReleased(VD4625)\n[frame] SaveRequest(VD4625)\n"
            "[frame] PreparedToRelease(VD4625)\n");
}

// Not-a-number in a data set is no value to send: the page shows it with
// its input error.
TEST_F(OfflinePageCommand, NotANumberShowsWithItsInputError) {
  std::ofstream(set_, std::ios::trunc)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<PropertyBag version=\"1\" library=\"VD4625FDT\" deviceType=\"165/70\" format=\"1\">"
         "<Entry name=\"SC128Tr2/Par2\" type=\"Single\" value=\"nan\"/></PropertyBag>";
  const CliRun run = RunCli({"page", "3", "--load", set_.string()}, folder_);
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_TRUE(Has(Lines(run.out), "  Field ctlParameter(2) \"Rated travel\": NaN mm [InputErr]"))
      << run.out;
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(OfflinePageCommand, AWrongEntryKeepsTheEditorOnItsFirstPoint) {
  const std::filesystem::path file = folder_.Path() / "p.html";
  const CliRun run = Run({"--do", "tab 2", "--do", "click cmdNext", "--do", "set txtParX=abc",
                          "--do", "click cmdNext", "--html", file.string()});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Tabs TabStrip: 1 Input | 2 Characteristic (selected) | 3 Control values");
  const std::vector<std::string> editor = {
      "  Button cmdPrev \"<  Back\" enabled", "  Button cmdNext \"Next  >\" enabled",
      "  Text txtParX: \"abc\" #FF0000 \"The entry is not a number.\"","  Label lblParX \"x0\"",
      "  Label lblParY \"y0\"",               "  Label lblUnitX \"%\""};
  for (const std::string& line : editor) EXPECT_TRUE(Has(lines, line)) << line;
  EXPECT_FALSE(Has(lines, "Frame frmInput \"Input variable\""));
  EXPECT_EQ(run.err, kReleased);

  std::ifstream in(file, std::ios::binary);
  std::stringstream html;
  html << in.rdbuf();
  for (const char* part : {"<!DOCTYPE html>", "User-defined characteristic", "x0"}) {
    EXPECT_NE(html.str().find(part), std::string::npos) << part;
  }
}

TEST_F(OfflinePageCommand, GermanTexts) {
  const CliRun run = Run({"--lang", "de", "--do", "tab 2"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "Tabs TabStrip: 1 Eingang | 2 Kennlinie (selected) | 3 Kennwerte");
  EXPECT_TRUE(Has(lines, "  Button cmdNext \"Einstellen\" enabled"));
  EXPECT_TRUE(Has(lines, "  Button cmdPrev \"<  Zurück\" disabled"));
  EXPECT_EQ(run.err, kReleased);
}

}  // namespace
}  // namespace dtm::testing
