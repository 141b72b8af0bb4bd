#include "platform/com/object.h"

#include "platform/com/error.h"

namespace dtm::com {

Variant Object::GetProperty(std::string_view name) { ThrowMemberNotSupported(name); }
void Object::SetProperty(std::string_view name, const Variant&) { ThrowMemberNotSupported(name); }
Variant Object::Invoke(std::string_view name, std::span<const Variant>) {
  ThrowMemberNotSupported(name);
}

}  // namespace dtm::com
