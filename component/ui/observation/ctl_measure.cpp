#include "component/ui/observation/ctl_measure.h"

#include <utility>

#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "component/ui/framework/param_link.h"
#include "platform/runtime/comm.h"
#include "platform/runtime/context.h"
#include "platform/runtime/dictionary.h"

namespace dtm {
namespace {

constexpr std::int32_t kCommError = 0xF0000;
constexpr std::int32_t kNotAnswered = 0x10000;
constexpr std::int32_t kWriteProtected = 0x300000;
constexpr std::int32_t kDynamic = 2;
constexpr std::int32_t kCommunicationFailure = -5;
constexpr std::int32_t kStyleOkOnly = 0;

constexpr const char* kOpModePath = "SC130Tr8/Par2";
constexpr const char* kWHandPath = "SC128Tr15/Par1";

struct FieldDesign {
  std::int16_t index;
  bool in_status_frame;
  const char* tag;
  const char* label;  // the German default until the element's texts come
  std::int32_t control_type;
  const char* format;
};

// In the order the frames show them.
constexpr FieldDesign kFields[] = {
    {1, false, "SC136/wDigit", "Führungsgrösse wxx", 1, "0.0"},
    {0, false, "SC136/wAnalog", "Führungsgrösse wx", 1, "0.0"},
    {2, false, "SC136/x", "Regelgrösse xx", 1, "0.0"},
    {3, false, "SC136/e", "Regeldifferenz e", 1, "0.0"},
    {4, true, "SC130Tr8/Par1", "Zwangsentlüftung", 3, ""},
    {5, true, "SC136/FaultAl", "Störmeldung", 3, ""},
    {6, true, "SC136/GW1", "SW Grenzkontakt GW1", 3, ""},
    {7, true, "SC136/GW2", "SW Grenzkontakt GW2", 3, ""},
    {8, true, "SC136/TotTravel", "Abs. Wegintegral", 1, "0.0"},
    {9, true, kOpModePath, "Betriebsart", 3, "0.0"},
    {10, true, kWHandPath, "Führungsgrösse w Handx", 1, "0.0"},
    {12, true, "SC136/OpStat", "Betriebszustand", 3, "0.0"},
};

// The groups of one cyclic pass, in reading order.
constexpr const char* kCycleGroups[] = {"SC136/", "SC130Tr8/", "SC128Tr11/", "SC128Tr12/"};
// The groups the initial chain reads after the identification, by step.
constexpr const char* kChainGroups[] = {"SC130Tr8/", "SC128Tr11/", "SC128Tr12/"};

// The lamps by index, and the element each shows.
constexpr std::pair<std::int16_t, const char*> kLamps[] = {
    {4, "SC130Tr8/Par1"}, {5, "SC136/FaultAl"}, {6, "SC136/GW1"}, {7, "SC136/GW2"}};

clsDataElement* DataOf(const DataElementPtr& element) {
  return dynamic_cast<clsDataElement*>(element.get());
}

// A value as a double: Empty is 0, and so is a value that is no number
// (the bar then rests at zero rather than the page failing).
double NumberOf(const com::Variant& value) {
  if (value.IsEmpty()) return 0.0;
  try {
    return value.ToDouble();
  } catch (const com::ComError&) {
    return 0.0;
  }
}

bool IsOne(const com::Variant& value) {
  if (value.IsEmpty()) return false;
  try {
    return value.ToDouble() == 1.0;
  } catch (const com::ComError&) {
    return false;
  }
}

}  // namespace

ctlMeasure::ctlMeasure(const runtime::Services& services)
    : PageBase(Design{"ctlMeasure", "HeadlineTitle_Messwert", false}, &services) {
  chk_cycle_ = Add(std::make_shared<forms::CheckBox>("chkCycle"));
  chk_cycle_->SetCaption("Zyklische Aktualisierung");
  chk_cycle_->SetValue(com::Variant(std::int16_t{0}));
  tmr_cycle_ = Add(std::make_shared<forms::Timer>("tmrCycle", services.loop));
  tmr_cycle_->SetInterval(kCycleInterval);
  tmr_cycle_->SetEnabled(false);
  frm_proc_data_ = Add(std::make_shared<forms::Frame>("frmProcData"));
  frm_proc_data_->SetCaption("Messwerte");
  frm_status_ = Add(std::make_shared<forms::Frame>("frmStatus"));
  frm_status_->SetCaption("Status");

  for (const FieldDesign& design : kFields) {
    auto field = Add(std::make_shared<controls::ctlParameter>("ctlParameter", design.index),
                     design.in_status_frame ? frm_status_.get() : frm_proc_data_.get());
    field->SetParameterTag(design.tag);
    field->SetLabelText(design.label);
    field->SetControlType(design.control_type);
    field->SetValueFormat(design.format);
    fields_.push_back(field);
    if (design.index == 1) bar_w_ = Add(std::make_shared<ctlBar>("barW"), frm_proc_data_.get());
    if (design.index == 2) bar_x_ = Add(std::make_shared<ctlBar>("barX"), frm_proc_data_.get());
    if (design.index == 3) bar_e_ = Add(std::make_shared<ctlBar>("barE"), frm_proc_data_.get());
    if (design.index >= 4 && design.index <= 7) {
      leds_[design.index - 4] =
          Add(std::make_shared<forms::PictureBox>("picLED", design.index), frm_status_.get());
    }
    if (design.index == 9) {
      cmd_op_mode_ = Add(std::make_shared<forms::CommandButton>("cmdWriteOpMode"), frm_status_.get());
      cmd_op_mode_->SetCaption("Betriebsart schreiben");
    }
    if (design.index == 10) {
      cmd_w_hand_ = Add(std::make_shared<forms::CommandButton>("cmdWriteWHand"), frm_status_.get());
      cmd_w_hand_->SetCaption("Führungsgrösse w Hand schreiben");
    }
  }
  bar_w_->SetColor(0xFF0000);
  bar_x_->SetColor(0x00C000);
  bar_e_->SetColor(0x00FFFF);
  for (ctlBar* bar : {bar_w_.get(), bar_x_.get(), bar_e_.get()}) bar->SetLimitColor(0x0000FF);

  chk_cycle_->On("Click", [this](forms::Args&) { CycleClick(); });
  tmr_cycle_->On("Timer", [this](forms::Args&) { CycleTick(); });
  cmd_op_mode_->On("Click", [this](forms::Args&) { WriteOpModeClick(); });
  cmd_w_hand_->On("Click", [this](forms::Args&) { WriteWHandClick(); });
  EchoOn(chk_cycle_, "LostFocus");
  EchoOn(cmd_op_mode_, "LostFocus");
  EchoOn(cmd_w_hand_, "LostFocus");
  EchoOn(frm_proc_data_, "Click");
  EchoOn(frm_status_, "Click");
  for (const auto& field : fields_) {
    std::weak_ptr<controls::ctlParameter> weak = field;
    field->On("GotFocus", [this, weak](forms::Args&) {
      if (const auto f = weak.lock()) FieldGotFocus(*f);
    });
    field->On("LostFocus", [this, weak](forms::Args&) {
      if (const auto f = weak.lock()) FieldLostFocus(f);
    });
  }
}

std::shared_ptr<controls::ctlParameter> ctlMeasure::Field(std::int16_t index) const {
  for (const auto& field : fields_) {
    if (field->Index() == index) return field;
  }
  return nullptr;
}

std::shared_ptr<IPrivateProcess> ctlMeasure::Sink() {
  return std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this());
}

