#include "platform/controls/param_site.h"

#include <algorithm>

#include "platform/com/error.h"
#include "platform/com/format.h"
#include "platform/forms/user_control.h"
#include "platform/runtime/context.h"

namespace dtm::controls {

namespace {

constexpr const char* kSource = "QLXCTL01";

[[noreturn]] void ThrowIndexOutOfBounds() {
  throw com::ComError(35600, "Index out of bounds", kSource);
}

std::string FieldName(const forms::Control& control) {
  std::string name = control.Name();
  if (control.InArray()) name += "(" + std::to_string(control.Index()) + ")";
  return name;
}

}  // namespace

// ---------------------------------------------------------------- images

std::size_t ImageCollection::Add(std::optional<std::size_t> index, std::string key,
                                 PicturePtr picture) {
  if (!picture) throw com::ComError(com::vb::kObjectRequired, "Object required", kSource);
  const std::size_t at = index.value_or(images_.size() + 1);
  if (at < 1 || at > images_.size() + 1) ThrowIndexOutOfBounds();
  if (!key.empty() && Exists(key))
    throw com::ComError(35602, "Key is not unique in collection", kSource);
  images_.insert(images_.begin() + static_cast<std::ptrdiff_t>(at - 1),
                 Entry{std::move(key), std::move(picture)});
  return at;
}

const PicturePtr& ImageCollection::Item(std::size_t one_based) const {
  if (one_based < 1 || one_based > images_.size()) ThrowIndexOutOfBounds();
  return images_[one_based - 1].picture;
}

const PicturePtr& ImageCollection::Item(const std::string& key) const {
  for (const Entry& entry : images_)
    if (!key.empty() && entry.key == key) return entry.picture;
  throw com::ComError(35601, "Element not found", kSource);
}

const std::string& ImageCollection::Key(std::size_t one_based) const {
  if (one_based < 1 || one_based > images_.size()) ThrowIndexOutOfBounds();
  return images_[one_based - 1].key;
}

bool ImageCollection::Exists(const std::string& key) const {
  return std::any_of(images_.begin(), images_.end(),
                     [&](const Entry& entry) { return entry.key == key; });
}

std::string ImageCollection::KeyOf(const PicturePtr& picture) const {
  if (!picture) return {};
  for (const Entry& entry : images_)
    if (entry.picture == picture) return entry.key;
  return {};
}

const std::vector<std::string>& StatusPictureKeys() {
  static const std::vector<std::string> keys = {
      "CommErr", "AnyErr",  "RangeErr", "InputErr",   "Needed",      "Changed", "Dynamic1",
      "Dynamic2", "Locked", "Initial",  "SavedValue", "OnlineValue", "Blank"};
  return keys;
}

// ---------------------------------------------------------------- field

ctlParameter::ctlParameter(std::string name, std::optional<std::int16_t> index)
    : forms::Control(forms::ControlKind::kParameter, std::move(name), index) {}

void ctlParameter::SetControlType(std::int32_t type) {
  if (type < 0 || type > 5)
    throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", kSource);
  control_type_ = type;
}

void ctlParameter::SetValue(com::Variant value) {
  forms::Control::SetValue(std::move(value));
  is_changed_ = false;
}

void ctlParameter::SetLocked(bool locked) {
  const bool was = Locked();
  forms::Control::SetLocked(locked);
  if (control_type_ == 5 && was != locked) Raise("StateChanged", forms::Args{com::Variant(locked)});
}

void ctlParameter::SetStatusIcon(const PicturePtr& picture) {
  status_icon_ = picture;
  status_text_ = picture ? icon_tool_tip_ : std::string();
}

std::string ctlParameter::StatusIconKey() const {
  const ImageCollectionPtr images = icon_source_.lock();
  return images ? images->KeyOf(status_icon_) : std::string();
}

std::int32_t ctlParameter::AddMenuItem(const std::string& text) {
  menu_items_.push_back(text);
  return MenuItemCount();
}

const std::string& ctlParameter::MenuItemText(std::int32_t item) const {
  if (item < 1 || item > MenuItemCount())
    throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", kSource);
  return menu_items_[static_cast<std::size_t>(item - 1)];
}

void ctlParameter::SetMenuItemText(std::int32_t item, std::string text) {
  if (item < 1 || item > MenuItemCount())
    throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", kSource);
  menu_items_[static_cast<std::size_t>(item - 1)] = std::move(text);
}

void ctlParameter::ReadProperties(com::PropertyBag& bag) {
  parameter_tag_ = bag.ReadProperty("parametertag", com::Variant("")).ToString();
  label_text_ = bag.ReadProperty("labeltext", com::Variant("")).ToString();
  SetControlType(bag.ReadProperty("controltype", com::Variant(std::int32_t{0})).ToLong());
  value_format_ = bag.ReadProperty("valueformat", com::Variant("")).ToString();
  label_width_ = bag.ReadProperty("labelwidth", com::Variant(std::int32_t{0})).ToLong();
  unit_width_ = bag.ReadProperty("unitwidth", com::Variant(std::int32_t{0})).ToLong();
  show_status_icon_ = bag.ReadProperty("statusicon", com::Variant(true)).ToBoolean();
  value_fore_color_ = bag.ReadProperty("valueforecolor", com::Variant(std::int32_t{0})).ToLong();
  font_name_ = bag.ReadProperty("font", com::Variant("")).ToString();
}

void ctlParameter::WriteProperties(com::PropertyBag& bag) const {
  bag.WriteProperty("parametertag", parameter_tag_, com::Variant(""));
  bag.WriteProperty("labeltext", label_text_, com::Variant(""));
  bag.WriteProperty("controltype", control_type_, com::Variant(std::int32_t{0}));
  bag.WriteProperty("valueformat", value_format_, com::Variant(""));
  bag.WriteProperty("labelwidth", label_width_, com::Variant(std::int32_t{0}));
  bag.WriteProperty("unitwidth", unit_width_, com::Variant(std::int32_t{0}));
  bag.WriteProperty("statusicon", show_status_icon_, com::Variant(true));
  bag.WriteProperty("valueforecolor", value_fore_color_, com::Variant(std::int32_t{0}));
  bag.WriteProperty("font", font_name_, com::Variant(""));
}

void ctlParameter::UserType(const std::string& text) {
  forms::Control::SetValue(com::Variant(text));
  is_changed_ = true;
  Raise("Change");
}

void ctlParameter::UserEndEdit(bool confirmed) {
  Raise("EndEdit", forms::Args{com::Variant(confirmed)});
}

void ctlParameter::UserMenuClick(std::int32_t item) {
  Raise("MenuClick", forms::Args{com::Variant(item)});
}

std::int32_t ctlParameter::UserKeyDown(std::int32_t key_code, std::int32_t shift) {
  forms::Args args{com::Variant(key_code), com::Variant(shift)};
  Raise("KeyDown", args);
  return args[0].ToLong();
}

std::int32_t ctlParameter::UserKeyPress(std::int32_t key_ascii) {
  forms::Args args{com::Variant(key_ascii)};
  Raise("KeyPress", args);
  return args[0].ToLong();
}

void ctlParameter::Describe(forms::ControlState& state) const {
  forms::Control::Describe(state);
  // A number or date shows in the locale of the page the field stands on,
  // as the user reads and types it there ("0,7" in German); a text shows
  // as it is.
  using com::VarType;
  const VarType type = Value().Type();
  // NaN and infinities keep the words the base gave them in every locale.
  if ((type == VarType::Single || type == VarType::Double || type == VarType::Decimal ||
       type == VarType::Date) &&
      !com::NonFiniteWord(Value())) {
    const forms::UserControl* page = OwnerPage();
    state.value = Value().ToString(com::Locale::OfLocaleId(page ? page->AmbientLocaleID() : 1033));
  }
  state.attributes.emplace_back("label", label_text_);
  state.attributes.emplace_back("unit", unit_text_);
  state.attributes.emplace_back("icon", StatusIconKey());
  state.attributes.emplace_back("icon_tip", icon_tool_tip_);
  state.attributes.emplace_back("tag", parameter_tag_);
  state.attributes.emplace_back("type", std::to_string(control_type_));
  if (!value_format_.empty()) state.attributes.emplace_back("format", value_format_);
  if (!value_list_text_.empty()) state.attributes.emplace_back("list", value_list_text_);
}

// ---------------------------------------------------------------- help

ctlParamHelp::ctlParamHelp(std::string name)
    : forms::Control(forms::ControlKind::kParamHelp, std::move(name)) {
  SetVisible(false);
}

void ctlParamHelp::ShowFor(std::int32_t hwnd) {
  shown_for_ = hwnd;
  ++show_count_;
  SetVisible(true);
}

void ctlParamHelp::Describe(forms::ControlState& state) const {
  forms::Control::Describe(state);
  state.attributes.emplace_back("shown_for", std::to_string(shown_for_));
}

// ---------------------------------------------------------------- site

ctlParamSite::ctlParamSite(std::string name)
    : forms::Control(forms::ControlKind::kOther, std::move(name)),
      images_(std::make_shared<ImageCollection>()) {
  for (const std::string& key : StatusPictureKeys())
    images_->Add(std::nullopt, key, std::make_shared<StockPicture>(key));
}

ctlParamSite::~ctlParamSite() = default;

void ctlParamSite::Init(runtime::DTMContext& context, std::string& invoke_id,
                        const ParamLinkPtr& link) {
  if (!bindings_.empty()) Release();
  invoke_id_ = invoke_id;
  const forms::UserControl* page = OwnerPage();
  if (!page || !link) return;
  for (const forms::ControlPtr& control : page->Controls()) {
    ParameterPtr field = std::dynamic_pointer_cast<ctlParameter>(control);
    if (!field) continue;
    field->SetIconSource(images_);
    ParamLinkPtr field_link = link->IPrivateParamLink_GetNewParamLink();
    try {
      field_link->IPrivateParamLink_InitLink(context, field, images_, invoke_id_);
      field->SetEnabled(input_enabled_);
      bindings_.push_back({field, field_link});
    } catch (const com::ComError& error) {
      // The page opens without this field: it stays disabled, and the
      // fault is told once here rather than at every later call.
      if (field_link->IPrivateParamLink_ParameterCtl()) {
        try {
          field_link->IPrivateParamLink_TerminateLink();
        } catch (const com::ComError&) {
          // The binding's own error below is the one to tell.
        }
      }
      field->SetEnabled(false);
      bindings_.push_back({field, nullptr});
      context.ShowError("Parameter field " + FieldName(*field) + " (" + field->ParameterTag() +
                        ") is not bound: #" + std::to_string(error.Number()) + " " +
                        error.Description());
    }
  }
}

void ctlParamSite::SetLanguage(std::int32_t language_id) {
  language_id_ = language_id;
  for (const ParamLinkPtr& link : Links()) link->IPrivateParamLink_InitLanguageDependent();
}

void ctlParamSite::ParameterChanged(const DataElementPtr& element) {
  if (!element) return;
  for (const ParamLinkPtr& link : Links())
    if (link->IPrivateParamLink_DataElement() == element) link->IPrivateParamLink_UpdateParameter();
}

void ctlParamSite::ParameterSetChanged() {
  for (const ParamLinkPtr& link : Links()) link->IPrivateParamLink_UpdateParameter();
}

void ctlParamSite::ValidateParameters() {
  for (const ParamLinkPtr& link : Links()) link->IPrivateParamLink_ValidateParameter();
}

void ctlParamSite::EnableInput(bool enable) {
  input_enabled_ = enable;
  for (const Binding& binding : bindings_) binding.control->SetEnabled(enable && binding.link);
}

void ctlParamSite::Release() {
  // Every link is let go even when one fails; the first failure is raised
  // after the last.
  std::vector<Binding> bindings;
  bindings.swap(bindings_);
  std::optional<com::ComError> failure;
  for (const Binding& binding : bindings) {
    if (!binding.link) continue;
    try {
      binding.link->IPrivateParamLink_TerminateLink();
    } catch (const com::ComError& error) {
      if (!failure) failure = error;
    }
  }
  if (failure) throw *failure;
}

void ctlParamSite::Describe(forms::ControlState& state) const {
  forms::Control::Describe(state);
  for (std::size_t i = 1; i <= images_->Count(); ++i) state.image_keys.push_back(images_->Key(i));
  state.attributes.emplace_back("bound", std::to_string(Links().size()));
}

ParamLinkPtr ctlParamSite::GetParamLink(const ctlParameter& control) const {
  for (const Binding& binding : bindings_)
    if (binding.control.get() == &control) return binding.link;
  return nullptr;
}

std::vector<ParamLinkPtr> ctlParamSite::Links() const {
  // A copy: a link's call may reach the site again (a change notice comes
  // back to the page).
  std::vector<ParamLinkPtr> links;
  for (const Binding& binding : bindings_)
    if (binding.link) links.push_back(binding.link);
  return links;
}

}  // namespace dtm::controls
