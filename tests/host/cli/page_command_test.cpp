// vd4625 page as a user meets it: each run judged by its exit status, its
// standard output and its standard error; and the steps it understands.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/cli/exit_status.h"
#include "host/cli/page_command.h"
#include "tests/host/cli/cli_driver.h"
#include "tests/testing/surroundings.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kPageLine = "Page 11 ctlMonitor (VD4625FDT.ctlMonitor)";
constexpr const char* kReleased =
    "[frame] CommunicationReleased(VD4625)\n[frame] PreparedToRelease(VD4625)\n";
constexpr const char* kUsageLines =
    "Usage: vd4625 page [OPTIONS] [function]\nRun 'vd4625 page --help' for more.\n";

// The protocol's opening: the title line and the language block.
const std::vector<std::string> kOpening = {
    "  | VD4625FDT Version 1.0.32",
    "  |",
    "  | ---- Language (VD4625) --------------------------------------",
    "  | Language-ID = 9",
    "  | Primary language ID = 9",
    "  | Secondary language ID = 0",
};

// Whether `wanted` stand in `lines` in this order (not necessarily next to
// each other).
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
  std::size_t at = 0;
  for (const std::string& line : lines) {
    if (at < wanted.size() && line == wanted[at]) ++at;
  }
  return at == wanted.size();
}

class MonitorPage : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args) { return RunCli(args, folder_); }
  TempFolder folder_;
};

