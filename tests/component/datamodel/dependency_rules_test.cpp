// The dependency rules on a new instance of the supported device: each
// trigger with its value, the collection's state flag and the depth, and the
// fields and notices that follow; the rules as the data model runs them for
// one element and for the whole data set; the tag that does not fit the
// device; and the errors that end a run.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "component/datamodel/data_model_helpers.h"
#include "platform/com/error.h"
#include "platform/com/variant.h"
#include "platform/runtime/context.h"
#include "platform/runtime/parameters.h"
#include "tests/component/datamodel/element_fixture.h"
#include "tests/component/datamodel/hart_fixture.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using element::Show;
using Notices = std::vector<std::string>;

// Marks, among the element notices, the moment the pages were told to
// reread their texts.
constexpr char kTextsChanged[] = "<texts>";

com::Variant I16(int value) { return com::Variant(static_cast<std::int16_t>(value)); }
com::Variant Word(std::int32_t value) { return com::Variant(value); }
com::Variant Text(const char* text) { return com::Variant(text); }
const com::Variant kEmpty;
const com::Variant kValid(true);
const com::Variant kInvalid(false);

// The element fields the rules read and write.
enum class Field { kT, kD, kP, kValidity, kFlags, kMode, kIgnoreUpdate };

struct FieldValue {
  const char* path;
  Field field;
  com::Variant value;
};

com::Variant Read(const clsDataElement& element, Field field) {
  switch (field) {
    case Field::kT: return element.TransientValue;
    case Field::kD: return element.DeviceValue;
    case Field::kP: return element.PersistentValue;
    case Field::kValidity: return com::Variant(element.Validity());
    case Field::kFlags: return com::Variant(element.StatusFlags());
    case Field::kMode: return com::Variant(element.ElementMode);
    case Field::kIgnoreUpdate: break;
  }
  return com::Variant(element.IgnoreUpdate);
}

void Write(clsDataElement& element, Field field, const com::Variant& value) {
  switch (field) {
    case Field::kT: element.TransientValue = value; return;
    case Field::kD: element.DeviceValue = value; return;
    case Field::kP: element.PersistentValue = value; return;
    case Field::kValidity: element.SetValidity(value.ToBoolean()); return;
    case Field::kFlags: element.SetStatusFlags(value.ToLong()); return;
    case Field::kMode: element.ElementMode = value.ToLong(); return;
    case Field::kIgnoreUpdate: element.IgnoreUpdate = value.ToBoolean(); return;
  }
}

// Records the element notices the open pages hear, in order, and the
// request to reread texts. "DataStatus" is left out: the data model marks
// it on the first change of a series, which its own tests cover.
class RecordingPage final : public com::Object, public IPrivateGUI {
 public:
  bool IPrivateGUI_CloseGUI() override { return true; }
  void IPrivateGUI_LockStateChanged(bool) override {}
  void IPrivateGUI_ParameterChanged(const DataElementPtr& element) override {
    const std::string name = element->IPrivateDataElement_Name();
    if (name != "DataStatus") notices.push_back(name);
  }
  void IPrivateGUI_ParameterSetChanged() override {}
  void IPrivateGUI_ValidateParameters() override {}
  void IPrivateGUI_SetLanguage(std::int32_t) override { notices.push_back(kTextsChanged); }

  Notices notices;
};

// A new instance of the supported device (its data set already run through
// the rules once) with a page that records the notices.
class DependencyRules : public DtmFixture {
 protected:
  void SetUp() override {
    SetUpInstance();
    Context().GUIMan().RegisterGUI("page", page_, true);
  }

  runtime::Parameters& Parameters() { return Context().Parameters(); }
  clsDataModel& Model() { return *std::dynamic_pointer_cast<clsDataModel>(Context().DataModel()); }

  std::shared_ptr<clsDataElement> Element(const std::string& path) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(Parameters().Item(path));
    EXPECT_NE(element, nullptr) << path;
    return element;
  }

  void Give(const std::vector<FieldValue>& values) {
    for (const FieldValue& given : values) Write(*Element(given.path), given.field, given.value);
  }

  void ExpectFields(const std::vector<FieldValue>& values) {
    for (const FieldValue& expected : values) {
      EXPECT_EQ(Show(Read(*Element(expected.path), expected.field)), Show(expected.value))
          << expected.path << " field " << static_cast<int>(expected.field);
    }
  }

  // An edit of `path` as the collection announces it: the data model runs
  // the rules at depth 1, nested notices run deeper.
  void Change(const std::string& path, const com::Variant& value) {
    Element(path)->TransientValue = value;
    page_->notices.clear();
    Parameters().NotifyChanged(Parameters().Item(path), "");
  }

  std::shared_ptr<RecordingPage> page_ = std::make_shared<RecordingPage>();
};

// ---- One trigger each ----------------------------------------------------------------

struct RuleCase {
  const char* name;
  const char* trigger;
  com::Variant value;        // the trigger's new transient value; Empty leaves it
  std::int32_t state_flag;   // the collection's flag: the change comes from the device
  std::int32_t depth;        // 1: announced by the collection; above: a nested run
  std::vector<FieldValue> given;
  std::vector<FieldValue> expected;
  Notices notices;           // in order; the trigger's own comes last when announced
};

// The paths the limit-contact option switches, each followed by the nested
// notice its own rule gives (the command buttons and the command-130 states
// copy into the cyclic states).
const Notices kLimitContactNotices = {
    "SC128Tr12/Par3", "SC130Tr5/Par3", "SC128Tr12/Par4", "SC130Tr5/Par4", "SC130Tr4/Par1",
    "SC136/GW1",      "SC136/GW1",     "SC136GW1",       "SC136/GW1",     "SC130Tr7/Par2",
    "SC132Inx4",      "SC136/GW2",     "SC136/GW2",      "SC136GW2",      "SC136/GW2",
    "SC130Tr7/Par3",  "SC132Inx5",     "SC130Tr6/Par2"};

// The actuator type: eight validities, then the attachment's three (once in
// the attachment's own nested run, once more by the actuator rule), the
// texts, the travel pick-up, and the trigger.
const Notices kActuatorNotices = {
    "SC130Tr2/Par2", "SC128Tr2/Par2", "SC128Tr1/Par1", "SC128Tr2/Par3", "SC128Tr2/Par4",
    "SC128Tr1/Par2", "SC128Tr1/Par3", "SC128Tr2/Par1", "SC130Tr3/Par1", "SC130Tr2/Par1",
    "SC130Tr1/Par1", "SC128Tr2/Par1", "SC130Tr3/Par1", "SC130Tr2/Par1", kTextsChanged,
    "SC130Tr2/Par1", "SC130Tr1/Par2"};

