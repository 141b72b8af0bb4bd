// vd4625 page as a person works it: numbers in the locale of the chosen
// language, typing that a locked field refuses, the measured-value page's
// operating mode written as typed, the pages the offline container hosts,
// and the parameter search. Each run is judged by its exit status, its
// standard output and its standard error.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kReleased =
    "[frame] CommunicationReleased(VD4625)\n[frame] PreparedToRelease(VD4625)\n";
constexpr const char* kReleasedAfterChange =
    "[frame] CommunicationReleased(VD4625)\n[frame] SaveRequest(VD4625)\n"
    "[frame] PreparedToRelease(VD4625)\n";

std::string LineWith(const std::string& out, const std::string& part) {
  for (const std::string& line : Lines(out)) {
    if (line.find(part) != std::string::npos) return line;
  }
  return "";
}

// The HART requests of a trace, "cmd=131 data=41 01".
std::vector<std::string> Requests(const std::string& err) {
  std::vector<std::string> requests;
  for (const std::string& line : Lines(err)) {
    if (line.starts_with("HART > ")) requests.push_back(line.substr(7));
  }
  return requests;
}

class PersonOnPage : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args) { return RunCli(args, folder_); }
  TempFolder folder_;
};

// ---- numbers in the user's locale -------------------------------------------------------------

struct FieldCase {
  const char* name;
  const char* lang;
  const char* typed;
  const char* line;     // the dead band's line as shown after the download
  const char* request;  // the download's write of it: the stored value's bytes; "" for none
};

const FieldCase kFieldCases[] = {
    {"GermanDecimalComma", "de", "0,7", "  Field ctlParameter(41) \"Tote Zone\": 0,7 % [OnlineValue]",
     "cmd=129 data=16 3F 33 33 33"},
    {"GermanTwoCommasRefused", "de", "1,2,3",
     "  Field ctlParameter(41) \"Tote Zone\": 1,2,3 % [InputErr]", ""},
    {"GermanWordRefused", "de", "abc", "  Field ctlParameter(41) \"Tote Zone\": abc % [InputErr]", ""},
    {"EnglishDecimalPoint", "en", "0.7", "  Field ctlParameter(41) \"Dead band\": 0.7 % [OnlineValue]",
     "cmd=129 data=16 3F 33 33 33"},
    {"EnglishWordRefused", "en", "abc", "  Field ctlParameter(41) \"Dead band\": abc % [InputErr]", ""},
};

class TypedNumber : public PersonOnPage, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(TypedNumber, IsReadAndShownInTheLanguagesLocale) {
  const FieldCase& c = GetParam();
  const CliRun run = Run({"page", "2", "--lang", c.lang, "--trace", "--do", "tab 3", "--do",
                          std::string("set ctlParameter(41)=") + c.typed, "--do", "download"});
  EXPECT_EQ(LineWith(run.out, "ctlParameter(41)"), c.line) << run.out;
  const std::vector<std::string> requests = Requests(run.err);
  bool written = false;
  for (const std::string& request : requests) written = written || request == c.request;
  EXPECT_EQ(written, *c.request != '\0') << run.err;
}

