#pragma once
// Message boxes and reports of the component on the terminal: a box is
// printed with its text and answered as its default button would be.

#include <cstdio>
#include <string>

#include "platform/runtime/services.h"

namespace dtm::host {

class ConsoleMessages final : public runtime::MessageSink {
 public:
  explicit ConsoleMessages(std::FILE* out) : out_(out) {}
  std::int32_t MessageBox(const std::string& text, std::int32_t style,
                          const std::string& title) override;
  void ShowError(const std::string& text) override;
  void Report(const std::string& text) override;
  int ErrorCount() const { return errors_; }

 private:
  std::FILE* out_;
  int errors_ = 0;
};

}  // namespace dtm::host
