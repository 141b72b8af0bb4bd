#include "component/ui/parameters/ctl_start_up.h"

#include <optional>

#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "platform/com/error.h"
#include "platform/controls/collection.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr char kActuatorType[] = "SC130Tr1/Par2";
constexpr std::int32_t kKeyEnter = 13;
constexpr std::int16_t kFirstField = 0;
constexpr std::int16_t kNominalTravelField = 2;
constexpr std::int16_t kNominalAngleField = 3;
// The fields of the error supervision begin here; below it, start-up.
constexpr std::int16_t kFirstSupervisionField = 20;
constexpr std::int32_t kStyleQuestionNoDefault = 292;  // Yes/No, question, No by default
constexpr std::int32_t kStyleInformation = 320;        // OK, information, second button

std::string TextOf(const com::Variant& value) { return value.IsEmpty() ? std::string() : value.ToString(); }

// A value of the data set in the comparisons of this page: nothing entered
// counts as 0.
double NumberOf(const com::Variant& value) { return value.IsEmpty() ? 0.0 : value.ToDouble(); }

// The actuator type as a number; nothing entered is a linear actuator, a
// text that is no number is no type at all.
std::optional<double> ActuatorTypeOf(const com::Variant& value) {
  if (value.IsEmpty()) return 0.0;
  if (!value.IsNumeric()) return std::nullopt;
  return value.ToDouble();
}

bool IsRotary(runtime::DTMContext& context) {
  const std::optional<double> type =
      ActuatorTypeOf(context.Parameters().Item(kActuatorType)->IPrivateDataElement_TransientValue());
  return type && *type == 1.0;
}

clsDataElement* ElementOf(runtime::DTMContext& context, const std::string& path) {
  auto* element = dynamic_cast<clsDataElement*>(context.Parameters().Item(path).get());
  if (!element) com::ThrowTypeMismatch("ctlStartUp");
  return element;
}

}  // namespace

const std::vector<ctlStartUp::FieldDesign>& ctlStartUp::Fields() {
  static const std::vector<FieldDesign> fields = {
      {0, 0, "SC130Tr1/Par2", "Ventilart", ""},
      {1, 0, "SC130Tr1/Par1", "Anbau", ""},
      {2, 0, "SC128Tr2/Par2", "Nennhub", ""},
      {3, 0, "SC128Tr1/Par1", "Nennwinkel", "0.0"},
      {4, 0, "SC128Tr14/Par2", "Max. Hub/Winkel", "0.0"},
      {5, 0, "SC130Tr2/Par4", "Initialisierungsart", ""},
      {6, 0, "SC130Tr2/Par3", "Bauart", ""},
      {7, 0, "SC130Tr2/Par1", "Übersetzung Code", ""},
      {8, 0, "SC128Tr2/Par1", "Übersetzung Länge", "0.0"},
      {9, 0, "SC130Tr3/Par1", "Übers. Stiftposition", ""},
      {10, 0, "SC130Tr2/Par2", "Anbaulage", ""},
      {11, 1, "SC130Tr6/Par1", "Sicherheitsstellung", ""},
      {12, 1, "SC130Tr7/Par1", "Initialisierung Warnung", ""},
      {13, 1, "SC128Tr13/Par4", "Min. Laufzeit AUF", "0.0"},
      {14, 1, "SC128Tr13/Par3", "Min. Laufzeit ZU", "0.0"},
      {20, 2, "SC128Tr11/Par4", "Toleranzband", "0.0"},
      {21, 2, "SC128Tr11/Par3", "Nachlaufzeit", "0"},
      {22, 2, "SC128Tr12/Par3", "GW1 Wert", "0.0"},
      {23, 2, "SC128Tr12/Par4", "GW2 Wert", "0.0"},
      {24, 2, "SC136/TotTravel", "Abs. Wegintegral", ""},
      {25, 2, "SC128Tr10/Par4", "Grenzwert Wegintegral", ""},
      {26, 2, "SC130Tr5/Par3", "GW1 EIN bei", ""},
      {27, 2, "SC130Tr5/Par4", "GW2 EIN bei", ""},
      {28, 3, "SC130Tr4/Par2", "Störmeldung Kommunikation", ""},
      {29, 3, "SC130Tr4/Par3", "Störmeldung Sonderfunktion", ""},
      {30, 3, "SC130Tr4/Par4", "Störmeldung Wegintegral", ""},
  };
  return fields;
}

