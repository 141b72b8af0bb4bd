#include "component/ui/framework/param_link.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "component/common/api_helpers.h"
#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "platform/com/error.h"
#include "platform/forms/user_control.h"
#include "platform/runtime/context.h"

namespace dtm {

namespace {

constexpr std::int32_t kClearedByChange = 0xFF0008;  // Needed, communication, response class
constexpr std::int32_t kFieldCommand = 5;
constexpr std::int32_t kFieldBits = 4;
constexpr std::int32_t kFieldList = 3;
constexpr std::int32_t kFieldValue = 1;
constexpr std::int32_t kKeyF1 = 112;
constexpr std::int32_t kShiftMask = 1;
constexpr std::int32_t kAnswerYes = 6;
constexpr std::int32_t kStyleYesNoQuestion = 292;

const char* const kEvents[] = {"Change", "Click", "StartEdit", "EndEdit", "MenuClick", "KeyDown"};

// Whether the Variant is one of the number subtypes the field compares by value.
bool IsNumber(const com::Variant& v) {
  switch (v.Type()) {
    case com::VarType::Integer:
    case com::VarType::Long:
    case com::VarType::Single:
    case com::VarType::Double:
    case com::VarType::Decimal:
    case com::VarType::Byte:
    case com::VarType::Boolean:
    case com::VarType::Date:
      return true;
    default:
      return false;
  }
}

// A Single or Double that arithmetic refuses.
bool IsNoFiniteNumber(const com::Variant& v) {
  if (v.Type() != com::VarType::Single && v.Type() != com::VarType::Double) return false;
  return !std::isfinite(v.ToDouble());
}

// The language's "a = b" on two scalar values: numbers by value, texts by
// their characters, a number never equal to a text.
bool ScalarEquals(const com::Variant& a, const com::Variant& b) {
  if (IsNumber(a) && IsNumber(b)) {
    if (a.Type() == com::VarType::Decimal && b.Type() == com::VarType::Decimal)
      return a.ToDecimal() == b.ToDecimal();
    return a.ToDouble() == b.ToDouble();
  }
  if (a.IsString() && b.IsString()) return a.ToString() == b.ToString();
  if (a.IsObject() && b.IsObject()) return a.ToObject() == b.ToObject();
  return false;
}

void AppendBits(std::string& out, std::uint32_t word, int bits) {
  for (int i = 0; i < bits; ++i) {
    if (!out.empty()) out += '|';
    out += ((word >> i) & 1u) ? '1' : '0';
  }
}

std::vector<std::string> SplitParts(const std::string& text) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = text.find('|', start);
    parts.push_back(text.substr(start, bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return parts;
}

bool IsSetBit(const std::string& part) {
  double number = 0;
  return com::TryParseNumber(part, number) && number != 0;
}

// The number of characters of a UTF-8 text, and the bytes of its first n.
std::size_t CharCount(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

std::string FirstChars(const std::string& text, std::size_t n) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (count == n) return text.substr(0, i);
      ++count;
    }
  }
  return text;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

// A range end as the tooltip shows it; "" for an end that is not set.
std::string EndText(const com::Variant& end) {
  if (end.IsEmpty() || end.IsNull()) return {};
  return end.ToString();
}

}  // namespace

clsParamLink::~clsParamLink() { Disconnect(); }

// ---------------------------------------------------------------- IPrivateParamLink

controls::ParamLinkPtr clsParamLink::IPrivateParamLink_GetNewParamLink() {
  auto link = std::make_shared<clsParamLink>();
  link->Index = Index;
  link->bOnlineMode = bOnlineMode;
  return link;
}

DataElementPtr clsParamLink::IPrivateParamLink_DataElement() const { return m_Element; }

controls::ParameterPtr clsParamLink::IPrivateParamLink_ParameterCtl() const { return m_ParamCtl; }

void clsParamLink::IPrivateParamLink_InitLink(runtime::DTMContext& context,
                                              const controls::ParameterPtr& control,
                                              const controls::ImageCollectionPtr& images,
                                              const std::string& /*text*/) {
  if (!control) com::ThrowObjectVariableNotSet("clsParamLink");
  m_Context = &context;
  std::string path = control->ParameterTag();
  ReplaceAll(path, "%d", std::to_string(Index));
  DataElementPtr item = context.Parameters().Item(path);
  auto element = std::dynamic_pointer_cast<clsDataElement>(item);
  if (!element) com::ThrowTypeMismatch("clsParamLink");
  m_Element = element;

  Disconnect();
  m_ParamCtl = control;
  m_Images = images;
  Connect();

  if (control->ControlType() == 0) {
    if (m_Element->ElementMode & mode::kDeviceCommand) {
      control->SetControlType(kFieldCommand);
    } else {
      switch (m_Element->ValueType) {
        case kVtUInt8:
          control->SetControlType(kFieldList);
          break;
        case kVtInt16:
        case kVtInt24:
        case kVtInt32:
        case kVtSingle:
        case kVtDouble:
        case kVtDate:
        case kVtDate12:
        case kVtDate13:
        case kVtText:
        case kVtDecimal:
        case kVtEnum:
          control->SetControlType(kFieldValue);
          break;
        case kVtBoolean:
          control->SetControlType(2);
          break;
        default:
          break;
      }
    }
  }
  m_ControlType = control->ControlType();

  if (m_Element->ValueType == kVtText) {
    if (m_Element->ValueTypeLength > 0) control->SetValueMaxLength(m_Element->ValueTypeLength);
    if (m_Element->bPackedCoding) control->SetValueUpperCase(true);
  }
  if (!m_Element->ValueFormat.empty()) control->SetValueFormat(m_Element->ValueFormat);
  control->AddMenuItem("");  // the help item; its text comes with the language
  m_bEditing = false;
  if (bOnlineMode) m_Element->ClearStatusFlag(flags::kOnlineEdit);
}

void clsParamLink::IPrivateParamLink_TerminateLink() {
  if (!m_Element || !m_ParamCtl || !m_Context) {
    Disconnect();
    m_Element.reset();
    m_ParamCtl.reset();
    m_Images.reset();
    m_Context = nullptr;
    return;
  }
  if (bOnlineMode) m_Element->ClearStatusFlag(flags::kOnlineEdit);
  IPrivateParamLink_ValidateParameter();
  if (m_bFlagsDirty) {
    const std::int32_t old = m_Element->StatusFlags();
    m_Element->SetStatusFlags(CalcStatusFlags(m_Element->TransientValue));
    if (m_Element->StatusFlags() != old) EvaluateDataSetState();
  }
  if (!m_CmdProcessID.empty()) {
    m_Context->ProcessMan().ReleaseCommand(m_CmdProcessID);
    m_CmdProcessID.clear();
  }
  if (m_Element->IgnoreUpdate) {
    m_Element->IgnoreUpdate = false;
    m_Context->Parameters().NotifyChanged(m_Element, "");
  }
  m_ParamCtl->RemoveMenuItems();
  Disconnect();
  m_Element.reset();
  m_ParamCtl.reset();
  m_Images.reset();
  m_Context = nullptr;
}

void clsParamLink::IPrivateParamLink_InitLanguageDependent() {
  if (!m_Element || !m_ParamCtl) return;
  std::string tip = m_Element->Description;
  if (CharCount(tip) > 70) tip = FirstChars(tip, 66) + " ...";
  const std::string shortcut = GetDictText("paramhelp_shortcut");
  m_ParamCtl->SetDescriptionText(tip + " (-> " + shortcut + ")");
  m_ParamCtl->SetLabelText(m_Element->Prompt);
  m_ParamCtl->SetValueListText(m_Element->ValueList);
  m_ParamCtl->SetUnitText(m_Element->UnitString(*m_Context));
  if (m_ParamCtl->MenuItemCount() >= 1)
    m_ParamCtl->SetMenuItemText(1, GetDictText("paramhelp_menuitem") + "\t" + shortcut);
  if (!m_ParamCtl->StatusText().empty()) UpdateStatusIcon();
}

void clsParamLink::IPrivateParamLink_UpdateParameter() {
  if (!m_Element || !m_ParamCtl) return;
  m_bFlagsDirty = false;
  if (bOnlineMode && m_bEditing && !m_ParamCtl->Locked() &&
      m_Context->Parameters().StateFlag() != 0 && (m_Context->ProcessMan().State() & 3) == 0) {
    m_bUpdatePending = true;
    return;
  }
  m_bUpdatePending = false;
  UpdateLockState();
  if (m_ControlType == kFieldList)
    m_ParamCtl->SetControlType(m_ParamCtl->Locked() ? kFieldValue : kFieldList);
  if (!m_Element->IgnoreUpdate) {
    const com::Variant value = m_Element->TransientValue;
    if (m_ParamCtl->ControlType() == kFieldBits && m_Element->ValueType != kVtText)
      m_ParamCtl->SetValue(ValueToBitString(value));
    else
      m_ParamCtl->SetValue(value);
    if (!m_Element->ValueFormat.empty()) m_ParamCtl->SetValueFormat(m_Element->ValueFormat);
    m_ParamCtl->SetUnitText(m_Element->UnitString(*m_Context));
    m_ParamCtl->SetVisible(m_Element->Validity());
    m_Element->SetStatusFlags(CalcStatusFlags(value));
  }
  UpdateStatusIcon();
}

void clsParamLink::IPrivateParamLink_ValidateParameter() {
  if (m_bEditing && m_NotifyDepth == 0 && ControlType() != kFieldCommand) HandleParameterChange();
}

// ---------------------------------------------------------------- IPrivateProcess

void clsParamLink::IPrivateProcess_OnProcessProgress(const std::string&, const com::Variant&,
                                                     const com::Variant&) {}

void clsParamLink::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                     const std::optional<com::Variant>&) {
  if (!APIHelpers::IsSameText(process_id, m_CmdProcessID)) return;
  m_CmdProcessID.clear();
  if (m_Element && m_ParamCtl && m_Context) UpdateLockState();
}

