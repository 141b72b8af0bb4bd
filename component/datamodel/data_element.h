#pragma once
// One data element: a device parameter, a command node or a value of the
// component itself, living in the runtime's parameter collection under its
// path (its Name). Public fields carry the system's names; the status flag
// word and the range lists are private and reached through their operations.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/interfaces/private.h"
#include "platform/com/locale.h"
#include "platform/com/object.h"

namespace dtm::runtime {
class DTMContext;
class Parameters;
}  // namespace dtm::runtime

namespace dtm {

// Value type codes.
enum ValueTypeCode : std::int32_t {
  kVtNone = 0,
  kVtBytes = 1,
  kVtUInt8 = 2,
  kVtUInt16 = 3,
  kVtUInt24 = 4,
  kVtInt16 = 5,
  kVtInt24 = 6,
  kVtInt32 = 7,
  kVtSingle = 8,
  kVtDouble = 9,
  kVtBoolean = 10,
  kVtDate = 11,
  kVtDate12 = 12,
  kVtDate13 = 13,
  kVtText = 14,
  kVtDecimal = 15,
  kVtEnum = 16,
};

// Status flag bits and groups.
namespace flags {
constexpr std::int32_t kInformation = 0x1;
constexpr std::int32_t kDynamic = 0x2;
constexpr std::int32_t kChanged = 0x4;
constexpr std::int32_t kNeeded = 0x8;
constexpr std::int32_t kOnlineEdit = 0x20;
constexpr std::int32_t kInputErrorMask = 0xF000;
constexpr std::int32_t kNotNumeric = 0x2000;
constexpr std::int32_t kOutOfRange = 0x4000;
constexpr std::int32_t kTextTooLong = 0x5000;
constexpr std::int32_t kInvalidCharacter = 0x6000;
constexpr std::int32_t kCommErrorMask = 0xF0000;
constexpr std::int32_t kResponseClassMask = 0xF00000;
constexpr std::int32_t kWriteProtectedClass = 0x300000;
constexpr std::int32_t kValidity = 0x1000000;
constexpr std::int32_t kPrivateMask = 0x0F000000;  // validity and three reserved bits
// What the instance data set keeps of the word: the private bits and Needed
// (the input error is saved beside them, and taken back only where the
// element still finds its value in error).
constexpr std::int32_t kPersistedMask = 0x0F000008;
// Input error, communication error and response class: a loaded data set
// starts without them, but for the input errors its values bring.
constexpr std::int32_t kClearedOnLoad = 0x00FFF000;
// The last transaction came back write-protected. The class bits alone
// tell: a page's own marks (information, communication error) may stand
// beside them.
constexpr bool IsWriteProtected(std::int32_t word) {
  return (word & kResponseClassMask) == kWriteProtectedClass;
}
}  // namespace flags

// Element mode bits the component tests.
namespace mode {
constexpr std::int32_t kUpload = 0x1;
constexpr std::int32_t kDownload = 0x2;
constexpr std::int32_t kDeviceCommand = 0x4;
constexpr std::int32_t kStored = 0x10;
}  // namespace mode

// How many elements of one collection hold an input error or a "needed"
// mark outside the dynamic and information values: the data set is
// inconsistent while this is above 0. Each joined element keeps its share
// up to date as its status flags change, so that the state needs no walk
// over the collection after every change.
struct DataSetTally {
  std::int32_t inconsistent = 0;
};

class clsDataElement : public com::Object, public IPrivateDataElement {
 public:
  clsDataElement() = default;
  ~clsDataElement() override;

