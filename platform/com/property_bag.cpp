#include "platform/com/property_bag.h"

#include <algorithm>

namespace dtm::com {

namespace {
template <class Entries>
auto Find(Entries& entries, const std::string& name) {
  return std::find_if(entries.begin(), entries.end(),
                      [&](const auto& entry) { return entry.first == name; });
}
}  // namespace

Variant MemoryPropertyBag::ReadProperty(const std::string& name,
                                        const std::optional<Variant>& default_value) {
  const auto it = Find(entries_, name);
  if (it != entries_.end()) return it->second;
  return default_value.value_or(Variant());
}

void MemoryPropertyBag::WriteProperty(const std::string& name, const Variant& value,
                                      const std::optional<Variant>& default_value) {
  const auto it = Find(entries_, name);
  // A value equal to its default is left out: reading it back gives the
  // default anyway, and a stale stored value must not outlive it.
  if (default_value && *default_value == value) {
    if (it != entries_.end()) entries_.erase(it);
    return;
  }
  if (it != entries_.end()) {
    it->second = value;
  } else {
    entries_.emplace_back(name, value);
  }
}

bool MemoryPropertyBag::Contains(const std::string& name) const {
  return Find(entries_, name) != entries_.end();
}

}  // namespace dtm::com