// ---------------------------------------------------------------- taking edits

void clsParamLink::HandleParameterChange() {
  if (!m_Element || !m_ParamCtl || !m_Context) return;
  if (m_ParamCtl->Locked()) return;

  if (ControlType() == kFieldCommand) {
    if (!m_CmdProcessID.empty()) {
      m_Context->MessageBox(GetDictText("command_already_active"), 0);
      return;
    }
    m_CmdProcessID = APIHelpers::CreateGuidString(m_Context->GetServices().guids, true);
    m_ParamCtl->SetLocked(true);
    // The runtime names the command's process itself; its end is reported
    // under that id.
    std::string started;
    auto self = std::dynamic_pointer_cast<clsParamLink>(shared_from_this());
    const bool ok = m_Context->ProcessMan().StartCommand(m_Element, self, started);
    if (ok) {
      m_CmdProcessID = started;
      return;
    }
    m_CmdProcessID.clear();
    UpdateLockState();
    m_Context->MessageBox(GetDictText("cmderr_not_connected"), 0);
    return;
  }

  const com::Variant value = ControlValue();
  if (value.IsNull() || (m_Element->StatusFlags() & flags::kInputErrorMask) != 0) return;
  if (!m_ParamCtl->IsChanged() && IsSameValue(m_Element->TransientValue, value)) return;
  if (bOnlineMode) m_Element->SetStatusFlag(flags::kOnlineEdit);
  m_Element->TransientValue = value;
  ++m_NotifyDepth;
  try {
    m_Context->Parameters().NotifyChanged(m_Element, "");
  } catch (const com::ComError& error) {
    --m_NotifyDepth;
    m_Context->ShowError(" Internal Error at PostEditParameter\r\n #" +
                         std::to_string(error.Number()) + " :" + error.Description());
    return;
  }
  --m_NotifyDepth;
}

