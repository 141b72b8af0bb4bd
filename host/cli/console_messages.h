#pragma once
// Message boxes and reports of the component on the terminal: a box is
// printed with its text and answered as its default button would be.

#include <cstdio>
#include <string>

#include "platform/runtime/services.h"

namespace dtm::host {

class ConsoleMessages final : public runtime::MessageSink {
 public:
  // How boxes are answered: as their default button, or with the first
  // (OK/Yes) or the last (Cancel/No) button.
  enum class Answers { kDefault, kYes, kNo };

  explicit ConsoleMessages(std::FILE* out, Answers answers = Answers::kDefault)
      : out_(out), answers_(answers) {}
  std::int32_t MessageBox(const std::string& text, std::int32_t style,
                          const std::string& title) override;
  void ShowError(const std::string& text) override;
  void Report(const std::string& text) override;
  int ErrorCount() const { return errors_; }

 private:
  std::FILE* out_;
  Answers answers_;
  int errors_ = 0;
};

}  // namespace dtm::host
