#include "component/ui/actions/ctl_calib.h"

#include "component/common/bas_cvmk.h"
#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "component/ui/framework/result_walk.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr std::int32_t kCommError = 0xF0000;        // the whole communication-error field
constexpr std::int32_t kNotAnswered = 0x10000;      // a plain communication error
constexpr std::int32_t kResultClass = 0xFF0000;     // any result class of the last transaction
constexpr std::int32_t kChangedOnly = 4;            // edited, and nothing else

constexpr std::int32_t kStyleOkOnly = 0;
constexpr std::int32_t kStyleCritical = 16;
constexpr std::int32_t kStyleInformation = 64;
constexpr std::int32_t kStyleOkCancelQuestion = 289;
constexpr std::int32_t kStyleYesNoSecond = 292;
constexpr std::int32_t kStyleInformationSecond = 320;
constexpr std::int32_t kAnswerOk = 1;
constexpr std::int32_t kAnswerYes = 6;
constexpr std::int32_t kEnter = 13;

struct FieldDesign {
  std::int16_t index;
  const char* tag;
  const char* label;
  std::int32_t type;
  const char* format;
};

// The start-up parameters in their frame, then the action's status fields.
constexpr FieldDesign kStartUpFields[] = {
    {3, "SC128Tr2/Par2", "Nennhub", 1, ""},
    {4, "SC130Tr1/Par2", "Ventilart", 3, ""},
    {5, "SC130Tr1/Par1", "Anbau", 3, ""},
    {7, "SC130Tr2/Par1", "Übersetzung Code", 3, ""},
    {8, "SC130Tr2/Par4", "Initialisierungsart", 3, ""},
    {9, "SC130Tr2/Par3", "Bauart", 3, ""},
    {10, "SC130Tr3/Par1", "Übers. Stiftposition", 3, ""},
    {11, "SC130Tr2/Par2", "Anbaulage", 3, ""},
    {12, "SC128Tr1/Par1", "Nennwinkel", 1, "0.0"},
    {13, "SC128Tr2/Par1", "Übersetzung Länge", 1, "0.0"},
};
constexpr FieldDesign kActionFields[] = {
    {0, "SC134", "Status Kalibrierung", 3, "0.0##"},
    {1, "SC133", "Laufende Aktion abbrechen", 5, "0.0##"},
    {2, "CC048/St1", "Status Kalibrierung", 3, ""},
    {14, "SC130Tr7/Par1", "Initialisierung Warnung", 3, ""},
};

// Fields whose element reads 1 after a good result (information values).
bool InformationField(std::size_t index) { return index == 0 || index == 2 || index == 14; }

// The protocol text of an initialisation result code; nullptr for a code
// the page does not know.
const char* InitCodeText(std::int16_t code) {
  switch (code) {
    case 1: return "action_running";
    case 17: return "action_stop";
    case 18: return "action_pulse";
    case 19: return "action_time";
    case 2: return "action_canceled";
    case 4: return "action_mech_pneu";
    case 11: return "action_timeout";
    case 12: return "action_proport";
    case 14: return "action_duty_cyc";
    case 30: return "action_zero_point_err";
    case 31: return "action_not_possib";
    case 254: return "action_done";
    default: return nullptr;
  }
}

bool InitCodeRunning(std::int16_t code) { return code == 1 || code == 17 || code == 18 || code == 19; }

const char* ZeroPointCodeText(std::int16_t code) {
  switch (code) {
    case 1: return "action_not_possib";
    case 16: return "action_zero_point_err";
    case 32: return "action_canceled";
    case 128: return "action_done";
    default: return "action_running";
  }
}

std::string TextOf(const com::Variant& value) { return value.IsEmpty() ? std::string() : value.ToString(); }

double NumberOf(const com::Variant& value) { return value.IsEmpty() ? 0.0 : value.ToDouble(); }

