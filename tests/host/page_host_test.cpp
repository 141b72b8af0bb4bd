// The frame's hosting of a page: how a page is found (the class table
// first, a stand-in only in its place), the order of its life-cycle events
// and interface calls, what a user's actions raise, and that a page's
// failures and refusals are told, not passed on.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/frame/page_host.h"
#include "platform/com/guid.h"
#include "platform/forms/controls.h"
#include "platform/win/class_registry.h"
#include "platform/win/registry.h"
#include "tests/testing/raised.h"

namespace dtm::frame {
namespace {

using Log = std::vector<std::string>;

std::string ArgsText(const forms::Args& args) {
  std::string text;
  for (const com::Variant& arg : args) text += " " + arg.ToString();
  return text;
}

// A page that writes down every event and call it gets.
class FakePage final : public forms::UserControl, public IDtmActiveXControl {
 public:
  explicit FakePage(Log& log) : UserControl("ctlFake"), log_(log) {
    for (const char* event : {"Initialize", "InitProperties", "AmbientChanged", "Show",
                              "EnterFocus", "ExitFocus", "Terminate"}) {
      On(event, [this, event](forms::Args& args) { log_.push_back(event + ArgsText(args)); });
    }
  }
  // Places the page's controls; called once the page is shared.
  void Build() {
    auto first = Add(std::make_shared<forms::Control>(forms::ControlKind::kCommandButton, "cmdA"));
    auto off = Add(std::make_shared<forms::Control>(forms::ControlKind::kCommandButton, "cmdOff"));
    off->SetEnabled(false);
    auto text = Add(std::make_shared<forms::Control>(forms::ControlKind::kTextBox, "txtB"));
    auto field = Add(
        std::make_shared<forms::Control>(forms::ControlKind::kParameter, "ctlParameter", 2));
    auto tabs = Add(std::make_shared<forms::TabStrip>(
        "tabMain", std::vector<forms::TabStrip::Tab>{{"a", "One"}, {"b", "Two"}}));
    Add(std::make_shared<forms::TabbedDialog>("sstMain", std::int16_t{2}));
    for (const auto& control : Controls()) {
      forms::Control* c = control.get();
      for (const char* event :
           {"Click", "GotFocus", "LostFocus", "KeyDown", "KeyPress", "KeyUp", "Change", "StartEdit",
            "EndEdit"}) {
        c->On(event, [this, c, event](forms::Args& args) {
          std::string name = c->Name();
          if (c->InArray()) name += "(" + std::to_string(c->Index()) + ")";
          std::string line = name + " " + event + ArgsText(args);
          if (std::string(event) == "Change") {
            // A field shows its value, any other control its text.
            const bool is_field = c->Kind() == forms::ControlKind::kParameter;
            line += " \"" + (is_field ? c->Value().ToString() : c->Text()) + "\"";
          }
          if (c == tabs_ && std::string(event) == "Click") {
            line += " selected " + std::to_string(tabs_->SelectedIndex());
          }
          log_.push_back(line);
        });
      }
    }
    tabs_ = tabs.get();
    (void)first;
    (void)text;
    (void)field;
  }

  bool IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                               const com::ObjectPtr& dtm) override {
    log_.push_back("Init " + invoke_id + " " + function_call + (dtm ? " dtm" : " no dtm"));
    if (init_error) throw com::ComError(13, "Type mismatch", "ctlFake");
    return init_answer;
  }
  bool IDtmActiveXControl_PrepareToRelease() override {
    log_.push_back("PrepareToRelease");
    return release_answer;
  }

  bool init_answer = true;
  bool init_error = false;
  bool release_answer = true;

 private:
  Log& log_;
  forms::TabStrip* tabs_ = nullptr;
};

class Factory final : public com::ClassFactory {
 public:
  explicit Factory(std::function<com::ObjectPtr()> make) : make_(std::move(make)) {}
  com::ObjectPtr CreateInstance() override { return make_(); }

