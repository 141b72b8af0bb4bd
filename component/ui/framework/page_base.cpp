#include "component/ui/framework/page_base.h"

#include <algorithm>
#include <set>

#include "component/common/lang_supp.h"
#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "component/ui/framework/ctl_monitor.h"
#include "component/ui/framework/param_link.h"
#include "component/ui/framework/result_walk.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"

namespace dtm {
namespace {

constexpr std::int32_t kCommError = 0xF0000;         // the whole communication-error field
constexpr std::int32_t kNotAnswered = 0x10000;       // a plain communication error
constexpr std::int32_t kInformationOnly = 1;         // the information-value flag alone
// Any bit of the communication-error and result-class fields: no value read.
constexpr std::int32_t kNoValueBits = 0xFF0000;
constexpr std::int32_t kStyleOkOnly = 0;

bool IsCommandButton(const forms::Control& control) {
  return control.Kind() == forms::ControlKind::kCommandButton && control.Name().rfind("cmd", 0) == 0;
}

std::string TextOf(const com::Variant& value) { return value.IsEmpty() ? std::string() : value.ToString(); }

}  // namespace

PageBase::PageBase(Design design, const runtime::Services* services)
    : forms::UserControl(design.class_name), design_(std::move(design)) {
  if (services) services_.emplace(*services);
  if (design_.communicates && !services_) {
    throw com::ComError(com::vb::kInvalidProcedureCall, "A communicating page needs its services",
                        design_.class_name);
  }
  if (!design_.title_key.empty()) {
    headline_ = services_ ? Add(std::make_shared<ctlHeadline>(&services_->shell, services_->install_folder))
                          : Add(std::make_shared<ctlHeadline>());
  }
  site_ = Add(std::make_shared<controls::ctlParamSite>("ctlParamSite1"));
  help_ = Add(std::make_shared<controls::ctlParamHelp>("ctlParamHelp1"));
  if (design_.communicates) {
    timer_ = Add(std::make_shared<forms::Timer>("Kommunikationstimer", services_->loop));
    timer_->On("Timer", [this](forms::Args&) { ActivityTick(); });
    for (std::int16_t i = 0; i < 3; ++i) {
      img_com_.push_back(Add(std::make_shared<forms::Control>(forms::ControlKind::kImage, "imgCom", i)));
    }
    for (std::int16_t i = 0; i < 2; ++i) {
      shp_state_.push_back(Add(std::make_shared<forms::Control>(forms::ControlKind::kShape, "shpState", i)));
    }
    ResetActivity();
  }

  On("Show", [this](forms::Args&) {
    Showing();
    IPrivateNavigation_ShowControl("", true, "");
  });
  On("EnterFocus", [this](forms::Args&) {
    IPrivateNavigation_ShowControl("", true, "");
    if (Initialised()) GetDtmContext()->GUIMan().GUIGotFocus(m_InvokeID);
  });
  On("ExitFocus", [this](forms::Args&) {
    if (Initialised()) GetDtmContext()->GUIMan().GUILostFocus(m_InvokeID);
  });
  On("Terminate", [this](forms::Args&) {
    if (m_InvokeID.empty()) return;
    // The frame destroys the page without releasing it: nothing may stop
    // the page from letting go.
    const std::string id = m_InvokeID;
    try {
      if (runtime::DTMContext* context = GetDtmContext()) context->GUIMan().UnregisterGUI(id);
      Unregistered(id);
    } catch (const com::ComError&) {
    }
    Forget();
  });
  On("AmbientChanged", [this](forms::Args& args) {
    if (args.empty() || args[0].ToString() != "LocaleID" || m_InvokeID.empty()) return;
    LocaleChanged(LangSupp::PrimaryLangId(AmbientLocaleID()));
  });
}

PageBase::~PageBase() = default;

runtime::DTMContext* PageBase::GetDtmContext() const {
  if (!m_DTM) return nullptr;
  return com::QueryInterface<runtime::DTMContext>(m_DTM->GetProperty("DTMContext")).get();
}

const runtime::Services* PageBase::GetServices() const {
  if (services_) return &*services_;
  runtime::DTMContext* context = GetDtmContext();
  return context ? &context->GetServices() : nullptr;
}

std::shared_ptr<controls::Navigation> PageBase::GetNavigation() const {
  runtime::DTMContext* context = GetDtmContext();
  if (!context || !context->DTMState()) return nullptr;
  return com::QueryInterface<controls::Navigation>(context->DTMState()->GetProperty("Navigation"));
}

// ---- IDtmActiveXControl -----------------------------------------------------------------

bool PageBase::IDtmActiveXControl_Init(const std::string& invoke_id,
                                       const std::string& function_call,
                                       const com::ObjectPtr& dtm) {
  const bool accepted = !invoke_id.empty() && dtm && m_InvokeID.empty();
  if (accepted) {
    m_DTM = dtm;
    m_InvokeID = invoke_id;
    runtime::DTMContext& context = *GetDtmContext();
    context.GUIMan().RegisterGUI(m_InvokeID, std::dynamic_pointer_cast<IPrivateGUI>(shared_from_this()),
                                 m_InvokeID.back() != '$');
    if (headline_ && !services_) {
      headline_->SetSurroundings(&context.GetServices().shell, context.GetServices().install_folder);
    }
    Registered();
    InitParamSite();
    if (WritesItsLifeToTheProtocol()) {
      if (auto monitor = ctlMonitor::Find(context)) {
        monitor->MonitorHeading(monitor->GetText("Start function") + " (" + context.SystemTag() + ")");
        monitor->MonitorLine(monitor->GetText("Invoke-ID = ") + m_InvokeID);
        runtime::FunctionCall call;
        if (call.Parse(function_call, context)) {
          monitor->MonitorLine(monitor->GetText("Function-ID = ") + std::to_string(call.FunctionID()));
        }
      }
    }
    FirstAction();
  }
  if (design_.communicates) ResetActivity();
  return accepted;
}

bool PageBase::IDtmActiveXControl_PrepareToRelease() {
  if (m_InvokeID.empty()) return true;
  if (!ReleaseParamSite()) return false;
  // Nothing may fire on a released page.
  for (const forms::ControlPtr& control : Controls()) {
    if (auto* timer = dynamic_cast<forms::Timer*>(control.get())) timer->SetEnabled(false);
  }
  if (design_.communicates) StopActivity();
  if (hWnd() != 0) SetVisible(false);
  runtime::DTMContext& context = *GetDtmContext();
  if (WritesItsLifeToTheProtocol()) {
    if (auto monitor = ctlMonitor::Find(context)) {
      monitor->MonitorHeading(monitor->GetText("Exit function") + " (" + context.SystemTag() + ")");
      monitor->MonitorLine(monitor->GetText("Invoke-ID = ") + m_InvokeID);
    }
  }
  const std::string id = m_InvokeID;
  context.GUIMan().UnregisterGUI(id);
  Unregistered(id);
  Forget();
  return true;
}

void PageBase::Forget() {
  m_DTM = nullptr;
  m_InvokeID.clear();
}

// ---- IPrivateGUI ----------------------------------------------------------------------------

bool PageBase::IPrivateGUI_CloseGUI() {
  return m_InvokeID.empty() ? true : IDtmActiveXControl_PrepareToRelease();
}

// The runtime reaches only registered pages; a released page does nothing.
void PageBase::IPrivateGUI_LockStateChanged(bool locked) {
  if (Initialised()) SetLockState(!locked);
}

void PageBase::IPrivateGUI_ParameterChanged(const DataElementPtr& element) {
  if (Initialised()) OnParameterChanged(element);
}

void PageBase::IPrivateGUI_ParameterSetChanged() {
  if (Initialised()) OnParameterSetChanged();
}

void PageBase::IPrivateGUI_ValidateParameters() {
  if (Initialised()) ValidateParamSite();
}

void PageBase::IPrivateGUI_SetLanguage(std::int32_t language_id) {
  if (Initialised()) ApplyLanguage(language_id);
}

void PageBase::LocaleChanged(std::int32_t primary_language) { ApplyLanguage(primary_language); }

// ---- The steps --------------------------------------------------------------------------------

void PageBase::InitParamSite() {
  runtime::DTMContext& context = *GetDtmContext();
  if (design_.communicates) {
    m_Process = std::make_shared<runtime::ParamProcess>();
    m_Process->Init(context);
  }
  site_->Init(context, m_InvokeID, std::make_shared<clsParamLink>());
  if (context.GUIMan().LockState()) SetLockState(false);
  ApplyLanguage(context.GUIMan().Language());
  OnParameterSetChanged();
}

void PageBase::ApplyLanguage(std::int32_t language_id) {
  runtime::DTMContext& context = *GetDtmContext();
  site_->SetLanguage(language_id);
  LanguageHelpers::SetControlTexts(context, Prefix(), Controls());
  if (headline_) {
    // The headline takes the manager's language, not the one of the call.
    headline_->SpachID(context.GUIMan().Language());
    m_Title = TextOf(context.Dictionary().GetValue("keys", design_.title_key, "text"));
    RenewHeadlineTitle();
    if (context.PrivateDialogEnabled()) {
      headline_->SetCompanyURL(TextOf(context.Dictionary().GetValue("keys", "companyURL", "text")));
    }
  }
  if (SetsButtonToolTips()) {
    for (const forms::ControlPtr& button : CommandButtons()) {
      const std::string tooltip_key = Prefix() + button->Name();
      button->SetToolTipText(TextOf(context.Dictionary().GetValue("keys", tooltip_key, "tooltip")));
    }
  }
}

bool PageBase::ReleaseParamSite() {
  site_->Release();
  if (m_Process) m_Process->Release();
  return true;
}

void PageBase::OnParameterChanged(const DataElementPtr& element) {
  site_->ParameterChanged(element);
  RenewHeadlineTitle();
}

void PageBase::OnParameterSetChanged() {
  site_->ParameterSetChanged();
  RenewHeadlineTitle();
}

void PageBase::ValidateParamSite() { site_->ValidateParameters(); }

void PageBase::SetLockState(bool enabled) {
  site_->EnableInput(enabled);
  for (const forms::ControlPtr& button : CommandButtons()) {
    button->SetEnabled(enabled && GetDtmContext()->User().UserLevel() != 0);
  }
}

void PageBase::RenewHeadlineTitle() {
  if (!headline_) return;
  runtime::DTMContext* context = GetDtmContext();
  const bool changed = context && context->Parameters().DataChangedState() == 1;
  headline_->SetTitle(changed ? m_Title + " (*)" : m_Title);
}

std::vector<forms::ControlPtr> PageBase::CommandButtons() const {
  std::vector<forms::ControlPtr> buttons;
  for (const forms::ControlPtr& control : Controls()) {
    if (IsCommandButton(*control)) buttons.push_back(control);
  }
  return buttons;
}

// ---- IPrivateNavigation ---------------------------------------------------------------------

void PageBase::IPrivateNavigation_InitControl(controls::Navigation& navigation, const com::Variant&) {
  navigation.InitControl(Controls());
}

std::shared_ptr<controls::Collection> PageBase::IPrivateNavigation_FindParameters(
    controls::Navigation& navigation, const std::string& search_text, const std::string&) {
  return navigation.FindParameters(Name(), search_text, Controls());
}

std::shared_ptr<controls::Collection> PageBase::IPrivateNavigation_GetDictKeys(
    controls::Navigation& navigation, const std::string&) {
  return navigation.GetDictKeys(Name(), Prefix(), Controls());
}

bool PageBase::IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                              const std::string&) {
  if (!Initialised()) return false;
  const auto navigation = GetNavigation();
  if (!navigation) return false;
  runtime::DTMContext* context = GetDtmContext();
  if (!navigation->IsPathValid(context, Name(), path)) return false;
  if (show) SelectTabOf(*navigation, path);
  return navigation->ShowControl(context, path, &Controls(), nullptr, show);
}