std::int16_t CodeOf(const com::Variant& value) { return value.IsEmpty() ? 0 : value.ToInteger(); }

}  // namespace

ctlCalib::ctlCalib(const runtime::Services& services)
    : PageBase(Design{"ctlCalib", "HeadlineTitle_Kalibrierung", true}, &services) {
  frm_calib_ = Add(std::make_shared<forms::Frame>("frmCalib"));
  frm_calib_->SetCaption("Kalibrierung");
  cmd_read_ = Add(std::make_shared<forms::CommandButton>("cmdReadDynPars"), frm_calib_.get());
  cmd_read_->SetCaption("Lesen");
  cmd_write_ = Add(std::make_shared<forms::CommandButton>("cmdWriteDynPars"), frm_calib_.get());
  cmd_write_->SetCaption("Schreiben");
  frm_start_up_ = Add(std::make_shared<forms::Frame>("frmStartUp"), frm_calib_.get());
  frm_start_up_->SetCaption("Inbetriebnahme");
  auto place = [this](const FieldDesign& design, forms::Container* into) {
    auto field = Add(std::make_shared<controls::ctlParameter>("ctlParameter", design.index), into);
    field->SetParameterTag(design.tag);
    field->SetLabelText(design.label);
    field->SetControlType(design.type);
    field->SetValueFormat(design.format);
    fields_.at(static_cast<std::size_t>(design.index)) = field;
  };
  for (const FieldDesign& design : kStartUpFields) place(design, frm_start_up_.get());
  cmd_init_ = Add(std::make_shared<forms::CommandButton>("cmdInitialization"), frm_calib_.get());
  cmd_init_->SetCaption("Initialisierung");
  cmd_zero_ = Add(std::make_shared<forms::CommandButton>("cmdZeroPointCalib"), frm_calib_.get());
  cmd_zero_->SetCaption("Nullpunktabgleich");
  for (const FieldDesign& design : kActionFields) place(design, frm_calib_.get());
  lbl_prot_ = Add(std::make_shared<forms::Label>("lblProt"), frm_calib_.get());
  lbl_comm_ = Add(std::make_shared<forms::Label>("lblComm"), frm_calib_.get());
  lbl_comm_->SetCaption("Kommunikation nicht aktiv.");

  cmd_zero_->On("Click", [this](forms::Args&) { StartAction(false); });
  cmd_init_->On("Click", [this](forms::Args&) { StartAction(true); });
  cmd_read_->On("Click", [this](forms::Args&) { TransferDynPars(false); });
  cmd_write_->On("Click", [this](forms::Args&) { TransferDynPars(true); });
  for (const auto& button : {cmd_init_, cmd_read_, cmd_write_, cmd_zero_}) EchoOn(button, "LostFocus");
  EchoOn(frm_calib_, "Click");
  EchoOn(frm_start_up_, "Click");
  EchoOn(lbl_comm_, "Click");
  EchoOn(lbl_prot_, "Click");

  for (const auto& field : fields_) {
    if (!field) continue;
    const std::int16_t index = field->Index();
    std::weak_ptr<controls::ctlParameter> weak = field;
    field->On("LostFocus", [this, weak, index](forms::Args&) {
      if (const auto f = weak.lock()) Echo(f);
      if (index == 3 || index == 12) CheckNominalRange();
    });
    if (index == 3 || index == 12) {
      field->On("KeyPress", [this](forms::Args& args) {
        if (args.size() < 2 || args[1].ToLong() != kEnter) return;
        // Leaving the field runs its range check.
        if (cmd_zero_->CanTakeFocus()) cmd_zero_->SetFocus();
      });
    }
    if (index == 1) {
      field->On("StateChanged", [this](forms::Args&) {
        if (m_ActionState >= START_ACTION_NULLPOINT && m_ActionState <= READ_DEV_STATUS_NULLPOINT) {
          m_CancelRequested = true;
        }
      });
    }
  }
}

// ---- The skeleton's steps ---------------------------------------------------------------------

