#include "component/ui/framework/ctl_monitor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <span>

#include "component/common/conv_str.h"
#include "component/common/identity.h"
#include "component/common/lang_supp.h"
#include "component/common/language_helpers.h"
#include "platform/com/error.h"
#include "platform/com/format.h"
#include "platform/com/hex.h"
#include "platform/runtime/context.h"
#include "platform/win/atomic_file.h"

namespace dtm {
namespace {

// The characters of a UTF-8 text: a caption's umlaut is one column, not two.
std::size_t CharacterCount(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The protocol's texts are UTF-8: its widths count characters, not bytes
// ("Gerätezustand" is 13 wide).
bool ContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0u) == 0x80u; }

std::size_t Characters(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char byte) { return !ContinuationByte(byte); }));
}

std::string FirstCharacter(const std::string& text) {
  std::size_t end = text.empty() ? 0 : 1;
  while (end < text.size() && ContinuationByte(text[end])) ++end;
  return text.substr(0, end);
}

struct Phrase {
  const char* key;
  const char* phrase;
};

constexpr Phrase kPhrases[] = {
    {"M_UPLOAD_ALL", "Upload all parameters"},
    {"M_UPLOAD_PARA", "Upload parameter"},
    {"M_UPLOAD_DYN", "Upload dynamic parameters"},
    {"M_UPLOAD_STATE", "Upload device state"},
    {"M_DOWNLOAD_ALL", "Download all parameters"},
    {"M_DOWNLOAD_PARA", "Download parameter"},
    {"M_READ_IDB", "Read instance database"},
    {"M_WRITE_IDB", "Write instance database"},
    {"M_START_FNCTN", "Start function"},
    {"M_LANGUAGE", "Language"},
    {"M_EXIT_FNCTN", "Exit function"},
    {"M_ERROR", "Error"},
    {"M_POLL_STATE", "Polling status"},
    {"M_UPLOAD", "Upload "},
    {"M_DOWNLOAD", "Download "},
    {"M_UPLOAD_GROUP", "Upload parametergroup "},
    {"M_UPLOAD_STATUS", "Upload device status"},
    {"M_DOWNLOAD_GROUP", "Download parametergroup "},
    {"M_DB_READ", "DB-read "},
    {"M_DB_WRITE", "DB-write "},
    {"M_FUNCTION_ID", "Function-ID = "},
    {"M_INVOKE_ID", "Invoke-ID = "},
    {"M_LANGUAGE_ID", "Language-ID = "},
    {"M_PRI_LANGUAGE_ID", "Primary language ID = "},
    {"M_SEC_LANGUAGE_ID", "Secondary language ID = "},
    {"M_PARA_VALUE", "Value "},
    {"M_COMMAND", "HART Command:"},
    {"M_SEND", "     Send:   "},
    {"M_STATUS", "     Status: "},
    {"M_RECEIVE", "     Receive:"},
    {"M_CONNECT", "*** Connect ***"},
    {"M_REP_CONNECT", "*** Connect failed - repeat connect ***"},
    {"M_DISCONNECT", "*** Disconnect ***"},
    {"M_LOCK", "*** Lock instance ***"},
    {"M_UNLOCK", "*** Unlock instance ***"},
    {"M_UPLOAD_ERR", "=== Upload error ==="},
    {"M_DOWNLOAD_ERR", "=== Download error ==="},
    {"M_DB_READ_ERR", "=== IDB read error ==="},
    {"M_DB_WRITE_ERR", "=== IDB write error ==="},
};

constexpr std::int32_t kStyleInformation = 64;
constexpr std::int32_t kStyleCritical = 16;
// The save dialog asks before overwriting and offers no read-only box.
constexpr std::int32_t kSaveFlags =
    forms::CommonDialog::kOverwritePrompt | forms::CommonDialog::kHideReadOnly;

