#pragma once
// The offline container: the identification, offline parameter and
// start-up settings pages as the tabs of one page, one of them shown at a
// time. Each child is a page of its own under an invoke id of its own
// (the container's id, ".", its number, "$"); the container opens them
// with itself and lets go of itself only once all of them agreed.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "component/ui/framework/page_base.h"
#include "platform/forms/controls.h"

namespace dtm {

class ctlOffline : public PageBase {
 public:
  // The classes of the children, in tab order; each tab is keyed by its
  // child's name.
  static constexpr std::array<const char*, 3> kChildClasses = {"ctlIdent", "ctlOfflineParams",
                                                               "ctlStartUp"};

  // Makes the child page of a class; nullptr when nothing serves the class.
  using ChildMake = std::function<com::ObjectPtr(const std::string& class_name)>;

  // The children come from the process's class table by their ProgIDs,
  // as the frame creates pages (this needs `services` for the registry);
  // `make` replaces that. A child that cannot be made, or that is no user
  // control, is left out: its tab shows nothing.
  explicit ctlOffline(const runtime::Services* services = nullptr, ChildMake make = {});

  // Initialises the container, then each child that is a page, in the
  // order of the controls, whatever the child answers.
  bool IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                               const com::ObjectPtr& dtm) override;
  // The children first: the first that refuses makes the container refuse
  // and stay open; those before it stay released, those after it are not
  // asked.
  bool IDtmActiveXControl_PrepareToRelease() override;

  forms::TabStrip& TabStrip() const { return *tab_strip_; }
  forms::PictureBox& picSearch() const { return *pic_search_; }
  forms::ImageList& imlSearch() const { return *iml_search_; }
  // The child of that class; nullptr when it was left out.
  forms::ControlPtr Child(const std::string& class_name) const;

 protected:
  void InitParamSite() override;
  bool ReleaseParamSite() override;
  void SetLockState(bool enabled) override;
  bool WritesItsLifeToTheProtocol() const override { return false; }
  bool SetsButtonToolTips() const override { return false; }
  void SelectTabOf(controls::Navigation& navigation, const std::string& path) override;

 private:
  // Only the child of the selected tab is visible.
  void TabStripClick();
  // The pages among the controls, in form order.
  std::vector<IDtmActiveXControl*> ChildPages() const;

  std::shared_ptr<forms::TabStrip> tab_strip_;
  std::shared_ptr<forms::PictureBox> pic_search_;
  std::shared_ptr<forms::ImageList> iml_search_;
};

}  // namespace dtm
