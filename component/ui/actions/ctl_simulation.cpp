#include "component/ui/actions/ctl_simulation.h"

#include "component/common/language_helpers.h"
#include "component/ui/framework/result_walk.h"
#include "component/datamodel/data_element.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr std::int32_t kCommError = 0xF0000;
constexpr std::int32_t kErrorField = 0xFF0000;       // communication error and response class
constexpr std::int32_t kStyleOkOnly = 0;
constexpr std::int32_t kStyleInformation = 64;
constexpr std::int32_t kStyleOkCancelQuestion = 289;
constexpr std::int32_t kAnswerOk = 1;

constexpr const char* kTestValue = "SC128Tr15/Par2";
constexpr const char* kCancelEntry = "SC133";
constexpr const char* kActionState = "SC134";
// The elements the communication marks cover; the three outputs keep
// their information bit.
constexpr const char* kOutputs[] = {"SC136FaultAl", "SC136GW1", "SC136GW2"};

std::string TextOf(const com::Variant& value) { return value.IsEmpty() ? std::string() : value.ToString(); }

clsDataElement& ElementOf(runtime::DTMContext& context, const std::string& path) {
  const DataElementPtr element = context.Parameters().Item(path);
  auto* data_element = dynamic_cast<clsDataElement*>(element.get());
  if (!data_element) {
    throw com::ComError(com::vb::kInvalidProcedureCall, "No data element " + path, "ctlSimulation");
  }
  return *data_element;
}

// The dictionary text that names a test in its question, its message and
// their titles; empty when the dictionary has none.
std::string ActionTextOf(runtime::DTMContext& context, std::int32_t action) {
  const char* text_key = action == 1   ? "action_fault_alarm"
                         : action == 2 ? "action_posit_trans"
                         : action == 3 ? "action_SW1"
                                       : "action_SW2";
  return TextOf(context.Dictionary().GetValue("keys", text_key, "text"));
}

}  // namespace

struct ctlSimulation::Test {
  std::int32_t action;
  const char* command;
  std::uint8_t index;
  const char* polled;  // "" for the position transmitter, which writes its test value instead
};

const ctlSimulation::Test& ctlSimulation::TestOf(std::int32_t action) {
  static const Test tests[] = {
      {1, "SC132Inx3", 3, "SC136FaultAl"},
      {2, "SC132Inx6", 6, ""},
      {3, "SC132Inx4", 4, "SC136GW1"},
      {4, "SC132Inx5", 5, "SC136GW2"},
  };
  return tests[(action >= 1 && action <= 4 ? action : 1) - 1];
}

ctlSimulation::ctlSimulation(const runtime::Services& services)
    : PageBase(Design{"ctlSimulation", "HeadlineTitle_Simulation", true}, &services) {
  frame_ = Add(std::make_shared<forms::Frame>("frmSimulation"));
  frame_->SetCaption("Simulation");
  constexpr const char* kTags[] = {"SC136FaultAl", kTestValue, "SC136GW1", "SC136GW2", kCancelEntry};
  constexpr const char* kLabels[] = {"Störmeldung", "x-Test Stellungsmelder", "SW Grenzkontakt GW1",
                                     "SW Grenzkontakt GW2", "Laufende Aktion abbrechen"};
  for (std::int16_t i = 0; i < 5; ++i) {
    fields_[i] = Add(std::make_shared<controls::ctlParameter>("ctlParameter", i), frame_.get());
    fields_[i]->SetParameterTag(kTags[i]);
    fields_[i]->SetLabelText(kLabels[i]);
    fields_[i]->SetValueFormat("0.0##");
  }
  cmd_fault_alarm_ = Add(std::make_shared<forms::CommandButton>("cmdTestFaultAlarm"), frame_.get());
  cmd_fault_alarm_->SetCaption("Störmeldung testen");
  cmd_posit_trans_ = Add(std::make_shared<forms::CommandButton>("cmdTestPositTrans"), frame_.get());
  cmd_posit_trans_->SetCaption("Stellungsmelder testen");
  cmd_sw1_ = Add(std::make_shared<forms::CommandButton>("cmdTestSW1"), frame_.get());
  cmd_sw1_->SetCaption("SW Grenzkontakt GW1 testen");
  cmd_sw2_ = Add(std::make_shared<forms::CommandButton>("cmdTestSW2"), frame_.get());
  cmd_sw2_->SetCaption("SW Grenzkontakt GW2 testen");

  const std::shared_ptr<forms::CommandButton> buttons[] = {cmd_fault_alarm_, cmd_posit_trans_, cmd_sw1_,
                                                           cmd_sw2_};
  for (std::int32_t action = 1; action <= 4; ++action) {
    buttons[action - 1]->On("Click", [this, action](forms::Args&) { TestClicked(action); });
    EchoOn(buttons[action - 1], "LostFocus");
  }
  for (const auto& field : fields_) {
    EchoOn(field, "LostFocus");
    // The cancel entry's command started or ended: the running test ends
    // at the next completion, whatever the state.
    field->On("StateChanged", [this](forms::Args& args) {
      if (!args.empty() && args[0].ToLong() == 4) m_Cancel = true;
    });
  }
  EchoOn(frame_, "Click");
}

