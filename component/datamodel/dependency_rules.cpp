// The rules that keep related elements consistent: the instance's tag and
// polling address mirror the HART command elements, settings follow their
// cyclic read-backs, configuration-dependent elements become valid or
// invalid, set times below the device's minimum leave the download, and a
// command group's communication error reaches its members.
//
// Every change a rule makes is announced through the collection, which runs
// the rules again for the changed element before the notice returns. Under a
// run for one changed element the nested run sees a depth above 1, so the
// mirrors and the group rules do not answer their own changes (under the
// whole data set's runs the data model's counter starts from 0, and a
// mirror may answer once, with the values it was just given). All other
// rules converge by themselves (each
// copy between a setting and its read-back is guarded by the setting's
// dynamic bit, so at most one direction applies).

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model_helpers.h"
#include "platform/com/error.h"
#include "platform/com/variant.h"
#include "platform/runtime/context.h"
#include "platform/runtime/parameters.h"

namespace dtm::DataModelHelpers {
namespace {

constexpr char kSource[] = "DataModelHelpers";

// One run of the rules for one changed element.
struct Run {
  clsDataElement& element;
  runtime::Parameters& parameters;
  runtime::DTMContext& context;
  const std::int32_t& depth;  // the caller's counter, read as it stands

  // A change that no other run of the rules caused.
  bool Outermost() const { return depth == 1; }
  // The change comes from device communication (a decoded response).
  bool FromDevice() const { return parameters.StateFlag() != 0; }

  // Raises Subscript out of range for a path the collection does not hold.
  std::shared_ptr<clsDataElement> Item(const std::string& path) const {
    auto found = std::dynamic_pointer_cast<clsDataElement>(parameters.Item(path));
    if (!found) com::ThrowTypeMismatch(kSource);
    return found;
  }

  void Notify(const std::shared_ptr<clsDataElement>& changed) const {
    parameters.NotifyChanged(changed, "");
  }