bool ctlCalib::IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                                       const com::ObjectPtr& dtm) {
  if (!invoke_id.empty() && dtm && InvokeID().empty()) m_CancelCount = 0;
  return PageBase::IDtmActiveXControl_Init(invoke_id, function_call, dtm);
}

void ctlCalib::FirstAction() { TransferDynPars(false); }

void ctlCalib::InitParamSite() {
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  Field(0).SetVisible(false);
  Field(2).SetVisible(true);
  EnableActionButtons(true);
}

void ctlCalib::ApplyLanguage(std::int32_t language_id) {
  PageBase::ApplyLanguage(language_id);
  runtime::DTMContext& context = *GetDtmContext();
  runtime::DTMDictionary& dictionary = context.Dictionary();
  cmd_zero_->SetToolTipText(TextOf(dictionary.GetValue("keys", "ctlCalib_cmdZeroPointCalib", "tooltip")));
  cmd_init_->SetToolTipText(TextOf(dictionary.GetValue("keys", "ctlCalib_cmdInitialization", "tooltip")));
  if (m_ActionState != NO_ACTION || NumberOf(Element("SC130Tr7/Par1")->TransientValue) == 0) {
    Field(14).SetValue(com::Variant(std::int16_t{0}));
  }
  // The start-up function's own name.
  frm_start_up_->SetCaption(TextOf(dictionary.GetValue("DTMFunctions", "ctlStartUp", "text")));
  if (NumberOf(Element("SC130Tr1/Par2")->TransientValue) == 1) {
    // A rotary valve: the travel limits are described as angle limits.
    Element("SC128Tr11/Par2")->Description =
        TextOf(dictionary.GetValue("keys", "ctlOfflineParams_parLowLimHelp", "description"));
    Element("SC128Tr11/Par1")->Description =
        TextOf(dictionary.GetValue("keys", "ctlOfflineParams_parUppLimHelp", "description"));
  }
  if (m_ActionState != NO_ACTION) lbl_comm_->SetCaption(KeyText(Dict().GetValue("keys", "ctlCalib_lblComm_active", "text")));
}

bool ctlCalib::ReleaseParamSite() {
  if (m_CancelCount < 2 && m_ActionState != NO_ACTION) {
    const bool initialisation = m_ActionState >= START_ACTION_INIT && m_ActionState <= ERROR_HANDLER_INIT;
    runtime::DTMContext& context = *GetDtmContext();
    const std::string question = initialisation ? KeyText(Dict().GetValue("keys", "action_init_cancel", "text")) : KeyText(Dict().GetValue("keys", "action_calib_cancel", "text"));
    if (context.MessageBox(question, kStyleYesNoSecond) == kAnswerYes) {
      const std::string cancel = initialisation ? "SC133Inx2" : "SC133Inx1";
      // A request runs nearly always: the cancel goes out when it ends.
      if (Process()->IsBusy()) {
        pending_cancel_ = cancel;
      } else {
        StartCommand(cancel, true);
      }
      ++m_CancelCount;
      if (!initialisation) m_CancelRequested = true;
    }
    return false;
  }
  // The page does not close before a cancel the user asked for has gone out.
  if (m_ActionState != NO_ACTION && !pending_cancel_.empty()) return false;
  return PageBase::ReleaseParamSite();
}

void ctlCalib::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

// ---- Start of an action -------------------------------------------------------------------------

bool ctlCalib::UserMayAct() const {
  runtime::DTMContext* context = GetDtmContext();
  return context && context->User().UserLevel() != 0;
}