const RuleCase kRuleCases[] = {
    // Mirrors of the instance's tag.
    {"TagMirroredIntoDeviceTagAndNotBack", "~/Tag", Text("VALVE_7"), 0, 1,
     {{"~/Tag", Field::kD, Text("DEV_7")}, {"~/Tag", Field::kP, Text("STORED")}},
     {{"UC013/Tag", Field::kT, Text("VALVE_7")},
      {"UC013/Tag", Field::kD, Text("DEV_7")},
      {"UC013/Tag", Field::kP, Text("STORED")},
      {"UC013/Tag", Field::kFlags, Word(0)}},
     {"UC013/Tag", "~/Tag"}},
    {"TagFromTheDeviceNotMirrored", "~/Tag", Text("VALVE_7"), 1, 1, {},
     {{"UC013/Tag", Field::kT, Text("4625_1")}, {"UC013/Tag", Field::kD, kEmpty}},
     {"~/Tag"}},
    {"TagInANestedRunNotMirrored", "~/Tag", Text("VALVE_7"), 0, 2, {},
     {{"UC013/Tag", Field::kT, Text("4625_1")}},
     {}},
    {"DeviceTagMirroredIntoTagAndNotBack", "UC013/Tag", Text("PLANT_9"), 1, 1,
     {{"UC013/Tag", Field::kD, Text("PLANT_9")}, {"~/Tag", Field::kP, Text("OLD")}},
     {{"~/Tag", Field::kT, Text("PLANT_9")},
      {"~/Tag", Field::kD, Text("PLANT_9")},
      {"~/Tag", Field::kP, kEmpty}},
     {"~/Tag", "UC013/Tag"}},
    {"DeviceTagEditMirroredIntoTag", "UC013/Tag", Text("PLANT_9"), 0, 1, {},
     {{"~/Tag", Field::kT, Text("PLANT_9")}},
     {"~/Tag", "UC013/Tag"}},
    {"DeviceTagInANestedRunNotMirrored", "UC013/Tag", Text("PLANT_9"), 1, 2, {},
     {{"~/Tag", Field::kT, Text("4625_1")}},
     {}},

    // Mirrors of the polling address.
    {"AddressMirroredIntoCommandWithoutFlags", "~/Address", I16(5), 0, 1,
     {{"~/Address", Field::kFlags, Word(0x4000)}},
     {{"UC006", Field::kT, I16(5)},
      {"UC006", Field::kFlags, Word(0)},
      {"~/Address", Field::kFlags, Word(0x4000)}},
     {"UC006", "~/Address"}},
    {"AddressFromTheDeviceNotMirrored", "~/Address", I16(5), 1, 1, {},
     {{"UC006", Field::kT, I16(0)}},
     {"~/Address"}},
    {"AddressInANestedRunNotMirrored", "~/Address", I16(5), 0, 2, {},
     {{"UC006", Field::kT, I16(0)}},
     {}},
    {"NewAddressGivesValuesAndFlags", "UC006", I16(7), 0, 1,
     {{"UC006", Field::kD, I16(7)}, {"UC006", Field::kFlags, Word(0x30000)}},
     {{"~/Address", Field::kT, I16(7)},
      {"~/Address", Field::kD, I16(7)},
      {"~/Address", Field::kP, kEmpty},
      {"~/Address", Field::kFlags, Word(0x30000)},
      {"~/Address", Field::kValidity, kValid}},
     {"~/Address", "UC006"}},
    {"NewAddressInANestedRunNotMirrored", "UC006", I16(7), 0, 2,
     {{"UC006", Field::kFlags, Word(0x30000)}},
     {{"~/Address", Field::kT, I16(0)}, {"~/Address", Field::kFlags, Word(0)}},
     {}},

    // Operating mode: the setting and its cyclic read-back.
    {"ModeSettingCopiedWhileNotDynamic", "SC130Tr8/Par2", I16(2), 0, 1,
     {{"SC130Tr8/Par2", Field::kFlags, Word(0)},
      {"SC130Tr8/Par2", Field::kD, I16(2)},
      {"SC128Tr15/Par1", Field::kValidity, kValid},
      {"SC128Tr15/Par1", Field::kFlags, Word(0x4022)},
      {"SC128Tr15/Par1", Field::kIgnoreUpdate, com::Variant(true)}},
     {{"SC136/OpMode", Field::kT, I16(2)},
      {"SC136/OpMode", Field::kD, I16(2)},
      {"SC128Tr15/Par1", Field::kValidity, kInvalid},
      {"SC128Tr15/Par1", Field::kFlags, Word(0x2)},
      {"SC128Tr15/Par1", Field::kIgnoreUpdate, com::Variant(false)}},
     {"SC136/OpMode", "SC128Tr15/Par1", "SC130Tr8/Par2"}},
    {"ModeSettingNotCopiedWhileDynamic", "SC130Tr8/Par2", I16(2), 0, 1,
     {{"SC128Tr15/Par1", Field::kValidity, kValid}},
     {{"SC136/OpMode", Field::kT, I16(0)}, {"SC128Tr15/Par1", Field::kValidity, kInvalid}},
     {"SC128Tr15/Par1", "SC130Tr8/Par2"}},
    {"ManualModeEditLeavesManualValueAlone", "SC130Tr8/Par2", I16(1), 0, 1,
     {{"SC128Tr15/Par1", Field::kValidity, kValid},
      {"SC128Tr15/Par1", Field::kFlags, Word(0x4002)}},
     {{"SC128Tr15/Par1", Field::kValidity, kValid},
      {"SC128Tr15/Par1", Field::kFlags, Word(0x4002)}},
     {"SC130Tr8/Par2"}},
    {"ManualModeFromTheDeviceValidatesManualValue", "SC130Tr8/Par2", I16(1), 1, 1,
     {{"SC128Tr15/Par1", Field::kValidity, kInvalid},
      {"SC128Tr15/Par1", Field::kFlags, Word(0x4002)}},
     {{"SC128Tr15/Par1", Field::kValidity, kValid},
      {"SC128Tr15/Par1", Field::kFlags, Word(0x4002)}},
     {"SC128Tr15/Par1", "SC130Tr8/Par2"}},
    {"ModeRuleActsInANestedRun", "SC130Tr8/Par2", I16(0), 0, 2,
     {{"SC128Tr15/Par1", Field::kValidity, kValid}},
     {{"SC128Tr15/Par1", Field::kValidity, kInvalid}},
     {"SC128Tr15/Par1"}},
    // The read-back goes into the dynamic setting, whose own run copies
    // nothing back.
    {"ModeReadBackCopiedIntoDynamicSetting", "SC136/OpMode", I16(1), 1, 1,
     {{"SC136/OpMode", Field::kD, I16(1)}, {"SC128Tr15/Par1", Field::kValidity, kInvalid}},
     {{"SC130Tr8/Par2", Field::kT, I16(1)},
      {"SC130Tr8/Par2", Field::kD, I16(1)},
      {"SC128Tr15/Par1", Field::kValidity, kValid}},
     {"SC128Tr15/Par1", "SC130Tr8/Par2", "SC136/OpMode"}},
    {"ModeReadBackIgnoredWhileSettingNotDynamic", "SC136/OpMode", I16(1), 1, 1,
     {{"SC130Tr8/Par2", Field::kFlags, Word(0)}},
     {{"SC130Tr8/Par2", Field::kT, I16(0)}},
     {"SC136/OpMode"}},

    // Manual reference value: the setting and its cyclic read-back.
    {"ManualValueCopiedWhileNotDynamic", "SC128Tr15/Par1", com::Variant(12.5), 0, 1,
     {{"SC128Tr15/Par1", Field::kFlags, Word(0)},
      {"SC128Tr15/Par1", Field::kD, com::Variant(12.0)}},
     {{"SC136/wHand", Field::kT, com::Variant(12.5)},
      {"SC136/wHand", Field::kD, com::Variant(12.0)}},
     {"SC136/wHand", "SC128Tr15/Par1"}},
    {"ManualValueNotCopiedWhileDynamic", "SC128Tr15/Par1", com::Variant(12.5), 0, 1, {},
     {{"SC136/wHand", Field::kT, com::Variant(4.0)}},
     {"SC128Tr15/Par1"}},
    {"ManualReadBackCopiedIntoDynamicSetting", "SC136/wHand", com::Variant(8.0), 1, 1,
     {{"SC136/wHand", Field::kD, com::Variant(8.0)}},
     {{"SC128Tr15/Par1", Field::kT, com::Variant(8.0)},
      {"SC128Tr15/Par1", Field::kD, com::Variant(8.0)}},
     {"SC128Tr15/Par1", "SC136/wHand"}},
    {"ManualReadBackIgnoredWhileSettingNotDynamic", "SC136/wHand", com::Variant(8.0), 1, 1,
     {{"SC128Tr15/Par1", Field::kFlags, Word(0)}},
     {{"SC128Tr15/Par1", Field::kT, com::Variant(4.0)}},
     {"SC136/wHand"}},

    // Actuator type and attachment.
    {"RotaryActuator", "SC130Tr1/Par2", I16(1), 0, 1, {},
     {{"SC130Tr2/Par2", Field::kValidity, kInvalid},
      {"SC128Tr2/Par2", Field::kValidity, kInvalid},
      {"SC128Tr1/Par1", Field::kValidity, kValid},
      {"SC128Tr2/Par3", Field::kValidity, kInvalid},
      {"SC128Tr2/Par4", Field::kValidity, kInvalid},
      {"SC128Tr1/Par2", Field::kValidity, kValid},
      {"SC128Tr1/Par3", Field::kValidity, kValid},
      {"SC130Tr1/Par1", Field::kValidity, kInvalid},
      {"SC128Tr2/Par1", Field::kValidity, kInvalid},
      {"SC130Tr3/Par1", Field::kValidity, kInvalid},
      {"SC130Tr2/Par1", Field::kValidity, kValid}},
     kActuatorNotices},
    {"LinearActuatorInNamurAttachment", "SC130Tr1/Par2", I16(0), 0, 1,
     {{"SC130Tr1/Par1", Field::kT, I16(1)}},
     {{"SC130Tr2/Par2", Field::kValidity, kValid},
      {"SC128Tr2/Par2", Field::kValidity, kValid},
      {"SC128Tr1/Par1", Field::kValidity, kInvalid},
      {"SC128Tr2/Par3", Field::kValidity, kValid},
      {"SC128Tr2/Par4", Field::kValidity, kValid},
      {"SC128Tr1/Par2", Field::kValidity, kInvalid},
      {"SC128Tr1/Par3", Field::kValidity, kInvalid},
      {"SC130Tr1/Par1", Field::kValidity, kValid},
      {"SC128Tr2/Par1", Field::kValidity, kValid},
      {"SC130Tr3/Par1", Field::kValidity, kValid},
      {"SC130Tr2/Par1", Field::kValidity, kInvalid}},
     kActuatorNotices},
    {"NamurAttachmentOnLinearActuator", "SC130Tr1/Par1", I16(1), 0, 1, {},
     {{"SC128Tr2/Par1", Field::kValidity, kValid},
      {"SC130Tr3/Par1", Field::kValidity, kValid},
      {"SC130Tr2/Par1", Field::kValidity, kInvalid}},
     {"SC128Tr2/Par1", "SC130Tr3/Par1", "SC130Tr2/Par1", "SC130Tr1/Par1"}},
    {"NamurAttachmentOnRotaryActuator", "SC130Tr1/Par1", I16(1), 0, 1,
     {{"SC130Tr1/Par2", Field::kT, I16(1)},
      {"SC128Tr2/Par1", Field::kValidity, kValid},
      {"SC130Tr3/Par1", Field::kValidity, kValid},
      {"SC130Tr2/Par1", Field::kValidity, kInvalid}},
     {{"SC128Tr2/Par1", Field::kValidity, kInvalid},
      {"SC130Tr3/Par1", Field::kValidity, kInvalid},
      {"SC130Tr2/Par1", Field::kValidity, kValid}},
     {"SC128Tr2/Par1", "SC130Tr3/Par1", "SC130Tr2/Par1", "SC130Tr1/Par1"}},
    {"IntegralAttachment", "SC130Tr1/Par1", I16(0), 0, 1,
     {{"SC128Tr2/Par1", Field::kValidity, kValid},
      {"SC130Tr3/Par1", Field::kValidity, kValid},
      {"SC130Tr2/Par1", Field::kValidity, kInvalid}},
     {{"SC128Tr2/Par1", Field::kValidity, kInvalid},
      {"SC130Tr3/Par1", Field::kValidity, kInvalid},
      {"SC130Tr2/Par1", Field::kValidity, kValid}},
     {"SC128Tr2/Par1", "SC130Tr3/Par1", "SC130Tr2/Par1", "SC130Tr1/Par1"}},

    // Fitted options.
    {"SoftwareLimitContacts", "SC130Tr6/Par2", I16(2), 0, 1,
     {{"SC136GW1", Field::kT, I16(1)}, {"SC136GW1", Field::kD, I16(1)}},
     {{"SC128Tr12/Par3", Field::kValidity, kValid},
      {"SC130Tr5/Par3", Field::kValidity, kValid},
      {"SC128Tr12/Par4", Field::kValidity, kValid},
      {"SC130Tr5/Par4", Field::kValidity, kValid},
      {"SC130Tr4/Par1", Field::kValidity, kInvalid},
      {"SC136/GW1", Field::kValidity, kValid},
      {"SC136GW1", Field::kValidity, kValid},
      {"SC130Tr7/Par2", Field::kValidity, kValid},
      {"SC132Inx4", Field::kValidity, kValid},
      {"SC136/GW2", Field::kValidity, kValid},
      {"SC136GW2", Field::kValidity, kValid},
      {"SC130Tr7/Par3", Field::kValidity, kValid},
      {"SC132Inx5", Field::kValidity, kValid},
      // The button's nested run gives its values, the command-130 state's
      // later run its transient value only.
      {"SC136/GW1", Field::kT, I16(0)},
      {"SC136/GW1", Field::kD, I16(1)}},
     kLimitContactNotices},
    {"InductiveLimitContacts", "SC130Tr6/Par2", I16(1), 0, 1,
     {{"SC128Tr12/Par3", Field::kValidity, kValid},
      {"SC130Tr5/Par3", Field::kValidity, kValid},
      {"SC128Tr12/Par4", Field::kValidity, kValid},
      {"SC130Tr5/Par4", Field::kValidity, kValid},
      {"SC130Tr4/Par1", Field::kValidity, kInvalid},
      {"SC136/GW1", Field::kValidity, kValid},
      {"SC136GW1", Field::kValidity, kValid},
      {"SC130Tr7/Par2", Field::kValidity, kValid},
      {"SC132Inx4", Field::kValidity, kValid},
      {"SC136/GW2", Field::kValidity, kValid},
      {"SC136GW2", Field::kValidity, kValid},
      {"SC130Tr7/Par3", Field::kValidity, kValid},
      {"SC132Inx5", Field::kValidity, kValid}},
     {{"SC128Tr12/Par3", Field::kValidity, kInvalid},
      {"SC130Tr5/Par3", Field::kValidity, kInvalid},
      {"SC128Tr12/Par4", Field::kValidity, kInvalid},
      {"SC130Tr5/Par4", Field::kValidity, kInvalid},
      {"SC130Tr4/Par1", Field::kValidity, kValid},
      {"SC136/GW1", Field::kValidity, kInvalid},
      {"SC136GW1", Field::kValidity, kInvalid},
      {"SC130Tr7/Par2", Field::kValidity, kInvalid},
      {"SC132Inx4", Field::kValidity, kInvalid},
      {"SC136/GW2", Field::kValidity, kInvalid},
      {"SC136GW2", Field::kValidity, kInvalid},
      {"SC130Tr7/Par3", Field::kValidity, kInvalid},
      {"SC132Inx5", Field::kValidity, kInvalid}},
     kLimitContactNotices},
    {"PositionTransmitterFitted", "SC130Tr6/Par4", I16(1), 0, 1, {},
     {{"SC130Tr5/Par2", Field::kValidity, kValid},
      {"SC128Tr15/Par2", Field::kValidity, kValid},
      {"SC132Inx6", Field::kValidity, kValid}},
     {"SC130Tr5/Par2", "SC128Tr15/Par2", "SC132Inx6", "SC130Tr6/Par4"}},
    {"PositionTransmitterAbsent", "SC130Tr6/Par4", I16(0), 0, 1,
     {{"SC130Tr5/Par2", Field::kValidity, kValid},
      {"SC128Tr15/Par2", Field::kValidity, kValid},
      {"SC132Inx6", Field::kValidity, kValid}},
     {{"SC130Tr5/Par2", Field::kValidity, kInvalid},
      {"SC128Tr15/Par2", Field::kValidity, kInvalid},
      {"SC132Inx6", Field::kValidity, kInvalid}},
     {"SC130Tr5/Par2", "SC128Tr15/Par2", "SC132Inx6", "SC130Tr6/Par4"}},
    {"ForcedVentingFitted", "SC130Tr6/Par3", I16(1), 0, 1, {},
     {{"SC130Tr8/Par1", Field::kValidity, kValid}},
     {"SC130Tr8/Par1", "SC130Tr6/Par3"}},
    {"ForcedVentingAbsent", "SC130Tr6/Par3", I16(0), 0, 1,
     {{"SC130Tr8/Par1", Field::kValidity, kValid}},
     {{"SC130Tr8/Par1", Field::kValidity, kInvalid}},
     {"SC130Tr8/Par1", "SC130Tr6/Par3"}},

    // Switching states read with command 130 or commanded by a button.
    {"Gw1ReadGivesTransientOnly", "SC130Tr7/Par2", I16(1), 1, 1, {},
     {{"SC136/GW1", Field::kT, I16(1)}, {"SC136/GW1", Field::kD, kEmpty}},
     {"SC136/GW1", "SC130Tr7/Par2"}},
    {"Gw1Commanded", "SC136GW1", I16(1), 0, 1, {{"SC136GW1", Field::kD, I16(1)}},
     {{"SC136/GW1", Field::kT, I16(1)}, {"SC136/GW1", Field::kD, I16(1)}},
     {"SC136/GW1", "SC136GW1"}},
    {"Gw2ReadGivesTransientOnly", "SC130Tr7/Par3", I16(1), 1, 1, {},
     {{"SC136/GW2", Field::kT, I16(1)}, {"SC136/GW2", Field::kD, kEmpty}},
     {"SC136/GW2", "SC130Tr7/Par3"}},
    {"Gw2Commanded", "SC136GW2", I16(1), 0, 1, {{"SC136GW2", Field::kD, I16(1)}},
     {{"SC136/GW2", Field::kT, I16(1)}, {"SC136/GW2", Field::kD, I16(1)}},
     {"SC136/GW2", "SC136GW2"}},
    {"FaultAlarmReadGivesTransientOnly", "SC130Tr7/Par4", I16(1), 1, 1, {},
     {{"SC136/FaultAl", Field::kT, I16(1)}, {"SC136/FaultAl", Field::kD, kEmpty}},
     {"SC136/FaultAl", "SC130Tr7/Par4"}},
    {"FaultAlarmCommanded", "SC136FaultAl", I16(1), 0, 1, {{"SC136FaultAl", Field::kD, I16(1)}},
     {{"SC136/FaultAl", Field::kT, I16(1)}, {"SC136/FaultAl", Field::kD, I16(1)}},
     {"SC136/FaultAl", "SC136FaultAl"}},

    // Set times against the device's minimum times: the set time's own
    // rule gives no notice.
    {"ClosingTimeBelowMinimumLeavesDownload", "SC128Tr10/Par2", I16(10), 0, 1,
     {{"SC128Tr13/Par3", Field::kT, I16(12)}},
     {{"SC128Tr10/Par2", Field::kMode, Word(0x2000090)}},
     {"SC128Tr10/Par2"}},
    {"ClosingTimeEqualToMinimumIsDownloaded", "SC128Tr10/Par2", I16(12), 0, 1,
     {{"SC128Tr13/Par3", Field::kT, I16(12)}, {"SC128Tr10/Par2", Field::kMode, Word(0x2000090)}},
     {{"SC128Tr10/Par2", Field::kMode, Word(0x2000092)}},
     {"SC128Tr10/Par2"}},
    {"ClosingTimeAboveMinimumIsDownloaded", "SC128Tr10/Par2", I16(15), 0, 1,
     {{"SC128Tr13/Par3", Field::kT, I16(12)}, {"SC128Tr10/Par2", Field::kMode, Word(0x2000090)}},
     {{"SC128Tr10/Par2", Field::kMode, Word(0x2000092)}},
     {"SC128Tr10/Par2"}},
    {"MinimumClosingTimeAboveSetTime", "SC128Tr13/Par3", I16(20), 1, 1,
     {{"SC128Tr10/Par2", Field::kT, I16(10)}},
     {{"SC128Tr10/Par2", Field::kMode, Word(0x2000090)},
      {"SC128Tr10/Par3", Field::kMode, Word(0x2000092)}},
     {"SC128Tr10/Par2", "SC128Tr13/Par3"}},
    {"MinimumClosingTimeEqualToSetTime", "SC128Tr13/Par3", I16(10), 1, 1,
     {{"SC128Tr10/Par2", Field::kT, I16(10)}, {"SC128Tr10/Par2", Field::kMode, Word(0x2000090)}},
     {{"SC128Tr10/Par2", Field::kMode, Word(0x2000092)}},
     {"SC128Tr10/Par2", "SC128Tr13/Par3"}},
    {"OpeningTimeBelowMinimumLeavesDownload", "SC128Tr10/Par3", I16(10), 0, 1,
     {{"SC128Tr13/Par4", Field::kT, I16(12)}},
     {{"SC128Tr10/Par3", Field::kMode, Word(0x2000090)},
      {"SC128Tr10/Par2", Field::kMode, Word(0x2000092)}},
     {"SC128Tr10/Par3"}},
    {"OpeningTimeEqualToMinimumIsDownloaded", "SC128Tr10/Par3", I16(12), 0, 1,
     {{"SC128Tr13/Par4", Field::kT, I16(12)}, {"SC128Tr10/Par3", Field::kMode, Word(0x2000090)}},
     {{"SC128Tr10/Par3", Field::kMode, Word(0x2000092)}},
     {"SC128Tr10/Par3"}},
    {"MinimumOpeningTimeAboveSetTime", "SC128Tr13/Par4", I16(20), 1, 1,
     {{"SC128Tr10/Par3", Field::kT, I16(10)}},
     {{"SC128Tr10/Par3", Field::kMode, Word(0x2000090)},
      {"SC128Tr10/Par2", Field::kMode, Word(0x2000092)}},
     {"SC128Tr10/Par3", "SC128Tr13/Par4"}},
    {"MinimumOpeningTimeBelowSetTime", "SC128Tr13/Par4", I16(5), 1, 1,
     {{"SC128Tr10/Par3", Field::kT, I16(10)}, {"SC128Tr10/Par3", Field::kMode, Word(0x2000090)}},
     {{"SC128Tr10/Par3", Field::kMode, Word(0x2000092)}},
     {"SC128Tr10/Par3", "SC128Tr13/Par4"}},

    {"StatusByteThreeChangesNothing", "CC048/St3", I16(0x09), 1, 1, {},
     {{"CC048/St3", Field::kT, I16(0x09)}},
     {"CC048/St3"}},

    // Results of a command group, at depth 1 from the device only.
    {"Command0AnsweredConfirmsAddressAndClearsMembers", "UC000/", kEmpty, 1, 1,
     {{"~/Address", Field::kT, I16(3)}, {"UC000/ManuId", Field::kFlags, Word(0x20001)}},
     {{"~/Address", Field::kD, I16(3)},
      {"UC006", Field::kT, I16(0)},
      {"UC000/ManuId", Field::kFlags, Word(0x1)},
      {"UC000/DevId", Field::kFlags, Word(0x1)},
      {"UC000/SerNum", Field::kFlags, Word(0x1)}},
     {"~/Address", "UC000/ManuId", "UC000/"}},
    {"Command0FailedGivesItsErrorToMembers", "UC000/", kEmpty, 1, 1,
     {{"UC000/", Field::kFlags, Word(0x30000)},
      {"~/Address", Field::kT, I16(3)},
      {"UC000/DevId", Field::kFlags, Word(0x50001)}},
     {{"~/Address", Field::kD, kEmpty},
      {"UC000/ManuId", Field::kFlags, Word(0x30001)},
      {"UC000/DevId", Field::kFlags, Word(0x30001)},
      {"UC000/SerNum", Field::kFlags, Word(0x30001)}},
     {"UC000/ManuId", "UC000/DevId", "UC000/SerNum", "UC000/"}},
    {"GroupRulesNeedTheStateFlag", "UC000/", kEmpty, 0, 1,
     {{"UC000/", Field::kFlags, Word(0x30000)},
      {"~/Address", Field::kT, I16(3)},
      {"UC000/ManuId", Field::kFlags, Word(0x20001)}},
     {{"~/Address", Field::kD, kEmpty},
      {"UC000/ManuId", Field::kFlags, Word(0x20001)},
      {"UC000/DevId", Field::kFlags, Word(0x1)}},
     {"UC000/"}},
    {"GroupRulesOnlyOutermost", "UC000/", kEmpty, 1, 2,
     {{"UC000/", Field::kFlags, Word(0x30000)},
      {"~/Address", Field::kT, I16(3)},
      {"UC000/ManuId", Field::kFlags, Word(0x20001)}},
     {{"~/Address", Field::kD, kEmpty},
      {"UC000/ManuId", Field::kFlags, Word(0x20001)},
      {"UC000/DevId", Field::kFlags, Word(0x1)}},
     {}},
    {"GroupSkipsMembersTransferredBothWays", "SC128Tr10/", kEmpty, 1, 1,
     {{"SC128Tr10/", Field::kFlags, Word(0x10000)},
      {"SC128Tr10/Par1", Field::kMode, Word(0x2000093)}},
     {{"SC128Tr10/Par1", Field::kFlags, Word(0)},
      {"SC128Tr10/Par2", Field::kFlags, Word(0x10000)},
      {"SC128Tr10/Par3", Field::kFlags, Word(0x10000)},
      {"SC128Tr10/Par4", Field::kFlags, Word(0x10000)}},
     {"SC128Tr10/Par2", "SC128Tr10/Par3", "SC128Tr10/Par4", "SC128Tr10/"}},
};

