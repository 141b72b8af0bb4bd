#pragma once
// The property bag through which a frame persists an object's data set:
// named Variant entries. ReadProperty answers the default (or Empty) for a
// missing entry; WriteProperty with a default equal to the value may leave
// the entry out, as automation does.

#include <map>
#include <optional>
#include <string>
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
};

// A bag held in memory, in the order entries were first written.
class MemoryPropertyBag : public PropertyBag {
 public:
  Variant ReadProperty(const std::string& name,
                       const std::optional<Variant>& default_value = std::nullopt) override;
  void WriteProperty(const std::string& name, const Variant& value,
                     const std::optional<Variant>& default_value = std::nullopt) override;

  bool Contains(const std::string& name) const;
  const std::vector<std::pair<std::string, Variant>>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::vector<std::pair<std::string, Variant>> entries_;
};

}  // namespace dtm::com
