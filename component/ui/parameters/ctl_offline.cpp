#include "component/ui/parameters/ctl_offline.h"

#include "component/common/identity.h"
#include "platform/com/error.h"
#include "platform/controls/collection.h"
#include "platform/controls/navigation.h"
#include "platform/forms/colors.h"
#include "platform/runtime/context.h"
#include "platform/win/class_registry.h"

namespace dtm {
namespace {

// The children as the frame would create them: by ProgID through the class
// table. A class nothing serves yet gives no child.
ctlOffline::ChildMake ClassTableMaker(const runtime::Services* services) {
  if (!services) return {};
  win::Registry* registry = &services->registry;
  return [registry](const std::string& class_name) -> com::ObjectPtr {
    try {
      return com::ClassRegistry::Instance().Create(ProgIdOfClass(class_name), *registry);
    } catch (const com::ComError&) {
      return nullptr;
    }
  };
}

}  // namespace

ctlOffline::ctlOffline(const runtime::Services* services, ChildMake make)
    : PageBase(Design{"ctlOffline", "HeadlineTitle_Offline", false}, services) {
  tab_strip_ = Add(std::make_shared<forms::TabStrip>(
      "TabStrip", std::vector<forms::TabStrip::Tab>{{kChildClasses[0], "Identi&fikation"},
                                                    {kChildClasses[1], "&Parameter"},
                                                    {kChildClasses[2], "Inbetr&iebnahme"}}));
  if (!make) make = ClassTableMaker(GetServices());
  if (make) {
    for (const char* class_name : kChildClasses) {
      auto child = std::dynamic_pointer_cast<forms::UserControl>(make(class_name));
      if (!child) continue;
      Add(child);
      // Made with the container, as the controls on a page are.
      child->Initialize();
      child->InitProperties();
    }
  }
  pic_search_ = Add(std::make_shared<forms::PictureBox>("picSearch"));
  pic_search_->SetPicture(std::make_shared<forms::Picture>("picSearch.ico"));
  iml_search_ = Add(std::make_shared<forms::ImageList>("imlSearch"));

  On("Initialize", [this](forms::Args&) {
    pic_search_->SetBackColor(forms::colors::kApplicationWorkspace);
    // For the search control's tabs; the container itself shows no image.
    iml_search_->Add(1, "", pic_search_->Image());
  });
  // The children end with the page that holds them.
  On("Terminate", [this](forms::Args&) {
    for (const forms::ControlPtr& control : Controls()) {
      if (auto* child = dynamic_cast<forms::UserControl*>(control.get())) child->Terminate();
    }
  });
  tab_strip_->On("Click", [this](forms::Args&) { TabStripClick(); });
  EchoOn(tab_strip_, "LostFocus");
}

forms::ControlPtr ctlOffline::Child(const std::string& class_name) const {
  for (const forms::ControlPtr& control : Controls()) {
    if (dynamic_cast<forms::UserControl*>(control.get()) && controls::SameText(control->Name(), class_name)) {
      return control;
    }
  }
  return nullptr;
}

std::vector<IDtmActiveXControl*> ctlOffline::ChildPages() const {
  std::vector<IDtmActiveXControl*> pages;
  for (const forms::ControlPtr& control : Controls()) {
    if (auto* page = dynamic_cast<IDtmActiveXControl*>(control.get())) pages.push_back(page);
  }
  return pages;
}

// ---- IDtmActiveXControl -----------------------------------------------------------------

bool ctlOffline::IDtmActiveXControl_Init(const std::string& invoke_id,
                                         const std::string& function_call,
                                         const com::ObjectPtr& dtm) {
  if (!PageBase::IDtmActiveXControl_Init(invoke_id, function_call, dtm)) return false;
  std::int32_t k = 1;
  for (IDtmActiveXControl* child : ChildPages()) {
    const std::string child_id = invoke_id + "." + std::to_string(k) + "$";
    ++k;
    // A child's answer does not decide the container's; a child that fails
    // is told, and the others still open.
    try {
      child->IDtmActiveXControl_Init(child_id, function_call, dtm);
    } catch (const com::ComError& error) {
      if (runtime::DTMContext* context = GetDtmContext()) {
        context->ShowError("Page " + child_id + ": #" + std::to_string(error.Number()) + " " +
                           error.Description());
      }
    }
  }
  return true;
}

bool ctlOffline::IDtmActiveXControl_PrepareToRelease() {
  if (InvokeID().empty()) return true;
  // A child released already answers true at once, so asking again after a
  // refusal is harmless.
  for (IDtmActiveXControl* child : ChildPages()) {
    if (!child->IDtmActiveXControl_PrepareToRelease()) return false;
  }
  return PageBase::IDtmActiveXControl_PrepareToRelease();
}

// ---- The steps --------------------------------------------------------------------------------

void ctlOffline::InitParamSite() {
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  TabStripClick();
}

bool ctlOffline::ReleaseParamSite() {
  ParamSite().Release();
  return true;
}

void ctlOffline::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

// ---- Tabs and navigation ----------------------------------------------------------------------

void ctlOffline::TabStripClick() {
  for (std::size_t tab = 1; tab <= tab_strip_->TabCount(); ++tab) {
    if (const forms::ControlPtr child = Child(tab_strip_->TabItem(tab).key)) {
      child->SetVisible(tab == tab_strip_->SelectedIndex());
    }
  }
}

void ctlOffline::SelectTabOf(controls::Navigation& navigation, const std::string& path) {
  const std::string name = navigation.ControlName(path);
  for (std::size_t tab = 1; tab <= tab_strip_->TabCount(); ++tab) {
    if (controls::SameText(tab_strip_->TabItem(tab).key, name)) {
      tab_strip_->SetTabSelected(tab, true);
      return;
    }
  }
}

}  // namespace dtm
