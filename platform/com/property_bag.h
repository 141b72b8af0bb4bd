#pragma once
// The property bag through which a frame persists an object's data set:
// named Variant entries. ReadProperty answers the default (or Empty) for a
// missing entry; WriteProperty with a default equal to the value may leave
// the entry out, as automation does.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/com/object.h"

namespace dtm::com {

class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  virtual Variant ReadProperty(const std::string& name,
                               const std::optional<Variant>& default_value = std::nullopt) = 0;
  virtual void WriteProperty(const std::string& name, const Variant& value,
                             const std::optional<Variant>& default_value = std::nullopt) = 0;
  // Where the entries come from (a file's name), for messages about them;
  // "" when the bag does not say.
  virtual std::string Origin() const { return {}; }
};

// A bag held in memory, in the order entries were first written. Reading
// and writing an entry take constant time, so filling a bag of n entries
// takes time linear in n.
class MemoryPropertyBag : public PropertyBag {
 public:
  Variant ReadProperty(const std::string& name,
                       const std::optional<Variant>& default_value = std::nullopt) override;
  void WriteProperty(const std::string& name, const Variant& value,
                     const std::optional<Variant>& default_value = std::nullopt) override;
  std::string Origin() const override { return origin_; }
  void SetOrigin(std::string origin) { origin_ = std::move(origin); }

  bool Contains(const std::string& name) const;
  const std::vector<std::pair<std::string, Variant>>& Entries() const { return entries_; }
  void Clear() {
    entries_.clear();
    index_.clear();
  }

 private:
  std::vector<std::pair<std::string, Variant>> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // name -> place in entries_
  std::string origin_;
};

}  // namespace dtm::com