void ctlMeasure::Box(const std::string& text) { GetDtmContext()->MessageBox(text, kStyleOkOnly); }

void ctlMeasure::Notify(const DataElementPtr& element) {
  GetDtmContext()->Parameters().NotifyChanged(element, "");
}

// ---- The steps ----------------------------------------------------------------------------------

std::vector<std::shared_ptr<controls::ctlParameter>> ctlMeasure::MarkedFields() const {
  // The editable entries 9 and 10 keep their marks; 12 comes last.
  std::vector<std::shared_ptr<controls::ctlParameter>> marked;
  for (std::int16_t index = 0; index <= 8; ++index) marked.push_back(Field(index));
  marked.push_back(Field(12));
  return marked;
}

void ctlMeasure::InitParamSite() {
  runtime::DTMContext& context = *GetDtmContext();
  m_TransferProcess = std::make_shared<runtime::ParamProcess>();
  m_TransferProcess->Init(context);
  m_CycleProcess = std::make_shared<runtime::ParamProcess>();
  m_CycleProcess->Init(context);
  std::string invoke_id = InvokeID();
  ParamSite().Init(context, invoke_id, std::make_shared<clsParamLink>());
  if (context.GUIMan().LockState()) SetLockState(false);
  ApplyLanguage(context.GUIMan().Language());
  for (ctlBar* bar : {bar_w_.get(), bar_x_.get()}) {
    bar->SetRangeMin(-10.0);
    bar->SetRangeMax(120.0);
  }
  bar_e_->SetRangeMin(-10.0);
  bar_e_->SetRangeMax(10.0);
  bar_e_->SetStart_at_Zero(true);
  OnParameterSetChanged();
  GetParamHelpCtl()->ZOrder(0);
  // The write buttons follow the user level alone here, whatever the lock.
  cmd_op_mode_->SetEnabled(context.User().UserLevel() != 0);
  cmd_w_hand_->SetEnabled(cmd_op_mode_->Enabled());
}

