#include "component/datamodel/data_element.h"

#include "platform/com/calendar.h"

#include <cmath>
#include <functional>
#include <cstddef>
#include <string_view>

#include "component/common/conv_str.h"
#include "component/datamodel/data_model.h"
#include "platform/com/error.h"
#include "platform/com/format.h"
#include "platform/runtime/context.h"

namespace dtm {

namespace {

// Type limits of the input check. The float, decimal and enumeration
// limits are the decimal values the dictionary has always used, just
// inside the extremes of those types.
struct Limits {
  double low;
  double high;
};

std::optional<Limits> TypeLimits(std::int32_t value_type) {
  switch (value_type) {
    case kVtUInt8: return Limits{0, 255};
    case kVtUInt16: return Limits{0, 65535};
    case kVtUInt24: return Limits{0, 16777215};
    case kVtInt16: return Limits{-32768, 32767};
    case kVtInt24: return Limits{-8388608, 8388607};
    case kVtInt32: return Limits{-2147483648.0, 2147483647.0};
    case kVtSingle: return Limits{-3.402823E+38, 3.402823E+38};
    case kVtDouble: return Limits{-1.79769313486231E+308, 1.79769313486231E+308};
    case kVtDecimal: return Limits{-7.92281625142643E+28, 7.92281625142643E+28};
    case kVtEnum: return Limits{0, 4294967295.999914};
    default: return std::nullopt;
  }
}

bool IsNumericType(std::int32_t value_type) {
  return (value_type >= kVtUInt8 && value_type <= kVtDouble) || value_type == kVtDecimal ||
         value_type == kVtEnum;
}

bool IsDateType(std::int32_t value_type) {
  return value_type >= kVtDate && value_type <= kVtDate13;
}

// Windows-1252 codes of U+0080..U+009F's printable stand-ins, from 0x80 on;
// 0 where the code page leaves the code unassigned.
constexpr char32_t kAnsi80To9F[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::int32_t AnsiCode(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return static_cast<std::int32_t>(code_point);
  }
  for (std::int32_t i = 0; i < 32; ++i) {
    const char32_t mapped = kAnsi80To9F[i];
    // The unassigned codes map onto themselves, as the code page's table does.
    if (mapped == code_point || (mapped == 0 && code_point == char32_t(0x80 + i))) return 0x80 + i;
  }
  return '?';  // not in the code page: Asc reports the replacement
}

// The characters of a UTF-8 text as the ANSI codes Asc gives them. A byte
// that starts no valid sequence counts as one character of that code, as
// if the text were already in the ANSI code page.
std::vector<std::int32_t> AnsiCodes(std::string_view text) {
  std::vector<std::int32_t> codes;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t code_point = 0;
    if (lead < 0x80) {
      length = 1;
      code_point = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code_point = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code_point = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code_point = lead & 0x07u;
    }
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) valid = false;
      code_point = (code_point << 6) | (next & 0x3Fu);
    }
    // Overlong forms and surrogates are no characters.
    if (valid && ((length == 3 && code_point < 0x800) || (length == 4 && code_point < 0x10000) ||
                  (code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF)) {
      valid = false;
    }
    if (!valid) {
      codes.push_back(lead);
      ++i;
      continue;
    }
    codes.push_back(AnsiCode(code_point));
    i += length;
  }
  return codes;
}

com::Variant DateOf(const com::Variant& value, const com::Locale& locale) {
  // The locale's short date could read day and month the other way round;
  // the dictionary's dotted form has one reading everywhere.
  com::CivilDate date{};
  if (value.IsString() && com::ParseDottedDate(value.ToString(), date)) {
    return com::Variant(com::DateValue{com::SerialFromCivil(date)});
  }
  return com::Variant(value.ToDate(locale));
}

std::shared_ptr<runtime::HartUnits> UnitTable(runtime::DTMContext& context) {
  const auto model = std::dynamic_pointer_cast<clsDataModel>(context.Parameters().DataModel());
  return model ? model->HartUnits() : nullptr;
}

