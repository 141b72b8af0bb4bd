#include "platform/controls/navigation.h"


#include "platform/com/error.h"
#include "platform/controls/private_navigation.h"

namespace dtm::controls {
namespace {

constexpr char kSource[] = "Navigation";

std::string LogBool(bool value) { return value ? "True" : "False"; }

std::string LogControl(const forms::ControlPtr& control) {
  return control ? PartText(PartOf(*control)) : "Nothing";
}

std::string LogControls(const forms::Controls* controls) {
  return controls ? "controls" : "Nothing";
}

bool ContainsText(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return true;
  if (needle.size() > haystack.size()) return false;
  for (std::size_t at = 0; at + needle.size() <= haystack.size(); ++at) {
    if (SameText(haystack.substr(at, needle.size()), needle)) return true;
  }
  return false;
}

// A text a control answers by name, or nullopt when it has no such member.
std::optional<std::string> TextByName(forms::Control& control, std::string_view name) {
  try {
    return control.GetProperty(name).ToString();
  } catch (const com::ComError& error) {
    if (error.Number() == com::vb::kMemberNotSupported) return std::nullopt;
    throw;
  }
}

std::string CaptionKey(const std::string& prefix, const forms::Control& control) {
  std::string key = prefix + control.Name();
  if (control.InArray()) key += "_" + std::to_string(control.Index());
  return key;
}

}  // namespace

// ---------------------------------------------------------------- DictKeyList

com::Variant DictKeyList::GetProperty(std::string_view name) {
  if (name == "Category") return category_;
  if (name == "DictKey") return dict_key_;
  if (name == "ControlPath") return control_path_;
  if (name == "Text") return text_;
  if (name == "Id") return Id();
  return Object::GetProperty(name);
}

void DictKeyList::SetProperty(std::string_view name, const com::Variant& value) {
  if (name == "Category") return SetCategory(value.ToString());
  if (name == "DictKey") return SetDictKey(value.ToString());
  if (name == "ControlPath") return SetControlPath(value.ToString());
  if (name == "Text") return SetText(value.ToString());
  if (name == "Id") return SetId(value.ToString());
  Object::SetProperty(name, value);
}

// ---------------------------------------------------------------- Navigation

void Navigation::Reset(std::int32_t mode) {
  ++reset_count_;
  last_reset_mode_ = mode;
  target_.clear();
  shown_.reset();
  shown_path_.clear();
  selected_.reset();
  selected_path_.clear();
  if (mode == 0) init_controls_.clear();
}

void Navigation::SetTarget(std::string path) { target_ = std::move(path); }

void Navigation::InitControl(const forms::Controls& controls) {
  Log("InitControl(controls)");
  init_controls_ = controls;
}

std::shared_ptr<Collection> Navigation::FindParameters(const std::string& name,
                                                       const std::string& text,
                                                       const forms::Controls& controls) {
  Log("FindParameters(" + name + "," + text + ",controls)");
  auto found = std::make_shared<Collection>();
  for (const forms::ControlPtr& control : controls) {
    if (!control || control->Kind() != forms::ControlKind::kParameter) continue;
    if (!control->Visible()) continue;
    const std::string label = TextByName(*control, "LabelText").value_or(control->Caption());
    const std::string tag = TextByName(*control, "ParameterTag").value_or("");
    if (!ContainsText(label, text) && !ContainsText(tag, text)) continue;
    auto entry = std::make_shared<DictKeyList>("Parameter", tag, JoinPath(name, *control), label);
    found->Add(entry, entry->ControlPath());
  }
  return found;
}

std::shared_ptr<Collection> Navigation::GetDictKeys(const std::string& name,
                                                    const std::string& prefix,
                                                    const forms::Controls& controls) {
  Log("GetDictKeys(" + name + "," + prefix + ",controls)");
  auto keys = std::make_shared<Collection>();
  for (const forms::ControlPtr& control : controls) {
    if (!control) continue;
    const forms::ControlKind kind = control->Kind();
    const std::string path = JoinPath(name, *control);
    // Entries go under the key argument, "." and the control's part, the
    // way a page spells the key it looks an entry up by, also for an empty
    // key argument; the control path itself is a path of the grammar.
    const std::string id = name + "." + PartText(PartOf(*control));
    const std::string key = CaptionKey(prefix, *control);
    auto add_tab = [&](std::size_t tab) {
      auto entry = std::make_shared<DictKeyList>("Tab", key + "." + std::to_string(tab), path);
      entry->SetId(id + "#" + std::to_string(tab));
      keys->Add(entry, entry->Id());
    };
    if (forms::TakesCaption(kind)) {
      auto entry = std::make_shared<DictKeyList>("Caption", key, path);
      entry->SetId(id);
      keys->Add(entry, id);
    } else if (kind == forms::ControlKind::kTabStrip) {
      const auto& strip = static_cast<const forms::TabStrip&>(*control);
      for (std::size_t tab = 1; tab <= strip.TabCount(); ++tab) add_tab(tab);
    } else if (kind == forms::ControlKind::kTabbedDialog) {
      const auto& dialog = static_cast<const forms::TabbedDialog&>(*control);
      for (std::int16_t tab = 0; tab < dialog.Tabs(); ++tab) {
        add_tab(static_cast<std::size_t>(tab));
      }
    }
  }
  return keys;
}

std::optional<ControlPath> Navigation::Resolve(const std::string& path) const {
  return ParseControlPath(path.empty() ? target_ : path);
}

bool Navigation::IsPathValid(const com::Object*, const std::string& name,
                             const std::string& path) {
  Log("IsPathValid(" + name + "," + path + ")");
  const auto parsed = Resolve(path);
  return parsed && parsed->BelongsTo(name);
}

bool Navigation::FindControl(const com::Object*, const std::string& search, std::string& path) {
  Log("FindControl(" + search + "," + path + ")");
  const std::string& source = !path.empty() ? path : !search.empty() ? search : target_;
  const auto parsed = ParseControlPath(source);
  if (!parsed) return false;
  path = NormalPath(*parsed);
  return true;
}

std::string Navigation::ControlName(const std::string& path) {
  Log("ControlName(" + path + ")");
  const auto parsed = Resolve(path);
  return parsed ? parsed->Seen().name : std::string();
}

std::int32_t Navigation::ControlIndex(const std::string& path) {
  Log("ControlIndex(" + path + ")");
  const auto parsed = Resolve(path);
  return parsed && parsed->Seen().index ? *parsed->Seen().index : -1;
}

bool Navigation::ShowControl(const com::Object*, const std::string& path,
                             const forms::Controls* controls, const forms::ControlPtr& control,
                             bool show) {
  return Show("ShowControl", path, controls, control, show);
}

bool Navigation::SelectControl(const com::Object*, const std::string& path,
                               const forms::Controls* controls, const forms::ControlPtr& control,
                               bool show) {
  return Show("SelectControl", path, controls, control, show);
}

bool Navigation::Show(const std::string& member, const std::string& path,
                      const forms::Controls* controls, const forms::ControlPtr& control,
                      bool show) {
  Log(member + "(" + path + "," + LogControls(controls) + "," + LogControl(control) + "," +
      LogBool(show) + ")");
  if (control) {
    shown_ = control;
    shown_path_ = PartText(PartOf(*control));
    if (show) {
      selected_ = control;
      selected_path_ = shown_path_;
    }
    return true;
  }
  if (!controls) return false;
  const auto parsed = Resolve(path);
  if (!parsed) return false;
  const bool is_target = !target_.empty() && (path.empty() || SameText(path, target_));

  const PathPart& seen = parsed->Seen();
  // Beyond the control the receiving page sees, the path goes on into a
  // hosted page: the parts from that page on.
  const bool into_hosted = parsed->parts.size() > 2;
  bool shown = false;
  for (const forms::ControlPtr& candidate : *controls) {
    if (!candidate || !Names(seen, *candidate)) continue;
    if (into_hosted) {
      auto hosted = std::dynamic_pointer_cast<IPrivateNavigation>(candidate);
      if (!hosted) continue;
      ControlPath rest;
      rest.parts.assign(parsed->parts.begin() + 1, parsed->parts.end());
      shown = hosted->IPrivateNavigation_ShowControl(PathText(rest), show, "");
    } else {
      shown_ = candidate;
      shown_path_ = PartText(seen);
      if (show) {
        selected_ = candidate;
        selected_path_ = shown_path_;
      }
      shown = true;
    }
    break;
  }
  if (shown && show && is_target) target_.clear();
  return shown;
}

com::Variant Navigation::GetProperty(std::string_view name) {
  if (name == "LastOperationPhase") return last_operation_phase_;
  if (name == "Target") return target_;
  return Object::GetProperty(name);
}

void Navigation::SetProperty(std::string_view name, const com::Variant& value) {
  if (name == "LastOperationPhase") {
    last_operation_phase_ = value;
    return;
  }
  if (name == "Target") return SetTarget(value.ToString());
  Object::SetProperty(name, value);
}

com::Variant Navigation::Invoke(std::string_view name, std::span<const com::Variant> args) {
  auto need = [&](std::size_t count) {
    if (args.size() != count) com::ThrowInvalidProcedureCall(kSource);
  };
  auto context_of = [](const com::Variant& v) -> const com::Object* {
    return v.IsObject() ? v.ToObject().get() : nullptr;
  };
  if (name == "Reset") {
    need(1);
    Reset(args[0].ToLong());
    return {};
  }
  if (name == "IsPathValid") {
    need(3);
    return IsPathValid(context_of(args[0]), args[1].ToString(), args[2].ToString());
  }
  if (name == "ControlName") {
    need(1);
    return ControlName(args[0].ToString());
  }
  if (name == "ControlIndex") {
    need(1);
    return ControlIndex(args[0].ToString());
  }
  if (name == "SetTarget") {
    need(1);
    SetTarget(args[0].ToString());
    return {};
  }
  return Object::Invoke(name, args);
}

}  // namespace dtm::controls
