#pragma once
// One DTM instance created through the library's class object, on fake
// surroundings: virtual clock and loop, recorded message boxes, in-memory
// registry, the frame's container and channel stand-ins.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "component/common/identity.h"
#include "component/dtm/dtm_main.h"
#include "component/dtm/library.h"
#include "host/frame/channel.h"
#include "host/frame/frame_container.h"
#include "platform/loop/event_loop.h"
#include "platform/runtime/services.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"
#include "tests/testing/surroundings.h"

namespace dtm::testing {

inline std::string DeviceTypeXml(const std::string& manufacturer, const std::string& type,
                                 const std::string& revision) {
  runtime::DeviceType device_type;
  device_type.SetIdValue(1, manufacturer);
  device_type.SetIdValue(2, type);
  device_type.SetIdValue(3, revision);
  return device_type.BuildXML();
}

inline std::string SupportedDeviceTypeXml() {
  return DeviceTypeXml(std::to_string(kSupportedManufacturerCode),
                       std::to_string(kSupportedDeviceTypeCode),
                       std::to_string(kSupportedDeviceRevision));
}

class DtmFixture : public ::testing::Test, protected FakeSurroundings {
 protected:
  DtmFixture() {
    std::shared_ptr<com::ClassFactory> factory;
    EXPECT_EQ(library_.DllGetClassObject(Library::Classes()[0].clsid, factory), com::kSOk);
    dtm_ = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
  }

  runtime::DTMContext& Context() { return dtm_->Context(); }

  // InitNew with the supported device type and the environment.
  void SetUpInstance() {
    ASSERT_TRUE(dtm_->IDtm_InitNew(SupportedDeviceTypeXml()));
    ASSERT_TRUE(dtm_->IDtm_Environment("TAG1", container_));
  }

  // A connection through the channel, as a process would open it.
  void OpenConnection() {
    ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
    ASSERT_TRUE(Context().CommMan().Connect("connect-1"));
    loop_.RunUntilIdle();
    ASSERT_TRUE(Context().CommMan().IsConnected());
  }

  std::vector<std::string> Errors() const {
    std::vector<std::string> out;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kError) out.push_back(entry.text);
    }
    return out;
  }

  Library library_{services_};
  std::shared_ptr<DTMMain> dtm_;
  std::shared_ptr<frame::FrameContainerStandIn> container_ =
      std::make_shared<frame::FrameContainerStandIn>();
  std::shared_ptr<frame::ChannelStandIn> channel_ = std::make_shared<frame::ChannelStandIn>(loop_);
};

}  // namespace dtm::testing
