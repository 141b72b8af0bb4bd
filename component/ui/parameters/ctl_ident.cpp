#include "component/ui/parameters/ctl_ident.h"

#include "component/common/api_helpers.h"
#include "component/common/language_helpers.h"
#include "component/ui/framework/param_link.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

struct FieldDesign {
  std::int16_t index;
  const char* frame;
  const char* path;
  const char* label;
  std::int32_t control_type;
  const char* format;
};

constexpr FieldDesign kFields[] = {
    {0, "frmIdentOperUnit", "~/Address", "Kurzadresse", 3, ""},
    {1, "frmIdentOperUnit", "UC013/Tag", "Tag", 1, ""},
    {2, "frmIdentOperUnit", "UC013/Descr", "Beschreibung", 1, ""},
    {3, "frmIdentOperUnit", "UC012", "Nachricht", 1, ""},
    {4, "frmIdentOperUnit", "SC138T1", "Textfeld 1", 1, ""},
    {5, "frmIdentOperUnit", "SC138T2", "Textfeld 2", 1, ""},
    {6, "frmIdentOperUnit", "SC138T3", "Textfeld 3", 1, ""},
    {7, "frmIdentOperUnit", "SC138T4", "Textfeld 4", 1, ""},
    {20, "frmPositioner", "UC000/ManuId", "Hersteller", 1, ""},
    {21, "frmPositioner", "SC135", "Erzeugnisnummer", 1, ""},
    {22, "frmPositioner", "UC000/DevId", "Typ-Nr. Regler", 3, ""},
    {23, "frmPositioner", "UC013/Date", "Datum", 1, ""},
    {24, "frmPositioner", "SC128Tr14/Par1", "SW Version Kommunikation", 1, "0.00"},
    {25, "frmPositioner", "SC128Tr13/Par1", "HW Version Elektronik", 1, "0.00"},
    {26, "frmPositioner", "UC000/SerNum", "Seriennummer", 1, ""},
    {27, "frmPositioner", "SC130Tr1/Par4", "Zertifikation", 3, ""},
    {28, "frmPositioner", "SC128Tr14/Par4", "SW Version Regelung", 1, "0.00"},
    {29, "frmPositioner", "SC128Tr14/Par3", "HW Version Mechanik", 1, "0.00"},
    {30, "frmAddComp", "SC130Tr6/Par3", "Zwangsentl\xC3\xBC" "ftung", 3, ""},
    {31, "frmAddComp", "SC130Tr6/Par2", "Grenzkontakte", 3, ""},
    {32, "frmAddComp", "SC130Tr4/Par1", "Induktive Grenzk.", 3, ""},
    {33, "frmAddComp", "UC015/WrProtect", "Schreibschutz", 3, ""},
    {34, "frmAddComp", "SC130Tr6/Par4", "Stellungsmelder", 3, ""},
    {35, "frmAddComp", "SC130Tr5/Par2", "Wirkrichtung Stell.", 3, ""},
    {40, "frmActuator", "SC128Tr13/Par2", "Seriennummer", 1, ""},
    {41, "frmValve", "UC016", "Seriennummer", 1, ""},
    {42, "frmValve", "SC130Tr1/Par2", "Ventilart", 3, ""},
    {43, "frmValve", "SC128Tr2/Par2", "Nennhub", 1, "0.0"},
    {44, "frmValve", "SC128Tr1/Par1", "Nennwinkel", 1, "0.0"},
    {45, "frmValve", "SC136/TotTravel", "Abs. Wegintegral", 1, ""},
};

struct FrameDesign {
  const char* name;
  const char* caption;
  std::size_t tab;
};

constexpr FrameDesign kFrames[] = {
    {"frmIdentOperUnit", "Identifikation Betriebseinheit", 1},
    {"frmPositioner", "Stellungsregler", 2},
    {"frmAddComp", "Zusatzkomponente", 2},
    {"frmActuator", "Stellantrieb", 3},
    {"frmValve", "Stellglied", 3},
};

// Valve type and rated travel are set elsewhere: shown locked here.
constexpr std::int16_t kLockedFields[] = {42, 43};

constexpr std::int32_t kStyleOkOnly = 0;

}  // namespace

