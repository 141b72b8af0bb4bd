#include "component/ui/parameters/ctl_offline_params.h"

#include <array>

#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "platform/controls/collection.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"
#include "platform/runtime/dictionary.h"
#include "platform/runtime/gui_man.h"
#include "platform/runtime/parameters.h"
#include "platform/runtime/user.h"

namespace dtm {
namespace {

constexpr char kActuatorTypePath[] = "SC130Tr1/Par2";
constexpr std::int32_t kHelpBesideAnySide = 15;
constexpr std::int32_t kListField = 3;
constexpr std::int32_t kValueField = 1;

// One edit field as the layout places it.
struct FieldDesign {
  std::int16_t index;
  const char* tag;
  const char* label;
  std::int32_t type;
  const char* format;  // "" for the element's own
};

// Indexes below 20 lie on tab 1, 20 to 39 on tab 2, 40 and above on tab 3.
constexpr std::array<FieldDesign, 11> kInputFields = {{
    {0, "SC130Tr5/Par1", "Bewegungsrichtung", kListField, ""},
    {1, "SC128Tr10/Par1", "Skal. w Anfang", kValueField, "0.0"},
    {2, "SC128Tr12/Par2", "Endlage bei w kl.", kValueField, "0.0"},
    {3, "SC128Tr9/Par4", "Skal. w Ende", kValueField, "0.0"},
    {4, "SC128Tr12/Par1", "Endlage bei w gr.", kValueField, "0.0"},
    {5, "SC128Tr2/Par3", "Hubbereich Anfang", kValueField, "0.0"},
    {6, "SC128Tr1/Par2", "Drehwinkelber.- Anf.", kValueField, "0.0"},
    {7, "SC128Tr11/Par2", "Untere Grenze", kValueField, "0.0"},
    {8, "SC128Tr2/Par4", "Hubbereich Ende", kValueField, "0.0"},
    {9, "SC128Tr1/Par3", "Drehwinkelber. Ende", kValueField, "0.0"},
    {10, "SC128Tr11/Par1", "Obere Grenze", kValueField, "0.0"},
}};
constexpr FieldDesign kCharacteristicField = {20, "SC130Tr1/Par3", "Kennlinienauswahl", kListField, ""};
constexpr FieldDesign kCharacteristicTypeField = {21, "SC138T5", "Kennlinientyp", kValueField, ""};
constexpr std::array<FieldDesign, 9> kControlFields = {{
    {40, "SC128Tr3/Par1", "KP_Y1 Zuluft", kValueField, ""},
    {41, "SC128Tr3/Par4", "Tote Zone", kValueField, "0.00"},
    {42, "SC128Tr4/Par1", "Tol. \xC3\x9C" "berschwingweite", kValueField, "0.00"},
    {43, "SC128Tr3/Par2", "KP_Y2 Abluft", kValueField, "0.00"},
    {44, "SC128Tr3/Par3", "KD", kValueField, "0.00"},
    {45, "SC128Tr10/Par3", "Laufzeit AUF", kValueField, "0.0"},
    {46, "SC128Tr10/Par2", "Laufzeit ZU", kValueField, "0.0"},
    {47, "SC128Tr13/Par4", "Min. Laufzeit AUF", kValueField, "0.0"},
    {48, "SC128Tr13/Par3", "Min. Laufzeit ZU", kValueField, "0.0"},
}};

std::string TextOf(const com::Variant& value) { return value.IsEmpty() ? std::string() : value.ToString(); }

// Whether a stored value is the number `number`; Empty counts as 0, and a
// value that is no number equals none.
bool IsNumber(const com::Variant& value, int number) {
  try {
    return value.IsNumeric() && value.ToDouble() == number;
  } catch (const com::ComError&) {
    return false;
  }
}

// The texts of a language key.
std::string PageText(runtime::DTMContext& context, const std::string& key) {
  return TextOf(context.Dictionary().GetValue("keys", key, "text"));
}

}  // namespace

ctlOfflineParams::ctlOfflineParams(const runtime::Services* services)
    : PageBase(Design{"ctlOfflineParams", "", false}, services) {
  tab_strip_ = Add(std::make_shared<forms::TabStrip>(
      "TabStrip", std::vector<forms::TabStrip::Tab>{
                      {"", "&Eingang"}, {"", "&Kennlinie"}, {"", "Kenn&werte"}}));

  auto frame = [this](const char* name, const char* caption) {
    auto made = Add(std::make_shared<forms::Frame>(name));
    made->SetCaption(caption);
    EchoOn(made, "Click");
    return made;
  };
  auto field = [this](const FieldDesign& design, forms::Frame& into) {
    auto made = Add(std::make_shared<controls::ctlParameter>("ctlParameter", design.index), &into);
    made->SetParameterTag(design.tag);
    made->SetLabelText(design.label);
    made->SetControlType(design.type);
    made->SetValueFormat(design.format);
    EchoOn(made, "LostFocus");
  };
  auto label = [this](const char* name, const char* caption, forms::Frame& into) {
    auto made = Add(std::make_shared<forms::Label>(name), &into);
    made->SetCaption(caption);
    EchoOn(made, "Click");
    return made;
  };

  frm_input_ = frame("frmInput", "Eingangsgr\xC3\xB6sse");
  for (std::size_t i = 0; i <= 4; ++i) field(kInputFields[i], *frm_input_);
  frm_range_ = frame("frmRange", "Arbeitsbereich");
  for (std::size_t i = 5; i < kInputFields.size(); ++i) field(kInputFields[i], *frm_range_);
  frm_charact_ = frame("frmCharact", "Kennlinie");
  field(kCharacteristicField, *frm_charact_);
  frm_us_def_charact_ = frame("frmUsDefCharact", "Benutzerdefinierte Kennlinie");
  field(kCharacteristicTypeField, *frm_us_def_charact_);
  cmd_prev_ = Add(std::make_shared<forms::CommandButton>("cmdPrev"), frm_us_def_charact_.get());
  cmd_prev_->SetCaption("<  Zur\xC3\xBC" "ck");
  cmd_next_ = Add(std::make_shared<forms::CommandButton>("cmdNext"), frm_us_def_charact_.get());
  cmd_next_->SetCaption("Einstellen");
  txt_par_x_ = Add(std::make_shared<forms::TextBox>("txtParX"), frm_us_def_charact_.get());
  txt_par_y_ = Add(std::make_shared<forms::TextBox>("txtParY"), frm_us_def_charact_.get());
  lbl_par_x_ = label("lblParX", "x", *frm_us_def_charact_);
  lbl_par_y_ = label("lblParY", "y", *frm_us_def_charact_);
  lbl_unit_x_ = label("lblUnitX", "%", *frm_us_def_charact_);
  lbl_unit_y_ = label("lblUnitY", "%", *frm_us_def_charact_);
  trend_ = Add(std::make_shared<controls::Trend>("Trend1"), frm_us_def_charact_.get());
  // The chart's design: the axis title and the first curve's name stand
  // until the language texts replace them.
  trend_->SetXAxisTitle(0, "F\xC3\xBChrungsgr\xC3\xB6\xC3\x9F" "e in %, x[n]");
  trend_->SetCurveName(0, "Kennlinienpunkte");
  trend_->ClearCalls();
  frm_ctrl_param_ = frame("frmCtrlParam", "Regelparameter");
  for (std::size_t i = 0; i <= 4; ++i) field(kControlFields[i], *frm_ctrl_param_);
  frm_times_ = frame("frmTimes", "Laufzeiten");
  for (std::size_t i = 5; i < kControlFields.size(); ++i) field(kControlFields[i], *frm_times_);
  Add(std::make_shared<forms::PictureBox>("picSearch"));
  Add(std::make_shared<forms::ImageList>("imlSearch"));
  GetParamHelpCtl()->SetAutomaticPositioning(kHelpBesideAnySide);

  editor_ = std::make_unique<CharacteristicEditor>(
      CharacteristicEditor::Controls{cmd_prev_, cmd_next_, txt_par_x_, txt_par_y_, lbl_par_x_,
                                     lbl_par_y_, trend_},
      [this] { return GetDtmContext(); });

  tab_strip_->On("Click", [this](forms::Args&) { TabStrip_Click(); });
  EchoOn(tab_strip_, "LostFocus");
  EchoOn(cmd_next_, "LostFocus");
  EchoOn(cmd_prev_, "LostFocus");
  EchoOn(trend_, "LostFocus");
  cmd_next_->On("Click", [this](forms::Args&) { editor_->cmdNext_Click(); });
  cmd_prev_->On("Click", [this](forms::Args&) { editor_->cmdPrev_Click(); });
  txt_par_x_->On("GotFocus", [this](forms::Args&) { editor_->txtParX_GotFocus(); });
  txt_par_y_->On("GotFocus", [this](forms::Args&) { editor_->txtParY_GotFocus(); });
}

// ---- The steps --------------------------------------------------------------------------------

void ctlOfflineParams::Showing() { trend_->Refresh(); }

void ctlOfflineParams::InitParamSite() {
  trend_->SetXViewMin(0, 0.0);
  trend_->SetXViewMax(0, 100.0);
  trend_->SetLegend(true);
  trend_->SetCurveViewMin(0, 0.0);
  trend_->SetCurveViewMax(0, 100.0);
  editor_->DrawReferenceLine();
  editor_->Reset();
  // The site, the lock, the language and the data set, as every page.
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  trend_->SetXGrid(0, true);
  for (std::int32_t curve = 0; curve <= 3; ++curve) trend_->SetCurveStyle(curve, 1);
  cmd_next_->SetEnabled(GetDtmContext()->User().UserLevel() != 0);
  TabStrip_Click();
}

void ctlOfflineParams::ApplyLanguage(std::int32_t language_id) {
  runtime::DTMContext& context = *GetDtmContext();
  ParamSite().SetLanguage(language_id);
  LanguageHelpers::SetControlTexts(context, Prefix(), Controls());
  editor_->ShowCurrentPoint();

  runtime::DTMDictionary& dictionary = context.Dictionary();
  const com::Variant actuator = context.Parameters().Item(kActuatorTypePath)->IPrivateDataElement_TransientValue();
  if (IsNumber(actuator, 1)) {
    // A rotary actuator: the limits are angles.
    if (auto* lower = dynamic_cast<clsDataElement*>(context.Parameters().Item("SC128Tr11/Par2").get())) {
      lower->Description = TextOf(dictionary.GetValue("keys", "ctlOfflineParams_parLowLimHelp", "description"));
    }
    if (auto* upper = dynamic_cast<clsDataElement*>(context.Parameters().Item("SC128Tr11/Par1").get())) {
      upper->Description = TextOf(dictionary.GetValue("keys", "ctlOfflineParams_parUppLimHelp", "description"));
    }
    trend_->SetCurveName(0, PageText(context, "ctlOfflineParams_TrendYAngle"));
  } else {
    trend_->SetCurveName(0, PageText(context, "ctlOfflineParams_TrendYTravel"));
  }
  trend_->SetXAxisTitle(0, PageText(context, "ctlOfflineParams_TrendXScale"));
  cmd_prev_->SetToolTipText(TextOf(dictionary.GetValue("keys", "ctlOfflineParams_cmdPrev", "tooltip")));
}

void ctlOfflineParams::OnParameterChanged(const DataElementPtr& element) {
  ParamSite().ParameterChanged(element);
  editor_->DrawCharacteristic();
}

void ctlOfflineParams::OnParameterSetChanged() {
  ParamSite().ParameterSetChanged();
  editor_->DrawCharacteristic();
}

void ctlOfflineParams::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

void ctlOfflineParams::TabStrip_Click() {
  frm_input_->SetVisible(tab_strip_->TabSelected(1));
  frm_range_->SetVisible(tab_strip_->TabSelected(1));
  frm_charact_->SetVisible(tab_strip_->TabSelected(2));
  frm_us_def_charact_->SetVisible(tab_strip_->TabSelected(2));
  frm_ctrl_param_->SetVisible(tab_strip_->TabSelected(3));
  frm_times_->SetVisible(tab_strip_->TabSelected(3));
}

// ---- IPrivateNavigation ---------------------------------------------------------------------

std::shared_ptr<controls::Collection> ctlOfflineParams::IPrivateNavigation_GetDictKeys(
    controls::Navigation& navigation, const std::string& key) {
  std::shared_ptr<controls::Collection> keys = navigation.GetDictKeys(key, Prefix(), Controls());
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return keys;
  const std::string chart_path = key + "." + trend_->Name();
  auto x_title = std::make_shared<controls::DictKeyList>("Trend", "ctlOfflineParams_TrendXScale", chart_path);
  keys->Add(x_title, x_title->Id());
  const com::Variant actuator = context->Parameters().Item(kActuatorTypePath)->IPrivateDataElement_TransientValue();
  auto y_title = std::make_shared<controls::DictKeyList>(
      "Trend", IsNumber(actuator, 0) ? "ctlOfflineParams_TrendYTravel" : "ctlOfflineParams_TrendYAngle",
      chart_path);
  keys->Add(y_title, y_title->Id());
  // While no point is in edit the button offers to set the points.
  if (auto next = keys->Find<controls::DictKeyList>(key + "." + cmd_next_->Name())) {
    next->SetDictKey("ctlOfflineParams_cmdNext_Set");
  }
  return keys;
}

std::size_t ctlOfflineParams::TabOf(const std::string& name, std::int32_t index) {
  using controls::SameText;
  for (const char* on_first : {"frmInput", "frmRange"}) {
    if (SameText(name, on_first)) return 1;
  }
  for (const char* on_second : {"frmCharact", "frmUsDefCharact", "Trend1", "lblParX", "lblUnitX",
                                "lblParY", "lblUnitY", "cmdPrev", "cmdNext"}) {
    if (SameText(name, on_second)) return 2;
  }
  for (const char* on_third : {"frmCtrlParam", "frmTimes"}) {
    if (SameText(name, on_third)) return 3;
  }
  if (SameText(name, "ctlParameter")) return index < 20 ? 1 : index < 40 ? 2 : 3;
  return 0;
}

bool ctlOfflineParams::IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                                      const std::string& search_path) {
  if (!Initialised()) return false;
  const auto navigation = GetNavigation();
  if (!navigation) return false;
  runtime::DTMContext* context = GetDtmContext();
  std::string found = path;
  if (!navigation->FindControl(context, search_path, found)) return false;
  if (show) {
    const std::size_t tab = TabOf(navigation->ControlName(found), navigation->ControlIndex(found));
    if (tab != 0) tab_strip_->SetTabSelected(tab, true);
  }
  if (controls::SameText(found, trend_->Name())) {
    trend_->SetBackColor(show ? forms::colors::kApplicationWorkspace : forms::colors::kButtonFace);
    return false;
  }
  return navigation->SelectControl(context, found, &Controls(), nullptr, show);
}

}  // namespace dtm
