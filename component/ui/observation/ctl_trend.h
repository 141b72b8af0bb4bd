#pragma once
// The trend page: while its check box is ticked it reads the positioner's
// dynamic values and status every four seconds and appends one time-stamped
// sample per read to the four curves of its chart (reference and controlled
// variable, zero-point error and control-loop fault), with a gap where a
// value could not be read.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "component/ui/framework/page_base.h"
#include "platform/controls/trend.h"
#include "platform/forms/controls.h"

namespace dtm {

class ctlTrend : public PageBase {
 public:
  static constexpr std::int32_t kCycleInterval = 4000;
  static constexpr std::int32_t kChannels = 4;
  // The chart's highlight when the navigation shows it, and its plain face.
  static constexpr forms::OleColor kSelectedBack = static_cast<forms::OleColor>(0x8000000Cu);
  static constexpr forms::OleColor kPlainBack = static_cast<forms::OleColor>(0x8000000Fu);

  explicit ctlTrend(const runtime::Services& services);

  // ---- IPrivateProcess ----
  // Records one sample of every curve from the read that ended.
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& unused) override;

  // ---- IPrivateNavigation ----
  std::shared_ptr<controls::Collection> IPrivateNavigation_GetDictKeys(
      controls::Navigation& navigation, const std::string& key) override;
  bool IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                      const std::string& search_path) override;

  // ---- What the page shows, for hosts and tests ----
  controls::Trend& Trend1() const { return *trend_; }
  forms::CheckBox& chkCycle() const { return *chk_cycle_; }
  forms::Timer& tmrCycle() const { return *tmr_cycle_; }
  forms::Frame& frmTrendValues() const { return *frame_; }
  // The fields 1, 2, 4 and 5; nullptr for another index.
  controls::ctlParameter* Field(std::int16_t index) const;
  forms::PictureBox& picDummy(std::size_t i) const { return *dummies_.at(i); }
  // The left edge of a dummy box, in twips.
  std::int32_t DummyLeft(std::size_t i) const { return dummy_left_.at(i); }
  bool CycleBusy() const { return cycle_busy_; }
  runtime::ParamProcess* CycleProcess() const { return process_.get(); }

 protected:
  void InitParamSite() override;
  // The chart redraws itself before the navigation shows a control.
  void Showing() override;
  void ApplyLanguage(std::int32_t language_id) override;
  bool ReleaseParamSite() override;
  void OnParameterChanged(const DataElementPtr& element) override;
  void OnParameterSetChanged() override;
  void SetLockState(bool enabled) override;
  std::vector<std::shared_ptr<controls::ctlParameter>> MarkedFields() const override;
  std::int32_t GoodResultFlags() const override { return 0x3; }
  bool IsGoodFieldFlags(std::int32_t flags) const override { return flags >= 0 && flags <= 3; }
  bool SetsButtonToolTips() const override { return false; }

 private:
  void CycleClicked();
  void CycleRefresh();
  void TrendChanged();
  void RenewLegend(std::size_t curve);
  // The chart's time of the clock's present local date and time, to the
  // second.
  double Now() const;

  loop::EventLoop& loop_;
  std::shared_ptr<controls::Trend> trend_;
  std::shared_ptr<forms::CheckBox> chk_cycle_;
  std::shared_ptr<forms::Timer> tmr_cycle_;
  std::shared_ptr<forms::Frame> frame_;
  std::array<std::shared_ptr<controls::ctlParameter>, kChannels> fields_;
  std::array<std::shared_ptr<forms::PictureBox>, 4> dummies_;
  std::array<std::int32_t, 4> dummy_left_{};
  std::shared_ptr<runtime::ParamProcess> process_;
  bool cycle_busy_ = false;
};

}  // namespace dtm
