#pragma once
// The identification page: what device, options, actuator and valve are
// fitted, on three tabs, and the one action of writing a new polling
// address into the device.

#include <memory>
#include <string>
#include <vector>

#include "component/ui/framework/page_base.h"
#include "platform/forms/controls.h"

namespace dtm {

class ctlIdent : public PageBase {
 public:
  // Yes and No, No as default, with the question icon.
  static constexpr std::int32_t kStyleYesNoQuestion = 260;
  static constexpr std::int32_t kAnswerYes = 6;

  explicit ctlIdent(const runtime::Services* services = nullptr);

  // The tab (1..3) that holds the field of `index`.
  static std::size_t TabOfField(std::int32_t index);
  // The tab that holds the control `name` (a field by `index`); 0 for none.
  static std::size_t TabOfControl(const std::string& name, std::int32_t index);

  void cmdSetPollAddr_Click();
  // Shows the frames of the selected tab.
  void TabStrip_Click();

  // The invoke id of the running address command; "" when none runs.
  const std::string& CommandId() const { return m_CommandId; }
  const std::shared_ptr<forms::TabStrip>& Tabs() const { return tab_strip_; }
  const std::shared_ptr<forms::CommandButton>& SetPollAddrButton() const { return cmd_set_poll_addr_; }
  std::shared_ptr<controls::ctlParameter> Field(std::int16_t index) const;
  forms::Frame& FrameNamed(const std::string& name) const;

  // ---- IPrivateProcess ----
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& unused) override;

  // ---- IPrivateNavigation ----
  std::shared_ptr<controls::Collection> IPrivateNavigation_FindParameters(
      controls::Navigation& navigation, const std::string& search_text,
      const std::string& name_text) override;
  std::shared_ptr<controls::Collection> IPrivateNavigation_GetDictKeys(
      controls::Navigation& navigation, const std::string& key) override;
  bool IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                      const std::string& search_path) override;

 protected:
  void InitParamSite() override;
  void ApplyLanguage(std::int32_t language_id) override;
  void OnParameterChanged(const DataElementPtr& element) override;
  void OnParameterSetChanged() override;
  void SetLockState(bool enabled) override;

 private:
  std::shared_ptr<forms::TabStrip> tab_strip_;
  std::shared_ptr<forms::ImageList> iml_search_;
  std::vector<std::shared_ptr<forms::Frame>> frames_;
  std::shared_ptr<forms::CommandButton> cmd_set_poll_addr_;
  std::vector<std::shared_ptr<controls::ctlParameter>> fields_;
  std::shared_ptr<forms::PictureBox> pic_search_;
  std::string m_CommandId;
};

}  // namespace dtm
