// The device status page under the virtual clock: its opening read with the
// activity display, the status pictures of every listed code, failed reads,
// the refresh, the tabs the navigation selects, and release.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "component/ui/observation/ctl_status.h"
#include "tests/component/ui/observation/observation_pages_fixture.h"

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;

constexpr forms::OleColor kGreen = 0x00C000;
constexpr forms::OleColor kGrey = 0xC0C0C0;

// Every code with a picture: its element and the bit that sets it.
struct Code {
  std::int16_t code;
  const char* element;
  std::int32_t mask;
};
constexpr Code kCodes[] = {
    {0, "DevState", 0x01},   {1, "DevState", 0x02},   {2, "DevState", 0x04},   {3, "DevState", 0x08},
    {5, "DevState", 0x20},   {6, "DevState", 0x40},   {7, "DevState", 0x80},   {10, "CC048/St0", 0x01},
    {11, "CC048/St0", 0x02}, {12, "CC048/St0", 0x04}, {13, "CC048/St0", 0x08}, {14, "CC048/St0", 0x10},
    {15, "CC048/St0", 0x20}, {20, "CC048/St1", 0x01}, {21, "CC048/St1", 0x02}, {22, "CC048/St1", 0x04},
    {23, "CC048/St1", 0x08}, {24, "CC048/St1", 0x10}, {26, "CC048/St1", 0x40}, {30, "CC048/St2", 0x01},
    {32, "CC048/St2", 0x04}, {33, "CC048/St2", 0x08}, {34, "CC048/St2", 0x10}, {35, "CC048/St2", 0x20},
    {37, "CC048/St2", 0x80}, {40, "CC048/St3", 0x01}, {43, "CC048/St3", 0x08},
};
constexpr const char* kStatusElements[] = {"DevState", "CC048/St0", "CC048/St1", "CC048/St2", "CC048/St3"};

class StatusPage : public ObservationPages {
 protected:
  std::shared_ptr<ctlStatus> Open() {
    auto page = std::make_shared<ctlStatus>(services_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init("status", "", dtm_));
    return page;
  }
  // A page whose opening read has ended.
  std::shared_ptr<ctlStatus> OpenAndRead() {
    OpenConnection();
    auto page = Open();
    loop_.RunFor(5s);
    EXPECT_TRUE(page->cmdRefresh().Enabled());
    return page;
  }

  // A status element as a response leaves it, then the change notice.
  void SetStatus(const std::string& path, std::int32_t value) {
    auto element = Element(path);
    element->DeviceValue = com::Variant(value);
    element->TransientValue = com::Variant(value);
    Context().Parameters().NotifyChanged(element, "");
  }
  void ClearStatus() {
    for (const char* path : kStatusElements) SetStatus(path, 0);
  }

  // The codes whose picture shows `key`.
  static std::vector<std::int16_t> Showing(const ctlStatus& page, const char* key) {
    std::vector<std::int16_t> codes;
    for (const Code& code : kCodes) {
      if (page.PictureKey(code.code) == key) codes.push_back(code.code);
    }
    return codes;
  }

  // The activity display as "image shown:lamp 0:lamp 1", "-" for none.
  static std::string Display(const ctlStatus& page) {
    std::string image = "-";
    for (std::size_t i = 0; i < 3; ++i) {
      if (page.ImgCom(i).Visible()) image = std::to_string(i);
    }
    if (!page.ShpState(0).Visible()) return image + ":-:-";
    const auto lamp = [](forms::OleColor c) { return c == kGreen ? "green" : c == kGrey ? "grey" : "?"; };
    return image + ":" + lamp(page.ShpState(0).FillColor()) + ":" + lamp(page.ShpState(1).FillColor());
  }
};

