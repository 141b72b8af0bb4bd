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