ctlStartUp::ctlStartUp(const runtime::Services* services)
    : PageBase(Design{"ctlStartUp", "", false}, services) {
  tab_strip_ = Add(std::make_shared<forms::TabStrip>(
      "TabStrip", std::vector<forms::TabStrip::Tab>{{"", "&Inbetriebnahme"}, {"", "&Fehlerüberwachung"}}));
  struct FrameDesign {
    const char* name;
    const char* caption;
  };
  const FrameDesign frames[] = {{"frmStartUp", "Inbetriebnahme"},
                                {"frmDiagnosis", "Diagnose"},
                                {"frmErrCtrl", "Fehlerüberwachung"},
                                {"frmFailResp", "Ausfallverhalten"}};
  for (const FrameDesign& design : frames) {
    auto frame = Add(std::make_shared<forms::Frame>(design.name));
    frame->SetCaption(design.caption);
    EchoOn(frame, "Click");
    frames_.push_back(frame);
  }
  for (const FieldDesign& design : Fields()) {
    auto field = Add(std::make_shared<controls::ctlParameter>("ctlParameter", design.index),
                     frames_[design.frame].get());
    field->SetParameterTag(design.tag);
    field->SetLabelText(design.label);
    if (*design.format) field->SetValueFormat(design.format);
    const std::int16_t index = design.index;
    field->On("KeyPress", [this, index](forms::Args& args) {
      if (args.size() > 1) FieldKeyPress(index, args[1].ToLong());
    });
    field->On("LostFocus", [this, index](forms::Args&) { FieldLostFocus(index); });
    fields_.push_back(field);
  }
  pic_search_ = Add(std::make_shared<forms::PictureBox>("picSearch"));
  iml_search_ = Add(std::make_shared<forms::ImageList>("imlSearch"));

  tab_strip_->On("Click", [this](forms::Args&) { TabStripClick(); });
  EchoOn(tab_strip_, "LostFocus");
}

std::shared_ptr<controls::ctlParameter> ctlStartUp::Field(std::int16_t index) const {
  for (const auto& field : fields_) {
    if (field->Index() == index) return field;
  }
  return nullptr;
}

// ---- The steps --------------------------------------------------------------------------------

void ctlStartUp::InitParamSite() {
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  TabStripClick();
}

void ctlStartUp::ApplyLanguage(std::int32_t language_id) {
  runtime::DTMContext& context = *GetDtmContext();
  // The rotary actuator's texts go into the elements before the site
  // renews its fields' texts, so the fields show them at once.
  if (IsRotary(context)) ApplyRotaryTexts(context);
  ParamSite().SetLanguage(language_id);
  LanguageHelpers::SetControlTexts(context, Prefix(), Controls());
}

void ctlStartUp::ApplyRotaryTexts(runtime::DTMContext& context) {
  runtime::DTMDictionary& dictionary = context.Dictionary();
  clsDataElement* max_angle = ElementOf(context, "SC128Tr14/Par2");
  max_angle->Prompt = TextOf(dictionary.GetValue("keys", "ctlStartUp_parMaxAngleHelp", "label"));
  max_angle->Description =
      TextOf(dictionary.GetValue("keys", "ctlStartUp_parMaxAngleHelp", "description"));
  ElementOf(context, "SC130Tr2/Par1")->Description =
      TextOf(dictionary.GetValue("keys", "ctlStartUp_parHCodeHelp", "description"));
  ElementOf(context, "SC130Tr6/Par1")->Description =
      TextOf(dictionary.GetValue("keys", "ctlStartUp_parFailSafeHelp", "valueList"));
}

bool ctlStartUp::ReleaseParamSite() {
  ParamSite().Release();
  return true;
}

void ctlStartUp::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

// ---- Tabs and navigation ----------------------------------------------------------------------

