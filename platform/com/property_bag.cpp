#include "platform/com/property_bag.h"

namespace dtm::com {

Variant MemoryPropertyBag::ReadProperty(const std::string& name,
                                        const std::optional<Variant>& default_value) {
  const auto it = index_.find(name);
  if (it != index_.end()) return entries_[it->second].second;
  return default_value.value_or(Variant());
}

void MemoryPropertyBag::WriteProperty(const std::string& name, const Variant& value,
                                      const std::optional<Variant>& default_value) {
  const auto it = index_.find(name);
  // A value equal to its default is left out: reading it back gives the
  // default anyway, and a stale stored value must not outlive it.
  if (default_value && *default_value == value) {
    if (it != index_.end()) {
      const std::size_t place = it->second;
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(place));
      index_.erase(it);
      for (auto& [entry_name, entry_place] : index_) {
        if (entry_place > place) --entry_place;
      }
    }
    return;
  }
  if (it != index_.end()) {
    entries_[it->second].second = value;
  } else {
    index_.emplace(name, entries_.size());
    entries_.emplace_back(name, value);
  }
}

bool MemoryPropertyBag::Contains(const std::string& name) const { return index_.contains(name); }

}  // namespace dtm::com
