// The simulation page under the virtual clock against the simulated
// device: its opening read, the buttons by user level and by what the
// device has, each output test's question, command, twenty-second watch
// and end, the position transmitter's test value, and the ends by cancel,
// refusal, write protection and a device that stops answering.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/ui/actions/ctl_simulation.h"
#include "tests/component/ui/actions/action_page_fixture.h"

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

constexpr std::int32_t kOk = 1;
constexpr std::int32_t kCancel = 2;
constexpr std::int32_t kYes = 6;
constexpr const char* kLost = "The connection to the device was lost.|0|";
constexpr const char* kCannotConnect = "The connection to the device could not be established.|0|";

class SimulationPage : public ActionPageFixture {
 protected:
  // The page opened on a connected device, its first read done.
  std::shared_ptr<ctlSimulation> Open(bool connect = true) {
    if (connect) OpenConnection();
    auto page = std::make_shared<ctlSimulation>(services_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init("10", "", dtm_));
    loop_.RunFor(2s);
    return page;
  }

  static forms::Control& Button(ctlSimulation& page, const char* name) {
    for (const auto& control : page.Controls()) {
      if (control->Name() == name) return *control;
    }
    throw std::runtime_error(name);
  }
  // Which of the four buttons are enabled, as "1" or "0" each.
  static std::string Enabled(ctlSimulation& page) {
    std::string out;
    for (const char* name : {"cmdTestFaultAlarm", "cmdTestPositTrans", "cmdTestSW1", "cmdTestSW2"}) {
      out += Button(page, name).Enabled() ? "1" : "0";
    }
    return out;
  }
  static std::string Visible(ctlSimulation& page) {
    std::string out;
    for (const char* name : {"cmdTestFaultAlarm", "cmdTestPositTrans", "cmdTestSW1", "cmdTestSW2"}) {
      out += Button(page, name).Visible() ? "1" : "0";
    }
    return out;
  }

  // The page at rest: buttons on, test value editable, cancel entry
  // invalid, no request and no activity display.
  void ExpectIdle(ctlSimulation& page) {
    EXPECT_EQ(Enabled(page), "1111");
    EXPECT_FALSE(Field(page, 1).Locked());
    EXPECT_FALSE(Element("SC133")->Validity());
    EXPECT_FALSE(page.Process()->IsBusy());
    EXPECT_FALSE(page.ActivityTimer()->Running());
    EXPECT_EQ(page.ComState(), 0);
  }

  // A device with the position transmitter and software limit switches.
  void FitAllOptions() {
    device::Profile profile = device_.Memory();
    profile.bytes[75] = 2;
    profile.bytes[73] = 1;
    device_.Load(profile);
  }
};

// ---- Opening ----------------------------------------------------------------------------------

TEST_F(SimulationPage, TheOpeningReadShowsTheButtonsForWhatTheDeviceHas) {
  struct Case {
    std::uint8_t limit_switches;  // byte 75: 2 software limit switches
    std::uint8_t transmitter;     // byte 73: 1 fitted
    const char* visible;
  };
  const Case cases[] = {{2, 1, "1111"}, {0, 1, "1100"}, {1, 0, "1000"}, {2, 0, "1011"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.visible));
    device::Profile profile = device_.Memory();
    profile.bytes[75] = c.limit_switches;
    profile.bytes[73] = c.transmitter;
    device_.Load(profile);
    if (!channel_->Connected()) OpenConnection();
    const std::size_t before = device_.Received().size();
    auto page = std::make_shared<ctlSimulation>(services_);
    ASSERT_TRUE(page->IDtmActiveXControl_Init("10", "", dtm_));
    EXPECT_TRUE(page->InitialRead());
    EXPECT_EQ(Enabled(*page), "0000");
    EXPECT_TRUE(Field(*page, 1).Locked());
    EXPECT_TRUE(page->ActivityTimer()->Running());
    loop_.RunFor(2s);
    EXPECT_EQ(CountOf(130, before), 1u);
    EXPECT_EQ(CountOf(128, before), 1u);
    EXPECT_EQ(CountOf(136, before), 1u);
    EXPECT_FALSE(page->InitialRead());
    EXPECT_EQ(Visible(*page), c.visible);
    ExpectIdle(*page);
    for (const char* output : {"SC136FaultAl", "SC136GW1", "SC136GW2"}) EXPECT_EQ(Flags(output), 3) << output;
    EXPECT_EQ(Flags("SC128Tr15/Par2"), 2);
    EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  }
}

