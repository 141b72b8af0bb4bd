// The device in operation: values that move over clock time, the line's
// latency and the faults a profile scripts, and how a profile says so.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

#include "host/device/attach.h"
#include "platform/loop/event_loop.h"
#include "platform/runtime/hart_frame.h"
#include "platform/com/error.h"
#include "tests/host/device/device_fixture.h"

namespace dtm::device::test {
namespace {

using namespace std::chrono_literals;

float FloatAt(const Bytes& data, std::size_t at) {
  const std::uint32_t bits = (std::uint32_t{data[at]} << 24) | (std::uint32_t{data[at + 1]} << 16) |
                             (std::uint32_t{data[at + 2]} << 8) | data[at + 3];
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

Profile Parsed(const std::string& body) {
  return ParseProfile("<DeviceProfile version=\"1\">" + body + "</DeviceProfile>", "test");
}

struct Reading {
  float w_analog, w_digit, e, x, travel;
  int fault, gw1, gw2;
};

class Operation : public ::testing::Test {
 protected:
  Reading Read136() {
    const runtime::HartResponse response = device_.Handle({136, {}});
    EXPECT_EQ(response.response_code, std::optional<std::uint8_t>(0));
    const Bytes& d = response.data;
    return {FloatAt(d, 0), FloatAt(d, 5), FloatAt(d, 13), FloatAt(d, 17), FloatAt(d, 25), d[21], d[22], d[23]};
  }
  void Use(const std::string& body) { device_.Load(Parsed(body)); }

  loop::VirtualClock clock_;
  SimDevice device_{clock_};
};

TEST_F(Operation, WithoutMotionTheValuesStandStill) {
  Use("<Dynamic wAnalog=\"12.0\" wDigit=\"50.0\" x=\"49.0\" e=\"1.0\"/>");
  clock_.Advance(30s);
  const Reading r = Read136();
  EXPECT_FLOAT_EQ(r.w_analog, 12.0f);
  EXPECT_FLOAT_EQ(r.x, 49.0f);
}

struct MotionCase {
  const char* what;
  std::chrono::milliseconds after;
  float w_analog, w_digit;  // exactly
  float x_low, x_high;      // x lies within
};

class Moving : public Operation, public ::testing::WithParamInterface<MotionCase> {};

TEST_P(Moving, TheInputSwingsAndThePositionFollows) {
  const MotionCase& c = GetParam();
  // 4 to 20 mA in 10 s and back; x follows within 1 s.
  Use("<Motion wLow=\"4.0\" wHigh=\"20.0\" period=\"20s\" lag=\"1s\"/>");
  clock_.Advance(c.after);
  const Reading r = Read136();
  EXPECT_NEAR(r.w_analog, c.w_analog, 1e-3) << c.what;
  EXPECT_NEAR(r.w_digit, c.w_digit, 1e-3) << c.what;
  EXPECT_GE(r.x, c.x_low) << c.what;
  EXPECT_LE(r.x, c.x_high) << c.what;
  EXPECT_NEAR(r.e, r.w_digit - r.x, 1e-3) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, Moving,
                         ::testing::Values(MotionCase{"start", 0ms, 4.0f, 0.0f, 0.0f, 0.0f},
                                           MotionCase{"a quarter", 5s, 12.0f, 50.0f, 38.0f, 46.0f},
                                           MotionCase{"the top", 10s, 20.0f, 100.0f, 88.0f, 96.0f},
                                           MotionCase{"back down", 15s, 12.0f, 50.0f, 54.0f, 62.0f}));

TEST_F(Operation, TheTravelAddsUpAndTheContactsSwitch) {
  Use("<Motion wLow=\"4.0\" wHigh=\"20.0\" period=\"20s\" lag=\"100ms\"/>");
  clock_.Advance(100ms);
  const Reading low = Read136();
  EXPECT_EQ(low.gw1, 1);  // x below limit 1 (2 %)
  EXPECT_EQ(low.gw2, 0);
  clock_.Advance(9900ms);
  const Reading top = Read136();
  EXPECT_EQ(top.gw1, 0);
  EXPECT_EQ(top.gw2, 1);  // x above limit 2 (98 %)
  clock_.Advance(10s);
  const Reading back = Read136();
  // Up to about 100 % and down again.
  EXPECT_GT(back.travel, 190.0f);
  EXPECT_LT(back.travel, 201.0f);
}

TEST_F(Operation, AFarDeviationRaisesTheFaultAlarmAfterTheMonitoringTime) {
  // A jump to 20 mA that x follows slowly: e stays above 5 % for long.
  Use("<Motion wLow=\"20.0\" wHigh=\"20.0\" period=\"20s\" lag=\"60s\"/>"
      "<FloatParameters><Parameter index=\"59\" value=\"10.0\"/></FloatParameters>");
  clock_.Advance(1s);
  EXPECT_EQ(Read136().fault, 0);
  clock_.Advance(9s);
  EXPECT_EQ(Read136().fault, 0);  // out of band since 1 s: 9 s
  clock_.Advance(2s);
  EXPECT_EQ(Read136().fault, 1);
}

TEST_F(Operation, TheManualModeTakesTheManualSetPoint) {
  Use("<Motion/><ByteParameters><Parameter index=\"65\" value=\"1\"/></ByteParameters>"
      "<FloatParameters><Parameter index=\"6\" value=\"8.0\"/></FloatParameters>");
  clock_.Advance(1s);
  EXPECT_FLOAT_EQ(Read136().w_digit, 25.0f);
}

struct ScriptCase {
  const char* what;
  const char* script;
  std::chrono::milliseconds before, after;  // a request just before and after the fault
  std::optional<std::uint8_t> code_before, code_after;
  bool line_break;
};

class Scripted : public Operation, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(Scripted, ARunningDeviceMeetsItsScriptedFault) {
  const ScriptCase& c = GetParam();
  Use(std::string("<Script>") + c.script + "</Script>");
  clock_.Advance(c.before);
  EXPECT_EQ(device_.Handle({136, {}}).response_code, c.code_before) << c.what;
  EXPECT_FALSE(device_.TakeLineBreak()) << c.what;
  clock_.Advance(c.after - c.before);
  EXPECT_EQ(device_.Handle({136, {}}).response_code, c.code_after) << c.what;
  EXPECT_EQ(device_.TakeLineBreak(), c.line_break) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Scripted,
    ::testing::Values(
        ScriptCase{"lost", "<Fault at=\"10s\" kind=\"lostConnection\"/>", 9s, 10s, 0, std::nullopt, true},
        ScriptCase{"busy", "<Fault at=\"5s\" kind=\"busy\" span=\"2s\"/>", 4s, 6s, 0, 32, false},
        ScriptCase{"busy over", "<Fault at=\"5s\" kind=\"busy\" span=\"2s\"/>", 6s, 7s, 32, 0, false},
        ScriptCase{"code", "<Fault at=\"3s\" kind=\"responseCode\" command=\"136\" code=\"16\"/>", 2s, 3s, 0,
                   16, false},
        ScriptCase{"code of another command", "<Fault at=\"3s\" kind=\"responseCode\" command=\"48\" code=\"16\"/>",
                   2s, 3s, 0, 0, false}));

TEST_F(Operation, AfterALostConnectionTheDeviceStaysSilent) {
  Use("<Script><Fault at=\"1s\" kind=\"lostConnection\"/></Script>");
  clock_.Advance(1s);
  device_.Handle({136, {}});
  ASSERT_TRUE(device_.TakeLineBreak());
  EXPECT_EQ(device_.Handle({0, {}}).response_code, std::nullopt);
}

TEST_F(Operation, AResponseCodeSpoilsOnlyItsReplies) {
  Use("<Script><Fault at=\"0s\" kind=\"responseCode\" command=\"136\" code=\"16\" replies=\"2\"/></Script>");
  EXPECT_EQ(device_.Handle({136, {}}).response_code, std::optional<std::uint8_t>(16));
  EXPECT_EQ(device_.Handle({136, {}}).response_code, std::optional<std::uint8_t>(16));
  EXPECT_EQ(device_.Handle({136, {}}).response_code, std::optional<std::uint8_t>(0));
}

TEST(OperationProfile, ReadsMotionLatencyAndScript) {
  const Profile p = Parsed(
      "<Motion wLow=\"6.5\" wHigh=\"18\" period=\"2min\" lag=\"500ms\" safetyW=\"-5\"/>"
      "<Latency>300ms</Latency>"
      "<Script><Fault at=\"10s\" kind=\"lostConnection\"/>"
      "<Fault at=\"2s\" kind=\"busy\" span=\"1s\" code=\"160\"/>"
      "<Fault at=\"1s\" kind=\"responseCode\" command=\"130\" code=\"7\" replies=\"3\"/></Script>");
  EXPECT_TRUE(p.motion.enabled);
  EXPECT_FLOAT_EQ(p.motion.w_low, 6.5f);
  EXPECT_FLOAT_EQ(p.motion.w_high, 18.0f);
  EXPECT_EQ(p.motion.period_ms, 120000u);
  EXPECT_EQ(p.motion.lag_ms, 500u);
  EXPECT_FLOAT_EQ(p.motion.safety_w, -5.0f);
  EXPECT_EQ(p.latency_ms, 300u);
  ASSERT_EQ(p.script.size(), 3u);
  EXPECT_EQ(p.script[0], (ScriptedFault{ScriptedFault::Kind::kLostConnection, 10000, 0, 32, -1, 1}));
  EXPECT_EQ(p.script[1], (ScriptedFault{ScriptedFault::Kind::kBusy, 2000, 1000, 160, -1, 1}));
  EXPECT_EQ(p.script[2], (ScriptedFault{ScriptedFault::Kind::kResponseCode, 1000, 0, 7, 130, 3}));
}

TEST(OperationProfile, WithoutTheElementsTheDeviceNeitherMovesNorFails) {
  const Profile p = Parsed("");
  EXPECT_FALSE(p.motion.enabled);
  EXPECT_EQ(p.latency_ms, 0u);
  EXPECT_TRUE(p.script.empty());
}

TEST(OperationProfile, RefusesWhatItCannotRead) {
  for (const char* body : {
           "<Latency>300</Latency>",
           "<Latency>2h</Latency>",
           "<Motion wLow=\"2\"/>",
           "<Motion speed=\"1\"/>",
           "<Script><Fault kind=\"busy\" span=\"1s\"/></Script>",
           "<Script><Fault at=\"1s\" kind=\"busy\"/></Script>",
           "<Script><Fault at=\"1s\" kind=\"fire\"/></Script>",
           "<Script><Fault at=\"1s\" kind=\"responseCode\"/></Script>",
           "<Script><Step at=\"1s\"/></Script>",
       }) {
    try {
      Parsed(body);
      ADD_FAILURE() << body << " was read";
    } catch (const com::ComError& error) {
      EXPECT_EQ(error.Number(), 321) << body;
    }
  }
}

TEST(OperationChannel, TheProfilesLatencyTimesTheLine) {
  loop::VirtualClock clock;
  loop::EventLoop loop{clock};
  auto channel = std::make_shared<frame::ChannelStandIn>(loop);
  SimDevice device{clock, Parsed("<Latency>300ms</Latency>")};
  AttachDevice(*channel, device);
  struct Events : com::Object, IFdtCommunicationEvents {
    void IFdtCommunicationEvents_OnConnectResponse(const std::string&, const std::string&) override {}
    void IFdtCommunicationEvents_OnDisconnectResponse(const std::string&, const std::string&) override {}
    void IFdtCommunicationEvents_OnAbort(const std::string&) override {}
    void IFdtCommunicationEvents_OnTransactionResponse(const std::string&, const std::string&) override {
      answered.push_back(clock->Now());
    }
    loop::Clock* clock = nullptr;
    std::vector<loop::Clock::TimePoint> answered;
  };
  auto events = std::make_shared<Events>();
  events->clock = &clock;
  ASSERT_TRUE(channel->ConnectRequest(events, "c", ""));
  loop.RunUntilIdle();
  const loop::Clock::TimePoint start = clock.Now();
  const std::string request = runtime::BuildTransactionRequestXml({0, {}});
  ASSERT_TRUE(channel->TransactionRequest("t1", request));
  loop.RunFor(1s);
  ASSERT_EQ(events->answered.size(), 1u);
  EXPECT_EQ(events->answered[0] - start, std::chrono::milliseconds(300));
}

}  // namespace
}  // namespace dtm::device::test
