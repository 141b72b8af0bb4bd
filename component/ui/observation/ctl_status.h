#pragma once
// The device status page: the field-device status byte and the first four
// bytes of the extended device status as pictures with texts on three tabs,
// the positioner's identification and this component's version on the
// fourth. It reads the status when it opens and again on request.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/ui/framework/page_base.h"
#include "platform/forms/controls.h"

namespace dtm {

class ctlStatus : public PageBase {
 public:
  // The tab a status code's row stands on.
  enum class StatusTab { kStandard = 1, kCritical = 2, kInformation = 3 };
  struct StatusRow {
    std::int16_t code;
    StatusTab tab;
    const char* caption_key;  // the dictionary key of its label's caption
    const char* caption;      // the design caption
  };
  // Every status code that has a picture, in ascending order.
  static const std::vector<StatusRow>& StatusRows();
  // The caption of lblCDtm: the product line and this component's version.
  static std::string VersionCaption();

  // The picture keys of ImageList1.
  static constexpr const char* kNotRead = "status_not_read";
  static constexpr const char* kReadOff = "status_read_off";
  static constexpr const char* kReadOn = "status_read_on";

  explicit ctlStatus(const runtime::Services& services);

  // ---- IDtmActiveXControl ----
  bool IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                               const com::ObjectPtr& dtm) override;
  bool IDtmActiveXControl_PrepareToRelease() override;

  // ---- IPrivateProcess ----
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& unused) override;

  // ---- What the page shows, for hosts and tests ----
  forms::TabStrip& TabStrip() const { return *tab_strip_; }
  forms::Frame& frmStdStatus() const { return *frames_[0]; }
  forms::Frame& frmCritStatus() const { return *frames_[1]; }
  forms::Frame& frmInfoStatus() const { return *frames_[2]; }
  forms::Frame& frmPositioner() const { return *frm_positioner_; }
  forms::Frame& frameDtm() const { return *frame_dtm_; }
  forms::Label& lblCDtm() const { return *lbl_cdtm_; }
  forms::Label& DTMManuId() const { return *dtm_manu_id_; }
  forms::TextBox& DTMManuIDAnzeige() const { return *dtm_manu_text_; }
  forms::CommandButton& cmdRefresh() const { return *cmd_refresh_; }
  forms::ImageList& ImageList1() const { return *image_list_; }
  controls::ctlParameter& Field(std::int16_t index) const { return *fields_.at(static_cast<std::size_t>(index)); }
  // nullptr for a code without a row.
  forms::Label* lblStatus(std::int16_t code) const;
  forms::Image* imgStatus(std::int16_t code) const;
  // The key of the picture a status picture shows; "" for none.
  std::string PictureKey(std::int16_t code) const;
  bool ReadStarted() const { return m_ReadStarted; }

 protected:
  void FirstAction() override { ReadStatus(); }
  void SelectTabOf(controls::Navigation& navigation, const std::string& path) override;
  bool SetsButtonToolTips() const override { return false; }
  void InitParamSite() override;
  void ApplyLanguage(std::int32_t language_id) override;
  bool ReleaseParamSite() override;
  void OnParameterChanged(const DataElementPtr& element) override;
  void OnParameterSetChanged() override;
  void SetLockState(bool enabled) override;

 private:
  void ReadStatus();
  void RefreshClicked();
  void StartRead(const std::vector<const char*>& paths);
  std::int32_t FieldGoodFlags(const controls::ctlParameter& field) const override;
  void ShowStatusBits(const DataElementPtr& element);
  void ShowCommandStatus(const DataElementPtr& element);
  void SetPicture(std::int16_t code, const char* key);
  void TabClicked();

  std::shared_ptr<forms::TabStrip> tab_strip_;
  std::vector<std::shared_ptr<forms::Frame>> frames_;
  std::shared_ptr<forms::Frame> frm_positioner_;
  std::shared_ptr<forms::Frame> frame_dtm_;
  std::shared_ptr<forms::Label> lbl_dtm_;
  std::shared_ptr<forms::Label> lbl_cdtm_;
  std::shared_ptr<forms::Label> dtm_manu_id_;
  std::shared_ptr<forms::TextBox> dtm_manu_text_;
  std::shared_ptr<forms::CommandButton> cmd_refresh_;
  std::shared_ptr<forms::ImageList> image_list_;
  std::vector<std::shared_ptr<controls::ctlParameter>> fields_;
  std::map<std::int16_t, std::shared_ptr<forms::Label>> labels_;
  std::map<std::int16_t, std::shared_ptr<forms::Image>> images_;
  bool m_ReadStarted = false;
};

}  // namespace dtm
