// The documentation page: its builds in both languages and without a style
// sheet, the temporary files it keeps, the browser's commands behind its
// buttons, and its layout rule.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "component/ui/actions/ctl_print.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/testing/temp_folder.h"

namespace dtm::testing {
namespace {

using Strings = std::vector<std::string>;
using Entry = runtime::RecordingMessageSink::Entry;

// The texts of every match of the first group of `pattern` in `text`; a
// heading cell and its value cell read "heading=value".
Strings Matches(const std::string& text, const std::string& pattern) {
  Strings out;
  const std::regex re(pattern);
  const std::regex cells("</th>\\s*<td>");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it) {
    out.push_back(std::regex_replace(std::string((*it)[1]), cells, "="));
  }
  return out;
}

// The temporary folder of one test; creation fails while `fail` is set.
class FolderTempFiles final : public win::TempFiles {
 public:
  explicit FolderTempFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}
  std::filesystem::path TempPath() override { return folder_; }
  std::filesystem::path TempFileName(const std::filesystem::path& folder,
                                     const std::string& prefix) override {
    if (fail) return {};
    return system_.TempFileName(folder, prefix);
  }
  bool fail = false;

 private:
  std::filesystem::path folder_;
  win::SystemTempFiles system_{0x100};
};

class PrintPage : public DtmFixture {
 protected:
  ~PrintPage() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }
  PrintPage() {
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
  }

  // A page on this test's temporary folder, with a recording print engine
  // when `engine` is set.
  std::shared_ptr<ctlPrint> Open(bool engine = true, const std::string& id = "13") {
    auto page = std::make_shared<ctlPrint>(&page_services_);
    if (engine) page->wwwPrint().SetEngine(engine_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init(id, "", dtm_));
    return page;
  }

  std::string Shown(const ctlPrint& page) const { return ReadText(page.wwwPrint().LocationURL()); }

  std::vector<Entry> Of(Entry::Kind kind) const {
    std::vector<Entry> out;
    for (const Entry& entry : messages_.entries) {
      if (entry.kind == kind) out.push_back(entry);
    }
    return out;
  }
  Strings BoxTexts() const {
    Strings out;
    for (const Entry& entry : Of(Entry::kBox)) out.push_back(entry.text);
    return out;
  }

  TempFolder folder_;
  FolderTempFiles temp_{folder_.Path()};
  runtime::Services page_services_{loop_,  messages_,   registry_,
                                   shell_, guids_,      temp_,
                                   InstallFolder(), services_.dictionaries, services_.locale};
  std::shared_ptr<controls::RecordingPrintEngine> engine_ =
      std::make_shared<controls::RecordingPrintEngine>();
};

