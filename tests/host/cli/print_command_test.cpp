// vd4625 page 13 and vd4625 document --html: the documentation as HTML, the
// same from the page and without it; each run judged by its exit status,
// its standard output and its standard error. No browser is found here
// (an empty PATH), so nothing is printed.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kReleased =
    "[frame] CommunicationReleased(VD4625)\n[frame] PreparedToRelease(VD4625)\n";

std::vector<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> out;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it) {
    out.push_back((*it)[1]);
  }
  return out;
}

class PrintCommand : public ::testing::Test {
 protected:
  CliRun Run(const std::vector<std::string>& args) {
    return RunCli(args, folder_, {}, {{"PATH", std::string()}});
  }
  std::string File(const std::string& name) const { return (folder_.Path() / name).string(); }
  TempFolder folder_;
};

TEST_F(PrintCommand, ThePageWritesTheDocumentationInItsLanguage) {
  struct Case {
    const char* lang;
    std::vector<std::string> title, groups;
  };
  const Case cases[] = {
      {"en", {"Device documentation"}, {"Offline parameters", "Online parameters", "Device status"}},
      {"de", {"Gerätedokumentation"}, {"Offline-Parameter", "Online-Parameter", "Gerätestatus"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lang);
    const std::string html = File(std::string("doc_") + c.lang + ".html");
    const CliRun run = Run({"page", "13", "--lang", c.lang, "--html", html});
    EXPECT_EQ(run.status, status::kOk);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Page 13 ctlPrint (VD4625FDT.ctlPrint)");
    EXPECT_EQ(run.err, kReleased);
    const std::string text = ReadText(html);
    EXPECT_EQ(Matches(text, "<h1>([^<]*)</h1>"), c.title);
    EXPECT_EQ(Matches(text, "<h2>([^<]*)</h2>"), c.groups);
    EXPECT_FALSE(std::filesystem::exists(File(std::string("doc_") + c.lang + ".pdf")));
  }
}

TEST_F(PrintCommand, TheDocumentCommandGivesTheSameHtmlWithoutThePage) {
  const CliRun from_page = Run({"page", "13", "--html", File("page.html")});
  ASSERT_EQ(from_page.status, status::kOk);
  const CliRun run = Run({"document", "--html", File("doc.html")});
  EXPECT_EQ(run.status, status::kOk);
  EXPECT_TRUE(run.out.starts_with("<?xml")) << run.out.substr(0, 80);
  EXPECT_EQ(run.err, kReleased);
  EXPECT_EQ(ReadText(File("doc.html")), ReadText(File("page.html")));
}

TEST_F(PrintCommand, WithoutABrowserTheButtonsSayWhatTheyCannotDo) {
  struct Case {
    const char* button;
    std::string box;  // as the text output shows it
    const char* answer;  // the box's default button
  };
  const Case cases[] = {
      {"cmdPreview", "The browser does not support this action.", "OK"},
      {"cmdPageSetup", "The browser does not support this action.", "OK"},
      {"cmdPrint", "The document will be opened in the system's web browser. Please print it from there.",
       "Cancel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    const CliRun run = Run({"page", "13", "--do", std::string("click ") + c.button});
    EXPECT_EQ(run.status, status::kOk);
    EXPECT_NE(run.out.find(c.box), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "[box] " + c.box + " -> " + c.answer + "\n" + kReleased);
  }
}

}  // namespace
}  // namespace dtm::testing
