#include "component/ui/framework/result_walk.h"

#include <string>

#include "component/datamodel/data_element.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr std::int32_t kWriteProtected = 0x300000;
constexpr std::int32_t kCommunicationFailure = -5;

}  // namespace

void WalkResults(runtime::DTMContext& context, const std::vector<runtime::ProcessResult>& results,
                 bool connected, std::int32_t unanswered_flags,
                 const std::function<void(std::int32_t flags)>& mark) {
  bool write_protected_seen = false;
  std::string saved_error;
  for (const runtime::ProcessResult& result : results) {
    const DataElementPtr& element = result.Element;
    if (!element) continue;
    auto* data_element = dynamic_cast<clsDataElement*>(element.get());
    if (result.Status == kCommunicationFailure || !connected) {
      const std::int32_t flags = element->IPrivateDataElement_StatusFlags();
      if (write_protected_seen) {
        element->IPrivateDataElement_StatusFlags(flags | kWriteProtected);
        if (data_element) data_element->CmdErr = saved_error;
      } else {
        element->IPrivateDataElement_StatusFlags(flags | unanswered_flags);
      }
      context.Parameters().NotifyChanged(element, "");
    }
    const std::int32_t flags = element->IPrivateDataElement_StatusFlags();
    if ((flags & kWriteProtected) == kWriteProtected) {
      saved_error = data_element ? data_element->CmdErr : std::string();
      write_protected_seen = true;
    }
    mark(flags);
  }
}

}  // namespace dtm
