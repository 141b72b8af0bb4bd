// Commands 128 to 131: the two parameter tables, read in records of index
// and value and written one parameter at a time.

#include <gtest/gtest.h>

#include "tests/host/device/device_fixture.h"

namespace dtm::device {
namespace {

using test::Bytes;

struct ReadCase {
  const char* name;
  Bytes request;
  Bytes answer;
};

// Values from the default profile; floats in IEEE 754, high byte first.
const ReadCase kFloatReads[] = {
    {"FourMembers", {46, 10, 11, 12}, {0x2E, 0x42, 0x28, 0x00, 0x00,    // 46 lever length 42.0
                                       0x0A, 0x41, 0x70, 0x00, 0x00,    // 10 rated travel 15.0
                                       0x0B, 0x00, 0x00, 0x00, 0x00,    // 11 lower travel 0.0
                                       0x0C, 0x41, 0x70, 0x00, 0x00}},  // 12 upper travel 15.0
    {"FillerRepeatsTheLastIndex", {61, 62, 63, 63}, {0x3D, 0x42, 0xB4, 0x00, 0x00,  // 90.0
                                                     0x3E, 0x00, 0x00, 0x00, 0x00,  // 0.0
                                                     0x3F, 0x42, 0x70, 0x00, 0x00,  // 60.0
                                                     0x3F, 0x42, 0x70, 0x00, 0x00}},
    {"SingleMember", {6}, {0x06, 0x40, 0x80, 0x00, 0x00}},  // manual w 4.0 mA
    {"GapBytesBeforeTheIndex",
     {0, 0, 26},
     {0x00, 0x00, 0x00, 0x00, 0x00,    // filler
      0x00, 0x00, 0x00, 0x00, 0x00,    // filler
      0x1A, 0x41, 0xFB, 0x33, 0x33}},  // x2 31.4
    {"UnknownIndexReadsZero",
     {200, 7},
     {0xC8, 0x00, 0x00, 0x00, 0x00,    // 200
      0x07, 0x00, 0x00, 0x00, 0x00}},  // 7
    {"IndexOfTheByteTableOnly", {72}, {0x48, 0x00, 0x00, 0x00, 0x00}},
    {"SameNumberInBothTables",
     {66, 69},
     {0x42, 0x42, 0xD1, 0x00, 0x00,                                             // max travel 104.5
      0x45, 0x40, 0x46, 0x66, 0x66}},                                           // revision 3.1
    {"AtMostFourRecords", {13, 14, 13, 14, 13}, {0x0D, 0x40, 0x80, 0x00, 0x00,  // w start 4.0 mA
                                                 0x0E, 0x41, 0xA0, 0x00, 0x00,  // w end 20.0 mA
                                                 0x0D, 0x40, 0x80, 0x00, 0x00,  // again
                                                 0x0E, 0x41, 0xA0, 0x00, 0x00}},  // and no fifth
};

class FloatRead : public test::DeviceFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(FloatRead, AnswersARecordForEveryIndexByte) {
  EXPECT_EQ(Data(128, GetParam().request), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Table, FloatRead, ::testing::ValuesIn(kFloatReads),
                         [](const auto& i) { return std::string(i.param.name); });

const ReadCase kByteReads[] = {
    {"FourMembers", {67, 72, 69, 84}, {0x43, 0x00, 0x48, 0x00, 0x45, 0x01, 0x54, 0x00}},
    {"ReadOnlyMembers", {66, 75, 74, 73}, {0x42, 0x00, 0x4B, 0x00, 0x4A, 0x00, 0x49, 0x01}},
    {"FillerRepeatsTheLastIndex",
     {85, 85, 85, 85},
     {0x55, 0x00, 0x55, 0x00, 0x55, 0x00, 0x55, 0x00}},
    {"GapByteBeforeTheIndex", {0, 70}, {0x00, 0x00, 0x46, 0x01}},
    {"InitialisationWarnings", {98}, {0x62, 0xFE}},
    {"IndexOfTheFloatTableOnly", {46}, {0x2E, 0x00}},
    {"OperatingMode", {83, 65, 65, 65}, {0x53, 0x00, 0x41, 0x00, 0x41, 0x00, 0x41, 0x00}},
};

class ByteRead : public test::DeviceFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ByteRead, AnswersARecordForEveryIndexByte) {
  EXPECT_EQ(Data(130, GetParam().request), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Table, ByteRead, ::testing::ValuesIn(kByteReads),
                         [](const auto& i) { return std::string(i.param.name); });

class ParameterWrite : public test::DeviceFixture {};

TEST_F(ParameterWrite, FloatEchoesAndReadsBack) {
  EXPECT_EQ(Data(129, {10, 0x41, 0x48, 0x00, 0x00}), (Bytes{0x0A, 0x41, 0x48, 0x00, 0x00}));
  EXPECT_EQ(Data(128, {46, 10}),
            (Bytes{0x2E, 0x42, 0x28, 0x00, 0x00, 0x0A, 0x41, 0x48, 0x00, 0x00}));
  EXPECT_EQ(device_.Memory().floats.at(10), 12.5f);
}

TEST_F(ParameterWrite, FloatTakesTheEdgesOfItsRange) {
  EXPECT_EQ(Data(129, {10, 0x43, 0x7F, 0xE6, 0x66}),
            (Bytes{0x0A, 0x43, 0x7F, 0xE6, 0x66}));  // 255.9
  EXPECT_EQ(Data(129, {15, 0xC0, 0x20, 0x00, 0x00}),
            (Bytes{0x0F, 0xC0, 0x20, 0x00, 0x00}));  // -2.5
}

TEST_F(ParameterWrite, FloatOfTheSameNumberAsAByteLeavesTheByte) {
  EXPECT_EQ(Data(129, {67, 0x40, 0x00, 0x00, 0x00}), (Bytes{0x43, 0x40, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Data(130, {67}), (Bytes{0x43, 0x00}));  // byte 67, the attachment, unchanged
}

TEST_F(ParameterWrite, ManualSetPointShowsInCommand136) {
  EXPECT_EQ(Data(129, {6, 0x40, 0xF0, 0x00, 0x00}), (Bytes{0x06, 0x40, 0xF0, 0x00, 0x00}));  // 7.5
  EXPECT_EQ(Data(128, {6}), (Bytes{0x06, 0x40, 0xF0, 0x00, 0x00}));
  EXPECT_EQ(Slice(136, 9, 4), (Bytes{0x40, 0xF0, 0x00, 0x00}));
}

TEST_F(ParameterWrite, ByteEchoesAndReadsBack) {
  EXPECT_EQ(Data(131, {72, 1}), (Bytes{0x48, 0x01}));
  EXPECT_EQ(Data(130, {67, 72}), (Bytes{0x43, 0x00, 0x48, 0x01}));
}

TEST_F(ParameterWrite, OperatingModeShowsInCommand136) {
  EXPECT_EQ(Data(131, {65, 1}), (Bytes{0x41, 0x01}));
  EXPECT_EQ(Slice(136, 4, 1), (Bytes{0x01}));
  EXPECT_EQ(Data(130, {65}), (Bytes{0x41, 0x01}));
}

struct RefusedCase {
  const char* name;
  std::uint8_t command;
  Bytes request;
  std::uint8_t code;
  std::uint8_t read_command;
  Bytes read_back;  // the parameter's record, unchanged
};

const RefusedCase kRefused[] = {
    {"FloatTooLarge", 129, {10, 0x43, 0x80, 0x00, 0x00}, 3, 128, {0x0A, 0x41, 0x70, 0x00, 0x00}},
    {"FloatTooSmall", 129, {17, 0xC1, 0xA8, 0x00, 0x00}, 4, 128, {0x11, 0x00, 0x00, 0x00, 0x00}},
    {"FloatJustAboveTheLimit",
     129,
     {21, 0x3F, 0x80, 0x00, 0x01},
     3,
     128,
     {0x15, 0x3D, 0xF5, 0xC2, 0x8F}},  // 0.12 stays; the range ends at 1.0
    {"FloatManualSetPointBelow3p8",
     129,
     {6, 0x40, 0x60, 0x00, 0x00},
     4,
     128,
     {0x06, 0x40, 0x80, 0x00, 0x00}},  // 3.5 mA
    {"FloatNotANumber", 129, {10, 0x7F, 0xC0, 0x00, 0x00}, 2, 128, {0x0A, 0x41, 0x70, 0x00, 0x00}},
    {"FloatInfinity", 129, {60, 0x7F, 0x80, 0x00, 0x00}, 3, 128, {0x3C, 0x49, 0x74, 0x24, 0x00}},
    {"FloatUnknownIndex", 129, {7, 0x3F, 0x80, 0x00, 0x00}, 2, 128, {0x07, 0x00, 0x00, 0x00, 0x00}},
    {"FloatReadOnly", 129, {66, 0x42, 0xC8, 0x00, 0x00}, 16, 128, {0x42, 0x42, 0xD1, 0x00, 0x00}},
    {"FloatTooFewBytes", 129, {10, 0x41, 0x48, 0x00}, 5, 128, {0x0A, 0x41, 0x70, 0x00, 0x00}},
    {"ByteAboveTheList", 131, {70, 5}, 3, 130, {0x46, 0x01}},
    {"ByteBelowTheList", 131, {70, 0}, 4, 130, {0x46, 0x01}},
    {"ByteInAGapOfTheList", 131, {69, 3}, 2, 130, {0x45, 0x01}},
    {"ByteOperatingModeThree", 131, {65, 3}, 3, 130, {0x41, 0x00}},
    {"ByteUnknownIndex", 131, {99, 0}, 2, 130, {0x63, 0x00}},
    {"ByteReadOnly", 131, {98, 0}, 16, 130, {0x62, 0xFE}},
    {"ByteLimitStateReadOnly", 131, {81, 1}, 16, 130, {0x51, 0x00}},
    {"ByteTooFewBytes", 131, {72}, 5, 130, {0x48, 0x00}},
};

class RefusedWrite : public test::DeviceFixture,
                     public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedWrite, AnswersTheCodeWithoutDataAndKeepsTheValue) {
  const runtime::HartResponse response = Send(GetParam().command, GetParam().request);
  EXPECT_EQ(response.response_code, GetParam().code);
  EXPECT_TRUE(response.data.empty());
  EXPECT_EQ(Data(GetParam().read_command, {GetParam().request[0]}), GetParam().read_back);
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedWrite, ::testing::ValuesIn(kRefused),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ParameterWrite, ReadsNeedAnIndexByte) {
  EXPECT_EQ(Code(128), 5);
  EXPECT_EQ(Code(130), 5);
}

}  // namespace
}  // namespace dtm::device
