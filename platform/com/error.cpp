#include "platform/com/error.h"

#include <utility>

namespace dtm::com {

ComError::ComError(std::int32_t number, std::string description, std::string source,
                   std::string help_file, std::int32_t help_context)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      help_file_(std::move(help_file)),
      help_context_(help_context) {}

void ThrowOverflow(std::string source) {
  throw ComError(vb::kOverflow, "Overflow", std::move(source));
}
void ThrowTypeMismatch(std::string source) {
  throw ComError(vb::kTypeMismatch, "Type mismatch", std::move(source));
}
void ThrowInvalidProcedureCall(std::string source) {
  throw ComError(vb::kInvalidProcedureCall, "Invalid procedure call or argument", std::move(source));
}
void ThrowMemberNotSupported(std::string_view member, std::string source) {
  throw ComError(vb::kMemberNotSupported,
                 "Object doesn't support this property or method: " + std::string(member),
                 std::move(source));
}
void ThrowObjectVariableNotSet(std::string source) {
  throw ComError(vb::kObjectVariableNotSet, "Object variable or With block variable not set",
                 std::move(source));
}
void ThrowInvalidUseOfNull(std::string source) {
  throw ComError(vb::kInvalidUseOfNull, "Invalid use of Null", std::move(source));
}

}  // namespace dtm::com
