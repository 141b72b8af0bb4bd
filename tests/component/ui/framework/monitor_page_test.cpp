// The monitor page's life: what it writes when it opens and at each language
// change, whose protocol it is while several are open, clearing, and saving
// the protocol to a file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/ui/framework/ctl_monitor.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/testing/temp_folder.h"

namespace dtm::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kEnglishBlock[] = {
    "", "---- Language (TAG1) ----------------------------------------", "Language-ID = 1033",
    "Primary language ID = 9", "Secondary language ID = 1"};

Lines Of(const ctlMonitor& monitor) { return {monitor.Lines().begin(), monitor.Lines().end()}; }

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Answerer : public forms::FileDialogAnswerer {
 public:
  std::optional<std::string> AnswerSave(const forms::CommonDialog& dialog) override {
    flags_seen = dialog.Flags();
    ++asked;
    return answer;
  }
  std::optional<std::string> answer;
  std::int32_t flags_seen = -1;
  int asked = 0;
};

class MonitorPage : public DtmFixture {
 protected:
  // A frame ends its pages before it lets the DTM go; an open page would
  // otherwise keep the DTM, and the DTM the page.
  ~MonitorPage() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }
  MonitorPage() {
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    page_services_.install_folder = folder_.Path();
  }

  std::shared_ptr<ctlMonitor> Open(const std::string& id) {
    auto monitor = std::make_shared<ctlMonitor>(&page_services_);
    EXPECT_TRUE(monitor->IDtmActiveXControl_Init(id, "", dtm_));
    return monitor;
  }

  std::vector<runtime::RecordingMessageSink::Entry> Boxes() const {
    std::vector<runtime::RecordingMessageSink::Entry> boxes;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) boxes.push_back(entry);
    }
    return boxes;
  }

  TempFolder folder_;
  runtime::Services page_services_ = services_;
};

TEST_F(MonitorPage, OpensWithItsTitleLineAndLanguageBlock) {
  auto monitor = Open("11");
  Lines expected = {"VD4625FDT Version 1.0.32"};
  expected.insert(expected.end(), std::begin(kEnglishBlock), std::end(kEnglishBlock));
  EXPECT_EQ(Of(*monitor), expected);
  EXPECT_EQ(monitor->TopIndex(), 5u);
  EXPECT_EQ(dtm_->MonitorInvokeID(), "11");
  EXPECT_EQ(Context().GUIMan().GetGUIObject("11"), monitor);
  EXPECT_EQ(monitor->Headline()->Title(), "Communication monitor");
  EXPECT_EQ(monitor->cmdClear().Caption(), "&Clear");
  EXPECT_EQ(monitor->cmdSave().Caption(), "&Save");
  // No tool tips on this page.
  EXPECT_EQ(monitor->cmdSave().ToolTipText(), "");
}