TEST_F(MonitorPage, OpenedAloneShowsTitleAndLanguageBlock) {
  const CliRun run = Run({"page", "11"});
  EXPECT_EQ(run.status, status::kOk);
  std::vector<std::string> expected = {kPageLine, "Headline: Communication monitor",
                                       "List lstComm, 6 lines"};
  expected.insert(expected.end(), kOpening.begin(), kOpening.end());
  expected.push_back("Button cmdClear \"Clear\" enabled");
  expected.push_back("Button cmdSave \"Save\" enabled");
  EXPECT_EQ(Lines(run.out), expected);
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(MonitorPage, UploadShowsItsProtocolWithHeadingsAndHexDumps) {
  const CliRun run = Run({"page", "11", "--do", "upload"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GT(lines.size(), 10u);
  EXPECT_EQ(lines[0], kPageLine);
  // The uploaded set is not saved yet: the title carries the mark.
  EXPECT_EQ(lines[1], "Headline: Communication monitor (*)");
  EXPECT_TRUE(lines[2].starts_with("List lstComm, ")) << lines[2];
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.begin() + 9), kOpening);
  EXPECT_TRUE(InOrder(lines, {
                                 "  | ---- IFDT: Upload all parameters (VD4625) -------------------",
                                 "  | *** Connect *** (VD4625)",
                                 "  | HART Command: 0",
                                 "  |      Send:    00 ",
                                 "  |      Status:  00 00",
                                 "  |      Receive: FE A5 46 05 05 01 03 01 00 01 E2 40 ",
                                 "  | Value Manufacturer = 165",
                                 "  | HART Command: 15",
                                 // seventeen bytes: the seventeenth under the first
                                 "  |      Receive: 00 00 39 42 C8 00 00 00 00 00 00 00 00 00 00 00 ",
                                 "  |               A5 ",
                             }))
      << run.out;
  EXPECT_EQ(lines.back(), "Button cmdSave \"Save\" enabled");
  EXPECT_EQ(run.err, std::string("[frame] UploadFinished(upload-1, true)\n"
                                 "[frame] CommunicationReleased(VD4625)\n"
                                 "[frame] SaveRequest(VD4625)\n"
                                 "[frame] PreparedToRelease(VD4625)\n"));
}

TEST_F(MonitorPage, StepsRunInOrderOnTheOpenPage) {
  const CliRun run =
      Run({"page", "11", "--do", "wait 3min", "--do", "click cmdClear", "--do", "language de"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                kPageLine,
                                "Headline: Kommunikationsmonitor",
                                // The language change reaches the page through the
                                // DTM and through the page's ambient locale, as a
                                // frame changes both: the monitor tells each.
                                "List lstComm, 10 lines",
                                "  |",
                                "  | ---- Sprache (VD4625) ---------------------------------------",
                                "  | Sprach-ID = 7",
                                "  | Primäre Sprach-ID = 7",
                                "  | Sekundäre Sprach-ID = 0",
                                "  |",
                                "  | ---- Sprache (VD4625) ---------------------------------------",
                                "  | Sprach-ID = 7",
                                "  | Primäre Sprach-ID = 7",
                                "  | Sekundäre Sprach-ID = 0",
                                "Button cmdClear \"Löschen\" enabled",
                                "Button cmdSave \"Speichern\" enabled",
                            }));
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(MonitorPage, AnUploadHoldsOnlyTheLanguageBlockThePageOpensWith) {
  const CliRun run = Run({"page", "11", "--do", "upload"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  const auto blocks = std::count(lines.begin(), lines.end(),
                                 std::string("  | ---- Language (VD4625) --------------------------------------"));
  EXPECT_EQ(blocks, 1);
  EXPECT_TRUE(InOrder(lines, kOpening));
  EXPECT_EQ(run.err, "[frame] UploadFinished(upload-1, true)\n[frame] CommunicationReleased(VD4625)\n"
                     "[frame] SaveRequest(VD4625)\n[frame] PreparedToRelease(VD4625)\n");
}

TEST_F(MonitorPage, AProtocolThatCannotBeSavedEndsTheRunWithStatus1) {
  // An installation whose log file's place is taken by a folder.
  const std::filesystem::path install = folder_.Path() / "install";
  std::filesystem::create_directories(install / "VD4625FDT.LOG");
  std::filesystem::create_directory_symlink(SourceDir() / "data" / "XMLData", install / "XMLData");
  std::filesystem::create_directory_symlink(SourceDir() / "data" / "profiles", install / "profiles");
  const CliRun run = RunCli({"page", "11", "--do", "click cmdSave"}, folder_, {},
                            {{"VD4625_INSTALL", install.string()}});
  EXPECT_EQ(run.status, status::kError);
  const std::string log = (install / "VD4625FDT.LOG").string();
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "  \"The protocol could not be saved to the file " + log + ": " + log +
                              ": not a regular file\" (style 16): OK");
  EXPECT_EQ(run.err, "[box] The protocol could not be saved to the file " + log + ": " + log +
                         ": not a regular file -> OK\n" + kReleased);
}

TEST_F(MonitorPage, HtmlFileHoldsTheSamePage) {
  const std::filesystem::path file = folder_.Path() / "m.html";
  const CliRun run = Run({"page", "11", "--html", file.string()});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(Lines(run.out).front(), kPageLine);
  EXPECT_EQ(run.err, kReleased);
  std::ifstream in(file, std::ios::binary);
  std::stringstream html;
  html << in.rdbuf();
  for (const char* part : {"<!DOCTYPE html>",
                           "<h1>Communication monitor</h1>",
                           "<pre class=\"list\" data-name=\"lstComm\">VD4625FDT Version 1.0.32\n\n"
                           "---- Language (VD4625) --------------------------------------\n",
                           "<button type=\"button\" data-name=\"cmdClear\">Clear</button>"}) {
    EXPECT_NE(html.str().find(part), std::string::npos) << part;
  }
}

TEST_F(MonitorPage, AnUnwritableHtmlFileFailsTheRunButTheTextIsShown) {
  const std::string file = (folder_.Path() / "missing" / "m.html").string();
  const CliRun run = Run({"page", "11", "--html", file});
  EXPECT_EQ(run.status, status::kError);
  EXPECT_EQ(Lines(run.out).front(), kPageLine);
  EXPECT_EQ(run.err, "vd4625 page: cannot write " + file + "\n" + kReleased);
}

// Offline there is no device to upload from: the DTM refuses with a box,
// the run goes on and the page lists the box with its answer.
TEST_F(MonitorPage, ARefusedFrameRequestIsToldAndThePageStillShown) {
  const std::filesystem::path set = folder_.Path() / "set.xml";
  ASSERT_EQ(Run({"upload", "--save", set.string()}).status, status::kOk);
  const CliRun run = Run({"page", "11", "--load", set.string(), "--do", "upload"});
  EXPECT_EQ(run.status, status::kError);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), kPageLine);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
            (std::vector<std::string>{
                "Message boxes:", "  \"The parameter upload cannot be started.\" (style 0): OK"}));
  EXPECT_EQ(run.err, std::string("[box] The parameter upload cannot be started. -> OK\n"
                                 "vd4625 page: step 'upload': the DTM refused the upload\n") +
                         kReleased);
}

