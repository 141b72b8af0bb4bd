#include "host/cli/console_messages.h"

#include <iterator>

namespace dtm::host {
namespace {

// By button set (style & 0xF): OK, OK/Cancel, Abort/Retry/Ignore,
// Yes/No/Cancel, Yes/No, Retry/Cancel.
constexpr std::int32_t kProceed[] = {1, 1, 4, 6, 6, 4};
constexpr std::int32_t kRefuse[] = {1, 2, 3, 7, 7, 2};

// A box with a No button (Yes/No/Cancel, Yes/No).
bool HasNo(std::int32_t style) {
  const std::int32_t buttons = style & 0xF;
  return buttons == 3 || buttons == 4;
}

}  // namespace

std::int32_t ConsoleMessages::MessageBox(const std::string& text, std::int32_t style,
                                         const std::string& title) {
  std::int32_t answer = runtime::DefaultButton(style);
  const std::size_t buttons = static_cast<std::size_t>(style & 0xF);
  if (answers_ != Answers::kDefault && buttons < std::size(kProceed)) {
    answer = answers_ == Answers::kYes ? kProceed[buttons] : kRefuse[buttons];
  }

  if (text == asked_text_ && style == asked_style_) {
    ++asked_count_;
  } else {
    asked_text_ = text;
    asked_style_ = style;
    asked_count_ = 1;
  }
  std::string note;
  if (HasNo(style) && asked_count_ > kRepeatLimit && answer != runtime::kIdNo) {
    answer = runtime::kIdNo;
    if (asked_count_ == kRepeatLimit + 1) cut_short_.push_back(text);
    note = " (asked more than " + std::to_string(kRepeatLimit) + " times in a row: No)";
  }
  boxes_.push_back({text, style, answer});

  const std::string line = std::string("[box") + (title.empty() ? "" : ": ") + title + "] " +
                           text + " -> " + runtime::ButtonName(answer) + note;
  if (line == held_line_) {
    ++held_count_;
  } else {
    Flush();
    held_line_ = line;
    held_count_ = 1;
  }
  return answer;
}

void ConsoleMessages::Flush() {
  if (held_count_ == 0) return;
  out_ << held_line_;
  if (held_count_ > 1) out_ << " (\u00d7" << held_count_ << ")";
  out_ << '\n';
  out_.flush();
  held_line_.clear();
  held_count_ = 0;
}

void ConsoleMessages::ShowError(const std::string& text) {
  Flush();
  ++errors_;
  out_ << "[error] " << text << '\n';
}

void ConsoleMessages::Report(const std::string& text) {
  Flush();
  out_ << "[report] " << text << '\n';
}

}  // namespace dtm::host