 private:
  std::function<com::ObjectPtr()> make_;
};

constexpr const char* kIdentClsid = "{4625A101-7C31-4B0E-9D21-3A5F60C14F01}";

// The ProgIDs of functions 1 and 11 are registered; the class table serves
// function 1's class when `serve_ident` is set.
class PageHosting : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.SetValue(win::kHkeyClassesRoot, "VD4625FDT.ctlIdent\\CLSID",
                       win::StringValue("", kIdentClsid));
    registry_.SetValue(win::kHkeyClassesRoot, "VD4625FDT.ctlMonitor\\CLSID",
                       win::StringValue("", "{4625A10B-7C31-4B0E-9D21-3A5F60C14F0B}"));
    com::ClassRegistry::Instance().AddServer(
        "page-hosting-test", [this](const com::Guid& clsid) -> std::shared_ptr<com::ClassFactory> {
          if (!serve_ident_ || clsid != *com::Guid::Parse(kIdentClsid)) return nullptr;
          return std::make_shared<Factory>([this] { return NewPage("served"); });
        });
  }
  void TearDown() override { com::ClassRegistry::Instance().RemoveServer("page-hosting-test"); }

  com::ObjectPtr NewPage(const std::string& origin) {
    auto page = std::make_shared<FakePage>(log_);
    page->Build();
    page->init_answer = init_answer_;
    page->init_error = init_error_;
    page_ = page.get();
    origin_ = origin;
    return page;
  }

  PageHost::Opened OpenIdent() {
    return host_.Open(1, "<FunctionCall/>", dtm_, 1031);
  }

  // The log outlives the host: a page still open at the end logs its Terminate.
  Log log_;
  win::MemoryRegistry registry_;
  PageHost host_{registry_};
  com::ObjectPtr dtm_ = std::make_shared<com::Object>();
  bool serve_ident_ = true;
  bool init_answer_ = true;
  bool init_error_ = false;
  FakePage* page_ = nullptr;
  std::string origin_;
};

TEST_F(PageHosting, OpensAPageInTheOrderAContainerDoes) {
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  EXPECT_EQ(log_, (Log{"Initialize", "InitProperties", "AmbientChanged LocaleID",
                       "Init page-1 <FunctionCall/> dtm", "Show", "EnterFocus",
                       "cmdA GotFocus"}));
  EXPECT_EQ(host_.ClassName(), "ctlIdent");
  EXPECT_EQ(host_.ProgId(), "VD4625FDT.ctlIdent");
  EXPECT_EQ(host_.InvokeId(), "page-1");
  EXPECT_EQ(host_.Form().AmbientLocaleID(), 1031);
}

TEST_F(PageHosting, EachOpeningGetsAnInvokeIdOfItsOwn) {
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  ASSERT_TRUE(host_.Release());
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  EXPECT_EQ(host_.InvokeId(), "page-2");
}

TEST_F(PageHosting, ASecondPageWhileOneIsOpenIsRefused) {
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  EXPECT_EQ(testing::ErrorOf([&] { OpenIdent(); }), 5);
}

TEST_F(PageHosting, TheClassTableComesBeforeAStandIn) {
  host_.AddStandIn("ctlIdent", [this] { return NewPage("stand-in"); });
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  EXPECT_EQ(origin_, "served");
}

TEST_F(PageHosting, AStandInTakesThePlaceOfAClassNobodyServes) {
  serve_ident_ = false;
  host_.AddStandIn("ctlIdent", [this] { return NewPage("stand-in"); });
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  EXPECT_EQ(origin_, "stand-in");
}

struct NotOpenedCase {
  const char* name;
  std::int32_t function_id;
  bool served;
  PageHost::Opened expected;
};

class PageNotOpened : public PageHosting, public ::testing::WithParamInterface<NotOpenedCase> {};

TEST_P(PageNotOpened, SaysWhyAndRaisesNoEvent) {
  serve_ident_ = GetParam().served;
  EXPECT_EQ(host_.Open(GetParam().function_id, "<FunctionCall/>", dtm_, 1033),
            GetParam().expected);
  EXPECT_FALSE(host_.IsOpen());
  EXPECT_EQ(log_, Log{});
}

