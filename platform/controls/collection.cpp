#include "platform/controls/collection.h"

#include <cctype>

#include "platform/com/error.h"

namespace dtm::controls {
namespace {

constexpr std::int32_t kKeyTaken = 457;
constexpr char kSource[] = "Collection";

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

void Collection::Add(com::Variant item, const std::string& key) {
  if (!key.empty() && Find(key)) {
    throw com::ComError(kKeyTaken,
                        "This key is already associated with an element of this collection",
                        kSource);
  }
  items_.push_back({std::move(item), key});
}

std::optional<std::size_t> Collection::Find(const std::string& key) const {
  if (key.empty()) return std::nullopt;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (SameText(items_[i].key, key)) return i;
  }
  return std::nullopt;
}

std::size_t Collection::Position(std::size_t one_based) const {
  if (one_based < 1 || one_based > items_.size()) {
    throw com::ComError(com::vb::kSubscriptOutOfRange, "Subscript out of range", kSource);
  }
  return one_based - 1;
}

const com::Variant& Collection::Item(std::size_t one_based) const {
  return items_[Position(one_based)].item;
}

const com::Variant& Collection::Item(const std::string& key) const {
  const auto at = Find(key);
  if (!at) com::ThrowInvalidProcedureCall(kSource);
  return items_[*at].item;
}

const std::string& Collection::KeyAt(std::size_t one_based) const {
  return items_[Position(one_based)].key;
}

void Collection::Remove(std::size_t one_based) {
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Position(one_based)));
}

void Collection::Remove(const std::string& key) {
  const auto at = Find(key);
  if (!at) com::ThrowInvalidProcedureCall(kSource);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(*at));
}

com::Variant Collection::GetProperty(std::string_view name) {
  if (name == "Count") return static_cast<std::int32_t>(items_.size());
  return Object::GetProperty(name);
}

com::Variant Collection::Invoke(std::string_view name, std::span<const com::Variant> args) {
  // A text argument is a key, any other a position, as the language decides.
  auto by_key = [&](std::size_t i) { return args.size() > i && args[i].IsString(); };
  if (name == "Count" && args.empty()) return static_cast<std::int32_t>(items_.size());
  if (name == "Item" && args.size() == 1) {
    return by_key(0) ? Item(args[0].ToString())
                     : Item(static_cast<std::size_t>(args[0].ToLong()));
  }
  if (name == "Exists" && args.size() == 1) return Exists(args[0].ToString());
  if (name == "Add" && (args.size() == 1 || args.size() == 2)) {
    Add(args[0], args.size() == 2 ? args[1].ToString() : std::string());
    return {};
  }
  if (name == "Remove" && args.size() == 1) {
    if (by_key(0)) {
      Remove(args[0].ToString());
    } else {
      Remove(static_cast<std::size_t>(args[0].ToLong()));
    }
    return {};
  }
  if (name == "Count" || name == "Item" || name == "Exists" || name == "Add" ||
      name == "Remove") {
    com::ThrowInvalidProcedureCall(kSource);
  }
  return Object::Invoke(name, args);
}

}  // namespace dtm::controls