void ctlCalib::StartAction(bool initialisation) {
  if (!DTM()) return;
  // One action at a time, and none while a request of the page runs.
  if (m_ActionState != NO_ACTION || Process()->IsBusy() || !UserMayAct()) return;
  runtime::DTMContext& context = *GetDtmContext();
  if (!initialisation) m_CancelRequested = false;
  m_ActionText = initialisation ? KeyText(Dict().GetValue("keys", "action_init", "text")) : KeyText(Dict().GetValue("keys", "action_calib", "text"));
  const std::string question = LanguageHelpers::GetLangText(
      context, initialisation ? "warn_init_starten" : "warn_nullpkt_starten", com::Variant("text"));
  if (context.MessageBox(question, kStyleOkCancelQuestion) != kAnswerOk) return;

  m_ActionState = initialisation ? START_ACTION_INIT : START_ACTION_NULLPOINT;
  pending_cancel_.clear();
  if (initialisation) {
    const auto status = Element("SC134");
    status->nParamIndex = 2;
    status->TransientValue = com::Variant(std::int16_t{0});
  }
  if (!StartCommand(initialisation ? "SC132Inx2" : "SC132Inx1", true)) return;

  SetCommActive(true);
  ProtocolText("action_starting");
  const auto zero_status = Element("CC048/St1");
  zero_status->SetValidity(!initialisation);
  Notify(zero_status);
  const auto init_status = Element("SC134");
  init_status->SetValidity(initialisation);
  Notify(init_status);
  const auto cancel = Element("SC133");
  cancel->SetValidity(true);
  cancel->TransientValue = com::Variant(std::int16_t{static_cast<std::int16_t>(initialisation ? 2 : 1)});
  Notify(cancel);
  EnableDynParsButtons(false);
  const auto warnings = Element("SC130Tr7/Par1");
  warnings->TransientValue = com::Variant(std::int16_t{0});
  Notify(warnings);
}

bool ctlCalib::StartCommand(const std::string& path, bool write) {
  const OneStart started = StartOne(path, write);
  if (started == OneStart::kNotStarted) return false;
  if (started == OneStart::kFailed) {
    runtime::DTMContext& context = *GetDtmContext();
    if (!failure_told_) context.MessageBox(LanguageHelpers::GetLangText(context, "error_at_connect"), kStyleOkOnly);
    if (!ending_) {
      // Both end operations run; a start failing in them ends the action
      // there, and this failure is told once.
      failure_told_ = true;
      EndZeroPointAction();
      EndInitAction();
      failure_told_ = false;
    }
    MarkCommError();
    return false;
  }
  EnableActionButtons(false);
  return true;
}

bool ctlCalib::Poll(const std::string& path, bool write) {
  if (!pending_cancel_.empty()) {
    const std::string cancel = std::exchange(pending_cancel_, std::string());
    return StartCommand(cancel, true);
  }
  return StartCommand(path, write);
}

void ctlCalib::AddProtocolLine(const std::string& line) {
  std::string caption = lbl_prot_->Caption();
  if (m_ProtLineCount == 0) {
    caption = line;
    m_ProtLineCount = 1;
  } else if (m_ProtLineCount < kProtocolLines) {
    caption += '\r' + line;
    ++m_ProtLineCount;
  } else {
    const std::size_t first = caption.find('\r');
    caption = (first == std::string::npos ? std::string() : caption.substr(first + 1)) + '\r' + line;
  }
  lbl_prot_->SetCaption(caption);
}

void ctlCalib::ProtocolText(const std::string& key) { AddProtocolLine(basCVMK::PipeToBlank(LangText(key))); }

void ctlCalib::SetCommActive(bool active) {
  if (active) {
    lbl_comm_->SetCaption(KeyText(Dict().GetValue("keys", "ctlCalib_lblComm_active", "text")));
    lbl_comm_->SetForeColor(kActiveColor);
  } else {
    lbl_comm_->SetCaption(KeyText(Dict().GetValue("keys", "ctlCalib_lblComm", "text")));
    lbl_comm_->SetForeColor(kIdleColor);
    lbl_prot_->SetCaption("");
  }
  m_ProtLineCount = 0;
}

void ctlCalib::EnableActionButtons(bool enable) {
  cmd_zero_->SetEnabled(enable && UserMayAct());
  cmd_init_->SetEnabled(cmd_zero_->Enabled() && enable);
}

