#pragma once
// The measured-value page: reference, controlled variable and deviation as
// values and bars, four status lamps, the operating mode and the manual
// reference value. A cyclic read refreshes it every four seconds; single
// reads and writes (the initial reads, the writes of the operating mode and
// the manual value) go through a second transfer object, so a write never
// waits for the cycle.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/ui/framework/ctl_bar.h"
#include "component/ui/framework/page_base.h"
#include "platform/forms/controls.h"
#include "platform/forms/timer.h"

namespace dtm {

class ctlMeasure : public PageBase {
 public:
  static constexpr std::int32_t kCycleInterval = 4000;  // ms
  static constexpr forms::OleColor kLampRed = 0x0000FF;
  static constexpr forms::OleColor kLampGreen = 0x00FF00;

  explicit ctlMeasure(const runtime::Services& services);

  // Both processes are evaluated at every reported end.
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& unused) override;

  // ---- What the page shows, for hosts and tests ----
  forms::CheckBox& chkCycle() const { return *chk_cycle_; }
  forms::Timer& tmrCycle() const { return *tmr_cycle_; }
  ctlBar& barW() const { return *bar_w_; }
  ctlBar& barX() const { return *bar_x_; }
  ctlBar& barE() const { return *bar_e_; }
  // Lamps 4 to 7.
  forms::PictureBox& picLED(std::int16_t index) const { return *leds_.at(index - 4); }
  forms::CommandButton& cmdWriteOpMode() const { return *cmd_op_mode_; }
  forms::CommandButton& cmdWriteWHand() const { return *cmd_w_hand_; }
  // Entries 0 to 10 and 12; nullptr for any other index.
  std::shared_ptr<controls::ctlParameter> Field(std::int16_t index) const;
  bool CycleBusy() const { return m_CycleBusy; }
  std::int16_t WriteStep() const { return m_WriteStep; }
  std::uint8_t InitStep() const { return m_InitStep; }
  bool InitDone() const { return m_InitDone; }
  runtime::ParamProcess* CycleProcess() const { return m_CycleProcess.get(); }
  runtime::ParamProcess* TransferProcess() const { return m_TransferProcess.get(); }

 protected:
  void FirstAction() override;
  std::vector<std::shared_ptr<controls::ctlParameter>> MarkedFields() const override;
  // Information and dynamic: the entries are read again and again.
  std::int32_t GoodResultFlags() const override { return 3; }
  bool SetsButtonToolTips() const override { return false; }
  void InitParamSite() override;
  void ApplyLanguage(std::int32_t language_id) override;
  bool ReleaseParamSite() override;
  void OnParameterChanged(const DataElementPtr& element) override;
  void OnParameterSetChanged() override;
  void SetLockState(bool enabled) override;

 private:
  void CycleClick();
  void CycleTick();
  void CycleRefresh();
  void TransferParam(const std::string& path, bool write);
  void WriteOpModeClick();
  void WriteWHandClick();
  void FieldGotFocus(const controls::ctlParameter& field);
  void FieldLostFocus(const std::shared_ptr<controls::ctlParameter>& field);
  // Result evaluation of one process; the write-protection mark and its
  // text live through both processes of one reported end.
  void EvaluateResults(runtime::ParamProcess& process, bool& write_protected,
                       std::string& saved_error);
  void TransferCompleted();
  void CycleCompleted(bool own_cycle);
  void InitChainStep();

  // One row of the display mapping, by the element's name; `single` is the
  // update of one element (it also sets the limits of the bar of e).
  void ShowElement(const std::string& name, bool single);
  void ShowBar(ctlBar& bar, const std::string& value_path, const std::string& low_path,
               const std::string& high_path);
  void ShowLamp(std::int16_t lamp, const std::string& path);
  void ShowWHandButton();
  void Box(const std::string& text);
  void Notify(const DataElementPtr& element);
  std::shared_ptr<IPrivateProcess> Sink();

  std::shared_ptr<forms::CheckBox> chk_cycle_;
  std::shared_ptr<forms::Timer> tmr_cycle_;
  std::shared_ptr<forms::Frame> frm_proc_data_;
  std::shared_ptr<forms::Frame> frm_status_;
  std::shared_ptr<ctlBar> bar_w_;
  std::shared_ptr<ctlBar> bar_x_;
  std::shared_ptr<ctlBar> bar_e_;
  std::array<std::shared_ptr<forms::PictureBox>, 4> leds_;
  std::shared_ptr<forms::CommandButton> cmd_op_mode_;
  std::shared_ptr<forms::CommandButton> cmd_w_hand_;
  std::vector<std::shared_ptr<controls::ctlParameter>> fields_;

  std::shared_ptr<runtime::ParamProcess> m_CycleProcess;
  std::shared_ptr<runtime::ParamProcess> m_TransferProcess;
  std::int16_t m_WriteStep = 0;
  bool m_InitDone = false;
  std::uint8_t m_InitStep = 0;
  bool m_CycleBusy = false;
};

}  // namespace dtm