INSTANTIATE_TEST_SUITE_P(Table, TypedNumber, ::testing::ValuesIn(kFieldCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(PersonOnPage, GermanFieldShowsTheDeviceValueWithADecimalComma) {
  const CliRun run = Run({"page", "2", "--lang", "de", "--do", "tab 3"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(LineWith(run.out, "ctlParameter(40)"),
            "  Field ctlParameter(40) \"KP_Y1 Zuluft\": 1,2 [Initial]");
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(PersonOnPage, LanguageChangeOnTheOpenPageShowsItsNumbersInTheNewLocale) {
  const CliRun run = Run({"page", "2", "--do", "tab 3", "--do", "language de"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(LineWith(run.out, "ctlParameter(40)"),
            "  Field ctlParameter(40) \"KP_Y1 Zuluft\": 1,2 [Initial]");
  EXPECT_EQ(run.err, kReleased);
}

struct EditorCase {
  const char* name;
  const char* lang;
  const char* typed;
  const char* label;  // the point shown after Next: y1 when the entry was taken
};

const EditorCase kEditorCases[] = {
    {"GermanCommaTaken", "de", "12,5", "  Label lblParY \"y1\""},
    {"GermanPointRefused", "de", "12.5", "  Label lblParY \"y0\""},
    {"GermanWordRefused", "de", "abc", "  Label lblParY \"y0\""},
    {"EnglishPointTaken", "en", "12.5", "  Label lblParY \"y1\""},
    {"EnglishCommaRefused", "en", "12,5", "  Label lblParY \"y0\""},
};

class EditorEntry : public PersonOnPage, public ::testing::WithParamInterface<EditorCase> {};

TEST_P(EditorEntry, IsReadInTheLanguagesLocale) {
  const EditorCase& c = GetParam();
  const CliRun run = Run({"page", "2", "--lang", c.lang, "--do", "tab 2", "--do",
                          "set ctlParameter(20)=5", "--do", "click cmdNext", "--do",
                          std::string("set txtParY=") + c.typed, "--do", "click cmdNext"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(LineWith(run.out, "lblParY"), c.label) << run.out;
  EXPECT_EQ(run.err, kReleasedAfterChange);
}

INSTANTIATE_TEST_SUITE_P(Table, EditorEntry, ::testing::ValuesIn(kEditorCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(PersonOnPage, EditorShowsATakenGermanPointWithItsComma) {
  const CliRun run =
      Run({"page", "2", "--lang", "de", "--do", "tab 2", "--do", "set ctlParameter(20)=5", "--do",
           "click cmdNext", "--do", "set txtParY=12,5", "--do", "click cmdNext", "--do",
           "click cmdPrev"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(LineWith(run.out, "txtParY"), "  Text txtParY: \"12,5\"");
  EXPECT_EQ(LineWith(run.out, "lblParY"), "  Label lblParY \"y0\"");
  EXPECT_EQ(run.err, kReleasedAfterChange);
}

// ---- one way to type ----------------------------------------------------------------------------

TEST_F(PersonOnPage, LockedFieldTakesNoTyping) {
  const CliRun run = Run({"page", "2", "--do", "tab 3", "--do", "set ctlParameter(47)=5"});
  EXPECT_EQ(run.status, status::kUsage);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, std::string("vd4625 page: step 'set ctlParameter(47)=5': ctlParameter(47) "
                                 "is locked\n") +
                         kReleased);
}

TEST_F(PersonOnPage, LockedTextBoxTakesNoTyping) {
  const CliRun run = Run({"page", "2", "--do", "tab 2", "--do", "set txtParY=5"});
  EXPECT_EQ(run.status, status::kUsage);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            std::string("vd4625 page: step 'set txtParY=5': txtParY is locked\n") + kReleased);
}

// Whatever time passes between typing and Write, the mode typed is written.
class OperatingModeWrite : public PersonOnPage,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(OperatingModeWrite, SendsTheTypedMode) {
  std::vector<std::string> args = {"page", "4", "--trace", "--do", "set ctlParameter(9)=1"};
  if (*GetParam() != '\0') args.insert(args.end(), {"--do", std::string("wait ") + GetParam()});
  args.insert(args.end(), {"--do", "click cmdWriteOpMode"});
  const CliRun run = Run(args);
  EXPECT_EQ(run.status, status::kOk);
  std::vector<std::string> writes;
  for (const std::string& request : Requests(run.err)) {
    if (request.starts_with("cmd=131 ")) writes.push_back(request);
  }
  EXPECT_EQ(writes, std::vector<std::string>{"cmd=131 data=41 01"}) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Timings, OperatingModeWrite,
                         ::testing::Values("", "100ms", "3900ms", "4s", "5s", "1min"),
                         [](const auto& i) {
                           std::string name = *i.param ? i.param : "AtOnce";
                           return "After" + name;
                         });

// ---- the pages of the offline container -------------------------------------------------------

TEST_F(PersonOnPage, ContainerStepReachesTheShownChildsControl) {
  const CliRun run = Run({"page", "12", "--do", "tab 2", "--do", "set ctlParameter(4)=98"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(LineWith(run.out, "ctlParameter(4)"),
            "    Field ctlParameter(4) \"End position at high w\": 98 % [Changed]");
  EXPECT_EQ(run.err, kReleasedAfterChange);
}

TEST_F(PersonOnPage, ChildsTabStripIsItsOwn) {
  const CliRun run = Run({"page", "12", "--do", "tab 2", "--do", "tab ctlOfflineParams.TabStrip 2",
                          "--do", "click cmdNext"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Tabs TabStrip: 1 Identification | 2 Parameters (selected) | 3 Start-up");
  EXPECT_EQ(lines[4], "  Tabs TabStrip: 1 Input | 2 Characteristic (selected) | 3 Control values");
  EXPECT_EQ(LineWith(run.out, "cmdNext"), "    Button cmdNext \"Next  >\" enabled");
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(PersonOnPage, DottedPathNamesAHiddenChildsControl) {
  // The start-up page is not shown: its control is named by its path.
  const CliRun shown = Run({"page", "12", "--do", "click ctlOfflineParams.cmdNext"});
  EXPECT_EQ(shown.status, status::kUsage);
  EXPECT_EQ(shown.out, "");
  EXPECT_EQ(shown.err, std::string("vd4625 page: step 'click ctlOfflineParams.cmdNext': cmdNext is "
                                   "hidden or disabled and cannot take the focus\n") +
                           kReleased);
  const CliRun unknown = Run({"page", "12", "--do", "click ctlNone.cmdNext"});
  EXPECT_EQ(unknown.status, status::kUsage);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(unknown.err,
            std::string("vd4625 page: step 'click ctlNone.cmdNext': no control ctlNone.cmdNext on "
                        "ctlOffline\n") +
                kReleased);
}

// ---- the parameter search -----------------------------------------------------------------------

TEST_F(PersonOnPage, SearchListsTheMatchingParameters) {
  const CliRun run = Run({"page", "14", "--do", "search Rated travel"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                "Page 14 ctlSearch (VD4625FDT.ctlSearch)",
                                "Headline: Parameter search",
                                "Search ctlDTMSearch: \"Rated travel\"",
                                "  1 Rated travel | SC128Tr2/Par2 | Offline parameterization",
                                "  2 Rated travel | SC128Tr2/Par2 | Offline parameterization",
                            }));
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(PersonOnPage, GermanSearchSaysNoneMatched) {
  const CliRun run = Run({"page", "14", "--lang", "de", "--do", "search Nennhub zzz"});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                "Page 14 ctlSearch (VD4625FDT.ctlSearch)",
                                "Headline: Parametersuche",
                                "Search ctlDTMSearch: \"Nennhub zzz\"",
                                "  Kein Parameter passt zur Suche.",
                            }));
  EXPECT_EQ(run.err, kReleased);
}

TEST_F(PersonOnPage, ChosenHitOpensItsPageOnTheField) {
  const CliRun run = Run({"page", "14", "--do", "search Rated travel", "--do", "choose 1"});
  EXPECT_EQ(run.status, status::kOk);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "Page 12 ctlOffline (VD4625FDT.ctlOffline)");
  EXPECT_EQ(lines[2], "Tabs TabStrip: 1 Identification (selected) | 2 Parameters | 3 Start-up");
  EXPECT_EQ(lines[4],
            "  Tabs TabStrip: 1 Ident. operating unit | 2 Ident. positioner | 3 Ident. actuator / "
            "valve (selected)");
  EXPECT_EQ(LineWith(run.out, "ctlParameter(43)"),
            "    Field ctlParameter(43) \"Rated travel\": 15 mm [Initial] locked");
  EXPECT_EQ(run.err, kReleased + std::string());
}

TEST_F(PersonOnPage, ChoosingAHitTheSearchLacksIsAUsageError) {
  const CliRun run = Run({"page", "14", "--do", "search Rated travel", "--do", "choose 3"});
  EXPECT_EQ(run.status, status::kUsage);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            std::string("vd4625 page: step 'choose 3': the search has 2 hits\n") + kReleased);
}

}  // namespace
}  // namespace dtm::testing
