#pragma once
// A page that logs the change notices it hears, for the pages' tests that
// check which elements another page is told about.

#include <cstdint>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/interfaces/private.h"
#include "platform/com/object.h"

namespace dtm::testing {

class NoticeListener : public com::Object, public IPrivateGUI {
 public:
  bool IPrivateGUI_CloseGUI() override { return true; }
  void IPrivateGUI_LockStateChanged(bool) override {}
  void IPrivateGUI_ParameterChanged(const DataElementPtr& element) override {
    heard.push_back(element->IPrivateDataElement_Name());
  }
  void IPrivateGUI_ParameterSetChanged() override {}
  void IPrivateGUI_ValidateParameters() override {}
  void IPrivateGUI_SetLanguage(std::int32_t) override {}
  std::vector<std::string> heard;
};

}  // namespace dtm::testing
