#include "host/cli/console_messages.h"

namespace dtm::host {

std::int32_t ConsoleMessages::MessageBox(const std::string& text, std::int32_t style,
                                         const std::string& title) {
  const std::int32_t answer = runtime::DefaultButton(style);
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
