#pragma once
// A fresh DTM instance for one fuzz input, on the tests' fake surroundings
// (virtual clock and loop, recorded message boxes, in-memory registry) with
// the frame's container and channel stand-ins. A new instance for every
// input keeps the inputs independent, so a finding replays alone.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "component/common/identity.h"
#include "component/dtm/dtm_main.h"
#include "component/dtm/library.h"
#include "component/ui/framework/ctl_monitor.h"
#include "host/frame/channel.h"
#include "host/frame/frame_container.h"
#include "platform/runtime/documents.h"
#include "tests/testing/surroundings.h"

namespace dtm::fuzz {

// The installation folder the tree ships; the build names the tree.
inline std::filesystem::path FuzzInstallFolder() {
  return std::filesystem::path(VD_FUZZ_SOURCE_DIR) / "data";
}

// A finding: the target stops here, and libFuzzer keeps the input.
[[noreturn]] inline void Finding() { std::abort(); }

class FuzzInstance : public testing::FakeSurroundings {
 public:
  FuzzInstance() : FakeSurroundings(FuzzInstallFolder()) {
    // The busy window closes at once: a busy device asks without waiting.
    registry_.SetValue(win::kHkeyLocalMachine, "Software\\VELDAR AG\\DTM4625_FDT12",
                       win::StringValue("BusyWait", "0"));
    std::shared_ptr<com::ClassFactory> factory;
    if (library_.DllGetClassObject(Library::Classes()[0].clsid, factory) != com::kSOk) Finding();
    dtm_ = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
    if (!dtm_) Finding();
  }
  FuzzInstance(const FuzzInstance&) = delete;
  FuzzInstance& operator=(const FuzzInstance&) = delete;
  ~FuzzInstance() {
    dtm_.reset();
    channel_->SetTransactionHandler({});
  }

  // A new instance of the supported device, as the frame makes it.
  bool InitNew() {
    runtime::DeviceType device_type;
    device_type.SetIdValue(1, std::to_string(kSupportedManufacturerCode));
    device_type.SetIdValue(2, std::to_string(kSupportedDeviceTypeCode));
    device_type.SetIdValue(3, std::to_string(kSupportedDeviceRevision));
    return dtm_->IDtm_InitNew(device_type.BuildXML());
  }
  // The frame's environment, language and channel.
  bool Environment() {
    return dtm_->IDtm_Environment("FUZZ", container_) && dtm_->IDtm_SetLanguage(9) &&
           dtm_->IDtm_SetCommunication(channel_);
  }

  // Also before the model exists: the phrases come from the dictionary,
  // loaded here when the model has not loaded it yet.
  void OpenMonitor() {
    if (!Context().Dictionary().Document()) Context().Dictionary().Load(Context(), "DTMDictionary");
    Context().Dictionary().SelectLanguage(9);
    Context().GUIMan().RegisterGUI("monitor", monitor_, true);
    dtm_->SetMonitorInvokeID("monitor");
    monitor_->FillPhraseTable(Context());
  }

  // Every question is answered No, so no busy series is renewed for good.
  void AnswerNo() { messages_.answers.assign(64, 7); }

  DTMMain& Dtm() { return *dtm_; }
  runtime::DTMContext& Context() { return dtm_->Context(); }
  loop::EventLoop& Loop() { return loop_; }
  loop::VirtualClock& Clock() { return clock_; }
  frame::ChannelStandIn& Channel() { return *channel_; }
  frame::FrameContainerStandIn& Container() { return *container_; }

 private:
  Library library_{services_};
  std::shared_ptr<DTMMain> dtm_;
  std::shared_ptr<frame::FrameContainerStandIn> container_ =
      std::make_shared<frame::FrameContainerStandIn>();
  std::shared_ptr<frame::ChannelStandIn> channel_ = std::make_shared<frame::ChannelStandIn>(loop_);
  std::shared_ptr<ctlMonitor> monitor_ = std::make_shared<ctlMonitor>();
};

}  // namespace dtm::fuzz