// The bytes 0x80 to 0x9F of the Windows Western code page; 0 where it has
// no character.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The protocol's UTF-8 text in the 8-bit code page the file is written in;
// a character the page lacks becomes "?", as the system's conversion does.
std::string ToCp1252(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    char32_t code = lead;
    std::size_t length = 1;
    if (lead >= 0xF0) {
      code = lead & 0x07u;
      length = 4;
    } else if (lead >= 0xE0) {
      code = lead & 0x0Fu;
      length = 3;
    } else if (lead >= 0xC0) {
      code = lead & 0x1Fu;
      length = 2;
    } else if (lead >= 0x80) {
      code = U'?';  // a stray continuation byte
    }
    std::size_t taken = 1;
    while (taken < length && i + taken < text.size() && ContinuationByte(text[i + taken])) {
      code = (code << 6) | (static_cast<unsigned char>(text[i + taken]) & 0x3Fu);
      ++taken;
    }
    if (taken < length) code = U'?';
    i += taken;
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      out += static_cast<char>(static_cast<unsigned char>(code));
      continue;
    }
    char byte = '?';
    for (std::size_t b = 0; b < 32; ++b) {
      if (kCp1252High[b] != 0 && kCp1252High[b] == code) byte = static_cast<char>(0x80 + b);
    }
    out += byte;
  }
  return out;
}

// The protocol list: the lines live in the monitor, the list shows them.
class ProtocolList final : public forms::ListBox {
 public:
  ProtocolList(const std::deque<std::string>& lines) : forms::ListBox("lstComm"), lines_(lines) {}
  void Describe(forms::ControlState& state) const override {
    forms::ListBox::Describe(state);
    state.items.assign(lines_.begin(), lines_.end());
  }

 private:
  const std::deque<std::string>& lines_;
};

}  // namespace

ctlMonitor::ctlMonitor(const runtime::Services* services)
    : PageBase(Design{"ctlMonitor", "HeadlineTitle_Monitor", false}, services) {
  lst_comm_ = Add(std::make_shared<ProtocolList>(lines_));
  lst_comm_->SetTag("Fixedsys");
  cmd_clear_ = Add(std::make_shared<forms::CommandButton>("cmdClear"));
  cmd_clear_->SetCaption("&Clear");
  cmd_save_ = Add(std::make_shared<forms::CommandButton>("cmdSave"));
  cmd_save_->SetCaption("&Save");
  comdlg_save_ = Add(std::make_shared<forms::CommonDialog>("comdlgSave"));
  comdlg_save_->SetFilter("Logdatei (*.LOG)|*.LOG");
  comdlg_save_->SetCancelError(true);

  const auto place = [](forms::Control& control, const Box& box) {
    control.Move(box.left, box.top, box.width, box.height);
  };
  place(*lst_comm_, kDesignList);
  place(*cmd_clear_, kDesignClear);
  place(*cmd_save_, kDesignSave);
  if (Headline()) place(*Headline(), kDesignHeadline);
  Resize(kDesignWidth, kDesignHeight);
  On("Resize", [this](forms::Args&) { Relayout(); });

  cmd_clear_->On("Click", [this](forms::Args&) { Clear(); });
  cmd_save_->On("Click", [this](forms::Args&) { Save(); });
  for (const auto& control : {lst_comm_, cmd_clear_, cmd_save_}) EchoOn(control, "LostFocus");
}

// ---- The page --------------------------------------------------------------------------------

void ctlMonitor::Relayout() {
  const std::int32_t dh = ScaleHeight() - kDesignHeight;
  const std::int32_t dw = ScaleWidth() - kDesignWidth;
  const std::int32_t grow_h = dh >= 0 ? dh : 0;
  const std::int32_t grow_w = dw >= 0 ? dw : 0;
  cmd_save_->SetTop(kDesignSave.top + grow_h);
  cmd_clear_->SetTop(kDesignSave.top + grow_h);
  lst_comm_->SetHeight(kDesignList.height + grow_h);
  lst_comm_->SetWidth(kDesignList.width + grow_w);
  if (Headline()) Headline()->SetWidth(kDesignHeadline.width + grow_w);
}

