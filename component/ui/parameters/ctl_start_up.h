#pragma once
// The start-up settings page: mounting, actuator and valve, nominal travel
// or angle and initialisation on its first tab, the error supervision and
// fault responses on its second. It works on the data set only, and keeps
// the nominal travel or angle and the upper end of the working range
// together when the user leaves one of the two nominal fields.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "component/ui/framework/page_base.h"
#include "platform/forms/controls.h"

namespace dtm {

class ctlStartUp : public PageBase {
 public:
  // The page takes its surroundings from the DTM it is initialised with
  // when none are given.
  explicit ctlStartUp(const runtime::Services* services = nullptr);

  forms::TabStrip& TabStrip() const { return *tab_strip_; }
  forms::Frame& frmStartUp() const { return *frames_[0]; }
  forms::Frame& frmDiagnosis() const { return *frames_[1]; }
  forms::Frame& frmErrCtrl() const { return *frames_[2]; }
  forms::Frame& frmFailResp() const { return *frames_[3]; }
  // The field of that index; nullptr for an index the page has none of.
  std::shared_ptr<controls::ctlParameter> Field(std::int16_t index) const;

  // The fields of the page: index, frame (0..3 as above), element path,
  // design label, value format.
  struct FieldDesign {
    std::int16_t index;
    std::size_t frame;
    const char* tag;
    const char* label;
    const char* format;
  };
  static const std::vector<FieldDesign>& Fields();

  std::shared_ptr<controls::Collection> IPrivateNavigation_FindParameters(
      controls::Navigation& navigation, const std::string& search_text,
      const std::string& name_text) override;

 protected:
  void InitParamSite() override;
  void ApplyLanguage(std::int32_t language_id) override;
  bool ReleaseParamSite() override;
  void SetLockState(bool enabled) override;
  void SelectTabOf(controls::Navigation& navigation, const std::string& path) override;

 private:
  // Only the frames of the selected tab are visible.
  void TabStripClick();
  void FieldKeyPress(std::int16_t index, std::int32_t key_ascii);
  void FieldLostFocus(std::int16_t index);
  // The rotary actuator's own help texts, put into its elements.
  void ApplyRotaryTexts(runtime::DTMContext& context);
  // The nominal travel or angle against the upper end of its working range.
  void CheckNominalRange();

  std::shared_ptr<forms::TabStrip> tab_strip_;
  std::vector<std::shared_ptr<forms::Frame>> frames_;
  std::vector<std::shared_ptr<controls::ctlParameter>> fields_;
  std::shared_ptr<forms::PictureBox> pic_search_;
  std::shared_ptr<forms::ImageList> iml_search_;
};

}  // namespace dtm
