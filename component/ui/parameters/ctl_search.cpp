#include "component/ui/parameters/ctl_search.h"

#include "component/common/identity.h"
#include "component/datamodel/data_element.h"
#include "component/ui/framework/param_link.h"
#include "platform/com/error.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"
#include "platform/win/class_registry.h"

namespace dtm {
namespace {

struct FunctionPlace {
  const char* name;
  const char* section;
  const char* key;
  const char* attribute;
  // The page that shows the function and the DTM function that opens it.
  const char* page_class;
  std::int32_t function_id;
};

constexpr FunctionPlace kFunctions[] = {
    {"fdtOfflineParameterize", "DTMFunctions", "func_Offline", "label", "ctlOffline", 12},
    {"fdtOnlineParameterize", "DTMFunctions", "func_Online", "label", "ctlOnlineParams", 7},
    {"fdtForce", "DTMFunctions", "func_Simulation", "label", "ctlSimulation", 10},
    {"fdtObserve", "DTMFunctions", "func_Measure", "label", "ctlMeasure", 4},
    {"fdtDiagnosis", "DTMFunctions", "func_Status", "label", "ctlStatus", 6},
    {"Trend", "keys", "key_Trend", "text", "ctlTrend", 5},
};

}  // namespace

ctlSearch::ctlSearch(const runtime::Services* services)
    : PageBase(Design{"ctlSearch", "HeadlineTitle_Search", false}, services) {
  Headline()->SetTitle("Title");
  search_ = Add(std::make_shared<controls::ctlDTMSearch>("ctlDTMSearch"));
  // The column widths and offered texts as the layout stores them.
  controls::ctlDTMSearch::DesignProperties& design = search_->Design();
  design.wtype = 1250;
  design.wplace = 1350;
  design.wlabel = 1650;
  design.wtooltip = 1350;
  design.whelp = 1350;
  design.wenum = 1350;
  design.comboitem.fill("");
  // Pictures for the site's fields, not shown on the page themselves.
  img_online_ = Add(std::make_shared<forms::Image>("imgOnline"));
  img_online_->SetPicture(std::make_shared<forms::Picture>("imgOnline.ico"));
  img_online_->SetVisible(false);
  img_saved_ = Add(std::make_shared<forms::Image>("imgSaved"));
  img_saved_->SetPicture(std::make_shared<forms::Picture>("imgSaved.ico"));
  img_saved_->SetVisible(false);

  // The design: the page, the headline across it, the search control
  // below. Extra room goes to the headline and the search control; they
  // never get smaller than designed and never move.
  Headline()->Move(0, 0, kDesignWidth, 700);
  search_->Move(120, 780, kDesignSearchWidth, kDesignSearchHeight);
  Resize(kDesignWidth, kDesignHeight);
  On("Resize", [this](forms::Args&) {
    const std::int32_t dw = ScaleWidth() - kDesignWidth;
    const std::int32_t dh = ScaleHeight() - kDesignHeight;
    Headline()->SetWidth(kDesignWidth + (dw >= 0 ? dw : 0));
    search_->SetWidth(kDesignSearchWidth + (dw >= 0 ? dw : 0));
    search_->SetHeight(kDesignSearchHeight + (dh >= 0 ? dh : 0));
  });
}

std::shared_ptr<controls::Collection> ctlSearch::BuildFunctionList() {
  auto list = std::make_shared<controls::Collection>();
  for (const FunctionPlace& place : kFunctions) {
    auto function = std::make_shared<controls::SearchFunction>();
    function->SetName(place.name);
    function->SetSection(place.section);
    function->SetKey(place.key);
    function->SetAttribute(place.attribute);
    list->Add(com::Variant(function), place.name);
  }
  return list;
}

bool ctlSearch::IPrivateNavigation_ShowControl(const std::string&, bool, const std::string&) {
  return false;
}

// ---- The steps --------------------------------------------------------------------------------

void ctlSearch::InitParamSite() {
  runtime::DTMContext& context = *GetDtmContext();
  search_->Init(com::QueryInterface<runtime::DTMContext>(DTM()->GetProperty("DTMContext")),
                GetNavigation(), BuildFunctionList());
  AttachSearchedPages(context);
  // A page initialised again finds its pictures there already.
  controls::ImageCollection& images = ParamSite().Images();
  if (!images.Exists("Online")) images.Add(images.Count() + 1, "Online", img_online_->Picture());
  if (!images.Exists("Saved")) images.Add(images.Count() + 1, "Saved", img_saved_->Picture());
  std::string invoke_id = InvokeID();
  ParamSite().Init(context, invoke_id, std::make_shared<clsParamLink>());
  ApplyLanguage(context.GUIMan().Language());
  OnParameterSetChanged();
  GetParamHelpCtl()->ZOrder(0);
}

void ctlSearch::ApplyLanguage(std::int32_t language_id) {
  PageBase::ApplyLanguage(language_id);
  search_->SetLanguage(language_id);
}

void ctlSearch::AttachSearchedPages(runtime::DTMContext& context) {
  DropSearchedPages();
  // The search reads the pages as designed: they are made, never opened,
  // so nothing of theirs talks to the device. A field shows the label of
  // its element in the current language.
  search_->SetLabels([&context](const std::string& path) -> std::string {
    try {
      const auto element = std::dynamic_pointer_cast<clsDataElement>(context.Parameters().Item(path));
      return element ? element->Prompt : std::string();
    } catch (const com::ComError&) {
      return {};  // a path the data model does not know shows no field
    }
  });
  const runtime::Services* services = GetServices();
  if (!services) return;
  for (const FunctionPlace& place : kFunctions) {
    com::ObjectPtr page;
    try {
      page = com::ClassRegistry::Instance().Create(ProgIdOfClass(place.page_class),
                                                   services->registry);
    } catch (const com::ComError&) {
      continue;  // a page nothing serves is not searched
    }
    auto navigation = std::dynamic_pointer_cast<controls::IPrivateNavigation>(page);
    if (!navigation) continue;
    searched_pages_.push_back(page);
    search_->AttachPage(place.name, place.page_class, navigation, place.function_id);
  }
}

void ctlSearch::DropSearchedPages() {
  for (const com::ObjectPtr& page : searched_pages_) {
    if (auto* form = dynamic_cast<forms::UserControl*>(page.get())) form->Terminate();
  }
  searched_pages_.clear();
}

bool ctlSearch::ReleaseParamSite() {
  search_->Release();
  DropSearchedPages();
  ParamSite().Release();
  return true;
}

void ctlSearch::SetLockState(bool enabled) {
  ParamSite().EnableInput(enabled);
  search_->EnableInput(enabled);
}

}  // namespace dtm