// ---- The skeleton's steps ---------------------------------------------------------------------

void ctlSimulation::InitParamSite() {
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  EnableTestButtons(true);
  m_InitialRead = false;
}

bool ctlSimulation::ReleaseParamSite() {
  if (m_Action != 0) {
    runtime::DTMContext& context = *GetDtmContext();
    clsDataElement& cancel = ElementOf(context, kCancelEntry);
    cancel.SetValidity(false);
    context.Parameters().NotifyChanged(context.Parameters().Item(kCancelEntry), "");
  }
  PageBase::ReleaseParamSite();
  return true;
}

// The test buttons do not follow the lock: EnableTestButtons governs them.
void ctlSimulation::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

// ---- The page's operations --------------------------------------------------------------------

void ctlSimulation::EnableTestButtons(bool enable) {
  runtime::DTMContext& context = *GetDtmContext();
  cmd_fault_alarm_->SetEnabled(enable && context.User().UserLevel() != 0);
  const bool others = cmd_fault_alarm_->Enabled() && enable;
  cmd_posit_trans_->SetEnabled(others);
  cmd_sw1_->SetEnabled(others);
  cmd_sw2_->SetEnabled(others);
  cmd_posit_trans_->SetVisible(ElementOf(context, kTestValue).Validity());
  cmd_sw1_->SetVisible(ElementOf(context, "SC136/GW1").Validity());
  cmd_sw2_->SetVisible(ElementOf(context, "SC136/GW2").Validity());
}

void ctlSimulation::ReadStatus() {
  runtime::ParamProcess& process = *Process();
  if (process.IsBusy()) return;
  std::int32_t error = 0;
  process.Reset(error);
  if (!DTM()) return;
  runtime::DTMContext& context = *GetDtmContext();
  if (process.IsEmpty()) {
    m_InitialRead = true;
    for (const char* group : {"SC130Tr6/", "SC128Tr15/", "SC136/"}) {
      process.AddElement(context.Parameters().Item(group), false, error);
    }
  }
  fields_[1]->SetLocked(true);
  process.Start(std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), 0, false, error);
  if (error != 0) {
    fields_[1]->SetLocked(false);
    process.Abort();
    // No completion follows: the next one must not be taken for the end
    // of this read.
    m_InitialRead = false;
    context.MessageBox(LanguageHelpers::GetLangText(context, "error_at_connect"), kStyleOkOnly);
    MarkDisplayError();
    return;
  }
  EnableTestButtons(false);
  StartActivity();
}

bool ctlSimulation::StartAction(const std::string& path, bool write) {
  const OneStart started = StartOne(path, write);
  if (started == OneStart::kNotStarted) return false;
  if (started == OneStart::kFailed) {
    fields_[1]->SetLocked(false);
    runtime::DTMContext& context = *GetDtmContext();
    context.MessageBox(LanguageHelpers::GetLangText(context, "error_at_connect"), kStyleOkOnly);
    MarkDisplayError();
    return false;
  }
  fields_[1]->SetLocked(true);
  EnableTestButtons(false);
  return true;
}

void ctlSimulation::TestClicked(std::int32_t action) {
  if (!DTM()) return;
  // A test runs, or the first read: its buttons are off, and a click that
  // slipped through must not start a second sequence.
  if (Process()->IsBusy()) return;
  runtime::DTMContext& context = *GetDtmContext();
  const Test& test = TestOf(action);
  const bool watches_output = action != 2;
  if (watches_output) m_Cancel = false;
  m_ActionText = ActionTextOf(context, action);
  const std::string question = LanguageHelpers::GetLangText(context, "action_request", com::Variant(m_ActionText));
  if (context.MessageBox(question, kStyleOkCancelQuestion, m_ActionText) != kAnswerOk) return;
  m_Action = action;
  if (watches_output) m_Step = 1;
  clsDataElement& state = ElementOf(context, kActionState);
  state.nParamIndex = test.index;
  state.TransientValue = com::Variant(std::int16_t{0});
  context.Parameters().NotifyChanged(context.Parameters().Item(kActionState), "");
  if (watches_output) m_DisplayPath = test.polled;
  if (!StartAction(test.command, true)) return;
  clsDataElement& cancel = ElementOf(context, kCancelEntry);
  cancel.SetValidity(true);
  cancel.TransientValue = com::Variant(static_cast<std::int16_t>(test.index));
  context.Parameters().NotifyChanged(context.Parameters().Item(kCancelEntry), "");
  StartActivity();
}