com::Variant clsParamLink::ControlValue() const {
  const com::Variant& shown = m_ParamCtl->Value();
  if (ControlType() == kFieldBits && m_Element->ValueType != kVtText) {
    const std::string text = shown.IsEmpty() || shown.IsNull() ? std::string() : shown.ToString();
    return BitStringToValue(text, m_Element->ValueType, m_Element->ValueTypeLength);
  }
  return m_Element->GetTypedValue(shown);
}

void clsParamLink::OnControlChange(std::int32_t mask) {
  if (!m_Element || !m_ParamCtl || !m_Context) return;
  const std::int32_t old = m_Element->StatusFlags();
  m_Element->SetStatusFlags(old & ~mask);
  if (m_Element->ValueType != kVtNone) m_Element->SetStatusFlags(CalcStatusFlags(ControlValue()));
  if (m_Element->StatusFlags() != old) {
    EvaluateDataSetState();
    m_bFlagsDirty = true;
    UpdateStatusIcon();
  }
}

void clsParamLink::EvaluateDataSetState() {
  auto model = std::dynamic_pointer_cast<clsDataModel>(m_Context->Parameters().DataModel());
  if (model) model->EvaluateDataSetState(m_Context->Parameters());
}

std::int32_t clsParamLink::CalcStatusFlags(const com::Variant& value) const {
  std::int32_t result = m_Element->StatusFlags() & ~(flags::kInputErrorMask | flags::kChanged);
  if (m_Element->ValueType != kVtNone) {
    result |= m_Element->CalcParamErrorFlags(*m_Context, value);
    // The element's check passes not-a-number and the infinities, as a
    // device may send them; one loaded from a data set keeps the mark it
    // came with until another value is entered.
    if (IsInvalidFloat(value)) result |= m_Element->StatusFlags() & flags::kInputErrorMask;
    if (ControlType() != kFieldCommand) {
      const com::Variant& reference = !m_Element->PersistentValue.IsEmpty() ? m_Element->PersistentValue
                                      : !m_Element->DeviceValue.IsEmpty()   ? m_Element->DeviceValue
                                                                            : m_Element->InitialValue;
      if (!IsSameValue(value, reference)) result |= flags::kChanged;
    }
  }
  return result;
}