ctlIdent::ctlIdent(const runtime::Services* services)
    : PageBase(Design{"ctlIdent", "", false}, services) {
  tab_strip_ = Add(std::make_shared<forms::TabStrip>(
      "TabStrip", std::vector<forms::TabStrip::Tab>{{"", "Ident. Betriebsein&heit"},
                                                    {"", "Ident. &Regler"},
                                                    {"", "Ident. Antrieb / Stellglie&d"}}));
  tab_strip_->Select(1);
  iml_search_ = Add(std::make_shared<forms::ImageList>("imlSearch"));
  for (const FrameDesign& design : kFrames) {
    auto frame = Add(std::make_shared<forms::Frame>(design.name));
    frame->SetCaption(design.caption);
    EchoOn(frame, "Click");
    frames_.push_back(frame);
  }
  forms::Frame& oper_unit = FrameNamed("frmIdentOperUnit");
  // Sets the row of the address field and the button off from the other fields.
  Add(std::make_shared<forms::Frame>("frmSeparator"), &oper_unit);
  cmd_set_poll_addr_ = Add(std::make_shared<forms::CommandButton>("cmdSetPollAddr"), &oper_unit);
  cmd_set_poll_addr_->SetCaption("Kurzadresse schreiben");
  cmd_set_poll_addr_->SetTag("UC006");
  for (const FieldDesign& design : kFields) {
    auto field = Add(std::make_shared<controls::ctlParameter>("ctlParameter", design.index),
                     &FrameNamed(design.frame));
    field->SetParameterTag(design.path);
    field->SetLabelText(design.label);
    field->SetControlType(design.control_type);
    if (*design.format) field->SetValueFormat(design.format);
    EchoOn(field, "LostFocus");
    fields_.push_back(field);
  }
  pic_search_ = Add(std::make_shared<forms::PictureBox>("picSearch"));

  EchoOn(tab_strip_, "LostFocus");
  EchoOn(cmd_set_poll_addr_, "LostFocus");
  tab_strip_->On("Click", [this](forms::Args&) { TabStrip_Click(); });
  cmd_set_poll_addr_->On("Click", [this](forms::Args&) { cmdSetPollAddr_Click(); });
  TabStrip_Click();
}

std::shared_ptr<controls::ctlParameter> ctlIdent::Field(std::int16_t index) const {
  for (const auto& field : fields_) {
    if (field->Index() == index) return field;
  }
  return nullptr;
}

forms::Frame& ctlIdent::FrameNamed(const std::string& name) const {
  for (const auto& frame : frames_) {
    if (frame->Name() == name) return *frame;
  }
  throw com::ComError(com::vb::kInvalidProcedureCall, "No frame " + name, "ctlIdent");
}

std::size_t ctlIdent::TabOfField(std::int32_t index) {
  if (index < 20) return 1;
  if (index < 40) return 2;
  return 3;
}

std::size_t ctlIdent::TabOfControl(const std::string& name, std::int32_t index) {
  if (name == "ctlParameter") return TabOfField(static_cast<std::int16_t>(index));
  if (name == "cmdSetPollAddr") return 1;
  for (const FrameDesign& design : kFrames) {
    if (name == design.name) return design.tab;
  }
  return 0;
}

void ctlIdent::TabStrip_Click() {
  const std::size_t selected = tab_strip_->SelectedIndex();
  for (std::size_t i = 0; i < frames_.size(); ++i) frames_[i]->SetVisible(kFrames[i].tab == selected);
}

// ---- The steps ------------------------------------------------------------------------------

void ctlIdent::InitParamSite() {
  runtime::DTMContext& context = *GetDtmContext();
  std::string invoke_id = InvokeID();
  ParamSite().Init(context, invoke_id, std::make_shared<clsParamLink>());
  for (const std::int16_t index : kLockedFields) {
    const auto link = std::dynamic_pointer_cast<clsParamLink>(ParamSite().GetParamLink(*Field(index)));
    if (link) link->Locked = true;
  }
  SetLockState(!context.GUIMan().LockState());
  ApplyLanguage(context.GUIMan().Language());
  OnParameterSetChanged();
  GetParamHelpCtl()->ZOrder(0);
  TabStrip_Click();
}