TEST_F(MonitorPage, EachLanguageChangeAppendsALanguageBlock) {
  struct Case {
    const char* name;
    bool by_locale;
    Lines block;
  };
  const Case cases[] = {
      {"FromTheRuntime", false,
       {"", "---- Sprache (TAG1) -----------------------------------------", "Sprach-ID = 1031",
        "Primäre Sprach-ID = 7", "Sekundäre Sprach-ID = 1"}},
      {"FromTheAmbientLocale", true,
       {"", "---- Sprache (TAG1) -----------------------------------------", "Sprach-ID = 7",
        "Primäre Sprach-ID = 7", "Sekundäre Sprach-ID = 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto monitor = Open(std::string("m-") + c.name);
    monitor->Clear();
    if (c.by_locale) {
      Context().Dictionary().SelectLanguage(7);
      monitor->SetAmbientLocaleID(1031);
    } else {
      dtm_->IDtm_SetLanguage(1031);
    }
    EXPECT_EQ(Of(*monitor), c.block);
    EXPECT_EQ(monitor->GetText("Language"), "Sprache");
    EXPECT_EQ(monitor->Headline()->Title(), "Kommunikationsmonitor");
    EXPECT_TRUE(monitor->IDtmActiveXControl_PrepareToRelease());
    dtm_->IDtm_SetLanguage(1033);
  }
}

TEST_F(MonitorPage, WritesNoLinesOfItsOwnStartOrEnd) {
  auto first = Open("11");
  auto second = Open("11.b");
  EXPECT_EQ(Of(*first).size(), 6u);
  EXPECT_TRUE(second->IDtmActiveXControl_PrepareToRelease());
  EXPECT_EQ(Of(*first).size(), 6u);
}

TEST_F(MonitorPage, TheProtocolBelongsToTheMonitorOpenedLastUntilItCloses) {
  struct Case {
    const char* name;
    bool terminate;     // ends without being released
    bool newest_first;  // the monitor opened last ends first
    std::string after_first, after_second;
  };
  const Case cases[] = {
      {"ReleaseOlderFirst", false, false, "B", ""},
      {"ReleaseNewerFirst", false, true, "", ""},
      {"TerminateOlderFirst", true, false, "B", ""},
      {"TerminateNewerFirst", true, true, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto a = Open("A");
    auto b = Open("B");
    EXPECT_EQ(dtm_->MonitorInvokeID(), "B");
    auto end = [&](ctlMonitor& monitor) {
      if (c.terminate) {
        monitor.Terminate();
      } else {
        EXPECT_TRUE(monitor.IDtmActiveXControl_PrepareToRelease());
      }
      EXPECT_EQ(monitor.InvokeID(), "");
    };
    end(c.newest_first ? *b : *a);
    EXPECT_EQ(dtm_->MonitorInvokeID(), c.after_first);
    if (!c.after_first.empty()) {
      // The open monitor still hears the writers.
      ctlMonitor::Find(Context())->MonitorLine("still here");
      EXPECT_EQ(Of(*b).back(), "still here");
    }
    end(c.newest_first ? *a : *b);
    EXPECT_EQ(dtm_->MonitorInvokeID(), c.after_second);
    EXPECT_EQ(Context().GUIMan().GetGUIObject("A"), nullptr);
    EXPECT_EQ(Context().GUIMan().GetGUIObject("B"), nullptr);
  }
}

TEST_F(MonitorPage, ASecondInitIsRefusedAndRegistersNothing) {
  auto monitor = Open("11");
  EXPECT_FALSE(monitor->IDtmActiveXControl_Init("12", "", dtm_));
  EXPECT_EQ(Context().GUIMan().GetGUIObject("12"), nullptr);
  EXPECT_EQ(dtm_->MonitorInvokeID(), "11");
  EXPECT_EQ(Of(*monitor).size(), 6u);
}

TEST_F(MonitorPage, ClearEmptiesTheListAndAHeadingThenStartsWithAnEmptyLine) {
  auto monitor = Open("11");
  monitor->cmdClear().Raise("Click");
  EXPECT_TRUE(monitor->Lines().empty());
  monitor->MonitorHeading("X");
  EXPECT_EQ(Of(*monitor), (Lines{"", "---- X " + std::string(54, '-')}));
}

TEST_F(MonitorPage, ButtonsStayEnabledWhateverTheLockAndTheUserLevel) {
  auto monitor = Open("11");
  Context().User().SetUserLevel(0);
  monitor->IPrivateGUI_LockStateChanged(true);
  EXPECT_TRUE(monitor->cmdClear().Enabled());
  EXPECT_TRUE(monitor->cmdSave().Enabled());
}

// ---- Saving -----------------------------------------------------------------------------------

TEST_F(MonitorPage, SavingWithoutTheDialogWritesTheDefaultFileThenSaysSo) {
  auto monitor = Open("11");
  monitor->Clear();
  monitor->MonitorLine("Größe 1\r\n€ 2");
  monitor->MonitorHexDump("D", com::ByteArray{0x0A});
  monitor->cmdSave().Raise("Click");
  const std::filesystem::path file = folder_.Path() / "VD4625FDT.LOG";
  EXPECT_EQ(FileText(file), "Gr\xF6\xDF" "e 1\r\n\x80 2\r\nD 0A \r\n");
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "The protocol was saved to the file " + file.string() + ".");
  EXPECT_EQ(boxes[0].style, 64);

  // The same file again, replaced; an empty protocol gives an empty file.
  monitor->Clear();
  monitor->cmdSave().Raise("Click");
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(FileText(file), "");
  EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(MonitorPage, TextsReadAgainAfterADataChangeWriteNoLanguageBlock) {
  auto monitor = Open("11");
  monitor->Clear();
  // What a change of the actuator type does: the pages reread their texts.
  Context().GUIMan().NotifyTextsChanged();
  EXPECT_EQ(Of(*monitor), Lines{});
  EXPECT_EQ(monitor->cmdSave().Caption(), "&Save");
  // Setting the language, even the one in use, is recorded.
  dtm_->IDtm_SetLanguage(1033);
  EXPECT_EQ(Of(*monitor), (Lines{std::begin(kEnglishBlock), std::end(kEnglishBlock)}));
}

TEST_F(MonitorPage, AFailedWriteIsReportedAndNeverCalledSaved) {
  page_services_.install_folder = folder_.Path() / "missing";
  auto monitor = Open("11");
  monitor->cmdSave().Raise("Click");  // raises nothing
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].style, 16);
  EXPECT_EQ(boxes[0].text.rfind("The protocol could not be saved to the file " +
                                    (folder_.Path() / "missing" / "VD4625FDT.LOG").string() + ": ",
                                0),
            0u);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "missing"));
  EXPECT_TRUE(monitor->SaveFailed());
}

