// The skeleton every page follows, on a probe page that talks to the
// device: registration, refusals, the protocol of its start and end, texts,
// lock and user level, the echo for the help panel, and a transfer with its
// activity display under the virtual clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/ui/framework/ctl_monitor.h"
#include "component/ui/framework/page_base.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/documents.h"
#include "platform/runtime/hart_frame.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/component/ui/notice_listener.h"

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr const char* kTags[] = {"UC000/ManuId", "UC000/DevId", "UC000/SerNum"};
constexpr forms::OleColor kGreen = 49152;
constexpr forms::OleColor kGrey = 12632256;

class ctlProbePage : public PageBase {
 public:
  explicit ctlProbePage(const runtime::Services& services)
      : PageBase(Design{"ctlProbePage", "HeadlineTitle_Monitor", true}, &services) {
    frame = Add(std::make_shared<forms::Frame>("frmInput"));
    read = Add(std::make_shared<forms::CommandButton>("cmdRead"), frame.get());
    write = Add(std::make_shared<forms::CommandButton>("cmdWrite"), frame.get());
    // Placed from the highest index: the marks go by index, not by place.
    for (std::int16_t i = 2; i >= 0; --i) {
      auto field = Add(std::make_shared<controls::ctlParameter>("ctlParameter", i), frame.get());
      field->SetParameterTag(kTags[i]);
    }
    EchoOn(read, "LostFocus");
    EchoOn(frame, "Click");
    read->On("Click", [this](forms::Args&) { StartTransfer(true); });
  }

  std::shared_ptr<forms::Frame> frame;
  std::shared_ptr<forms::CommandButton> read, write;
  int first_actions = 0;

  using PageBase::MarkParamsCommError;
  using PageBase::MarkParamsCommOk;

 protected:
  void FirstAction() override { ++first_actions; }
  void AddTransferElements(runtime::ParamProcess& process) override {
    for (const char* tag : kTags) {
      std::int32_t error = 0;
      process.AddElement(GetDtmContext()->Parameters().Item(tag), false, error);
    }
  }
};

std::string FunctionCallXml(std::int32_t id) {
  return "<FDT><FunctionCall functionId=\"" + std::to_string(id) + "\"/></FDT>";
}

class PageSkeleton : public DtmFixture {
 protected:
  // A frame ends its pages before it lets the DTM go; an open page would
  // otherwise keep the DTM, and the DTM the page.
  ~PageSkeleton() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }
  PageSkeleton() {
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    Context().User().SetUserLevel(2);
  }

  std::shared_ptr<ctlProbePage> NewPage() { return std::make_shared<ctlProbePage>(services_); }

  std::shared_ptr<ctlMonitor> OpenMonitor() {
    auto monitor = std::make_shared<ctlMonitor>(&services_);
    EXPECT_TRUE(monitor->IDtmActiveXControl_Init("mon", "", dtm_));
    monitor->Clear();
    return monitor;
  }

  std::int32_t Flags(const char* tag) {
    return Context().Parameters().Item(tag)->IPrivateDataElement_StatusFlags();
  }

  std::shared_ptr<controls::Navigation> Navigation() {
    return com::QueryInterface<controls::Navigation>(Context().DTMState()->GetProperty("Navigation"));
  }

  // The activity display as "phase:image shown:lamp 0:lamp 1", "-" for none.
  static std::string Display(const ctlProbePage& page) {
    std::string image = "-";
    for (std::size_t i = 0; i < 3; ++i) {
      if (page.ImgCom(i).Visible()) image = std::to_string(i);
    }
    auto lamp = [&](std::size_t i) {
      const forms::Control& shape = page.ShpState(i);
      if (!shape.Visible()) return std::string("-");
      return std::string(shape.FillColor() == kGreen ? "green" : shape.FillColor() == kGrey ? "grey" : "?");
    };
    return std::to_string(page.ComState()) + ":" + image + ":" + lamp(0) + ":" + lamp(1);
  }
};

// ---- Opening and closing ------------------------------------------------------------------------

