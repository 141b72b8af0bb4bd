// The identification page: its tabs and the frames they show, the fields
// locked on it, the navigation's tab map, and the polling-address change
// against the simulated positioner.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "component/ui/framework/param_link.h"
#include "component/ui/parameters/ctl_ident.h"
#include "platform/controls/navigation.h"
#include "tests/component/ui/parameters/params_fixture.h"

namespace dtm::testing {
namespace {

constexpr std::int32_t kYes = 6;
constexpr std::int32_t kNo = 7;

class Ident : public ParamsFixture {
 protected:
  std::shared_ptr<ctlIdent> Open() {
    auto page = std::make_shared<ctlIdent>(&services_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init("1", "", dtm_));
    return page;
  }
  std::shared_ptr<controls::Navigation> Navigation() {
    return com::QueryInterface<controls::Navigation>(Context().DTMState()->GetProperty("Navigation"));
  }
  // The frames shown, in layout order.
  static std::string Shown(const ctlIdent& page) {
    std::string shown;
    for (const char* name : {"frmIdentOperUnit", "frmPositioner", "frmAddComp", "frmActuator", "frmValve"}) {
      if (page.FrameNamed(name).Visible()) shown += shown.empty() ? name : std::string(" ") + name;
    }
    return shown;
  }
  std::shared_ptr<clsParamLink> LinkOf(const ctlIdent& page, std::int16_t index) {
    return std::dynamic_pointer_cast<clsParamLink>(page.ParamSite().GetParamLink(*page.Field(index)));
  }
};

TEST_F(Ident, OpeningReadsNothingAndShowsTheFirstTab) {
  auto page = Open();
  loop_.RunUntilIdle();
  EXPECT_TRUE(device_.Received().empty());
  EXPECT_TRUE(messages_.entries.empty());
  EXPECT_EQ(page->Headline(), nullptr);
  EXPECT_EQ(page->Process(), nullptr);
  EXPECT_EQ(page->Tabs()->SelectedIndex(), 1u);
  EXPECT_EQ(Shown(*page), "frmIdentOperUnit");
}

TEST_F(Ident, TextsComeFromTheDictionary) {
  auto page = Open();
  EXPECT_EQ(page->Tabs()->TabItem(1).caption, "Ident. operating &unit");
  EXPECT_EQ(page->Tabs()->TabItem(3).caption, "Ident. actuator / &valve");
  EXPECT_EQ(page->FrameNamed("frmValve").Caption(), "Valve");
  EXPECT_EQ(page->SetPollAddrButton()->Caption(), "Write polling address");
  EXPECT_EQ(page->SetPollAddrButton()->ToolTipText(), "Write the polling address entered to the device");
  dtm_->IDtm_SetLanguage(1031);
  EXPECT_EQ(page->Tabs()->TabItem(2).caption, "Ident. &Regler");
  EXPECT_EQ(page->SetPollAddrButton()->Caption(), "Kurzadresse schreiben");
}

TEST_F(Ident, ValveTypeAndRatedTravelAreLockedFromTheStart) {
  auto page = Open();
  for (const std::int16_t index : {std::int16_t{42}, std::int16_t{43}}) {
    ASSERT_NE(LinkOf(*page, index), nullptr) << index;
    EXPECT_TRUE(LinkOf(*page, index)->Locked) << index;
  }
  for (const std::int16_t index : {std::int16_t{0}, std::int16_t{41}, std::int16_t{44}}) EXPECT_FALSE(LinkOf(*page, index)->Locked) << index;
}

TEST_F(Ident, EachTabShowsItsFrames) {
  auto page = Open();
  struct Case {
    std::size_t tab;
    const char* shown;
  };
  const Case cases[] = {{2, "frmPositioner frmAddComp"}, {3, "frmActuator frmValve"}, {1, "frmIdentOperUnit"}};
  for (const Case& c : cases) {
    page->Tabs()->ClickTab(c.tab);
    EXPECT_EQ(Shown(*page), c.shown) << c.tab;
  }
}

TEST_F(Ident, TheButtonFollowsTheLockAndTheUserLevel) {
  struct Case {
    std::int32_t level;
    bool runtime_locked;
    bool enabled;
  };
  const Case cases[] = {{2, false, true}, {2, true, false}, {0, false, false}, {0, true, false}};
  for (const Case& c : cases) {
    Context().User().SetUserLevel(c.level);
    auto page = Open();
    page->IPrivateGUI_LockStateChanged(c.runtime_locked);
    EXPECT_EQ(page->SetPollAddrButton()->Enabled(), c.enabled) << c.level << " " << c.runtime_locked;
    ASSERT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  }
}

// ---- Navigation ---------------------------------------------------------------------------------

struct TabCase {
  const char* path;
  bool show;
  std::size_t tab;  // selected afterwards; the page starts on tab 3
};

class IdentTabMap : public Ident, public ::testing::WithParamInterface<TabCase> {};

TEST_P(IdentTabMap, ShowingAControlSelectsItsTab) {
  const TabCase& c = GetParam();
  auto page = Open();
  page->Tabs()->ClickTab(3);
  page->IPrivateNavigation_ShowControl(c.path, c.show, "");
  EXPECT_EQ(page->Tabs()->SelectedIndex(), c.tab);
}

INSTANTIATE_TEST_SUITE_P(Table, IdentTabMap,
                         ::testing::Values(TabCase{"ctlIdent.ctlParameter(0)", true, 1},
                                           TabCase{"ctlParameter(19)", true, 1},
                                           TabCase{"ctlParameter(20)", true, 2},
                                           TabCase{"ctlParameter(39)", true, 2},
                                           TabCase{"ctlParameter(40)", true, 3},
                                           TabCase{"cmdSetPollAddr", true, 1},
                                           TabCase{"frmIdentOperUnit", true, 1},
                                           TabCase{"frmPositioner", true, 2},
                                           TabCase{"frmAddComp", true, 2},
                                           TabCase{"frmValve", true, 3},
                                           TabCase{"frmSeparator", true, 3},
                                           TabCase{"ctlParameter(20)", false, 3},
                                           TabCase{"ctlIdent.frmPositioner", false, 3}));

TEST_F(Ident, TheShownControlComesFromTheNavigation) {
  auto page = Open();
  EXPECT_TRUE(page->IPrivateNavigation_ShowControl("ctlParameter(21)", true, ""));
  EXPECT_EQ(Navigation()->SelectedControl(), page->Field(21));
  EXPECT_EQ(page->Tabs()->SelectedIndex(), 2u);
  EXPECT_FALSE(page->IPrivateNavigation_ShowControl("not a path", true, ""));
}

// ---- The polling address ----------------------------------------------------------------------

class PollingAddress : public Ident {
 protected:
  void Connect() {
    dtm_->IDtm_SetCommunication(channel_);
    ASSERT_TRUE(Context().CommMan().Connect("connect-1"));
    loop_.RunUntilIdle();
  }
  void EnterAddress(std::int16_t persistent, std::optional<std::int16_t> device, std::int16_t entered) {
    const auto address = Element("~/Address");
    address->PersistentValue = persistent;
    address->DeviceValue = device ? com::Variant(*device) : com::Variant();
    address->TransientValue = entered;
  }
};

TEST_F(PollingAddress, YesWritesTheNewAddressIntoTheDevice) {
  Connect();
  auto page = Open();
  EnterAddress(0, 0, 3);
  messages_.answers.push_back(kYes);
  page->SetPollAddrButton()->Raise("Click");
  ASSERT_EQ(Boxes(), (std::vector<std::string>{"Change the polling address of the device from 0 to 3?"}));
  EXPECT_EQ(messages_.entries.back().style, 260);
  EXPECT_FALSE(page->SetPollAddrButton()->Enabled());
  EXPECT_FALSE(page->CommandId().empty());

  loop_.RunUntilIdle();
  EXPECT_EQ(Commands(), (std::vector<int>{6}));
  EXPECT_EQ(device_.Memory().polling_address, 3);
  EXPECT_TRUE(page->SetPollAddrButton()->Enabled());
  EXPECT_TRUE(page->CommandId().empty());
  // The device's answer reaches the address through the new-address element.
  EXPECT_EQ(Element("UC006")->DeviceValue.ToLong(), 3);
  EXPECT_EQ(Element("~/Address")->DeviceValue.ToLong(), 3);
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(PollingAddress, WithoutADeviceValueTheQuestionShowsTheSavedAddress) {
  Connect();
  auto page = Open();
  EnterAddress(5, std::nullopt, 2);
  messages_.answers.push_back(kNo);
  page->SetPollAddrButton()->Raise("Click");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Change the polling address of the device from 5 to 2?"}));
}

TEST_F(PollingAddress, NoChangesNothingAndSendsNothing) {
  Connect();
  auto page = Open();
  EnterAddress(0, 1, 4);
  messages_.answers.push_back(kNo);
  page->SetPollAddrButton()->Raise("Click");
  loop_.RunUntilIdle();
  EXPECT_TRUE(device_.Received().empty());
  EXPECT_EQ(Element("~/Address")->TransientValue.ToLong(), 4);
  EXPECT_TRUE(page->SetPollAddrButton()->Enabled());
  EXPECT_TRUE(page->CommandId().empty());
}

TEST_F(PollingAddress, ASecondClickWhileTheCommandRunsIsRefused) {
  Connect();
  auto page = Open();
  EnterAddress(0, 0, 3);
  messages_.answers.push_back(kYes);
  page->SetPollAddrButton()->Raise("Click");
  const std::string running = page->CommandId();
  page->cmdSetPollAddr_Click();
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1], "This command is already running.");
  EXPECT_EQ(messages_.entries.back().style, 0);
  EXPECT_EQ(page->CommandId(), running);
  loop_.RunUntilIdle();
  EXPECT_EQ(Commands(), (std::vector<int>{6}));
}

TEST_F(PollingAddress, WithoutAConnectionItSaysSoAndTheButtonComesBack) {
  auto page = Open();
  EnterAddress(0, 1, 3);
  messages_.answers.push_back(kYes);
  page->SetPollAddrButton()->Raise("Click");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1], "The command cannot be executed: there is no connection to the device.");
  EXPECT_EQ(messages_.entries.back().style, 0);
  EXPECT_TRUE(page->SetPollAddrButton()->Enabled());
  EXPECT_TRUE(page->CommandId().empty());
  // The entry is back at the old address; the command element keeps the new one.
  EXPECT_EQ(Element("~/Address")->TransientValue.ToLong(), 1);
  EXPECT_EQ(Element("UC006")->TransientValue.ToLong(), 3);
}

TEST_F(PollingAddress, OnlyTheEndOfItsOwnCommandBringsTheButtonBack) {
  Connect();
  auto page = Open();
  EnterAddress(0, 0, 3);
  messages_.answers.push_back(kYes);
  page->SetPollAddrButton()->Raise("Click");
  const std::string running = page->CommandId();
  page->IPrivateProcess_OnProcessFinished("someone-else", std::nullopt);
  EXPECT_FALSE(page->SetPollAddrButton()->Enabled());
  EXPECT_EQ(page->CommandId(), running);
  loop_.RunUntilIdle();
  EXPECT_TRUE(page->SetPollAddrButton()->Enabled());
}

}  // namespace
}  // namespace dtm::testing