TEST_F(StatusPage, OpeningShowsTheFirstTabTheVersionAndALockedTag) {
  OpenConnection();
  auto page = Open();
  EXPECT_EQ(page->lblCDtm().Caption(), "VELDAR DTM 4625 FDT 1.2        Version 1.0.32");
  EXPECT_TRUE(page->Field(6).Locked());
  EXPECT_EQ(page->TabStrip().SelectedIndex(), 1u);
  EXPECT_TRUE(page->frmStdStatus().Visible());
  EXPECT_FALSE(page->frmCritStatus().Visible());
  EXPECT_FALSE(page->frmInfoStatus().Visible());
  EXPECT_FALSE(page->frmPositioner().Visible());
  EXPECT_FALSE(page->frameDtm().Visible());
  EXPECT_EQ(page->Headline()->Title(), "Diagnosis");
  EXPECT_EQ(page->TabStrip().TabItem(2).caption, "&Critical");
  EXPECT_EQ(page->lblStatus(20)->Caption(), "Device not initialized");
  EXPECT_EQ(page->DTMManuId().Caption(), "Manufacturer");
  EXPECT_EQ(page->DTMManuIDAnzeige().Text(), "VELDAR AG");
  EXPECT_EQ(page->frmPositioner().Caption(), "Positioner");
  // The opening read runs with the activity display, its images still hidden.
  EXPECT_TRUE(page->ReadStarted());
  EXPECT_FALSE(page->cmdRefresh().Enabled());
  EXPECT_TRUE(page->ActivityTimer()->Running());
  EXPECT_EQ(page->ActivityTimer()->Interval(), 400);
  EXPECT_EQ(Display(*page), "-:-:-");
}

TEST_F(StatusPage, TheActivityDisplayStepsWhileTheReadRunsAndStopsAtItsEnd) {
  OpenConnection();
  channel_->SetTransactionLatency(200ms);  // nine transactions: 1.8 s
  auto page = Open();
  std::vector<std::string> steps;
  for (int tick = 0; tick < 4; ++tick) {
    loop_.RunFor(400ms);
    steps.push_back(Display(*page) + "/" + std::to_string(page->ComState()));
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"0:green:grey/1", "1:grey:green/2", "2:green:grey/0",
                                             "0:green:grey/1"}));
  loop_.RunFor(2s);
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_EQ(page->ActivityTimer()->Interval(), 0);
  EXPECT_EQ(Display(*page), "-:-:-");
  EXPECT_EQ(page->ComState(), 0);
  EXPECT_TRUE(page->cmdRefresh().Enabled());
  EXPECT_TRUE(page->Field(6).Locked());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(StatusPage, TheReadShowsTheDevicesStatusBytes) {
  device_.SetStatusByte(1, 0x55);
  device_.SetStatusByte(2, 0x10);
  auto page = OpenAndRead();
  EXPECT_EQ(Showing(*page, ctlStatus::kReadOn), (std::vector<std::int16_t>{20, 22, 24, 26, 34}));
  EXPECT_TRUE(Showing(*page, ctlStatus::kNotRead).empty());
  // The identification fields are marked good: information values, the tag
  // none.
  for (const char* path : {"SC135", "SC128Tr14/Par1", "SC128Tr13/Par1", "UC000/SerNum", "SC128Tr14/Par4",
                           "SC128Tr14/Par3"}) {
    EXPECT_EQ(Flags(path), 1) << path;
  }
  EXPECT_EQ(Flags("UC013/Tag"), 0);
}

class StatusCode : public StatusPage, public ::testing::WithParamInterface<Code> {};

TEST_P(StatusCode, ItsPictureFollowsItsBitAlone) {
  const Code& code = GetParam();
  auto page = OpenAndRead();
  ClearStatus();
  SetStatus(code.element, code.mask);
  EXPECT_EQ(Showing(*page, ctlStatus::kReadOn), (std::vector<std::int16_t>{code.code}));
  SetStatus(code.element, 0xFF & ~code.mask);
  EXPECT_EQ(page->PictureKey(code.code), ctlStatus::kReadOff);
  SetStatus(code.element, 0);
  EXPECT_EQ(Showing(*page, ctlStatus::kReadOn), (std::vector<std::int16_t>{}));
}

INSTANTIATE_TEST_SUITE_P(Table, StatusCode, ::testing::ValuesIn(kCodes),
                         [](const ::testing::TestParamInfo<Code>& row) { return "Code" + std::to_string(row.param.code); });

TEST_F(StatusPage, TheFieldDeviceByteChangesNoPictureBeforeItArrivedOrWhileOffline) {
  auto page = OpenAndRead();
  ClearStatus();
  SetStatus("DevState", 0x30);
  EXPECT_EQ(Showing(*page, ctlStatus::kReadOn), (std::vector<std::int16_t>{5}));
  // 256: no response brought a status byte yet.
  auto element = Element("DevState");
  element->TransientValue = com::Variant(std::int32_t{256});
  element->DeviceValue = com::Variant(std::int32_t{0xFF});
  Context().Parameters().NotifyChanged(element, "");
  EXPECT_EQ(Showing(*page, ctlStatus::kReadOn), (std::vector<std::int16_t>{5}));
  ASSERT_TRUE(Context().CommMan().Disconnect());
  SetStatus("DevState", 0x01);
  EXPECT_EQ(Showing(*page, ctlStatus::kReadOn), (std::vector<std::int16_t>{5}));
}

