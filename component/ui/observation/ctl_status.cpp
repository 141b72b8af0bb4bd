#include "component/ui/observation/ctl_status.h"

#include "component/common/identity.h"
#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr std::int32_t kStyleOkOnly = 0;
constexpr std::int32_t kNotAnswered = 0x10000;  // a plain communication error
constexpr std::int32_t kCommError = 0xF0000;
// "DevState" holds this until a response has brought a status byte.
constexpr std::int16_t kNoStatusYet = 256;
constexpr std::int16_t kTagField = 6;
constexpr const char* kCommandStatus = "CC048/St";

// The identification fields: index order, element path, value format.
struct FieldDesign {
  const char* tag;
  const char* label;
  const char* format;
};
constexpr FieldDesign kFields[] = {
    {"SC135", "Erzeugnisnummer", ""},
    {"SC128Tr14/Par1", "SW Version Kommunikation", "0.00"},
    {"SC128Tr13/Par1", "HW Version Elektronik", "0.00"},
    {"UC000/SerNum", "Seriennummer", ""},
    {"SC128Tr14/Par4", "SW Version Regelung", ""},
    {"SC128Tr14/Par3", "HW Version Mechanik", "0.00"},
    {"UC013/Tag", "Tag", ""},
};

// What the first read fetches, and what a refresh fetches again.
const std::vector<const char*> kFirstRead = {"UC001/",         "CC048/",         "SC128Tr14/Par4",
                                             "SC128Tr14/Par3", "SC128Tr14/Par1", "SC135",
                                             "UC000/SerNum",   "SC128Tr13/Par1", "UC013/Tag"};
const std::vector<const char*> kRefreshRead = {"UC001/", "CC048/"};

std::string TextOf(const com::Variant& value) { return value.IsEmpty() ? std::string() : value.ToString(); }

}  // namespace

const std::vector<ctlStatus::StatusRow>& ctlStatus::StatusRows() {
  using T = StatusTab;
  static const std::vector<StatusRow> rows = {
      {0, T::kStandard, "ctlStatus_lblStatus0", "Primäre Messgröße ausserhalb der Grenzen"},
      {1, T::kStandard, "ctlStatus_lblStatus1", "Messgrösse (mit Ausnahme der primären) ausserhalb der Grenzen"},
      {2, T::kStandard, "ctlStatus_lblStatus2", "Analogausgang übersteuert"},
      {3, T::kStandard, "ctlStatus_lblStatus3", "Stromausgang auf festem Wert"},
      {5, T::kStandard, "ctlStatus_lblStatus5", "Kaltstart ausgeführt"},
      {6, T::kStandard, "ctlStatus_lblStatus6", "Parametrierung wurde verändert"},
      {7, T::kStandard, "ctlStatus_lblStatus7", "Fehlfunktion des Feldgeräts"},
      {10, T::kCritical, "ctlStatus_lblStatus10", "Daten von der Applikation nicht gültig"},
      {11, T::kCritical, "ctlStatus_lblStatus11", "Datenspeicher der Regelung fehlerhaft"},
      {12, T::kCritical, "ctlStatus_lblStatus12", "Datenspeicher der Kommunikation fehlerhaft"},
      {13, T::kCritical, "ctlStatus_lblStatus13", "Prüfsummenfehler im Datenspeicher der Regelung"},
      {14, T::kCritical, "ctlStatus_lblStatus14", "Prüfsummenfehler im Datenspeicher der Komm."},
      {15, T::kCritical, "ctlStatus_lblStatus15", "Regelkreis gestört"},
      {20, T::kCritical, "ctlStatus_lblStatus20", "Gerät nicht initialisiert"},
      {21, T::kInformation, "ctlStatus_lblStatus21", "Initialisierung in Bearbeitung"},
      {22, T::kCritical, "ctlStatus_lblStatus22", "Initialisierung fehlerhaft"},
      {23, T::kInformation, "ctlStatus_lblStatus23", "Nullpunktabgleich in Bearbeitung"},
      {24, T::kCritical, "ctlStatus_lblStatus24", "Nullpunktfehler"},
      {26, T::kCritical, "ctlStatus_lblStatus26", "Messwerterfassung fehlerhaft"},
      {30, T::kInformation, "ctlStatus_lblStatus30", "Grenzwert absolutes Wegintegral überschritten"},
      {32, T::kInformation, "ctlStatus_lblStatus32", "Warmstart ausgeführt"},
      {33, T::kInformation, "ctlStatus_lblStatus33", "Messwert Regelgröße außer Bereichx"},
      {34, T::kCritical, "ctlStatus_lblStatus34", "Hilfsenergie zu gering (power fail)"},
      {35, T::kCritical, "ctlStatus_lblStatus35", "Defekt in Mechanik oder Pneumatik"},
      {37, T::kInformation, "ctlStatus_lblStatus37", "Kennlinie fehlerhaft"},
      {40, T::kCritical, "ctlStatus_lblStatus40", "Fehler im Speicher Geräteinformation"},
      {43, T::kCritical, "ctlStatus_lblStatus43", "Fehler in Option Zwangsentlüftung"},
  };
  return rows;
}

