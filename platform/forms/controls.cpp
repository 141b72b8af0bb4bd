#include "platform/forms/controls.h"

#include "platform/com/error.h"

namespace dtm::forms {

TabStrip::Tab& TabStrip::TabItem(std::size_t one_based) {
  if (one_based < 1 || one_based > tabs_.size()) {
    throw com::ComError(35600, "Index out of bounds", Name());
  }
  return tabs_[one_based - 1];
}

const TabStrip::Tab& TabStrip::TabItem(std::size_t one_based) const {
  return const_cast<TabStrip*>(this)->TabItem(one_based);
}

const std::string& TabbedDialog::TabCaption(std::int16_t tab) const {
  if (tab < 0 || static_cast<std::size_t>(tab) >= captions_.size()) {
    throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", Name());
  }
  return captions_[static_cast<std::size_t>(tab)];
}

void TabbedDialog::SetTabCaption(std::int16_t tab, std::string caption) {
  TabCaption(tab);  // range check
  captions_[static_cast<std::size_t>(tab)] = std::move(caption);
}

}  // namespace dtm::forms

namespace dtm::forms {
namespace {

[[noreturn]] void ThrowIndexOutOfBounds(const std::string& source) {
  throw com::ComError(35600, "Index out of bounds", source);
}
[[noreturn]] void ThrowElementNotFound(const std::string& source) {
  throw com::ComError(35601, "Element not found", source);
}
[[noreturn]] void ThrowKeyNotUnique(const std::string& source) {
  throw com::ComError(35602, "Key is not unique in collection", source);
}
[[noreturn]] void ThrowInvalidPropertyValue(const std::string& source) {
  throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", source);
}

void DescribePicture(const PicturePtr& picture, ControlState& state) {
  if (picture) state.attributes.emplace_back("picture", picture->Source());
}

}  // namespace

TabStrip::Tab& TabStrip::AddTab(std::string key, std::string caption) {
  if (!key.empty()) {
    for (const Tab& tab : tabs_) {
      if (tab.key == key) ThrowKeyNotUnique(Name());
    }
  }
  tabs_.push_back(Tab{std::move(key), std::move(caption)});
  return tabs_.back();
}

std::size_t TabStrip::TabIndex(const std::string& key) const {
  for (std::size_t i = 0; i < tabs_.size(); ++i) {
    if (!key.empty() && tabs_[i].key == key) return i + 1;
  }
  ThrowElementNotFound(Name());
}

bool TabStrip::TabSelected(std::size_t one_based) const {
  TabItem(one_based);  // range check
  return selected_ == one_based;
}

void TabStrip::SetTabSelected(std::size_t one_based, bool selected) {
  TabItem(one_based);  // range check
  if (!selected || selected_ == one_based) return;
  selected_ = one_based;
  Raise("Click");
}

bool TabStrip::ClickTab(std::size_t one_based) {
  if (!CanTakeFocus()) return false;
  SetTabSelected(one_based, true);
  return true;
}

void TabStrip::Describe(ControlState& state) const {
  Control::Describe(state);
  for (const Tab& tab : tabs_) state.tabs.push_back(tab.caption);
  state.selected_tab = selected_ <= tabs_.size() ? selected_ : 0;
  for (const Tab& tab : tabs_) {
    if (!tab.key.empty()) state.attributes.emplace_back("tab." + tab.key, tab.caption);
  }
}

void TabbedDialog::SetCurrentTab(std::int16_t tab) {
  TabCaption(tab);  // range check
  if (tab == current_) return;
  Args previous{com::Variant(current_)};
  current_ = tab;
  Raise("Click", previous);
}

void TabbedDialog::Describe(ControlState& state) const {
  Control::Describe(state);
  state.tabs = captions_;
  state.selected_tab = captions_.empty() ? 0 : static_cast<std::size_t>(current_) + 1;
}

std::size_t ImageList::Checked(std::size_t one_based) const {
  if (one_based < 1 || one_based > images_.size()) ThrowIndexOutOfBounds(Name());
  return one_based - 1;
}

std::size_t ImageList::Add(std::optional<std::size_t> index, std::string key,
                           PicturePtr picture) {
  const std::size_t at = index.value_or(images_.size() + 1);
  if (at < 1 || at > images_.size() + 1) ThrowIndexOutOfBounds(Name());
  if (!picture) throw com::ComError(com::vb::kObjectRequired, "Object required", Name());
  if (!key.empty()) {
    for (const ListImage& image : images_) {
      if (image.key == key) ThrowKeyNotUnique(Name());
    }
  }
  images_.insert(images_.begin() + static_cast<std::ptrdiff_t>(at - 1),
                 ListImage{std::move(key), std::move(picture)});
  return at;
}

const PicturePtr& ImageList::Item(std::size_t one_based) const {
  return images_[Checked(one_based)].picture;
}

const PicturePtr& ImageList::Item(const std::string& key) const {
  for (const ListImage& image : images_) {
    if (!key.empty() && image.key == key) return image.picture;
  }
  ThrowElementNotFound(Name());
}

const std::string& ImageList::Key(std::size_t one_based) const {
  return images_[Checked(one_based)].key;
}

void ImageList::Remove(std::size_t one_based) {
  images_.erase(images_.begin() + static_cast<std::ptrdiff_t>(Checked(one_based)));
}

void ImageList::Describe(ControlState& state) const {
  Control::Describe(state);
  for (const ListImage& image : images_) state.image_keys.push_back(image.key);
}

PicturePtr PictureBox::Image() {
  if (picture_) return picture_;
  if (!own_image_) own_image_ = std::make_shared<forms::Picture>(Name() + ".Image");
  return own_image_;
}

void PictureBox::Resize(double width, double height) {
  canvas_.SetScaleSize(width, height);
  Raise("Resize");
}

void PictureBox::Describe(ControlState& state) const {
  Container::Describe(state);
  DescribePicture(picture_, state);
  state.display_list = canvas_.DisplayList();
}

void Image::Describe(ControlState& state) const {
  Control::Describe(state);
  DescribePicture(picture_, state);
}

void Shape::Describe(ControlState& state) const {
  Control::Describe(state);
  state.attributes.emplace_back("figure", std::to_string(figure_));
  state.attributes.emplace_back("fill_style", std::to_string(fill_style_));
}

void ListBox::AddItem(std::string item, std::optional<std::int32_t> at) {
  const std::int32_t place = at.value_or(ListCount());
  if (place < 0 || place > ListCount()) com::ThrowInvalidProcedureCall(Name());
  items_.insert(items_.begin() + place, std::move(item));
  if (selected_ >= place) ++selected_;
}

void ListBox::RemoveItem(std::int32_t at) {
  if (at < 0 || at >= ListCount()) com::ThrowInvalidProcedureCall(Name());
  items_.erase(items_.begin() + at);
  if (selected_ == at) {
    selected_ = -1;
  } else if (selected_ > at) {
    --selected_;
  }
  if (top_ >= ListCount()) top_ = ListCount() > 0 ? ListCount() - 1 : 0;
}

void ListBox::Clear() {
  items_.clear();
  top_ = 0;
  selected_ = -1;
}

const std::string& ListBox::List(std::int32_t at) const {
  if (at < 0 || at >= ListCount()) {
    throw com::ComError(381, "Invalid property array index", Name());
  }
  return items_[static_cast<std::size_t>(at)];
}

void ListBox::SetTopIndex(std::int32_t top) {
  if (top < 0 || (top > 0 && top >= ListCount())) ThrowInvalidPropertyValue(Name());
  top_ = top;
}

void ListBox::SetListIndex(std::int32_t at) {
  if (at < -1 || at >= ListCount()) ThrowInvalidPropertyValue(Name());
  if (at == selected_) return;
  selected_ = at;
  Raise("Click");
}

void ListBox::Describe(ControlState& state) const {
  Control::Describe(state);
  state.items = items_;
  state.value = std::to_string(selected_);
  state.attributes.emplace_back("top", std::to_string(top_));
}

void TextBox::SetText(std::string text) {
  if (text == Text()) return;
  Control::SetText(std::move(text));
  Raise("Change");
}

CheckBox::CheckBox(std::string name, std::optional<std::int16_t> index)
    : Control(ControlKind::kCheckBox, std::move(name), index) {
  Control::SetValue(com::Variant(std::int16_t{0}));
}

void CheckBox::SetValue(com::Variant value) {
  const std::int16_t state = value.ToInteger();
  if (state < 0 || state > 2) ThrowInvalidPropertyValue(Name());
  if (Value() == com::Variant(state)) return;
  Control::SetValue(com::Variant(state));
  Raise("Click");
}

bool CheckBox::UserClick() {
  if (!CanTakeFocus()) return false;
  SetValue(com::Variant(static_cast<std::int16_t>(Value().ToInteger() == 1 ? 0 : 1)));
  return true;
}

OptionButton::OptionButton(std::string name, std::optional<std::int16_t> index)
    : Control(ControlKind::kOptionButton, std::move(name), index) {
  Control::SetValue(com::Variant(false));
}

void OptionButton::SetValue(com::Variant value) {
  const bool chosen = value.ToBoolean();
  if (Value() == com::Variant(chosen)) return;
  if (chosen) {
    if (auto* container = dynamic_cast<Container*>(Parent())) {
      for (const ControlPtr& sibling : container->Children()) {
        if (sibling.get() != this && sibling->Kind() == ControlKind::kOptionButton) {
          sibling->Control::SetValue(com::Variant(false));
        }
      }
    }
  }
  Control::SetValue(com::Variant(chosen));
  if (chosen) Raise("Click");
}

bool OptionButton::UserClick() {
  if (!CanTakeFocus()) return false;
  SetValue(com::Variant(true));
  return true;
}

void Menu::Describe(ControlState& state) const {
  Control::Describe(state);
  if (checked_) state.attributes.emplace_back("checked", "1");
}

}  // namespace dtm::forms