// Runs that show no page: the exit status, nothing on stdout, and why.
struct RefusedCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  std::string err;
};

class PageNotShown : public MonitorPage, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(PageNotShown, ExitsWithItsStatusAndSaysWhy) {
  const CliRun run = Run(GetParam().args);
  EXPECT_EQ(run.status, GetParam().status);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PageNotShown,
    ::testing::Values(
        RefusedCase{"UnknownFunction", {"page", "15"}, status::kUsage,
                    std::string("vd4625 page: there is no function 15; the pages are the "
                                "functions 1 to 14\n") + kUsageLines},
        RefusedCase{"FunctionZero", {"page", "0"}, status::kUsage,
                    std::string("vd4625 page: there is no function 0; the pages are the "
                                "functions 1 to 14\n") + kUsageLines},
        RefusedCase{"NoFunction", {"page"}, status::kUsage,
                    std::string("vd4625 page: function is required\n") + kUsageLines},
        RefusedCase{"UnknownStep", {"page", "11", "--do", "jump"}, status::kUsage,
                    std::string("vd4625 page: bad step 'jump': unknown step 'jump'\n") +
                        kUsageLines},
        RefusedCase{"StepWithoutItsArgument", {"page", "11", "--do", "click"}, status::kUsage,
                    std::string("vd4625 page: bad step 'click': wrong arguments for 'click'\n") +
                        kUsageLines},
        RefusedCase{"ControlNotOnThePage", {"page", "11", "--do", "click cmdRead"},
                    status::kUsage,
                    std::string("vd4625 page: step 'click cmdRead': no control cmdRead on "
                                "ctlMonitor\n") + kReleased},
        RefusedCase{"NoFieldForThePath", {"page", "11", "--do", "set SC128Tr3/Par1=1.2"},
                    status::kUsage,
                    std::string("vd4625 page: step 'set SC128Tr3/Par1=1.2': no field on "
                                "ctlMonitor shows SC128Tr3/Par1\n") + kReleased},
        RefusedCase{"PageWithoutTabs", {"page", "11", "--do", "tab 2"}, status::kUsage,
                    std::string("vd4625 page: step 'tab 2': ctlMonitor has no tabs\n") +
                        kReleased},
        RefusedCase{"TabBeyondTheTwoOfThePage", {"page", "3", "--do", "tab 3"}, status::kUsage,
                    std::string("vd4625 page: step 'tab 3': page 3 has tabs 1 and 2\n") +
                        kReleased},
        RefusedCase{"TabBeyondTheThreeOfThePage", {"page", "1", "--do", "tab 4"}, status::kUsage,
                    std::string("vd4625 page: step 'tab 4': page 1 has tabs 1 to 3\n") +
                        kReleased},
        RefusedCase{"LongControlNameIsCut",
                    {"page", "11", "--do", "click " + std::string(60, 'x')},
                    status::kUsage,
                    "vd4625 page: step 'click " + std::string(34, 'x') +
                        "...': no control " + std::string(40, 'x') + "... on ctlMonitor\n" +
                        kReleased},
        RefusedCase{"LongUnknownStepIsCut", {"page", "11", "--do", std::string(50, 'j')},
                    status::kUsage,
                    "vd4625 page: bad step '" + std::string(40, 'j') + "...': unknown step '" +
                        std::string(40, 'j') + "...'\n" + kUsageLines},
        RefusedCase{"WaitBeyondADay", {"page", "11", "--do", "wait 25h"}, status::kUsage,
                    std::string("vd4625 page: bad step 'wait 25h': 'wait' waits 24h at most\n") +
                        kUsageLines},
        RefusedCase{"WaitThatWouldOverflowTheClock", {"page", "11", "--do", "wait 2562048h"},
                    status::kUsage,
                    std::string("vd4625 page: bad step 'wait 2562048h': 'wait' waits 24h at "
                                "most\n") + kUsageLines}),
    [](const auto& i) { return std::string(i.param.name); });