// ---------------------------------------------------------------- lock and status

void clsParamLink::UpdateLockState() {
  // The link's own lock counts here too, so that the end of a command
  // does not unlock a field the page locked.
  const bool locked = !m_CmdProcessID.empty() ||
                      m_Element->RequiredUserLevel > m_Context->User().UserLevel() ||
                      (m_Element->StatusFlags() & flags::kInformation) != 0 || Locked;
  m_ParamCtl->SetLocked(locked);
}

void clsParamLink::UpdateStatusIcon() {
  if (!m_Element || !m_ParamCtl || !m_Images) return;
  const std::int32_t f = m_Element->StatusFlags();
  std::string picture = "Blank";
  std::string tip;
  if (f & flags::kCommErrorMask) {
    picture = "CommErr";
    tip = GetDictText("paramicon_CommErr");
  } else if (f & flags::kResponseClassMask) {
    picture = "AnyErr";
    tip = !m_Element->CmdErr.empty() ? m_Element->CmdErr : GetDictText("paramicon_AnyErr");
  } else if ((f & flags::kInputErrorMask) == flags::kOutOfRange) {
    picture = "RangeErr";
    tip = GetDictText("paramicon_RangeErr");
    com::Variant min_value;
    com::Variant max_value;
    for (std::int32_t i = 0; m_Element->GetRange(i, min_value, max_value); ++i)
      tip += ", " + EndText(min_value) + ".." + EndText(max_value);
  } else if (f & flags::kInputErrorMask) {
    picture = "InputErr";
    tip = GetDictText("paramicon_InputErr");
  } else if (f & flags::kNeeded) {
    picture = "Needed";
    tip = GetDictText("paramicon_Needed");
  } else if (f & flags::kChanged) {
    picture = "Changed";
    tip = GetDictText("paramicon_Changed");
  } else if (f & flags::kDynamic) {
    picture = m_ParamCtl->StatusIcon() == m_Images->Item("Dynamic1") ? "Dynamic2" : "Dynamic1";
    tip = GetDictText("paramicon_Dynamic");
  } else if (m_Element->RequiredUserLevel > m_Context->User().UserLevel()) {
    picture = "Locked";
    tip = GetDictText("paramicon_Locked");
  } else if (ControlType() == kFieldCommand) {
    picture = "Blank";
  } else if (m_Element->DeviceValue.IsEmpty() && m_Element->PersistentValue.IsEmpty()) {
    picture = "Initial";
    tip = GetDictText("paramicon_Initial");
  } else if (!m_Element->PersistentValue.IsEmpty()) {
    picture = "SavedValue";
    tip = GetDictText("paramicon_Saved");
  } else {
    picture = "OnlineValue";
    tip = GetDictText("paramicon_OnlineValue");
  }
  m_ParamCtl->SetIconToolTip(tip);
  m_ParamCtl->SetStatusIcon(m_Images->Item(picture));
}