void ctlMeasure::ApplyLanguage(std::int32_t language_id) {
  PageBase::ApplyLanguage(language_id);
  const com::Variant caption = GetDtmContext()->Dictionary().GetValue("keys", "chkCycle", "text");
  chk_cycle_->SetCaption(caption.IsEmpty() ? std::string() : caption.ToString());
}

bool ctlMeasure::ReleaseParamSite() {
  ParamSite().Release();
  if (m_TransferProcess) m_TransferProcess->Release();
  if (m_CycleProcess) m_CycleProcess->Release();
  return true;
}

void ctlMeasure::SetLockState(bool enabled) {
  ParamSite().EnableInput(enabled);
  cmd_op_mode_->SetEnabled(GetDtmContext()->User().UserLevel() != 0 && enabled);
  cmd_w_hand_->SetEnabled(cmd_op_mode_->Enabled() && enabled);
}

void ctlMeasure::FirstAction() {
  CycleClick();  // the box is still cleared: this only stops a cycle
  m_InitDone = false;
  m_InitStep = 0;
  TransferParam("UC000/", false);
}

// ---- The display ----------------------------------------------------------------------------------

void ctlMeasure::ShowBar(ctlBar& bar, const std::string& value_path, const std::string& low_path,
                         const std::string& high_path) {
  runtime::Parameters& parameters = GetDtmContext()->Parameters();
  if (clsDataElement* value = DataOf(parameters.Item(value_path))) {
    bar.SetValue(NumberOf(value->TransientValue));
    bar.SetToolTipText(value->Description);
  }
  if (low_path.empty()) return;
  if (clsDataElement* low = DataOf(parameters.Item(low_path))) bar.SetLimitMin(NumberOf(low->TransientValue));
  if (clsDataElement* high = DataOf(parameters.Item(high_path))) {
    bar.SetLimitMax(NumberOf(high->TransientValue));
  }
}

void ctlMeasure::ShowLamp(std::int16_t lamp, const std::string& path) {
  clsDataElement* element = DataOf(GetDtmContext()->Parameters().Item(path));
  if (!element) return;
  forms::PictureBox& led = picLED(lamp);
  led.SetVisible(element->Validity());
  led.SetBackColor(IsOne(element->TransientValue) ? kLampRed : kLampGreen);
}