void ctlIdent::ApplyLanguage(std::int32_t language_id) {
  runtime::DTMContext& context = *GetDtmContext();
  ParamSite().SetLanguage(language_id);
  LanguageHelpers::SetControlTexts(context, Prefix(), Controls());
  const com::Variant tooltip = context.Dictionary().GetValue("keys", "ctlIdent_cmdSetPollAddr", "tooltip");
  cmd_set_poll_addr_->SetToolTipText(tooltip.IsEmpty() ? std::string() : tooltip.ToString());
}

void ctlIdent::OnParameterChanged(const DataElementPtr& element) { ParamSite().ParameterChanged(element); }

void ctlIdent::OnParameterSetChanged() { ParamSite().ParameterSetChanged(); }

void ctlIdent::SetLockState(bool enabled) {
  ParamSite().EnableInput(enabled);
  cmd_set_poll_addr_->SetEnabled(enabled && GetDtmContext()->User().UserLevel() != 0);
}

// ---- The polling address ----------------------------------------------------------------------

void ctlIdent::cmdSetPollAddr_Click() {
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  if (!m_CommandId.empty()) {
    context->MessageBox(LanguageHelpers::GetLangText(*context, "command_already_active"), kStyleOkOnly);
    return;
  }
  runtime::Parameters& parameters = context->Parameters();
  const DataElementPtr address = parameters.Item("~/Address");
  com::Variant old_value = address->IPrivateDataElement_DeviceValue();
  if (old_value.IsEmpty()) old_value = address->IPrivateDataElement_PersistentValue();
  const std::int16_t old_address = old_value.ToInteger();
  const std::int16_t new_address = address->IPrivateDataElement_TransientValue().ToInteger();

  const std::string question = LanguageHelpers::GetLangText(
      *context, "change_polling_addr", com::Variant(old_address), com::Variant(new_address));
  if (context->MessageBox(question, kStyleYesNoQuestion) != kAnswerYes) return;

  address->IPrivateDataElement_TransientValue(com::Variant(old_address));
  parameters.NotifyChanged(address, "");
  const std::string command_path = cmd_set_poll_addr_->Tag();
  const DataElementPtr command = parameters.Item(command_path);
  command->IPrivateDataElement_TransientValue(com::Variant(new_address));

  m_CommandId = APIHelpers::CreateGuidString(context->GetServices().guids, true);
  cmd_set_poll_addr_->SetEnabled(false);
  bool ok = false;
  context->ProcessMan().StartCommand(m_CommandId, command->IPrivateDataElement_Name(),
                                     std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), ok);
  if (!ok) {
    m_CommandId.clear();
    cmd_set_poll_addr_->SetEnabled(true);
    context->MessageBox(LanguageHelpers::GetLangText(*context, "cmderr_not_connected"), kStyleOkOnly);
  }
}

void ctlIdent::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                 const std::optional<com::Variant>&) {
  if (m_CommandId.empty() || !APIHelpers::IsSameText(process_id, m_CommandId)) return;
  m_CommandId.clear();
  cmd_set_poll_addr_->SetEnabled(true);
}

// ---- Navigation -------------------------------------------------------------------------------

std::shared_ptr<controls::Collection> ctlIdent::IPrivateNavigation_FindParameters(
    controls::Navigation& navigation, const std::string& search_text, const std::string& name_text) {
  return navigation.FindParameters(name_text, search_text, Controls());
}

std::shared_ptr<controls::Collection> ctlIdent::IPrivateNavigation_GetDictKeys(
    controls::Navigation& navigation, const std::string& key) {
  return navigation.GetDictKeys(key, Prefix(), Controls());
}

bool ctlIdent::IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                              const std::string& search_path) {
  if (!DTM()) return false;
  const auto navigation = GetNavigation();
  if (!navigation) return false;
  runtime::DTMContext* context = GetDtmContext();
  std::string found = path;
  if (!navigation->FindControl(context, search_path, found)) return false;
  if (show) {
    const std::size_t tab = TabOfControl(navigation->ControlName(found), navigation->ControlIndex(found));
    if (tab != 0) tab_strip_->SetTabSelected(tab, true);
  }
  return navigation->SelectControl(context, found, &Controls(), nullptr, show);
}

}  // namespace dtm