void ctlSimulation::MarkDisplayError() {
  runtime::DTMContext& context = *GetDtmContext();
  for (const char* path : kOutputs) {
    const DataElementPtr element = context.Parameters().Item(path);
    element->IPrivateDataElement_StatusFlags(element->IPrivateDataElement_StatusFlags() | kCommError |
                                             flags::kInformation);
    context.Parameters().NotifyChanged(element, "");
  }
  const DataElementPtr value = context.Parameters().Item(kTestValue);
  value->IPrivateDataElement_StatusFlags(value->IPrivateDataElement_StatusFlags() | kCommError);
  context.Parameters().NotifyChanged(value, "");
}

void ctlSimulation::MarkDisplayOk() {
  runtime::DTMContext& context = *GetDtmContext();
  for (const char* path : kOutputs) {
    const DataElementPtr element = context.Parameters().Item(path);
    element->IPrivateDataElement_StatusFlags(flags::kDynamic | flags::kInformation);
    context.Parameters().NotifyChanged(element, "");
  }
  const DataElementPtr value = context.Parameters().Item(kTestValue);
  value->IPrivateDataElement_StatusFlags(flags::kDynamic);
  context.Parameters().NotifyChanged(value, "");
}

std::int32_t ctlSimulation::FlagsOf(const std::string& path) const {
  return GetDtmContext()->Parameters().Item(path)->IPrivateDataElement_StatusFlags();
}

void ctlSimulation::ShowConnectionLost() {
  runtime::DTMContext& context = *GetDtmContext();
  context.MessageBox(TextOf(context.Dictionary().GetValue("DTMruntime", "comm_con_aborted", "text")),
                     kStyleOkOnly);
}

// ---- The sequences ----------------------------------------------------------------------------

void ctlSimulation::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                      const std::optional<com::Variant>&) {
  if (!DTM() || !OwnsProcess(process_id)) return;
  // The end of a request arrives from the event loop: what fails in it is
  // the page's to report, never the loop's.
  try {
    TakeResults();
    Process()->Abort();
    if (m_Action == 2) {
      PositionTransmitterStep();
    } else if (m_InitialRead) {
      m_InitialRead = false;
      fields_[1]->SetLocked(false);
      EnableTestButtons(true);
      StopAnimation();
    } else if (m_Action == 0 || m_Cancel) {
      Finish();
    } else {
      OutputTestStep();
    }
  } catch (const com::ComError& error) {
    if (runtime::DTMContext* context = GetDtmContext()) context->ShowError(error.Description());
  }
}

void ctlSimulation::TakeResults() {
  runtime::DTMContext& context = *GetDtmContext();
  bool failed = false;
  WalkResults(context, context.CommMan().GetResults(Process()->ProcessID()),
              context.CommMan().IsConnected(), kActionCommError, [&](const WalkedResult& result) {
                // The display shows a failure once any result failed: a
                // later good one does not make it look read.
                failed = failed || !IsGoodResult(result);
                if (failed) {
                  MarkDisplayError();
                } else {
                  MarkDisplayOk();
                }
              });
}

void ctlSimulation::PositionTransmitterStep() {
  const std::int32_t flags = FlagsOf(TestOf(2).command);
  if ((flags & kErrorField) != 0) {
    if (flags::IsWriteProtected(flags)) {
      Finish();
      return;
    }
    ShowConnectionLost();
    StopAnimation();
  }
  m_Action = 0;
  Continue(kTestValue, true);
}

void ctlSimulation::OutputTestStep() {
  const std::int32_t command_flags = FlagsOf(TestOf(m_Action).command);
  if ((command_flags & kErrorField) != 0) {
    if (flags::IsWriteProtected(command_flags)) {
      Finish();
      return;
    }
    ShowConnectionLost();
    m_Cancel = true;
    StopAnimation();
  }
  const loop::Clock::TimePoint now = GetServices()->loop.GetClock().Now();
  switch (m_Step) {
    case 1:
      m_Step = 2;
      m_Deadline = now + kWatch;
      Continue(m_DisplayPath, false);
      break;
    case 2: {
      const std::int32_t output_flags = FlagsOf(m_DisplayPath);
      if ((output_flags & kErrorField) != 0) {
        if (!flags::IsWriteProtected(output_flags)) ShowConnectionLost();
        m_Cancel = true;
        StopAnimation();
      }
      if (now > m_Deadline) m_Step = 3;
      Continue(m_DisplayPath, false);
      break;
    }
    case 3: {
      runtime::DTMContext& context = *GetDtmContext();
      context.MessageBox(LanguageHelpers::GetLangText(context, "action_done", com::Variant(m_ActionText)),
                         kStyleInformation, m_ActionText);
      Finish();
      break;
    }
    default:
      break;
  }
}

void ctlSimulation::Continue(const std::string& path, bool write) {
  if (!StartAction(path, write)) Finish();
}

void ctlSimulation::Finish() {
  runtime::DTMContext& context = *GetDtmContext();
  fields_[1]->SetLocked(false);
  EnableTestButtons(true);
  ElementOf(context, kCancelEntry).SetValidity(false);
  context.Parameters().NotifyChanged(context.Parameters().Item(kCancelEntry), "");
  StopAnimation();
}

}  // namespace dtm
