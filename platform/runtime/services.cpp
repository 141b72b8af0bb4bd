#include "platform/runtime/services.h"

#include <array>

namespace dtm::runtime {

namespace {

// Button codes of each button set (style & 0xF), in the order the box shows
// them; 0 marks a position the set does not have.
constexpr std::array<std::array<std::int32_t, 3>, 7> kButtonSets = {{
    {1, 0, 0},    // OK
    {1, 2, 0},    // OK, Cancel
    {3, 4, 5},    // Abort, Retry, Ignore
    {6, 7, 2},    // Yes, No, Cancel
    {6, 7, 0},    // Yes, No
    {4, 2, 0},    // Retry, Cancel
    {2, 10, 11},  // Cancel, Try Again, Continue
}};

}  // namespace

std::string ButtonName(std::int32_t answer) {
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

std::int32_t DefaultButton(std::int32_t style) {
  const auto set = static_cast<std::size_t>(style & 0xF);
  if (set >= kButtonSets.size()) return 1;  // an unknown set shows OK
  const auto& buttons = kButtonSets[set];
  const auto position = static_cast<std::size_t>((style & 0xF00) >> 8);
  // Windows falls back to the first button when the style names one the
  // box does not have.
  if (position >= buttons.size() || buttons[position] == 0) return buttons[0];
  return buttons[position];
}

std::int32_t RecordingMessageSink::MessageBox(const std::string& text, std::int32_t style,
                                              const std::string& title) {
  entries.push_back({Entry::kBox, text, style, title});
  if (answers.empty()) return DefaultButton(style);
  const std::int32_t answer = answers.front();
  answers.pop_front();
  return answer;
}

void RecordingMessageSink::ShowError(const std::string& text) {
  entries.push_back({Entry::kError, text, 0, {}});
}

void RecordingMessageSink::Report(const std::string& text) {
  entries.push_back({Entry::kReport, text, 0, {}});
}

}  // namespace dtm::runtime