TEST_F(PageSkeleton, AHostedPageRegistersAsSuch) {
  struct Case {
    const char* id;
    bool closed_with_the_frame;
  };
  const Case cases[] = {{"7", true}, {"12.2$", false}, {"$7", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    auto page = NewPage();
    ASSERT_TRUE(page->IDtmActiveXControl_Init(c.id, "", dtm_));
    EXPECT_EQ(Context().GUIMan().GetGUIObject(c.id), page);
    EXPECT_EQ(page->first_actions, 1);
    EXPECT_TRUE(Context().GUIMan().CloseAllGUIs());
    EXPECT_EQ(page->InvokeID().empty(), c.closed_with_the_frame);
    page->Terminate();
    EXPECT_EQ(Context().GUIMan().GetGUIObject(c.id), nullptr);
  }
}

TEST_F(PageSkeleton, InitIsRefusedWithoutIdOrDtmAndWhenDoneAlready) {
  struct Case {
    const char* name;
    const char* id;
    bool dtm;
  };
  const Case cases[] = {{"EmptyId", "", true}, {"NoDtm", "7", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto page = NewPage();
    page->ImgCom(1).SetVisible(true);
    page->ShpState(0).SetVisible(true);
    EXPECT_FALSE(page->IDtmActiveXControl_Init(c.id, "", c.dtm ? dtm_ : nullptr));
    EXPECT_FALSE(Context().GUIMan().HasGUIs());
    EXPECT_EQ(page->first_actions, 0);
    EXPECT_EQ(Display(*page), "0:-:-:-");
    EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  }

  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  EXPECT_FALSE(page->IDtmActiveXControl_Init("8", "", dtm_));
  EXPECT_EQ(Context().GUIMan().GetGUIObject("8"), nullptr);
  EXPECT_EQ(page->InvokeID(), "7");
  EXPECT_EQ(page->first_actions, 1);
}

TEST_F(PageSkeleton, StartAndEndGoIntoTheOpenMonitorsProtocol) {
  const std::string start = "---- Start function (TAG1) " + std::string(34, '-');
  const std::string exit = "---- Exit function (TAG1) " + std::string(35, '-');
  struct Case {
    const char* name;
    std::string function_call;
    Lines at_start;
  };
  const Case cases[] = {
      {"Parsed", FunctionCallXml(3), {"", start, "Invoke-ID = 7", "Function-ID = 3"}},
      {"NotParsed", "<nonsense", {"", start, "Invoke-ID = 7"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto monitor = OpenMonitor();
    auto page = NewPage();
    ASSERT_TRUE(page->IDtmActiveXControl_Init("7", c.function_call, dtm_));
    EXPECT_EQ(Lines(monitor->Lines().begin(), monitor->Lines().end()), c.at_start);
    monitor->Clear();
    ASSERT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
    EXPECT_EQ(Lines(monitor->Lines().begin(), monitor->Lines().end()), (Lines{"", exit, "Invoke-ID = 7"}));
    ASSERT_TRUE(monitor->IDtmActiveXControl_PrepareToRelease());
  }
}

TEST_F(PageSkeleton, WithoutAnOpenMonitorNothingIsWritten) {
  struct Case {
    const char* name;
    std::string monitor_id;  // what the DTM names as its monitor
  };
  const Case cases[] = {{"Closed", ""}, {"Stale", "gone"}, {"NotAMonitor", "other"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto monitor = OpenMonitor();
    auto other = NewPage();
    ASSERT_TRUE(other->IDtmActiveXControl_Init("other", "", dtm_));
    dtm_->SetMonitorInvokeID(c.monitor_id);
    monitor->Clear();
    auto page = NewPage();
    ASSERT_TRUE(page->IDtmActiveXControl_Init("7", FunctionCallXml(3), dtm_));
    ASSERT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
    EXPECT_TRUE(monitor->Lines().empty());
    ASSERT_TRUE(other->IDtmActiveXControl_PrepareToRelease());
    ASSERT_TRUE(monitor->IDtmActiveXControl_PrepareToRelease());
  }
}

TEST_F(PageSkeleton, ReleasingHidesTheWindowAndUnregisters) {
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  EXPECT_TRUE(page->Visible());
  EXPECT_TRUE(page->IPrivateGUI_CloseGUI());
  EXPECT_FALSE(page->Visible());
  EXPECT_EQ(page->InvokeID(), "");
  EXPECT_EQ(Context().GUIMan().GetGUIObject("7"), nullptr);
  // Released: every member that needs the DTM does nothing.
  page->IPrivateGUI_SetLanguage(1031);
  page->frame->Raise("Click");
  EXPECT_TRUE(page->IPrivateGUI_CloseGUI());
}

// ---- Texts, lock and user level ------------------------------------------------------------------

TEST_F(PageSkeleton, TheHeadlineTitleIsMarkedWhileTheDataSetIsChanged) {
  struct Case {
    std::int32_t state;
    const char* title;
  };
  const Case cases[] = {{0, "Communication monitor"},
                        {1, "Communication monitor (*)"},
                        {2, "Communication monitor"}};
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    Context().Parameters().SetDataChangedState(c.state);
    page->IPrivateGUI_ParameterChanged(Context().Parameters().Item(kTags[0]));
    EXPECT_EQ(page->Headline()->Title(), c.title);
    EXPECT_EQ(page->TitleText(), "Communication monitor");
  }
}

TEST_F(PageSkeleton, TheLanguageComesFromTheDictionaryAndTheAmbientLocaleOnlyAfterInit) {
  auto page = NewPage();
  page->SetAmbientLocaleID(1036);  // before Init: nothing
  EXPECT_EQ(page->Headline()->Title(), "");
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  EXPECT_EQ(page->Headline()->Title(), "Communication monitor");
  EXPECT_EQ(page->Headline()->CompanyURL(), "");
  EXPECT_EQ(page->Headline()->LangID(), 9);

  Context().Dictionary().SelectLanguage(7);
  Context().SetPrivateDialogEnabled(true);
  page->Raise("AmbientChanged", forms::Args{com::Variant("BackColor")});
  EXPECT_EQ(page->Headline()->Title(), "Communication monitor");
  page->SetAmbientLocaleID(1031);
  EXPECT_EQ(page->Headline()->Title(), "Kommunikationsmonitor");
  EXPECT_EQ(page->Headline()->CompanyURL(), "http://www.veldar.example");
  // The headline takes the runtime's language, not the locale's.
  EXPECT_EQ(page->Headline()->LangID(), 9);
}

TEST_F(PageSkeleton, ButtonsFollowTheLockAndNeedAUserLevel) {
  struct Case {
    std::int32_t level;
    bool locked;
    bool enabled;
  };
  const Case cases[] = {{2, false, true}, {2, true, false}, {0, false, false}, {0, true, false}};
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.level) + (c.locked ? " locked" : " unlocked"));
    Context().User().SetUserLevel(c.level);
    page->IPrivateGUI_LockStateChanged(c.locked);
    EXPECT_EQ(page->read->Enabled(), c.enabled);
    EXPECT_EQ(page->write->Enabled(), c.enabled);
  }
}

TEST_F(PageSkeleton, ALockedRuntimeLocksThePageAtInit) {
  Context().GUIMan().SetLockState(true);
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  EXPECT_FALSE(page->read->Enabled());
}

// ---- The help panel's echo ---------------------------------------------------------------------

TEST_F(PageSkeleton, LeavingAControlShowsItInTheHelpPanelOnceInitialised) {
  auto page = NewPage();
  auto navigation = Navigation();
  ASSERT_NE(navigation, nullptr);
  navigation->ClearCalls();
  page->frame->Raise("Click");
  EXPECT_TRUE(navigation->Calls().empty());

  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  navigation->ClearCalls();
  page->frame->Raise("Click");
  page->read->Raise("LostFocus");
  EXPECT_EQ(navigation->Calls(), (std::vector<std::string>{"ShowControl(,Nothing,frmInput,False)",
                                                           "ShowControl(,Nothing,cmdRead,False)"}));
}

// ---- Marks and transfers -----------------------------------------------------------------------

TEST_F(PageSkeleton, MarksGoThroughTheFieldsByAscendingIndex) {
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  auto listener = std::make_shared<NoticeListener>();
  Context().GUIMan().RegisterGUI("ear", listener, true);

  // Only the fields' own notices count; rules may add others.
  auto ours = [&] {
    std::vector<std::string> heard;
    for (const std::string& name : listener->heard) {
      if (std::find(std::begin(kTags), std::end(kTags), name) != std::end(kTags)) heard.push_back(name);
    }
    return heard;
  };
  page->MarkParamsCommError();
  EXPECT_EQ(ours(), (std::vector<std::string>(std::begin(kTags), std::end(kTags))));
  for (const char* tag : kTags) EXPECT_EQ(Flags(tag) & 0xFF0000, 0xF0000) << tag;

  listener->heard.clear();
  page->MarkParamsCommOk();
  EXPECT_EQ(ours(), (std::vector<std::string>(std::begin(kTags), std::end(kTags))));
  for (const char* tag : kTags) EXPECT_EQ(Flags(tag), 0) << tag;
}

TEST_F(PageSkeleton, ATransferThatCannotStartSaysSoAndMarksTheFields) {
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  messages_.entries.clear();
  page->read->Raise("Click");  // no communication was given
  ASSERT_EQ(messages_.entries.size(), 1u);
  EXPECT_EQ(messages_.entries[0].kind, runtime::RecordingMessageSink::Entry::kBox);
  EXPECT_EQ(messages_.entries[0].text, "The connection to the device could not be established.");
  EXPECT_EQ(messages_.entries[0].style, 0);
  for (const char* tag : kTags) EXPECT_EQ(Flags(tag) & 0xFF0000, 0xF0000) << tag;
  EXPECT_TRUE(page->read->Enabled());
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_EQ(Display(*page), "0:-:-:-");
}

TEST_F(PageSkeleton, AnUnansweredTransferShowsActivityThenMarksItsFields) {
  OpenConnection();
  // The device stays silent: every transaction times out.
  channel_->SetTransactionHandler([](const std::string&) { return std::optional<std::string>(); });
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  page->read->Raise("Click");
  EXPECT_FALSE(page->read->Enabled());
  EXPECT_FALSE(page->write->Enabled());
  EXPECT_EQ(page->ActivityTimer()->Interval(), 400);

  const std::string process = page->Process()->ProcessID();
  page->read->Raise("Click");  // busy: dropped
  EXPECT_EQ(page->Process()->ProcessID(), process);

  const char* phases[] = {"1:0:green:grey", "2:1:grey:green", "0:2:green:grey", "1:0:green:grey"};
  for (const char* phase : phases) {
    loop_.RunFor(400ms);
    EXPECT_EQ(Display(*page), phase);
  }
  // Another page's or the DTM's process ends: not this page's business.
  page->IPrivateProcess_OnProcessFinished("someone-else", std::nullopt);
  EXPECT_FALSE(page->read->Enabled());

  loop_.RunFor(30s);  // each transaction times out
  for (const char* tag : kTags) EXPECT_EQ(Flags(tag) & 0xFF0000, 0xF0000) << tag;
  EXPECT_TRUE(page->read->Enabled());
  EXPECT_TRUE(page->write->Enabled());
  EXPECT_FALSE(page->Process()->IsBusy());
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_EQ(page->ActivityTimer()->Interval(), 0);
  EXPECT_EQ(Display(*page), "0:-:-:-");
}

TEST_F(PageSkeleton, ReleasingStopsTheActivityDisplay) {
  OpenConnection();
  // The device stays silent: every transaction times out.
  channel_->SetTransactionHandler([](const std::string&) { return std::optional<std::string>(); });
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  page->read->Raise("Click");
  loop_.RunFor(400ms);
  ASSERT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  EXPECT_FALSE(page->ActivityTimer()->Running());
  loop_.RunFor(2s);
  EXPECT_EQ(Display(*page), "0:-:-:-");
}


TEST_F(PageSkeleton, ShowingAndFocusAskTheNavigationAndTellTheRuntime) {
  auto page = NewPage();
  auto navigation = Navigation();
  navigation->ClearCalls();
  page->Raise("EnterFocus");
  EXPECT_TRUE(navigation->Calls().empty());
  EXPECT_EQ(Context().GUIMan().FocusedGUI(), "");

  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  navigation->SetTarget("ctlProbePage.cmdRead");
  navigation->ClearCalls();
  page->Show();
  EXPECT_EQ(navigation->Calls(),
            (std::vector<std::string>{"IsPathValid(ctlProbePage,)", "ShowControl(,controls,Nothing,True)"}));
  EXPECT_EQ(navigation->SelectedControl(), page->read);

  navigation->ClearCalls();
  navigation->SetTarget("ctlOther.cmdRead");
  page->Raise("EnterFocus");
  EXPECT_EQ(navigation->Calls(), (std::vector<std::string>{"IsPathValid(ctlProbePage,)"}));
  EXPECT_EQ(Context().GUIMan().FocusedGUI(), "7");
  page->Raise("ExitFocus");
  EXPECT_EQ(Context().GUIMan().FocusedGUI(), "");
}

TEST_F(PageSkeleton, TheNavigationSeesThePageByItsName) {
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  auto navigation = Navigation();
  navigation->ClearCalls();
  page->IPrivateNavigation_InitControl(*navigation, com::Variant());
  page->IPrivateNavigation_FindParameters(*navigation, "Manu", "ignored");
  page->IPrivateNavigation_GetDictKeys(*navigation, "ignored");
  EXPECT_EQ(navigation->Calls(),
            (std::vector<std::string>{"InitControl(controls)", "FindParameters(ctlProbePage,Manu,controls)",
                                      "GetDictKeys(ctlProbePage,ctlProbePage_,controls)"}));
  EXPECT_EQ(navigation->InitControls().size(), page->Controls().size());
}


// After an element came back write-protected, the later unanswered ones
// carry that class and its text instead of a plain communication error.
struct ResultCase {
  const char* name;
  bool protected_first;
  std::int32_t later_class;  // of the second and third element
  bool later_text;           // they carry the first one's text
};

class ResultPattern : public PageSkeleton, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(ResultPattern, AWriteProtectedResultColoursTheLaterFailures) {
  const ResultCase& c = GetParam();
  OpenConnection();
  int asked = 0;
  channel_->SetTransactionHandler([&](const std::string& document) -> std::optional<std::string> {
    runtime::HartRequest request;
    EXPECT_TRUE(runtime::ParseTransactionRequestXml(document, request));
    if (asked++ > 0 || !c.protected_first) return std::nullopt;
    runtime::HartResponse response;
    response.command = request.command;
    response.response_code = 7;
    return runtime::BuildTransactionResponseXml(response);
  });
  auto page = NewPage();
  ASSERT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
  for (const char* tag : kTags) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(tag));
    element->IPrivateDataElement_StatusFlags(0);
    element->CmdErr.clear();
  }
  page->read->Raise("Click");
  loop_.RunFor(30s);
  auto first = std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(kTags[0]));
  for (const char* tag : {kTags[1], kTags[2]}) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(tag));
    EXPECT_EQ(Flags(tag) & 0xF00000, c.later_class) << tag;
    EXPECT_EQ(Flags(tag) & 0xF0000, 0xF0000) << tag;
    if (c.later_text) {
      EXPECT_FALSE(first->CmdErr.empty());
      EXPECT_EQ(element->CmdErr, first->CmdErr) << tag;
    } else {
      EXPECT_EQ(element->CmdErr, "") << tag;
    }
  }
  EXPECT_TRUE(page->read->Enabled());
  EXPECT_EQ(Display(*page), "0:-:-:-");
}

const ResultCase kResultCases[] = {{"WriteProtectedFirst", true, 0x300000, true},
                                   {"SilentFirst", false, 0x000000, false}};
INSTANTIATE_TEST_SUITE_P(Table, ResultPattern, ::testing::ValuesIn(kResultCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::testing