void ctlMonitor::Registered() {
  DTM()->SetProperty("MonitorInvokeID", InvokeID());
}

void ctlMonitor::Unregistered(const std::string& invoke_id) {
  // Another monitor opened since holds the protocol now: it keeps it.
  if (DTM() && DTM()->GetProperty("MonitorInvokeID").ToString() == invoke_id) {
    DTM()->SetProperty("MonitorInvokeID", std::string());
  }
}

void ctlMonitor::FirstAction() {
  InitList();
  WriteLanguageInfo(GetDtmContext()->GUIMan().Language());
}

void ctlMonitor::InitParamSite() {
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
}

void ctlMonitor::ApplyLanguage(std::int32_t language_id) {
  PageBase::ApplyLanguage(language_id);
  FillPhraseTable(*GetDtmContext());
}

bool ctlMonitor::ReleaseParamSite() {
  ParamSite().Release();
  return true;
}

void ctlMonitor::SetLockState(bool enabled) {
  ParamSite().EnableInput(enabled);
}

void ctlMonitor::IPrivateGUI_SetLanguage(std::int32_t language_id) {
  if (!Initialised()) return;
  ApplyLanguage(language_id);
  // Texts reread after a change of the data (the actuator type) are no
  // language change: the protocol records none.
  if (GetDtmContext()->GUIMan().RefreshingTexts()) return;
  WriteLanguageInfo(language_id);
}

void ctlMonitor::LocaleChanged(std::int32_t primary_language) {
  ApplyLanguage(primary_language);
  WriteLanguageInfo(LangSupp::PrimaryLangId(AmbientLocaleID()));
}

void ctlMonitor::InitList() {
  AddListLine(std::string(kApplicationTitle) + " Version " + std::to_string(kVersionMajor) + "." +
              std::to_string(kVersionMinor) + "." + std::to_string(kVersionRevision));
}

void ctlMonitor::WriteLanguageInfo(std::int32_t language_id) {
  runtime::DTMContext& context = *GetDtmContext();
  MonitorHeading(GetText("Language") + " (" + context.SystemTag() + ")");
  MonitorLine(GetText("Language-ID = ") + std::to_string(language_id));
  MonitorLine(GetText("Primary language ID = ") + std::to_string(LangSupp::PrimaryLangId(language_id)));
  MonitorLine(GetText("Secondary language ID = ") + std::to_string(LangSupp::SubLangId(language_id)));
}

std::filesystem::path ctlMonitor::DefaultLogFile() const {
  const runtime::Services* services = GetServices();
  const std::filesystem::path folder = services ? services->install_folder : std::filesystem::path();
  return folder / (std::string(kLibraryName) + ".LOG");
}

void ctlMonitor::Save() {
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  const bool chosen = context->PrivateDialogEnabled();
  std::filesystem::path file;
  if (chosen) {
    comdlg_save_->SetFlags(kSaveFlags);
    try {
      comdlg_save_->ShowSave();
    } catch (const com::ComError&) {
      return;  // cancelled: nothing is written
    }
    file = comdlg_save_->FileName();
  } else {
    file = DefaultLogFile();
  }
  std::string contents;
  for (const std::string& line : lines_) contents += ToCp1252(line) + "\r\n";
  // The user hears that the protocol was saved only once it was, and why
  // it was not otherwise.
  try {
    win::ReplaceFileAtomically(file, contents);
  } catch (const com::ComError& error) {
    save_failed_ = true;
    context->MessageBox(LanguageHelpers::GetLangText(*context, "protocol_not_saved", file.string(),
                                                     error.Description()),
                        kStyleCritical);
    return;
  }
  if (!chosen) {
    context->MessageBox(LanguageHelpers::GetLangText(*context, "protocol_saved", file.string()),
                        kStyleInformation);
  }
}

// ---- The protocol ------------------------------------------------------------------------------