// What a message quotes of a step: whole up to 40 characters, else cut on
// a character's first byte.
TEST(StepTextInMessage, CutsLongTextsOnACharacter) {
  struct Case {
    std::string text;
    std::string quoted;
  };
  const Case cases[] = {
      {"click cmdRead", "click cmdRead"},
      {std::string(40, 'a'), std::string(40, 'a')},
      {std::string(41, 'a'), std::string(40, 'a') + "..."},
      // "\xC3\x84" (A umlaut) would straddle the cut: it goes whole.
      {std::string(39, 'a') + "\xC3\x84" + "bc", std::string(39, 'a') + "..."},
  };
  for (const Case& c : cases) EXPECT_EQ(host::StepTextInMessage(c.text), c.quoted) << c.text;
}

// The steps as written after --do.
struct StepCase {
  const char* name;
  const char* text;
  host::PageStep::Kind kind;
  const char* target;
  const char* value;
  std::int16_t key_code;
  std::optional<std::int16_t> key_ascii;
  std::size_t tab;
  std::int64_t wait_ms;
};

using K = host::PageStep::Kind;

class StepGrammar : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepGrammar, ReadsWhatTheStepAsks) {
  const auto parsed = host::ParsePageStep(GetParam().text);
  ASSERT_TRUE(std::holds_alternative<host::PageStep>(parsed)) << std::get<std::string>(parsed);
  const host::PageStep& step = std::get<host::PageStep>(parsed);
  EXPECT_EQ(step.kind, GetParam().kind);
  EXPECT_EQ(step.target, GetParam().target);
  EXPECT_EQ(step.value, GetParam().value);
  EXPECT_EQ(step.key_code, GetParam().key_code);
  EXPECT_EQ(step.key_ascii, GetParam().key_ascii);
  EXPECT_EQ(step.tab, GetParam().tab);
  EXPECT_EQ(step.wait.count(), GetParam().wait_ms);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StepGrammar,
    ::testing::Values(
        StepCase{"Click", "click cmdRead", K::kClick, "cmdRead", "", 0, std::nullopt, 0, 0},
        StepCase{"ClickOnArrayMember", "click ctlParameter(3)", K::kClick, "ctlParameter(3)", "",
                 0, std::nullopt, 0, 0},
        StepCase{"SetPath", "set SC128Tr3/Par1=1.2", K::kSet, "SC128Tr3/Par1", "1.2", 0,
                 std::nullopt, 0, 0},
        StepCase{"SetKeepsBlanksOfTheValue", "set txtTag= TV 101", K::kSet, "txtTag", " TV 101",
                 0, std::nullopt, 0, 0},
        StepCase{"SetEmpty", "set txtTag=", K::kSet, "txtTag", "", 0, std::nullopt, 0, 0},
        StepCase{"KeyEnter", "key txtX Enter", K::kKey, "txtX", "", 13, std::int16_t{13}, 0, 0},
        StepCase{"KeyNamesIgnoreCase", "key txtX escape", K::kKey, "txtX", "", 27,
                 std::int16_t{27}, 0, 0},
        StepCase{"KeyWithoutCharacter", "key txtX Up", K::kKey, "txtX", "", 38, std::nullopt, 0,
                 0},
        StepCase{"FunctionKey", "key txtX F2", K::kKey, "txtX", "", 113, std::nullopt, 0, 0},
        StepCase{"OneLetter", "key txtX a", K::kKey, "txtX", "", 65, std::int16_t{97}, 0, 0},
        StepCase{"OneDigit", "key txtX 7", K::kKey, "txtX", "", 55, std::int16_t{55}, 0, 0},
        StepCase{"Tab", "tab 2", K::kTab, "", "", 0, std::nullopt, 2, 0},
        StepCase{"WaitMilliseconds", "wait 500ms", K::kWait, "", "", 0, std::nullopt, 0, 500},
        StepCase{"WaitSeconds", "wait 5s", K::kWait, "", "", 0, std::nullopt, 0, 5000},
        StepCase{"WaitMinutes", "wait 3min", K::kWait, "", "", 0, std::nullopt, 0, 180000},
        StepCase{"WaitHours", "wait 1h", K::kWait, "", "", 0, std::nullopt, 0, 3600000},
        StepCase{"WaitADayInHours", "wait 24h", K::kWait, "", "", 0, std::nullopt, 0, 86400000},
        StepCase{"WaitADayInMilliseconds", "wait 86400000ms", K::kWait, "", "", 0, std::nullopt, 0,
                 86400000},
        StepCase{"Upload", "upload", K::kUpload, "", "", 0, std::nullopt, 0, 0},
        StepCase{"Download", " download ", K::kDownload, "", "", 0, std::nullopt, 0, 0},
        StepCase{"Language", "language de", K::kLanguage, "", "de", 0, std::nullopt, 0, 0}),
    [](const auto& i) { return std::string(i.param.name); });