void ctlCalib::EnableDynParsButtons(bool enable) {
  cmd_read_->SetEnabled(enable);
  cmd_write_->SetEnabled(enable);
}

// ---- Dynamic parameters ---------------------------------------------------------------------------

void ctlCalib::TransferDynPars(bool write) {
  runtime::ParamProcess& process = *Process();
  if (process.IsBusy()) return;
  std::int32_t error = 0;
  process.Reset(error);
  if (!DTM()) return;
  runtime::DTMContext& context = *GetDtmContext();
  if (process.IsEmpty()) {
    auto add = [&](const char* path, bool always) {
      const auto element = Element(path);
      if (write && !always && element->StatusFlags() != kChangedOnly) return;
      std::int32_t ignored = 0;
      process.AddElement(context.Parameters().Item(path), write, ignored);
    };
    add("SC130Tr1/Par2", true);
    if (NumberOf(Element("SC130Tr1/Par2")->TransientValue) == 0) {
      add("SC128Tr2/Par2", false);
      add("SC130Tr1/Par1", false);
      add("SC130Tr2/Par2", false);
    } else {
      add("SC128Tr1/Par1", false);
    }
    if (write) {
      add("SC128Tr1/Par3", false);
      add("SC128Tr2/Par4", false);
    }
    for (const char* path : {"SC130Tr2/Par4", "SC130Tr2/Par1", "SC128Tr2/Par1", "SC130Tr2/Par3", "SC130Tr3/Par1"}) {
      add(path, false);
    }
  }
  error = 0;
  process.Start(std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), 0, true, error);
  if (error != 0) {
    process.Abort();
    context.MessageBox(LanguageHelpers::GetLangText(context, "error_at_connect"), kStyleOkOnly);
    MarkCommError();
    return;
  }
  EnableDynParsButtons(false);
  EnableActionButtons(false);
  StartActivity();
  m_DynParsActive = 255;
}

void ctlCalib::DynParsFinished() {
  Walk();
  EnableDynParsButtons(true);
  EnableActionButtons(true);
  Process()->Abort();
  StopActivity();
  m_DynParsActive = 0;
}

// ---- The end of every request ---------------------------------------------------------------------

void ctlCalib::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                 const std::optional<com::Variant>&) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context || !Process()) return;
  // The end of a request arrives from the event loop: its failure is the
  // page's to report, never the loop's.
  try {
    if (m_DynParsActive != 0) {
      DynParsFinished();
      return;
    }
    if (!OwnsProcess(process_id)) return;
    if (!context->CommMan().IsConnected()) {
      // An action under way learns of the loss here, once; the error
      // handler then ends it.
      const bool running = m_ActionState == START_ACTION_INIT || m_ActionState == READ_ACTION_STATUS_INIT ||
                           m_ActionState == READ_INIT_WARNING_INIT || m_ActionState == START_ACTION_NULLPOINT ||
                           m_ActionState == READ_ACTION_STATUS_NULLPOINT;
      if (running) {
        context->MessageBox(TextOf(context->Dictionary().GetValue("DTMruntime", "comm_con_aborted", "text")),
                            kStyleOkOnly);
      }
      m_ActionState = m_ActionState >= START_ACTION_INIT && m_ActionState <= READ_DEV_STATUS_INIT
                          ? ERROR_HANDLER_INIT
                          : ERROR_HANDLER_NULLPOINT;
      m_LastCode = 0;
    }
    Walk();
    Process()->Abort();
    Dispatch();
    if (m_ActionState == NO_ACTION) pending_cancel_.clear();
  } catch (const com::ComError& error) {
    context->ShowError(error.Description());
  }
}

