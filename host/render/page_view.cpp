#include "host/render/page_view.h"

namespace dtm::render {

std::string AnswerName(std::int32_t answer) {
  switch (answer) {
    case 1: return "OK";
    case 2: return "Cancel";
    case 3: return "Abort";
    case 4: return "Retry";
    case 5: return "Ignore";
    case 6: return "Yes";
    case 7: return "No";
    default: return std::to_string(answer);
  }
}

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
