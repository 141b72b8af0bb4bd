#include "platform/controls/dtm_search.h"

#include "platform/com/error.h"
#include "platform/controls/control_path.h"
#include "platform/controls/param_site.h"
#include "platform/forms/state.h"
#include "platform/forms/user_control.h"
#include "platform/runtime/context.h"

namespace dtm::controls {
namespace {

constexpr char kSource[] = "ctlDTMSearch";

struct WidthProperty {
  const char* name;
  float ctlDTMSearch::DesignProperties::*member;
  float fallback;
};
constexpr WidthProperty kWidths[] = {
    {"wtype", &ctlDTMSearch::DesignProperties::wtype, 1250},
    {"wplace", &ctlDTMSearch::DesignProperties::wplace, 1350},
    {"wlabel", &ctlDTMSearch::DesignProperties::wlabel, 1650},
    {"wtooltip", &ctlDTMSearch::DesignProperties::wtooltip, 1350},
    {"whelp", &ctlDTMSearch::DesignProperties::whelp, 1350},
    {"wenum", &ctlDTMSearch::DesignProperties::wenum, 1350},
};

std::string ComboName(std::size_t i) { return "comboitem" + std::to_string(i); }

// The combo item a property name means; nullopt for another name.
std::optional<std::size_t> ComboIndex(std::string_view name) {
  for (std::size_t i = 0; i < ctlDTMSearch::kComboItems; ++i) {
    if (name == ComboName(i)) return i;
  }
  return std::nullopt;
}

bool ContainsText(std::string_view haystack, std::string_view needle) {
  if (needle.size() > haystack.size()) return false;
  for (std::size_t at = 0; at + needle.size() <= haystack.size(); ++at) {
    if (SameText(haystack.substr(at, needle.size()), needle)) return true;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------- SearchFunction

com::Variant SearchFunction::GetProperty(std::string_view name) {
  if (name == "Name") return name_;
  if (name == "Section") return section_;
  if (name == "Key") return key_;
  if (name == "Attribute") return attribute_;
  return Object::GetProperty(name);
}

void SearchFunction::SetProperty(std::string_view name, const com::Variant& value) {
  if (name == "Name") return SetName(value.ToString());
  if (name == "Section") return SetSection(value.ToString());
  if (name == "Key") return SetKey(value.ToString());
  if (name == "Attribute") return SetAttribute(value.ToString());
  Object::SetProperty(name, value);
}

// ---------------------------------------------------------------- ctlDTMSearch

ctlDTMSearch::ctlDTMSearch(std::string name)
    : forms::Control(forms::ControlKind::kOther, std::move(name)) {}

void ctlDTMSearch::Init(const std::shared_ptr<runtime::DTMContext>& context,
                        std::shared_ptr<Navigation> navigation,
                        std::shared_ptr<Collection> functions) {
  if (functions) {
    for (std::size_t i = 1; i <= functions->Count(); ++i) {
      if (!functions->At<SearchFunction>(i)) com::ThrowTypeMismatch(kSource);
    }
  }
  Log("Init(" + std::to_string(functions ? functions->Count() : 0) + ")");
  context_ = context;
  navigation_ = std::move(navigation);
  functions_ = std::move(functions);
  state_.initialised = true;
  state_.hits.clear();
  state_.search_text.clear();
  state_.shown_path.clear();
  ReadFunctionTexts();
}

std::string ctlDTMSearch::Text(const std::string& section, const std::string& key,
                               const std::string& attribute) const {
  const auto context = context_.lock();
  if (!context) return {};
  const com::Variant value = context->Dictionary().GetValue(section, key, attribute);
  return value.IsEmpty() || value.IsNull() ? std::string() : value.ToString();
}

void ctlDTMSearch::ReadFunctionTexts() {
  state_.functions.clear();
  if (!functions_) return;
  for (std::size_t i = 1; i <= functions_->Count(); ++i) {
    const auto function = functions_->At<SearchFunction>(i);
    std::string text = Text(function->Section(), function->Key(), function->Attribute());
    state_.functions.push_back({function->Name(), text.empty() ? function->Name() : text});
  }
}

void ctlDTMSearch::SetLanguage(std::int32_t language) {
  Log("SetLanguage(" + std::to_string(language) + ")");
  state_.language = language;
  if (!state_.initialised) return;
  ReadFunctionTexts();
  const std::string again = state_.search_text;
  if (!again.empty()) Search(again);
}

void ctlDTMSearch::Release() {
  Log("Release");
  context_.reset();
  navigation_.reset();
  functions_.reset();
  pages_.clear();
  labels_ = {};
  searched_ = false;
  state_.initialised = false;
  state_.functions.clear();
  state_.hits.clear();
  state_.search_text.clear();
  state_.shown_path.clear();
}

void ctlDTMSearch::EnableInput(bool enabled) {
  Log(std::string("EnableInput(") + (enabled ? "True" : "False") + ")");
  state_.input_enabled = enabled;
}

void ctlDTMSearch::AttachPage(const std::string& function, std::string page_path,
                              const std::shared_ptr<IPrivateNavigation>& page,
                              std::int32_t function_id) {
  for (Page& known : pages_) {
    if (SameText(known.function, function)) {
      known.path = std::move(page_path);
      known.page = page;
      known.function_id = function_id;
      return;
    }
  }
  pages_.push_back({function, std::move(page_path), page, function_id});
}

std::int32_t ctlDTMSearch::FunctionIdOf(std::size_t index) const {
  if (index >= state_.hits.size()) return 0;
  const Page* page = PageOf(state_.hits[index].function);
  return page ? page->function_id : 0;
}

void ctlDTMSearch::FindFields(const Function& function, const forms::UserControl& page,
                              const std::string& path, const std::string& text) {
  for (const forms::ControlPtr& control : page.Controls()) {
    if (const auto* hosted = dynamic_cast<const forms::UserControl*>(control.get())) {
      FindFields(function, *hosted, JoinPath(path, *hosted), text);
      continue;
    }
    const auto* field = dynamic_cast<const ctlParameter*>(control.get());
    if (!field || field->ParameterTag().empty()) continue;
    // The element's label in the current language; a page's design
    // carries a label of its own that the binding replaces.
    std::string label = labels_ ? labels_(field->ParameterTag()) : std::string();
    if (label.empty()) label = field->LabelText();
    if (label.empty()) continue;  // a field no element stands behind
    if (!ContainsText(label, text) && !ContainsText(field->ParameterTag(), text)) continue;
    state_.hits.push_back({function.name, function.text, "Parameter", label,
                           field->ParameterTag(), JoinPath(path, *field)});
  }
}

const ctlDTMSearch::Page* ctlDTMSearch::PageOf(const std::string& function) const {
  for (const Page& page : pages_) {
    if (SameText(page.function, function)) return &page;
  }
  return nullptr;
}

std::size_t ctlDTMSearch::Search(const std::string& text) {
  searched_ = true;
  state_.search_text = text;
  state_.hits.clear();
  if (state_.initialised && navigation_ && !text.empty()) {
    for (const Function& function : state_.functions) {
      const Page* page = PageOf(function.name);
      const auto target = page ? page->page.lock() : nullptr;
      if (!target) continue;
      auto hit = [&](const DictKeyList& entry, std::string shown) {
        state_.hits.push_back({function.name, function.text, entry.Category(), std::move(shown),
                               entry.DictKey(), entry.ControlPath()});
      };
      if (const auto* form = dynamic_cast<const forms::UserControl*>(target.get())) {
        FindFields(function, *form, page->path, text);
      } else if (const auto fields =
                     target->IPrivateNavigation_FindParameters(*navigation_, text, page->path)) {
        for (std::size_t i = 1; i <= fields->Count(); ++i) {
          if (const auto entry = fields->At<DictKeyList>(i)) hit(*entry, entry->Text());
        }
      }
      if (const auto keys = target->IPrivateNavigation_GetDictKeys(*navigation_, page->path)) {
        for (std::size_t i = 1; i <= keys->Count(); ++i) {
          const auto entry = keys->At<DictKeyList>(i);
          if (!entry) continue;
          const std::string shown = Text("keys", entry->DictKey(), "text");
          if (shown.empty()) continue;
          if (ContainsText(shown, text) || ContainsText(entry->DictKey(), text)) {
            hit(*entry, shown);
          }
        }
      }
    }
  }
  Log("Search(" + text + ")=" + std::to_string(state_.hits.size()));
  return state_.hits.size();
}

bool ctlDTMSearch::ShowHit(std::size_t index) {
  bool shown = false;
  if (index < state_.hits.size() && navigation_) {
    const Hit& hit = state_.hits[index];
    const Page* page = PageOf(hit.function);
    const auto target = page ? page->page.lock() : nullptr;
    if (target) {
      navigation_->SetTarget(hit.control_path);
      shown = target->IPrivateNavigation_ShowControl(hit.control_path, true, hit.control_path);
      // Shown at once, nothing is left pending; otherwise the page takes the
      // target when it is shown.
      if (shown) {
        state_.shown_path = hit.control_path;
        navigation_->SetTarget({});
      }
    }
  }
  Log("ShowHit(" + std::to_string(index) + ")=" + (shown ? "True" : "False"));
  return shown;
}

void ctlDTMSearch::Describe(forms::ControlState& state) const {
  forms::Control::Describe(state);
  state.kind = "Search";
  state.text = state_.search_text;
  for (const Hit& hit : state_.hits) {
    // A parameter by its element path, anything else by its control's.
    const std::string& path = hit.category == "Parameter" ? hit.dict_key : hit.control_path;
    state.items.push_back(hit.text + " | " + path + " | " + hit.function_text);
  }
  state.attributes.emplace_back("searched", searched_ ? "True" : "False");
  if (searched_ && state_.hits.empty()) {
    state.attributes.emplace_back("none", Text("keys", "ctlDTMSearch_NoHit", "text"));
  }
}

void ctlDTMSearch::SetText(std::string text) {
  forms::Control::SetText(text);
  Search(text);
}

void ctlDTMSearch::ReadProperties(com::PropertyBag& bag) {
  for (const WidthProperty& width : kWidths) {
    design_.*width.member = bag.ReadProperty(width.name, com::Variant(width.fallback)).ToSingle();
  }
  for (std::size_t i = 0; i < kComboItems; ++i) {
    design_.comboitem[i] = bag.ReadProperty(ComboName(i), com::Variant("")).ToString();
  }
}

void ctlDTMSearch::WriteProperties(com::PropertyBag& bag) const {
  for (const WidthProperty& width : kWidths) {
    bag.WriteProperty(width.name, com::Variant(design_.*width.member),
                      com::Variant(width.fallback));
  }
  for (std::size_t i = 0; i < kComboItems; ++i) {
    bag.WriteProperty(ComboName(i), com::Variant(design_.comboitem[i]), com::Variant(""));
  }
}

com::Variant ctlDTMSearch::GetProperty(std::string_view name) {
  for (const WidthProperty& width : kWidths) {
    if (name == width.name) return design_.*width.member;
  }
  if (const auto combo = ComboIndex(name)) return design_.comboitem[*combo];
  if (name == "HitCount") return static_cast<std::int32_t>(state_.hits.size());
  if (name == "SearchText") return state_.search_text;
  return Control::GetProperty(name);
}

void ctlDTMSearch::SetProperty(std::string_view name, const com::Variant& value) {
  for (const WidthProperty& width : kWidths) {
    if (name == width.name) {
      design_.*width.member = value.ToSingle();
      return;
    }
  }
  if (const auto combo = ComboIndex(name)) {
    design_.comboitem[*combo] = value.ToString();
    return;
  }
  Control::SetProperty(name, value);
}

com::Variant ctlDTMSearch::Invoke(std::string_view name, std::span<const com::Variant> args) {
  auto need = [&](std::size_t count) {
    if (args.size() != count) com::ThrowInvalidProcedureCall(kSource);
  };
  if (name == "Init") {
    need(3);
    auto context = std::dynamic_pointer_cast<runtime::DTMContext>(args[0].ToObject());
    auto navigation = std::dynamic_pointer_cast<Navigation>(args[1].ToObject());
    auto functions = std::dynamic_pointer_cast<Collection>(args[2].ToObject());
    if ((args[1].IsObject() && !navigation) || (args[2].IsObject() && !functions)) {
      com::ThrowTypeMismatch(kSource);
    }
    Init(context, std::move(navigation), std::move(functions));
    return {};
  }
  if (name == "SetLanguage") {
    need(1);
    SetLanguage(args[0].ToLong());
    return {};
  }
  if (name == "Release") {
    need(0);
    Release();
    return {};
  }
  if (name == "EnableInput") {
    need(1);
    EnableInput(args[0].ToBoolean());
    return {};
  }
  if (name == "Search") {
    need(1);
    return static_cast<std::int32_t>(Search(args[0].ToString()));
  }
  if (name == "ShowHit") {
    need(1);
    const std::int32_t index = args[0].ToLong();
    return index >= 0 && ShowHit(static_cast<std::size_t>(index));
  }
  return Control::Invoke(name, args);
}

}  // namespace dtm::controls