void ctlCalib::Walk() {
  runtime::DTMContext& context = *GetDtmContext();
  const std::vector<runtime::ProcessResult> results = context.CommMan().GetResults(Process()->ProcessID());
  bool failed = false;
  WalkResults(context, results, context.CommMan().IsConnected(), kNotAnswered, [&](const WalkedResult& result) {
    // Once one result failed the display stays marked: a later good one
    // does not make it look read.
    failed = failed || !result.accepted || (result.flags != 0 && result.flags != 1);
    if (failed) {
      MarkCommError();
    } else {
      MarkCommOk();
    }
  });
}

bool ctlCalib::Check(const std::string& path, bool initialisation) {
  const std::int32_t flags = Element(path)->StatusFlags();
  if ((flags & kResultClass) == 0) return true;
  // The page's own marks add bits to the flags: only the class tells.
  if (flags::IsWriteProtected(flags)) {
    if (initialisation) {
      EndInitAction();
    } else {
      EndZeroPointAction();
    }
    return false;
  }
  runtime::DTMContext& context = *GetDtmContext();
  context.MessageBox(TextOf(context.Dictionary().GetValue("DTMruntime", "comm_con_aborted", "text")), kStyleOkOnly);
  m_ActionState = initialisation ? ERROR_HANDLER_INIT : ERROR_HANDLER_NULLPOINT;
  StartCommand("SC130Tr2/Par4", false);
  return false;
}

void ctlCalib::Dispatch() {
  switch (m_ActionState) {
    case START_ACTION_INIT:
      if (!Check("SC132Inx2", true)) return;
      ProtocolText("action_running");
      m_LastCode = 0;
      m_ActionState = READ_ACTION_STATUS_INIT;
      Poll("SC134", true);
      return;
    case READ_ACTION_STATUS_INIT:
      StateReadInitStatus();
      return;
    case READ_INIT_WARNING_INIT:
      if (!Check("SC130Tr2/Par4", true)) return;
      if (m_LastCode == 254) {
        ActionBox("action_done", kStyleInformation);
      } else {
        ActionBox("action_canceled", kStyleCritical);
      }
      m_ActionState = READ_DEV_STATUS_INIT;
      StartCommand("CC048/", false);
      return;
    case READ_DEV_STATUS_INIT: {
      const auto zero_status = Element("CC048/St1");
      zero_status->SetValidity(false);
      Notify(zero_status);
      EnableActionButtons(true);
      SetCommActive(false);
      const auto cancel = Element("SC133");
      cancel->SetValidity(false);
      // The first pass reads the initialisation warnings; the second ends.
      if (!cmd_read_->Enabled()) {
        StartCommand("SC130Tr7/", false);
      } else {
        m_ActionState = NO_ACTION;
      }
      Notify(cancel);
      EnableDynParsButtons(true);
      return;
    }
    case ERROR_HANDLER_INIT:
      EndInitAction();
      return;
    case START_ACTION_NULLPOINT:
      if (!Check("SC132Inx1", false)) return;
      ProtocolText("action_running");
      m_LastCode = 0;
      m_ActionState = READ_ACTION_STATUS_NULLPOINT;
      Poll("CC048/St1", false);
      return;
    case READ_ACTION_STATUS_NULLPOINT:
      StateReadZeroPointStatus();
      return;
    case READ_INIT_WARNING_NULLPOINT:
      if (m_LastCode == 128) {
        ActionBox("action_done", kStyleInformation);
        const auto zero_status = Element("CC048/St1");
        zero_status->TransientValue = com::Variant(std::int16_t{128});
        Notify(zero_status);
      } else {
        ActionBox(ZeroPointCodeText(m_LastCode), kStyleCritical);
      }
      m_ActionState = READ_DEV_STATUS_NULLPOINT;
      StartCommand("CC048/", false);
      return;
    case READ_DEV_STATUS_NULLPOINT: {
      const auto zero_status = Element("CC048/St1");
      zero_status->TransientValue = com::Variant(m_LastCode);
      Notify(zero_status);
      const auto init_status = Element("SC134");
      init_status->SetValidity(false);
      Notify(init_status);
      if (!cmd_read_->Enabled()) {
        StartCommand("SC130Tr7/", false);
      } else {
        m_ActionState = NO_ACTION;
      }
      EnableActionButtons(true);
      SetCommActive(false);
      EnableDynParsButtons(true);
      const auto cancel = Element("SC133");
      cancel->SetValidity(false);
      Notify(cancel);
      return;
    }
    case ERROR_HANDLER_NULLPOINT:
      EndZeroPointAction();
      return;
    case NO_ACTION:
      return;
  }
}

