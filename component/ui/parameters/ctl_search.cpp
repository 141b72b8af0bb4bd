#include "component/ui/parameters/ctl_search.h"

#include "component/ui/framework/param_link.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

struct FunctionPlace {
  const char* name;
  const char* section;
  const char* key;
  const char* attribute;
};

constexpr FunctionPlace kFunctions[] = {
    {"fdtOfflineParameterize", "DTMFunctions", "func_Offline", "label"},
    {"fdtOnlineParameterize", "DTMFunctions", "func_Online", "label"},
    {"fdtForce", "DTMFunctions", "func_Simulation", "label"},
    {"fdtObserve", "DTMFunctions", "func_Measure", "label"},
    {"fdtDiagnosis", "DTMFunctions", "func_Status", "label"},
    {"Trend", "keys", "key_Trend", "text"},
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

bool ctlSearch::ReleaseParamSite() {
  search_->Release();
  ParamSite().Release();
  return true;
}

void ctlSearch::SetLockState(bool enabled) {
  ParamSite().EnableInput(enabled);
  search_->EnableInput(enabled);
}

}  // namespace dtm
