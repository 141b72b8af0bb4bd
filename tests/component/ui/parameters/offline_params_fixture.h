#pragma once
// The offline parameters page opened on a fresh instance without a device,
// as the offline container opens it: an invoke id ending in "$".

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/ui/parameters/ctl_offline_params.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/component/ui/notice_listener.h"

namespace dtm::testing {

class OfflineParamsFixture : public DtmFixture {
 protected:
  // A frame ends its pages before it lets the DTM go.
  // A hosted page is its container's to end, so the fixture releases the
  // pages it opened itself.
  ~OfflineParamsFixture() override {
    try {
      Context().GUIMan().CloseAllGUIs();
      for (const auto& page : opened_) page->IDtmActiveXControl_PrepareToRelease();
    } catch (...) {
    }
  }
  OfflineParamsFixture() {
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    Context().User().SetUserLevel(2);
  }

  void SetValue(const std::string& path, const com::Variant& value) {
    Context().Parameters().Item(path)->IPrivateDataElement_TransientValue(value);
  }
  com::Variant ValueOf(const std::string& path) {
    return Context().Parameters().Item(path)->IPrivateDataElement_TransientValue();
  }
  clsDataElement& Element(const std::string& path) {
    return dynamic_cast<clsDataElement&>(*Context().Parameters().Item(path));
  }

  // Opens the page; the invoke id as the container gives it.
  std::shared_ptr<ctlOfflineParams> Open(const std::string& invoke_id = "7.2$") {
    auto page = std::make_shared<ctlOfflineParams>(&services_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init(invoke_id, "", dtm_));
    opened_.push_back(page);
    return page;
  }

  std::shared_ptr<controls::Navigation> Navigation() {
    return com::QueryInterface<controls::Navigation>(Context().DTMState()->GetProperty("Navigation"));
  }

  template <class T>
  static T& Get(const ctlOfflineParams& page, const std::string& name) {
    auto control = std::dynamic_pointer_cast<T>(page.Find(name));
    EXPECT_NE(control, nullptr) << name;
    return *control;
  }
  std::vector<std::shared_ptr<ctlOfflineParams>> opened_;

  static controls::ctlParameter& Field(const ctlOfflineParams& page, std::int16_t index) {
    auto field = std::dynamic_pointer_cast<controls::ctlParameter>(page.Find("ctlParameter", index));
    EXPECT_NE(field, nullptr) << index;
    return *field;
  }
};

}  // namespace dtm::testing
