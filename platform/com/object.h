#pragma once
// The base of every shared, reference-counted object of the system. Interfaces
// are plain abstract classes whose operations carry their full names
// (IDtm_InitNew), so one class implements several without clashes; asking
// an object for an interface is a checked cast (QueryInterface).
//
// Members that callers reach only by name (late binding) go through
// GetProperty/SetProperty/Invoke; an object that does not know the name
// raises error 438, as automation does.

#include <memory>
#include <span>
#include <string_view>

#include "platform/com/variant.h"

namespace dtm::com {

class Object : public std::enable_shared_from_this<Object> {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;

  virtual Variant GetProperty(std::string_view name);
  virtual void SetProperty(std::string_view name, const Variant& value);
  virtual Variant Invoke(std::string_view name, std::span<const Variant> args);
};

// The interface I of an object, or nullptr when it does not implement it.
template <class I, class T>
std::shared_ptr<I> QueryInterface(const std::shared_ptr<T>& object) {
  return std::dynamic_pointer_cast<I>(object);
}

// The object behind an interface pointer (every implementation derives from Object).
template <class I>
ObjectPtr AsObject(const std::shared_ptr<I>& itf) {
  return std::dynamic_pointer_cast<Object>(itf);
}

// The interface I of a Variant holding an object; nullptr for Empty, for
// Nothing and for an object without I.
template <class I>
std::shared_ptr<I> QueryInterface(const Variant& v) {
  if (!v.IsObject()) return nullptr;
  return std::dynamic_pointer_cast<I>(v.ToObject());
}

}  // namespace dtm::com