TEST_F(MonitorPage, WithTheDialogTheUserChoosesTheFileAndNoBoxFollows) {
  Context().SetPrivateDialogEnabled(true);
  auto monitor = Open("11");
  Answerer answerer;
  monitor->comdlgSave().SetAnswerer(&answerer);
  EXPECT_EQ(monitor->comdlgSave().Filter(), "Logdatei (*.LOG)|*.LOG");

  answerer.answer = (folder_.Path() / "mine.log").string();
  monitor->cmdSave().Raise("Click");
  EXPECT_EQ(answerer.flags_seen, 6);
  EXPECT_EQ(FileText(folder_.Path() / "mine.log").substr(0, 26), "VD4625FDT Version 1.0.32\r\n");
  EXPECT_TRUE(Boxes().empty());

  answerer.answer.reset();  // cancelled
  std::filesystem::remove(folder_.Path() / "mine.log");
  monitor->cmdSave().Raise("Click");
  EXPECT_EQ(answerer.asked, 2);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "mine.log"));
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "VD4625FDT.LOG"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MonitorPage, SavingOnAPageNeverOpenedDoesNothing) {
  auto monitor = std::make_shared<ctlMonitor>(&page_services_);
  monitor->MonitorLine("x");
  monitor->cmdSave().Raise("Click");
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "VD4625FDT.LOG"));
  EXPECT_TRUE(Boxes().empty());
}

// Records, as the page's parameter site is set up, whether the page was
// registered and the protocol named it already: writers started by the
// set-up must find it.
class OrderProbe : public ctlMonitor {
 public:
  using ctlMonitor::ctlMonitor;
  bool registered_at_site_init = false;
  std::string monitor_id_at_site_init = "unset";

 protected:
  void InitParamSite() override {
    registered_at_site_init = GetDtmContext()->GUIMan().GetGUIObject(InvokeID()) != nullptr;
    monitor_id_at_site_init = DTM()->GetProperty("MonitorInvokeID").ToString();
    ctlMonitor::InitParamSite();
  }
};

TEST_F(MonitorPage, TakesTheProtocolAfterRegisteringAndBeforeItsSiteIsSetUp) {
  auto probe = std::make_shared<OrderProbe>(&page_services_);
  ASSERT_TRUE(probe->IDtmActiveXControl_Init("11", "", dtm_));
  EXPECT_TRUE(probe->registered_at_site_init);
  EXPECT_EQ(probe->monitor_id_at_site_init, "11");
}

TEST(MonitorLayout, ExtraSpaceGoesToTheListAndHeadlineAndNothingShrinks) {
  struct Case {
    const char* name;
    std::int32_t width, height;
    std::int32_t list_width, list_height, button_top, headline_width;
  };
  // Designed: 9600 x 6600; list 9360 x 5040; buttons at 5940; headline 9600.
  const Case cases[] = {
      {"AsDesigned", 9600, 6600, 9360, 5040, 5940, 9600},
      {"Bigger", 12000, 8000, 11760, 6440, 7340, 12000},
      {"Smaller", 4000, 3000, 9360, 5040, 5940, 9600},
      {"WiderButLower", 11000, 5000, 10760, 5040, 5940, 11000},
      {"NarrowerButTaller", 5000, 7000, 9360, 5440, 6340, 9600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ctlMonitor monitor;
    monitor.Resize(12345, 9876);  // a size in between: the rule works from the design
    monitor.Resize(c.width, c.height);
    EXPECT_EQ(monitor.lstComm().Width(), c.list_width);
    EXPECT_EQ(monitor.lstComm().Height(), c.list_height);
    EXPECT_EQ(monitor.lstComm().Left(), 120);
    EXPECT_EQ(monitor.lstComm().Top(), 780);
    EXPECT_EQ(monitor.cmdSave().Top(), c.button_top);
    EXPECT_EQ(monitor.cmdClear().Top(), c.button_top);
    EXPECT_EQ(monitor.cmdClear().Left(), 120);
    EXPECT_EQ(monitor.cmdSave().Left(), 1740);
    ASSERT_NE(monitor.Headline(), nullptr);
    EXPECT_EQ(monitor.Headline()->Width(), c.headline_width);
    EXPECT_EQ(monitor.Headline()->ScaleWidth(), c.headline_width);
  }
}

}  // namespace
}  // namespace dtm::testing