void ctlStartUp::TabStripClick() {
  const bool start_up = tab_strip_->SelectedIndex() == 1;
  const bool supervision = tab_strip_->SelectedIndex() == 2;
  frames_[0]->SetVisible(start_up);
  frames_[1]->SetVisible(start_up);
  frames_[2]->SetVisible(supervision);
  frames_[3]->SetVisible(supervision);
}

void ctlStartUp::SelectTabOf(controls::Navigation& navigation, const std::string& path) {
  const std::string name = navigation.ControlName(path);
  std::size_t tab = 0;
  if (controls::SameText(name, "frmStartUp") || controls::SameText(name, "frmDiagnosis")) {
    tab = 1;
  } else if (controls::SameText(name, "frmErrCtrl") || controls::SameText(name, "frmFailResp")) {
    tab = 2;
  } else if (controls::SameText(name, "ctlParameter")) {
    tab = navigation.ControlIndex(path) < kFirstSupervisionField ? 1 : 2;
  }
  if (tab != 0) tab_strip_->SetTabSelected(tab, true);
}

std::shared_ptr<controls::Collection> ctlStartUp::IPrivateNavigation_FindParameters(
    controls::Navigation& navigation, const std::string& search_text, const std::string& name_text) {
  // Searched inside the offline container, the fields' paths start with
  // the container's page path, which the caller hands in.
  return navigation.FindParameters(name_text, search_text, Controls());
}

// ---- The nominal fields -------------------------------------------------------------------------

void ctlStartUp::FieldKeyPress(std::int16_t index, std::int32_t key_ascii) {
  if (key_ascii != kKeyEnter || (index != kNominalTravelField && index != kNominalAngleField)) return;
  // Enter leaves the field for the first one, whose focus runs the check;
  // when that field cannot take the focus the check runs here.
  const auto first = Field(kFirstField);
  if (first && first->CanTakeFocus()) {
    first->SetFocus();
  } else if (Initialised()) {
    CheckNominalRange();
  }
}

void ctlStartUp::FieldLostFocus(std::int16_t index) {
  if (!Initialised()) return;
  Echo(Field(index));
  if (index == kNominalTravelField || index == kNominalAngleField) CheckNominalRange();
}

void ctlStartUp::CheckNominalRange() {
  runtime::DTMContext& context = *GetDtmContext();
  const std::optional<double> type =
      ActuatorTypeOf(context.Parameters().Item(kActuatorType)->IPrivateDataElement_TransientValue());
  // The pair follows the actuator, not the field that was left.
  const char* nominal_path = nullptr;
  const char* range_path = nullptr;
  const char* larger = nullptr;
  const char* smaller = nullptr;
  if (type && *type == 0.0) {
    nominal_path = "SC128Tr2/Par2";
    range_path = "SC128Tr2/Par4";
    larger = "Nennhub_groesser_hubbereich";
    smaller = "Nennhub_kleiner_hubbereich";
  } else if (type && *type == 1.0) {
    nominal_path = "SC128Tr1/Par1";
    range_path = "SC128Tr1/Par3";
    larger = "Nennwinkel_groesser_winkelbereich";
    smaller = "Nennwinkel_kleiner_winkelbereich";
  } else {
    return;
  }
  const DataElementPtr nominal = context.Parameters().Item(nominal_path);
  const DataElementPtr range_end = context.Parameters().Item(range_path);
  const double n = NumberOf(nominal->IPrivateDataElement_TransientValue());
  const double e = NumberOf(range_end->IPrivateDataElement_TransientValue());
  if (n > e) {
    if (context.MessageBox(LanguageHelpers::GetLangText(context, larger), kStyleQuestionNoDefault) !=
        runtime::kIdYes) {
      return;
    }
  } else if (n < e) {
    // Told, not asked: the range end follows the nominal value either way.
    context.MessageBox(LanguageHelpers::GetLangText(context, smaller), kStyleInformation);
  } else {
    return;
  }
  range_end->IPrivateDataElement_TransientValue(nominal->IPrivateDataElement_TransientValue());
  context.Parameters().NotifyChanged(range_end, "");
}

}  // namespace dtm
