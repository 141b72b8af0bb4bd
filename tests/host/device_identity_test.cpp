// The simulated device's identity as the DTM meets it: the channel answers
// the connect with the codes of the device attached to it, and the DTM asks
// before it works with a device of another type.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "host/device/attach.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

constexpr std::int32_t kYes = 6;
constexpr std::int32_t kNo = 7;

class DeviceIdentityAtConnect : public DtmFixture {
 protected:
  // An English DTM instance on the channel, with `profile`'s device behind it.
  void Attach(const device::Profile& profile) {
    SetUpInstance();
    ASSERT_TRUE(dtm_->IDtm_SetLanguage(0x0409));
    device_.emplace(clock_, profile);
    device::AttachDevice(*channel_, *device_);
    ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
    messages_.entries.clear();
  }

  // Connects as a process would and runs the loop until the answer is in.
  void Connect() {
    ASSERT_TRUE(Context().CommMan().Connect("connect-1"));
    loop_.RunUntilIdle();
  }

  std::optional<device::SimDevice> device_;
};

TEST_F(DeviceIdentityAtConnect, ShippedDefaultProfileConnectsWithoutAQuestion) {
  Attach(device::LoadProfile(InstallFolder() / "profiles" / "default.xml"));
  Connect();
  EXPECT_TRUE(messages_.entries.empty());
  EXPECT_TRUE(Context().CommMan().IsConnected());
  EXPECT_EQ(Context().CommObject()->ManufacturerCode(), 165);
  EXPECT_EQ(Context().CommObject()->DeviceTypeCode(), 70);
}

TEST_F(DeviceIdentityAtConnect, FactoryProfileIsTheSupportedDevice) {
  Attach(device::Profile{});
  Connect();
  EXPECT_TRUE(messages_.entries.empty());
  EXPECT_TRUE(Context().CommMan().IsConnected());
}

// The codes come from the device, and the answer decides the connection.
struct ForeignCase {
  const char* name;
  const char* identity;  // attributes of the profile's <Identity>
  std::int32_t answer;
  const char* question;
  bool connected;
};

const ForeignCase kForeignCases[] = {
    {"OtherMakerDeclined", R"(manufacturerCode="17" deviceTypeCode="4")", kNo,
     "The connected device has manufacturer code 17 and device type code 4; it is no 4625 "
     "positioner. Continue anyway?",
     false},
    {"OtherMakerAccepted", R"(manufacturerCode="17" deviceTypeCode="4")", kYes,
     "The connected device has manufacturer code 17 and device type code 4; it is no 4625 "
     "positioner. Continue anyway?",
     true},
    {"OtherTypeDeclined", R"(deviceTypeCode="71")", kNo,
     "The connected device has manufacturer code 165 and device type code 71; it is no 4625 "
     "positioner. Continue anyway?",
     false},
    {"OtherMakerOnlyAccepted", R"(manufacturerCode="38")", kYes,
     "The connected device has manufacturer code 38 and device type code 70; it is no 4625 "
     "positioner. Continue anyway?",
     true},
};

class ForeignDeviceAtConnect : public DeviceIdentityAtConnect,
                               public ::testing::WithParamInterface<ForeignCase> {};

TEST_P(ForeignDeviceAtConnect, RaisesTheDeviceTypeQuestion) {
  const ForeignCase& c = GetParam();
  Attach(device::ParseProfile(
      std::string(R"(<DeviceProfile version="1"><Identity )") + c.identity + "/></DeviceProfile>",
      "foreign.xml"));
  messages_.answers = {c.answer};
  Connect();
  ASSERT_EQ(messages_.entries.size(), 1u);
  EXPECT_EQ(messages_.entries[0].kind, runtime::RecordingMessageSink::Entry::kBox);
  EXPECT_EQ(messages_.entries[0].style, 20);
  EXPECT_EQ(messages_.entries[0].text, c.question);
  EXPECT_EQ(Context().CommMan().IsConnected(), c.connected);
  EXPECT_EQ(channel_->Connected(), c.connected);  // a declined device's line is freed
}

INSTANTIATE_TEST_SUITE_P(Table, ForeignDeviceAtConnect, ::testing::ValuesIn(kForeignCases),
                         [](const auto& i) { return std::string(i.param.name); });

// A device switched on again with another memory is asked for its codes
// at the next connect.
TEST_F(DeviceIdentityAtConnect, CodesAreTheDevicesAtEachConnect) {
  Attach(device::Profile{});
  Connect();
  ASSERT_TRUE(messages_.entries.empty());
  ASSERT_TRUE(Context().CommMan().Disconnect());
  loop_.RunUntilIdle();

  device::Profile other;
  other.identity.device_type_code = 12;
  device_->Load(other);
  messages_.answers = {kNo};
  Connect();
  ASSERT_EQ(messages_.entries.size(), 1u);
  EXPECT_NE(messages_.entries[0].text.find("device type code 12;"), std::string::npos);
  EXPECT_FALSE(Context().CommMan().IsConnected());
}

}  // namespace
}  // namespace dtm::testing
