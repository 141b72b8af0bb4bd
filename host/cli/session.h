#pragma once
// What the host sets up for one command: the platform services, the
// component registered in the class table, and one DTM instance in a frame
// container, created and set up as a frame does.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "component/dtm/dtm_main.h"
#include "component/dtm/library.h"
#include "host/cli/console_messages.h"
#include "host/device/attach.h"
#include "host/device/sim_device.h"
#include "platform/com/property_bag.h"
#include "host/frame/channel.h"
#include "host/frame/frame_container.h"
#include "platform/loop/event_loop.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"

namespace dtm::host {

std::filesystem::path InstallFolder();
std::filesystem::path RegistryFile();

class Session {
 public:
  explicit Session(std::int32_t language, ConsoleMessages::Answers answers = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Creates the DTM through the class table, sets up a new instance of the
  // supported device type (or loads `stored`, a saved data set), then
  // Environment and SetLanguage. False (reported on stderr) when the DTM
  // refuses a step.
  bool Start(com::MemoryPropertyBag* stored = nullptr);

  // Puts the simulated device (the installed default profile unless one
  // is named) behind the channel and gives the DTM the communication.
  // `observer` sees every transaction. False when the DTM refuses.
  bool UseDevice(const std::optional<std::filesystem::path>& profile,
                 device::TransactionObserver observer = {});
  device::SimDevice* Device() { return device_.get(); }
  // The frame's release sequence; false when the DTM refuses a step.
  bool Release();

  DTMMain& Dtm() { return *dtm_; }
  runtime::DTMContext& Context() { return dtm_->Context(); }
  loop::EventLoop& Loop() { return loop_; }
  frame::FrameContainerStandIn& Container() { return *container_; }
  frame::ChannelStandIn& Channel() { return *channel_; }
  std::shared_ptr<frame::ChannelStandIn> ChannelPtr() { return channel_; }

 private:
  std::int32_t language_;
  loop::SystemClock clock_;
  loop::EventLoop loop_{clock_};
  ConsoleMessages messages_{stderr};
  win::MemoryRegistry registry_;
  win::DesktopShell shell_;
  win::RandomGuidSource guids_;
  win::SystemTempFiles temp_files_;
  runtime::Services services_;
  Library library_;
  std::shared_ptr<DTMMain> dtm_;
  std::shared_ptr<frame::FrameContainerStandIn> container_;
  std::shared_ptr<frame::ChannelStandIn> channel_;
  std::unique_ptr<device::SimDevice> device_;
};

}  // namespace dtm::host