// ---------------------------------------------------------------- help

void clsParamLink::ShowParamHelp() {
  // Help is a convenience: without a panel, or without a page, nothing shows.
  try {
    forms::UserControl* page = m_ParamCtl ? m_ParamCtl->OwnerPage() : nullptr;
    if (!page || !m_Element) return;
    controls::ParamHelpPtr help;
    if (auto* host = dynamic_cast<controls::IParamHelpHost*>(page)) {
      help = host->GetParamHelpCtl();
    } else {
      help = com::QueryInterface<controls::ctlParamHelp>(page->Invoke("GetParamHelpCtl", {}));
    }
    if (!help) return;
    help->SetText(!m_Element->HelpText.empty() ? m_Element->HelpText : m_Element->Description);
    help->ShowFor(m_ParamCtl->hWnd());
  } catch (const com::ComError&) {
  }
}

// ---------------------------------------------------------------- events

void clsParamLink::Connect() {
  std::weak_ptr<com::Object> weak = weak_from_this();
  for (const char* name : kEvents) {
    const std::string event = name;
    m_Connections.push_back(m_ParamCtl->On(event, [weak, event](forms::Args& args) {
      if (auto self = std::dynamic_pointer_cast<clsParamLink>(weak.lock()))
        self->m_ParamCtl_ObjectEvent(event, args);
    }));
  }
}

void clsParamLink::Disconnect() {
  if (m_ParamCtl)
    for (forms::ConnectionId id : m_Connections) m_ParamCtl->Off(id);
  m_Connections.clear();
}

void clsParamLink::m_ParamCtl_ObjectEvent(const std::string& name, forms::Args& args) {
  if (!m_Element || !m_ParamCtl || !m_Context) return;
  // A field of a control array passes its index in front of the event's own parameters.
  const std::size_t first = m_ParamCtl->InArray() ? 1 : 0;
  auto param = [&](std::size_t i) -> com::Variant {
    return first + i < args.size() ? args[first + i] : com::Variant();
  };
  if (name == "Change") {
    OnControlChange(kClearedByChange);
  } else if (name == "Click") {
    OnControlChange(kClearedByChange);
    if (ControlType() == kFieldCommand) {
      std::string text = GetDictText("exec_this_cmd_now");
      ReplaceAll(text, "%1", m_ParamCtl->LabelText());
      if (m_Context->MessageBox(text, kStyleYesNoQuestion) != kAnswerYes) return;
    }
    HandleParameterChange();
  } else if (name == "StartEdit") {
    m_bEditing = !m_ParamCtl->Locked();
    OnControlChange(flags::kNeeded);
  } else if (name == "EndEdit") {
    m_bEditing = false;
    if (param(0).ToBoolean() && ControlType() != kFieldCommand) HandleParameterChange();
    if (m_bUpdatePending) IPrivateParamLink_UpdateParameter();
  } else if (name == "MenuClick") {
    if (param(0).ToLong() == 1) ShowParamHelp();
  } else if (name == "KeyDown") {
    if (param(0).ToLong() == kKeyF1 && param(1).ToLong() == kShiftMask) {
      if (first < args.size()) args[first] = com::Variant(std::int32_t{0});
      ShowParamHelp();
    }
  }
}

