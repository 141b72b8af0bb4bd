#pragma once
// A DTM instance with a simulated positioner behind its channel, for the
// trend and status pages: the fixture ends the open pages before the DTM
// goes, as a frame does.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "host/device/attach.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {

class ObservationPages : public DtmFixture {
 protected:
  ObservationPages() {
    device::AttachDevice(*channel_, device_);
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    Context().User().SetUserLevel(2);
  }
  ~ObservationPages() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }

  std::shared_ptr<clsDataElement> Element(const std::string& path) {
    return std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(path));
  }
  std::int32_t Flags(const std::string& path) {
    return Context().Parameters().Item(path)->IPrivateDataElement_StatusFlags();
  }

  // The message boxes shown, as "text (style)".
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) {
        out.push_back(entry.text + " (" + std::to_string(entry.style) + ")");
      }
    }
    return out;
  }

  device::SimDevice device_{clock_, device::LoadProfile(SourceDir() / "data" / "profiles" / "default.xml")};
};

}  // namespace dtm::testing