  void SetValidity(const std::string& path, bool valid) const {
    const auto target = Item(path);
    target->SetValidity(valid);
    Notify(target);
  }
};

// Numeric comparisons of values with the language's conversions; Empty
// counts as 0. A value that is no number (Null, a text such as "hello",
// bytes), which a data set or a caller may have put into any element,
// matches no option and passes no limit: every comparison with it is false.
std::optional<double> NumberOf(const com::Variant& value) {
  if (!value.IsNumeric()) return std::nullopt;
  return value.ToDouble();
}
bool Equals(const com::Variant& value, int number) {
  const std::optional<double> v = NumberOf(value);
  return v && *v == number;
}
bool Greater(const com::Variant& a, const com::Variant& b) {
  const std::optional<double> x = NumberOf(a);
  const std::optional<double> y = NumberOf(b);
  return x && y && *x > *y;
}
bool Greater(const com::Variant& value, int number) {
  const std::optional<double> v = NumberOf(value);
  return v && *v > number;
}
bool Less(const com::Variant& value, int number) {
  const std::optional<double> v = NumberOf(value);
  return v && *v < number;
}

void CopyValues(const clsDataElement& from, clsDataElement& to) {
  to.DeviceValue = from.DeviceValue;
  to.TransientValue = from.TransientValue;
  to.PersistentValue = from.PersistentValue;
}

void CopyTransientAndDevice(const clsDataElement& from, clsDataElement& to) {
  to.TransientValue = from.TransientValue;
  to.DeviceValue = from.DeviceValue;
}

// ---- Mirrors of the instance's tag and polling address -------------------------

// The device holds 8 characters of the tag, the instance 10: a longer tag
// must not be cut on its way into the device, so the device's tag carries
// the input error and the data set reads as inconsistent until it fits.
// Either tag may bring the fitting one (an edit, or a device read that the
// mirror passes on), so the device's tag is judged on every change of
// either. Only the mark of this check goes: another input error of the
// device's tag (an invalid character) is its own check's business.
// Answers whether the flags changed.
bool MarkTagLength(const Run& run, clsDataElement& device_tag) {
  const std::int32_t old_flags = device_tag.StatusFlags();
  const bool too_long = device_tag.CalcParamErrorFlags(run.context, device_tag.TransientValue) ==
                        flags::kTextTooLong;
  if (too_long) {
    device_tag.SetStatusFlags((old_flags & ~flags::kInputErrorMask) | flags::kTextTooLong);
  } else if ((old_flags & flags::kInputErrorMask) == flags::kTextTooLong) {
    device_tag.SetStatusFlags(old_flags & ~flags::kInputErrorMask);
  }
  return device_tag.StatusFlags() != old_flags;
}

void InstanceTagChanged(const Run& run) {
  const auto device_tag = run.Item("UC013/Tag");
  if (run.Outermost() && !run.FromDevice()) {
    CopyValues(run.element, *device_tag);
    MarkTagLength(run, *device_tag);
    run.Notify(device_tag);
  } else if (MarkTagLength(run, *device_tag)) {
    run.Notify(device_tag);
  }
}

// The device's tag is announced by the caller of this run.
void DeviceTagChanged(const Run& run) {
  MarkTagLength(run, run.element);
  if (!run.Outermost()) return;
  const auto instance_tag = run.Item("~/Tag");
  CopyValues(run.element, *instance_tag);
  run.Notify(instance_tag);
}

void InstanceAddressChanged(const Run& run) {
  if (!run.Outermost() || run.FromDevice()) return;
  const auto new_address = run.Item("UC006");
  CopyValues(run.element, *new_address);
  run.Notify(new_address);
}

// The command's result (its status flags) tells whether the device now
// answers at the new address.
void NewAddressChanged(const Run& run) {
  if (!run.Outermost()) return;
  const auto address = run.Item("~/Address");
  CopyValues(run.element, *address);
  address->SetStatusFlags(run.element.StatusFlags());
  run.Notify(address);
}

// ---- Settings and their cyclic read-backs --------------------------------------
// A setting carries the dynamic bit while the device's cyclic command is the
// source of its value: then the read-back is copied into the setting, and
// otherwise the setting into the read-back.

void OperatingModeSettingChanged(const Run& run) {
  if ((run.element.StatusFlags() & flags::kDynamic) == 0) {
    const auto read_back = run.Item("SC136/OpMode");
    CopyTransientAndDevice(run.element, *read_back);
    run.Notify(read_back);
  }
  // The manual reference value means something in manual mode only; it
  // becomes valid again only when the device reports manual mode.
  const auto manual_value = run.Item("SC128Tr15/Par1");
  if (!Equals(run.element.TransientValue, 1)) {
    manual_value->SetValidity(false);
    manual_value->SetStatusFlags(manual_value->StatusFlags() & flags::kDynamic);
    manual_value->IgnoreUpdate = false;
    run.Notify(manual_value);
  } else if (run.FromDevice()) {
    manual_value->SetValidity(true);
    run.Notify(manual_value);
  }
}

void OperatingModeReadBackChanged(const Run& run) {
  const auto setting = run.Item("SC130Tr8/Par2");
  if ((setting->StatusFlags() & flags::kDynamic) == 0) return;
  CopyTransientAndDevice(run.element, *setting);
  run.Notify(setting);
}

void ManualValueSettingChanged(const Run& run) {
  if ((run.element.StatusFlags() & flags::kDynamic) != 0) return;
  const auto read_back = run.Item("SC136/wHand");
  CopyTransientAndDevice(run.element, *read_back);
  run.Notify(read_back);
}

void ManualValueReadBackChanged(const Run& run) {
  const auto setting = run.Item("SC128Tr15/Par1");
  if ((setting->StatusFlags() & flags::kDynamic) == 0) return;
  CopyTransientAndDevice(run.element, *setting);
  run.Notify(setting);
}

// ---- Configuration-dependent elements --------------------------------------------

// Lever length and pin position exist for a linear actuator in NAMUR
// attachment; the integral travel pick-up otherwise.
void ApplyNamurAttachment(const Run& run, bool namur_linear) {
  run.SetValidity("SC128Tr2/Par1", namur_linear);
  run.SetValidity("SC130Tr3/Par1", namur_linear);
  run.SetValidity("SC130Tr2/Par1", !namur_linear);
}

void ActuatorTypeChanged(const Run& run) {
  const com::Variant& type = run.element.TransientValue;
  const bool linear = Equals(type, 0);
  const bool rotary = Equals(type, 1);
  const bool namur_linear = linear && Equals(run.Item("SC130Tr1/Par1")->TransientValue, 1);

  run.SetValidity("SC130Tr2/Par2", linear);
  run.SetValidity("SC128Tr2/Par2", linear);
  run.SetValidity("SC128Tr1/Par1", rotary);
  run.SetValidity("SC128Tr2/Par3", linear);
  run.SetValidity("SC128Tr2/Par4", linear);
  run.SetValidity("SC128Tr1/Par2", rotary);
  run.SetValidity("SC128Tr1/Par3", rotary);
  run.SetValidity("SC130Tr1/Par1", linear);
  ApplyNamurAttachment(run, namur_linear);

  // Labels and help of the travel elements name stroke or angle.
  ApplyLanguageTexts(run.context);
  run.context.GUIMan().NotifyTextsChanged();

  // D1/D2 fit a linear actuator, S90/S120 a rotary one.
  const auto pick_up = run.Item("SC130Tr2/Par1");
  if (linear) {
    if (Greater(pick_up->TransientValue, 2)) pick_up->TransientValue = com::Variant(std::int16_t{1});
  } else if (Less(pick_up->TransientValue, 3)) {
    pick_up->TransientValue = com::Variant(std::int16_t{3});
  }
  run.Notify(pick_up);
}

void AttachmentChanged(const Run& run) {
  ApplyNamurAttachment(run, Equals(run.element.TransientValue, 1) &&
                                Equals(run.Item("SC130Tr1/Par2")->TransientValue, 0));
}

void LimitContactOptionChanged(const Run& run) {
  const bool software = Equals(run.element.TransientValue, 2);
  for (const char* path : {"SC128Tr12/Par3", "SC130Tr5/Par3", "SC128Tr12/Par4", "SC130Tr5/Par4"}) {
    run.SetValidity(path, software);
  }
  run.SetValidity("SC130Tr4/Par1", !software);
  for (const char* path : {"SC136/GW1", "SC136GW1", "SC130Tr7/Par2", "SC132Inx4", "SC136/GW2",
                           "SC136GW2", "SC130Tr7/Par3", "SC132Inx5"}) {
    run.SetValidity(path, software);
  }
}

void PositionTransmitterOptionChanged(const Run& run) {
  const bool fitted = Equals(run.element.TransientValue, 1);
  for (const char* path : {"SC130Tr5/Par2", "SC128Tr15/Par2", "SC132Inx6"}) {
    run.SetValidity(path, fitted);
  }
}

void ForcedVentingOptionChanged(const Run& run) {
  run.SetValidity("SC130Tr8/Par1", Equals(run.element.TransientValue, 1));
}

// ---- Switching states read by two commands -----------------------------------------

void StateRead(const Run& run, const std::string& cyclic_path) {
  const auto cyclic = run.Item(cyclic_path);
  cyclic->TransientValue = run.element.TransientValue;
  run.Notify(cyclic);
}

void StateCommanded(const Run& run, const std::string& cyclic_path) {
  const auto cyclic = run.Item(cyclic_path);
  CopyTransientAndDevice(run.element, *cyclic);
  run.Notify(cyclic);
}

// ---- Set times against the device's minimum times ------------------------------------

// A set time below the device's minimum is left out of downloads; equal
// times keep the download bit.
void FitDownload(clsDataElement& set_time, const clsDataElement& minimum) {
  if (Greater(minimum.TransientValue, set_time.TransientValue)) {
    set_time.ElementMode &= ~mode::kDownload;
  } else {
    set_time.ElementMode |= mode::kDownload;
  }
}

void SetTimeChanged(const Run& run, const std::string& minimum_path) {
  FitDownload(run.element, *run.Item(minimum_path));
}

void MinimumTimeChanged(const Run& run, const std::string& set_time_path) {
  const auto set_time = run.Item(set_time_path);
  FitDownload(*set_time, run.element);
  run.Notify(set_time);
}

// ---- The rule of each trigger ----------------------------------------------------------

struct Rule {
  std::string_view trigger;
  void (*apply)(const Run& run);
};

constexpr Rule kRules[] = {
    {"~/Tag", InstanceTagChanged},
    {"UC013/Tag", DeviceTagChanged},
    {"~/Address", InstanceAddressChanged},
    {"UC006", NewAddressChanged},
    {"SC130Tr8/Par2", OperatingModeSettingChanged},
    {"SC136/OpMode", OperatingModeReadBackChanged},
    {"SC128Tr15/Par1", ManualValueSettingChanged},
    {"SC136/wHand", ManualValueReadBackChanged},
    {"SC130Tr1/Par2", ActuatorTypeChanged},
    {"SC130Tr1/Par1", AttachmentChanged},
    {"SC130Tr6/Par2", LimitContactOptionChanged},
    {"SC130Tr6/Par4", PositionTransmitterOptionChanged},
    {"SC130Tr6/Par3", ForcedVentingOptionChanged},
    {"SC130Tr7/Par2", [](const Run& run) { StateRead(run, "SC136/GW1"); }},
    {"SC136GW1", [](const Run& run) { StateCommanded(run, "SC136/GW1"); }},
    {"SC130Tr7/Par3", [](const Run& run) { StateRead(run, "SC136/GW2"); }},
    {"SC136GW2", [](const Run& run) { StateCommanded(run, "SC136/GW2"); }},
    {"SC130Tr7/Par4", [](const Run& run) { StateRead(run, "SC136/FaultAl"); }},
    {"SC136FaultAl", [](const Run& run) { StateCommanded(run, "SC136/FaultAl"); }},
    {"SC128Tr10/Par2", [](const Run& run) { SetTimeChanged(run, "SC128Tr13/Par3"); }},
    {"SC128Tr13/Par3", [](const Run& run) { MinimumTimeChanged(run, "SC128Tr10/Par2"); }},
    {"SC128Tr10/Par3", [](const Run& run) { SetTimeChanged(run, "SC128Tr13/Par4"); }},
    {"SC128Tr13/Par4", [](const Run& run) { MinimumTimeChanged(run, "SC128Tr10/Par3"); }},
    // The last status byte could compose the device's status texts; nothing
    // shows them, so its change has no lasting effect.
    {"CC048/St3", [](const Run&) {}},
};

// ---- Communication results of a command group ------------------------------------------

// Only for a change that device communication made at depth 1.
void GroupAnswered(const Run& run, const DataElementPtr& self) {
  const std::string& name = run.element.Name;
  // Command 0 answered: the device is at the address the instance uses.
  if (name == "UC000/" && (run.element.StatusFlags() & flags::kCommErrorMask) == 0) {
    const auto address = run.Item("~/Address");
    address->DeviceValue = address->TransientValue;
    run.Notify(address);
  }
  if (name.empty() || name.back() != '/') return;

  const std::int32_t comm_error = run.element.StatusFlags() & flags::kCommErrorMask;
  constexpr std::int32_t kTransferred = mode::kUpload | mode::kDownload;
  for (const DataElementPtr& member : run.parameters.GetGroupMembers(name)) {
    if (member == self) continue;
    // Members that go both ways carry the result of their own transfer.
    if ((member->IPrivateDataElement_ElementMode() & kTransferred) == kTransferred) continue;
    const std::int32_t old_flags = member->IPrivateDataElement_StatusFlags();
    member->IPrivateDataElement_StatusFlags((old_flags & ~flags::kCommErrorMask) | comm_error);
    if (member->IPrivateDataElement_StatusFlags() != old_flags) {
      run.parameters.NotifyChanged(member, "");
    }
  }
}

}  // namespace

void OnElementChanged(const DataElementPtr& element, runtime::Parameters& parameters,
                      runtime::DTMContext& context, std::int32_t& depth) {
  const auto changed = std::dynamic_pointer_cast<clsDataElement>(element);
  if (!changed) com::ThrowTypeMismatch(kSource);
  const Run run{*changed, parameters, context, depth};

  for (const Rule& rule : kRules) {
    if (rule.trigger == changed->Name) {
      rule.apply(run);
      break;
    }
  }

  if (run.Outermost() && run.FromDevice()) GroupAnswered(run, element);
}

}  // namespace dtm::DataModelHelpers
