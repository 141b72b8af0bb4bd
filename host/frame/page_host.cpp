#include "host/frame/page_host.h"

#include <utility>

#include "component/dtm/function_man.h"
#include "platform/com/error.h"
#include "platform/forms/controls.h"
#include "platform/win/class_registry.h"

namespace dtm::frame {

class PageHost::Sink final : public forms::EventErrorSink {
 public:
  explicit Sink(PageHost& host) : host_(host) {}
  void EventFailed(forms::Control& control, const std::string& event,
                   const com::ComError& error) override {
    std::string name = control.Name();
    if (control.InArray()) name += "(" + std::to_string(control.Index()) + ")";
    host_.Failed(name + " " + event, error);
  }

 private:
  PageHost& host_;
};

PageHost::~PageHost() {
  // A page the frame never released ends as a closed window does.
  if (form_) {
    form_->Terminate();
    Drop();
  }
}

void PageHost::AddStandIn(const std::string& class_name, Factory factory) {
  stand_ins_[class_name] = std::move(factory);
}

void PageHost::Failed(const std::string& where, const com::ComError& error) {
  failures_.push_back(where + ": " + std::to_string(error.Number()) + " " + error.Description());
}

std::vector<std::string> PageHost::Failures() const { return failures_; }

PageHost::Opened PageHost::Open(std::int32_t function_id, const std::string& function_call,
                                const com::ObjectPtr& dtm, std::int32_t locale_id) {
  if (page_) throw com::ComError(com::vb::kInvalidProcedureCall, "a page is open already", "PageHost");
  const std::string class_name = clsFunctionMan::PageClassOf(function_id);
  if (class_name.empty()) return Opened::kUnknownFunction;
  const std::string prog_id = clsFunctionMan::ProgIdOf(function_id);

  com::Guid clsid;
  if (com::ClsidFromProgId(registry_, prog_id, clsid) != com::kSOk) return Opened::kNotBuilt;
  com::ObjectPtr page;
  try {
    page = com::ClassRegistry::Instance().Create(clsid);
  } catch (const com::ComError& error) {
    if (error.Number() != com::kRegDbEClassNotReg) throw;
  }
  if (!page) {
    const auto stand_in = stand_ins_.find(class_name);
    if (stand_in == stand_ins_.end()) return Opened::kNotBuilt;
    page = stand_in->second();
  }

  forms::UserControl* form = dynamic_cast<forms::UserControl*>(page.get());
  if (!form) {
    if (auto* hosted = dynamic_cast<HostedForm*>(page.get())) form = &hosted->Form();
  }
  auto* control = dynamic_cast<IDtmActiveXControl*>(page.get());
  if (!form || !control) {
    throw com::ComError(com::kENoInterface, prog_id + " is no page control", "PageHost");
  }

  page_ = page;
  form_ = form;
  control_ = control;
  function_id_ = function_id;
  class_name_ = class_name;
  prog_id_ = prog_id;
  invoke_id_ = "page-" + std::to_string(++opened_);
  sink_ = std::make_shared<Sink>(*this);
  form_->SetErrorSink(sink_.get());

  form_->Initialize();
  form_->InitProperties();
  form_->SetAmbientLocaleID(locale_id);
  bool initialised = false;
  try {
    initialised = control_->IDtmActiveXControl_Init(invoke_id_, function_call, dtm);
  } catch (const com::ComError& error) {
    Failed("IDtmActiveXControl_Init", error);
  }
  if (!initialised) {
    form_->Terminate();
    Drop();
    return Opened::kRefused;
  }
  form_->Show();
  EnterFocus();
  return Opened::kOpened;
}

void PageHost::Drop() {
  if (form_) form_->SetErrorSink(nullptr);
  form_ = nullptr;
  control_ = nullptr;
  page_.reset();
  sink_.reset();
}

forms::UserControl& PageHost::Form() {
  if (!form_) com::ThrowObjectVariableNotSet("PageHost");
  return *form_;
}

forms::Control* PageHost::Find(const std::string& name) const {
  if (!form_) return nullptr;
  std::string bare = name;
  std::optional<std::int16_t> index;
  if (const std::size_t open = name.find('('); open != std::string::npos && name.ends_with(")")) {
    bare = name.substr(0, open);
    const std::string digits = name.substr(open + 1, name.size() - open - 2);
    if (digits.empty() || digits.size() > 4 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      return nullptr;
    }
    index = static_cast<std::int16_t>(std::stoi(digits));
  }
  return form_->Find(bare, index).get();
}

void PageHost::TakeFocus(forms::Control& control) {
  if (!control.HasWindow()) {
    if (!control.Visible() || !control.Enabled()) {
      throw com::ComError(com::vb::kInvalidProcedureCall,
                          control.Name() + " is hidden or disabled", "PageHost");
    }
    return;
  }
  if (!control.CanTakeFocus()) {
    throw com::ComError(com::vb::kInvalidProcedureCall,
                        control.Name() + " is hidden or disabled and cannot take the focus",
                        "PageHost");
  }
  if (!control.HasFocus()) control.SetFocus();
}

void PageHost::Focus(forms::Control& control) { TakeFocus(control); }

void PageHost::Click(forms::Control& control) {
  TakeFocus(control);
  // A check box or option button changes its value as the user's click
  // does, and that change raises its Click.
  if (control.Kind() == forms::ControlKind::kCheckBox || control.Kind() == forms::ControlKind::kOptionButton) {
    control.UserClick();
    return;
  }
  control.Raise("Click");
}

void PageHost::PressKey(forms::Control& control, std::int16_t key_code,
                        std::optional<std::int16_t> key_ascii) {
  TakeFocus(control);
  control.Raise("KeyDown", {com::Variant(key_code), com::Variant(std::int16_t{0})});
  if (key_ascii) control.Raise("KeyPress", {com::Variant(*key_ascii)});
  control.Raise("KeyUp", {com::Variant(key_code), com::Variant(std::int16_t{0})});
}

void PageHost::Type(forms::Control& control, const std::string& text) {
  TakeFocus(control);
  if (control.Kind() == forms::ControlKind::kParameter) {
    // A field takes what is typed as its value, and the edit ends
    // confirmed, as when the user leaves it with Enter.
    control.Raise("StartEdit");
    control.SetValue(com::Variant(text));
    control.Raise("Change");
    control.Raise("EndEdit", {com::Variant(true)});
    return;
  }
  control.SetText(text);
  control.Raise("Change");
}

void PageHost::SelectTab(forms::Control& strip, std::size_t tab) {
  if (auto* tabs = dynamic_cast<forms::TabStrip*>(&strip)) {
    tabs->TabItem(tab);  // the range check: 35600 for a tab the strip lacks
    TakeFocus(strip);
    tabs->ClickTab(tab);
    return;
  }
  if (auto* dialog = dynamic_cast<forms::TabbedDialog*>(&strip)) {
    // The dialog counts its tabs from 0.
    if (tab < 1 || tab > static_cast<std::size_t>(dialog->Tabs())) {
      throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", strip.Name());
    }
    TakeFocus(strip);
    dialog->SetCurrentTab(static_cast<std::int16_t>(tab - 1));
    return;
  }
  throw com::ComError(com::vb::kInvalidProcedureCall, strip.Name() + " has no tabs", "PageHost");
}

void PageHost::EnterFocus() {
  if (!form_ || form_->ActiveControl()) return;
  for (const forms::ControlPtr& control : form_->Controls()) {
    if (control->HasWindow() && control->CanTakeFocus()) {
      control->SetFocus();
      return;
    }
  }
  form_->Raise("EnterFocus");
}

void PageHost::ExitFocus() {
  if (form_) form_->LeaveFocus();
}

void PageHost::SetLocale(std::int32_t locale_id) { Form().SetAmbientLocaleID(locale_id); }

bool PageHost::Release() {
  if (!form_) return true;
  ExitFocus();
  bool released = false;
  try {
    released = control_->IDtmActiveXControl_PrepareToRelease();
  } catch (const com::ComError& error) {
    Failed("IDtmActiveXControl_PrepareToRelease", error);
  }
  if (!released) return false;
  form_->Terminate();
  Drop();
  return true;
}

}  // namespace dtm::frame