class DependencyRuleTable : public DependencyRules,
                            public ::testing::WithParamInterface<RuleCase> {};

TEST_P(DependencyRuleTable, GivesItsEffectsAndNotices) {
  const RuleCase& c = GetParam();
  Give(c.given);
  const auto trigger = Element(c.trigger);
  if (!c.value.IsEmpty()) trigger->TransientValue = c.value;
  Parameters().SetStateFlag(c.state_flag);
  page_->notices.clear();
  if (c.depth == 1) {
    Parameters().NotifyChanged(trigger, "");
  } else {
    std::int32_t depth = c.depth;
    DataModelHelpers::OnElementChanged(trigger, Parameters(), Context(), depth);
    EXPECT_EQ(depth, c.depth);
  }
  ExpectFields(c.expected);
  EXPECT_EQ(page_->notices, c.notices);
}

INSTANTIATE_TEST_SUITE_P(Table, DependencyRuleTable, ::testing::ValuesIn(kRuleCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- The travel pick-up fits the actuator -------------------------------------------

struct PickUpCase {
  const char* name;
  int actuator;  // 0 linear, 1 rotary
  com::Variant before;
  com::Variant after;
};

const PickUpCase kPickUpCases[] = {
    {"LinearKeepsD1", 0, I16(1), I16(1)},    {"LinearKeepsD2", 0, I16(2), I16(2)},
    {"LinearFromS90ToD1", 0, I16(3), I16(1)}, {"LinearFromS120ToD1", 0, I16(4), I16(1)},
    {"RotaryFromD1ToS90", 1, I16(1), I16(3)}, {"RotaryFromD2ToS90", 1, I16(2), I16(3)},
    {"RotaryKeepsS90", 1, I16(3), I16(3)},    {"RotaryKeepsS120", 1, I16(4), I16(4)},
};

class TravelPickUp : public DependencyRules, public ::testing::WithParamInterface<PickUpCase> {};

// The pick-up is announced whether it changed or not, right before the
// actuator type itself.
TEST_P(TravelPickUp, FitsTheActuatorAndIsAnnounced) {
  Element("SC130Tr2/Par1")->TransientValue = GetParam().before;
  Change("SC130Tr1/Par2", I16(GetParam().actuator));
  EXPECT_EQ(Show(Element("SC130Tr2/Par1")->TransientValue), Show(GetParam().after));
  ASSERT_GE(page_->notices.size(), 2u);
  EXPECT_EQ(page_->notices[page_->notices.size() - 2], "SC130Tr2/Par1");
}

INSTANTIATE_TEST_SUITE_P(Table, TravelPickUp, ::testing::ValuesIn(kPickUpCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- Values that are no number ----------------------------------------------------

// A data set or a caller may put any value into an element; the rules that
// compare it with numbers must not end the change that announced it.
struct NoNumberCase {
  const char* name;
  const char* trigger;
  com::Variant value;
};

const NoNumberCase kNoNumberCases[] = {
    {"ActuatorText", "SC130Tr1/Par2", Text("hello")},
    {"ActuatorNull", "SC130Tr1/Par2", com::Variant::Null()},
    {"ActuatorBytes", "SC130Tr1/Par2", com::Variant(com::ByteArray{1})},
    {"AttachmentText", "SC130Tr1/Par1", Text("hello")},
    {"LimitContactText", "SC130Tr6/Par2", Text("hello")},
    {"PositionTransmitterNull", "SC130Tr6/Par4", com::Variant::Null()},
    {"ForcedVentingText", "SC130Tr6/Par3", Text("hello")},
    {"OperatingModeText", "SC130Tr8/Par2", Text("hello")},
    {"SetTimeText", "SC128Tr10/Par2", Text("hello")},
    {"MinimumTimeNull", "SC128Tr13/Par4", com::Variant::Null()},
};

class NoNumber : public DependencyRules, public ::testing::WithParamInterface<NoNumberCase> {};

TEST_P(NoNumber, ComparesFalseAndEndsNothing) {
  EXPECT_NO_THROW(Change(GetParam().trigger, GetParam().value));
  EXPECT_EQ(Show(Element(GetParam().trigger)->TransientValue), Show(GetParam().value));
  ASSERT_FALSE(page_->notices.empty());
  EXPECT_EQ(page_->notices.back(), GetParam().trigger);
}

INSTANTIATE_TEST_SUITE_P(Table, NoNumber, ::testing::ValuesIn(kNoNumberCases),
                         [](const auto& i) { return std::string(i.param.name); });

// The travel limits speak of angles for a rotary actuator: the actuator
// rule applies the texts again, in the dictionary's selected language.
struct ActuatorTextCase {
  const char* name;
  std::int32_t language;
  std::int16_t actuator_type;
  const char* path;
  std::string clsDataElement::*field;
  const char* text;
};

const ActuatorTextCase kActuatorTextCases[] = {
    {"EnglishRotaryUpperLimit", 9, 1, "SC128Tr11/Par1", &clsDataElement::Description,
     "Upper angle limit (0...120%)"},
    {"EnglishLinearUpperLimit", 9, 0, "SC128Tr11/Par1", &clsDataElement::Description,
     "Upper travel limit (0...120%)"},
    {"EnglishRotaryLowerLimit", 9, 1, "SC128Tr11/Par2", &clsDataElement::Description,
     "Lower angle limit (-20...99.9%)"},
    {"EnglishLinearLowerLimit", 9, 0, "SC128Tr11/Par2", &clsDataElement::Description,
     "Lower travel limit (-20...99.9%)"},
    {"GermanRotaryLowerLimit", 7, 1, "SC128Tr11/Par2", &clsDataElement::Description,
     "Untere Drehwinkelbegrenzung (-20...99,9%)"},
    {"GermanLinearLowerLimit", 7, 0, "SC128Tr11/Par2", &clsDataElement::Description,
     "Untere Hubbegrenzung (-20...99,9%)"},
    {"GermanRotaryMaximum", 7, 1, "SC128Tr14/Par2", &clsDataElement::Prompt, "Max. Drehwinkel"},
    {"GermanLinearMaximum", 7, 0, "SC128Tr14/Par2", &clsDataElement::Prompt, "Max. Hub/Winkel"},
    {"EnglishRotaryFailSafe", 9, 1, "SC130Tr6/Par1", &clsDataElement::ValueList,
     "0:Counter-clockwise|1:Clockwise|2:Unknown|3:None"},
    {"GermanRotaryFailSafe", 7, 1, "SC130Tr6/Par1", &clsDataElement::ValueList,
     "0:Linksdrehend (gegen Uhrzeigersinn)|1:Rechtsdrehend (im Uhrzeigersinn)|2:Unbekannt|"
     "3:Keine"},
    {"GermanLinearFailSafe", 7, 0, "SC130Tr6/Par1", &clsDataElement::ValueList,
     "0:Stange einfahrend|1:Stange ausfahrend|2:Unbekannt|3:Keine"},
    {"GermanRotaryKeepsOtherTexts", 7, 1, "SC128Tr3/Par4", &clsDataElement::Prompt, "Tote Zone"},
};

class ActuatorTexts : public DependencyRules,
                      public ::testing::WithParamInterface<ActuatorTextCase> {};

TEST_P(ActuatorTexts, FollowTheActuatorType) {
  const ActuatorTextCase& c = GetParam();
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(c.language));
  // From the other type, so that the rule has something to change.
  Change("SC130Tr1/Par2", I16(c.actuator_type == 1 ? 0 : 1));
  Change("SC130Tr1/Par2", I16(c.actuator_type));
  EXPECT_EQ((*Element(c.path)).*c.field, c.text);
}

INSTANTIATE_TEST_SUITE_P(Table, ActuatorTexts, ::testing::ValuesIn(kActuatorTextCases),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- The data model's runs ---------------------------------------------------------------

// The mirror and its nested run through the data model: the nested notice
// for the device's tag comes back at depth 2 and is not mirrored again, so
// the instance's tag is announced once, after the device's.
TEST_F(DependencyRules, NestedRunOfAMirrorSeesDepthTwo) {
  Change("~/Tag", Text("PV_101"));
  EXPECT_EQ(Show(Element("UC013/Tag")->TransientValue), Show(Text("PV_101")));
  EXPECT_EQ(page_->notices, (Notices{"UC013/Tag", "~/Tag"}));
  // The level is back at 0: the next edit mirrors again.
  Change("UC013/Tag", Text("PV_102"));
  EXPECT_EQ(Show(Element("~/Tag")->TransientValue), Show(Text("PV_102")));
  EXPECT_EQ(page_->notices, (Notices{"~/Tag", "UC013/Tag"}));
}

// Every element but the device commands gets a run at depth 1: the tag is
// mirrored, and the fault-alarm button's values never reach the cyclic
// state, which only the command-130 state sets.
TEST_F(DependencyRules, DataSetChangedRunsEveryElementButCommandsAtDepthOne) {
  Element("~/Tag")->TransientValue = Text("NEWTAG");
  Element("SC136FaultAl")->TransientValue = I16(1);
  Element("SC136FaultAl")->DeviceValue = I16(1);
  Element("SC130Tr7/Par4")->TransientValue = I16(0);
  Model().IPrivateDataModel_DataSetChanged(Context());
  ExpectFields({{"UC013/Tag", Field::kT, Text("NEWTAG")},
                {"SC136/FaultAl", Field::kT, I16(0)},
                {"SC136/FaultAl", Field::kD, kEmpty}});
}

TEST_F(DependencyRules, DataSetChangedFromTheDeviceRunsTheGroupRules) {
  Element("UC000/")->SetStatusFlags(0x20000);
  Parameters().SetStateFlag(1);
  Model().IPrivateDataModel_DataSetChanged(Context());
  ExpectFields({{"UC000/ManuId", Field::kFlags, Word(0x20001)},
                {"UC000/SerNum", Field::kFlags, Word(0x20001)}});
}

// What the initial options of a new instance give: no software or inductive
// limit-contact outputs, no position transmitter, no forced venting; a
// linear actuator in integral attachment.
struct InitialValidity {
  const char* path;
  bool valid;
};

const InitialValidity kInitialValidities[] = {
    {"SC128Tr12/Par3", false}, {"SC130Tr5/Par3", false}, {"SC128Tr12/Par4", false},
    {"SC130Tr5/Par4", false},  {"SC130Tr4/Par1", true},  {"SC136/GW1", false},
    {"SC136GW1", false},       {"SC130Tr7/Par2", false}, {"SC132Inx4", false},
    {"SC136/GW2", false},      {"SC136GW2", false},      {"SC130Tr7/Par3", false},
    {"SC132Inx5", false},      {"SC130Tr5/Par2", false}, {"SC128Tr15/Par2", false},
    {"SC132Inx6", false},      {"SC130Tr8/Par1", false}, {"SC128Tr1/Par1", false},
    {"SC128Tr2/Par2", true},   {"SC128Tr2/Par1", false}, {"SC130Tr2/Par1", true},
    {"SC128Tr15/Par1", false},
};

TEST_F(DependencyRules, NewInstanceHasTheValidityOfItsInitialOptions) {
  for (const InitialValidity& entry : kInitialValidities) {
    EXPECT_EQ(Element(entry.path)->Validity(), entry.valid) << entry.path;
  }
}

// ---- The tag that the device cannot hold -----------------------------------------------------

struct TagCase {
  const char* name;
  const char* tag;
  std::int32_t flags_before;  // of the device's tag
  std::int32_t flags_after;
  std::int32_t data_set_state;
};

const TagCase kTagCases[] = {
    {"TenCharactersMarkedTooLong", "VALVE_1234", 0x0, 0x5000, 2},
    {"NineCharactersMarkedTooLong", "VALVE_123", 0x0, 0x5000, 2},
    {"EightCharactersFit", "VALVE_12", 0x5000, 0x0, 1},
    {"FitKeepsOtherFlags", "V1", 0x5020, 0x20, 1},
    {"TooLongReplacesAnotherInputError", "VALVE_1234", 0x6000, 0x5000, 2},
    // Only the length is judged here, and only its own mark cleared.
    {"InvalidCharactersClearTheMark", "tag_2", 0x5000, 0x0, 1},
    {"FitKeepsAnInvalidCharacterError", "V1", 0x6020, 0x6020, 2},
    {"FitKeepsANotNumericError", "V1", 0x2000, 0x2000, 2},
};

class TagMend : public DependencyRules, public ::testing::WithParamInterface<TagCase> {};

TEST_P(TagMend, DeviceTagCarriesTheLengthError) {
  Element("UC013/Tag")->SetStatusFlags(GetParam().flags_before);
  Change("~/Tag", Text(GetParam().tag));
  EXPECT_EQ(Show(Element("UC013/Tag")->TransientValue), Show(Text(GetParam().tag)));
  EXPECT_EQ(Element("UC013/Tag")->StatusFlags(), GetParam().flags_after);
  EXPECT_EQ(Parameters().DataSetState(), GetParam().data_set_state);
}

INSTANTIATE_TEST_SUITE_P(Table, TagMend, ::testing::ValuesIn(kTagCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(DependencyRules, DownloadRefusesATagTooLongForTheDevice) {
  Change("~/Tag", Text("VALVE_1234"));
  messages_.entries.clear();
  EXPECT_FALSE(dtm_->IDtmOnlineParameter_DownloadRequest("d1", ""));
  ASSERT_EQ(messages_.entries.size(), 1u);
  EXPECT_EQ(messages_.entries[0].text,
            "The parameter download cannot be started: the data set is inconsistent.");
}

// The instance's tag from the device is not mirrored: the device's tag
// keeps its too long value and its mark.
TEST_F(DependencyRules, TagFromTheDeviceLeavesTheDeviceTagFlags) {
  Change("~/Tag", Text("VALVE_1234"));
  Parameters().SetStateFlag(1);
  Change("~/Tag", Text("VALVE_12"));
  EXPECT_EQ(Show(Element("UC013/Tag")->TransientValue), Show(Text("VALVE_1234")));
  EXPECT_EQ(Element("UC013/Tag")->StatusFlags(), 0x5000);
  EXPECT_EQ(Parameters().DataSetState(), 2);
}

// After a tag too long for the device, a fitting tag that comes with the
// device's tag (an edit of it, or a read from the device) clears the mark
// and makes the data set consistent again.
struct FittingDeviceTagCase {
  const char* name;
  std::int32_t state_flag;
  std::int32_t flags_before;  // of the device's tag, once the long tag is in
  std::int32_t flags_after;
  std::int32_t data_set_state;
};

const FittingDeviceTagCase kFittingDeviceTagCases[] = {
    {"Edited", 0, 0x5000, 0x0, 1},
    {"ReadFromTheDevice", 1, 0x5000, 0x0, 1},
    {"ReadKeepsOtherFlags", 1, 0x5020, 0x20, 1},
    {"ReadKeepsAnInvalidCharacterError", 1, 0x6000, 0x6000, 2},
};

class FittingDeviceTag : public DependencyRules,
                         public ::testing::WithParamInterface<FittingDeviceTagCase> {};

TEST_P(FittingDeviceTag, ClearsOnlyTheLengthMark) {
  Change("~/Tag", Text("VALVE_1234"));
  ASSERT_EQ(Element("UC013/Tag")->StatusFlags(), 0x5000);
  Element("UC013/Tag")->SetStatusFlags(GetParam().flags_before);
  Parameters().SetStateFlag(GetParam().state_flag);
  Change("UC013/Tag", Text("PLANT_9"));
  EXPECT_EQ(Element("UC013/Tag")->StatusFlags(), GetParam().flags_after);
  EXPECT_EQ(Show(Element("~/Tag")->TransientValue), Show(Text("PLANT_9")));
  EXPECT_EQ(Parameters().DataSetState(), GetParam().data_set_state);
  EXPECT_EQ(page_->notices, (Notices{"~/Tag", "UC013/Tag"}));
}

INSTANTIATE_TEST_SUITE_P(Table, FittingDeviceTag, ::testing::ValuesIn(kFittingDeviceTagCases),
                         [](const auto& i) { return std::string(i.param.name); });

// The whole way: an upload of command 13 brings the fitting tag "VALVE_12"
// (packed), which the mirror passes into the instance's tag.
class TagReadFromTheDevice : public hart::HartFixture {};

TEST_F(TagReadFromTheDevice, ClearsTheLengthMarkAndTheDataSetIsConsistentAgain) {
  clsDataElement& instance_tag = Element("~/Tag");
  instance_tag.TransientValue = com::Variant("VALVE_1234");
  Context().Parameters().NotifyChanged(Ptr("~/Tag"), "");
  ASSERT_EQ(Element("UC013/Tag").StatusFlags() & 0xF000, 0x5000);
  ASSERT_EQ(Context().Parameters().DataSetState(), 2);

  ConnectDevice([](const runtime::HartRequest& request) {
    if (request.command != 13) return hart::Reply(request.command, 0x40);
    hart::Bytes data = {0x58, 0x13, 0x16, 0x15, 0xFC, 0x72};  // "VALVE_12"
    for (int i = 0; i < 4; ++i) data.insert(data.end(), {0x82, 0x08, 0x20});  // blanks
    data.insert(data.end(), {10, 12, 126});  // 10.12.2026
    return hart::Reply(13, 0x00, data);
  });
  EXPECT_EQ(Transfer("UC013/", false), std::vector<std::int32_t>{0});
  EXPECT_EQ(Show(Element("UC013/Tag").TransientValue), Show(com::Variant("VALVE_12")));
  EXPECT_EQ(Show(instance_tag.TransientValue), Show(com::Variant("VALVE_12")));
  EXPECT_EQ(Element("UC013/Tag").StatusFlags() & 0xF000, 0);
  EXPECT_EQ(Context().Parameters().DataSetState(), 1);
}

// ---- Errors end the run ------------------------------------------------------------------------

struct Raised {
  std::int32_t number = 0;
  std::string source, description, help_file;
  std::int32_t help_context = 0;
};

template <class F>
Raised RaisedBy(F&& f) {
  try {
    f();
  } catch (const com::ComError& error) {
    return {error.Number(), error.Source(), error.Description(), error.HelpFile(),
            error.HelpContext()};
  }
  return {};
}

// A collection of the test's own: the elements named, plus "DataStatus",
// which the data model marks after each change.
class RulesOnAPartialCollection : public DependencyRules {
 protected:
  void SetUp() override {
    DependencyRules::SetUp();
    Parameters().Clear();
    DataModelHelpers::AddDataElement(Parameters(), "DataStatus", I16(0), kVtUInt8, -1);
  }

  std::shared_ptr<clsDataElement> Add(const std::string& path, std::int32_t type,
                                      std::int32_t length = -1) {
    return DataModelHelpers::AddDataElement(Parameters(), path, com::Variant(), type, length);
  }

  // The mirror acts at depth 1 only: it shows that the nesting level is
  // back at 0 after a failed run.
  void ExpectTagMirrored() {
    if (!Parameters().Find("UC013/Tag")) Add("UC013/Tag", kVtText, 8);
    Change("~/Tag", Text("AFTER"));
    EXPECT_EQ(Show(Element("UC013/Tag")->TransientValue), Show(Text("AFTER")));
  }
};

TEST_F(RulesOnAPartialCollection, MissingPathEndsTheRunAndTheLevelIsRestored) {
  Add("~/Tag", kVtText, 10);
  const Raised raised = RaisedBy([&] { Change("~/Tag", Text("T1")); });
  EXPECT_EQ(raised.number, 9);
  EXPECT_EQ(raised.source, "Parameters");
  EXPECT_EQ(raised.description, "Subscript out of range: UC013/Tag");
  ExpectTagMirrored();
}

// The nested run of the operating-mode setting fails; the copy already made
// stays, and both levels are restored.
TEST_F(RulesOnAPartialCollection, MissingPathInANestedRunReachesTheOuterCaller) {
  Add("~/Tag", kVtText, 10);
  Add("SC130Tr8/Par2", kVtUInt8)->SetStatusFlags(0x2);
  Add("SC136/OpMode", kVtUInt8);
  const Raised raised = RaisedBy([&] { Change("SC136/OpMode", I16(1)); });
  EXPECT_EQ(raised.number, 9);
  EXPECT_EQ(raised.description, "Subscript out of range: SC128Tr15/Par1");
  EXPECT_EQ(Show(Element("SC130Tr8/Par2")->TransientValue), Show(I16(1)));
  ExpectTagMirrored();
}

// A member that fails when the group rule reads it: the error reaches the
// caller with every part as it was raised.
class FailingMember final : public clsDataElement {
 public:
  std::int32_t IPrivateDataElement_ElementMode() const override {
    throw com::ComError(1001, "member unreadable", "Member", "member.hlp", 42);
  }
};

TEST_F(RulesOnAPartialCollection, ErrorOfAGroupMemberKeepsEveryPart) {
  Add("~/Tag", kVtText, 10);
  Add("G/", kVtNone);
  auto member = std::make_shared<FailingMember>();
  member->Name = "G/x";
  Parameters().Add(member);
  Parameters().SetStateFlag(1);
  const Raised raised = RaisedBy([&] { Change("G/", kEmpty); });
  EXPECT_EQ(raised.number, 1001);
  EXPECT_EQ(raised.source, "Member");
  EXPECT_EQ(raised.description, "member unreadable");
  EXPECT_EQ(raised.help_file, "member.hlp");
  EXPECT_EQ(raised.help_context, 42);
  Parameters().SetStateFlag(0);
  ExpectTagMirrored();
}

}  // namespace
}  // namespace dtm::testing
