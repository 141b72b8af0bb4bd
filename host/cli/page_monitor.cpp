#include "host/cli/page_monitor.h"

#include "component/common/lang_supp.h"
#include "component/dtm/identity.h"
#include "platform/forms/controls.h"
#include "platform/forms/state.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"

namespace dtm::host {
namespace {

// The list box of the protocol: its lines are the monitor's.
class ProtocolList final : public forms::Control {
 public:
  explicit ProtocolList(const ctlMonitor& monitor)
      : Control(forms::ControlKind::kListBox, "lstComm"), monitor_(monitor) {}
  void Describe(forms::ControlState& state) const override {
    Control::Describe(state);
    state.items.assign(monitor_.Lines().begin(), monitor_.Lines().end());
  }

 private:
  const ctlMonitor& monitor_;
};

}  // namespace

std::shared_ptr<HostedMonitorPage> HostedMonitorPage::Create() {
  auto page = std::shared_ptr<HostedMonitorPage>(new HostedMonitorPage);
  page->Build();
  return page;
}

void HostedMonitorPage::Build() {
  form_ = std::make_shared<forms::UserControl>("ctlMonitor");
  form_->Add(std::make_shared<ProtocolList>(*this));
  auto clear = form_->Add(std::make_shared<forms::CommandButton>("cmdClear"));
  clear->SetCaption("&Clear");
  clear->On("Click", [this](forms::Args&) { Clear(); });
  form_->On("AmbientChanged", [this](forms::Args& args) {
    if (args.empty() || args[0].ToString() != "LocaleID" || m_InvokeID.empty()) return;
    const std::int32_t language = LangSupp::PrimaryLangId(form_->AmbientLocaleID());
    ApplyLanguage(language);
    WriteLanguageInfo(language);
  });
  form_->On("EnterFocus", [this](forms::Args&) {
    if (auto* context = Context()) context->GUIMan().GUIGotFocus(m_InvokeID);
  });
  form_->On("ExitFocus", [this](forms::Args&) {
    if (auto* context = Context()) context->GUIMan().GUILostFocus(m_InvokeID);
  });
  form_->On("Terminate", [this](forms::Args&) {
    try {
      LetGo();
    } catch (const com::ComError&) {
      // the page ends whatever the runtime says
    }
    m_DTM.reset();
    m_InvokeID.clear();
  });
}

runtime::DTMContext* HostedMonitorPage::Context() const {
  if (!m_DTM) return nullptr;
  return dynamic_cast<runtime::DTMContext*>(m_DTM->GetProperty("DTMContext").ToObject().get());
}

bool HostedMonitorPage::IDtmActiveXControl_Init(const std::string& invoke_id,
                                                const std::string&, const com::ObjectPtr& dtm) {
  if (invoke_id.empty() || !dtm || !m_InvokeID.empty()) return false;
  m_DTM = dtm;
  runtime::DTMContext* context = Context();
  if (!context) {
    m_DTM.reset();
    return false;
  }
  m_InvokeID = invoke_id;
  // A page hosted inside another page ("5.1$") is not a top-level page.
  context->GUIMan().RegisterGUI(invoke_id,
                                std::static_pointer_cast<HostedMonitorPage>(shared_from_this()),
                                !invoke_id.ends_with("$"));
  m_DTM->SetProperty("MonitorInvokeID", com::Variant(invoke_id));
  ApplyLanguage(context->GUIMan().Language());
  AddListLine(std::string(kApplicationTitle) + " Version " + std::to_string(kVersionMajor) + "." +
              std::to_string(kVersionMinor) + "." + std::to_string(kVersionRevision));
  WriteLanguageInfo(context->GUIMan().Language());
  return true;
}

void HostedMonitorPage::LetGo() {
  if (m_InvokeID.empty()) return;
  if (runtime::DTMContext* context = Context()) context->GUIMan().UnregisterGUI(m_InvokeID);
  // A second monitor opened later holds the id; it must keep its protocol.
  if (m_DTM && m_DTM->GetProperty("MonitorInvokeID").ToString() == m_InvokeID) {
    m_DTM->SetProperty("MonitorInvokeID", com::Variant(std::string()));
  }
}

bool HostedMonitorPage::IDtmActiveXControl_PrepareToRelease() {
  if (m_InvokeID.empty()) return true;
  LetGo();
  m_DTM.reset();
  m_InvokeID.clear();
  return true;
}

void HostedMonitorPage::IPrivateGUI_SetLanguage(std::int32_t language_id) {
  ApplyLanguage(language_id);
  WriteLanguageInfo(language_id);
}

void HostedMonitorPage::ApplyLanguage(std::int32_t) {
  // The dictionary follows the runtime's language; the phrases follow it.
  if (runtime::DTMContext* context = Context()) FillPhraseTable(*context);
}

void HostedMonitorPage::WriteLanguageInfo(std::int32_t language_id) {
  runtime::DTMContext* context = Context();
  const std::string tag = context ? context->SystemTag() : std::string();
  MonitorHeading(GetText("Language") + " (" + tag + ")");
  MonitorLine(GetText("Language-ID = ") + std::to_string(language_id));
  MonitorLine(GetText("Primary language ID = ") +
              std::to_string(LangSupp::PrimaryLangId(language_id)));
  MonitorLine(GetText("Secondary language ID = ") +
              std::to_string(LangSupp::SubLangId(language_id)));
}

}  // namespace dtm::host
