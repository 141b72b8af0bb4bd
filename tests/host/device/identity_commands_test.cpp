// Universal commands and the identification texts, answered from the
// shipped default profile.

#include <gtest/gtest.h>

#include "tests/host/device/device_fixture.h"

namespace dtm::device {
namespace {

using test::Bytes;
using test::Concat;
using test::kPackedDashes24;
using test::kPackedNewText24;

const Bytes kPackedTag = {0xD3, 0x6C, 0xB5, 0x7F, 0x18, 0x20};  // "4625_1"
const Bytes kPackedDescriptor = {0x30, 0x93, 0x85, 0x05, 0x28, 0x16,
                                 0x04, 0xC5, 0x85, 0x82, 0x08, 0x20};  // "LINEAR VALVE"
const Bytes kDate = {0x0C, 0x05, 0x7D};                                // 12.05.2025

class ReadCommands : public test::DeviceFixture {};

TEST_F(ReadCommands, Command0GivesTheIdentity) {
  const runtime::HartResponse response = Send(0);
  EXPECT_EQ(response.command, 0);
  EXPECT_EQ(response.response_code, 0);
  EXPECT_EQ(response.device_status, 0);
  EXPECT_EQ(response.comm_status, 0);
  EXPECT_EQ(response.data, (Bytes{0xFE, 0xA5, 0x46, 0x05, 0x05, 0x01, 0x03, 0x01, 0x00, 0x01, 0xE2,
                                  0x40}));  // device id 123456
}

TEST_F(ReadCommands, Command1GivesThePositionInPercent) {
  EXPECT_EQ(Data(1), (Bytes{0x39, 0x42, 0x47, 0x33, 0x33}));  // 57, 49.8
}

TEST_F(ReadCommands, Command12GivesTheMessage) {
  // "SIMULATED POSITIONER 4625", packed.
  EXPECT_EQ(Data(12),
            (Bytes{0x4C, 0x93, 0x55, 0x30, 0x15, 0x05, 0x12, 0x04, 0x0F, 0x4C, 0x95, 0x09,
                   0x3C, 0xE1, 0x52, 0x83, 0x4D, 0xB2, 0xD6, 0x08, 0x20, 0x82, 0x08, 0x20}));
}

TEST_F(ReadCommands, Command13GivesTagDescriptorAndDate) {
  EXPECT_EQ(Data(13), Concat({kPackedTag, kPackedDescriptor, kDate}));
}

TEST_F(ReadCommands, Command15GivesTheRangeAndTheWriteProtection) {
  const Bytes unprotected = {0x00, 0x00, 0x39, 0x42, 0xC8, 0x00, 0x00, 0x00, 0x00,
                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA5};
  EXPECT_EQ(Data(15), unprotected);
  device_.SetWriteProtected(true);
  EXPECT_EQ(Slice(15, 15, 1), (Bytes{0x01}));
}

TEST_F(ReadCommands, Command16GivesTheFinalAssemblyNumber) {
  EXPECT_EQ(Data(16), (Bytes{0x00, 0x00, 0x00}));
}

TEST_F(ReadCommands, Command135GivesTheProductNumber) {
  // "4625-0001", packed into 12 bytes.
  EXPECT_EQ(Data(135),
            (Bytes{0xD3, 0x6C, 0xB5, 0xB7, 0x0C, 0x30, 0xC6, 0x08, 0x20, 0x82, 0x08, 0x20}));
}

TEST_F(ReadCommands, Command138GivesTheTextAfterItsNumber) {
  const Bytes butterfly = {0x58, 0x53, 0x04, 0x05, 0x28, 0x02, 0x55, 0x45, 0x05, 0x48, 0x63, 0x19,
                           0x81, 0x60, 0x4C, 0x58, 0x58, 0x05, 0x46, 0xE8, 0x10, 0x15, 0x20, 0xEE};
  EXPECT_EQ(Data(138, {4}), Concat({{0x04}, butterfly}));
  EXPECT_EQ(Data(138, {0}), Concat({{0x00}, kPackedDashes24}));
  EXPECT_EQ(Code(138, {5}), 2);
}

class WriteCommands : public test::DeviceFixture {};

TEST_F(WriteCommands, Command6EchoesAndKeepsTheAddress) {
  EXPECT_EQ(Data(6, {3}), (Bytes{0x03}));
  EXPECT_EQ(device_.Memory().polling_address, 3);
  EXPECT_EQ(Code(6, {16}), 2);  // 0..15 only
  EXPECT_EQ(device_.Memory().polling_address, 3);
}

TEST_F(WriteCommands, Command17EchoesAndCommand12ReadsItBack) {
  EXPECT_EQ(Data(17, kPackedNewText24), kPackedNewText24);
  EXPECT_EQ(Data(12), kPackedNewText24);
  EXPECT_EQ(device_.Memory().message, "NEW TEXT");
}

TEST_F(WriteCommands, Command18EchoesAndCommand13ReadsItBack) {
  const Bytes tag = {0x51, 0x6B, 0x71, 0xC3, 0x18, 0x20};  // "TV-101"
  const Bytes descriptor = {0x18, 0x51, 0x44, 0x81, 0x05, 0x4D,
                            0x42, 0x08, 0x20, 0x82, 0x08, 0x20};  // "FEED PUMP"
  const Bytes date = {0x01, 0x02, 0x7C};                          // 01.02.2024
  const Bytes request = Concat({tag, descriptor, date});
  EXPECT_EQ(Data(18, request), request);
  EXPECT_EQ(Data(13), request);
  const Profile memory = device_.Memory();
  EXPECT_EQ(memory.tag, "TV-101");
  EXPECT_EQ(memory.descriptor, "FEED PUMP");
  EXPECT_EQ(memory.date, (wire::Date{1, 2, 2024}));
}

TEST_F(WriteCommands, Command18RefusesADateThatIsNone) {
  const Bytes request = Concat({kPackedTag, kPackedDescriptor, {0x1F, 0x02, 0x7D}});  // 31.02.
  const runtime::HartResponse response = Send(18, request);
  EXPECT_EQ(response.response_code, 9);
  EXPECT_TRUE(response.data.empty());
  EXPECT_EQ(Data(13), Concat({kPackedTag, kPackedDescriptor, kDate}));
}

TEST_F(WriteCommands, Command19EchoesAndCommand16ReadsItBack) {
  EXPECT_EQ(Data(19, {0x12, 0x34, 0x56}), (Bytes{0x12, 0x34, 0x56}));
  EXPECT_EQ(Data(16), (Bytes{0x12, 0x34, 0x56}));
  EXPECT_EQ(device_.Memory().final_assembly_number, 0x123456u);
}

TEST_F(WriteCommands, Command139EchoesAndCommand138ReadsItBack) {
  const Bytes request = Concat({{0x02}, kPackedNewText24});
  EXPECT_EQ(Data(139, request), request);
  EXPECT_EQ(Data(138, {2}), request);
  EXPECT_EQ(Data(138, {1}), Concat({{0x01}, kPackedDashes24}));  // the others stay
  EXPECT_EQ(Code(139, Concat({{0x05}, kPackedNewText24})), 2);
}

TEST_F(WriteCommands, ExtraRequestBytesAreIgnored) {
  EXPECT_EQ(Data(6, {4, 0xFF}), (Bytes{0x04}));
  EXPECT_EQ(Data(19, {0x00, 0x00, 0x07, 0x99}), (Bytes{0x00, 0x00, 0x07}));
}

class ConfigurationChangedBit : public test::DeviceFixture {};

TEST_F(ConfigurationChangedBit, IsSetByAWriteAndClearedByCommand38) {
  EXPECT_EQ(Send(0).device_status, 0x00);
  EXPECT_EQ(Send(19, {0, 0, 1}).device_status, 0x40);  // in the write's own answer
  EXPECT_EQ(Send(0).device_status, 0x40);              // and it stays
  const runtime::HartResponse reset = Send(38);
  EXPECT_EQ(reset.response_code, 0);
  EXPECT_TRUE(reset.data.empty());
  EXPECT_EQ(reset.device_status, 0x00);
  EXPECT_EQ(Send(0).device_status, 0x00);
}

TEST_F(ConfigurationChangedBit, IsNotSetByARefusedWrite) {
  EXPECT_EQ(Send(6, {16}).device_status, 0x00);
  EXPECT_EQ(Send(129, {10, 0x43, 0x80, 0x00, 0x00}).device_status, 0x00);  // 256 mm: too large
  EXPECT_EQ(Send(0).device_status, 0x00);
}

struct WriteCase {
  const char* name;
  std::uint8_t command;
  Bytes request;
};

const WriteCase kAcceptedWrites[] = {
    {"PollingAddress", 6, {0}},
    {"Message", 17, kPackedNewText24},
    {"TagDescriptorDate", 18, Concat({kPackedTag, kPackedDescriptor, kDate})},
    {"FinalAssemblyNumber", 19, {0, 0, 1}},
    {"FloatParameter", 129, {10, 0x41, 0x70, 0x00, 0x00}},
    {"ByteParameter", 131, {72, 1}},
    {"Action", 132, {6}},
    {"Abort", 133, {0}},
    {"Text", 139, Concat({{0x00}, kPackedNewText24})},
};

class EveryAcceptedWrite : public test::DeviceFixture,
                           public ::testing::WithParamInterface<WriteCase> {};

TEST_P(EveryAcceptedWrite, SetsTheConfigurationChangedBit) {
  const runtime::HartResponse response = Send(GetParam().command, GetParam().request);
  EXPECT_EQ(response.response_code, 0);
  EXPECT_EQ(response.device_status, 0x40);
}

INSTANTIATE_TEST_SUITE_P(Table, EveryAcceptedWrite, ::testing::ValuesIn(kAcceptedWrites),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::device