void ctlMeasure::ShowWHandButton() {
  if (clsDataElement* element = DataOf(GetDtmContext()->Parameters().Item(kWHandPath))) {
    cmd_w_hand_->SetVisible(element->Validity());
  }
}

void ctlMeasure::ShowElement(const std::string& name, bool single) {
  if (name == "SC136/wDigit") {
    ShowBar(*bar_w_, name, "SC128Tr12/Par2", "SC128Tr12/Par1");
  } else if (name == "SC136/x") {
    ShowBar(*bar_x_, name, "SC128Tr11/Par2", "SC128Tr11/Par1");
  } else if (name == "SC136/e") {
    ShowBar(*bar_e_, name, "", "");
    if (single) {
      bar_e_->SetStart_at_Zero(true);
      bar_e_->SetLimitMin(-20.0);
      bar_e_->SetLimitMax(20.0);
    }
  } else if (name == kWHandPath) {
    ShowWHandButton();
  } else {
    for (const auto& [lamp, path] : kLamps) {
      if (name == path) ShowLamp(lamp, path);
    }
  }
}

void ctlMeasure::OnParameterChanged(const DataElementPtr& element) {
  if (element) ShowElement(element->IPrivateDataElement_Name(), true);
  PageBase::OnParameterChanged(element);
}

void ctlMeasure::OnParameterSetChanged() {
  ShowElement("SC136/e", false);
  ShowElement("SC136/wDigit", false);
  ShowElement("SC136/x", false);
  for (const auto& [lamp, path] : kLamps) ShowLamp(lamp, path);
  ShowWHandButton();
  PageBase::OnParameterSetChanged();
}

// ---- The cycle ------------------------------------------------------------------------------------

void ctlMeasure::CycleClick() {
  if (!m_CycleProcess) return;
  if (chk_cycle_->Value().ToLong() == 0) {
    tmr_cycle_->SetEnabled(false);
    if (m_CycleProcess->IsBusy()) m_CycleProcess->Abort();
    return;
  }
  if (m_CycleProcess->IsBusy()) return;
  std::int32_t error = 0;
  m_CycleProcess->Reset(error);
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  if (m_CycleProcess->IsEmpty()) {
    for (const char* group : kCycleGroups) m_CycleProcess->AddElement(context->Parameters().Item(group), false, error);
  }
  m_CycleProcess->Start(Sink(), 0, false, error);
  if (error == 0) {
    tmr_cycle_->SetEnabled(true);
    return;
  }
  m_CycleProcess->Abort();
  chk_cycle_->SetValue(com::Variant(std::int16_t{0}));
  Box(LanguageHelpers::GetLangText(*context, "error_at_connect"));
  MarkParamsCommError();
}

void ctlMeasure::CycleTick() {
  tmr_cycle_->SetEnabled(false);
  // A tick comes from the loop: a failure is the page's to tell.
  try {
    CycleRefresh();
  } catch (const com::ComError& error) {
    if (runtime::DTMContext* context = GetDtmContext()) context->ShowError(error.Description());
  }
}

void ctlMeasure::CycleRefresh() {
  runtime::DTMContext* context = GetDtmContext();
  if (!context || tmr_cycle_->Enabled() || m_CycleBusy || !m_CycleProcess || !m_CycleProcess->IsBusy()) return;
  m_CycleBusy = true;
  std::int32_t error = 0;
  // A refresh needs the channel: the runtime would open a lost connection
  // again on its own, and the cycle is to stop when the channel is gone.
  if (context->CommMan().Online()) {
    m_CycleProcess->Start(Sink(), 0, false, error);
  } else {
    error = runtime::ParamProcess::kNoCommunication;
  }
  if (error == 0) {
    tmr_cycle_->SetEnabled(true);
    return;
  }
  m_CycleBusy = false;
  if (context->CommMan().Online()) {
    tmr_cycle_->SetEnabled(true);  // the next tick tries again
    return;
  }
  chk_cycle_->SetValue(com::Variant(std::int16_t{0}));
  Box(LanguageHelpers::GetLangText(*context, "cycle_refresh_impossible"));
  MarkParamsCommError();
}