  // ---- Public fields, in declaration order ----
  std::string Name;
  std::int32_t ValueType = 0;
  std::string ValueFormat;
  std::int32_t ValueTypeLength = 0;
  std::int32_t ElementMode = 0;
  std::string ValueList;
  std::string Prompt;
  std::string Description;
  std::string HelpText;
  std::int32_t RequiredUserLevel = 0;
  std::int16_t HARTParamReadCommand = -1;
  std::int16_t HARTParamWriteCommand = -1;
  std::int16_t WriteRequestPosition = -1;
  std::int16_t WriteResponsePosition = -1;
  std::int16_t ReadResponsePosition = -1;
  std::int16_t WriteUnitRequestPosition = -1;
  std::int16_t WriteUnitResponsePosition = -1;
  std::int16_t ReadUnitResponsePosition = -1;
  std::int16_t IndexRequestPosition = -1;
  std::int16_t IndexWritePosition = -1;
  bool bPackedCoding = false;
  bool bBitEncoding = false;
  std::uint8_t AccessMask = 255;
  com::Variant TransientValue;
  com::Variant PersistentValue;
  com::Variant DeviceValue;
  com::Variant InitialValue;
  std::uint8_t nUnit = 0;
  std::uint8_t nInitUnit = 0;
  std::uint8_t nParamIndex = 0;
  std::int16_t DeviceStatus = 0;
  std::string CmdErrList;
  std::string CmdErr;
  std::int32_t NestProcessLevel = 0;
  bool IgnoreUpdate = false;
  std::int16_t SortOrder = 0;

  // ---- Operations ----
  // Range `index`: true when it exists and one of its ends is set. The out
  // arguments keep their values when the range list does not reach `index`.
  bool GetRange(std::int32_t index, com::Variant& min_value, com::Variant& max_value) const;
  // Stores a range (values kept unconverted); both Empty removes range `index`.
  void SetRange(std::int32_t index, const com::Variant& min_value, const com::Variant& max_value);
  // `value` as the element's type; Null when it does not convert. A text is
  // read in `locale` (the user's, for what the user typed), and a type 14
  // element writes a number as text in it; the form without a locale
  // follows Locale::English(). Types 8 and 9 round to the decimals
  // of `ValueFormat`; a text "dd.mm.yyyy" is read as that date whatever the
  // locale, and a number text with a point reads the point as the decimal
  // mark.
  com::Variant GetTypedValue(const com::Variant& value) const;
  com::Variant GetTypedValue(const com::Variant& value, const com::Locale& locale) const;
  // 0, or the input-error code of the first check `value` fails. Ranges
  // are given in `nInitUnit`: a value in another unit is converted with the
  // data model's unit table first (unconverted when there is no table).
  std::int32_t CalcParamErrorFlags(runtime::DTMContext& context, const com::Variant& value) const;
  // The text of `index` in `ValueList` (a "[x] "/"[ ] " list of every bit
  // when `bBitEncoding`), and in `CmdErrList`.
  std::string GetStrValueFromIdxList(std::int32_t index) const;
  std::string GetStrCommandErrorFromIndex(std::int32_t index) const;
  // The group element of a member path ("SC130Tr1/" for "SC130Tr1/Par2"), or nullptr.
  std::shared_ptr<clsDataElement> GetParentParameter(const runtime::Parameters& parameters) const;

  // The word without the private bits; a write keeps them.
  std::int32_t StatusFlags() const;
  void SetStatusFlags(std::int32_t value);
  void SetStatusFlag(std::int32_t flag);
  void ClearStatusFlag(std::int32_t flag);
  bool Validity() const;
  void SetValidity(bool valid);
  // The whole word, private bits included (persistence, tests).
  std::int32_t RawStatusFlags() const { return status_word_; }
  void SetRawStatusFlags(std::int32_t word) { SetWord(word); }
  // Whether these flags make the data set inconsistent: an input error or
  // "needed" on an element that is neither information nor dynamic.
  static bool MakesDataSetInconsistent(std::int32_t flags) {
    return (flags & (flags::kInputErrorMask | flags::kNeeded)) != 0 &&
           (flags & (flags::kInformation | flags::kDynamic)) == 0;
  }
  // Counts this element in `tally` from now on (and no longer in the one
  // it counted in before); nullptr leaves it uncounted.
  void JoinTally(std::shared_ptr<DataSetTally> tally);

  // The text of `nUnit` from the data model's unit table; "" for unit 0 and
  // "#<code>" for a code the table has no text for (or when there is no table).
  std::string UnitString(runtime::DTMContext& context) const;
  // "" sets unit 0, "#<code>" that code, any other text the table's code of it. Raises
  // Overflow for a text the table does not know (nUnit is then unchanged),
  // Object variable not set when there is no table.
  void SetUnitString(runtime::DTMContext& context, const std::string& text);