std::shared_ptr<ctlMonitor> ctlMonitor::Find(runtime::DTMContext& context) {
  const com::ObjectPtr dtm = context.DTM();
  if (!dtm) return nullptr;
  const std::string id = dtm->GetProperty("MonitorInvokeID").ToString();
  return std::dynamic_pointer_cast<ctlMonitor>(context.GUIMan().GetGUIObject(id));
}

std::string ctlMonitor::GetText(const std::string& phrase) const {
  const auto it = texts_.find(Lower(phrase));
  return it == texts_.end() ? std::string() : it->second;
}

void ctlMonitor::FillPhraseTable(runtime::DTMContext& context) {
  texts_.clear();
  for (const Phrase& p : kPhrases) {
    const com::Variant text = context.Dictionary().GetValue("keys", p.key, "text");
    texts_[Lower(p.phrase)] = text.IsEmpty() ? std::string() : text.ToString();
  }
}

void ctlMonitor::Clear() {
  lines_.clear();
  top_index_ = 0;
}

void ctlMonitor::KeepBounded() {
  if (lines_.size() <= kSafetyLines) return;
  lines_.erase(lines_.begin(), lines_.end() - static_cast<std::ptrdiff_t>(kMaxLines));
  top_index_ = lines_.size() - 1;
}

void ctlMonitor::AddListLine(const std::string& text) {
  lines_.push_back(text);
  if (lines_.size() > kMaxLines) lines_.pop_front();
  top_index_ = lines_.size() - 1;
  KeepBounded();
}

void ctlMonitor::MonitorLine(const std::string& text, const std::optional<com::Variant>& previous_line,
                             const std::optional<com::Variant>& follow_line) {
  if (previous_line.has_value() || text.empty()) AddListLine("");
  std::string rest = text;
  while (!rest.empty()) {
    const std::size_t at = rest.find("\r\n");
    if (at == std::string::npos) {
      AddListLine(rest);
      rest.clear();
    } else {
      AddListLine(rest.substr(0, at));
      rest.erase(0, at + 2);
    }
  }
  if (follow_line.has_value()) AddListLine("");
}

void ctlMonitor::MonitorHeading(const std::string& heading, const std::optional<std::string>& fill) {
  const std::string unit = fill.value_or("-");
  const std::string first = FirstCharacter(unit);
  std::string lead;
  for (int i = 0; i < 4; ++i) lead += first;
  std::string trailer;
  const long repeats =
      static_cast<long>(kHeadingWidth) - 4 - static_cast<long>(Characters(heading)) - 2;
  for (long i = 0; i < repeats; ++i) trailer += unit;
  MonitorLine(lead + " " + heading + " " + trailer, com::Variant(std::int16_t{1}));
}

void ctlMonitor::MonitorSection(const std::string& heading, const std::string& instance_id,
                                bool ifdt, const std::optional<std::string>& fill) {
  MonitorHeading(std::string(ifdt ? "IFDT: " : "DTM: ") + heading + " (" + instance_id + ")",
                 fill);
}

void ctlMonitor::MonitorAdd(const std::string& text) {
  if (lines_.empty()) {
    throw com::ComError(com::vb::kSubscriptOutOfRange, "The protocol has no line to extend",
                        "ctlMonitor");
  }
  lines_.back() += " " + text;
}

void ctlMonitor::MonitorHexDump(const std::string& caption, const com::ByteArray& bytes) {
  // Sixteen bytes a line, each followed by a blank; later lines indented
  // under the first.
  const std::span<const std::uint8_t> all(bytes);
  for (std::size_t i = 0; i < all.size(); i += 16) {
    const auto row = all.subspan(i, std::min<std::size_t>(16, all.size() - i));
    lines_.push_back((i == 0 ? caption + " " : std::string(CharacterCount(caption) + 1, ' ')) +
                     com::HexBytes(row, " ") + " ");
  }
  // Dumps neither scroll nor let lines go; only the safety bound holds.
  KeepBounded();
}

}  // namespace dtm