// ---- Single transfers ----------------------------------------------------------------------------

void ctlMeasure::TransferParam(const std::string& path, bool write) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context || !m_TransferProcess) return;
  if (m_TransferProcess->IsBusy()) {
    // Read as it stands: the text takes no arguments, and none is no text.
    const com::Variant text = context->Dictionary().GetValue("keys", "command_already_active", "text");
    Box(text.IsEmpty() ? std::string() : text.ToString());
    return;
  }
  const DataElementPtr element = context->Parameters().Item(path);
  std::int32_t error = 0;
  m_TransferProcess->Reset(error);
  if (!GetDtmContext()) return;
  if (m_TransferProcess->IsEmpty()) m_TransferProcess->AddElement(element, write, error);
  m_TransferProcess->Start(Sink(), 0, true, error);
  if (error == 0) {
    if (clsDataElement* data = DataOf(element)) data->IgnoreUpdate = false;
    chk_cycle_->SetEnabled(false);
    return;
  }
  m_TransferProcess->Abort();
  Box(LanguageHelpers::GetLangText(*context, "error_at_connect"));
  MarkParamsCommError();
}

void ctlMeasure::WriteOpModeClick() {
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  clsDataElement* mode = DataOf(context->Parameters().Item(kOpModePath));
  if (mode && IsOne(mode->TransientValue)) {
    m_WriteStep = 1;  // the manual value is read first, then the mode written
    TransferParam(kWHandPath, false);
  } else {
    m_WriteStep = 2;
    TransferParam(kOpModePath, true);
  }
}

void ctlMeasure::WriteWHandClick() {
  if (!GetDtmContext()) return;
  m_WriteStep = 3;
  TransferParam(kWHandPath, true);
}

void ctlMeasure::FieldGotFocus(const controls::ctlParameter& field) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  const std::string& tag = field.ParameterTag();
  if (tag != kWHandPath && tag != kOpModePath) return;
  // Frozen while edited: the cycle must not overwrite the user's input.
  const DataElementPtr element = context->Parameters().Item(tag);
  if (clsDataElement* data = DataOf(element)) data->IgnoreUpdate = true;
  element->IPrivateDataElement_StatusFlags(element->IPrivateDataElement_StatusFlags() & ~kDynamic);
  Notify(element);
}

void ctlMeasure::FieldLostFocus(const std::shared_ptr<controls::ctlParameter>& field) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  Echo(field);
  const std::string& tag = field->ParameterTag();
  // An entry that still holds an edit stays frozen.
  if (field->IsChanged() || (tag != kWHandPath && tag != kOpModePath)) return;
  const DataElementPtr element = context->Parameters().Item(tag);
  if (clsDataElement* data = DataOf(element)) data->IgnoreUpdate = false;
  element->IPrivateDataElement_StatusFlags(element->IPrivateDataElement_StatusFlags() | kDynamic);
  Notify(element);
}

// ---- A reported end ------------------------------------------------------------------------------

void ctlMeasure::EvaluateResults(runtime::ParamProcess& process, bool& write_protected,
                                 std::string& saved_error) {
  runtime::DTMContext& context = *GetDtmContext();
  const std::vector<runtime::ProcessResult> results = context.CommMan().GetResults(process.ProcessID());
  const bool connected = context.CommMan().IsConnected();
  for (const runtime::ProcessResult& result : results) {
    const DataElementPtr& element = result.Element;
    if (!element) continue;
    clsDataElement* data = DataOf(element);
    if (result.Status == kCommunicationFailure || !connected) {
      const std::int32_t flags = element->IPrivateDataElement_StatusFlags();
      if (write_protected) {
        element->IPrivateDataElement_StatusFlags(flags | kWriteProtected);
        if (data) data->CmdErr = saved_error;
      } else {
        element->IPrivateDataElement_StatusFlags(flags | kNotAnswered);
      }
      Notify(element);
    }
    const std::int32_t flags = element->IPrivateDataElement_StatusFlags();
    if ((flags & kWriteProtected) == kWriteProtected) {
      saved_error = data ? data->CmdErr : std::string();
      write_protected = true;
    }
    if (flags >= 0 && flags <= 3) {
      MarkParamsCommOk();
    } else {
      MarkParamsCommError();
    }
  }
}

