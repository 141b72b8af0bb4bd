// The monitor page as the frame hosts it: it becomes the DTM's monitor at
// Init and gives that up at its release or end only while it holds it, it
// is initialised once, and its protocol opens with the title line and a
// language block that every language change repeats.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "host/cli/page_monitor.h"
#include "host/cli/session.h"
#include "platform/runtime/context.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

using Lines_ = std::vector<std::string>;

const Lines_ kOpening = {
    "VD4625FDT Version 1.0.32",
    "",
    "---- Language (VD4625) --------------------------------------",
    "Language-ID = 9",
    "Primary language ID = 9",
    "Secondary language ID = 0",
};

class HostedMonitor : public ::testing::Test {
 protected:
  void SetUp() override {
    host::SessionSetup setup;
    setup.err = &err_;
    setup.clock = &clock_;
    session_ = std::make_unique<host::Session>(setup);
    ASSERT_TRUE(session_->Start());
  }
  void TearDown() override {
    pages_.clear();
    session_.reset();
  }

  std::shared_ptr<host::HostedMonitorPage> NewPage() {
    return pages_.emplace_back(host::HostedMonitorPage::Create());
  }
  bool Init(host::HostedMonitorPage& page, const std::string& id) {
    return page.IDtmActiveXControl_Init(id, "", Dtm());
  }
  com::ObjectPtr Dtm() { return session_->Dtm().shared_from_this(); }
  std::string MonitorId() { return session_->Dtm().MonitorInvokeID(); }
  bool Registered(const std::string& id) {
    return session_->Context().GUIMan().GetGUIObject(id) != nullptr;
  }
  static Lines_ Protocol(const ctlMonitor& page) {
    return Lines_(page.Lines().begin(), page.Lines().end());
  }

  TempFolder folder_;
  ScopedEnvironment environment_{{{"VD4625_REGISTRY", (folder_.Path() / "registry.reg").string()},
                                  {"VD4625_INSTALL", std::nullopt}}};
  loop::VirtualClock clock_;
  std::ostringstream err_;
  std::unique_ptr<host::Session> session_;
  std::vector<std::shared_ptr<host::HostedMonitorPage>> pages_;
};

TEST_F(HostedMonitor, InitRegistersThePageAsTheDtmsMonitor) {
  auto page = NewPage();
  ASSERT_TRUE(Init(*page, "m1"));
  EXPECT_EQ(MonitorId(), "m1");
  EXPECT_TRUE(Registered("m1"));
  EXPECT_EQ(ctlMonitor::Find(session_->Context()).get(), static_cast<ctlMonitor*>(page.get()));
  EXPECT_EQ(Protocol(*page), kOpening);
}

TEST_F(HostedMonitor, ASecondInitIsRefusedAndRegistersNothing) {
  auto page = NewPage();
  ASSERT_TRUE(Init(*page, "m1"));
  EXPECT_FALSE(Init(*page, "m2"));
  EXPECT_EQ(MonitorId(), "m1");
  EXPECT_FALSE(Registered("m2"));
  EXPECT_EQ(Protocol(*page), kOpening);
}

TEST_F(HostedMonitor, InitWithoutIdOrDtmIsRefused) {
  auto page = NewPage();
  EXPECT_FALSE(page->IDtmActiveXControl_Init("", "", Dtm()));
  EXPECT_FALSE(page->IDtmActiveXControl_Init("m1", "", nullptr));
  EXPECT_EQ(MonitorId(), "");
  EXPECT_EQ(Protocol(*page), Lines_{});
  // Refused calls leave it free to be initialised.
  EXPECT_TRUE(Init(*page, "m1"));
}

TEST_F(HostedMonitor, ReleasingAnEarlierMonitorLeavesTheLaterOneItsProtocol) {
  auto first = NewPage();
  auto second = NewPage();
  ASSERT_TRUE(Init(*first, "m1"));
  ASSERT_TRUE(Init(*second, "m2"));
  EXPECT_EQ(MonitorId(), "m2");
  EXPECT_TRUE(first->IDtmActiveXControl_PrepareToRelease());
  EXPECT_EQ(MonitorId(), "m2");
  EXPECT_FALSE(Registered("m1"));
  EXPECT_TRUE(second->IDtmActiveXControl_PrepareToRelease());
  EXPECT_EQ(MonitorId(), "");
  EXPECT_FALSE(Registered("m2"));
}

TEST_F(HostedMonitor, EndingWithoutReleaseLetsGoOfTheOwnIdOnly) {
  auto first = NewPage();
  auto second = NewPage();
  ASSERT_TRUE(Init(*first, "m1"));
  ASSERT_TRUE(Init(*second, "m2"));
  first->Form().Terminate();
  EXPECT_EQ(MonitorId(), "m2");
  EXPECT_FALSE(Registered("m1"));
  second->Form().Terminate();
  EXPECT_EQ(MonitorId(), "");
  EXPECT_FALSE(Registered("m2"));
}

TEST_F(HostedMonitor, ReleaseOfAPageNeverInitialisedAgrees) {
  auto page = NewPage();
  EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
}

TEST_F(HostedMonitor, TheDtmsLanguageChangeAddsABlockInTheNewLanguage) {
  auto page = NewPage();
  ASSERT_TRUE(Init(*page, "m1"));
  ASSERT_TRUE(session_->Dtm().IDtm_SetLanguage(7));
  Lines_ expected = kOpening;
  expected.insert(expected.end(), {"", "---- Sprache (VD4625) ---------------------------------------",
                                   "Sprach-ID = 7", "Primäre Sprach-ID = 7",
                                   "Sekundäre Sprach-ID = 0"});
  EXPECT_EQ(Protocol(*page), expected);
}

TEST_F(HostedMonitor, ALocaleChangeAddsABlockOfItsPrimaryLanguageOnceInitialised) {
  auto page = NewPage();
  page->Form().SetAmbientLocaleID(0x0807);
  EXPECT_EQ(Protocol(*page), Lines_{});
  ASSERT_TRUE(Init(*page, "m1"));
  page->Form().SetAmbientLocaleID(0x0407);
  Lines_ expected = kOpening;
  expected.insert(expected.end(), {"", "---- Language (VD4625) --------------------------------------",
                                   "Language-ID = 7", "Primary language ID = 7",
                                   "Secondary language ID = 0"});
  EXPECT_EQ(Protocol(*page), expected);
}

TEST_F(HostedMonitor, ClearEmptiesTheProtocolAndWritersGoOn) {
  auto page = NewPage();
  ASSERT_TRUE(Init(*page, "m1"));
  page->Form().Find("cmdClear")->Raise("Click");
  EXPECT_EQ(Protocol(*page), Lines_{});
  page->MonitorHeading("Next");
  EXPECT_EQ(Protocol(*page),
            (Lines_{"", "---- Next ---------------------------------------------------"}));
}

}  // namespace
}  // namespace dtm::testing