TEST_F(PrintPage, BuildsWithTheStyleSheetOfItsLanguage) {
  struct Case {
    const char* name;
    std::int32_t language;  // the DTM's language when the page opens
    Strings title;          // the page's <h1>
    Strings groups;         // its <h2>s
    Strings columns;
    Strings head;  // the rows below the title: heading=value
    std::string caption;
  };
  const Case cases[] = {
      {"German", 1031, {"Gerätedokumentation"},
       {"Offline-Parameter", "Online-Parameter", "Gerätestatus"},
       {"Parameter", "Wert", "Einheit", "Status"},
       {"Gerät=VELDAR AG 4625", "DTM=VD4625FDT", "Messstellenbezeichnung=TAG1",
        "Datum=2026-03-04 00:00"},
       "Daten &aktualisieren"},
      {"English", 1033, {"Device documentation"},
       {"Offline parameters", "Online parameters", "Device status"},
       {"Parameter", "Value", "Unit", "Status"},
       {"Device=VELDAR AG 4625", "DTM=VD4625FDT", "Tag=TAG1", "Date=2026-03-04 00:00"},
       "&Refresh data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dtm_->IDtm_SetLanguage(c.language);
    auto page = Open(true, std::string("13-") + c.name);
    const std::string html = Shown(*page);
    EXPECT_EQ(Matches(html, "<h1>([^<]*)</h1>"), c.title);
    EXPECT_EQ(Matches(html, "<h2>([^<]*)</h2>"), c.groups);
    const std::size_t thead = html.find("<thead>");
    ASSERT_NE(thead, std::string::npos);
    EXPECT_EQ(Matches(html.substr(thead, html.find("</thead>") - thead), "<th>([^<]*)</th>"), c.columns);
    EXPECT_EQ(Matches(html, "<th>([^<]*</th>\\s*<td>[^<]*)</td>"), c.head);
    EXPECT_NE(html.find("charset=UTF-8"), std::string::npos);
    EXPECT_TRUE(html.ends_with("</html>\n\r\n"));
    EXPECT_EQ(page->cmdRefreshData().Caption(), c.caption);
    EXPECT_EQ(page->wwwPrint().Navigations(), 1);
    EXPECT_TRUE(Of(Entry::kError).empty());
    EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  }
}

TEST_F(PrintPage, ALanguageChangeRebuildsAtOnceAndAMissingStyleSheetKeepsThePage) {
  auto page = Open();
  ASSERT_EQ(Matches(Shown(*page), "<h1>([^<]*)</h1>"), Strings{"Device documentation"});

  dtm_->IDtm_SetLanguage(1031);
  EXPECT_EQ(page->wwwPrint().Navigations(), 2);
  EXPECT_EQ(Matches(Shown(*page), "<h1>([^<]*)</h1>"), Strings{"Gerätedokumentation"});
  const std::filesystem::path german = page->DocFile();

  dtm_->IDtm_SetLanguage(1033);
  page->IPrivateGUI_SetLanguage(12);  // no style sheet of its own
  const auto errors = Of(Entry::kError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text,
            "The documentation could not be transformed with DTMDocStyle012.xsl: the style sheet "
            "is missing or faulty.");
  EXPECT_EQ(page->wwwPrint().Navigations(), 3) << "the English page stays";
  EXPECT_EQ(Matches(Shown(*page), "<h1>([^<]*)</h1>"), Strings{"Device documentation"});
  EXPECT_TRUE(Of(Entry::kBox).empty());
  EXPECT_FALSE(std::filesystem::exists(german));
}

TEST_F(PrintPage, ADataSetChangeDoesNotRebuild) {
  auto page = Open();
  Context().GUIMan().NotifyParameterSetChanged("");
  EXPECT_EQ(page->wwwPrint().Navigations(), 1);
}

TEST_F(PrintPage, KeepsOneFileAndDeletesItsFilesOnRelease) {
  auto page = Open(false);
  const std::string first = page->DocFile().filename().string();
  EXPECT_EQ(folder_.Entries(), std::set<std::string>{first});
  EXPECT_EQ(page->HtmFile().filename().string(), first.substr(0, first.size() - 3) + "htm");

  page->cmdRefreshData().Raise("Click");
  const std::string second = page->DocFile().filename().string();
  EXPECT_NE(second, first);
  EXPECT_EQ(folder_.Entries(), std::set<std::string>{second});
  EXPECT_EQ(page->wwwPrint().LocationURL(), page->DocFile().string());

  messages_.answers.push_back(1);  // print through the system's browser
  page->cmdPrint().Raise("Click");
  const std::string htm = page->HtmFile().filename().string();
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{second, htm}));
  EXPECT_EQ(ReadText(page->HtmFile()), ReadText(page->DocFile()));

  EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  EXPECT_TRUE(folder_.Entries().empty());
}

TEST_F(PrintPage, WithoutATemporaryFileThePageHasNoDocument) {
  auto page = Open();
  const std::string shown = page->wwwPrint().LocationURL();
  temp_.fail = true;
  page->cmdRefreshData().Raise("Click");
  EXPECT_EQ(page->DocFile(), std::filesystem::path());
  EXPECT_EQ(page->HtmFile(), std::filesystem::path());
  EXPECT_EQ(page->wwwPrint().Navigations(), 1) << "not pointed at a file that is gone";
  EXPECT_EQ(page->wwwPrint().LocationURL(), shown);
  EXPECT_TRUE(folder_.Entries().empty());

  page->cmdPrint().Raise("Click");
  EXPECT_EQ(Of(Entry::kError).size(), 1u);
  EXPECT_TRUE(engine_->calls.empty());
}