TEST_F(StatusPage, CommandStatusBeforeAnyReadStartedChangesNoPicture) {
  // Without a channel the opening read cannot start.
  auto page = Open();
  EXPECT_FALSE(page->ReadStarted());
  SetStatus("CC048/St2", 0xFF);
  EXPECT_EQ(Showing(*page, ctlStatus::kNotRead).size(), std::size(kCodes));
}

TEST_F(StatusPage, AReadThatCannotStartIsToldAndMarksTheFields) {
  auto page = Open();
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Reading the device status could not be started. (0)"}));
  for (const char* path : {"SC135", "SC128Tr14/Par1", "SC128Tr13/Par1", "UC000/SerNum", "SC128Tr14/Par4",
                           "SC128Tr14/Par3", "UC013/Tag"}) {
    EXPECT_EQ(Flags(path) & 0xF0000, 0xF0000) << path;
  }
  EXPECT_TRUE(page->cmdRefresh().Enabled());
  EXPECT_FALSE(page->ActivityTimer()->Running());
}

TEST_F(StatusPage, AFailedReadShowsEveryPictureUnreadAndSaysSo) {
  device_.SetStatusByte(0, 0x20);
  auto page = OpenAndRead();
  ASSERT_EQ(page->PictureKey(15), ctlStatus::kReadOn);
  device_.InjectNoResponse(1, 1);
  page->cmdRefresh().Raise("Click");
  loop_.RunFor(35s);
  EXPECT_EQ(Showing(*page, ctlStatus::kNotRead).size(), std::size(kCodes));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "A communication error occurred while the device status was read. (0)"}));
  EXPECT_TRUE(page->cmdRefresh().Enabled());
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_EQ(Display(*page), "-:-:-");
}

TEST_F(StatusPage, AStatusReadTheDeviceDoesNotAcceptShowsNoStaleBits) {
  struct Case {
    const char* name;
    std::uint8_t code;  // the answer to command 48
  };
  const Case cases[] = {{"Refused", 2}, {"CommandNotImplemented", 64}, {"BusyToTheEnd", 32}};
  device_.SetStatusByte(0, 0x20);
  auto page = OpenAndRead();
  // Each answer takes line time, so a busy device's silent retries end.
  channel_->SetTransactionLatency(100ms);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(page->PictureKey(15), ctlStatus::kReadOn);
    messages_.entries.clear();
    messages_.answers = {7};  // a busy device is not asked again
    device_.ForceResponseCode(48, c.code, device::SimDevice::kUntilCleared);
    page->cmdRefresh().Raise("Click");
    loop_.RunFor(60s);
    EXPECT_EQ(Showing(*page, ctlStatus::kNotRead).size(), std::size(kCodes));
    const std::vector<std::string> boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), "A communication error occurred while the device status was read. (0)");
    EXPECT_TRUE(page->cmdRefresh().Enabled());
    // A good read shows the bits again.
    device_.ClearFaults();
    page->cmdRefresh().Raise("Click");
    loop_.RunFor(60s);
  }
}

TEST_F(StatusPage, RefreshReadsTheStatusAgainAndNotWhileAReadRuns) {
  auto page = OpenAndRead();
  const std::size_t requests = device_.Received().size();
  device_.SetStatusByte(3, 0x08);
  page->cmdRefresh().Raise("Click");
  page->cmdRefresh().Raise("Click");  // the read runs: nothing
  loop_.RunFor(5s);
  std::vector<int> commands;
  for (std::size_t i = requests; i < device_.Received().size(); ++i) {
    commands.push_back(device_.Received()[i].command);
  }
  EXPECT_EQ(commands, (std::vector<int>{1, 48}));
  EXPECT_EQ(Showing(*page, ctlStatus::kReadOn), (std::vector<std::int16_t>{43}));
}

struct TabCase {
  const char* path;
  std::size_t tab;  // 0: none selected (the first stays)
};

class StatusNavigation : public StatusPage, public ::testing::WithParamInterface<TabCase> {};