std::int32_t clsParamLink::ControlType() const {
  return m_ParamCtl ? m_ParamCtl->ControlType() : m_ControlType;
}

std::string clsParamLink::GetDictText(const std::string& key) const {
  const com::Variant text = m_Context->Dictionary().GetValue("keys", key, "text");
  return text.IsEmpty() ? key : text.ToString();
}

// ---------------------------------------------------------------- value helpers

std::string clsParamLink::ValueToBitString(const com::Variant& value) {
  std::string out;
  switch (value.Type()) {
    case com::VarType::Byte:
      AppendBits(out, value.ToByte(), 8);
      break;
    case com::VarType::Integer:
      AppendBits(out, static_cast<std::uint16_t>(value.ToInteger()), 16);
      break;
    case com::VarType::Long:
      AppendBits(out, static_cast<std::uint32_t>(value.ToLong()), 32);
      break;
    case com::VarType::Double: {
      // Whole numbers from -2^31 below 2^32 have a 32-bit pattern; others none.
      double d = value.ToDouble();
      if (!std::isfinite(d) || d != std::floor(d) || d < -2147483648.0 || d >= 4294967296.0)
        return {};
      if (d > 2147483647.0) d -= 4294967296.0;
      AppendBits(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(d)), 32);
      break;
    }
    case com::VarType::ByteArray: {
      const com::ByteArray& bytes = value.Bytes();
      for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) AppendBits(out, *it, 8);
      break;
    }
    default:
      break;
  }
  return out;
}

com::Variant clsParamLink::BitStringToValue(const std::string& text, std::int32_t value_type,
                                            std::int32_t length) {
  const std::vector<std::string> parts = SplitParts(text);
  if (value_type == kVtBytes) {
    if (parts.empty()) return {};
    const std::size_t n =
        std::max<std::size_t>(length > 0 ? static_cast<std::size_t>(length) : 0,
                              (parts.size() + 7) / 8);
    com::ByteArray bytes(n, 0);
    for (std::size_t i = 0; i < parts.size(); ++i)
      if (IsSetBit(parts[i])) bytes[n - 1 - i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
    return bytes;
  }
  // Parts past the 32nd all weigh as the top bit: a word has no more.
  std::uint32_t word = 0;
  std::uint32_t weight = 1;
  for (const std::string& part : parts) {
    if (IsSetBit(part)) word |= weight;
    if (weight != 0x80000000u) weight <<= 1;
  }
  const auto signed_word = static_cast<std::int32_t>(word);
  switch (value_type) {
    case kVtUInt8:
      if (signed_word < 0 || signed_word > 255) return com::Variant::Null();
      return com::Variant(static_cast<std::uint8_t>(signed_word));
    case kVtUInt16:
    case kVtUInt24:
    case kVtInt24:
    case kVtInt32:
      return com::Variant(signed_word);
    case kVtInt16:
      if (signed_word < -32768 || signed_word > 32767) return com::Variant::Null();
      return com::Variant(static_cast<std::int16_t>(signed_word));
    case kVtEnum:
      return com::Variant(signed_word < 0 ? signed_word + 4294967296.0
                                          : static_cast<double>(signed_word));
    default:
      return com::Variant::Null();
  }
}

bool clsParamLink::IsSameValue(const com::Variant& a, const com::Variant& b) {
  const bool a_array = a.IsByteArray();
  const bool b_array = b.IsByteArray();
  if (a_array != b_array) return false;
  if (a_array) return a.Bytes() == b.Bytes();
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  if (a.IsEmpty() || b.IsEmpty()) return a.IsEmpty() && b.IsEmpty();
  const bool a_bad = IsNoFiniteNumber(a);
  const bool b_bad = IsNoFiniteNumber(b);
  if (a_bad || b_bad) return a_bad && b_bad;
  return ScalarEquals(a, b);
}

}  // namespace dtm
