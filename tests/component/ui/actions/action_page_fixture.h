#pragma once
// A DTM instance connected to a simulated device on the virtual clock,
// English texts and user level 2, for the action pages' tests. The
// fixture ends the open pages before the DTM is let go, as a frame does.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "host/device/attach.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "platform/controls/param_site.h"
#include "platform/forms/user_control.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {

class ActionPageFixture : public DtmFixture {
 protected:
  // Every transaction takes this long on the line.
  static constexpr std::chrono::milliseconds kLatency{100};

  ActionPageFixture() {
    device::AttachDevice(*channel_, device_);
    channel_->SetTransactionLatency(kLatency);
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    Context().User().SetUserLevel(2);
  }
  ~ActionPageFixture() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }

  std::shared_ptr<clsDataElement> Element(const std::string& path) {
    return std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(path));
  }
  std::int32_t Flags(const std::string& path) { return Element(path)->StatusFlags(); }
  // The page's edit field of that index.
  static controls::ctlParameter& Field(forms::UserControl& page, std::int16_t index) {
    for (const auto& control : page.Controls()) {
      if (control->Name() == "ctlParameter" && control->Index() == index) {
        return dynamic_cast<controls::ctlParameter&>(*control);
      }
    }
    throw std::runtime_error("no field " + std::to_string(index));
  }

  // The message boxes shown so far, as "text|style|title".
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) {
        out.push_back(entry.text + "|" + std::to_string(entry.style) + "|" + entry.title);
      }
    }
    return out;
  }

  // The requests the device got from `from` on, as "command:data bytes".
  std::vector<std::string> Requests(std::size_t from = 0) const {
    std::vector<std::string> out;
    const auto& received = device_.Received();
    for (std::size_t i = from; i < received.size(); ++i) {
      std::string text = std::to_string(received[i].command) + ":";
      for (std::size_t k = 0; k < received[i].data.size(); ++k) {
        text += (k ? " " : "") + std::to_string(received[i].data[k]);
      }
      out.push_back(text);
    }
    return out;
  }
  std::size_t CountOf(std::uint8_t command, std::size_t from = 0) const {
    std::size_t count = 0;
    const auto& received = device_.Received();
    for (std::size_t i = from; i < received.size(); ++i) count += received[i].command == command;
    return count;
  }

  device::SimDevice device_{clock_, device::LoadProfile(SourceDir() / "data" / "profiles" / "default.xml")};
};

}  // namespace dtm::testing
