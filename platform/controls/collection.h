#pragma once
// The automation Collection the control libraries hand their results in:
// items in the order they were added, each optionally under a key. Keys
// compare without regard to case, as the language's Collection does.
//
// Errors: Add under a key that is taken raises 457; Item of a missing key
// raises 5; Item or Remove of a position outside 1..Count raises 9.
//
// By name: Count, Item(key or position), Add(item[, key]), Remove(key or
// position), Exists(key).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/object.h"

namespace dtm::controls {

class Collection : public com::Object {
 public:
  // An empty key adds the item without a key.
  void Add(com::Variant item, const std::string& key = {});
  std::size_t Count() const { return items_.size(); }
  const com::Variant& Item(std::size_t one_based) const;
  const com::Variant& Item(const std::string& key) const;
  bool Exists(const std::string& key) const { return Find(key).has_value(); }
  // The key the item at the position was added under; "" for none.
  const std::string& KeyAt(std::size_t one_based) const;
  void Remove(std::size_t one_based);
  void Remove(const std::string& key);

  // The item under `key` as the object type T; nullptr when there is no
  // such key or the item is no T.
  template <class T>
  std::shared_ptr<T> Find(const std::string& key) const {
    const auto at = Find(key);
    return at ? com::QueryInterface<T>(items_[*at].item) : nullptr;
  }
  template <class T>
  std::shared_ptr<T> At(std::size_t one_based) const {
    return com::QueryInterface<T>(Item(one_based));
  }

  com::Variant GetProperty(std::string_view name) override;
  com::Variant Invoke(std::string_view name, std::span<const com::Variant> args) override;

 private:
  struct Entry {
    com::Variant item;
    std::string key;
  };
  std::optional<std::size_t> Find(const std::string& key) const;
  std::size_t Position(std::size_t one_based) const;  // 0-based; raises 9

  std::vector<Entry> items_;
};

// Keys of the control libraries compare without regard to case (ASCII).
bool SameText(std::string_view a, std::string_view b);

}  // namespace dtm::controls