std::int32_t ListKey(const std::string& key) {
  try {
    return com::Variant(key).ToLong();
  } catch (const com::ComError&) {
    return -1;
  }
}

}  // namespace

bool IsInvalidFloat(const com::Variant& value) {
  if (value.Type() == com::VarType::Single) return !std::isfinite(value.ToSingle());
  if (value.Type() == com::VarType::Double) return !std::isfinite(value.ToDouble());
  return false;
}

// ---- Ranges -----------------------------------------------------------------

bool clsDataElement::GetRange(std::int32_t index, com::Variant& min_value,
                              com::Variant& max_value) const {
  if (index < 0) return false;
  const auto i = static_cast<std::size_t>(index);
  if (i >= range_min_.size()) return false;
  min_value = range_min_[i];
  if (i >= range_max_.size()) return false;
  max_value = range_max_[i];
  return !min_value.IsEmpty() || !max_value.IsEmpty();
}

void clsDataElement::SetRange(std::int32_t index, const com::Variant& min_value,
                              const com::Variant& max_value) {
  if (index < 0) return;
  const auto i = static_cast<std::size_t>(index);
  if (!min_value.IsEmpty() || !max_value.IsEmpty()) {
    if (range_min_.size() <= i) range_min_.resize(i + 1);
    if (range_max_.size() <= i) range_max_.resize(i + 1);
    range_min_[i] = min_value;
    range_max_[i] = max_value;
    return;
  }
  // Removal: the later ranges move down, the list keeps its length.
  for (std::vector<com::Variant>* list : {&range_min_, &range_max_}) {
    if (list->size() <= i) continue;
    for (std::size_t k = i; k + 1 < list->size(); ++k) (*list)[k] = (*list)[k + 1];
    list->back() = com::Variant();
  }
}

// ---- Typed values and input check ---------------------------------------------

com::Variant clsDataElement::GetTypedValue(const com::Variant& value) const {
  return GetTypedValue(value, com::Locale::English());
}

com::Variant clsDataElement::GetTypedValue(const com::Variant& value,
                                           const com::Locale& locale) const {
  if (value.IsEmpty()) return {};
  try {
    switch (ValueType) {
      case kVtNone: return {};
      case kVtBytes:
        if (value.IsByteArray()) return value;
        if (value.IsString()) return ConvStr::HexToBytes(value.ToString());
        return com::Variant::Null();
      case kVtUInt8: return com::Variant(value.ToByte(locale));
      case kVtUInt16:
      case kVtUInt24:
      case kVtInt24:
      case kVtInt32: return com::Variant(value.ToLong(locale));
      case kVtInt16: return com::Variant(value.ToInteger(locale));
      case kVtSingle:
      case kVtDouble: {
        com::Variant number = value;
        if (value.IsString() && value.ToString().find('.') != std::string::npos) {
          double read = 0;
          if (!com::TryParseInvariantNumber(value.ToString(), read)) return com::Variant::Null();
          number = com::Variant(read);
        }
        // Rounded to what the display shows, so that the value stored is
        // the value the user sees; the text is read back in the locale it
        // was written in.
        if (!ValueFormat.empty()) {
          number = com::Variant(com::Format(number, ValueFormat, locale));
        }
        if (ValueType == kVtSingle) return com::Variant(number.ToSingle(locale));
        return com::Variant(number.ToDouble(locale));
      }
      case kVtBoolean: return com::Variant(value.ToBoolean(locale));
      case kVtDate:
      case kVtDate12:
      case kVtDate13: return DateOf(value, locale);
      case kVtText: return com::Variant(value.ToString(locale));
      case kVtDecimal: return com::Variant(value.ToDecimal(locale));
      case kVtEnum: return com::Variant(value.ToDouble(locale));
      default: break;
    }
  } catch (const com::ComError&) {
    // Not convertible: Null, which callers take as "no value".
  }
  return com::Variant::Null();
}

