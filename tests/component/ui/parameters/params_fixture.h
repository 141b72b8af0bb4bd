#pragma once
// A DTM instance with the simulated positioner behind its channel, for the
// pages that read and write the device's parameters.

#include <memory>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "host/device/attach.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {

class ParamsFixture : public DtmFixture {
 protected:
  ParamsFixture() {
    device::AttachDevice(*channel_, device_);
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    Context().User().SetUserLevel(2);
  }
  // A frame ends its pages before it lets the DTM go; an open page would
  // otherwise keep the DTM, and the DTM the page.
  ~ParamsFixture() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }

  std::shared_ptr<clsDataElement> Element(const std::string& path) {
    return std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(path));
  }
  std::int32_t Flags(const std::string& path) { return Element(path)->IPrivateDataElement_StatusFlags(); }

  // The user's edit as the field's link leaves it: a new transient value,
  // marked changed.
  void Edit(const std::string& path, const com::Variant& value, std::int32_t flags = 4) {
    const auto element = Element(path);
    element->TransientValue = value;
    element->IPrivateDataElement_StatusFlags(flags);
  }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) out.push_back(entry.text);
    }
    return out;
  }

  // The commands the device received, in order.
  std::vector<int> Commands() const {
    std::vector<int> out;
    for (const auto& request : device_.Received()) out.push_back(request.command);
    return out;
  }

  device::SimDevice device_{clock_, device::LoadProfile(SourceDir() / "data" / "profiles" / "default.xml")};
};

}  // namespace dtm::testing