  // ---- IPrivateDataElement ----
  std::string IPrivateDataElement_Name() const override { return Name; }
  void IPrivateDataElement_Name(const std::string& value) override { Name = value; }
  std::int32_t IPrivateDataElement_ValueType() const override { return ValueType; }
  void IPrivateDataElement_ValueType(std::int32_t value) override { ValueType = value; }
  std::int32_t IPrivateDataElement_ValueTypeLength() const override { return ValueTypeLength; }
  void IPrivateDataElement_ValueTypeLength(std::int32_t value) override { ValueTypeLength = value; }
  // Final: the tally counts the word these read and write.
  std::int32_t IPrivateDataElement_StatusFlags() const final { return StatusFlags(); }
  void IPrivateDataElement_StatusFlags(std::int32_t value) final { SetStatusFlags(value); }
  std::int32_t IPrivateDataElement_ElementMode() const override { return ElementMode; }
  void IPrivateDataElement_ElementMode(std::int32_t value) override { ElementMode = value; }
  com::Variant IPrivateDataElement_TransientValue() const override { return TransientValue; }
  void IPrivateDataElement_TransientValue(const com::Variant& value) override {
    TransientValue = value;
  }
  com::Variant IPrivateDataElement_PersistentValue() const override { return PersistentValue; }
  void IPrivateDataElement_PersistentValue(const com::Variant& value) override {
    PersistentValue = value;
  }
  com::Variant IPrivateDataElement_DeviceValue() const override { return DeviceValue; }
  void IPrivateDataElement_DeviceValue(const com::Variant& value) override { DeviceValue = value; }
  bool IPrivateDataElement_InitNew(const com::Variant& a, const com::Variant& b) override;
  bool IPrivateDataElement_ReadFromPropBag(com::PropertyBag& bag,
                                           runtime::DTMContext& context) override;
  bool IPrivateDataElement_WriteToPropBag(com::PropertyBag& bag, const com::Variant& b) override;
  bool IPrivateDataElement_ReadFromDtmVariable(const xml::Node& node,
                                               runtime::DTMContext& context) override;
  bool IPrivateDataElement_WriteToDtmVariable(const xml::Node& node,
                                              runtime::DTMContext& context) override;
  bool IPrivateDataElement_WriteToDocVariable(const xml::Node& node,
                                              runtime::DTMContext& context) override;
  bool IPrivateDataElement_IsUploadParam(const com::Variant& a) override;
  bool IPrivateDataElement_IsDownloadParam(runtime::DTMContext& context) override;
  bool IPrivateDataElement_IsDeviceCommand(runtime::DTMContext& context) override;
  std::int32_t IPrivateDataElement_NestProcessLevel() const override { return NestProcessLevel; }
  void IPrivateDataElement_NestProcessLevel(std::int32_t value) override {
    NestProcessLevel = value;
  }

 private:
  // True when `tested` lies in one of the ranges (open ends pass), or when
  // there is none; `magnitude` turns a range bound into a comparable number.
  bool InSomeRange(const com::Variant& tested,
                   const std::function<double(const com::Variant&)>& magnitude) const;
  // "key:text|key:text"; a bit list shows every bit entry, set or not.
  static std::string GetListText(const std::string& list, std::int32_t value, bool bit_list);
  // Display texts of the FDT parameter and documentation documents.
  std::string DtmVariableDisplay(runtime::DTMContext& context) const;
  std::string DocumentationDisplay(runtime::DTMContext& context) const;
  // Where the copy for the documentation goes; false when the document
  // offers no place.
  bool PlaceDocVariable(xml::Node& node, runtime::DTMContext& context) const;

  // Every change of the word goes through here, for the tally's sake.
  void SetWord(std::int32_t word);

  std::int32_t status_word_ = 0;
  std::shared_ptr<DataSetTally> tally_;
  std::vector<com::Variant> range_min_;
  std::vector<com::Variant> range_max_;
};

using DataElement = std::shared_ptr<clsDataElement>;

// A Single or Double whose arithmetic fails: not-a-number or infinite.
// False for every other value.
bool IsInvalidFloat(const com::Variant& value);

}  // namespace dtm
