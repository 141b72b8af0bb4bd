#include "component/dtm/dtm_state.h"

#include "platform/com/error.h"
#include "platform/controls/navigation.h"

namespace dtm {

void DTMState::Init(const com::ObjectPtr&) {
  auto navigation = std::make_shared<controls::Navigation>();
  navigation_ = navigation;
  navigation->Reset(0);
}

com::Variant DTMState::GetProperty(std::string_view name) {
  if (name == "Navigation") return com::Variant(navigation_);
  return Object::GetProperty(name);
}

void DTMState::SetProperty(std::string_view name, const com::Variant& value) {
  if (name == "Navigation") {
    navigation_ = value.ToObject();
    return;
  }
  Object::SetProperty(name, value);
}

com::Variant DTMState::Invoke(std::string_view name, std::span<const com::Variant> args) {
  if (name == "Init") {
    if (args.size() != 1) com::ThrowInvalidProcedureCall("DTMState");
    Init(args[0].ToObject());
    return {};
  }
  return Object::Invoke(name, args);
}

}  // namespace dtm
