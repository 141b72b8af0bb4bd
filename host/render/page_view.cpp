#include "host/render/page_view.h"

#include "platform/runtime/services.h"

namespace dtm::render {

std::string AnswerName(std::int32_t answer) { return runtime::ButtonName(answer); }

std::string ShownCaption(const std::string& caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      shown += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      shown += '&';
      ++i;
    }
  }
  return shown;
}

const ControlState* Headline(const ControlState& s) {
  if (s.name == "ctlHeadline") return s.visible ? &s : nullptr;
  for (const ControlState& child : s.children) {
    if (const ControlState* found = Headline(child)) return found;
  }
  return nullptr;
}

}  // namespace dtm::render
