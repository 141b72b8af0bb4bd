// Faults the device can be made to show, and the refusals it answers by
// itself.

#include <gtest/gtest.h>

#include <chrono>

#include "tests/host/device/device_fixture.h"

namespace dtm::device {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using test::Bytes;
using test::Concat;
using test::kPackedNewText24;

const Bytes kIdentity = {0xFE, 0xA5, 0x46, 0x05, 0x05, 0x01, 0x03, 0x01, 0x00, 0x01, 0xE2, 0x40};
const Bytes kWrite10To12p5 = {10, 0x41, 0x48, 0x00, 0x00};
const Bytes kRecord10Is15 = {0x0A, 0x41, 0x70, 0x00, 0x00};

class BusyDevice : public test::DeviceFixture {};

TEST_F(BusyDevice, AnswersBusyForTheNumberOfReplies) {
  device_.InjectBusy(2);
  for (int i = 0; i < 2; ++i) {
    const runtime::HartResponse response = Send(129, kWrite10To12p5);
    EXPECT_EQ(response.response_code, 32);
    EXPECT_TRUE(response.data.empty());
    EXPECT_EQ(response.device_status, 0x00);
  }
  EXPECT_EQ(Data(128, {10}), kRecord10Is15);  // the busy writes were not carried out
  EXPECT_EQ(Data(129, kWrite10To12p5), (Bytes{0x0A, 0x41, 0x48, 0x00, 0x00}));
}

TEST_F(BusyDevice, CanSetTheHighBit) {
  device_.InjectBusy(1, 0xA0);
  EXPECT_EQ(Code(0), 0xA0);
  EXPECT_EQ(Code(0), 0);
}

TEST_F(BusyDevice, StaysBusyForASpellOfClockTime) {
  device_.InjectBusyFor(seconds(3));
  EXPECT_EQ(Code(0), 32);
  clock_.Advance(milliseconds(2999));
  EXPECT_EQ(Code(0), 32);
  clock_.Advance(milliseconds(1));
  EXPECT_EQ(Data(0), kIdentity);
}

TEST_F(BusyDevice, UntilClearedAndThenNoMore) {
  device_.InjectBusy(SimDevice::kUntilCleared);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Code(0), 32);
  device_.ClearFaults();
  EXPECT_EQ(Code(0), 0);
}

class WriteProtection : public test::DeviceFixture {};

struct WriteCase {
  const char* name;
  std::uint8_t command;
  Bytes request;
};

const WriteCase kWrites[] = {
    {"PollingAddress", 6, {1}},
    {"Message", 17, kPackedNewText24},
    {"TagDescriptorDate", 18, Concat({Bytes(18, 0x82), {0x01, 0x01, 0x64}})},
    {"FinalAssemblyNumber", 19, {0, 0, 1}},
    {"ResetConfigurationChanged", 38, {}},
    {"FloatParameter", 129, kWrite10To12p5},
    {"ByteParameter", 131, {72, 1}},
    {"Action", 132, {7}},
    {"Abort", 133, {0}},
    {"Text", 139, Concat({{0x00}, kPackedNewText24})},
};

class ProtectedWrite : public test::DeviceFixture,
                       public ::testing::WithParamInterface<WriteCase> {};