TEST_F(SimulationPage, AnOpeningReadThatCannotStartSaysSoOnceAndLeavesNoMarkBehind) {
  const std::int32_t flags[] = {Flags("SC136FaultAl"), Flags("SC136GW1"), Flags("SC136GW2"),
                                Flags("SC128Tr15/Par2")};
  auto page = Open(/*connect=*/false);
  EXPECT_EQ(Boxes(), Strings{kCannotConnect});
  // The outputs keep their information bit with the error.
  EXPECT_EQ(Flags("SC136FaultAl"), flags[0] | 0xF0001);
  EXPECT_EQ(Flags("SC136GW1"), flags[1] | 0xF0001);
  EXPECT_EQ(Flags("SC136GW2"), flags[2] | 0xF0001);
  EXPECT_EQ(Flags("SC128Tr15/Par2"), flags[3] | 0xF0000);
  EXPECT_FALSE(page->InitialRead());
  EXPECT_FALSE(Field(*page, 1).Locked());
  EXPECT_FALSE(page->ActivityTimer()->Running());

  // Once connected, a test runs its whole watch: its command's end is not
  // taken for the end of a first read.
  OpenConnection();
  messages_.answers = {kOk};
  const std::size_t before = device_.Received().size();
  ASSERT_TRUE(Button(*page, "cmdTestFaultAlarm").UserClick());
  loop_.RunFor(25s);
  EXPECT_GT(CountOf(136, before), 100u);
  EXPECT_EQ(Boxes().back(), "Fault alarm test finished.|64|Fault alarm test");
  ExpectIdle(*page);
}

TEST_F(SimulationPage, TheButtonsNeedAUserLevelAndDoNotFollowTheLock) {
  struct Case {
    std::int32_t level;
    const char* enabled;
  };
  for (const Case& c : {Case{0, "0000"}, Case{1, "1111"}}) {
    SCOPED_TRACE(c.level);
    Context().User().SetUserLevel(c.level);
    auto page = Open(!channel_->Connected());
    EXPECT_EQ(Enabled(*page), c.enabled);
    page->IPrivateGUI_LockStateChanged(true);
    EXPECT_EQ(Enabled(*page), c.enabled);
    EXPECT_FALSE(page->ParamSite().InputEnabled());
    page->IPrivateGUI_LockStateChanged(false);
    EXPECT_EQ(Enabled(*page), c.enabled);
    EXPECT_TRUE(page->ParamSite().InputEnabled());
    EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  }
}

// ---- The output tests -------------------------------------------------------------------------

struct OutputTest {
  const char* button;
  std::int32_t action;
  const char* command;  // the request the device gets
  std::uint8_t index;
  const char* output;   // the polled element
  const char* text;
};

const OutputTest kOutputTests[] = {
    {"cmdTestFaultAlarm", 1, "132:3", 3, "SC136FaultAl", "Fault alarm test"},
    {"cmdTestSW1", 3, "132:4", 4, "SC136GW1", "Software limit switch GW1 test"},
    {"cmdTestSW2", 4, "132:5", 5, "SC136GW2", "Software limit switch GW2 test"},
};

TEST_F(SimulationPage, EachOutputTestIsAskedSentWatchedForTwentySecondsAndReported) {
  FitAllOptions();
  auto page = Open();
  for (const OutputTest& t : kOutputTests) {
    SCOPED_TRACE(t.button);
    messages_.entries.clear();
    messages_.answers = {kOk};
    const std::size_t before = device_.Received().size();
    ASSERT_TRUE(Button(*page, t.button).UserClick());
    EXPECT_EQ(Boxes(), Strings{std::string(t.text) +
                               " will be started: the output does not follow the positioner while the "
                               "test runs. Continue?|289|" + t.text});
    EXPECT_EQ(page->Action(), t.action);
    EXPECT_EQ(page->Step(), 1);
    EXPECT_EQ(Element("SC134")->nParamIndex, t.index);
    EXPECT_EQ(Element("SC134")->TransientValue.ToLong(), 0);
    EXPECT_TRUE(Element("SC133")->Validity());
    EXPECT_EQ(Element("SC133")->TransientValue.ToLong(), t.index);
    EXPECT_EQ(Enabled(*page), "0000");
    EXPECT_TRUE(Field(*page, 1).Locked());
    EXPECT_TRUE(page->ActivityTimer()->Running());

    // The output as the page reads it back while the device switches it.
    loop_.RunFor(1s);
    EXPECT_EQ(Element(t.output)->TransientValue.ToLong(), 1);
    loop_.RunFor(2s);
    EXPECT_EQ(Element(t.output)->TransientValue.ToLong(), 0);
    loop_.RunFor(30s);

    // The command ends 100 ms after the click; read k ends 100 ms * k
    // later. Reads up to the deadline (the 200th ends exactly on it) go on
    // watching, the 201st is past it, and the 202nd is the final one.
    const Strings requests = Requests(before);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front(), t.command);
    EXPECT_EQ(CountOf(136, before), 202u);
    EXPECT_EQ(requests.size(), 203u);
    EXPECT_EQ(Boxes().back(), std::string(t.text) + " finished.|64|" + t.text);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(page->Action(), t.action);  // kept after the end
    ExpectIdle(*page);
    EXPECT_EQ(Element(t.output)->TransientValue.ToLong(), 0);
  }
}