bool clsDataElement::InSomeRange(
    const com::Variant& tested,
    const std::function<double(const com::Variant&)>& magnitude) const {
  bool any_range = false;
  com::Variant low;
  com::Variant high;
  for (std::int32_t i = 0; GetRange(i, low, high); ++i) {
    any_range = true;
    // Only a value that meets a range needs to be a number.
    const double value = magnitude(tested);
    if ((low.IsEmpty() || magnitude(low) <= value) && (high.IsEmpty() || value <= magnitude(high))) {
      return true;
    }
  }
  return !any_range;
}

std::int32_t clsDataElement::CalcParamErrorFlags(runtime::DTMContext& context,
                                                 const com::Variant& value) const {
  if (ValueType == kVtNone) return 0;
  if (value.IsNull()) return flags::kNotNumeric;

  if (ValueType == kVtText) {
    const std::vector<std::int32_t> codes = AnsiCodes(value.ToString());
    if (ValueTypeLength > 0 && codes.size() > static_cast<std::size_t>(ValueTypeLength)) {
      return flags::kTextTooLong;
    }
    for (const std::int32_t code : codes) {
      const auto number = [](const com::Variant& v) { return v.ToDouble(); };
      if (!InSomeRange(com::Variant(code), number)) return flags::kInvalidCharacter;
    }
    return 0;
  }
  if (ValueType == kVtBytes) return 0;
  if (IsNumericType(ValueType) && !value.IsNumeric()) return flags::kNotNumeric;
  if (IsInvalidFloat(value)) return 0;

  // Dates compare as their serials, everything else as a number.
  const auto magnitude = [this](const com::Variant& v) {
    return IsDateType(ValueType) ? v.ToDate().serial : v.ToDouble();
  };

  constexpr std::uint8_t kAnyUnit = 252;
  com::Variant tested = value;
  if (nUnit != nInitUnit && nUnit != kAnyUnit && nInitUnit != kAnyUnit) {
    if (const auto units = UnitTable(context)) {
      tested = com::Variant(units->Convert(value.ToDouble(), nUnit, nInitUnit));
    }
  }

  if (!InSomeRange(tested, magnitude)) return flags::kOutOfRange;

  // Type limits hold for the value as given, whatever its unit.
  if (const std::optional<Limits> limits = TypeLimits(ValueType)) {
    const double v = value.ToDouble();
    if (!(v >= limits->low && v <= limits->high)) return flags::kOutOfRange;
  }
  return 0;
}

// ---- Lists --------------------------------------------------------------------

std::string clsDataElement::GetListText(const std::string& list, std::int32_t value,
                                        bool bit_list) {
  std::string result;
  bool first = true;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t bar = list.find('|', start);
    const std::size_t end = bar == std::string::npos ? list.size() : bar;
    const std::string entry = list.substr(start, end - start);
    start = end + 1;
    const std::size_t colon = entry.find(':');
    if (colon == std::string::npos) continue;
    const std::int32_t key = ListKey(entry.substr(0, colon));
    const std::string text = entry.substr(colon + 1);
    if (!bit_list) {
      if (key == value) return text;
      continue;
    }
    if (key < 0 || key > 31) continue;
    const std::uint32_t mask = std::uint32_t{1} << key;
    if (!first) result += ", ";
    first = false;
    result += (static_cast<std::uint32_t>(value) & mask) != 0 ? "[x] " : "[ ] ";
    result += text;
  }
  return result;
}

std::string clsDataElement::GetStrValueFromIdxList(std::int32_t index) const {
  return GetListText(ValueList, index, bBitEncoding);
}

std::string clsDataElement::GetStrCommandErrorFromIndex(std::int32_t index) const {
  return GetListText(CmdErrList, index, false);
}

std::shared_ptr<clsDataElement> clsDataElement::GetParentParameter(
    const runtime::Parameters& parameters) const {
  // The last "/" before the final character: a group's own trailing "/"
  // does not make it its own parent.
  if (Name.size() < 2) return nullptr;
  const std::size_t slash = Name.rfind('/', Name.size() - 2);
  if (slash == std::string::npos || slash == 0) return nullptr;
  return std::dynamic_pointer_cast<clsDataElement>(parameters.Find(Name.substr(0, slash + 1)));
}

