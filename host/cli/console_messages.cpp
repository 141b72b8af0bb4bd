#include "host/cli/console_messages.h"

#include <iterator>

namespace dtm::host {

std::int32_t ConsoleMessages::MessageBox(const std::string& text, std::int32_t style,
                                         const std::string& title) {
  // By button set (style & 0xF): OK, OK/Cancel, Abort/Retry/Ignore,
  // Yes/No/Cancel, Yes/No, Retry/Cancel.
  constexpr std::int32_t kProceed[] = {1, 1, 4, 6, 6, 4};
  constexpr std::int32_t kRefuse[] = {1, 2, 3, 7, 7, 2};
  std::int32_t answer = runtime::DefaultButton(style);
  const std::size_t buttons = static_cast<std::size_t>(style & 0xF);
  if (answers_ != Answers::kDefault && buttons < std::size(kProceed)) {
    answer = answers_ == Answers::kYes ? kProceed[buttons] : kRefuse[buttons];
  }
  std::fprintf(out_, "[box%s%s] %s -> %d\n", title.empty() ? "" : ": ", title.c_str(),
               text.c_str(), answer);
  return answer;
}

void ConsoleMessages::ShowError(const std::string& text) {
  ++errors_;
  std::fprintf(out_, "[error] %s\n", text.c_str());
}

void ConsoleMessages::Report(const std::string& text) {
  std::fprintf(out_, "[report] %s\n", text.c_str());
}

}  // namespace dtm::host