TEST_F(SimulationPage, AnAnswerOtherThanOkToTheQuestionStartsNothing) {
  FitAllOptions();
  auto page = Open();
  for (const OutputTest& t : kOutputTests) {
    SCOPED_TRACE(t.button);
    messages_.answers = {kCancel};
    const std::size_t before = device_.Received().size();
    ASSERT_TRUE(Button(*page, t.button).UserClick());
    loop_.RunFor(5s);
    EXPECT_EQ(Requests(before), Strings{});
    EXPECT_EQ(page->Action(), 0);
    EXPECT_EQ(Element("SC134")->nParamIndex, 0);
    ExpectIdle(*page);
  }
}

TEST_F(SimulationPage, TheCancelEntryEndsTheWatchAfterTheReadInProgress) {
  FitAllOptions();
  auto page = Open();
  messages_.answers = {kOk};
  ASSERT_TRUE(Button(*page, "cmdTestSW1").UserClick());
  loop_.RunFor(5s);
  const std::size_t before = device_.Received().size();
  messages_.answers = {kYes};  // "Execute the command ... now?"
  ASSERT_TRUE(Field(*page, 4).UserClick());
  EXPECT_TRUE(page->CancelPending());
  loop_.RunFor(5s);
  // The read in flight, then the cancel command, and nothing after it.
  EXPECT_EQ(Requests(before), (Strings{"136:", "133:4"}));
  EXPECT_EQ(device_.OutputTestRunning(), 0);
  for (const std::string& box : Boxes()) EXPECT_EQ(box.find("finished"), std::string::npos) << box;
  ExpectIdle(*page);
}

TEST_F(SimulationPage, ThePositionTransmitterTestWritesItsTestValueAfterTheCommand) {
  FitAllOptions();
  auto page = Open();
  Element("SC128Tr15/Par2")->TransientValue = com::Variant(42.5);
  messages_.answers = {kOk};
  const std::size_t before = device_.Received().size();
  ASSERT_TRUE(Button(*page, "cmdTestPositTrans").UserClick());
  EXPECT_EQ(Element("SC134")->nParamIndex, 6);
  EXPECT_EQ(Element("SC133")->TransientValue.ToLong(), 6);
  loop_.RunFor(5s);
  EXPECT_EQ(Requests(before), (Strings{"132:6", "129:51 66 42 0 0"}));
  EXPECT_EQ(Boxes().size(), 1u);  // the question only
  EXPECT_EQ(page->Action(), 0);
  ExpectIdle(*page);
}

// ---- Ends by the device --------------------------------------------------------------------

TEST_F(SimulationPage, AWriteProtectedOutputReadEndsTheWatchWithoutALostConnection) {
  auto page = Open();
  loop_.RunFor(5s);
  messages_.entries.clear();
  messages_.answers = {kOk};
  const std::size_t before = device_.Received().size();
  device_.ForceResponseCode(136, 16, device::SimDevice::kUntilCleared);
  ASSERT_TRUE(Button(*page, "cmdTestFaultAlarm").UserClick());
  loop_.RunFor(60s);
  Strings boxes = Boxes();
  ASSERT_FALSE(boxes.empty());
  boxes.erase(boxes.begin());  // the question
  EXPECT_EQ(boxes, Strings{});
  // The read that met the protection, and the one more that ends the watch.
  EXPECT_EQ(CountOf(136, before), 2u);
  EXPECT_EQ(Flags("SC136FaultAl") & 0xF00000, 0x300000);
  ExpectIdle(*page);
}

