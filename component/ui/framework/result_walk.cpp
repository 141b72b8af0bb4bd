#include "component/ui/framework/result_walk.h"

#include <string>

#include "component/datamodel/data_element.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr std::int32_t kCommunicationFailure = -5;

}  // namespace

void WalkResults(runtime::DTMContext& context, const std::vector<runtime::ProcessResult>& results,
                 bool connected, std::int32_t unanswered_flags,
                 const std::function<void(const WalkedResult& result)>& mark) {
  bool write_protected_seen = false;
  std::string saved_error;
  for (const runtime::ProcessResult& result : results) {
    const DataElementPtr& element = result.Element;
    if (!element) continue;
    auto* data_element = dynamic_cast<clsDataElement*>(element.get());
    const bool answered = result.Status != kCommunicationFailure && connected;
    if (!answered) {
      const std::int32_t flags = element->IPrivateDataElement_StatusFlags();
      if (write_protected_seen) {
        element->IPrivateDataElement_StatusFlags(flags | flags::kWriteProtectedClass);
        if (data_element) data_element->CmdErr = saved_error;
      } else {
        // No answer came, so no class: what the class bits held was the
        // answer to an earlier transaction.
        const std::int32_t kept = result.Status == kCommunicationFailure ? flags & ~flags::kResponseClassMask : flags;
        element->IPrivateDataElement_StatusFlags(kept | unanswered_flags);
      }
      context.Parameters().NotifyChanged(element, "");
    }
    const std::int32_t flags = element->IPrivateDataElement_StatusFlags();
    if ((flags & flags::kWriteProtectedClass) == flags::kWriteProtectedClass) {
      saved_error = data_element ? data_element->CmdErr : std::string();
      write_protected_seen = true;
    }
    mark(WalkedResult{element, flags, answered && result.Outcome == runtime::ResultOutcome::kAccepted});
  }
}

}  // namespace dtm