void ctlCalib::StateReadInitStatus() {
  if (!Check("SC134", true)) return;
  const std::int16_t code = CodeOf(Element("SC134")->TransientValue);
  if (code == 0) {
    m_ActionState = READ_ACTION_STATUS_INIT;
    Poll("SC134", true);
    return;
  }
  const char* text = InitCodeText(code);
  if (text && InitCodeRunning(code)) {
    if (code != m_LastCode) ProtocolText(text);
    m_LastCode = code;
    m_ActionState = READ_ACTION_STATUS_INIT;
    Poll("SC134", true);
    return;
  }
  if (!text) {
    runtime::DTMContext& context = *GetDtmContext();
    context.MessageBox(basCVMK::PipeToBlank(LangText("action_code_unknown")), kStyleInformation, m_ActionText);
    text = "action_canceled";
    // The device's action is cancelled; its completion takes the place of
    // the read below.
    pending_cancel_.clear();
    StartCommand("SC133Inx2", true);
  }
  ProtocolText(text);
  m_LastCode = code;
  m_ActionState = READ_INIT_WARNING_INIT;
  ProtocolText("reading_status");
  Poll("SC130Tr2/Par4", false);
}

void ctlCalib::StateReadZeroPointStatus() {
  if (!Check("CC048/St1", false)) return;
  const auto status = Element("CC048/St1");
  const std::int16_t v = CodeOf(status->TransientValue);
  std::int16_t code = 0;
  auto show = [&](std::int16_t value) {
    status->TransientValue = com::Variant(value);
    Notify(status);
  };
  if (v & 1) {
    code = 1;
  } else if (v & 16) {
    code = 16;
    show(16);
    if (v & 32) {
      code = 32;
      show(32);
    }
  }
  if (code == 0) {
    code = (v & 8) ? 8 : 128;
    show(code);
  }
  if (m_CancelRequested) {
    code = 32;
    m_CancelRequested = false;
  }
  if (code == 8) {
    if (code != m_LastCode) ProtocolText("action_running");
    m_LastCode = code;
    m_ActionState = READ_ACTION_STATUS_NULLPOINT;
    Poll("CC048/St1", false);
    return;
  }
  ProtocolText(ZeroPointCodeText(code));
  m_LastCode = code;
  m_ActionState = READ_INIT_WARNING_NULLPOINT;
  ProtocolText("reading_status");
  // A cancel still due goes out in place of this read.
  Poll("SC130Tr2/Par4", false);
}

void ctlCalib::EndInitAction() {
  const auto init_status = Element("SC134");
  init_status->TransientValue = com::Variant(std::int16_t{0});
  init_status->SetValidity(true);
  Notify(init_status);
  const auto zero_status = Element("CC048/St1");
  zero_status->SetValidity(false);
  Notify(zero_status);
  EndTail();
}

void ctlCalib::EndZeroPointAction() {
  const auto zero_status = Element("CC048/St1");
  zero_status->TransientValue = com::Variant(std::int16_t{0});
  Notify(zero_status);
  const auto init_status = Element("SC134");
  init_status->SetValidity(false);
  Notify(init_status);
  EndTail();
}