struct BadStepCase {
  const char* name;
  const char* text;
  const char* error;
};

class BadStep : public ::testing::TestWithParam<BadStepCase> {};

TEST_P(BadStep, SaysWhatIsWrong) {
  const auto parsed = host::ParsePageStep(GetParam().text);
  ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
  EXPECT_EQ(std::get<std::string>(parsed), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadStep,
    ::testing::Values(
        BadStepCase{"Empty", "", "an empty step"},
        BadStepCase{"Unknown", "press cmdRead", "unknown step 'press'"},
        BadStepCase{"ClickTwoNames", "click a b", "wrong arguments for 'click'"},
        BadStepCase{"SetWithoutEquals", "set txtTag", "'set' wants TARGET=VALUE"},
        BadStepCase{"SetWithoutTarget", "set =1", "'set' wants TARGET=VALUE"},
        BadStepCase{"SetTargetWithBlank", "set a b=1", "'set' wants TARGET=VALUE"},
        BadStepCase{"UnknownKey", "key txtX Enterr", "unknown key 'Enterr'"},
        BadStepCase{"FunctionKeyBeyondTwelve", "key txtX F13", "unknown key 'F13'"},
        BadStepCase{"TabZero", "tab 0", "'tab' wants a tab number from 1"},
        BadStepCase{"TabNoNumber", "tab two", "'tab' wants a tab number from 1"},
        BadStepCase{"WaitWithoutUnit", "wait 5", "'wait' wants a time such as 500ms, 5s, 3min or 1h"},
        BadStepCase{"WaitUnknownUnit", "wait 5d", "'wait' wants a time such as 500ms, 5s, 3min or 1h"},
        BadStepCase{"WaitNegative", "wait -5s", "'wait' wants a time such as 500ms, 5s, 3min or 1h"},
        BadStepCase{"WaitJustBeyondADay", "wait 86400001ms", "'wait' waits 24h at most"},
        BadStepCase{"WaitBeyondADayInMinutes", "wait 1441min", "'wait' waits 24h at most"},
        BadStepCase{"WaitHoursThatOverflowTheClock", "wait 2562048h", "'wait' waits 24h at most"},
        BadStepCase{"WaitSecondsForYears", "wait 50000000s", "'wait' waits 24h at most"},
        BadStepCase{"WaitBeyondAnyWholeNumber", "wait 99999999999999999999999999s",
                    "'wait' waits 24h at most"},
        BadStepCase{"UploadWithArgument", "upload all", "wrong arguments for 'upload'"},
        BadStepCase{"LanguageUnknown", "language fr", "'language' wants de or en"}),
    [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::testing