void PageBase::Echo(const forms::ControlPtr& control) {
  if (!Initialised()) return;
  if (const auto navigation = GetNavigation()) {
    navigation->ShowControl(GetDtmContext(), "", nullptr, control, false);
  }
}

void PageBase::EchoOn(const forms::ControlPtr& control, const std::string& event) {
  std::weak_ptr<forms::Control> weak = control;
  control->On(event, [this, weak](forms::Args&) {
    if (const auto c = weak.lock()) Echo(c);
  });
}

// ---- Transfers ----------------------------------------------------------------------------------

std::vector<std::shared_ptr<controls::ctlParameter>> PageBase::MarkedFields() const {
  std::vector<std::shared_ptr<controls::ctlParameter>> fields;
  for (const forms::ControlPtr& control : Controls()) {
    if (auto field = std::dynamic_pointer_cast<controls::ctlParameter>(control)) fields.push_back(field);
  }
  std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) {
    return (a->InArray() ? a->Index() : -1) < (b->InArray() ? b->Index() : -1);
  });
  return fields;
}

void PageBase::MarkParamsCommError() {
  runtime::DTMContext& context = *GetDtmContext();
  for (const auto& field : MarkedFields()) {
    const DataElementPtr element = context.Parameters().Item(field->ParameterTag());
    element->IPrivateDataElement_StatusFlags(element->IPrivateDataElement_StatusFlags() | kCommError);
    context.Parameters().NotifyChanged(element, "");
  }
}