std::string ctlStatus::VersionCaption() {
  return "VELDAR DTM 4625 FDT 1.2        Version " + std::to_string(kVersionMajor) + "." +
         std::to_string(kVersionMinor) + "." + std::to_string(kVersionRevision);
}

ctlStatus::ctlStatus(const runtime::Services& services)
    : PageBase(Design{"ctlStatus", "HeadlineTitle_Diagnose", true}, &services) {
  tab_strip_ = Add(std::make_shared<forms::TabStrip>(
      "TabStrip", std::vector<forms::TabStrip::Tab>{
                      {"", "&Standard"}, {"", "&Kritisch"}, {"", "&Information"}, {"", "&Gerät"}}));
  const char* frame_names[3][2] = {{"frmStdStatus", "Standard Gerätestatus"},
                                   {"frmCritStatus", "Kritischer Gerätestatus"},
                                   {"frmInfoStatus", "Information Gerätestatus"}};
  for (const auto& [name, caption] : frame_names) {
    frames_.push_back(Add(std::make_shared<forms::Frame>(name)));
    frames_.back()->SetCaption(caption);
  }
  image_list_ = Add(std::make_shared<forms::ImageList>("ImageList1"));
  for (const char* key : {kNotRead, kReadOff, kReadOn}) {
    image_list_->Add(std::nullopt, key, std::make_shared<forms::Picture>(key));
  }
  for (const StatusRow& row : StatusRows()) {
    forms::Frame* frame = frames_[static_cast<std::size_t>(row.tab) - 1].get();
    auto image = Add(std::make_shared<forms::Image>("imgStatus", row.code), frame);
    image->SetPicture(image_list_->Item(kNotRead));
    auto label = Add(std::make_shared<forms::Label>("lblStatus", row.code), frame);
    label->SetCaption(row.caption);
    images_[row.code] = image;
    labels_[row.code] = label;
    EchoOn(label, "Click");
  }
  frm_positioner_ = Add(std::make_shared<forms::Frame>("frmPositioner"));
  frm_positioner_->SetCaption("Stellungsregler");
  for (std::size_t i = 0; i < std::size(kFields); ++i) {
    auto field = Add(std::make_shared<controls::ctlParameter>("ctlParameter", static_cast<std::int16_t>(i)),
                     frm_positioner_.get());
    field->SetParameterTag(kFields[i].tag);
    field->SetLabelText(kFields[i].label);
    field->SetValueFormat(kFields[i].format);
    fields_.push_back(field);
    EchoOn(field, "LostFocus");
  }
  // The tag field stays read-only whatever its command does.
  fields_[kTagField]->On("StateChanged", [this](forms::Args&) { fields_[kTagField]->SetLocked(true); });
  frame_dtm_ = Add(std::make_shared<forms::Frame>("frameDtm"));
  frame_dtm_->SetCaption("DTM");
  lbl_dtm_ = Add(std::make_shared<forms::Label>("lblDtm"), frame_dtm_.get());
  lbl_dtm_->SetCaption("DTM");
  lbl_cdtm_ = Add(std::make_shared<forms::Label>("lblCDtm"), frame_dtm_.get());
  dtm_manu_id_ = Add(std::make_shared<forms::Label>("DTMManuId"), frame_dtm_.get());
  dtm_manu_id_->SetCaption("Hersteller");
  dtm_manu_text_ = Add(std::make_shared<forms::TextBox>("DTMManuIDAnzeige"), frame_dtm_.get());
  dtm_manu_text_->SetText("VELDAR AG");
  dtm_manu_text_->SetLocked(true);
  cmd_refresh_ = Add(std::make_shared<forms::CommandButton>("cmdRefresh"));
  cmd_refresh_->SetCaption("Aktualisieren");
  Add(std::make_shared<forms::PictureBox>("picSearch"))->SetVisible(false);
  Add(std::make_shared<forms::ImageList>("imlSearch"));

  tab_strip_->On("Click", [this](forms::Args&) { TabClicked(); });
  cmd_refresh_->On("Click", [this](forms::Args&) { RefreshClicked(); });
  EchoOn(tab_strip_, "LostFocus");
  EchoOn(cmd_refresh_, "LostFocus");
  for (const auto& frame : frames_) EchoOn(frame, "Click");
  EchoOn(frm_positioner_, "Click");
  EchoOn(frame_dtm_, "Click");
  EchoOn(lbl_dtm_, "Click");
  EchoOn(lbl_cdtm_, "Click");
  EchoOn(dtm_manu_id_, "Click");
  TabClicked();
}

