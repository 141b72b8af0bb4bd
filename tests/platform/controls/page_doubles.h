#pragma once
// Controls of a page as the navigation tests need them: a parameter field
// that answers its label and element path by name, and a page hosted in
// another page that records what it was asked to show and shows it through
// the navigation object, as a page does.

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/collection.h"
#include "platform/controls/navigation.h"
#include "platform/controls/private_navigation.h"
#include "platform/forms/controls.h"

namespace dtm::controls::testing {

class Field : public forms::Control {
 public:
  Field(std::int16_t index, std::string tag, std::string label)
      : forms::Control(forms::ControlKind::kParameter, "ctlParameter", index),
        tag_(std::move(tag)),
        label_(std::move(label)) {}

  com::Variant GetProperty(std::string_view name) override {
    if (name == "ParameterTag") return tag_;
    if (name == "LabelText") return label_;
    return Control::GetProperty(name);
  }

 private:
  std::string tag_;
  std::string label_;
};

inline forms::ControlPtr Frame(std::string name) {
  return std::make_shared<forms::Control>(forms::ControlKind::kFrame, std::move(name));
}
inline forms::ControlPtr Button(std::string name) {
  return std::make_shared<forms::Control>(forms::ControlKind::kCommandButton, std::move(name));
}

// A page inside another page: it resolves paths with FindControl and shows
// them in its own controls, as the pages that use that pair do.
class HostedPage : public forms::Control, public IPrivateNavigation {
 public:
  HostedPage(std::string name, Navigation& navigation, forms::Controls controls)
      : forms::Control(forms::ControlKind::kOther, std::move(name)),
        navigation_(navigation),
        controls_(std::move(controls)) {}

  void IPrivateNavigation_InitControl(Navigation& navigation, const com::Variant&) override {
    navigation.InitControl(controls_);
  }
  std::shared_ptr<Collection> IPrivateNavigation_FindParameters(
      Navigation& navigation, const std::string& search_text,
      const std::string& name_text) override {
    return navigation.FindParameters(name_text, search_text, controls_);
  }
  std::shared_ptr<Collection> IPrivateNavigation_GetDictKeys(Navigation& navigation,
                                                             const std::string& key) override {
    return navigation.GetDictKeys(key, Name() + "_", controls_);
  }
  bool IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                      const std::string& search_path) override {
    asked.push_back(path);
    std::string found = path;
    if (!navigation_.FindControl(nullptr, search_path, found)) return false;
    return navigation_.SelectControl(nullptr, found, &controls_, nullptr, show);
  }

  std::vector<std::string> asked;
  const forms::Controls& Controls() const { return controls_; }

 protected:
  Navigation& navigation() { return navigation_; }

 private:
  Navigation& navigation_;
  forms::Controls controls_;
};

// A hosted page that checks paths with IsPathValid and shows them with
// ShowControl, as the pages that use that pair do.
class ValidatingPage : public HostedPage {
 public:
  using HostedPage::HostedPage;
  bool IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                      const std::string&) override {
    asked.push_back(path);
    if (!navigation().IsPathValid(nullptr, Name(), path)) return false;
    return navigation().ShowControl(nullptr, path, &Controls(), nullptr, show);
  }
};

}  // namespace dtm::controls::testing