void ctlCalib::EndTail() {
  if (!cmd_read_->Enabled()) {
    // The first pass reads the initialisation warnings; should that read
    // not start, the action ends here.
    const bool was_ending = std::exchange(ending_, true);
    const bool started = StartCommand("SC130Tr7/", false);
    ending_ = was_ending;
    if (!started) {
      m_ActionState = NO_ACTION;
      StopActivity();
    }
  } else {
    m_ActionState = NO_ACTION;
  }
  EnableActionButtons(true);
  SetCommActive(false);
  EnableDynParsButtons(true);
  const auto cancel = Element("SC133");
  cancel->SetValidity(false);
  Notify(cancel);
}

void ctlCalib::ActionBox(const std::string& key, std::int32_t style) {
  GetDtmContext()->MessageBox(LangText(key), style, m_ActionText);
}

// ---- Fields -----------------------------------------------------------------------------------------

void ctlCalib::MarkCommError() {
  for (const auto& field : fields_) {
    if (!field) continue;
    const auto element = Element(field->ParameterTag());
    element->SetStatusFlags(element->StatusFlags() | kCommError);
    Notify(element);
  }
  const auto warnings = Element(Field(14).ParameterTag());
  warnings->SetStatusFlags(warnings->StatusFlags() | 1);
  Notify(warnings);
}

void ctlCalib::MarkCommOk() {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (!fields_[i]) continue;
    const auto element = Element(fields_[i]->ParameterTag());
    element->SetStatusFlags(InformationField(i) ? 1 : 0);
    Notify(element);
  }
}

void ctlCalib::CheckNominalRange() {
  if (!DTM()) return;
  const std::int16_t type = CodeOf(Element("SC130Tr1/Par2")->TransientValue);
  const char* nominal_path = nullptr;
  const char* range_path = nullptr;
  const char* greater_key = nullptr;
  const char* smaller_key = nullptr;
  if (type == 0) {
    nominal_path = "SC128Tr2/Par2";
    range_path = "SC128Tr2/Par4";
    greater_key = "Nennhub_groesser_hubbereich";
    smaller_key = "Nennhub_kleiner_hubbereich";
  } else if (type == 1) {
    nominal_path = "SC128Tr1/Par1";
    range_path = "SC128Tr1/Par3";
    greater_key = "Nennwinkel_groesser_winkelbereich";
    smaller_key = "Nennwinkel_kleiner_winkelbereich";
  } else {
    return;
  }
  runtime::DTMContext& context = *GetDtmContext();
  const auto nominal = Element(nominal_path);
  const auto range = Element(range_path);
  const double n = NumberOf(nominal->TransientValue);
  const double e = NumberOf(range->TransientValue);
  if (n > e) {
    const std::string question = LanguageHelpers::GetLangText(context, greater_key, com::Variant("text"));
    if (context.MessageBox(question, kStyleYesNoSecond) != kAnswerYes) return;
  } else if (n < e) {
    const std::string message = LanguageHelpers::GetLangText(context, smaller_key, com::Variant("text"));
    context.MessageBox(message, kStyleInformationSecond);
  } else {
    return;
  }
  range->TransientValue = nominal->TransientValue;
  Notify(range);
}

std::shared_ptr<clsDataElement> ctlCalib::Element(const std::string& path) const {
  auto element = std::dynamic_pointer_cast<clsDataElement>(GetDtmContext()->Parameters().Item(path));
  if (!element) {
    throw com::ComError(com::vb::kInvalidProcedureCall, "No data element " + path, "ctlCalib");
  }
  return element;
}

void ctlCalib::Notify(const std::shared_ptr<clsDataElement>& element) const {
  GetDtmContext()->Parameters().NotifyChanged(element, "");
}

std::string ctlCalib::KeyText(const com::Variant& value) { return TextOf(value); }

runtime::DTMDictionary& ctlCalib::Dict() const { return GetDtmContext()->Dictionary(); }

std::string ctlCalib::LangText(const std::string& key) const {
  return LanguageHelpers::GetLangText(*GetDtmContext(), key, com::Variant(m_ActionText));
}

}  // namespace dtm
