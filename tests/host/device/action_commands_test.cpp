// Device status (48), dynamic values (136) and the actions of commands
// 132 to 134, some of which run for a while of clock time.

#include <gtest/gtest.h>

#include <chrono>

#include "tests/host/device/device_fixture.h"

namespace dtm::device {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using test::Bytes;

class DynamicValuesCommand : public test::DeviceFixture {};

TEST_F(DynamicValuesCommand, Command136HasTheLayoutOfItsTwentyNineBytes) {
  EXPECT_EQ(Data(136), (Bytes{0x41, 0x40, 0x00, 0x00,     // 0 wAnalog 12.0 mA
                              0x00,                       // 4 operating mode: automatic
                              0x42, 0x48, 0x00, 0x00,     // 5 wDigit 50.0 %
                              0x40, 0x80, 0x00, 0x00,     // 9 wHand 4.0 mA
                              0x3E, 0x4C, 0xCC, 0xCD,     // 13 e 0.2 %
                              0x42, 0x47, 0x33, 0x33,     // 17 x 49.8 %
                              0x00,                       // 21 fault alarm
                              0x00,                       // 22 limit 1
                              0x00,                       // 23 limit 2
                              0x00,                       // 24 operating state
                              0x47, 0x3C, 0x52, 0x00}));  // 25 total travel 48210
}

TEST_F(DynamicValuesCommand, ShowsValuesSetOnTheDevice) {
  device_.SetDynamicValues({20.0f, 100.0f, -2.5f, 98.0f, 3, 1000000.0f});
  EXPECT_EQ(Data(136), (Bytes{0x41, 0xA0, 0x00, 0x00, 0x00, 0x42, 0xC8, 0x00, 0x00, 0x40,
                              0x80, 0x00, 0x00, 0xC0, 0x20, 0x00, 0x00, 0x42, 0xC4, 0x00,
                              0x00, 0x00, 0x00, 0x00, 0x03, 0x49, 0x74, 0x24, 0x00}));
  EXPECT_EQ(Data(1), (Bytes{0x39, 0x42, 0xC4, 0x00, 0x00}));
}

class DeviceStatusCommand : public test::DeviceFixture {};

TEST_F(DeviceStatusCommand, Command48GivesTheFourStatusBytes) {
  EXPECT_EQ(Data(48), (Bytes{0x00, 0x00, 0x00, 0x00}));
  device_.SetStatusByte(0, 0x21);
  device_.SetStatusByte(3, 0x08);
  const runtime::HartResponse response = Send(48);
  EXPECT_EQ(response.data, (Bytes{0x21, 0x00, 0x00, 0x08}));
  EXPECT_EQ(response.device_status, 0x10);  // more status available
}

TEST_F(DeviceStatusCommand, Command48WithRequestBytesReadsAsWell) {
  device_.SetStatusByte(2, 0x80);
  EXPECT_EQ(Data(48, {0x01, 0x02, 0x03}), (Bytes{0x00, 0x00, 0x80, 0x00}));
}

TEST_F(DeviceStatusCommand, MoreStatusBitFollowsTheStatusBytes) {
  device_.SetStatusByte(1, 0x01);
  EXPECT_EQ(Send(0).device_status, 0x10);
  device_.SetStatusByte(1, 0x00);
  EXPECT_EQ(Send(0).device_status, 0x00);
}

TEST_F(DeviceStatusCommand, OtherStoredBitsStand) {
  device_.SetDeviceStatusBits(0x81);
  EXPECT_EQ(Send(0).device_status, 0x81);
  EXPECT_EQ(Send(38).device_status, 0x81);
}

struct ActionCase {
  const char* name;
  std::uint8_t action;
};

const ActionCase kKnownActions[] = {
    {"ZeroCalibration", 1},      {"Initialisation", 2},
    {"FaultAlarmTest", 3},       {"Limit1Test", 4},
    {"Limit2Test", 5},           {"TransmitterTest", 6},
    {"ResetTravelIntegral", 7},  {"ResetControlLoopFault", 10},
    {"StartCharacteristic", 11}, {"EndCharacteristic", 12},
    {"ColdStart", 254},
};

class KnownAction : public test::DeviceFixture, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(KnownAction, IsEchoed) {
  EXPECT_EQ(Data(132, {GetParam().action}), (Bytes{GetParam().action}));
}

INSTANTIATE_TEST_SUITE_P(Table, KnownAction, ::testing::ValuesIn(kKnownActions),
                         [](const auto& i) { return std::string(i.param.name); });

const ActionCase kUnknownActions[] = {
    {"Zero", 0},      {"Eight", 8},           {"Nine", 9},
    {"Thirteen", 13}, {"TwoFiftyThree", 253}, {"TwoFiftyFive", 255},
};

class UnknownAction : public test::DeviceFixture,
                      public ::testing::WithParamInterface<ActionCase> {};

TEST_P(UnknownAction, IsAnInvalidSelection) {
  const runtime::HartResponse response = Send(132, {GetParam().action});
  EXPECT_EQ(response.response_code, 2);
  EXPECT_TRUE(response.data.empty());
  EXPECT_EQ(response.device_status, 0x00);
}

INSTANTIATE_TEST_SUITE_P(Table, UnknownAction, ::testing::ValuesIn(kUnknownActions),
                         [](const auto& i) { return std::string(i.param.name); });

struct SwitchingCase {
  const char* name;
  std::uint8_t action;
  std::size_t byte_136;
  std::uint8_t index_130;
};

const SwitchingCase kSwitchingTests[] = {
    {"FaultAlarm", 3, 21, 71},
    {"Limit1", 4, 22, 81},
    {"Limit2", 5, 23, 82},
};

class SwitchingTest : public test::DeviceFixture,
                      public ::testing::WithParamInterface<SwitchingCase> {};

TEST_P(SwitchingTest, SwitchesItsOutputOverTimeAndGivesItBack) {
  const SwitchingCase& c = GetParam();
  ASSERT_EQ(Data(132, {c.action}), (Bytes{c.action}));
  EXPECT_EQ(device_.OutputTestRunning(), c.action);
  EXPECT_EQ(Slice(136, 21, 3), (Bytes{c.action == 3, c.action == 4, c.action == 5}));
  EXPECT_EQ(Data(130, {c.index_130}), (Bytes{c.index_130, 0x01}));
  // Two-second phases: on, off, on, off, on, then the output's own state.
  struct Point {
    std::int64_t ms;  // since the start
    std::uint8_t state;
  };
  const Point along[] = {{1999, 1}, {2000, 0}, {3999, 0}, {4000, 1}, {6000, 0},
                         {8000, 1}, {9999, 1}, {10000, 0}};
  std::int64_t now = 0;
  for (const Point& p : along) {
    clock_.Advance(std::chrono::milliseconds(p.ms - now));
    now = p.ms;
    EXPECT_EQ(Slice(136, c.byte_136, 1), (Bytes{p.state})) << p.ms << " ms";
  }
  EXPECT_EQ(device_.OutputTestRunning(), 0);
  clock_.Advance(std::chrono::seconds(10));
  EXPECT_EQ(Slice(136, c.byte_136, 1), (Bytes{0x00}));
}

TEST_P(SwitchingTest, AnOutputThatWasOnIsSwitchedOffFirst) {
  const SwitchingCase& c = GetParam();
  Profile profile = test::DefaultProfile();
  profile.bytes[c.index_130] = 1;
  device_.Load(profile);
  ASSERT_EQ(Data(132, {c.action}), (Bytes{c.action}));
  EXPECT_EQ(Slice(136, c.byte_136, 1), (Bytes{0x00}));
  clock_.Advance(std::chrono::seconds(10));
  EXPECT_EQ(Slice(136, c.byte_136, 1), (Bytes{0x01}));
}

TEST_P(SwitchingTest, ItsStopGivesTheOutputBackAtOnce) {
  const SwitchingCase& c = GetParam();
  ASSERT_EQ(Data(132, {c.action}), (Bytes{c.action}));
  EXPECT_EQ(Data(133, {c.action}), (Bytes{c.action}));
  EXPECT_EQ(device_.OutputTestRunning(), 0);
  EXPECT_EQ(Slice(136, 21, 3), (Bytes{0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(Table, SwitchingTest, ::testing::ValuesIn(kSwitchingTests),
                         [](const auto& i) { return std::string(i.param.name); });

class ResetActions : public test::DeviceFixture {};

TEST_F(ResetActions, Action7ClearsTheTravelTotalAndItsLimitBit) {
  device_.SetStatusByte(2, 0x81);
  ASSERT_EQ(Data(132, {7}), (Bytes{7}));
  EXPECT_EQ(Slice(136, 25, 4), (Bytes{0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Data(48), (Bytes{0x00, 0x00, 0x80, 0x00}));
}

TEST_F(ResetActions, Action10ClearsTheControlLoopFault) {
  device_.SetStatusByte(0, 0x21);
  ASSERT_EQ(Data(132, {10}), (Bytes{10}));
  EXPECT_EQ(Data(48), (Bytes{0x01, 0x00, 0x00, 0x00}));
}

TEST_F(ResetActions, ColdStartIsReportedOnceAfterItsAnswer) {
  EXPECT_EQ(Send(132, {254}).device_status, 0x40);  // the answer goes before the restart
  EXPECT_EQ(Send(0).device_status, 0x60);
  EXPECT_EQ(Send(0).device_status, 0x40);
}

TEST_F(ResetActions, ColdStartResetsWhatTheDeviceFindsAgainAfterARestart) {
  device_.SetStatusByte(0, 0x21);
  device_.SetStatusByte(1, 0x31);
  device_.SetStatusByte(2, 0x81);
  device_.SetStatusByte(3, 0x04);
  DynamicValues values = device_.Memory().dynamic;
  values.operating_state = 4;
  values.total_travel = 1234.0f;
  device_.SetDynamicValues(values);
  ASSERT_EQ(Data(132, {3}), (Bytes{3}));
  ASSERT_EQ(Data(132, {254}), (Bytes{254}));
  EXPECT_EQ(Data(48), (Bytes{0x00, 0x01, 0x80, 0x00}));
  EXPECT_EQ(Slice(136, 21, 8), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(device_.OutputTestRunning(), 0);
}

TEST_F(ResetActions, ColdStartFromTheProfileIsReportedOnce) {
  Profile profile = test::DefaultProfile();
  profile.device_status = 0x20;
  device_.Load(profile);
  EXPECT_EQ(Send(0).device_status, 0x20);
  EXPECT_EQ(Send(0).device_status, 0x00);
}

class Characteristic : public test::DeviceFixture {};

TEST_F(Characteristic, TransferIsBracketedByActions11And12) {
  EXPECT_FALSE(device_.CharacteristicTransferOpen());
  ASSERT_EQ(Data(132, {11}), (Bytes{11}));
  EXPECT_TRUE(device_.CharacteristicTransferOpen());
  ASSERT_EQ(Data(129, {25, 0x41, 0xA0, 0x00, 0x00}).size(), 5u);  // x1 20.0
  ASSERT_EQ(Data(132, {12}), (Bytes{12}));
  EXPECT_FALSE(device_.CharacteristicTransferOpen());
  EXPECT_EQ(Data(48), (Bytes{0x00, 0x00, 0x00, 0x00}));
}

TEST_F(Characteristic, PointsThatDoNotRiseAreFlaggedAtTheEnd) {
  ASSERT_EQ(Data(132, {11}), (Bytes{11}));
  ASSERT_EQ(Data(129, {25, 0x00, 0x00, 0x00, 0x00}).size(), 5u);  // x1 0.0 = x0
  EXPECT_EQ(Data(48), (Bytes{0x00, 0x00, 0x00, 0x00}));           // judged at the end only
  ASSERT_EQ(Data(132, {12}), (Bytes{12}));
  const runtime::HartResponse status = Send(48);
  EXPECT_EQ(status.data, (Bytes{0x00, 0x00, 0x80, 0x00}));
  EXPECT_EQ(status.device_status, 0x50);
  // Repaired and sent again: the flag goes.
  ASSERT_EQ(Data(132, {11}), (Bytes{11}));
  ASSERT_EQ(Data(129, {25, 0x41, 0x8D, 0x99, 0x9A}).size(), 5u);  // 17.7
  ASSERT_EQ(Data(132, {12}), (Bytes{12}));
  EXPECT_EQ(Data(48), (Bytes{0x00, 0x00, 0x00, 0x00}));
}

TEST_F(Characteristic, FallingTravelIsFlagged) {
  ASSERT_EQ(Data(132, {11}), (Bytes{11}));
  ASSERT_EQ(Data(129, {45, 0x42, 0xAE, 0x00, 0x00}).size(), 5u);  // y10 87.0 < y9 87.9
  ASSERT_EQ(Data(132, {12}), (Bytes{12}));
  EXPECT_EQ(Slice(48, 2, 1), (Bytes{0x80}));
}

// The timed actions: what command 134 and status byte 1 show along the way.
struct Moment {
  loop::Clock::Duration at;  // after the start
  std::uint8_t state;        // command 134
  std::uint8_t status1;      // command 48, byte 1
};

class TimedAction : public test::DeviceFixture {
 protected:
  void ExpectAlong(std::uint8_t action, const std::vector<Moment>& moments) {
    const loop::Clock::TimePoint start = clock_.Now();
    ASSERT_EQ(Data(132, {action}), (Bytes{action}));
    for (const Moment& moment : moments) {
      clock_.Advance(start + moment.at - clock_.Now());
      const auto ms = std::chrono::duration_cast<milliseconds>(moment.at).count();
      EXPECT_EQ(Data(134, {0}), (Bytes{moment.state})) << "at " << ms << " ms";
      EXPECT_EQ(Slice(48, 1, 1), (Bytes{moment.status1})) << "at " << ms << " ms";
    }
  }
};

TEST_F(TimedAction, ZeroCalibrationRunsFiveSeconds) {
  ExpectAlong(1, {{seconds(0), 1, 0x08},
                  {milliseconds(4999), 1, 0x08},
                  {seconds(5), 254, 0x00},
                  {seconds(60), 254, 0x00}});
}

TEST_F(TimedAction, InitialisationPassesThreePhases) {
  ExpectAlong(2, {{seconds(0), 17, 0x02},
                  {milliseconds(4999), 17, 0x02},
                  {seconds(5), 18, 0x02},
                  {seconds(10), 19, 0x02},
                  {milliseconds(14999), 19, 0x02},
                  {seconds(15), 254, 0x00}});
}

TEST_F(TimedAction, RunningActionSetsTheMoreStatusBit) {
  ASSERT_EQ(Data(132, {1}), (Bytes{1}));
  EXPECT_EQ(Send(0).device_status, 0x50);
  clock_.Advance(seconds(5));
  EXPECT_EQ(Send(0).device_status, 0x40);
}

TEST_F(TimedAction, InitialisationOfANewDeviceClearsNotInitialised) {
  Profile profile = test::DefaultProfile();
  profile.status[1] = 0x01;
  profile.bytes[98] = 0;
  profile.action_state = 0;
  device_.Load(profile);
  EXPECT_EQ(Data(134, {0}), (Bytes{0}));
  ExpectAlong(2, {{seconds(0), 17, 0x03}, {seconds(15), 254, 0x00}});
  EXPECT_EQ(Data(130, {98}), (Bytes{0x62, 0xFE}));  // no warnings
}

TEST_F(TimedAction, FailedInitialisationEndsWithItsErrorState) {
  device_.FailNextAction(4);  // mechanics or pneumatics faulty
  ExpectAlong(2, {{seconds(10), 19, 0x02}, {seconds(15), 4, 0x04}});
  ExpectAlong(2, {{seconds(0), 17, 0x02}, {seconds(15), 254, 0x00}});  // the next one succeeds
}

TEST_F(TimedAction, FailedZeroCalibrationSetsTheZeroPointError) {
  device_.FailNextAction(30);
  ExpectAlong(1, {{seconds(5), 30, 0x10}});
}

TEST_F(TimedAction, TimingIsTheDevicesOption) {
  SimDevice quick(clock_, test::DefaultProfile(), {seconds(1), milliseconds(200)});
  ASSERT_EQ(quick.Handle({132, {2}}).response_code, 0);
  clock_.Advance(milliseconds(400));
  EXPECT_EQ(quick.Handle({134, {0}}).data, (Bytes{19}));
  clock_.Advance(milliseconds(200));
  EXPECT_EQ(quick.Handle({134, {0}}).data, (Bytes{254}));
}

TEST_F(TimedAction, SecondTimedActionIsRefusedWhileOneRuns) {
  ASSERT_EQ(Data(132, {2}), (Bytes{2}));
  EXPECT_EQ(Code(132, {1}), 16);
  EXPECT_EQ(Code(132, {2}), 16);
  EXPECT_EQ(Data(132, {7}), (Bytes{7}));  // other actions go on
  clock_.Advance(seconds(15));
  EXPECT_EQ(Data(132, {1}), (Bytes{1}));
}

TEST_F(TimedAction, AbortStopsTheRunningAction) {
  ASSERT_EQ(Data(132, {2}), (Bytes{2}));
  clock_.Advance(seconds(7));
  EXPECT_EQ(Data(133, {0}), (Bytes{0}));
  EXPECT_EQ(Data(134, {0}), (Bytes{2}));
  EXPECT_EQ(Slice(48, 1, 1), (Bytes{0x20}));
  clock_.Advance(seconds(60));
  EXPECT_EQ(Data(134, {0}), (Bytes{2}));
  EXPECT_FALSE(device_.ActionRunning());
  ExpectAlong(1, {{seconds(0), 1, 0x08}});  // a new start clears the aborted bit
}

TEST_F(TimedAction, AbortNamesTheActionItStops) {
  ASSERT_EQ(Data(132, {1}), (Bytes{1}));
  EXPECT_EQ(Data(133, {2}), (Bytes{2}));  // the initialisation does not run
  EXPECT_EQ(Data(134, {0}), (Bytes{1}));
  EXPECT_EQ(Data(133, {1}), (Bytes{1}));
  EXPECT_EQ(Data(134, {0}), (Bytes{2}));
}

TEST_F(TimedAction, AbortWithoutRunningActionChangesNothing) {
  EXPECT_EQ(Data(133, {0}), (Bytes{0}));
  EXPECT_EQ(Data(134, {0}), (Bytes{254}));
  EXPECT_EQ(Slice(48, 1, 1), (Bytes{0x00}));
  EXPECT_EQ(Code(133, {7}), 2);
}

TEST_F(TimedAction, ColdStartEndsTheRunningAction) {
  ASSERT_EQ(Data(132, {1}), (Bytes{1}));
  ASSERT_EQ(Data(132, {254}), (Bytes{254}));
  EXPECT_EQ(Data(134, {0}), (Bytes{0}));
  EXPECT_EQ(Slice(48, 1, 1), (Bytes{0x00}));
  EXPECT_FALSE(device_.ActionRunning());
}

TEST_F(TimedAction, StateQueryTakesTheActionsIndexOrZero) {
  ASSERT_EQ(Data(132, {2}), (Bytes{2}));
  EXPECT_EQ(Data(134, {0}), (Bytes{17}));
  EXPECT_EQ(Data(134, {1}), (Bytes{17}));
  EXPECT_EQ(Data(134, {2}), (Bytes{17}));
  EXPECT_EQ(Code(134, {3}), 2);
  EXPECT_EQ(Code(134), 5);
}

TEST_F(TimedAction, QueriesFollowTheClockWithoutARequest) {
  ASSERT_EQ(Data(132, {1}), (Bytes{1}));
  EXPECT_TRUE(device_.ActionRunning());
  EXPECT_EQ(device_.ActionState(), 1);
  clock_.Advance(seconds(5));
  EXPECT_FALSE(device_.ActionRunning());
  EXPECT_EQ(device_.ActionState(), 254);
  EXPECT_EQ(device_.DeviceStatus(), 0x40);
}

}  // namespace
}  // namespace dtm::device
