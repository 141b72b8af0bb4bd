#pragma once
// The calibration page: the start-up parameters the zero-point calibration
// and the initialisation depend on, read when the page opens and written
// back on request, and the two device actions, each followed by polling
// its status until the device reports its end.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "component/ui/framework/page_base.h"
#include "platform/forms/controls.h"

namespace dtm::runtime {
class DTMDictionary;
}

namespace dtm {

class clsDataElement;

// The state of the action machine: which request has just ended.
enum enumActionState : std::int32_t {
  NO_ACTION = 0,
  START_ACTION_INIT = 1,
  READ_ACTION_STATUS_INIT = 2,
  READ_INIT_WARNING_INIT = 3,
  READ_DEV_STATUS_INIT = 4,
  ERROR_HANDLER_INIT = 5,
  START_ACTION_NULLPOINT = 6,
  READ_ACTION_STATUS_NULLPOINT = 7,
  READ_INIT_WARNING_NULLPOINT = 8,
  READ_DEV_STATUS_NULLPOINT = 9,
  ERROR_HANDLER_NULLPOINT = 10,
};

class ctlCalib : public PageBase {
 public:
  // Colours of the communication label.
  static constexpr forms::OleColor kActiveColor = 0xFF0000;
  static constexpr forms::OleColor kIdleColor = 0x80000012;
  // The protocol label keeps this many lines.
  static constexpr std::int16_t kProtocolLines = 4;

  explicit ctlCalib(const runtime::Services& services);

  bool IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                               const com::ObjectPtr& dtm) override;
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& unused) override;

  // ---- What the page shows, for hosts and tests ----
  enumActionState ActionState() const { return m_ActionState; }
  std::int16_t LastCode() const { return m_LastCode; }
  bool CancelRequested() const { return m_CancelRequested; }
  std::uint8_t CancelCount() const { return m_CancelCount; }
  bool DynParsActive() const { return m_DynParsActive != 0; }
  std::int16_t ProtLineCount() const { return m_ProtLineCount; }
  const std::string& ActionText() const { return m_ActionText; }

  forms::Frame& frmCalib() const { return *frm_calib_; }
  forms::Frame& frmStartUp() const { return *frm_start_up_; }
  forms::CommandButton& cmdReadDynPars() const { return *cmd_read_; }
  forms::CommandButton& cmdWriteDynPars() const { return *cmd_write_; }
  forms::CommandButton& cmdInitialization() const { return *cmd_init_; }
  forms::CommandButton& cmdZeroPointCalib() const { return *cmd_zero_; }
  forms::Label& lblProt() const { return *lbl_prot_; }
  forms::Label& lblComm() const { return *lbl_comm_; }
  // The parameter field of that index (0 to 14, no 6).
  controls::ctlParameter& Field(std::size_t index) const { return *fields_.at(index); }

 protected:
  void FirstAction() override;
  void InitParamSite() override;
  void ApplyLanguage(std::int32_t language_id) override;
  bool ReleaseParamSite() override;
  void SetLockState(bool enabled) override;
  bool SetsButtonToolTips() const override { return false; }

 private:
  // ---- Start and protocol ----
  void StartAction(bool initialisation);
  bool StartCommand(const std::string& path, bool write);
  // The next status request of a running action, or the cancel the user
  // confirmed while the previous request was under way.
  bool Poll(const std::string& path, bool write);
  void AddProtocolLine(const std::string& line);
  void ProtocolText(const std::string& key);
  void SetCommActive(bool active);
  void EnableActionButtons(bool enable);
  void EnableDynParsButtons(bool enable);

  // ---- Dynamic parameters ----
  void TransferDynPars(bool write);
  void DynParsFinished();

  // ---- The action machine ----
  void Walk();
  void Dispatch();
  // False when the step's element failed; the failure is then dealt with.
  bool Check(const std::string& path, bool initialisation);
  void StateReadInitStatus();
  void StateReadZeroPointStatus();
  void EndInitAction();
  void EndZeroPointAction();
  void EndTail();
  void ActionBox(const std::string& key, std::int32_t style);

  // ---- Fields ----
  void MarkCommError();
  void MarkCommOk();
  void CheckNominalRange();
  std::shared_ptr<clsDataElement> Element(const std::string& path) const;
  void Notify(const std::shared_ptr<clsDataElement>& element) const;
  // A dictionary value as text; empty when absent.
  static std::string KeyText(const com::Variant& value);
  runtime::DTMDictionary& Dict() const;
  std::string LangText(const std::string& key) const;
  bool UserMayAct() const;

  std::shared_ptr<forms::Frame> frm_calib_;
  std::shared_ptr<forms::Frame> frm_start_up_;
  std::shared_ptr<forms::CommandButton> cmd_read_;
  std::shared_ptr<forms::CommandButton> cmd_write_;
  std::shared_ptr<forms::CommandButton> cmd_init_;
  std::shared_ptr<forms::CommandButton> cmd_zero_;
  std::shared_ptr<forms::Label> lbl_prot_;
  std::shared_ptr<forms::Label> lbl_comm_;
  std::array<std::shared_ptr<controls::ctlParameter>, 15> fields_{};

  enumActionState m_ActionState = NO_ACTION;
  std::string m_ActionText;
  std::int16_t m_LastCode = 0;
  bool m_CancelRequested = false;
  std::uint8_t m_CancelCount = 0;
  std::uint8_t m_DynParsActive = 0;
  std::int16_t m_ProtLineCount = 0;
  // A cancel the user confirmed while a request ran: sent in place of the
  // next poll.
  std::string pending_cancel_;
  // Inside an end operation a failed start ends the action there.
  bool ending_ = false;
  // The failure of the current start chain has been told already.
  bool failure_told_ = false;
};

}  // namespace dtm
