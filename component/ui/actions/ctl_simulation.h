#pragma once
// The simulation page: forces the positioner's outputs for a test. One
// button per test (fault alarm, position transmitter, limit switches GW1
// and GW2); a test sends its device command, then watches the forced
// output for twenty seconds, or, for the position transmitter, writes the
// test value. Every request of a test starts from the end of the one
// before it; the cancel field stops a running test in the device.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "component/ui/framework/page_base.h"
#include "platform/loop/clock.h"

namespace dtm {

class ctlSimulation : public PageBase {
 public:
  explicit ctlSimulation(const runtime::Services& services);

  // How long an output is watched after its command.
  static constexpr std::chrono::seconds kWatch{20};

  // ---- What the page holds, for hosts and tests ----
  std::int32_t Action() const { return m_Action; }
  std::int16_t Step() const { return m_Step; }
  bool InitialRead() const { return m_InitialRead; }
  bool CancelPending() const { return m_Cancel; }
  const std::string& ActionText() const { return m_ActionText; }

  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& unused) override;

 protected:
  void FirstAction() override { ReadStatus(); }
  void InitParamSite() override;
  bool SetsButtonToolTips() const override { return false; }
  bool ReleaseParamSite() override;
  void SetLockState(bool enabled) override;

 private:
  struct Test;
  static const Test& TestOf(std::int32_t action);

  void EnableTestButtons(bool enable);
  void ReadStatus();
  bool StartAction(const std::string& path, bool write);
  void TestClicked(std::int32_t action);
  void MarkDisplayError();
  void MarkDisplayOk();
  void StopAnimation() { StopActivity(); }
  // The walk over the results of the page's last request.
  void TakeResults();
  void PositionTransmitterStep();
  void OutputTestStep();
  void Finish();
  // Starts the next request of a running test; a request that cannot start
  // ends the test, so the page is never left waiting for an end.
  void Continue(const std::string& path, bool write);
  // The status flags of an element by path.
  std::int32_t FlagsOf(const std::string& path) const;
  void ShowConnectionLost();

  std::shared_ptr<forms::Frame> frame_;
  std::shared_ptr<forms::CommandButton> cmd_fault_alarm_, cmd_posit_trans_, cmd_sw1_, cmd_sw2_;
  std::shared_ptr<controls::ctlParameter> fields_[5];

  std::int32_t m_Action = 0;
  std::int16_t m_Step = 0;
  bool m_InitialRead = false;
  bool m_Cancel = false;
  std::string m_ActionText;
  std::string m_DisplayPath;
  loop::Clock::TimePoint m_Deadline{};
};

}  // namespace dtm