TEST_P(StatusNavigation, SelectsTheTabThatHoldsTheControl) {
  auto page = OpenAndRead();
  page->IPrivateNavigation_ShowControl(GetParam().path, true, "");
  const std::size_t tab = GetParam().tab == 0 ? 1 : GetParam().tab;
  EXPECT_EQ(page->TabStrip().SelectedIndex(), tab);
  EXPECT_EQ(page->frmStdStatus().Visible(), tab == 1);
  EXPECT_EQ(page->frmCritStatus().Visible(), tab == 2);
  EXPECT_EQ(page->frmInfoStatus().Visible(), tab == 3);
  EXPECT_EQ(page->frmPositioner().Visible(), tab == 4);
  EXPECT_EQ(page->frameDtm().Visible(), tab == 4);
}

INSTANTIATE_TEST_SUITE_P(Table, StatusNavigation,
                         ::testing::Values(TabCase{"lblStatus(34)", 2}, TabCase{"lblStatus(21)", 3},
                                           TabCase{"lblStatus(8)", 0}, TabCase{"lblStatus(24)", 2},
                                           TabCase{"frmInfoStatus", 3}, TabCase{"ctlParameter(3)", 4},
                                           TabCase{"lblCDtm", 4}, TabCase{"cmdRefresh", 0}));

TEST_F(StatusPage, ALabelOfTheFirstTabSelectsItBackFromAnother) {
  auto page = OpenAndRead();
  page->TabStrip().SetTabSelected(3, true);
  page->IPrivateNavigation_ShowControl("lblStatus(3)", true, "");
  EXPECT_EQ(page->TabStrip().SelectedIndex(), 1u);
  EXPECT_TRUE(page->frmStdStatus().Visible());
  EXPECT_FALSE(page->frmInfoStatus().Visible());
}

TEST_F(StatusPage, TheTagFieldIsLockedAgainWhenItsStateChanges) {
  auto page = OpenAndRead();
  page->Field(6).SetLocked(false);
  page->Field(6).Raise("StateChanged", forms::Args{com::Variant(true)});
  EXPECT_TRUE(page->Field(6).Locked());
}

TEST_F(StatusPage, ReleaseDuringAReadStopsTheActivityDisplayAndUnlocksTheTag) {
  OpenConnection();
  channel_->SetTransactionLatency(1s);
  auto page = Open();
  loop_.RunFor(1200ms);
  ASSERT_NE(Display(*page), "-:-:-");
  EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_EQ(Display(*page), "-:-:-");
  EXPECT_FALSE(page->Field(6).Locked());
  loop_.RunFor(10s);
  EXPECT_EQ(Display(*page), "-:-:-");
  EXPECT_TRUE(Boxes().empty());
}

// Every text the two pages ask the dictionary for, in both languages.
struct TextKey {
  const char* key;
  const char* attribute;
};

class PageTexts : public ObservationPages, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(PageTexts, EveryKeyThePagesAskForHasAText) {
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(GetParam()));
  std::vector<TextKey> keys = {
      {"HeadlineTitle_Trend", "text"},      {"ctlTrend_scaleX", "text"},
      {"chkCycle", "text"},                 {"ctlTrend_frmTrendValues", "text"},
      {"cycle_refresh_impossible", "text"}, {"error_at_connect", "text"},
      {"HeadlineTitle_Diagnose", "text"},   {"ctlStatus_TabStrip.1", "text"},
      {"ctlStatus_TabStrip.2", "text"},     {"ctlStatus_TabStrip.3", "text"},
      {"ctlStatus_TabStrip.4", "text"},     {"ctlStatus_frmStdStatus", "text"},
      {"ctlStatus_frmCritStatus", "text"},  {"ctlStatus_frmInfoStatus", "text"},
      {"ctlStatus_frameDtm", "text"},       {"ctlStatus_lblDtm", "text"},
      {"ctlStatus_cmdRefresh", "text"},     {"DTMManuId", "label"},
      {"DTMManuId", "description"},         {"ctlIdent_frmPositioner", "text"},
      {"error_at_read_status", "text"},     {"comm_error_at_read_status", "text"},
      {"companyURL", "text"},
  };
  std::vector<std::string> labels;
  for (const Code& code : kCodes) labels.push_back("ctlStatus_lblStatus" + std::to_string(code.code));
  for (const std::string& label : labels) keys.push_back({label.c_str(), "caption"});
  for (const TextKey& key : keys) {
    const com::Variant value = Context().Dictionary().GetValue("keys", key.key, key.attribute);
    EXPECT_FALSE(value.IsEmpty() || value.ToString().empty()) << key.key << " " << key.attribute;
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, PageTexts, ::testing::Values(1031, 1033));

}  // namespace
}  // namespace dtm::testing
