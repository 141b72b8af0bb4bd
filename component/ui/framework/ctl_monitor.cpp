#include "component/ui/framework/ctl_monitor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <span>

#include "component/common/conv_str.h"
#include "platform/com/error.h"
#include "platform/com/format.h"
#include "platform/com/hex.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

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

}  // namespace

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

std::string ctlMonitor::ValueText(const com::Variant& value, const std::string& format) {
  switch (value.Type()) {
    case com::VarType::Empty: return {};
    case com::VarType::Null: return "Null";
    case com::VarType::ByteArray: return ConvStr::BytesToHex(value);
    case com::VarType::Object: return "Object";
    case com::VarType::Single:
    case com::VarType::Double:
    case com::VarType::Date: {
      // The language's own texts of these ("-1.#IND") read as numbers.
      const double number = value.ToDouble();
      if (std::isnan(number)) return "NaN";
      if (std::isinf(number)) return number < 0 ? "-Inf" : "Inf";
      break;
    }
    default: break;
  }
  // A line of the protocol must not cost the work it records.
  try {
    return format.empty() ? value.ToString() : com::Format(value, format);
  } catch (const com::ComError&) {
  }
  try {
    return value.ToString();
  } catch (const com::ComError&) {
  }
  try {
    return com::InvariantNumberText(value);  // a date beyond the calendar: its serial
  } catch (const com::ComError&) {
  }
  return {};
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
    lines_.push_back((i == 0 ? caption + " " : std::string(caption.size() + 1, ' ')) +
                     com::HexBytes(row, " ") + " ");
  }
  // Dumps neither scroll nor let lines go; only the safety bound holds.
  KeepBounded();
}

}  // namespace dtm
