#pragma once
// What the host sets up for one command: the platform services, the
// component registered in the class table, and one DTM instance in a frame
// container, created and set up as a frame does.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "component/dtm/dtm_main.h"
#include "component/dtm/library.h"
#include "host/cli/console_messages.h"
#include "host/device/attach.h"
#include "host/device/sim_device.h"
#include "host/frame/channel.h"
#include "host/frame/frame_container.h"
#include "platform/com/locale.h"
#include "platform/com/property_bag.h"
#include "platform/loop/event_loop.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"

namespace dtm::host {

// The installation folder (VD4625_INSTALL, else the built-in one). Raises
// ComError 76 when it holds no XMLData/ folder, naming both.
std::filesystem::path InstallFolder();

// The locale a language's user works in: German (7) reads and writes
// "0,7", every other language "0.7".
const com::Locale& LocaleOfLanguage(std::int32_t language);
// The ambient locale id a frame gives its pages in that language.
std::int32_t LocaleIdOfLanguage(std::int32_t language);

// A session's ties to the world: where its messages go, its clock, and a
// hook that sees the device and the channel once they are put together
// (tests inject faults there).
struct SessionSetup {
  std::int32_t language = 9;
  ConsoleMessages::Answers answers = ConsoleMessages::Answers::kDefault;
  std::ostream* err = nullptr;  // message boxes, notices, trace; required
  loop::Clock* clock = nullptr;  // required
  // Where the component's boxes and reports go in place of the console
  // (a frame that asks its user); the console's answers are then unused.
  runtime::MessageSink* messages = nullptr;
  std::function<void(device::SimDevice&, frame::ChannelStandIn&)> on_device;
};

class Session {
 public:
  explicit Session(const SessionSetup& setup);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Creates the DTM through the class table, sets up a new instance of the
  // supported device type (or loads `stored`, a saved data set), then
  // Environment and SetLanguage. False (reported) when the DTM refuses a step.
  bool Start(com::MemoryPropertyBag* stored = nullptr);

  // Puts the simulated device (the installed default profile unless one
  // is named) behind the channel and gives the DTM the communication.
  // `observer` sees every transaction. False when the DTM refuses.
  bool UseDevice(const std::optional<std::filesystem::path>& profile,
                 device::TransactionObserver observer = {});
  device::SimDevice* Device() { return device_.get(); }
  // The frame's release sequence; false when the DTM refuses a step.
  bool Release();

  // True when the user answered No to the question whether to go on with
  // a device of another type (as the console answered it: always false
  // when the boxes went to a sink of the setup's).
  bool DeviceTypeDeclined() const;

  std::int32_t Language() const { return language_; }
  // The frame's language change: the DTM's language, and with it the
  // locale of the surroundings, which every page, editor and document
  // reads numbers and dates in. False (nothing changes) when the DTM
  // refuses the language.
  bool SetLanguage(std::int32_t language);
  std::ostream& Err() { return err_; }
  // The console's boxes; they stay empty when the setup named a sink.
  ConsoleMessages& Messages() { return messages_; }
  runtime::MessageSink& Sink() { return sink_; }
  DTMMain& Dtm() { return *dtm_; }
  runtime::DTMContext& Context() { return dtm_->Context(); }
  loop::EventLoop& Loop() { return loop_; }
  frame::FrameContainerStandIn& Container() { return *container_; }
  frame::ChannelStandIn& Channel() { return *channel_; }
  std::shared_ptr<frame::ChannelStandIn> ChannelPtr() { return channel_; }

 private:
  std::int32_t language_;
  std::ostream& err_;
  loop::EventLoop loop_;
  ConsoleMessages messages_;
  runtime::MessageSink& sink_;
  std::filesystem::path install_;
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
  std::filesystem::path device_file_;  // the profile device_ was made from
  std::function<void(device::SimDevice&, frame::ChannelStandIn&)> on_device_;
};

}  // namespace dtm::host