forms::Label* ctlStatus::lblStatus(std::int16_t code) const {
  const auto found = labels_.find(code);
  return found == labels_.end() ? nullptr : found->second.get();
}

forms::Image* ctlStatus::imgStatus(std::int16_t code) const {
  const auto found = images_.find(code);
  return found == images_.end() ? nullptr : found->second.get();
}

std::string ctlStatus::PictureKey(std::int16_t code) const {
  const forms::Image* image = imgStatus(code);
  if (!image || !image->Picture()) return {};
  for (const char* key : {kNotRead, kReadOff, kReadOn}) {
    if (image_list_->Item(key) == image->Picture()) return key;
  }
  return {};
}

void ctlStatus::SetPicture(std::int16_t code, const char* key) {
  if (forms::Image* image = imgStatus(code)) image->SetPicture(image_list_->Item(key));
}

// ---- Life ---------------------------------------------------------------------------------------

bool ctlStatus::IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                                        const com::ObjectPtr& dtm) {
  const bool accepted = PageBase::IDtmActiveXControl_Init(invoke_id, function_call, dtm);
  // Whatever Init did, the tag stays read-only and the version is this
  // component's (after the page texts, which name none).
  fields_[kTagField]->SetLocked(true);
  ResetActivity();
  lbl_cdtm_->SetCaption(VersionCaption());
  return accepted;
}

bool ctlStatus::IDtmActiveXControl_PrepareToRelease() {
  const bool released = PageBase::IDtmActiveXControl_PrepareToRelease();
  fields_[kTagField]->SetLocked(false);
  return released;
}

void ctlStatus::InitParamSite() {
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  TabClicked();
}

void ctlStatus::ApplyLanguage(std::int32_t language_id) {
  PageBase::ApplyLanguage(language_id);
  runtime::DTMDictionary& dictionary = GetDtmContext()->Dictionary();
  dtm_manu_id_->SetCaption(TextOf(dictionary.GetValue("keys", "DTMManuId", "label")));
  const std::string maker = TextOf(dictionary.GetValue("keys", "DTMManuId", "description"));
  dtm_manu_id_->SetToolTipText(maker);
  dtm_manu_text_->SetToolTipText(maker);
  frm_positioner_->SetCaption(TextOf(dictionary.GetValue("keys", "ctlIdent_frmPositioner", "text")));
  for (const StatusRow& row : StatusRows()) {
    labels_[row.code]->SetCaption(TextOf(dictionary.GetValue("keys", row.caption_key, "caption")));
  }
}

bool ctlStatus::ReleaseParamSite() {
  fields_[kTagField]->SetLocked(true);
  return PageBase::ReleaseParamSite();
}

void ctlStatus::OnParameterChanged(const DataElementPtr& element) {
  ParamSite().ParameterChanged(element);
  ShowStatusBits(element);
  RenewHeadlineTitle();
}

void ctlStatus::OnParameterSetChanged() {
  ParamSite().ParameterSetChanged();
  ShowStatusBits(nullptr);
  RenewHeadlineTitle();
}

// The refresh button does not follow the lock or the user level.
void ctlStatus::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

void ctlStatus::TabClicked() {
  const std::size_t tab = tab_strip_->SelectedIndex();
  for (std::size_t i = 0; i < frames_.size(); ++i) frames_[i]->SetVisible(tab == i + 1);
  frm_positioner_->SetVisible(tab == 4);
  frame_dtm_->SetVisible(tab == 4);
}