void ctlMeasure::TransferCompleted() {
  runtime::Parameters& parameters = GetDtmContext()->Parameters();
  chk_cycle_->SetEnabled(true);
  m_TransferProcess->Abort();
  const auto mark_dynamic = [&](const char* path) {
    const DataElementPtr element = parameters.Item(path);
    element->IPrivateDataElement_StatusFlags(element->IPrivateDataElement_StatusFlags() | kDynamic);
    Notify(element);
  };
  switch (m_WriteStep) {
    case 1:
      mark_dynamic(kWHandPath);
      m_WriteStep = 2;
      TransferParam(kOpModePath, true);
      break;
    case 2:
      mark_dynamic(kOpModePath);
      m_WriteStep = 0;
      break;
    case 3:
      mark_dynamic(kWHandPath);
      m_WriteStep = 0;
      break;
    default:
      break;
  }
}

void ctlMeasure::CycleCompleted(bool own_cycle) {
  runtime::DTMContext& context = *GetDtmContext();
  if (chk_cycle_->Value().ToLong() != 1 && own_cycle) {
    chk_cycle_->SetEnabled(true);
    m_CycleProcess->Abort();
    return;
  }
  const bool connected = context.CommMan().IsConnected();
  for (const runtime::ProcessResult& result : context.CommMan().GetResults(m_CycleProcess->ProcessID())) {
    if (!result.Element || (result.Status != kCommunicationFailure && connected)) continue;
    result.Element->IPrivateDataElement_StatusFlags(result.Element->IPrivateDataElement_StatusFlags() |
                                                    kNotAnswered);
    Notify(result.Element);
  }
  OnParameterSetChanged();
  // Only the cycle's own end releases its pass: the end of a transfer
  // while a pass is outstanding must not start that pass again.
  if (own_cycle) m_CycleBusy = false;
  CycleRefresh();
}

void ctlMeasure::InitChainStep() {
  runtime::DTMContext& context = *GetDtmContext();
  // The chain waits for the connection, and for a transfer still pending
  // (a write pressed meanwhile goes first).
  if (!context.CommMan().IsConnected() || m_InitDone || m_TransferProcess->IsBusy()) return;
  m_TransferProcess->Abort();
  if (m_InitStep < 3) {
    const std::uint8_t step = m_InitStep++;
    TransferParam(kChainGroups[step], false);
    return;
  }
  chk_cycle_->SetValue(com::Variant(std::int16_t{1}));
  m_InitDone = true;
}

void ctlMeasure::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                   const std::optional<com::Variant>&) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context || !m_TransferProcess || !m_CycleProcess) return;
  // The end comes from the event loop: a failure is the page's to tell.
  try {
    bool write_protected = false;
    std::string saved_error;
    EvaluateResults(*m_TransferProcess, write_protected, saved_error);
    EvaluateResults(*m_CycleProcess, write_protected, saved_error);
    bool own_transfer = false;
    m_TransferProcess->IsOwnProcess(process_id, own_transfer);
    if (own_transfer) TransferCompleted();
    if (!GetDtmContext()) return;
    bool own_cycle = false;
    m_CycleProcess->IsOwnProcess(process_id, own_cycle);
    CycleCompleted(own_cycle);
    if (!GetDtmContext()) return;
    InitChainStep();
  } catch (const com::ComError& error) {
    context->ShowError(error.Description());
  }
}

}  // namespace dtm