// ---- Status flags ---------------------------------------------------------------

clsDataElement::~clsDataElement() { JoinTally(nullptr); }

void clsDataElement::JoinTally(std::shared_ptr<DataSetTally> tally) {
  const std::int32_t share = MakesDataSetInconsistent(status_word_) ? 1 : 0;
  if (tally_) tally_->inconsistent -= share;
  tally_ = std::move(tally);
  if (tally_) tally_->inconsistent += share;
}

void clsDataElement::SetWord(std::int32_t word) {
  if (tally_) {
    tally_->inconsistent += (MakesDataSetInconsistent(word) ? 1 : 0) -
                            (MakesDataSetInconsistent(status_word_) ? 1 : 0);
  }
  status_word_ = word;
}

std::int32_t clsDataElement::StatusFlags() const { return status_word_ & ~flags::kPrivateMask; }

void clsDataElement::SetStatusFlags(std::int32_t value) {
  SetWord((status_word_ & flags::kPrivateMask) | (value & ~flags::kPrivateMask));
}

void clsDataElement::SetStatusFlag(std::int32_t flag) {
  SetWord(status_word_ | (flag & ~flags::kPrivateMask));
}

void clsDataElement::ClearStatusFlag(std::int32_t flag) {
  SetWord(status_word_ & ~(flag & ~flags::kPrivateMask));
}

bool clsDataElement::Validity() const { return (status_word_ & flags::kValidity) != 0; }

void clsDataElement::SetValidity(bool valid) {
  SetWord(valid ? status_word_ | flags::kValidity : status_word_ & ~flags::kValidity);
}

// ---- Units --------------------------------------------------------------------

std::string clsDataElement::UnitString(runtime::DTMContext& context) const {
  if (nUnit == 0) return {};
  const auto units = UnitTable(context);
  const std::string text = units ? units->UnitText(nUnit) : std::string();
  return text.empty() ? "#" + std::to_string(nUnit) : text;
}

void clsDataElement::SetUnitString(runtime::DTMContext& context, const std::string& text) {
  // The text UnitString gives unit 0: a value written without a unit
  // ("12.5[]") reads back without one instead of failing.
  if (text.empty()) {
    nUnit = 0;
    return;
  }
  if (text.front() == '#') {
    nUnit = com::Variant(text.substr(1)).ToByte();
    return;
  }
  const auto units = UnitTable(context);
  if (!units) com::ThrowObjectVariableNotSet("clsDataElement");
  // An unknown text answers -1, which is no unit code: Overflow, nUnit kept.
  nUnit = com::Variant(units->UnitCode(text)).ToByte();
}

// ---- IPrivateDataElement --------------------------------------------------------

bool clsDataElement::IPrivateDataElement_InitNew(const com::Variant&, const com::Variant&) {
  TransientValue = InitialValue;
  DeviceValue = com::Variant();
  PersistentValue = com::Variant();
  nUnit = nInitUnit;
  return true;
}

bool clsDataElement::IPrivateDataElement_IsUploadParam(const com::Variant&) {
  return (ElementMode & mode::kUpload) != 0 && (status_word_ & flags::kDynamic) == 0;
}

bool clsDataElement::IPrivateDataElement_IsDownloadParam(runtime::DTMContext& context) {
  if (!Validity() || (ElementMode & mode::kDownload) == 0 ||
      (status_word_ & flags::kDynamic) != 0) {
    return false;
  }
  return context.User().UserLevel() >= RequiredUserLevel;
}

bool clsDataElement::IPrivateDataElement_IsDeviceCommand(runtime::DTMContext& context) {
  return (ElementMode & mode::kDeviceCommand) != 0 &&
         context.User().UserLevel() >= RequiredUserLevel;
}

}  // namespace dtm