void ctlStatus::SelectTabOf(controls::Navigation& navigation, const std::string& path) {
  const std::string name = navigation.ControlName(path);
  std::size_t tab = 0;
  if (name == "frmStdStatus") {
    tab = 1;
  } else if (name == "frmCritStatus") {
    tab = 2;
  } else if (name == "frmInfoStatus") {
    tab = 3;
  } else if (name == "frmPositioner" || name == "frameDtm" || name == "ctlParameter" || name == "lblDtm" ||
             name == "DTMManuId" || name == "lblCDtm") {
    tab = 4;
  } else if (name == "lblStatus") {
    const std::int32_t index = navigation.ControlIndex(path);
    if (index >= 0 && index <= 7) {
      tab = 1;
    } else {
      for (const StatusRow& row : StatusRows()) {
        if (row.code == index && row.tab != StatusTab::kStandard) tab = static_cast<std::size_t>(row.tab);
      }
    }
  }
  if (tab != 0) tab_strip_->SetTabSelected(tab, true);
}

// ---- The status read ----------------------------------------------------------------------------

void ctlStatus::ReadStatus() { StartRead(kFirstRead); }

void ctlStatus::RefreshClicked() { StartRead(kRefreshRead); }

void ctlStatus::StartRead(const std::vector<const char*>& paths) {
  runtime::ParamProcess* process = Process();
  if (!process || process->IsBusy()) return;
  std::int32_t error = 0;
  process->Reset(error);
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  if (process->IsEmpty()) {
    for (const char* path : paths) process->AddElement(context->Parameters().Item(path), false, error);
  }
  process->Start(std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), 0, true, error);
  if (error != 0) {
    process->Abort();
    context->MessageBox(LanguageHelpers::GetLangText(*context, "error_at_read_status"), kStyleOkOnly);
    MarkParamsCommError();
    return;
  }
  m_ReadStarted = true;
  cmd_refresh_->SetEnabled(false);
  StartActivity();
}

std::int32_t ctlStatus::FieldGoodFlags(const controls::ctlParameter& field) const {
  // The tag is no information value.
  return field.Index() == kTagField ? 0 : 1;
}

void ctlStatus::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                  const std::optional<com::Variant>&) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context || !OwnsProcess(process_id)) return;
  // The end of a read arrives from the event loop: its failure is the
  // page's to report, never the loop's.
  try {
    const std::vector<runtime::ProcessResult> results = context->CommMan().GetResults(Process()->ProcessID());
    // A status the device refused, left busy or did not send is not shown
    // from the values an earlier read left: the pictures say "not read".
    if (!MarkFieldsByResults(*context, results, kNotAnswered)) {
      for (const auto& [code, image] : images_) image->SetPicture(image_list_->Item(kNotRead));
      context->MessageBox(LanguageHelpers::GetLangText(*context, "comm_error_at_read_status"), kStyleOkOnly);
    }
  } catch (const com::ComError& error) {
    context->ShowError(error.Description());
  }
  Process()->Abort();
  m_ReadStarted = true;
  cmd_refresh_->SetEnabled(true);
  fields_[kTagField]->SetLocked(true);
  StopActivity();
}

// ---- The pictures -------------------------------------------------------------------------------

void ctlStatus::ShowStatusBits(const DataElementPtr& element) {
  runtime::DTMContext& context = *GetDtmContext();
  const DataElementPtr device_status = context.Parameters().Item("DevState");
  const com::Variant transient = device_status->IPrivateDataElement_TransientValue();
  const bool arrived = transient.IsEmpty() || transient.ToDouble() != kNoStatusYet;
  if (arrived && context.CommMan().Online()) {
    const std::int32_t bits = device_status->IPrivateDataElement_DeviceValue().ToInteger();
    for (std::int16_t i = 0; i < 8; ++i) {
      if (i == 4) continue;  // "more status available" has no picture
      const std::int32_t mask = 1 << i;
      SetPicture(i, (bits & mask) == mask ? kReadOn : kReadOff);
    }
  }
  if (!m_ReadStarted) return;
  if (element) {
    ShowCommandStatus(element);
    return;
  }
  for (int n = 0; n < 4; ++n) ShowCommandStatus(context.Parameters().Item(kCommandStatus + std::to_string(n)));
}

void ctlStatus::ShowCommandStatus(const DataElementPtr& element) {
  if (!element) return;
  const std::string name = element->IPrivateDataElement_Name();
  if (name.rfind(kCommandStatus, 0) != 0 || name.size() < 9 || name[8] < '0' || name[8] > '9') return;
  const int n = name[8] - '0';
  std::int32_t byte = element->IPrivateDataElement_DeviceValue().ToInteger();
  for (int j = 0; j < 8; ++j) {
    const auto code = static_cast<std::int16_t>((n + 1) * 10 + j);
    SetPicture(code, byte % 2 != 0 ? kReadOn : kReadOff);
    byte /= 2;
  }
}

}  // namespace dtm
