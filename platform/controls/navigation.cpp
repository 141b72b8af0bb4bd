#include "platform/controls/navigation.h"

#include "platform/com/error.h"

namespace dtm::controls {

void Navigation::Reset(std::int32_t mode) {
  ++reset_count_;
  last_reset_mode_ = mode;
}

com::Variant Navigation::GetProperty(std::string_view name) {
  if (name == "LastOperationPhase") return last_operation_phase_;
  return Object::GetProperty(name);
}

void Navigation::SetProperty(std::string_view name, const com::Variant& value) {
  if (name == "LastOperationPhase") {
    last_operation_phase_ = value;
    return;
  }
  Object::SetProperty(name, value);
}

com::Variant Navigation::Invoke(std::string_view name, std::span<const com::Variant> args) {
  if (name == "Reset") {
    if (args.size() != 1) com::ThrowInvalidProcedureCall("Navigation");
    Reset(args[0].ToLong());
    return {};
  }
  return Object::Invoke(name, args);
}

}  // namespace dtm::controls