TEST_F(SimulationPage, ACommandTheDeviceDoesNotCarryOutEndsTheTest) {
  struct Case {
    const char* name;
    std::function<void(device::SimDevice&)> fault;
    Strings boxes_after_question;
    std::size_t reads;  // of the output after the command
  };
  const Case cases[] = {
      {"WriteProtected", [](device::SimDevice& d) { d.ForceResponseCode(132, 16); }, {}, 0},
      {"NotAnswered", [](device::SimDevice& d) { d.InjectNoResponse(1, 132); }, {kLost}, 1},
      {"Refused", [](device::SimDevice& d) { d.ForceResponseCode(132, 64); }, {kLost}, 1},
  };
  auto page = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    messages_.answers = {kOk};
    c.fault(device_);
    const std::size_t before = device_.Received().size();
    ASSERT_TRUE(Button(*page, "cmdTestFaultAlarm").UserClick());
    loop_.RunFor(60s);
    Strings boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    boxes.erase(boxes.begin());
    EXPECT_EQ(boxes, c.boxes_after_question);
    EXPECT_EQ(CountOf(136, before), c.reads);
    ExpectIdle(*page);
    device_.ClearFaults();
  }
}

TEST_F(SimulationPage, AnOutputReadThatFailsEndsTheWatchAfterOneMoreRead) {
  struct Case {
    const char* name;
    std::function<void(device::SimDevice&)> fault;
    Strings boxes_after_question;
  };
  const Case cases[] = {
      {"NotAnswered", [](device::SimDevice& d) { d.InjectNoResponse(1, 136); }, {kLost}},
      {"StopsAnswering", [](device::SimDevice& d) { d.InjectNoResponse(device::SimDevice::kUntilCleared); },
       {kLost}},
  };
  auto page = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    messages_.answers = {kOk};
    ASSERT_TRUE(Button(*page, "cmdTestFaultAlarm").UserClick());
    loop_.RunFor(5s);
    const std::size_t before = device_.Received().size();
    c.fault(device_);
    loop_.RunFor(60s);
    Strings boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    boxes.erase(boxes.begin());
    EXPECT_EQ(boxes, c.boxes_after_question);
    // The device meets the fault with the read in flight; one more read
    // follows, then the test ends.
    EXPECT_EQ(CountOf(136, before), 2u);
    ExpectIdle(*page);
    device_.ClearFaults();
  }
}

TEST_F(SimulationPage, ALostConnectionEndsTheWatchAndLeavesThePageUsable) {
  auto page = Open();
  messages_.answers = {kOk};
  ASSERT_TRUE(Button(*page, "cmdTestFaultAlarm").UserClick());
  loop_.RunFor(5s);
  ASSERT_TRUE(channel_->DropConnection());
  loop_.RunFor(60s);
  Strings boxes = Boxes();
  ASSERT_FALSE(boxes.empty());
  boxes.erase(boxes.begin());
  // The read in flight fails; the one more read fails as well and ends the test.
  EXPECT_EQ(boxes, Strings{kLost});
  ExpectIdle(*page);
}

// ---- Clicks and closing -------------------------------------------------------------------------

TEST_F(SimulationPage, AClickWhileThePageCommunicatesStartsNothing) {
  auto page = Open();
  messages_.answers = {kOk};
  ASSERT_TRUE(Button(*page, "cmdTestFaultAlarm").UserClick());
  loop_.RunFor(1s);
  messages_.entries.clear();
  const std::size_t before = device_.Received().size();
  // The buttons are off; a click the forms layer delivers all the same
  // asks nothing and sends nothing.
  Button(*page, "cmdTestSW1").Raise("Click");
  loop_.RunFor(50ms);
  EXPECT_EQ(Boxes(), Strings{});
  EXPECT_EQ(page->Action(), 1);
  EXPECT_EQ(CountOf(132, before), 0u);
}

TEST_F(SimulationPage, ClosingDuringATestMarksTheCancelEntryInvalidAndAbortsNothing) {
  auto page = Open();
  messages_.answers = {kOk};
  ASSERT_TRUE(Button(*page, "cmdTestFaultAlarm").UserClick());
  loop_.RunFor(1s);
  ASSERT_TRUE(Element("SC133")->Validity());
  EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  EXPECT_FALSE(Element("SC133")->Validity());
  EXPECT_EQ(device_.OutputTestRunning(), 3);
}

}  // namespace
}  // namespace dtm::testing
