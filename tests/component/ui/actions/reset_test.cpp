// The cold-start page under the virtual clock against the simulated
// device: the opening read and its marks, the re-read after each field's
// use with the cold start's warning, the commands the fields run, and the
// failures of the reads.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/ui/actions/ctl_reset.h"
#include "tests/component/ui/actions/action_page_fixture.h"

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

constexpr std::int32_t kOk = 1;
constexpr std::int32_t kCancel = 2;
constexpr std::int32_t kYes = 6;
constexpr std::int32_t kNo = 7;
constexpr const char* kWarning = "The device restarts. Its values are read again afterwards.|64|";

class ResetPage : public ActionPageFixture {
 protected:
  std::shared_ptr<ctlReset> Open(bool connect = true) {
    if (connect) OpenConnection();
    auto page = std::make_shared<ctlReset>(services_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init("9", "", dtm_));
    return page;
  }
  // A device that has run a while: a travel total, an operating state,
  // and a control-loop fault.
  void RunningDevice() {
    device::DynamicValues values = device_.Memory().dynamic;
    values.operating_state = 4;
    values.total_travel = 1234.0f;
    device_.SetDynamicValues(values);
    device_.SetStatusByte(0, 0x20);
  }
};

TEST_F(ResetPage, OpeningReadsTheStateValuesAndMarksThemAsRead) {
  RunningDevice();
  OpenConnection();
  const std::size_t before = device_.Received().size();
  auto page = Open(false);
  EXPECT_TRUE(page->ActivityTimer()->Running());
  // Whatever Init did, the display shows again only at the next tick.
  EXPECT_FALSE(page->ImgCom(0).Visible());
  loop_.RunFor(2s);
  EXPECT_EQ(Requests(before), Strings{"136:"});
  EXPECT_EQ(Flags("SC136/OpStat"), 3);
  EXPECT_EQ(Flags("SC136/TotTravel"), 3);
  EXPECT_EQ(Element("SC136/OpStat")->TransientValue.ToLong(), 4);
  EXPECT_EQ(Element("SC136/TotTravel")->TransientValue.ToDouble(), 1234.0);
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_EQ(page->ComState(), 0);
  EXPECT_EQ(Boxes(), Strings{});
  EXPECT_EQ(page->TitleText(), "Cold start");
}

TEST_F(ResetPage, AnOpeningReadThatCannotStartSaysSoOnceAndMarksNothing) {
  const std::int32_t flags = Flags("SC136/OpStat");
  auto page = Open(/*connect=*/false);
  loop_.RunFor(2s);
  EXPECT_EQ(Boxes(), Strings{"The connection to the device could not be established.|0|"});
  EXPECT_EQ(Flags("SC136/OpStat"), flags);
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_FALSE(page->Process()->IsBusy());
}

TEST_F(ResetPage, EachFieldsUseIsFollowedByAReadOfTheStateValues) {
  struct Case {
    std::int16_t field;
    std::vector<std::int32_t> answers;  // the field's own question first
    Strings requests;
    bool warned;
    std::int32_t op_state;
    double travel;
    std::uint8_t status0;
  };
  const Case cases[] = {
      {0, {}, {"136:"}, false, 4, 1234.0, 0x20},
      {1, {}, {"136:"}, false, 4, 1234.0, 0x20},
      {2, {kYes}, {"132:7", "136:"}, false, 4, 0.0, 0x20},
      {3, {kYes}, {"132:10", "136:"}, false, 4, 1234.0, 0x00},
      {4, {kYes}, {"38:", "136:"}, false, 4, 1234.0, 0x20},
      {5, {kYes, kOk}, {"132:254", "136:"}, true, 0, 0.0, 0x00},
      // Not OK to the warning: the command ran, the values are not read.
      {5, {kYes, kCancel}, {"132:254"}, true, 4, 1234.0, 0x00},
      // No to the field's question: nothing runs, nothing restarts, no warning.
      {5, {kNo}, {}, false, 4, 1234.0, 0x20},
  };
  auto page = Open();
  loop_.RunFor(2s);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    RunningDevice();
    messages_.entries.clear();
    messages_.answers.assign(c.answers.begin(), c.answers.end());
    const std::size_t before = device_.Received().size();
    ASSERT_TRUE(Field(*page, c.field).UserClick());
    loop_.RunFor(3s);
    EXPECT_EQ(Requests(before), c.requests);
    const Strings boxes = Boxes();
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), kWarning), c.warned ? 1 : 0);
    EXPECT_EQ(device_.Memory().status[0], c.status0);
    if (!c.requests.empty() && c.requests.back() == "136:") {
      EXPECT_EQ(Element("SC136/OpStat")->TransientValue.ToLong(), c.op_state);
      EXPECT_EQ(Element("SC136/TotTravel")->TransientValue.ToDouble(), c.travel);
      EXPECT_EQ(Flags("SC136/OpStat"), 3);
    }
    EXPECT_FALSE(page->Process()->IsBusy());
  }
}

TEST_F(ResetPage, AUseWhileTheReadRunsDoesNotStartASecondRead) {
  OpenConnection();
  const std::size_t before = device_.Received().size();
  auto page = Open(false);
  ASSERT_TRUE(Field(*page, 0).UserClick());
  loop_.RunFor(3s);
  EXPECT_EQ(CountOf(136, before), 1u);
}

TEST_F(ResetPage, AReReadTheDeviceDoesNotAnswerMarksTheValuesWithoutAMessage) {
  auto page = Open();
  loop_.RunFor(2s);
  ASSERT_EQ(Flags("SC136/OpStat"), 3);
  device_.InjectNoResponse(1, 136);
  messages_.entries.clear();
  ASSERT_TRUE(Field(*page, 0).UserClick());
  loop_.RunFor(60s);
  EXPECT_EQ(Boxes(), Strings{});
  EXPECT_EQ(Flags("SC136/OpStat"), 0xF0003);
  EXPECT_EQ(Flags("SC136/TotTravel"), 0xF0003);
  EXPECT_FALSE(page->Process()->IsBusy());
  EXPECT_FALSE(page->ActivityTimer()->Running());
}

}  // namespace
}  // namespace dtm::testing
