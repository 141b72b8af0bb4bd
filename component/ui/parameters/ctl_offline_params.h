#pragma once
// The offline parameters page: the values of the data set that the frame
// keeps (input, working range, characteristic and control parameters),
// edited without the device, on three tabs; the second tab holds the
// editor of the user-defined characteristic. The page is mostly shown as a
// tab of the offline container, which carries the headline; it talks to no
// device and shows no message box.

#include <memory>
#include <string>

#include "component/ui/framework/page_base.h"
#include "component/ui/parameters/characteristic_editor.h"
#include "platform/controls/trend.h"
#include "platform/forms/controls.h"

namespace dtm {

class ctlOfflineParams : public PageBase {
 public:
  // The services give the page its surroundings; without them it takes
  // those of the DTM it is initialised with.
  explicit ctlOfflineParams(const runtime::Services* services = nullptr);

  // ---- IPrivateNavigation ----
  // The search's keys of the page, with the chart's two titles and the
  // set-up text of the editor's button.
  std::shared_ptr<controls::Collection> IPrivateNavigation_GetDictKeys(
      controls::Navigation& navigation, const std::string& key) override;
  // Selects the tab of the control before it is shown. The chart is only
  // marked (its background), never selected: the answer is then False.
  bool IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                      const std::string& search_path) override;

  // ---- What the page shows, for hosts and tests ----
  CharacteristicEditor& Editor() const { return *editor_; }
  forms::TabStrip& Tabs() const { return *tab_strip_; }
  controls::Trend& Chart() const { return *trend_; }

 protected:
  void InitParamSite() override;
  // The chart redraws itself before the navigation shows a control.
  void Showing() override;
  void ApplyLanguage(std::int32_t language_id) override;
  void OnParameterChanged(const DataElementPtr& element) override;
  void OnParameterSetChanged() override;
  // Only the fields follow the lock: the editor keeps its own enabling.
  void SetLockState(bool enabled) override;

 private:
  void TabStrip_Click();
  // The tab that holds a control, by its name and index; 0 for none.
  static std::size_t TabOf(const std::string& name, std::int32_t index);

  std::shared_ptr<forms::TabStrip> tab_strip_;
  std::shared_ptr<forms::Frame> frm_input_, frm_range_, frm_charact_, frm_us_def_charact_,
      frm_ctrl_param_, frm_times_;
  std::shared_ptr<forms::CommandButton> cmd_prev_, cmd_next_;
  std::shared_ptr<forms::TextBox> txt_par_x_, txt_par_y_;
  std::shared_ptr<forms::Label> lbl_par_x_, lbl_par_y_, lbl_unit_x_, lbl_unit_y_;
  std::shared_ptr<controls::Trend> trend_;
  std::unique_ptr<CharacteristicEditor> editor_;
};

}  // namespace dtm