TEST_P(ProtectedWrite, IsRefusedWithCode7AndChangesNothing) {
  device_.SetWriteProtected(true);
  const Profile before = device_.Memory();
  const runtime::HartResponse response = Send(GetParam().command, GetParam().request);
  EXPECT_EQ(response.response_code, 7);
  EXPECT_TRUE(response.data.empty());
  EXPECT_EQ(device_.Memory(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, ProtectedWrite, ::testing::ValuesIn(kWrites),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(WriteProtection, ReadsAndStatusQueriesStillWork) {
  device_.SetWriteProtected(true);
  EXPECT_EQ(Data(0), kIdentity);
  EXPECT_EQ(Data(128, {10}), kRecord10Is15);
  EXPECT_EQ(Data(48, {0}), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Data(134, {0}), (Bytes{254}));
}

TEST_F(WriteProtection, ComesFromTheProfile) {
  Profile profile = test::DefaultProfile();
  profile.write_protect = true;
  device_.Load(profile);
  EXPECT_EQ(Slice(15, 15, 1), (Bytes{0x01}));
  EXPECT_EQ(Code(129, kWrite10To12p5), 7);
  device_.SetWriteProtected(false);
  EXPECT_EQ(Code(129, kWrite10To12p5), 0);
}

struct CodeCase {
  const char* name;
  std::uint8_t command;
  Bytes request;
  std::uint8_t code;
};

const CodeCase kRefusals[] = {
    {"Command2", 2, {}, 64},
    {"Command3", 3, {}, 64},
    {"Command14", 14, {}, 64},
    {"Command40", 40, {}, 64},
    {"Command137", 137, {}, 64},
    {"Command255", 255, {}, 64},
    {"AddressMissing", 6, {}, 5},
    {"MessageOneByteShort", 17, Bytes(23, 0x82), 5},
    {"TagDescriptorDateOneByteShort", 18, Bytes(20, 0x82), 5},
    {"FinalAssemblyNumberTwoBytes", 19, {0, 1}, 5},
    {"FloatReadWithoutIndex", 128, {}, 5},
    {"FloatWriteWithoutValue", 129, {10}, 5},
    {"ByteReadWithoutIndex", 130, {}, 5},
    {"ByteWriteWithoutValue", 131, {72}, 5},
    {"ActionMissing", 132, {}, 5},
    {"AbortMissing", 133, {}, 5},
    {"StateIndexMissing", 134, {}, 5},
    {"TextNumberMissing", 138, {}, 5},
    {"TextOneByteShort", 139, Concat({{0x00}, Bytes(23, 0x82)}), 5},
};

class Refusal : public test::DeviceFixture, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(Refusal, AnswersTheCodeWithoutData) {
  const runtime::HartResponse response = Send(GetParam().command, GetParam().request);
  EXPECT_EQ(response.command, GetParam().command);
  EXPECT_EQ(response.response_code, GetParam().code);
  EXPECT_TRUE(response.data.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, Refusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& i) { return std::string(i.param.name); });

class ForcedCode : public test::DeviceFixture {};

TEST_F(ForcedCode, ReplacesTheAnswerOfOneCommandOnce) {
  device_.ForceResponseCode(128, 6);
  EXPECT_EQ(Data(0), kIdentity);  // other commands answer as ever
  const runtime::HartResponse forced = Send(128, {10});
  EXPECT_EQ(forced.response_code, 6);
  EXPECT_TRUE(forced.data.empty());
  EXPECT_EQ(Data(128, {10}), kRecord10Is15);
}

TEST_F(ForcedCode, WithoutExecuteTheRequestIsNotCarriedOut) {
  device_.ForceResponseCode(129, 16);
  EXPECT_EQ(Code(129, kWrite10To12p5), 16);
  EXPECT_EQ(Data(128, {10}), kRecord10Is15);
}

TEST_F(ForcedCode, WithExecuteTheDataComeWithTheCode) {
  device_.ForceResponseCode(129, 8, 1, true);  // a warning
  const runtime::HartResponse response = Send(129, kWrite10To12p5);
  EXPECT_EQ(response.response_code, 8);
  EXPECT_EQ(response.data, (Bytes{0x0A, 0x41, 0x48, 0x00, 0x00}));
  EXPECT_EQ(Data(128, {10}), (Bytes{0x0A, 0x41, 0x48, 0x00, 0x00}));
}

TEST_F(ForcedCode, CountsItsReplies) {
  device_.ForceResponseCode(13, 16, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Code(13), 16);
  EXPECT_EQ(Code(13), 0);
}

class NoResponse : public test::DeviceFixture {};

TEST_F(NoResponse, AnswerHasNoResponseCode) {
  device_.InjectNoResponse(1);
  const runtime::HartResponse response = Send(129, kWrite10To12p5);
  EXPECT_EQ(response.command, 129);
  EXPECT_EQ(response.response_code, std::nullopt);
  EXPECT_TRUE(response.data.empty());
  EXPECT_EQ(Data(128, {10}), kRecord10Is15);  // the device never got the write
}

TEST_F(NoResponse, CanBeLimitedToOneCommand) {
  device_.InjectNoResponse(SimDevice::kUntilCleared, 136);
  EXPECT_EQ(Code(136), std::nullopt);
  EXPECT_EQ(Code(0), 0);
  EXPECT_EQ(Code(136), std::nullopt);
}

TEST_F(NoResponse, KeepsTheColdStartForTheNextAnswer) {
  ASSERT_EQ(Data(132, {254}), (Bytes{254}));
  device_.InjectNoResponse(1);
  EXPECT_EQ(Code(0), std::nullopt);
  EXPECT_EQ(Send(0).device_status, 0x60);
}

class ShortResponse : public test::DeviceFixture {};

TEST_F(ShortResponse, DropsTheLastBytes) {
  device_.InjectShortResponse(136, 4);
  const runtime::HartResponse response = Send(136);
  EXPECT_EQ(response.response_code, 0);
  EXPECT_EQ(response.data.size(), 25u);
  EXPECT_EQ(Slice(136, 21, 8), (Bytes{0x00, 0x00, 0x00, 0x00, 0x47, 0x3C, 0x52, 0x00}));
}

TEST_F(ShortResponse, OfARecordRead) {
  device_.InjectShortResponse(128, 1);
  EXPECT_EQ(Data(128, {10}), (Bytes{0x0A, 0x41, 0x70, 0x00}));
}

TEST_F(ShortResponse, MoreThanTheDataLeavesNone) {
  device_.InjectShortResponse(0, 40);
  EXPECT_EQ(Data(0), Bytes{});
  EXPECT_EQ(Data(0), kIdentity);
}

class LineBreak : public test::DeviceFixture {};

TEST_F(LineBreak, HitsTheNextRequestOfItsCommand) {
  device_.InjectLineBreak(128);
  EXPECT_EQ(Data(0), kIdentity);
  EXPECT_FALSE(device_.TakeLineBreak());
  EXPECT_EQ(Code(128, {10}), std::nullopt);
  EXPECT_TRUE(device_.TakeLineBreak());
  EXPECT_FALSE(device_.TakeLineBreak());  // reported once
  EXPECT_EQ(Data(128, {10}), kRecord10Is15);
}

TEST_F(LineBreak, WithoutCommandHitsTheNextRequest) {
  device_.InjectLineBreak();
  EXPECT_EQ(Code(0), std::nullopt);
  EXPECT_TRUE(device_.TakeLineBreak());
}

class FaultOrder : public test::DeviceFixture {};

TEST_F(FaultOrder, BusyComesBeforeAForcedCodeAndKeepsIt) {
  device_.InjectBusy(1);
  device_.ForceResponseCode(0, 6);
  EXPECT_EQ(Code(0), 32);
  EXPECT_EQ(Code(0), 6);
  EXPECT_EQ(Code(0), 0);
}

TEST_F(FaultOrder, NoResponseComesBeforeBusy) {
  device_.InjectNoResponse(1);
  device_.InjectBusy(1);
  EXPECT_EQ(Code(0), std::nullopt);
  EXPECT_EQ(Code(0), 32);
}

TEST_F(FaultOrder, DeviceKeepsEveryRequestItGot) {
  device_.InjectNoResponse(1);
  Send(0);
  Send(128, {10, 11});
  EXPECT_EQ(device_.Received(), (std::vector<runtime::HartRequest>{{0, {}}, {128, {10, 11}}}));
}

}  // namespace
}  // namespace dtm::device