TEST_F(PrintPage, PreviewOrPrintBeforeAnyDocumentIsReported) {
  temp_.fail = true;
  auto page = Open();
  ASSERT_EQ(page->wwwPrint().Navigations(), 0);
  for (const char* button : {"cmdPreview", "cmdPrint"}) {
    SCOPED_TRACE(button);
    messages_.entries.clear();
    page->Find(button)->Raise("Click");
    const auto errors = Of(Entry::kError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, "There is no document to print yet. Please refresh the data first.");
    EXPECT_TRUE(Of(Entry::kBox).empty());
  }
  EXPECT_TRUE(engine_->calls.empty());
  EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(PrintPage, TheButtonsFollowTheBrowsersStatusAndTheDialogFlag) {
  struct Case {
    const char* name;
    bool dialogs;        // the frame lets the page open dialogs
    bool engine;         // the browser can print
    bool with_document;
    const char* button;
    std::vector<std::int32_t> answers;  // the boxes' answers
    Strings boxes;
    Strings engine_calls;  // "pdf" print, "png" preview
    std::size_t shell_opens;
  };
  const std::string ask = "The document will be opened in the system's web browser. Please print it from there.";
  const Case cases[] = {
      {"PrintWithDialogs", true, true, true, "cmdPrint", {}, {}, {"pdf"}, 0},
      {"PrintWithoutDialogsAsksOk", false, true, true, "cmdPrint", {1}, {ask}, {}, 1},
      {"PrintWithoutDialogsAsksCancel", false, true, true, "cmdPrint", {2}, {ask}, {}, 0},
      {"PrintWithoutEngineAsks", true, false, true, "cmdPrint", {1}, {ask}, {}, 1},
      {"PreviewWithEngine", true, true, true, "cmdPreview", {}, {}, {"png"}, 0},
      {"PreviewWithoutEngine", true, false, true, "cmdPreview", {},
       {"The browser does not support this action."}, {}, 0},
      {"PageSetupHasNoDialog", true, true, true, "cmdPageSetup", {},
       {"This action is not available in the browser at the moment."}, {}, 0},
      {"PageSetupWithoutEngine", true, false, true, "cmdPageSetup", {},
       {"The browser does not support this action."}, {}, 0},
      {"PageSetupWithoutDocument", true, true, false, "cmdPageSetup", {},
       {"This action is not available in the browser at the moment."}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dtm_->IDtm_PrivateDialogEnabled(c.dialogs);
    temp_.fail = !c.with_document;
    messages_.entries.clear();
    shell_.calls.clear();
    engine_->calls.clear();
    auto page = Open(c.engine, std::string("13-") + c.name);
    EXPECT_EQ(page->cmdPreview().Enabled(), c.dialogs);
    EXPECT_EQ(page->cmdPageSetup().Enabled(), c.dialogs);
    EXPECT_TRUE(page->cmdPrint().Enabled());
    EXPECT_TRUE(page->cmdRefreshData().Enabled());
    messages_.answers.assign(c.answers.begin(), c.answers.end());
    page->Find(c.button)->Raise("Click");
    EXPECT_EQ(BoxTexts(), c.boxes);
    for (const Entry& box : Of(Entry::kBox)) {
      EXPECT_EQ(box.style, box.text == ask ? 289 : 0);
    }
    Strings calls;
    for (const auto& call : engine_->calls) {
      calls.push_back(call.what);
      EXPECT_EQ(call.page, page->DocFile());
    }
    EXPECT_EQ(calls, c.engine_calls);
    ASSERT_EQ(shell_.calls.size(), c.shell_opens);
    if (c.shell_opens > 0) {
      EXPECT_EQ(shell_.calls[0].verb, "open");
      EXPECT_EQ(shell_.calls[0].file, page->HtmFile().string());
      EXPECT_TRUE(std::filesystem::exists(page->HtmFile()));
    }
    EXPECT_TRUE(Of(Entry::kError).empty());
    EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  }
}

TEST_F(PrintPage, AFailingPrintEndsWithoutAMessage) {
  dtm_->IDtm_PrivateDialogEnabled(true);
  auto page = Open();
  engine_->answer = false;
  page->cmdPrint().Raise("Click");
  EXPECT_EQ(engine_->calls.size(), 1u);
  EXPECT_TRUE(messages_.entries.empty());
  EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(PrintPage, TheButtonsDoNothingOnAPageNotInitialised) {
  auto page = std::make_shared<ctlPrint>(&page_services_);
  page->wwwPrint().SetEngine(engine_);
  for (const char* button : {"cmdRefreshData", "cmdPageSetup", "cmdPreview", "cmdPrint"}) {
    page->Find(button)->Raise("Click");
  }
  EXPECT_TRUE(messages_.entries.empty());
  EXPECT_TRUE(engine_->calls.empty());
  EXPECT_EQ(page->wwwPrint().Navigations(), 0);
  EXPECT_TRUE(folder_.Entries().empty());
}

TEST(PrintLayoutRule, GrowsWithThePageAndNeverShrinksBelowItsDesign) {
  const PrintLayout design;  // 9600 x 7200
  struct Case {
    const char* name;
    double width, height;
    PrintLayout::Placed placed;
  };
  const Case cases[] = {
      {"Design", 9600, 7200, {9600, 6600, 120, 4560, 6240, 7920, 9360, 5760}},
      {"Wider", 10600, 7200, {10600, 6600, 1120, 5560, 7240, 8920, 10360, 5760}},
      {"Taller", 9600, 8200, {9600, 7600, 120, 4560, 6240, 7920, 9360, 6760}},
      {"Both", 9700, 7250, {9700, 6650, 220, 4660, 6340, 8020, 9460, 5810}},
      {"Smaller", 4000, 3000, {9600, 6600, 120, 4560, 6240, 7920, 9360, 5760}},
      {"NarrowerButTaller", 5000, 8000, {9600, 7400, 120, 4560, 6240, 7920, 9360, 6560}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(design.For(c.width, c.height), c.placed);
  }
}

TEST(PrintLayoutRule, AResizedPageMovesItsParts) {
  ctlPrint page(nullptr);
  page.Resize(10600, 8200);
  EXPECT_EQ(page.wwwPrint().Width(), 10360);
  EXPECT_EQ(page.wwwPrint().Height(), 6760);
  EXPECT_EQ(page.cmdRefreshData().Left(), 1120);
  EXPECT_EQ(page.cmdRefreshData().Top(), 7600);
  EXPECT_EQ(page.cmdPrint().Left(), 8920);
  EXPECT_EQ(page.cmdPrint().Top(), 7600);
  ASSERT_NE(page.Headline(), nullptr);
  EXPECT_EQ(page.Headline()->Width(), 10600);
  page.Resize(4000, 3000);  // back to the design, not below it
  EXPECT_EQ(page.wwwPrint().Width(), 9360);
  EXPECT_EQ(page.wwwPrint().Height(), 5760);
  EXPECT_EQ(page.cmdPrint().Left(), 7920);
  EXPECT_EQ(page.cmdPrint().Top(), 6600);
}

// The transformation alone, on a style sheet of the test's own.
class StyleSheetTransform : public ::testing::Test {
 protected:
  void Sheet(const std::string& part, const std::string& text) {
    WriteText(folder_.Path() / ("DTMDocStyle" + part + ".xsl"), text);
  }
  // The texts of the <p> elements of a transformation's XML result.
  static Strings Paragraphs(const std::string& result) {
    xml::Document parsed;
    EXPECT_TRUE(parsed.LoadXml(result)) << result;
    Strings out;
    for (const xml::Node& p : parsed.SelectNodes("//p")) out.push_back(p.Text());
    return out;
  }
  std::string Folder() const { return folder_.Path().string(); }
  TempFolder folder_;
};

constexpr const char* kTestSheet = R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="UTF-8"/>
  <xsl:template match="/">
    <out><xsl:apply-templates select="FDT/DTMStyleForCompleteDocument"/><p>end</p></out>
  </xsl:template>
  <xsl:template match="FDT/DTMStyleForCompleteDocument"><p>body</p></xsl:template>
</xsl:stylesheet>
)";

TEST_F(StyleSheetTransform, TheTemplateReceivesTheDocumentationsPartsInOrder) {
  Sheet("009", kTestSheet);
  struct Case {
    const char* name;
    std::string document;
    Strings paragraphs;
  };
  const Case cases[] = {
      {"TwoParts",
       "<FDT><DTMStyleForCompleteDocument><p>one</p><p>two</p></DTMStyleForCompleteDocument></FDT>",
       {"body", "one", "two", "end"}},
      {"XslParts",
       "<FDT><DTMStyleForCompleteDocument><p xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
       "<xsl:value-of select=\"'computed'\"/></p></DTMStyleForCompleteDocument></FDT>",
       {"body", "computed", "end"}},
      {"NoParts", "<FDT><DTMStyleForCompleteDocument/></FDT>", {"body", "end"}},
      {"NoPlaceForParts", "<FDT/>", {"end"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Paragraphs(ctlPrint::Transform(c.document, Folder(), "009")), c.paragraphs);
  }
  // The sheet on disk is not changed by the parts it took.
  EXPECT_EQ(ReadText(folder_.Path() / "DTMDocStyle009.xsl"), kTestSheet);
}

TEST_F(StyleSheetTransform, FailsWithoutAUsableStyleSheetOrDocument) {
  Sheet("009", kTestSheet);
  Sheet("010", "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
               "<xsl:template match=\"/\"><out/></xsl:template></xsl:stylesheet>");
  Sheet("011", "not xml");
  struct Case {
    const char* name;
    std::string document;
    std::string part;
  };
  const Case cases[] = {
      {"NoSheet", "<FDT/>", "012"},
      {"NoTemplateForTheDocument", "<FDT/>", "010"},
      {"SheetNoXml", "<FDT/>", "011"},
      {"DocumentNoXml", "<FDT", "009"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(ctlPrint::Transform(c.document, Folder(), c.part), com::ComError);
  }
}

}  // namespace
}  // namespace dtm::testing