void PageBase::MarkParamsCommOk() {
  runtime::DTMContext& context = *GetDtmContext();
  for (const auto& field : MarkedFields()) {
    const DataElementPtr element = context.Parameters().Item(field->ParameterTag());
    element->IPrivateDataElement_StatusFlags(GoodResultFlags());
    context.Parameters().NotifyChanged(element, "");
  }
}

bool PageBase::IsGoodFieldFlags(std::int32_t flags) const {
  return flags == 0 || flags == kInformationOnly;
}

bool PageBase::MarkFieldsByResults(runtime::DTMContext& context,
                                   const std::vector<runtime::ProcessResult>& results,
                                   std::int32_t unanswered_flags) {
  runtime::Parameters& parameters = context.Parameters();
  const auto fields = MarkedFields();
  // A field one result marked as failed stays marked: a later good result
  // of another element must not make a refused value look read.
  std::set<std::string> failed;
  bool all_accepted = true;
  WalkResults(context, results, context.CommMan().IsConnected(), unanswered_flags,
              [&](const WalkedResult& result) {
                const std::string path = result.element->IPrivateDataElement_Name();
                const bool group = IsGroupPath(path);
                if (!result.accepted) all_accepted = false;
                for (const auto& field : fields) {
                  const std::string& tag = field->ParameterTag();
                  if (!ResultCovers(path, tag)) continue;
                  const DataElementPtr element = parameters.Item(tag);
                  const std::int32_t flags = element->IPrivateDataElement_StatusFlags();
                  // A member's own flags carry its class; the group's do not.
                  const bool good = result.accepted &&
                                    (group ? (flags & kNoValueBits) == 0 : IsGoodFieldFlags(result.flags));
                  if (!good) failed.insert(tag);
                  element->IPrivateDataElement_StatusFlags(failed.count(tag) != 0 ? flags | kCommError
                                                                                 : FieldGoodFlags(*field));
                  parameters.NotifyChanged(element, "");
                }
              });
  return all_accepted;
}

