#pragma once
// Message boxes and reports of the component on the terminal's error
// stream: a box is printed with its text and answered as its default
// button would be (or as the user asked). A run of identical boxes prints
// once with its count, each still answered.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/runtime/services.h"

namespace dtm::host {

class ConsoleMessages final : public runtime::MessageSink {
 public:
  // How boxes are answered: as their default button, or with the first
  // (OK/Yes) or the last (Cancel/No) button.
  enum class Answers { kDefault, kYes, kNo };
  // A question asked with the same text more often than this in a row is
  // answered No from then on: a device that stays busy would otherwise be
  // retried for ever under the default answers.
  static constexpr int kRepeatLimit = 3;

  struct Box {
    std::string text;
    std::int32_t style = 0;
    std::int32_t answer = 0;
  };

  explicit ConsoleMessages(std::ostream& out, Answers answers = Answers::kDefault)
      : out_(out), answers_(answers) {}
  ~ConsoleMessages() override { Flush(); }
  ConsoleMessages(const ConsoleMessages&) = delete;
  ConsoleMessages& operator=(const ConsoleMessages&) = delete;

  std::int32_t MessageBox(const std::string& text, std::int32_t style,
                          const std::string& title) override;
  void ShowError(const std::string& text) override;
  void Report(const std::string& text) override;

  // Prints the run of boxes still held back.
  void Flush();
  int ErrorCount() const { return errors_; }
  // Every box, in order, with the answer it got.
  const std::vector<Box>& Boxes() const { return boxes_; }
  // The questions that got No because they kept coming back.
  const std::vector<std::string>& CutShort() const { return cut_short_; }

 private:
  std::ostream& out_;
  Answers answers_;
  int errors_ = 0;
  std::vector<Box> boxes_;
  std::vector<std::string> cut_short_;
  // The run being held back: its line and how many boxes it stands for.
  std::string held_line_;
  int held_count_ = 0;
  // The run of the same question (text and style), for the repeat limit.
  std::string asked_text_;
  std::int32_t asked_style_ = -1;
  int asked_count_ = 0;
};

}  // namespace dtm::host