INSTANTIATE_TEST_SUITE_P(
    Table, PageNotOpened,
    ::testing::Values(
        NotOpenedCase{"NumberZero", 0, true, PageHost::Opened::kUnknownFunction},
        NotOpenedCase{"NumberFifteen", 15, true, PageHost::Opened::kUnknownFunction},
        NotOpenedCase{"RegisteredButNotServed", 1, false, PageHost::Opened::kNotBuilt},
        NotOpenedCase{"ProgIdNotRegistered", 2, true, PageHost::Opened::kNotBuilt},
        NotOpenedCase{"MonitorWithoutStandIn", 11, true, PageHost::Opened::kNotBuilt}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(PageHosting, APageThatRefusesInitIsTerminatedAndDropped) {
  init_answer_ = false;
  EXPECT_EQ(OpenIdent(), PageHost::Opened::kRefused);
  EXPECT_FALSE(host_.IsOpen());
  EXPECT_EQ(log_.back(), "Terminate");
  EXPECT_EQ(host_.Failures(), std::vector<std::string>{});
}

TEST_F(PageHosting, AnErrorOfInitIsToldAndRefusesThePage) {
  init_error_ = true;
  EXPECT_EQ(OpenIdent(), PageHost::Opened::kRefused);
  EXPECT_EQ(host_.Failures(),
            std::vector<std::string>{"IDtmActiveXControl_Init: 13 Type mismatch"});
  EXPECT_EQ(log_.back(), "Terminate");
}

TEST_F(PageHosting, ReleaseLetsTheFocusGoThenAsksThenTerminates) {
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  log_.clear();
  EXPECT_TRUE(host_.Release());
  EXPECT_EQ(log_, (Log{"cmdA LostFocus", "ExitFocus", "PrepareToRelease", "Terminate"}));
  EXPECT_FALSE(host_.IsOpen());
}

TEST_F(PageHosting, APageThatRefusesReleaseStaysOpenUntilItAgrees) {
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  page_->release_answer = false;
  log_.clear();
  EXPECT_FALSE(host_.Release());
  EXPECT_TRUE(host_.IsOpen());
  EXPECT_EQ(log_, (Log{"cmdA LostFocus", "ExitFocus", "PrepareToRelease"}));
  page_->release_answer = true;
  log_.clear();
  EXPECT_TRUE(host_.Release());
  EXPECT_EQ(log_, (Log{"PrepareToRelease", "Terminate"}));
}

TEST_F(PageHosting, ALocaleChangeReachesThePage) {
  ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
  log_.clear();
  host_.SetLocale(1033);
  EXPECT_EQ(log_, Log{"AmbientChanged LocaleID"});
  EXPECT_EQ(host_.Form().AmbientLocaleID(), 1033);
}

// What a user does raises what the forms package raises for it.
class UserOnPage : public PageHosting {
 protected:
  void SetUp() override {
    PageHosting::SetUp();
    ASSERT_EQ(OpenIdent(), PageHost::Opened::kOpened);
    log_.clear();
  }
  forms::Control& Control(const std::string& name) {
    forms::Control* control = host_.Find(name);
    if (!control) throw std::runtime_error("no " + name);
    return *control;
  }
};

TEST_F(UserOnPage, ClickMovesTheFocusFirst) {
  host_.Click(Control("txtB"));
  EXPECT_EQ(log_, (Log{"cmdA LostFocus", "txtB GotFocus", "txtB Click"}));
}

TEST_F(UserOnPage, KeysWithACharacterArePressedAsWell) {
  host_.PressKey(Control("cmdA"), 13, std::int16_t{13});
  host_.PressKey(Control("cmdA"), 38, std::nullopt);
  EXPECT_EQ(log_, (Log{"cmdA KeyDown 13 0", "cmdA KeyPress 13", "cmdA KeyUp 13 0",
                       "cmdA KeyDown 38 0", "cmdA KeyUp 38 0"}));
}

TEST_F(UserOnPage, TypingSetsTheTextThenRaisesChange) {
  host_.Type(Control("txtB"), "abc");
  EXPECT_EQ(log_, (Log{"cmdA LostFocus", "txtB GotFocus", "txtB Change \"abc\""}));
}

TEST_F(UserOnPage, TypingIntoAFieldIsAnEditEndedConfirmed) {
  host_.Type(Control("ctlParameter(2)"), "1.2");
  EXPECT_EQ(log_, (Log{"cmdA LostFocus", "ctlParameter(2) GotFocus 2", "ctlParameter(2) StartEdit 2",
                       "ctlParameter(2) Change 2 \"1.2\"", "ctlParameter(2) EndEdit 2 True"}));
}

TEST_F(UserOnPage, SelectingATabClicksTheStripWithTheTabSelected) {
  host_.SelectTab(Control("tabMain"), 2);
  EXPECT_EQ(log_, (Log{"cmdA LostFocus", "tabMain GotFocus", "tabMain Click selected 2"}));
  log_.clear();
  host_.SelectTab(Control("tabMain"), 2);  // the tab shown already
  EXPECT_EQ(log_, Log{});
  EXPECT_EQ(testing::ErrorOf([&] { host_.SelectTab(Control("tabMain"), 3); }), 35600);
  EXPECT_EQ(testing::ErrorOf([&] { host_.SelectTab(Control("cmdA"), 1); }), 5);
}

TEST_F(UserOnPage, ATabbedDialogCountsTheUsersTabFromOne) {
  host_.SelectTab(Control("sstMain"), 2);
  EXPECT_EQ(log_, (Log{"cmdA LostFocus", "sstMain GotFocus", "sstMain Click 0"}));
  EXPECT_EQ(dynamic_cast<forms::TabbedDialog&>(Control("sstMain")).CurrentTab(), 1);
  EXPECT_EQ(testing::ErrorOf([&] { host_.SelectTab(Control("sstMain"), 3); }), 380);
  EXPECT_EQ(testing::ErrorOf([&] { host_.SelectTab(Control("sstMain"), 0); }), 380);
}

TEST_F(UserOnPage, ADisabledControlCannotBeUsed) {
  EXPECT_EQ(testing::ErrorOf([&] { host_.Click(Control("cmdOff")); }), 5);
  EXPECT_EQ(testing::ErrorOf([&] { host_.Type(Control("cmdOff"), "x"); }), 5);
  EXPECT_EQ(log_, Log{});
}

TEST_F(UserOnPage, AFailingHandlerIsToldAndTheOthersStillRun) {
  Control("cmdA").On("Click", [](forms::Args&) {
    throw com::ComError(75, "Path/File access error", "ctlFake");
  });
  Control("cmdA").On("Click", [this](forms::Args&) { log_.push_back("second handler"); });
  host_.Click(Control("cmdA"));
  EXPECT_EQ(host_.Failures(),
            std::vector<std::string>{"cmdA Click: 75 Path/File access error"});
  EXPECT_EQ(log_, (Log{"cmdA Click", "second handler"}));
}

struct FindCase {
  const char* name;
  const char* given;
  bool found;
};

class ControlByName : public UserOnPage, public ::testing::WithParamInterface<FindCase> {};

TEST_P(ControlByName, NamesOneControlOrNone) {
  EXPECT_EQ(host_.Find(GetParam().given) != nullptr, GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Table, ControlByName,
                         ::testing::Values(FindCase{"Plain", "cmdA", true},
                                           FindCase{"OfAnArray", "ctlParameter(2)", true},
                                           FindCase{"OtherIndex", "ctlParameter(3)", false},
                                           FindCase{"ArrayWithoutIndex", "ctlParameter", false},
                                           FindCase{"IndexNoNumber", "ctlParameter(x)", false},
                                           FindCase{"EmptyIndex", "ctlParameter()", false},
                                           FindCase{"Unknown", "cmdNone", false}),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::frame