void PageBase::StartTransfer(bool flag) {
  if (!m_Process || m_Process->IsBusy()) return;
  std::int32_t error = 0;
  m_Process->Reset(error);
  if (!m_DTM) return;
  if (m_Process->IsEmpty()) AddTransferElements(*m_Process);
  m_Process->Start(std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), 0, flag, error);
  runtime::DTMContext& context = *GetDtmContext();
  if (error != 0) {
    m_Process->Abort();
    context.MessageBox(LanguageHelpers::GetLangText(context, "error_at_connect"), kStyleOkOnly);
    MarkParamsCommError();
    return;
  }
  for (const forms::ControlPtr& button : CommandButtons()) button->SetEnabled(false);
  StartActivity();
}

PageBase::OneStart PageBase::StartOne(const std::string& path, bool write) {
  if (!m_Process || m_Process->IsBusy()) return OneStart::kNotStarted;
  std::int32_t error = 0;
  m_Process->Reset(error);
  if (!m_DTM) return OneStart::kNotStarted;
  if (m_Process->IsEmpty()) {
    m_Process->AddElement(GetDtmContext()->Parameters().Item(path), write, error);
  }
  // Only the start's own failure counts.
  error = 0;
  m_Process->Start(std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), 0, false, error);
  if (error == 0) return OneStart::kStarted;
  m_Process->Abort();
  return OneStart::kFailed;
}

bool PageBase::OwnsProcess(const std::string& process_id) const {
  if (!m_Process) return false;
  bool own = false;
  m_Process->IsOwnProcess(process_id, own);
  return own;
}

void PageBase::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                 const std::optional<com::Variant>&) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context || !OwnsProcess(process_id)) return;
  // The end of a transfer arrives from the event loop: its failure is the
  // page's to report, never the loop's.
  try {
    MarkFieldsByResults(*context, context->CommMan().GetResults(m_Process->ProcessID()), kNotAnswered);
  } catch (const com::ComError& error) {
    context->ShowError(error.Description());
  }
  for (const forms::ControlPtr& button : CommandButtons()) button->SetEnabled(true);
  m_Process->Abort();
  StopActivity();
}

// ---- The activity display -----------------------------------------------------------------------

void PageBase::ResetActivity() {
  for (const auto& image : img_com_) image->SetVisible(false);
  for (const auto& shape : shp_state_) shape->SetVisible(false);
  m_ComState = 0;
}

void PageBase::StartActivity() {
  if (!timer_) return;
  timer_->SetInterval(kActivityInterval);
  timer_->SetEnabled(true);
}

void PageBase::StopActivity() {
  if (!timer_) return;
  timer_->SetEnabled(false);
  timer_->SetInterval(0);
  ResetActivity();
}

void PageBase::ActivityTick() {
  for (const auto& image : img_com_) image->SetVisible(false);
  for (const auto& shape : shp_state_) shape->SetVisible(true);
  if (m_ComState > 2) return;
  img_com_[m_ComState]->SetVisible(true);
  const bool swapped = m_ComState == 1;
  shp_state_[0]->SetFillColor(swapped ? kLampOff : kLampOn);
  shp_state_[1]->SetFillColor(swapped ? kLampOn : kLampOff);
  m_ComState = static_cast<std::uint8_t>((m_ComState + 1) % 3);
}

}  // namespace dtm
